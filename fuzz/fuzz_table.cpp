// Comma-separated tables: the cells themselves, and the tables the game builds from
// them (person types, skills, map chips, terrain, mission persons).
#include <climits>
#include <string>
#include <vector>

#include "PersonData.h"
#include "SkillData.h"
#include "fuzz_util.h"
#include "map/MapChipTable.h"
#include "table/gvlTableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CTableFile table;
    table.LoadFromBytes(data, size);
    const int rows = table.GetRowCount();
    for (int r = -1; r <= rows && r < 64; ++r) {
        const int columns = table.GetColumnCount(r);
        for (int c = -1; c <= columns && c < 64; ++c) {
            table.GetCell(r, c);
            table.GetInt(r, c);
            table.GetCellDouble(r, c);
        }
    }

    // Person types, and persons made from them at ordinary and absurd levels.
    CPersonTypeTable::Clear();
    CPersonTypeTable::LoadRows(table.m_vRows);
    int made = 0;
    for (const auto& [typeID, record] : CPersonTypeTable::GetMap()) {
        if (++made > 16) break;
        for (int level : {1, 50, -7, INT_MAX, INT_MIN}) {
            PersonRecord p = PersonRecord::CreateFromType(typeID, level, 0, 0, 1, 1);
            p.SetLevel(level, 1);
            PersonRecord::RandomizeStats(p, 1, 1, 1, 1, 1, 1, 1, 1, 1);
            p.GetSkillByIndex(5);
        }
    }
    // The same table read as a mission's person list.
    for (int r = 1; r < rows && r < 16; ++r) {
        bool ok = false;
        PersonRecord::CreateFromMissionRow(table, r, &ok);
    }
    CPersonTypeTable::Clear();

    CSkillData skills;
    skills.LoadRows(table.m_vRows);
    int asked = 0;
    for (int id : skills.GetIds()) {
        if (++asked > 16) break;
        skills.GetName(id);
        skills.GetType(id);
        skills.GetPower(id);
        skills.GetRange1(id);
        skills.GetRange2(id);
        skills.GetRegion1(id);
        skills.GetCharge(id);
        skills.GetBackAtk(id);
        skills.IsAllAttack(id);
        skills.IsPassive(id);
    }

    CMapChipTable chips(false);
    chips.LoadTable(table);
    for (const auto& [chip, type] : chips.m_mapType) chips.GetUpper(chip), chips.GetUnder(chip);

    CFieldDataTable terrain(false);
    terrain.LoadTable(table);
    for (int t = -1; t <= terrain.GetCount() && t < 64; ++t) {
        terrain.GetName(t);
        terrain.GetHeight(t);
        for (int m = -1; m <= kMoveClassCount; ++m) {
            terrain.GetMoveCost(t, m);
            terrain.GetDGuard(t, m);
            terrain.GetIGuard(t, m);
        }
    }
    fuzz::EndInput();
    return 0;
}
