// The story and field presentation drawn through the software device: a strategy-map
// frame with force fields and markers, the serif and message windows, unit plates
// and framed windows.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "PersonData.h"
#include "golden.h"
#include "resources/GlobalResources.h"
#include "stb_image_write.h"

namespace {

void WritePicture(const std::string& path, int w, int h, uint32_t seed) {
    std::vector<unsigned char> rgba(size_t(w) * h * 4);
    uint32_t s = seed;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        s = s * 1664525u + 1013904223u;
        rgba[i] = s >> 24;
        rgba[i + 1] = s >> 16;
        rgba[i + 2] = s >> 8;
        rgba[i + 3] = 0xC0;
    }
    stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4);
}

// A device, pictures in a temporary folder and a loaded presentation object.
struct Scene {
    Scene() {
        const std::string root = dir.path();
        ::mkdir((root + "graphics").c_str(), 0755);
        ::mkdir((root + "graphics/ForcesField").c_str(), 0755);
        ::mkdir((root + "graphics/BastUp").c_str(), 0755);
        WritePicture(root + "graphics/sys.png", 1024, 1024, 1);
        WritePicture(root + "graphics/StrategyMap.png", 2048, 2048, 2);
        WritePicture(root + "graphics/ForcesField/a.png", 256, 256, 3);
        WritePicture(root + "graphics/marker.png", 32, 32, 4);
        WritePicture(root + "graphics/BastUp/007.png", 256, 512, 5);
        cd = std::make_unique<testsupport::ScopedCurrentDir>(root);
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        gfx::Device* d = g_pD3DDevice;
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
        d->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
        d->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
        d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        g = std::make_unique<CGlobalResources>();
        g->Load();
    }
    ~Scene() {
        EndSpriteBatch();
        g->Release();
        g.reset();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd.reset();
    }
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd;
    std::unique_ptr<CGlobalResources> g;
};

void EndFrame() {
    EndSpriteBatch();
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
}

// The strategy map at zoom 0.5 with two force fields and four markers, every frame.
void StrategyMapFrame(benchmark::State& state) {
    Scene s;
    s.g->StartMapCameraMove(1024, 1024, 50);
    s.g->MakeForcesField(1, "a.png", 200, 700, 700, 256, 256);
    s.g->MakeForcesField(2, "a.png", 200, 1100, 900, 256, 256);
    for (int i = 0; i < 4; ++i) s.g->SetMarker("./graphics/marker.png", i, 0, 800 + 100 * i, 900, 30 * i, 150);
    for (auto _ : state) {
        s.g->DrawStrategyMap(0);
        EndFrame();
    }
}
BENCHMARK(StrategyMapFrame)->Unit(benchmark::kMillisecond);

// The serif window with its portrait and two lines, and the message window, shown.
void StoryWindowsFrame(benchmark::State& state) {
    Scene s;
    s.g->SetSerif(7, {"はじめまして、旅の方。", "ここは北の王都です。"});
    s.g->SetMessage({"戦いは終わった。", "だが、新たな影が忍び寄る。"});
    for (auto _ : state) {
        s.g->DrawSerifShown(false);
        s.g->DrawMessageShown(false);
        EndFrame();
    }
}
BENCHMARK(StoryWindowsFrame)->Unit(benchmark::kMillisecond);

// Setting a serif (six text renders twice) as a script command does.
void SetSerifLines(benchmark::State& state) {
    Scene s;
    const std::vector<std::string> lines = {"一行目の台詞", "二行目の台詞", "三行目の台詞"};
    for (auto _ : state) s.g->SetSerif(7, lines);
}
BENCHMARK(SetSerifLines)->Unit(benchmark::kMillisecond);

// Eight detailed unit plates and a framed window, as the field's status display.
void PlatesAndWindowFrame(benchmark::State& state) {
    Scene s;
    PersonRecord p;
    p.s_name = "アラン";
    p.nHP = 30;
    p.nMaxHP = 48;
    std::vector<UnitPlate> plates(8);
    for (int i = 0; i < 8; ++i) plates[i].Set(p, 10 + (i % 2) * 300, 10 + (i / 2) * 70, 255);
    for (auto _ : state) {
        s.g->DrawWindow(0, 100, 300, 400, 150, 0, 0x95000000);
        for (const UnitPlate& plate : plates) s.g->DrawUnitPlate(plate, true);
        EndFrame();
    }
}
BENCHMARK(PlatesAndWindowFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
