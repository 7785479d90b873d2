// Skinned meshes through the engine's draw object: loading through the file pack,
// bones, textures and their replacement, animation timing and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "meshgen.h"

namespace {

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f << data;
}

// A game folder with "model/" and the device with its draw objects.
class MeshFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() + "model");
        cwd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 160, 120), S_OK);
        InitDrawObjects(g_pD3DDevice);
        xmesh::SetMaxVertexBlendMatricesLimit(0);
    }
    void TearDown() override {
        xmesh::SetMaxVertexBlendMatricesLimit(0);
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cwd_.reset();
    }
    void Put(const std::string& name, const std::string& data) { WriteFile(dir_.path() + "model/" + name, data); }
    void Png(const std::string& name, uint32_t a, uint32_t b) {
        ASSERT_TRUE(meshgen::WriteCheckerPng(dir_.path() + "model/" + name, 16, a, b, 2));
    }
    void PutHumanoid(const std::string& name, const std::string& texture, bool withPng = true) {
        meshgen::HumanoidOptions o;
        o.texture = texture;
        Put(name, meshgen::HumanoidX(o));
        if (withPng && !texture.empty()) Png(texture, 0xFFFF0000, 0xFF00FF00);
    }
    static SkinMeshContainer* BodyOf(CD3DSkinnedMesh& m) {
        xmesh::Frame* f = xmesh::FrameFind(m.m_pFrameRoot, "Mesh");
        return f ? static_cast<SkinMeshContainer*>(f->pMeshContainer) : nullptr;
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd_;
};

// A two-second animation of one frame, to check the animation clock.
const char kTwoSecondFile[] = R"(xof 0303txt 0032
AnimTicksPerSecond { 100; }
Frame Bar {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
}
AnimationSet Move { Animation { { Bar } AnimationKey { 2; 2; 0;3;0,0,0;;, 200;3;2,0,0;;; } } }
)";

TEST_F(MeshFixture, LoadKeepsBackslashNamesAndBuildsTheHierarchyWithTextures) {
    PutHumanoid("unit.x", "unit.png");
    CD3DSkinnedMesh mesh;
    EXPECT_EQ(mesh.Load("model/unit.x"), 0);
    EXPECT_EQ(mesh.m_strFile, "model\\unit.x");
    EXPECT_EQ(mesh.GetTextureFolder(), "\\model\\");
    EXPECT_TRUE(mesh.m_bLoaded);
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    ASSERT_NE(mesh.m_pAnimController, nullptr);
    EXPECT_EQ(mesh.mapTexture.size(), 1u);
    EXPECT_NE(mesh.GetTexture("unit.png"), nullptr);
    EXPECT_EQ(mesh.GetTexture(""), nullptr);
    SkinMeshContainer* c = BodyOf(mesh);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_vecTextureName[0], "unit.png");
    EXPECT_EQ(c->m_vecTextureName[1], "");
    EXPECT_EQ(c->pMaterials[0].TextureFilename, "");  // moved to the container's names
    EXPECT_EQ(c->m_dwNumInfl, 2u);
    EXPECT_EQ(c->m_iAttributeSW, c->m_dwNumAttributeGroups);
    EXPECT_EQ(c->MeshData.pMesh->GetFVF() & 0x00E, uint32_t(gfx::FVF_XYZB1));
    ASSERT_EQ(c->m_ppBoneMatrixPtrs.size(), 7u);
    xmesh::Frame* hips = xmesh::FrameFind(mesh.m_pFrameRoot, "Hips");
    EXPECT_EQ(c->m_ppBoneMatrixPtrs[0], &static_cast<SkinFrame*>(hips)->CombinedTransformationMatrix);
    CD3DSkinnedMesh other;
    EXPECT_EQ(other.GetTextureFolder(), "\\");
}

