// The .x reader, the frame tree it builds, skin blending and keyframe animation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "meshgen.h"
#include "mesh/xmesh.h"

namespace {

// Counts what it makes, so a failed load can be checked for leaks.
class CountingAllocator : public xmesh::AllocateHierarchy {
public:
    int frames = 0, containers = 0;
    HRESULT failContainerWith = S_OK;

    HRESULT CreateFrame(const char* name, xmesh::Frame** out) override {
        auto* f = new xmesh::Frame();
        if (name) {
            f->Name = new char[std::strlen(name) + 1];
            std::strcpy(f->Name, name);
        }
        ++frames;
        *out = f;
        return S_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const xmesh::MeshData* md, const xmesh::XMaterial* mats,
                                const void*, uint32_t n, const uint32_t* adj,
                                const std::shared_ptr<xmesh::SkinInfo>& skin, xmesh::MeshContainer** out) override {
        if (FAILED(failContainerWith)) return failContainerWith;
        auto* c = new xmesh::MeshContainer();
        if (name) {
            c->Name = new char[std::strlen(name) + 1];
            std::strcpy(c->Name, name);
        }
        c->MeshData = *md;
        if (mats) c->pMaterials.assign(mats, mats + n);
        c->NumMaterials = n;
        c->pAdjacency.assign(adj, adj + md->pMesh->GetNumFaces() * 3);
        c->pSkinInfo = skin;
        ++containers;
        *out = c;
        return S_OK;
    }
    HRESULT DestroyFrame(xmesh::Frame* f) override {
        delete[] f->Name;
        delete f;
        --frames;
        return S_OK;
    }
    HRESULT DestroyMeshContainer(xmesh::MeshContainer* c) override {
        delete[] c->Name;
        delete c;
        --containers;
        return S_OK;
    }
};

struct Loaded {
    CountingAllocator alloc;
    xmesh::Frame* root = nullptr;
    std::unique_ptr<xmesh::AnimationController> anim;
    std::string error;
    HRESULT hr = E_FAIL;

    explicit Loaded(const std::string& bytes) {
        hr = xmesh::LoadMeshHierarchyFromXInMemory(bytes.data(), bytes.size(), xmesh::MESH_MANAGED, nullptr, &alloc,
                                                   nullptr, &root, &anim, &error);
    }
    ~Loaded() { xmesh::FrameDestroy(root, &alloc); }
    xmesh::Frame* Find(const char* n) { return xmesh::FrameFind(root, n); }
};

void ExpectMatrixNear(const vm::Matrix& a, const vm::Matrix& b, float eps = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at " << r << "," << c;
}

const char kQuadFile[] = R"(xof 0303txt 0032
// a comment
# another
template Unused { <01234567-0000-0000-0000-000000000000> DWORD x; }
Mystery { 1; 2; "three"; Nested { 4; } }
Material Red { 1.0;0.0;0.0;1.0;; 5.0; 0.1;0.2;0.3;; 0.0;0.0;0.0;; TextureFilename { "red.png"; } }
Frame Top {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,20,30,1;; }
 Mesh Quad {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  1; 4;0,3,2,1;;
  Mystery { 7; }
  MeshMaterialList { 1; 1; 0;; { Red } }
 }
}
)";

