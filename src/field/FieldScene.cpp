// The field scene.
#include "FieldScene.h"

#include <unistd.h>

#include <vector>

#include "FieldEvent.h"
#include "PartyData.h"
#include "ScenarioScript.h"
#include "TaskEvent.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"
#include "map/TaskDrawMap.h"
#include "resources/GlobalResources.h"
#include "save/ArchiveManager.h"
#include "system.h"
#include "table/gvlTableFile.h"

// BRIDGE: tasks of the turn flow, the sortie preparation and the minimap come with
// their own helpers; until they exist the field shows its map and units, scrolls
// and shows a unit's move range on a click.
#if __has_include("sortie/TaskLocateUnit.h")
#include "sortie/TaskLocateUnit.h"
#define VORMANT_HAS_LOCATEUNIT 1
#endif
#if __has_include("turn/TaskSelectUnit.h")
#include "turn/TaskSelectUnit.h"
#define VORMANT_HAS_SELECTUNIT 1
#endif
#if __has_include("turn/TaskTurn.h")
#include "turn/TaskTurn.h"
#define VORMANT_HAS_STARTTURN 1
#endif
#if __has_include("info/TaskMiniMap.h")
#include "info/TaskMiniMap.h"
#define VORMANT_HAS_CREATEMINIMAP 1
#endif

namespace {

#if !defined(VORMANT_HAS_LOCATEUNIT) || !defined(VORMANT_HAS_SELECTUNIT)
// BRIDGE: a stand-in for the unit selection while the turn flow is not built.  It
// keeps a cursor on the map; a left click on a unit shows that unit's move range,
// a right click takes it away.
class CFieldViewStandIn : public C_FieldTaskBase {
public:
    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        C_TaskController* controller = info->m_pTaskController;
        if (m_bCursor && m_nResult == 0) return;
        if (m_bCursor && m_nResult == 1) {
            controller->KillTask(3);
            controller->AddTask(new C_TaskDispRange(0, MoveCells(info, m_nChosen), info), 3);
        } else if (m_bCursor && m_nResult == 2) {
            controller->KillTask(3);
        }
        // Every cell may be clicked; only units are candidates.
        info->m_vbRangeCell.assign(info->m_vbRangeCell.size(), true);
        std::vector<int32_t> candidates;
        for (int u = 0; u < info->m_UnitList.GetCount(); ++u) candidates.push_back(u);
        controller->AddTask(new C_TaskCursol(&m_nResult, &m_nChosen, candidates, info), 8);
        m_bCursor = true;
    }
    void Draw(C_FieldTaskInfo*) override {}

private:
    static std::vector<FieldCell> MoveCells(C_FieldTaskInfo* info, int unit) {
        std::vector<FieldCell> cells;
        if (info->m_UnitList.IsValidUnit(unit)) info->CalcUnitMoveArea(unit, cells, 0);
        return cells;
    }
    int32_t m_nResult = 0;
    int32_t m_nChosen = -1;
    bool m_bCursor = false;
};
#endif

#if !defined(VORMANT_HAS_LOCATEUNIT)
// BRIDGE: the mission's units from the map's unit and person tables, as the sortie
// preparation places them, while that preparation is not built.
void PlaceMissionUnitsStandIn(C_FieldTaskInfo& info) {
    const int n = info.m_MapData.num_map;
    const std::string base = (n < 10 ? "map/map0" : "map/map") + std::to_string(n);
    CTableFile persons, units;
    persons.Load((base + "_person.csv").c_str());
    units.Load((base + "_unit.csv").c_str());
    for (int row = 1; row < units.GetRowCount(); ++row) {
        if (units.GetColumnCount(row) < 6) {
            g_ErrorLog.Printf("%s_unit.csv の %d 行目の列が足りません。", base.c_str(), row);
            continue;
        }
        int unit = -1;
        for (int col = 0; col < 4; ++col) {
            const int p = units.GetInt(row, col);
            if (col > 0 && p == -1) break;
            if (p < 0 || p + 1 >= persons.GetRowCount()) {
                g_ErrorLog.Printf("%s_unit.csv の %d 行目の人物 %d は人物表にありません。", base.c_str(), row, p);
                continue;
            }
            bool ok = false;
            PersonRecord person = PersonRecord::CreateFromMissionRow(persons, p + 1, &ok);
            if (!ok) continue;
            person.bForward = col <= 1 ? 1 : 0;
            const int index = info.m_PersonList.AddPerson(person);
            if (unit < 0)
                unit = info.m_UnitList.AddUnit(index);
            else
                info.m_UnitList.AddMember(unit, index);
        }
        if (unit < 0) continue;
        const int x = units.GetInt(row, 4), y = units.GetInt(row, 5);
        if (!info.IsValidCell(x, y)) {
            g_ErrorLog.Printf("%s_unit.csv の %d 行目の位置 (%d, %d) はマップの外です。", base.c_str(), row, x, y);
            info.m_UnitList.RemoveUnit(unit);
            continue;
        }
        info.m_UnitList.SetUnitPosition(unit, x, y);
    }
}
#endif

// Free memory in kilobytes: the software device keeps its textures in main memory.
int FreeTextureMemory() {
    const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0) return 0;
    const long long kb = (long long)pages * size / 1024;
    return kb > 0x7FFFFFFF ? 0x7FFFFFFF : int(kb);
}

}  // namespace