TEST_F(MeshFixture, LoadingAnotherFileReplacesTheMesh) {
    PutHumanoid("unit.x", "unit.png");
    Put("ball.x", meshgen::BallX(0.5f, ""));
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    ASSERT_NE(mesh.m_pAnimController, nullptr);
    mesh.Load("model\\ball.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    EXPECT_STREQ(mesh.m_pFrameRoot->Name, "Ball");
    EXPECT_EQ(mesh.m_pAnimController, nullptr);
    EXPECT_TRUE(mesh.mapTexture.empty());
}

TEST_F(MeshFixture, MeshMadeBeforeTheDeviceLoadsWhenTheDrawObjectsAreRestored) {
    PutHumanoid("unit.x", "unit.png");
    ReleaseDrawObjects();
    ReleaseD3DDevice();
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    EXPECT_FALSE(mesh.m_bLoaded);
    EXPECT_EQ(mesh.m_pFrameRoot, nullptr);
    ASSERT_EQ(CreateD3DDevice(false, 160, 120), S_OK);
    InitDrawObjects(g_pD3DDevice);
    EXPECT_TRUE(mesh.m_bLoaded);
    EXPECT_NE(mesh.m_pFrameRoot, nullptr);
    mesh.Restore();  // again without a release: reloaded, nothing doubled
    EXPECT_NE(mesh.m_pFrameRoot, nullptr);
    EXPECT_EQ(mesh.mapTexture.size(), 1u);
    ReleaseDrawObjects();  // releases the hierarchy and its textures
    EXPECT_EQ(mesh.m_pFrameRoot, nullptr);
    EXPECT_TRUE(mesh.mapTexture.empty());
    InitDrawObjects(g_pD3DDevice);
    EXPECT_NE(mesh.m_pFrameRoot, nullptr);
}

TEST_F(MeshFixture, MissingOrBrokenFilesAreLoggedAndLeaveNoMesh) {
    CD3DSkinnedMesh missing;
    missing.Load("model\\none.x");
    EXPECT_EQ(missing.m_pFrameRoot, nullptr);
    EXPECT_NE(g_ErrorLog.GetLastText().find("none.x"), std::string::npos);
    missing.AdvanceAnimation(1.0);
    missing.UpdateFrameMatrices(missing.m_pFrameRoot, nullptr);
    missing.DrawFrames(g_pD3DDevice);

    std::string text = meshgen::HumanoidX({});
    Put("cut.x", text.substr(0, text.size() / 2));
    CD3DSkinnedMesh cut;
    cut.Load("model\\cut.x");
    EXPECT_EQ(cut.m_pFrameRoot, nullptr);
    EXPECT_EQ(cut.m_pAnimController, nullptr);
    EXPECT_TRUE(FAILED(cut.GetLastLoadResult()));
    EXPECT_NE(g_ErrorLog.GetLastText().find("cut.x"), std::string::npos);
    cut.DrawFrames(g_pD3DDevice);
}

TEST_F(MeshFixture, BoneWithoutFrameFailsTheWholeLoad) {
    std::string text = meshgen::HumanoidX({});
    size_t p = text.find("\"LegR\";");
    ASSERT_NE(p, std::string::npos);
    text.replace(p, 7, "\"Tail\";");
    Put("tail.x", text);
    Png("unit.png", 0xFFFFFFFF, 0xFF000000);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\tail.x");
    EXPECT_EQ(mesh.GetLastLoadResult(), E_FAIL);
    EXPECT_EQ(mesh.m_pFrameRoot, nullptr);
    EXPECT_TRUE(mesh.mapTexture.empty());
    EXPECT_NE(g_ErrorLog.GetLastText().find("Tail"), std::string::npos);
}

TEST_F(MeshFixture, MissingTextureIsLoggedAndTheMaterialDrawsUntextured) {
    PutHumanoid("unit.x", "lost.png", false);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    EXPECT_NE(g_ErrorLog.GetLastText().find("lost.png"), std::string::npos);
    EXPECT_TRUE(mesh.mapTexture.empty());
    EXPECT_EQ(mesh.GetTexture("lost.png"), nullptr);
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, nullptr);
    mesh.DrawFrames(g_pD3DDevice);
}