TEST(XReader, QuadsBecomeTrianglesAndUnknownObjectsAreSkipped) {
    Loaded l(kQuadFile);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    ASSERT_NE(l.root, nullptr);
    EXPECT_STREQ(l.root->Name, "Top");
    EXPECT_EQ(l.root->pFrameSibling, nullptr);
    EXPECT_FLOAT_EQ(l.root->TransformationMatrix.m[3][1], 20.0f);
    ASSERT_NE(l.root->pMeshContainer, nullptr);
    xmesh::MeshContainer* c = l.root->pMeshContainer;
    EXPECT_STREQ(c->Name, "Quad");
    const xmesh::Mesh& m = *c->MeshData.pMesh;
    EXPECT_EQ(m.GetNumFaces(), 2u);
    EXPECT_EQ(m.GetNumVertices(), 4u);
    EXPECT_EQ(m.GetFVF(), uint32_t(gfx::FVF_XYZ));  // no normals, no texture coordinates
    EXPECT_EQ(m.Indices(), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    ASSERT_EQ(c->NumMaterials, 1u);
    EXPECT_FLOAT_EQ(c->pMaterials[0].MatD3D.diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(c->pMaterials[0].MatD3D.power, 5.0f);
    EXPECT_FLOAT_EQ(c->pMaterials[0].MatD3D.specular.b, 0.3f);
    EXPECT_EQ(c->pMaterials[0].TextureFilename, "red.png");
    // The two triangles share the diagonal.
    EXPECT_EQ(c->pAdjacency[2], 1u);
    EXPECT_EQ(c->pAdjacency[3], 0u);
    EXPECT_EQ(l.anim, nullptr);  // no animation
}

TEST(XReader, JapaneseNamesAndTextureFileNames) {
    // "表" is 0x95 0x5C and "ソ" 0x83 0x5C in code page 932: their second byte is a
    // backslash; "ア" is 0x83 0x41.
    std::string text = "xof 0303txt 0032\nFrame \x95\x5C\x83\x41 { Frame \x83\x5C\x83\x7D { }\n"
                       "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;;"
                       " Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; TextureFilename { \"\x95\x5C.png\"; } } } } }";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    EXPECT_STREQ(l.root->Name, "\x95\x5C\x83\x41");
    ASSERT_NE(l.root->pFrameFirstChild, nullptr);
    EXPECT_STREQ(l.root->pFrameFirstChild->Name, "\x83\x5C\x83\x7D");  // ends in a '}' byte
    EXPECT_EQ(l.root->pMeshContainer->pMaterials[0].TextureFilename, "\x95\x5C.png");
    Loaded b(meshgen::ToBinaryX(text));
    ASSERT_EQ(b.hr, S_OK) << b.error;
    EXPECT_STREQ(b.root->pFrameFirstChild->Name, "\x83\x5C\x83\x7D");
}

TEST(XReader, TextAndBinaryFormsLoadTheSameHierarchy) {
    meshgen::HumanoidOptions o;
    std::string text = meshgen::HumanoidX(o);
    std::string bin = meshgen::ToBinaryX(text);
    ASSERT_FALSE(bin.empty());
    EXPECT_EQ(bin.substr(0, 16), "xof 0303bin 0032");
    Loaded a(text), b(bin);
    ASSERT_EQ(a.hr, S_OK) << a.error;
    ASSERT_EQ(b.hr, S_OK) << b.error;

    std::function<void(xmesh::Frame*, xmesh::Frame*)> same = [&](xmesh::Frame* x, xmesh::Frame* y) {
        for (; x || y; x = x->pFrameSibling, y = y->pFrameSibling) {
            ASSERT_TRUE(x && y);
            EXPECT_STREQ(x->Name, y->Name);
            ExpectMatrixNear(x->TransformationMatrix, y->TransformationMatrix, 0);
            ASSERT_EQ(!x->pMeshContainer, !y->pMeshContainer);
            if (x->pMeshContainer) {
                const xmesh::Mesh& mx = *x->pMeshContainer->MeshData.pMesh;
                const xmesh::Mesh& my = *y->pMeshContainer->MeshData.pMesh;
                EXPECT_EQ(mx.GetFVF(), my.GetFVF());
                EXPECT_EQ(mx.Vertices(), my.Vertices());
                EXPECT_EQ(mx.Indices(), my.Indices());
                EXPECT_EQ(mx.Attributes(), my.Attributes());
                const auto& sx = *x->pMeshContainer->pSkinInfo;
                const auto& sy = *y->pMeshContainer->pSkinInfo;
                ASSERT_EQ(sx.GetNumBones(), sy.GetNumBones());
                for (uint32_t i = 0; i < sx.GetNumBones(); ++i) {
                    EXPECT_STREQ(sx.GetBoneName(i), sy.GetBoneName(i));
                    EXPECT_EQ(sx.GetBone(i).vertices, sy.GetBone(i).vertices);
                    EXPECT_EQ(sx.GetBone(i).weights, sy.GetBone(i).weights);
                    ExpectMatrixNear(*sx.GetBoneOffsetMatrix(i), *sy.GetBoneOffsetMatrix(i), 0);
                }
                EXPECT_EQ(x->pMeshContainer->pMaterials[0].TextureFilename,
                          y->pMeshContainer->pMaterials[0].TextureFilename);
            }
            same(x->pFrameFirstChild, y->pFrameFirstChild);
        }
    };
    same(a.root, b.root);
    ASSERT_TRUE(a.anim && b.anim);
    EXPECT_DOUBLE_EQ(a.anim->GetAnimationSet(0)->GetPeriod(), b.anim->GetAnimationSet(0)->GetPeriod());
    a.anim->AdvanceTime(0.3);
    b.anim->AdvanceTime(0.3);
    ExpectMatrixNear(a.Find("LegL")->TransformationMatrix, b.Find("LegL")->TransformationMatrix, 0);
}

TEST(XReader, HumanoidHierarchyAndSkin) {
    Loaded l(meshgen::HumanoidX({}));
    ASSERT_EQ(l.hr, S_OK) << l.error;
    EXPECT_STREQ(l.root->Name, "Root");
    xmesh::Frame* mesh = l.root->pFrameFirstChild;
    ASSERT_NE(mesh, nullptr);
    EXPECT_STREQ(mesh->Name, "Mesh");
    ASSERT_NE(mesh->pFrameSibling, nullptr);
    EXPECT_STREQ(mesh->pFrameSibling->Name, "Hips");
    xmesh::Frame* legL = l.Find("LegL");
    ASSERT_NE(legL, nullptr);
    ExpectMatrixNear(legL->TransformationMatrix, vm::Translation(-0.11f, -0.1f, 0));
    xmesh::MeshContainer* c = mesh->pMeshContainer;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->MeshData.pMesh->GetNumFaces(), uint32_t(meshgen::HumanoidTriangles(1)));
    EXPECT_EQ(c->MeshData.pMesh->GetFVF(), uint32_t(gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1));
    ASSERT_TRUE(c->pSkinInfo);
    EXPECT_EQ(c->pSkinInfo->GetNumBones(), 7u);
    EXPECT_EQ(c->pSkinInfo->GetMaxVertexInfluences(), 2u);
    ExpectMatrixNear(*c->pSkinInfo->GetBoneOffsetMatrix(0), vm::Translation(0, -0.9f, 0));
    EXPECT_EQ(c->NumMaterials, 2u);
    EXPECT_EQ(c->pMaterials[0].TextureFilename, "unit.png");
    EXPECT_EQ(c->pMaterials[1].TextureFilename, "");
}

TEST(XReader, TopLevelFramesAreSiblingsAndLooseMeshesGetAFrame) {
    const char* text = R"(xof 0302txt 0064
Frame First { Frame Inner { } }
Mesh Loose { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Frame Second { }
)";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    ASSERT_NE(l.root, nullptr);
    EXPECT_STREQ(l.root->Name, "First");
    EXPECT_STREQ(l.root->pFrameFirstChild->Name, "Inner");
    xmesh::Frame* loose = l.root->pFrameSibling;
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->Name, nullptr);
    ASSERT_NE(loose->pMeshContainer, nullptr);
    EXPECT_STREQ(loose->pMeshContainer->Name, "Loose");
    ASSERT_NE(loose->pFrameSibling, nullptr);
    EXPECT_STREQ(loose->pFrameSibling->Name, "Second");
    EXPECT_EQ(xmesh::FrameFind(l.root, "Second"), loose->pFrameSibling);
    EXPECT_EQ(xmesh::FrameFind(l.root, "Nobody"), nullptr);
}

