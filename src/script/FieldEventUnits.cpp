// The field-event commands that change the field's data: units and persons made on
// free cells, the party's heroes, money, forces and troops, the mission's sortie
// points, limits, routes, chips and texts, the script values and the music slots.
// Every one of them completes in the call that runs it.
#include <cstdio>

#include "FieldEvent.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "log/ErrorLog.h"
#include "util/ClampInt.h"

namespace {

constexpr int kFreeCellProbes = 151;
constexpr int kMaxMoveCost = 50;

bool KnownType(int typeID) {
    if (CPersonTypeTable::Has(typeID)) return true;
    g_ErrorLog.Printf("人物の種類 %d は人物表にありません (作りません)", typeID);
    return false;
}

// A person of the type made for the script and added to the field; -1 for an unknown type.
int AddScriptPerson(C_FieldTaskInfo& f, int typeID, int level, bool isFriend, bool forward) {
    if (!KnownType(typeID)) return -1;
    const uint8_t side = isFriend ? 1 : 0;
    return f.m_PersonList.AddPerson(PersonRecord::CreateFromType(typeID, level, side, side, forward ? 1 : 0, 1));
}

}  // namespace

FieldCell FreeCellProbe(int x0, int y0, int k) {
    if (k <= 0) return FieldCell{x0, y0};
    int r = 1;
    while (k > 2 * r * (r + 1)) ++r;
    const int j = k - 2 * r * (r - 1) - 1;
    if (j < r) return FieldCell{x0 + j, y0 + j - r};
    if (j < 2 * r) return FieldCell{x0 + 2 * r - j, y0 + j - r};
    if (j < 3 * r) return FieldCell{x0 + 2 * r - j, y0 + 3 * r - j};
    return FieldCell{x0 + j - 4 * r, y0 + 3 * r - j};
}

std::vector<FieldCell> FindFreeCells(int x0, int y0, int wanted, const C_FieldTaskInfo& field) {
    std::vector<FieldCell> cells;
    if (wanted < 1) return cells;
    const CMapData& map = field.m_MapData;
    // No probe lies farther than kFreeCellProbes from the start: a start farther off
    // the map reaches none of its cells (and its probes would not fit an int).
    const int64_t reach = kFreeCellProbes;
    if (x0 < -reach || y0 < -reach || x0 > map.m_xSize + reach || y0 > map.m_ySize + reach) return cells;
    for (int k = 0; k < kFreeCellProbes && int(cells.size()) < wanted; ++k) {
        const FieldCell c = FreeCellProbe(x0, y0, k);
        if (c.x < 0 || c.y < 0 || c.x >= map.m_xSize || c.y >= map.m_ySize) continue;
        if (int64_t(map.m_byMapChip.size()) < int64_t(map.m_xSize) * map.m_ySize) continue;  // a grid shorter than its size
        if (map.GetMoveCost(c.x, c.y, 0) >= kMaxMoveCost) continue;
        if (field.m_UnitList.FindUnitAt(c.x, c.y) != -1) continue;
        cells.push_back(c);
    }
    return cells;
}

int CreateScriptUnit(C_FieldTaskInfo& field, int x, int y, bool isFriend, const int levels[4], const int types[4]) {
    const std::vector<FieldCell> cells = FindFreeCells(x, y, 1, field);
    if (cells.empty()) {
        // Never add the members to some other unit: nothing is made.
        g_ErrorLog.Printf("CreateUnit: (%d, %d) の近くに空いたマスがありません (ユニットを作りません)", x, y);
        return -1;
    }
    const int leader = AddScriptPerson(field, types[0], levels[0], isFriend, true);
    if (leader < 0) return -1;
    const int unit = field.m_UnitList.AddUnitAt(leader, cells[0].x, cells[0].y);
    if (unit < 0) return -1;
    for (int m = 1; m < 4; ++m) {
        if (levels[m] == -1 || types[m] == -1) continue;
        const int person = AddScriptPerson(field, types[m], levels[m], isFriend, m == 1);
        if (person >= 0) field.m_UnitList.AddMember(unit, person);
    }
    return unit;
}