TEST_F(MeshFixture, TextureReplacementSubstitutesLoadsLazilyAndFallsBack) {
    PutHumanoid("unit.x", "unit.png");
    Png("other.png", 0xFF0000FF, 0xFF0000FF);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    gfx::Texture* own = mesh.GetTexture("unit.png");
    ASSERT_NE(own, nullptr);

    // Not among the materials: read from the mesh's folder on first use.
    mesh.SetTextureReplacement("other.png", "unit.png");
    EXPECT_EQ(mesh.m_mapTextureReplace.at("unit.png"), "other.png");
    gfx::Texture* other = mesh.GetTexture("unit.png");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, own);
    EXPECT_EQ(other->Pixels()[16 * 5 + 5], 0xFF0000FFu);
    EXPECT_EQ(mesh.GetTexture("unit.png"), other);  // loaded once

    // A replacement given with its folder is read from there.
    mesh.SetTextureReplacement("model\\other.png", "unit.png");
    EXPECT_NE(mesh.GetTexture("unit.png"), nullptr);

    // Naming no file: logged once, the original texture is used.
    mesh.SetTextureReplacement("nowhere.png", "unit.png");
    EXPECT_EQ(mesh.GetTexture("unit.png"), own);
    EXPECT_NE(g_ErrorLog.GetLastText().find("nowhere.png"), std::string::npos);
    EXPECT_EQ(mesh.GetTexture("unit.png"), own);

    // The same name removes the substitution.
    mesh.SetTextureReplacement("unit.png", "unit.png");
    EXPECT_TRUE(mesh.m_mapTextureReplace.empty());
    EXPECT_EQ(mesh.GetTexture("unit.png"), own);
}

TEST_F(MeshFixture, SharedMeshesLoadEachTextureOnceUntilTheLastIsGone) {
    PutHumanoid("a.x", "same.png");
    PutHumanoid("b.x", "same.png");
    ASSERT_TRUE(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.empty());
    gfx::Texture* first = nullptr;
    {
        CD3DSkinnedMesh_TextureShared a, b;
        a.Load("model\\a.x");
        b.Load("model\\b.x");
        EXPECT_EQ(CD3DSkinnedMesh_TextureShared::s_nUsers, 2);
        ASSERT_EQ(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.size(), 1u);
        first = a.GetTexture("same.png");
        EXPECT_NE(first, nullptr);
        EXPECT_EQ(b.GetTexture("same.png"), first);
        EXPECT_TRUE(a.mapTexture.empty());
        a.Invalidate();  // shared textures outlive the instances' hierarchies
        EXPECT_EQ(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.size(), 1u);
    }
    EXPECT_EQ(CD3DSkinnedMesh_TextureShared::s_nUsers, 0);
    EXPECT_TRUE(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.empty());
    CD3DSkinnedMesh_TextureShared c;
    c.Load("model\\a.x");
    EXPECT_EQ(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.size(), 1u);
}

TEST_F(MeshFixture, AdvanceAnimationMovesForwardToThePositionInTheNextCycle) {
    Put("bar.x", kTwoSecondFile);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\bar.x");
    ASSERT_NE(mesh.m_pAnimController, nullptr);
    EXPECT_DOUBLE_EQ(mesh.m_pAnimController->GetAnimationSet(0)->GetPeriod(), 2.0);
    mesh.AdvanceAnimation(1.2);  // from 0: the cycle after the current one
    EXPECT_DOUBLE_EQ(mesh.m_pAnimController->GetTime(), 3.2);
    mesh.AdvanceAnimation(0.5);  // at 3.2: by 1.3 to 4.5
    EXPECT_DOUBLE_EQ(mesh.m_pAnimController->GetTime(), 4.5);
    EXPECT_DOUBLE_EQ(mesh.m_dTime, 4.5);
    xmesh::Frame* bar = mesh.m_pFrameRoot;
    EXPECT_NEAR(bar->TransformationMatrix.m[3][0], 0.5f, 1e-6f);  // 0.5 s of 2 s: x = 0.5
    mesh.AdvanceAnimation(4.5);  // 4.5 wraps to 0.5
    EXPECT_NEAR(bar->TransformationMatrix.m[3][0], 0.5f, 1e-6f);
    EXPECT_DOUBLE_EQ(mesh.m_pAnimController->GetTime(), 6.5);
}

TEST_F(MeshFixture, AnimationOfOneInstantHoldsItsPose) {
    std::string text = kTwoSecondFile;
    size_t p = text.find("AnimationKey");
    text.replace(p, text.find('}', p) - p + 1, "AnimationKey { 2; 1; 0;3;1,2,3;;; }");
    Put("pose.x", text);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\pose.x");
    ASSERT_NE(mesh.m_pAnimController, nullptr);
    EXPECT_EQ(mesh.m_pAnimController->GetAnimationSet(0)->GetPeriod(), 0.0);
    mesh.AdvanceAnimation(0.7);  // no period to wrap by: the single key's pose, time unchanged
    EXPECT_EQ(mesh.m_dTime, 0.0);
    EXPECT_TRUE(std::isfinite(mesh.m_pAnimController->GetTime()));
    EXPECT_FLOAT_EQ(mesh.m_pFrameRoot->TransformationMatrix.m[3][2], 3.0f);
}

