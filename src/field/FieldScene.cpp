// The field scene.
#include "FieldScene.h"

#include <unistd.h>

#include "FieldEvent.h"
#include "PartyData.h"
#include "info/TaskMiniMap.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "map/TaskDrawMap.h"
#include "resources/GlobalResources.h"
#include "save/ArchiveManager.h"
#include "sortie/TaskLocateUnit.h"
#include "system.h"
#include "turn/TaskSelectUnit.h"

namespace {

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
    // The sections' flags are cleared first, so they run on every entry; a restored
    // field keeps the units and charges of its save: its unit commands see the field
    // as restored.
    m_nInitializePasses =
        ::RunFieldInitialize(m_FieldTaskInfo, map, m_FieldTaskInfo.m_bRestoredFromSave, kMaxInitializePasses);
}

void C_FieldScene::StartTasks(bool fromSave) {
    C_FieldTaskInfo* info = &m_FieldTaskInfo;
    m_TaskController.AddTask(new C_TaskCreateMinimap(), 701);
    if (m_strSaveType == FieldSave) {
        // Play resumes in the player's phase.  Only the preparation's save is written
        // between missions: a field save that says so would take the first click on
        // an empty cell for the end of the preparation.
        if (info->IsInterMission) {
            g_ErrorLog.Printf("フィールドのセーブに準備中の印があったので外しました。");
            info->IsInterMission = false;
        }
        g_GlobalResources.PlayBGM(info->BGMSet[0]);
        g_GlobalResources.SetBGMPlaying(true);
        m_TaskController.AddTask(new C_TaskDrawMap(info), 2);
        m_TaskController.AddTask(new C_TaskSelectUnit(info), 104);
        return;
    }
    // A new chapter or a preparation save: the sortie preparation.
    m_TaskController.AddTask(new C_TaskLocateUnit(info, fromSave), 201);
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
