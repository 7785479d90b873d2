// Skinned mesh speed: posing and drawing one humanoid of about 2,000 triangles on
// the software device, and reading its .x file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "golden.h"
// The demo mesh generator is compiled in (the benchmark programs link the game only).
#include "../tools/meshgen/meshgen.cpp"

namespace {

constexpr int kSegments = 5;  // 7 boxes x 12 x 25 = 2,100 triangles

struct Scene {
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd;
    std::unique_ptr<CD3DSkinnedMesh> mesh;

    Scene() {
        std::filesystem::create_directories(dir.path() + "model");
        meshgen::HumanoidOptions o;
        o.segments = kSegments;
        o.texture = "unit.png";
        std::ofstream(dir.path() + "model/unit.x", std::ios::binary) << meshgen::HumanoidX(o);
        meshgen::WriteCheckerPng(dir.path() + "model/unit.png", 64, 0xFFC04040, 0xFF40C040, 8);
        cwd = std::make_unique<testsupport::ScopedCurrentDir>(dir.path());
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        mesh = std::make_unique<CD3DSkinnedMesh>();
        mesh->Load("model\\unit.x");
        gfx::Device* d = g_pD3DDevice;
        d->SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.7853982f, 4.0f / 3, 1.0f, 100.0f));
        d->SetTransform(gfx::TS_VIEW, vm::LookAtLH({0.8f, 1.2f, -2.6f}, {0, 0.9f, 0}, {0, 1, 0}));
        d->SetRenderState(gfx::RS_LIGHTING, 1);
        d->SetRenderState(gfx::RS_ZENABLE, 1);
        d->SetRenderState(gfx::RS_AMBIENT, 0xFF404040);
        gfx::Light l;
        l.diffuse = {1, 1, 1, 1};
        l.direction = vm::Normalize(vm::Vec3{-0.5f, -1.0f, 0.8f});
        d->SetLight(0, l);
        d->LightEnable(0, true);
    }
    ~Scene() {
        mesh.reset();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
};

void BM_PoseSkinnedMesh(benchmark::State& state) {
    Scene s;
    double t = 0;
    vm::Matrix world = vm::RotationY(0.3f);
    for (auto _ : state) {
        t += 1.0 / 60;
        s.mesh->AdvanceAnimation(t);
        s.mesh->UpdateFrameMatrices(s.mesh->m_pFrameRoot, &world);
        benchmark::DoNotOptimize(s.mesh->m_pFrameRoot);
    }
}
BENCHMARK(BM_PoseSkinnedMesh);

void BM_PoseAndDrawSkinnedMesh(benchmark::State& state) {
    Scene s;
    double t = 0;
    vm::Matrix world = vm::RotationY(0.3f);
    for (auto _ : state) {
        t += 1.0 / 60;
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF202040, 1.0f, 0);
        s.mesh->AdvanceAnimation(t);
        s.mesh->UpdateFrameMatrices(s.mesh->m_pFrameRoot, &world);
        s.mesh->DrawFrames(g_pD3DDevice);
    }
    state.counters["triangles"] = meshgen::HumanoidTriangles(kSegments);
}
BENCHMARK(BM_PoseAndDrawSkinnedMesh)->Unit(benchmark::kMicrosecond);

void BM_ReadXFile(benchmark::State& state) {
    meshgen::HumanoidOptions o;
    o.segments = kSegments;
    std::string text = meshgen::HumanoidX(o);
    std::string data = state.range(0) ? meshgen::ToBinaryX(text) : text;
    CAllocateHierarchy alloc;
    for (auto _ : state) {
        xmesh::Frame* root = nullptr;
        std::unique_ptr<xmesh::AnimationController> anim;
        xmesh::LoadMeshHierarchyFromXInMemory(data.data(), data.size(), xmesh::MESH_MANAGED, nullptr, &alloc, nullptr,
                                              &root, &anim);
        xmesh::FrameDestroy(root, &alloc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ReadXFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