TEST_F(MeshFixture, MeshWithoutAnimationAdvancesAsANoOp) {
    Put("still.x", meshgen::BallX(0.5f, ""));
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\still.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    EXPECT_EQ(mesh.m_pAnimController, nullptr);
    vm::Matrix before = mesh.m_pFrameRoot->TransformationMatrix;
    mesh.AdvanceAnimation(0.7);
    EXPECT_EQ(mesh.m_dTime, 0.0);
    EXPECT_EQ(std::memcmp(&before, &mesh.m_pFrameRoot->TransformationMatrix, sizeof before), 0);
}

TEST_F(MeshFixture, FrameMatricesCombineDownTheTree) {
    PutHumanoid("unit.x", "unit.png");
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    mesh.AdvanceAnimation(0.25);  // legs at +-0.5 rad, hips at 0.95
    vm::Matrix world = vm::RotationX(3.14159265f / 2) * vm::Translation(0, -2, 0);
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, &world);
    auto combined = [&](const char* n) {
        return static_cast<SkinFrame*>(xmesh::FrameFind(mesh.m_pFrameRoot, n))->CombinedTransformationMatrix;
    };
    vm::Matrix expect = vm::RotationX(0.5f) * vm::Translation(-0.11f, -0.1f, 0) * vm::Translation(0, 0.95f, 0) * world;
    vm::Matrix got = combined("LegL");
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.m[r][c], expect.m[r][c], 1e-5f);
    // The left foot: through the bone's offset and combined matrix it swings
    // forward (model -z, world +y) by 0.8 sin 0.5 and rises by 0.8 (1 - cos 0.5).
    vm::Vec3 foot = vm::TransformCoord({-0.11f, 0, 0}, vm::Translation(0.11f, -0.8f, 0) * got);
    EXPECT_NEAR(foot.x, -0.11f, 1e-5f);
    EXPECT_NEAR(foot.y, -2.0f + 0.8f * std::sin(0.5f), 1e-5f);
    EXPECT_NEAR(foot.z, 0.85f - 0.8f * std::cos(0.5f), 1e-5f);
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, nullptr);
    got = combined("Hips");
    EXPECT_NEAR(got.m[3][1], 0.95f, 1e-6f);
}

// Frames A (children A1, A2) and B (child B1), each with one triangle.  With
// `skinned`, the meshes of A1 and B1 name bones that have no frame.
std::string TreeX(bool skinned) {
    auto mesh = [&](const char* name, const char* bone) {
        std::string m = std::string("Mesh ") + name + " { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;";
        if (skinned && bone)
            m += std::string(" SkinWeights { \"") + bone +
                 "\"; 3; 0,1,2; 1,1,1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }";
        return m + " }\n";
    };
    return "xof 0303txt 0032\n"
           "Frame A {\n" + mesh("MA", nullptr) +
           " Frame A1 {\n" + mesh("MA1", "LostA1") + " }\n"
           " Frame A2 {\n" + mesh("MA2", nullptr) + " }\n"
           "}\n"
           "Frame B {\n" + mesh("MB", nullptr) +
           " Frame B1 {\n" + mesh("MB1", "LostB1") + " }\n"
           "}\n";
}

// Records the order in which the containers are drawn.
class OrderRecordingMesh : public CD3DSkinnedMesh {
public:
    void DrawMeshContainer(gfx::Device*, xmesh::MeshContainer* c, xmesh::Frame*, gfx::VertexShader**, gfx::Effect*,
                           const vm::Matrix&) override {
        order += std::string(c->Name ? c->Name : "?") + " ";
    }
    std::string order;
};

