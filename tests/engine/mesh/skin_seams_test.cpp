// A ribbon bent by a chain of twelve bones, each vertex weighted by the four bones
// nearest to it, so that most faces are touched by five or six bones while the
// device blends four: the bones given up must be the same for every face sharing
// a vertex, or the copies of that vertex land apart and the ribbon cracks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "golden.h"

namespace {

constexpr int kBones = 12;
constexpr int kColumns = 25;       // two vertices each, half a bone apart
constexpr float kBend = 0.349066f; // 20 degrees per bone

std::string Row(const vm::Matrix& m) {
    std::string s;
    char buf[32];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            std::snprintf(buf, sizeof buf, "%.6f%s", m.m[r][c], r == 3 && c == 3 ? ";;" : ",");
            s += buf;
        }
    return s;
}

// Bones B0..B11 chained along x, one unit apart, each turned about z; the ribbon
// lies straight along x in its rest pose (y from -0.4 to 0.4).
std::string RibbonX() {
    std::string x = "xof 0303txt 0032\nFrame Root {\n FrameTransformMatrix { " + Row(vm::Identity()) + " }\n";
    for (int b = 0; b < kBones; ++b)
        x += std::string(size_t(b) + 1, ' ') + "Frame B" + std::to_string(b) + " { FrameTransformMatrix { " +
             Row(vm::RotationZ(kBend) * vm::Translation(b == 0 ? 0.0f : 1.0f, 0, 0)) + " }\n";
    for (int b = 0; b < kBones; ++b) x += " }\n";
    x += " Mesh Ribbon {\n  " + std::to_string(kColumns * 2) + ";\n";
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < 2; ++r) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "  %.6f;%.6f;0;%s\n", c * 0.5f, r ? 0.4f : -0.4f,
                          c == kColumns - 1 && r == 1 ? ";" : ",");
            x += buf;
        }
    const int faces = (kColumns - 1) * 2;
    x += "  " + std::to_string(faces) + ";\n";
    for (int c = 0; c + 1 < kColumns; ++c) {
        const int a = c * 2, b = a + 1, d = a + 2, e = a + 3;
        x += "  3;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(e) + ";,\n";
        x += "  3;" + std::to_string(a) + "," + std::to_string(e) + "," + std::to_string(d) + ";" +
             (c + 2 == kColumns ? ";" : ",") + "\n";
    }
    x += "  MeshNormals { 1; 0;0;-1;; " + std::to_string(faces) + ";\n";
    for (int f = 0; f < faces; ++f) x += "  3;0,0,0;" + std::string(f + 1 == faces ? ";" : ",") + "\n";
    x += "  }\n  MeshMaterialList { 1; " + std::to_string(faces) + ";";
    for (int f = 0; f < faces; ++f) x += std::string(f ? "," : "") + "0";
    x += ";\n   Material { 0.95;0.80;0.30;1.0;; 0; 0;0;0;; 0.05;0.04;0.02;; }\n  }\n";
    // Weights: a smooth falloff around each bone's middle, the bottom row shifted by
    // a third of a bone, the four strongest kept per vertex (and written unscaled).
    std::vector<std::vector<std::pair<int, float>>> perBone(kBones);
    for (int v = 0; v < kColumns * 2; ++v) {
        const float at = (v / 2) * 0.5f + (v % 2 ? 0.0f : 0.33f);
        std::vector<std::pair<float, int>> w;
        for (int b = 0; b < kBones; ++b) {
            const float d = (at - (b + 0.5f)) / 1.1f;
            w.push_back({std::exp(-d * d), b});
        }
        std::sort(w.rbegin(), w.rend());
        for (int k = 0; k < 4; ++k) perBone[w[k].second].push_back({v, w[k].first});
    }
    x += "  XSkinMeshHeader { 4; 12; " + std::to_string(kBones) + "; }\n";
    for (int b = 0; b < kBones; ++b) {
        const auto& list = perBone[b];
        if (list.empty()) continue;
        x += "  SkinWeights { \"B" + std::to_string(b) + "\"; " + std::to_string(list.size()) + "; ";
        for (size_t i = 0; i < list.size(); ++i) x += std::to_string(list[i].first) + (i + 1 < list.size() ? "," : ";");
        x += " ";
        for (size_t i = 0; i < list.size(); ++i) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.6f%s", list[i].second, i + 1 < list.size() ? "," : ";");
            x += buf;
        }
        x += " " + Row(vm::Translation(-float(b), 0, 0)) + " }\n";
    }
    x += " }\n}\n";
    return x;
}

class SkinSeams : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() + "model");
        std::ofstream(dir_.path() + "model/ribbon.x", std::ios::binary) << RibbonX();
        cwd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 128, 96), S_OK);
        InitDrawObjects(g_pD3DDevice);
        xmesh::SetMaxVertexBlendMatricesLimit(0);
    }
    void TearDown() override {
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cwd_.reset();
    }
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd_;
};

SkinMeshContainer* RibbonOf(CD3DSkinnedMesh& m) {
    xmesh::Frame* f = xmesh::FrameFind(m.m_pFrameRoot, "Root");
    return f ? static_cast<SkinMeshContainer*>(f->pMeshContainer) : nullptr;
}