int AppearSortieUnits(C_FieldTaskInfo& field, int position) {
    CMapData& map = field.m_MapData;
    if (position < 0 || position >= map.GetSortiePositionCount()) {
        g_ErrorLog.Printf("Appear: 出撃地点 %d はありません (出撃地点は %d 個)", position, map.GetSortiePositionCount());
        return 0;
    }
    const CSortiePosition p = map.m_vnSortiePos[position];
    const int wanted = int(p.m_vHero.size() + p.m_vTroop.size());
    const std::vector<FieldCell> cells = FindFreeCells(p.x, p.y, wanted, field);
    if (int(cells.size()) < wanted)
        g_ErrorLog.Printf("Appear: 出撃地点 %d の近くの空きマスが %d 個しかありません (%d 部隊のうち残りは出ません)", position,
                          int(cells.size()), wanted);
    size_t next = 0;
    int made = 0;
    for (const SortieHeroEntry& h : p.m_vHero) {
        if (next >= cells.size()) break;
        const int person = AddScriptPerson(field, h.nTypeID, h.nLV, true, true);
        if (person < 0) continue;
        if (field.m_UnitList.AddUnitAt(person, cells[next].x, cells[next].y) >= 0) ++made;
        ++next;
    }
    for (const SortieTroopEntry& t : p.m_vTroop) {
        if (next >= cells.size()) break;
        const size_t members = std::min(t.nLV.size(), std::min(t.nTypeID.size(), t.bForward.size()));
        if (members == 0) continue;
        if (members != t.nLV.size())
            g_ErrorLog.Printf("Appear: 出撃地点 %d の部隊の人数がそろっていません (そろう %d 人だけ出します)", position,
                              int(members));
        const int leader = AddScriptPerson(field, t.nTypeID[0], t.nLV[0], true, t.bForward[0]);
        if (leader < 0) continue;
        const int unit = field.m_UnitList.AddUnitAt(leader, cells[next].x, cells[next].y);
        ++next;
        if (unit < 0) continue;
        ++made;
        for (size_t k = 1; k < members; ++k) {
            if (int(k) >= kMaxUnitMembers) {
                g_ErrorLog.Printf("Appear: 出撃地点 %d の部隊が 4 人を超えています (5 人目からは出ません)", position);
                break;
            }
            const int person = AddScriptPerson(field, t.nTypeID[k], t.nLV[k], true, t.bForward[k]);
            if (person >= 0) field.m_UnitList.AddMember(unit, person);
        }
    }
    return made;
}