TEST_F(MeshFixture, FramesDrawTheirContainersThenTheSiblingsThenTheChildren) {
    Put("tree.x", TreeX(false));
    OrderRecordingMesh mesh;
    mesh.Load("model\\tree.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    mesh.DrawFrames(g_pD3DDevice);
    // A's containers, then the sibling B's subtree, then A's children.
    EXPECT_EQ(mesh.order, "MA MB MB1 MA1 MA2 ");
}

TEST_F(MeshFixture, BoneSetUpWalksTheTreeInDrawingOrder) {
    Put("tree.x", TreeX(true));
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\tree.x");
    EXPECT_EQ(mesh.GetLastLoadResult(), E_FAIL);
    EXPECT_EQ(mesh.m_pFrameRoot, nullptr);
    // B1's mesh is met before A1's, so its bone is the one reported.
    EXPECT_NE(g_ErrorLog.GetLastText().find("LostB1"), std::string::npos);
}

// Camera, light and states of the pictures below.
void SetScene(gfx::Device* d) {
    d->SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.7853982f, 4.0f / 3, 1.0f, 100.0f));
    d->SetTransform(gfx::TS_VIEW, vm::LookAtLH({1.2f, 1.4f, -3.2f}, {0, 0.9f, 0}, {0, 1, 0}));
    d->SetRenderState(gfx::RS_LIGHTING, 1);
    d->SetRenderState(gfx::RS_ZENABLE, 1);
    d->SetRenderState(gfx::RS_AMBIENT, 0xFF404040);
    gfx::Light l;
    l.type = gfx::LIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 1};
    l.direction = vm::Normalize(vm::Vec3{-0.5f, -1.0f, 0.8f});
    d->SetLight(0, l);
    d->LightEnable(0, true);
    d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF202040, 1.0f, 0);
}

int CountNot(const uint32_t* px, int n, uint32_t bg) {
    int k = 0;
    for (int i = 0; i < n; ++i) k += px[i] != bg;
    return k;
}

TEST_F(MeshFixture, PosedLitTexturedHumanoidPicture) {
    PutHumanoid("unit.x", "unit.png");
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    gfx::Device* d = g_pD3DDevice;
    SetScene(d);
    gfx::Material before;
    before.diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
    d->SetMaterial(before);
    vm::Matrix world = vm::RotationY(0.3f);
    d->SetTransform(gfx::TS_WORLD, vm::Translation(7, 7, 7));
    mesh.AdvanceAnimation(0.25);
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, &world);
    mesh.DrawFrames(d);
    EXPECT_GT(CountNot(d->BackBuffer(), 160 * 120, 0xFF202040), 1000);
    EXPECT_TRUE(testsupport::MatchesGolden("engine/mesh/posed_humanoid", d->BackBuffer(), 160, 120));
    // World transform, material and blending state are put back.
    EXPECT_EQ(d->GetTransform(gfx::TS_WORLD).m[3][0], 7.0f);
    EXPECT_EQ(d->GetMaterial().diffuse.a, 0.4f);
    EXPECT_EQ(d->GetRenderState(gfx::RS_VERTEXBLEND), uint32_t(gfx::VBF_DISABLE));
}

TEST_F(MeshFixture, AlphaOverridesEveryMaterialsDiffuseAlpha) {
    PutHumanoid("unit.x", "unit.png");
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\unit.x");
    gfx::Device* d = g_pD3DDevice;
    // The middle of the head's front face on the screen.
    vm::Matrix view = vm::LookAtLH({1.2f, 1.4f, -3.2f}, {0, 0.9f, 0}, {0, 1, 0});
    vm::Matrix proj = vm::PerspectiveFovLH(0.7853982f, 4.0f / 3, 1.0f, 100.0f);
    vm::Vec3 c = vm::TransformCoord({0, 1.64f, -0.12f}, view * proj);
    int px = int((c.x + 1) * 80), py = int((1 - c.y) * 60);
    auto draw = [&](float alpha) {
        SetScene(d);
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
        d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        mesh.m_fAlpha = alpha;
        mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, nullptr);
        mesh.DrawFrames(d);
        return d->BackBuffer()[py * 160 + px];
    };
    EXPECT_EQ(mesh.m_fAlpha, 1.0f);
    uint32_t opaque = draw(1.0f);
    ASSERT_NE(opaque, 0xFF202040u);
    uint32_t half = draw(0.5f);
    // Half of the lit head over half of the background, whatever the file's alpha.
    for (int shift : {0, 8, 16}) {
        int o = (opaque >> shift) & 0xFF, bg = (0xFF202040u >> shift) & 0xFF, h = (half >> shift) & 0xFF;
        EXPECT_NEAR(h, (o + bg) / 2.0, 1.5) << "channel at bit " << shift;
    }
    SkinMeshContainer* body = BodyOf(mesh);
    for (uint32_t i = 0; i < body->NumMaterials; ++i) EXPECT_EQ(body->pMaterials[i].MatD3D.diffuse.a, 0.5f);
}