// Every copy of a vertex in the blended mesh lands on the same point.
TEST_F(SkinSeams, CopiesOfAVertexBlendToTheSamePoint) {
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\ribbon.x");
    ASSERT_TRUE(mesh.IsLoaded());
    vm::Matrix world = vm::Identity();
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, &world);
    SkinMeshContainer* c = RibbonOf(mesh);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->m_dwNumInfl, 4u);
    const xmesh::Mesh& blended = *c->MeshData.pMesh;
    const uint32_t stride = blended.GetNumBytesPerVertex();
    // Which bone combination each blended vertex belongs to.
    std::vector<int> groupOf(blended.GetNumVertices(), -1);
    for (size_t g = 0; g < c->m_BoneCombinations.size(); ++g) {
        const xmesh::BoneCombination& bc = c->m_BoneCombinations[g];
        for (uint32_t v = bc.VertexStart; v < bc.VertexStart + bc.VertexCount; ++v) groupOf[v] = int(g);
    }
    ASSERT_GT(c->m_BoneCombinations.size(), 1u);
    std::map<std::pair<float, float>, std::vector<vm::Vec3>> landed;
    for (uint32_t v = 0; v < blended.GetNumVertices(); ++v) {
        ASSERT_GE(groupOf[v], 0);
        const xmesh::BoneCombination& bc = c->m_BoneCombinations[size_t(groupOf[v])];
        const uint8_t* p = &blended.Vertices()[size_t(v) * stride];
        vm::Vec3 pos;
        float w[4] = {0, 0, 0, 0};
        std::memcpy(&pos.x, p, 12);
        std::memcpy(w, p + 12, 12);
        w[3] = 1 - w[0] - w[1] - w[2];
        vm::Vec3 out{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const uint32_t bone = bc.BoneId[size_t(k)];
            if (bone == xmesh::UNUSED_BONE) continue;
            const vm::Matrix m = c->m_pBoneOffsetMatrices[bone] * *c->m_ppBoneMatrixPtrs[bone];
            out = out + vm::TransformCoord(pos, m) * w[k];
        }
        landed[{pos.x, pos.y}].push_back(out);
    }
    EXPECT_EQ(landed.size(), size_t(kColumns * 2));
    int shared = 0;
    for (const auto& [at, points] : landed) {
        shared += points.size() > 1;
        for (const vm::Vec3& q : points) {
            EXPECT_NEAR(q.x, points[0].x, 1e-5f) << at.first << "," << at.second;
            EXPECT_NEAR(q.y, points[0].y, 1e-5f) << at.first << "," << at.second;
        }
    }
    EXPECT_GT(shared, 4);  // the ribbon is split into several combinations
}

// The bent ribbon drawn: one closed band without background showing through.
TEST_F(SkinSeams, BentRibbonPicture) {
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\ribbon.x");
    ASSERT_TRUE(mesh.IsLoaded());
    gfx::Device* d = g_pD3DDevice;
    d->SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.8f, 4.0f / 3, 1.0f, 100.0f));
    d->SetTransform(gfx::TS_VIEW, vm::LookAtLH({0.3f, 2.6f, -9.0f}, {0.3f, 2.6f, 0}, {0, 1, 0}));
    d->SetRenderState(gfx::RS_LIGHTING, 1);
    d->SetRenderState(gfx::RS_ZENABLE, 1);
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d->SetRenderState(gfx::RS_AMBIENT, 0xFF303030);
    gfx::Light l;
    l.type = gfx::LIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 1};
    l.direction = vm::Vec3{0, 0, 1};
    d->SetLight(0, l);
    d->LightEnable(0, true);
    d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF101828, 1.0f, 0);
    vm::Matrix world = vm::Identity();
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, &world);
    d->BeginScene();
    mesh.DrawFrames(d);
    d->EndScene();
    // The band is open (it turns through 240 degrees), so all the background is
    // reached from the picture's border; background that is not lies in a crack.
    const uint32_t* px = d->BackBuffer();
    constexpr int W = 128, H = 96;
    auto bg = [&](int x, int y) { return px[size_t(y) * W + x] == 0xFF101828u; };
    std::vector<char> seen(size_t(W) * H, 0);
    std::vector<std::pair<int, int>> todo;
    for (int x = 0; x < W; ++x) todo.push_back({x, 0}), todo.push_back({x, H - 1});
    for (int y = 0; y < H; ++y) todo.push_back({0, y}), todo.push_back({W - 1, y});
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x >= W || y >= H || seen[size_t(y) * W + x] || !bg(x, y)) continue;
        seen[size_t(y) * W + x] = 1;
        todo.push_back({x + 1, y}), todo.push_back({x - 1, y}), todo.push_back({x, y + 1}), todo.push_back({x, y - 1});
    }
    int cracks = 0, band = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            band += !bg(x, y);
            cracks += bg(x, y) && !seen[size_t(y) * W + x];
        }
    EXPECT_GT(band, 1000);
    EXPECT_EQ(cracks, 0);
    EXPECT_TRUE(testsupport::MatchesGolden("engine/mesh/bent_ribbon", d->BackBuffer(), 128, 96));
}

}  // namespace
