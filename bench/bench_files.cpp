// File loading and table parsing speeds.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "File/gvlFilePack.h"
#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"
#include "golden.h"
#include "table/gvlTableFile.h"

namespace {

void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A pack of 40 small members followed by one 2 MB member, like a graphics folder.
struct PackFixture {
    testsupport::TempDir dir;
    PackFixture() {
        std::vector<std::pair<std::string, size_t>> members;
        for (int i = 0; i < 40; ++i) members.push_back({"chip" + std::to_string(i) + ".png", 4096});
        members.push_back({"big.png", 2 * 1024 * 1024});
        std::vector<unsigned char> pack = {'V', 'P', 'K'};
        uint32_t offset = 3 + 1;
        for (auto& [name, size] : members) offset += static_cast<uint32_t>(name.size() + 1 + 8);
        for (auto& [name, size] : members) {
            pack.insert(pack.end(), name.begin(), name.end());
            pack.push_back(0);
            PutU32(pack, static_cast<uint32_t>(size));
            PutU32(pack, offset);
            offset += static_cast<uint32_t>(size);
        }
        pack.push_back(0);
        for (auto& [name, size] : members)
            for (size_t i = 0; i < size; ++i) pack.push_back(static_cast<unsigned char>(i * 7));
        std::ofstream(dir.path() + "graphics.pck", std::ios::binary)
            .write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));
    }
};

void BM_LoadPackMember2MB(benchmark::State& state) {
    PackFixture fx;
    testsupport::ScopedCurrentDir cwd(fx.dir.path());
    std::vector<unsigned char> out;
    for (auto _ : state) {
        CFilePack::LoadFile("graphics\\BIG.png", out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * 1024 * 1024);
}
BENCHMARK(BM_LoadPackMember2MB)->Unit(benchmark::kMillisecond);

void BM_LoadLooseFile2MB(benchmark::State& state) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "graphics");
    std::string data(2 * 1024 * 1024, 'x');
    std::ofstream(dir.path() + "graphics/big.png", std::ios::binary) << data;
    testsupport::ScopedCurrentDir cwd(dir.path());
    std::vector<unsigned char> out;
    for (auto _ : state) {
        CFilePack::LoadFile("graphics\\big.png", out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * 1024 * 1024);
}
BENCHMARK(BM_LoadLooseFile2MB)->Unit(benchmark::kMillisecond);

std::string MakeTable(int rows) {
    std::string text = "id,名前,hp,mp,str,mag,dex,spd,gur,guA,guM,type,skill1,skill2,skill3\r\n";
    for (int r = 0; r < rows; ++r) {
        text += std::to_string(r) + ",兵士" + std::to_string(r);
        for (int c = 0; c < 13; ++c) text += "," + std::to_string((r * 31 + c * 7) % 1000);
        text += "\r\n";
    }
    return text;
}

void BM_ParseTable5000Rows(benchmark::State& state) {
    std::string text = MakeTable(5000);
    for (auto _ : state) {
        CTableFile t;
        t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
        benchmark::DoNotOptimize(t.m_vRows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseTable5000Rows)->Unit(benchmark::kMillisecond);

void BM_LoadTable5000RowsFromFile(benchmark::State& state) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "gamedata");
    std::ofstream(dir.path() + "gamedata/person.csv", std::ios::binary) << MakeTable(5000);
    testsupport::ScopedCurrentDir cwd(dir.path());
    for (auto _ : state) {
        CTableFile t("gamedata\\person.csv");
        int sum = 0;
        for (int r = 1; r < t.GetRowCount(); ++r) sum += t.GetInt(r, 2);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_LoadTable5000RowsFromFile)->Unit(benchmark::kMillisecond);

void BM_SaveArchiveRoundTrip(benchmark::State& state) {
    CStringMap m;
    for (int i = 0; i < 2000; ++i) m.SetInt64("Person/Person" + Int64ToString(i) + "/nMaxHP", i * 3);
    for (auto _ : state) {
        CSerialize s;
        s.SerializeObject(m);
        s.SetMode(false);
        CStringMap back;
        s.SerializeObject(back);
        benchmark::DoNotOptimize(back.GetMap().size());
    }
}
BENCHMARK(BM_SaveArchiveRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