TEST_F(MeshFixture, GroupsBeyondTheDevicesBlendMatricesGoToTheSoftwarePass) {
    // Three bones on one face; a device that blends two matrices.
    const char* text = R"(xof 0303txt 0032
Frame R {
 Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Frame B { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Frame C { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Mesh M {
  6; -1;0;0;, 1;0;0;, 0;2;0;, 2;0;0;, 3;0;0;, 2;1;0;;
  2; 3;0,2,1;, 3;3,5,4;;
  SkinWeights { "A"; 2; 0,3; 1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "B"; 3; 1,4,5; 1.0,1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "C"; 1; 2; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
 }
})";
    Put("three.x", text);
    xmesh::SetMaxVertexBlendMatricesLimit(2);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\three.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    SkinMeshContainer* c = static_cast<SkinMeshContainer*>(mesh.m_pFrameRoot->pMeshContainer);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_dwNumInfl, 3u);
    ASSERT_EQ(c->m_dwNumAttributeGroups, 1u);  // both faces fit in one group of three bones
    EXPECT_EQ(c->m_iAttributeSW, 0u);
    EXPECT_TRUE(c->MeshData.pMesh->GetOptions() & xmesh::MESH_SOFTWAREPROCESSING);
    // Still drawn.
    gfx::Device* d = g_pD3DDevice;
    SetScene(d);
    d->SetTransform(gfx::TS_VIEW, vm::LookAtLH({1, 0.5f, -6}, {1, 0.5f, 0}, {0, 1, 0}));
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, nullptr);
    mesh.DrawFrames(d);
    EXPECT_GT(CountNot(d->BackBuffer(), 160 * 120, 0xFF202040), 50);
}

TEST_F(MeshFixture, SkinnedMeshWithoutNormalsIsLit) {
    meshgen::HumanoidOptions o;
    o.normals = false;
    o.texture = "";
    Put("flat.x", meshgen::HumanoidX(o));
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\flat.x");
    SkinMeshContainer* c = BodyOf(mesh);
    ASSERT_NE(c, nullptr);
    const xmesh::Mesh& m = *c->MeshData.pMesh;
    ASSERT_TRUE(m.GetFVF() & gfx::FVF_NORMAL);
    int no = xmesh::FvfNormalOffset(m.GetFVF());
    for (uint32_t v = 0; v < m.GetNumVertices(); v += 7) {
        float n[3];
        std::memcpy(n, &m.Vertices()[size_t(v) * m.GetNumBytesPerVertex() + no], 12);
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4f);
    }
}

TEST_F(MeshFixture, DefaultGreyMaterialAndTexturesNamedTwiceLoadOnce) {
    const char* text = R"(xof 0303txt 0032
Frame F {
 Mesh Plain { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
 Mesh Twice { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,1;;
  MeshMaterialList { 2; 2; 0,1;
   Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; TextureFilename { "t.png"; } }
   Material { 1;0;0;1;; 1; 0;0;0;; 0;0;0;; TextureFilename { "t.png"; } } } }
})";
    Put("two.x", text);
    Png("t.png", 0xFFFFFFFF, 0xFF808080);
    CD3DSkinnedMesh mesh;
    mesh.Load("model\\two.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    auto* plain = static_cast<SkinMeshContainer*>(mesh.m_pFrameRoot->pMeshContainer);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->NumMaterials, 1u);
    EXPECT_EQ(plain->pMaterials[0].MatD3D.diffuse.r, 0.5f);
    EXPECT_EQ(plain->pMaterials[0].MatD3D.diffuse.a, 0.0f);
    EXPECT_EQ(plain->pMaterials[0].MatD3D.specular.g, 0.5f);
    EXPECT_TRUE(plain->MeshData.pMesh->GetFVF() & gfx::FVF_NORMAL);  // computed
    auto* twice = static_cast<SkinMeshContainer*>(plain->pNextMeshContainer);
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice->m_vecTextureName[0], "t.png");
    EXPECT_EQ(twice->m_vecTextureName[1], "t.png");
    EXPECT_EQ(mesh.mapTexture.size(), 1u);
}

