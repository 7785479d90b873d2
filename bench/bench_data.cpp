// Game data: skill queries (text cells converted at each query), unit reach over a
// full unit, the stat spread of a mission person, and reading the troop file.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PersonData.h"
#include "SkillData.h"
#include "TroopData.h"
#include "UnitData.h"
#include "random/gvlRand.h"
#include "table/gvlTableFile.h"
#include "text.h"

namespace {

std::string ContentText(const char* name) {
    std::ifstream in(std::string(VORMANT_SOURCE_DIR) + "/content/gamedata/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string crlf;
    for (char c : ss.str()) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return plat::Utf8ToCp932(crlf);
}

std::vector<std::vector<std::string>> ContentRows(const char* name) {
    std::string text = ContentText(name);
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return table.m_vRows;
}

void LoadContent() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    g_SkillData.LoadRows(ContentRows("skill.csv"));
    CPersonTypeTable::LoadRows(ContentRows("person.csv"));
}

void BM_SkillRange2Query(benchmark::State& state) {
    LoadContent();
    std::vector<int> ids = g_SkillData.GetIds();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_SkillData.GetRange2(ids[i]));
        if (++i == ids.size()) i = 0;
    }
}
BENCHMARK(BM_SkillRange2Query);

void BM_UnitAttackRange(benchmark::State& state) {
    LoadContent();
    CPersonList persons;
    CUnitList units;
    units.SetPersonList(&persons);
    int u = units.AddUnit(persons.AddPerson(PersonRecord::CreateFromType(31, 10, 0, 0, 1, 0)));
    for (int type : {13, 22, 12}) units.AddMember(u, persons.AddPerson(PersonRecord::CreateFromType(type, 10, 0, 0, 1, 0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(units.GetAttackRange(u));
        benchmark::DoNotOptimize(units.GetMinAttackRange(u));
    }
}
BENCHMARK(BM_UnitAttackRange);

void BM_MissionPerson(benchmark::State& state) {
    LoadContent();
    std::string text = "ptype,LV,operate,friend\r\n22,8,0,0\r\n";
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    g_Rand.SetSeed(1);
    for (auto _ : state) benchmark::DoNotOptimize(PersonRecord::CreateFromMissionRow(table, 1));
}
BENCHMARK(BM_MissionPerson);

void BM_TroopFile(benchmark::State& state) {
    std::string text = ContentText("Troop.txt");
    std::vector<unsigned char> bytes(text.begin(), text.end());
    CTroopTypeTable table;
    for (auto _ : state) {
        table.LoadText(bytes);
        benchmark::DoNotOptimize(table.GetCount());
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)bytes.size());
}
BENCHMARK(BM_TroopFile);

}  // namespace

BENCHMARK_MAIN();