TEST(XReader, BinaryFilesWithDoubleFloatsRead) {
    std::string text = meshgen::HumanoidX({});
    xmesh::XFile f;
    ASSERT_EQ(xmesh::ParseXFile(text.data(), text.size(), f), S_OK);
    std::string wide = xmesh::WriteXFile(f, true, true);
    EXPECT_EQ(wide.substr(0, 16), "xof 0303bin 0064");
    Loaded a(text), b(wide);
    ASSERT_EQ(b.hr, S_OK) << b.error;
    EXPECT_EQ(a.Find("Mesh")->pMeshContainer->MeshData.pMesh->Vertices(),
              b.Find("Mesh")->pMeshContainer->MeshData.pMesh->Vertices());
}

TEST(XReader, TruncatedFilesFailCleanlyAtEveryLength) {
    std::string text = meshgen::HumanoidX({});
    std::string bin = meshgen::ToBinaryX(text);
    for (const std::string* whole : {&text, &bin}) {
        size_t step = std::max<size_t>(1, whole->size() / 400);
        for (size_t n = 0; n < whole->size() - 2; n += step) {
            std::string cut = whole->substr(0, n);
            Loaded l(cut);
            if (SUCCEEDED(l.hr)) continue;  // a cut between objects can still be a whole file
            EXPECT_EQ(l.root, nullptr);
            EXPECT_EQ(l.alloc.frames, 0) << "at " << n;
            EXPECT_EQ(l.alloc.containers, 0) << "at " << n;
            EXPECT_FALSE(l.error.empty());
        }
    }
}