bool C_ScenarioScript::ExecuteFieldDataCommand(const ScriptCommand& c, C_FieldTaskInfo* info, bool& complete) {
    C_FieldTaskInfo& f = *info;
    CPartyData* party = f.m_pPartyData;
    const bool restored = m_bKeepSaved;

    switch (c.nCommandID) {
        case kCmdAddHero:
        case kCmdPlusMoney:
        case kCmdHeroForcedPosition:
        case kCmdSetForces:
        case kCmdChangeHero:
        case kCmdTroopCanUse:
            complete = true;
            if (!party) {
                ReportCommand("フィールドにパーティのデータがありません (コマンドを飛ばします)");
                return true;
            }
            if (restored) return true;  // the save holds the party
            break;
        case kCmdHeroForcedPosReset:
            complete = true;
            if (party && !restored) {
                for (HeroEntry& h : party->m_Heros) {
                    h.m_bForcePlaced = false;
                    h.m_nPlaced = -1;
                }
            }
            // The banned heroes are not saved: they are set again after a load too.
            f.m_vBannedHero.clear();
            return true;
        case kCmdSysBGMSet:
        case kCmdCreateUnit:
        case kCmdAppear:
        case kCmdAddStartPoint:
        case kCmdSetValue:
        case kCmdGeoChange:
        case kCmdAddTargetPos:
            complete = true;
            if (restored) return true;  // the save holds units, points, routes, chips, values and music
            break;
        case kCmdOperationMessage:
        case kCmdMissionName:
        case kCmdSetLocateCost:
        case kCmdSetMaxHero:
        case kCmdSetMinHero:
        case kCmdDeleteUnit:
        case kCmdBannedHero:
            complete = true;
            break;
        default:
            return false;
    }

    switch (c.nCommandID) {
        case kCmdAddHero:
            CheckArgs(2, 0);
            party->AddHero(c.Int(0), c.Int(1));
            break;
        case kCmdPlusMoney:
            CheckArgs(1, 0);
            party->AddMoney(c.Int(0));
            break;
        case kCmdHeroForcedPosition:
            CheckArgs(2, 0);
            for (HeroEntry& h : party->m_Heros) {
                if (h.m_typeID != c.Int(0)) continue;
                h.m_bForcePlaced = true;
                h.m_nPlaced = c.Int(1);
                break;
            }
            break;
        case kCmdSysBGMSet:
            CheckArgs(2, 0);
            if (c.Int(0) < 0 || c.Int(0) >= kBGMSetCount)
                ReportCommand("SysBGMSet の番号が 0 から 9 の外です (飛ばします)");
            else
                f.BGMSet[c.Int(0)] = c.Int(1);
            break;
        case kCmdCreateUnit: {
            if (c.vInt.size() < 5) {
                CheckArgs(5, 0);
                break;
            }
            int levels[4], types[4];
            for (int m = 0; m < 4; ++m) {
                // Members whose pair is missing count as left out.
                levels[m] = 3 + 2 * size_t(m) < c.vInt.size() ? c.vInt[3 + 2 * m] : -1;
                types[m] = 4 + 2 * size_t(m) < c.vInt.size() ? c.vInt[4 + 2 * m] : -1;
            }
            CreateScriptUnit(f, c.Int(0), c.Int(1), c.Int(2) != 0, levels, types);
            break;
        }
        case kCmdSetForces:
            CheckArgs(2, 0);
            if (c.Int(0) == 0)
                party->ForceID0 = c.Int(1);
            else if (c.Int(0) == 1)
                party->ForceID1 = c.Int(1);
            else
                ReportCommand("SetForces の番号は 0 か 1 です (飛ばします)");
            break;
        case kCmdOperationMessage:
            CheckArgs(1, 0);
            f.m_MapData.AddOperationMessage(c.Int(0), c.vString);
            break;
        case kCmdMissionName:
            CheckArgs(0, 1);
            f.m_MapData.SetMissionName(c.vString);
            break;
        case kCmdAppear:
            CheckArgs(1, 0);
            AppearSortieUnits(f, c.Int(0));
            break;
        case kCmdAddStartPoint:
            CheckArgs(2, 0);
            f.m_MapData.AddSortiePosition(c.Int(0), c.Int(1));
            break;
        case kCmdChangeHero:
            CheckArgs(2, 0);
            for (HeroEntry& h : party->m_Heros)
                if (h.m_typeID == c.Int(0)) h.m_typeID = c.Int(1);
            break;
        case kCmdSetLocateCost:
            CheckArgs(1, 0);
            f.m_MapData.m_nLocateCost = c.Int(0);
            break;
        case kCmdSetValue: {
            CheckArgs(3, 0);
            const int i = c.Int(1);
            if (i < 0 || i >= kEventValueCount) {
                ReportCommand("SetValue の変数番号が 0 から 49 の外です (値は変わりません)");
            } else if (c.Int(0) == 0) {
                f.EventValue[i] = c.Int(2);
            } else if (c.Int(0) == 1 || c.Int(0) == 2) {
                const int64_t change = c.Int(0) == 1 ? int64_t(c.Int(2)) : -int64_t(c.Int(2));
                const int64_t value = f.EventValue[i] + change;
                f.EventValue[i] = ClampToInt32(value);
                if (f.EventValue[i] != value) ReportCommand("SetValue の結果が範囲を超えるため、限界の値にしました");
            }
            RaisePendingEvent("Value");
            break;
        }
        case kCmdGeoChange:
            CheckArgs(3, 0);
            if (!f.m_MapData.IsValidCell(c.Int(0), c.Int(1)))
                ReportCommand("GeoChange のマスがマップの外です (飛ばします)");
            else
                f.m_MapData.SetMapChip(c.Int(0), c.Int(1), c.Int(2));
            break;
        case kCmdSetMaxHero:
            CheckArgs(1, 0);
            f.m_MapData.m_nMaxHero = c.Int(0);
            break;
        case kCmdSetMinHero:
            CheckArgs(1, 0);
            f.m_MapData.m_nMinHero = c.Int(0);
            break;
        case kCmdTroopCanUse:
            CheckArgs(2, 0);
            if (!party->m_Troops.IsValidIndex(c.Int(0)))
                ReportCommand("TroopCanUse の兵種番号が兵種表の外です (飛ばします)");
            else
                party->m_Troops.GetEntry(c.Int(0)).m_bCanUse = 1;
            break;
        case kCmdAddTargetPos:
            f.m_MapData.AddAnabasisRoute(std::vector<int>(c.vInt.begin(), c.vInt.end()));
            break;
        case kCmdDeleteUnit:
            break;
        case kCmdBannedHero:
            CheckArgs(1, 0);
            f.m_vBannedHero.push_back(c.Int(0));
            break;
        default:
            break;
    }
    return true;
}
