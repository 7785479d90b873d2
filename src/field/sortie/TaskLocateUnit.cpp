// The sortie preparation's driver.
#include "sortie/TaskLocateUnit.h"

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "TaskEvent.h"
#include "log/ErrorLog.h"
#include "map/TaskDrawMap.h"
#include "sortie/LocateUnitMainMenu.h"
#include "sortie/SortieRules.h"
#include "table/gvlTableFile.h"
#include "task/TaskController.h"
#include "turn/TaskTurn.h"

namespace {

// Person p of a mission as a new person of the field; -1 when the row is missing.
int AddMissionPerson(C_FieldTaskInfo* info, CTableFile& persons, int p, const char* tableName) {
    if (p < 0 || p + 1 >= persons.GetRowCount()) {
        g_ErrorLog.Printf("%s: 人物 %d の行がありません (飛ばします)。", tableName, p);
        return -1;
    }
    bool ok = true;
    PersonRecord person = PersonRecord::CreateFromMissionRow(persons, p + 1, &ok);
    if (!ok) return -1;
    return info->m_PersonList.AddPerson(person);
}

}  // namespace

C_TaskLocateUnit::C_TaskLocateUnit(C_FieldTaskInfo* info, bool bLoaded) {
    m_UnitTexture.Load("graphics/InterMission_unit.png");
    m_nState = 0;
    m_nSortieCost = 0;
    m_bHeroListDirty = true;
    if (!info) return;
    CPartyData* party = info->m_pPartyData;
    if (!bLoaded) {
        LoadMissionUnits(info);
        if (party && !party->toInterMission) m_nState = -1;
        if (party) sortie::PlaceForcedHeroes(*party, info->m_MapData);
    } else {
        // The chapter's initialisation ran again over the saved map: its positions
        // stand twice.
        const int merged = sortie::MergeDuplicatePositions(info->m_MapData);
        if (merged > 0) g_ErrorLog.Printf("出撃準備: 重なった出撃地点を %d 個まとめました。", merged);
    }
    m_nSortieCost = sortie::TotalSortieCost(info->m_MapData);
    // The preparation tutorial of maps 0, 3 and 5 explains this screen.  A chapter that
    // goes straight to its first turn (no inter-mission) never shows the screen, and the
    // driver ends in its first update: the event would play its lessons over the first
    // player turn, about windows that are not there, so it is not raised.
    if (party && (party->nMap == 0 || party->nMap == 3 || party->nMap == 5) && m_nState != -1) {
        if (C_TaskController* tc = info->m_pTaskController) {
            const C_TaskReply<uint8_t> done(C_TaskHandle(tc, this), &m_bEventDone);
            tc->AddTask(new C_TaskEvent(info, done, "IMTutorial"), 220);
        }
    }
}

void C_TaskLocateUnit::LoadMissionUnits(C_FieldTaskInfo* info) {
    const std::string base = sortie::MissionTableBase(info->m_MapData.num_map);
    const std::string personName = base + "_person.csv";
    const std::string unitName = base + "_unit.csv";
    CTableFile persons(personName.c_str());
    CTableFile units(unitName.c_str());
    AddMissionUnits(info, persons, units, personName, unitName);
}

void C_TaskLocateUnit::AddMissionUnits(C_FieldTaskInfo* info, CTableFile& persons, CTableFile& units,
                                       const std::string& personName, const std::string& unitName) {
    for (int row = 1; row < units.GetRowCount(); ++row) {
        if (units.GetColumnCount(row) < 6) {
            g_ErrorLog.Printf("%s: %d 行目の列が足りません (飛ばします)。", unitName.c_str(), row);
            continue;
        }
        const int leader = AddMissionPerson(info, persons, units.GetInt(row, 0), personName.c_str());
        if (leader < 0) continue;
        info->m_PersonList.SetForward(leader, 1);
        const int unit = info->m_UnitList.AddUnit(leader);
        for (int col = 1; col <= 3; ++col) {
            const int p = units.GetInt(row, col);
            if (p == -1) break;
            const int member = AddMissionPerson(info, persons, p, personName.c_str());
            if (member < 0) continue;
            info->m_PersonList.SetForward(member, col == 1 ? 1 : 0);
            info->m_UnitList.AddMember(unit, member);
        }
        info->m_UnitList.SetUnitPosition(unit, units.GetInt(row, 4), units.GetInt(row, 5));
    }
}

void C_TaskLocateUnit::Update(C_FieldTaskInfo* info) {
    if (info->m_bSortieFlag) m_nState = 2;
    if (m_nState == 2 && !info->m_bSortieFlag) m_nState = 0;

    if (m_nState == -1) {
        info->IsInterMission = false;
        if (CPartyData* party = info->m_pPartyData) {
            for (const CSortiePosition& pos : info->m_MapData.m_vnSortiePos) {
                for (const SortieHeroEntry& h : pos.m_vHero) party->AddUsedPerson(h.nTypeID);
                for (const SortieTroopEntry& t : pos.m_vTroop)
                    for (int32_t id : t.nTypeID) party->AddUsedPerson(id);
            }
        }
        C_TaskController* tc = info->m_pTaskController;
        if (tc) {
            tc->AddTask(new C_TaskDrawMap(info), 2);
            tc->AddTask(new C_TaskStartTurn(info), 101);
        }
        KillSelf(info);
        return;
    }
    if (m_nState == 0) {
        auto* menu = new C_TaskLocateUnitMainMenu(info);
        menu->m_pLocateUnit = this;
        menu->SetActive(true);
        if (info->m_pTaskController) info->m_pTaskController->AddTask(menu, 205);
        m_nState = 1;
    }
}