TEST(XReader, RandomlyDamagedFilesLoadOrFailWithoutLeaks) {
    meshgen::HumanoidOptions o;
    std::string text = meshgen::HumanoidX(o);
    std::string bin = meshgen::ToBinaryX(text);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (const std::string* whole : {&text, &bin})
        for (int round = 0; round < 150; ++round) {
            std::string bad = *whole;
            for (int k = 0, n = 1 + int(next() % 6); k < n; ++k) bad[16 + next() % (bad.size() - 16)] = char(next() >> 24);
            Loaded l(bad);
            if (FAILED(l.hr)) {
                EXPECT_EQ(l.root, nullptr);
                EXPECT_EQ(l.alloc.frames, 0);
                EXPECT_EQ(l.alloc.containers, 0);
            } else if (l.anim) {
                l.anim->AdvanceTime(0.3);  // whatever the keys became, posing is safe
            }
        }
}

TEST(XReader, MalformedInputIsRefusedWithAReason) {
    struct Case { const char* text; const char* reason; };
    const Case cases[] = {
        {"xof 0303txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }", "face index out of range"},
        {"xof 0303txt 0032\nMesh M { 4000000000; 0;0;0;; 0; }", "nVertices"},
        {"xof 0303txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 3;; "
         "Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; } } }",
         "face material out of range"},
        {"xof 0303txt 0032\nFrame F { Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; "
         "{ Nowhere } } } }",
         "unknown material"},
        {"xof 0303txt 0032\nFrame F { Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
         "SkinWeights { \"F\"; 1; 9; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } } }",
         "names no vertex"},
        {"xof 0303tzip0032xxxxxxxx", "compressed"},
        {"xyz 0303txt 0032", "not a .x file"},
        {"xof 0303txt 0032\nHeader { 1; 0; 1; }", "no frame or mesh"},
        {"xof 0303txt 0032\nFrame F { \"unterminated }", "unterminated string"},
    };
    for (const Case& c : cases) {
        Loaded l(c.text);
        EXPECT_TRUE(FAILED(l.hr)) << c.text;
        EXPECT_NE(l.error.find(c.reason), std::string::npos) << l.error;
        EXPECT_EQ(l.alloc.frames, 0);
    }
}

TEST(XReader, AllocatorFailureIsReturnedAndNothingLeaks) {
    CountingAllocator alloc;
    alloc.failContainerWith = E_OUTOFMEMORY;
    std::string text = meshgen::HumanoidX({});
    xmesh::Frame* root = nullptr;
    std::unique_ptr<xmesh::AnimationController> anim;
    HRESULT hr = xmesh::LoadMeshHierarchyFromXInMemory(text.data(), text.size(), 0, nullptr, &alloc, nullptr, &root,
                                                       &anim, nullptr);
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(anim, nullptr);
    EXPECT_EQ(alloc.frames, 0);
}