C_FieldScene::C_FieldScene(CPartyData* party) : m_pPartyData(party) {
    // 1-2. The state, its controller and party, the input.
    m_FieldTaskInfo.m_pTaskController = &m_TaskController;
    m_FieldTaskInfo.m_pPartyData = party;
    m_FieldTaskInfo.SetInputManager(g_pInputManager);
    const int map = party ? party->nMap : 0;

    // 3-4. The map grid and a fresh state sized to it.
    if (!BuildNewField(map)) {
        m_bMapMissing = true;
        const std::string name = CMapData::MapFileName(map);
        g_ErrorLog.Printf("マップ %s を読めないため、フィールドを始められません。", name.c_str());
        plat::MessageBox(("マップファイル " + name + " を読めません。").c_str(), "エラー", plat::kMbIconError);
        // The save kind is consumed all the same: the next field starts afresh.
        CArchiveManager::CreateInstance();
        CArchiveManager::GetInstance()->GetString(SaveFileTypeKey, true);
        return;
    }

    // 5. Pictures cached by name (portraits among them) are released.
    g_GlobalResources.ReleaseTextureMaps();

    // 6-7. A field or preparation save takes the state over.
    CArchiveManager::CreateInstance();
    m_nRestore = m_FieldTaskInfo.RestoreFromArchiveManager(*CArchiveManager::GetInstance(), &m_strSaveType);
    bool fromSave = m_strSaveType == IntermissionSave || m_strSaveType == FieldSave;
    if (m_nRestore == 1) {
        m_FieldTaskInfo.m_bRestoredFromSave = true;
        // The range bits follow the loaded map.
        m_FieldTaskInfo.ResetRangeCells();
    } else if (m_nRestore < 0) {
        // A refused save starts the chapter as a new field, with its preparation.
        m_FieldTaskInfo.ClearForNewField();
        BuildNewField(map);
        m_strSaveType.clear();
        fromSave = false;
    }

    // 8-10. "FieldInitialize", run to its end before the first frame.
    RunFieldInitialize(map);

    // 11. The first tasks.
    StartTasks(fromSave);

    // 12. The camera on the key unit.
    m_FieldTaskInfo.FocusViewOnKeyUnit();
}

C_FieldScene::~C_FieldScene() = default;

bool C_FieldScene::BuildNewField(int map) {
    const bool loaded = m_FieldTaskInfo.m_MapData.LoadMapCsv(map);
    m_FieldTaskInfo.Reset();
    m_FieldTaskInfo.ResetRangeCells();
    const CMapData& m = m_FieldTaskInfo.m_MapData;
    return loaded && m.m_xSize > 0 && m.m_ySize > 0;
}

void C_FieldScene::RunFieldInitialize(int map) {
    // A restored field keeps the units and charges of its save: the section runs,
    // but its unit commands see the field as restored.
    m_nInitializePasses =
        ::RunFieldInitialize(m_FieldTaskInfo, map, m_FieldTaskInfo.m_bRestoredFromSave, kMaxInitializePasses);
}

void C_FieldScene::StartTasks(bool fromSave) {
    C_FieldTaskInfo* info = &m_FieldTaskInfo;
#ifdef VORMANT_HAS_CREATEMINIMAP
    m_TaskController.AddTask(new C_TaskCreateMinimap(), 701);
#endif
    if (m_strSaveType == FieldSave) {
        g_GlobalResources.PlayBGM(info->BGMSet[0]);
        g_GlobalResources.SetBGMPlaying(true);
        m_TaskController.AddTask(new C_TaskDrawMap(info), 2);
#ifdef VORMANT_HAS_SELECTUNIT
        m_TaskController.AddTask(new C_TaskSelectUnit(info), 104);
#else
        m_TaskController.AddTask(new CFieldViewStandIn(), 104);  // BRIDGE
#endif
        return;
    }
#ifdef VORMANT_HAS_LOCATEUNIT
    m_TaskController.AddTask(new C_TaskLocateUnit(info, fromSave), 201);
#else
    // BRIDGE: without the preparation the mission's units stand on the map and the
    // player's side starts at once.
    if (!fromSave) PlaceMissionUnitsStandIn(*info);
    info->IsInterMission = false;
    g_GlobalResources.PlayBGM(info->BGMSet[0]);
    g_GlobalResources.SetBGMPlaying(true);
    m_TaskController.AddTask(new C_TaskDrawMap(info), 2);
#if defined(VORMANT_HAS_STARTTURN) && defined(VORMANT_HAS_SELECTUNIT)
    m_TaskController.AddTask(new C_TaskStartTurn(info), 101);
#else
    m_TaskController.AddTask(new CFieldViewStandIn(), 104);
#endif
#endif
}

int C_FieldScene::Update() {
    if (m_bMapMissing) return kSceneTitle;
    // Debug dump: up held and B newly pressed.
    if (IInputManager* input = m_FieldTaskInfo.m_pInputManager; input && input->IsPress(1) && input->IsPush(9)) {
        m_TaskController.SetDumpFlag(true);
        g_ErrorLog.Printf("残りビデオメモリ");
        g_ErrorLog.WriteNumber(FreeTextureMemory());
    }
    m_TaskController.Update(&m_FieldTaskInfo);
    return ExitStateToScene(m_FieldTaskInfo.m_nExitState, m_pPartyData);
}

void C_FieldScene::Draw() {
    if (m_bMapMissing) return;
    m_TaskController.Draw(&m_FieldTaskInfo);
}

int C_FieldScene::ExitStateToScene(int exitState, CPartyData* party) {
    switch (exitState) {
        case 1: {
            g_GlobalResources.SetBGMPlaying(false);
            const int map = party ? party->nMap : 0;
            return map >= 31 && map <= 34 ? kSceneTutorial : kSceneSave;
        }
        case 2:
            g_GlobalResources.SetBGMPlaying(false);
            if (party) party->RestoreBackup();
            return kSceneTitle;
        case 5:
            return kSceneEnding;
        default:
            return -1;
    }
}
