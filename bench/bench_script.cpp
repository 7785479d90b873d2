// Scenario scripts: parsing a chapter file, and one frame of the story runner with its
// draw pass (no device: the cost of the interpreter itself).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "PartyData.h"
#include "ScenarioScript.h"
#include "golden.h"

namespace {

std::string ChapterText() {
    std::ifstream f(std::string(VORMANT_GAME_DIR) + "/script/chapter01.txt", std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(f)), {});
    if (s.empty()) {
        for (int i = 0; i < 40; ++i)
            s += "Script Main()\r\nSerif(1)\r\n/\r\nテキストの一行目\r\n二行目\r\n/\r\nWait(10)\r\nend\r\n";
    }
    return s;
}

void BM_ParseChapter(benchmark::State& state) {
    const std::string text = ChapterText();
    for (auto _ : state) {
        C_ScenarioScript s;
        s.Parse(text, "chapter01.txt");
        benchmark::DoNotOptimize(s.GetSections().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseChapter);

void BM_StoryFrame(benchmark::State& state) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    CPartyData party;
    C_StoryInfo info;
    info.pPartyData = info.pPartyData2 = &party;
    std::string text = "Script Main()\r\n";
    for (int i = 0; i < 8; ++i) text += "SetPicture(" + std::to_string(i) + ",100,100,100,255,30,\"none.png\")\r\n";
    text += "Wait(2000000000)\r\nend\r\n";
    C_ScenarioScript s;
    s.Parse(text, "bench.txt");
    for (int i = 0; i < 9; ++i) s.UpdateStory("Main", &info);
    for (auto _ : state) {
        s.UpdateStory("Main", &info);
        s.Draw("Main", &info);
    }
}
BENCHMARK(BM_StoryFrame);

}  // namespace

BENCHMARK_MAIN();