TEST(Animation, KeysInterpolateAndTheTimeWrapsByThePeriod) {
    Loaded l(meshgen::HumanoidX({}));
    ASSERT_EQ(l.hr, S_OK) << l.error;
    ASSERT_TRUE(l.anim);
    xmesh::AnimationSet* set = l.anim->GetAnimationSet(0);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->name, "Anim");
    EXPECT_DOUBLE_EQ(set->ticksPerSecond, 4800.0);
    EXPECT_DOUBLE_EQ(set->GetPeriod(), 1.0);

    xmesh::Frame* legL = l.Find("LegL");
    xmesh::Frame* legR = l.Find("LegR");
    xmesh::Frame* hips = l.Find("Hips");
    // A quarter second: the key of +0.5 radians about X, translation kept from the frame.
    l.anim->AdvanceTime(0.25);
    ExpectMatrixNear(legL->TransformationMatrix, vm::RotationX(0.5f) * vm::Translation(-0.11f, -0.1f, 0));
    ExpectMatrixNear(legR->TransformationMatrix, vm::RotationX(-0.5f) * vm::Translation(0.11f, -0.1f, 0));
    EXPECT_NEAR(hips->TransformationMatrix.m[3][1], 0.95f, 1e-6f);
    // Halfway between keys: the angle halves (spherical), the position too (linear).
    l.anim->AdvanceTime(-0.125);
    ExpectMatrixNear(legL->TransformationMatrix, vm::RotationX(0.25f) * vm::Translation(-0.11f, -0.1f, 0));
    EXPECT_NEAR(hips->TransformationMatrix.m[3][1], 0.925f, 1e-6f);
    EXPECT_DOUBLE_EQ(l.anim->GetTime(), 0.125);
    // 1.125 s: wrapped into the next cycle, the same pose.
    l.anim->AdvanceTime(1.0);
    EXPECT_DOUBLE_EQ(l.anim->GetTime(), 1.125);
    ExpectMatrixNear(legL->TransformationMatrix, vm::RotationX(0.25f) * vm::Translation(-0.11f, -0.1f, 0));
    EXPECT_DOUBLE_EQ(set->GetPeriodicPosition(2.75), 0.75);
    EXPECT_DOUBLE_EQ(set->GetPeriodicPosition(-0.25), 0.75);
}

TEST(Animation, MatrixKeysAndMissingKindsOfKey) {
    const char* text = R"(xof 0303txt 0032
AnimTicksPerSecond { 100; }
Frame A { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 1,2,3,1;; }
 Frame B { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
}
AnimationSet S {
 Animation { { A } AnimationKey { 0; 2; 0;4;1,0,0,0;;, 200;4;0,0,0,1;;; } }
 Animation { { B } AnimationKey { 4; 2; 0;16;1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;, 100;16;1,0,0,0,0,1,0,0,0,0,1,0,4,0,0,1;;; } }
})";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    ASSERT_TRUE(l.anim);
    EXPECT_DOUBLE_EQ(l.anim->GetAnimationSet(0)->GetPeriod(), 2.0);
    l.anim->AdvanceTime(1.0);
    // A: rotation keys hold the inverse rotation, so the key (w 0, z 1) is the half
    // turn (0, 0, -1, 0) and halfway lies a quarter turn the negative way about Z;
    // scale and translation stay the frame's own.
    ExpectMatrixNear(l.Find("A")->TransformationMatrix,
                     vm::Scaling(2, 2, 2) * vm::RotationZ(-3.14159265f / 2) * vm::Translation(1, 2, 3));
    // B: past its last key it holds the last key.
    ExpectMatrixNear(l.Find("B")->TransformationMatrix, vm::Translation(4, 0, 0));
    l.anim->AdvanceTime(-0.5);
    ExpectMatrixNear(l.Find("B")->TransformationMatrix, vm::Translation(2, 0, 0));
}