TEST_F(MeshFixture, ExplodeVariantScrollsTheSecondTextureCoordinate) {
    Put("ball.x", meshgen::BallX(0.5f, ""));
    CD3DSkinnedMesh_Explode mesh;
    mesh.Load("model\\ball.x");
    ASSERT_NE(mesh.m_pFrameRoot, nullptr);
    xmesh::MeshContainer* c = mesh.m_pFrameRoot->pMeshContainer;
    ASSERT_NE(c, nullptr);
    const xmesh::Mesh& m = *c->MeshData.pMesh;
    ASSERT_EQ(m.GetNumBytesPerVertex(), 32u);  // position, normal, u, v
    float v0;
    std::memcpy(&v0, &m.Vertices()[32 + 28], 4);
    mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, nullptr);
    mesh.DrawFrames(g_pD3DDevice);
    mesh.DrawFrames(g_pD3DDevice);
    float v2;
    std::memcpy(&v2, &m.Vertices()[32 + 28], 4);
    EXPECT_NEAR(v2 - v0, 0.05f, 1e-6f);
}

}  // namespace

namespace {

// The generated game meshes load the way the preload and the battle use them.
TEST_F(MeshFixture, GeneratedGameMeshesLoadAndTheMaskedFaceCanBeSwapped) {
    ASSERT_GT(meshgen::GenerateGameMeshes(dir_.path()), 0);
    const char* files[] = {"light_armor2", "heavy_armor", "archer", "knight", "arch_knight", "magi", "sugent",
                           "HeroKnight", "surgent_bow", "HeroBowKnight", "velgor", "wizard", "wizard_horse",
                           "magi_horse", "furfur", "spearman", "arrow", "ball", "rock1", "spear", "sword",
                           "field1_gnd", "field2_gnd", "field1_BG", "field2_BG"};
    {
        std::vector<std::unique_ptr<CD3DSkinnedMesh_TextureShared>> meshes;
        for (const char* f : files) {
            meshes.push_back(std::make_unique<CD3DSkinnedMesh_TextureShared>());
            meshes.back()->Load(std::string("model\\") + f + ".x");
            EXPECT_NE(meshes.back()->m_pFrameRoot, nullptr) << f;
            EXPECT_EQ(meshes.back()->GetLastLoadResult(), S_OK) << f;
        }
        EXPECT_EQ(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.size(), size_t(16 + 9));

        CD3DSkinnedMesh& velgor = *meshes[10];
        gfx::Texture* masked = velgor.GetTexture("velgor_hukumen2.png");
        ASSERT_NE(masked, nullptr);
        velgor.SetTextureReplacement("model\\velgor.png", "velgor.png");  // a name no material uses
        EXPECT_EQ(velgor.GetTexture("velgor_hukumen2.png"), masked);
        velgor.SetTextureReplacement("velgor.png", "velgor_hukumen2.png");  // later in the story
        gfx::Texture* bare = velgor.GetTexture("velgor_hukumen2.png");
        ASSERT_NE(bare, nullptr);
        EXPECT_NE(bare, masked);
        velgor.SetTextureReplacement("velgor_hukumen2.png", "velgor_hukumen2.png");
        EXPECT_EQ(velgor.GetTexture("velgor_hukumen2.png"), masked);

        // Drawn as the battle draws the field and a unit: no failure logged.
        gfx::Device* d = g_pD3DDevice;
        SetScene(d);
        std::string before = g_ErrorLog.GetLastText();
        vm::Matrix upright = vm::RotationX(3.14159265f / 2);
        for (auto& m : meshes) {
            m->AdvanceAnimation(0.4);
            m->UpdateFrameMatrices(m->m_pFrameRoot, &upright);
            m->DrawFrames(d);
        }
        EXPECT_EQ(g_ErrorLog.GetLastText(), before);
    }
    EXPECT_TRUE(CD3DSkinnedMesh_TextureShared::s_mapSharedTexture.empty());
}

}  // namespace