TEST(Skin, TwoBoneVertexLandsWhereTheBlendPutsIt) {
    // One triangle: vertex 0 on bone A only, vertex 1 shared 0.25 / 0.75, vertex 2 on B.
    const char* text = R"(xof 0303txt 0032
Frame Root {
 Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Frame B { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; } }
 Mesh M {
  3; 0;0;0;, 1;1;0;, 0;2;0;;
  1; 3;0,1,2;;
  SkinWeights { "A"; 2; 0,1; 1.0,0.25; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "B"; 2; 1,2; 0.75,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,-1,0,1;; }
 }
})";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    xmesh::MeshContainer* c = l.root->pMeshContainer;
    ASSERT_TRUE(c && c->pSkinInfo);
    uint32_t infl = 0;
    std::vector<xmesh::BoneCombination> combos;
    std::shared_ptr<xmesh::Mesh> blended;
    ASSERT_EQ(c->pSkinInfo->ConvertToBlendedMesh(*c->MeshData.pMesh, 0, &infl, combos, blended), S_OK);
    EXPECT_EQ(infl, 2u);
    ASSERT_EQ(combos.size(), 1u);
    EXPECT_EQ(blended->GetFVF(), uint32_t(gfx::FVF_XYZB1));
    EXPECT_EQ(blended->GetNumBytesPerVertex(), 16u);
    // Pose: B turned a quarter about Z around its joint at (0, 1, 0).
    vm::Matrix world[2] = {vm::Identity(), vm::Identity()};
    vm::Matrix bPose = vm::RotationZ(3.14159265f / 2) * vm::Translation(0, 1, 0);
    for (int k = 0; k < 2; ++k) {
        uint32_t bone = combos[0].BoneId[k];
        vm::Matrix frame = bone == 0 ? vm::Identity() : bPose;
        world[k] = *c->pSkinInfo->GetBoneOffsetMatrix(bone) * frame;
    }
    // Blend every vertex the way the device does: w0 * M0 + (1 - w0) * M1.
    for (uint32_t v = 0; v < blended->GetNumVertices(); ++v) {
        const uint8_t* p = &blended->Vertices()[v * 16];
        vm::Vec3 pos;
        float w0;
        std::memcpy(&pos.x, p, 12);
        std::memcpy(&w0, p + 12, 4);
        vm::Vec3 a = vm::TransformCoord(pos, world[0]), b = vm::TransformCoord(pos, world[1]);
        vm::Vec3 out = a * w0 + b * (1 - w0);
        if (pos.x == 1.0f) {  // the shared vertex (1, 1, 0)
            float wA = combos[0].BoneId[0] == 0 ? w0 : 1 - w0;
            EXPECT_NEAR(wA, 0.25f, 1e-6f);
            // Bone A leaves it at (1, 1, 0); bone B turns it to (0, 2, 0).
            EXPECT_NEAR(out.x, 0.25f * 1 + 0.75f * 0, 1e-5f);
            EXPECT_NEAR(out.y, 0.25f * 1 + 0.75f * 2, 1e-5f);
        }
        if (pos.y == 2.0f) {  // on B only: (0, 2, 0) turns to (-1, 1, 0)
            EXPECT_NEAR(out.x, -1.0f, 1e-5f);
            EXPECT_NEAR(out.y, 1.0f, 1e-5f);
        }
    }
}

TEST(Skin, FacesNeedingMoreBonesThanAllowedLoseTheWeakest) {
    // One triangle touched by three bones; at most two per face.
    const char* text = R"(xof 0303txt 0032
Frame R {
 Frame A { } Frame B { } Frame C { }
 Mesh M {
  3; 0;0;0;, 1;0;0;, 0;1;0;;
  1; 3;0,1,2;;
  SkinWeights { "A"; 1; 0; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "B"; 2; 1,2; 0.9,0.1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "C"; 2; 1,2; 0.1,0.9; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
 }
})";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    auto& skin = *l.root->pMeshContainer->pSkinInfo;
    uint32_t infl = 0;
    std::vector<xmesh::BoneCombination> combos;
    std::shared_ptr<xmesh::Mesh> blended;
    ASSERT_EQ(skin.ConvertToBlendedMesh(*l.root->pMeshContainer->MeshData.pMesh, 0, &infl, combos, blended, 4), S_OK);
    EXPECT_EQ(infl, 3u);
    EXPECT_EQ(blended->GetFVF(), uint32_t(gfx::FVF_XYZB2));
    ASSERT_EQ(skin.ConvertToBlendedMesh(*l.root->pMeshContainer->MeshData.pMesh, 0, &infl, combos, blended, 2), S_OK);
    EXPECT_EQ(infl, 2u);
    ASSERT_EQ(combos.size(), 1u);
    // Every vertex's weights over the kept bones still sum to one.
    for (uint32_t v = 0; v < blended->GetNumVertices(); ++v) {
        float w0;
        std::memcpy(&w0, &blended->Vertices()[v * 16 + 12], 4);
        EXPECT_GE(w0, 0.0f);
        EXPECT_LE(w0, 1.0f);
    }
}

// Vertex 1 and vertex 3 are one corner stored twice (different texture coordinates).
// The second face needs three bones where two are allowed: the copy in it may not lose
// a bone the copy in the first face keeps, or the corner tears open when B moves.
TEST(Skin, CopiesOfOnePositionKeepTheSameBones) {
    const char* text = R"(xof 0303txt 0032
Frame R {
 Frame A { } Frame B { } Frame C { }
 Mesh M {
  6; 0;0;0;, 1;0;0;, 0;1;0;, 1;0;0;, 2;0;0;, 2;1;0;;
  2; 3;0,1,2;, 3;3,4,5;;
  MeshTextureCoords { 6; 0;0;, 0.5;0;, 0;1;, 0.6;0;, 1;0;, 1;1;; }
  SkinWeights { "A"; 4; 0,1,2,3; 1.0,0.5,1.0,0.5; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "B"; 2; 1,3; 0.3,0.3; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
  SkinWeights { "C"; 4; 1,3,4,5; 0.2,0.2,1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }
 }
})";
    Loaded l(text);
    ASSERT_EQ(l.hr, S_OK) << l.error;
    auto& skin = *l.root->pMeshContainer->pSkinInfo;
    const vm::Vec3 moves[3] = {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // bones A, B, C (offsets are identity)
    for (uint32_t limit : {2u, 4u}) {
        uint32_t infl = 0;
        std::vector<xmesh::BoneCombination> combos;
        std::shared_ptr<xmesh::Mesh> blended;
        ASSERT_EQ(skin.ConvertToBlendedMesh(*l.root->pMeshContainer->MeshData.pMesh, 0, &infl, combos, blended, limit),
                  S_OK);
        std::vector<vm::Vec3> corner;  // where each copy of (1, 0, 0) goes
        for (const xmesh::BoneCombination& bc : combos)
            for (uint32_t v = bc.VertexStart; v < bc.VertexStart + bc.VertexCount; ++v) {
                const uint8_t* p = &blended->Vertices()[size_t(v) * blended->GetNumBytesPerVertex()];
                vm::Vec3 pos, moved{0, 0, 0};
                std::memcpy(&pos.x, p, 12);
                float rest = 1;
                for (uint32_t k = 0; k < infl; ++k) {
                    float w = rest;
                    if (k + 1 < infl) std::memcpy(&w, p + 12 + 4 * k, 4);
                    rest -= w;
                    if (bc.BoneId[k] != xmesh::UNUSED_BONE) moved = moved + moves[bc.BoneId[k]] * w;
                }
                if (pos.x == 1.0f && pos.y == 0.0f) corner.push_back(moved);
            }
        ASSERT_EQ(corner.size(), 2u) << "limit " << limit;
        EXPECT_NEAR(vm::Length(corner[0] - corner[1]), 0.0f, 1e-6f) << "limit " << limit;
    }
}

TEST(MeshOps, CloneToAnotherFormatAndComputeNormals) {
    Loaded l(kQuadFile);
    ASSERT_EQ(l.hr, S_OK);
    const xmesh::Mesh& m = *l.root->pMeshContainer->MeshData.pMesh;
    std::shared_ptr<xmesh::Mesh> clone;
    ASSERT_EQ(m.CloneMeshFVF(0, gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1, nullptr, clone), S_OK);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 32u);
    EXPECT_EQ(clone->Indices(), m.Indices());
    for (uint32_t v = 0; v < 4; ++v) EXPECT_FLOAT_EQ(clone->GetPosition(v).x, m.GetPosition(v).x);
    ASSERT_EQ(xmesh::ComputeNormals(*clone), S_OK);
    // The quad lies in z = 0, wound clockwise as seen from -z: its normal points to -z.
    for (uint32_t v = 0; v < 4; ++v) {
        float n[3];
        std::memcpy(n, &clone->Vertices()[v * 32 + 12], 12);
        EXPECT_NEAR(n[2], -1.0f, 1e-6f);
    }
    EXPECT_EQ(xmesh::ComputeNormals(const_cast<xmesh::Mesh&>(m)), E_INVALIDARG);
    EXPECT_EQ(xmesh::FvfVertexSize(gfx::FVF_XYZB3 | gfx::FVF_NORMAL | gfx::FVF_TEX1), 44u);
    EXPECT_EQ(xmesh::FvfTexCoordOffset(gfx::FVF_XYZB3 | gfx::FVF_NORMAL | gfx::FVF_TEX1), 36);
}

}  // namespace
