#include "FieldTaskInfo.h"

#include <string>

#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "random/gvlRand.h"
#include "save/ArchiveManager.h"
#include "system.h"

// ---- tutorial input --------------------------------------------------------------------

void CInputManagerDummy_forTutorial::Update() {
    m_bPrevLeft = m_bLeft;
    m_bPrevRight = m_bRight;
    m_bPrevMiddle = m_bMiddle;
}

void CInputManagerDummy_forTutorial::GetXY(int* x, int* y) {
    if (x) *x = m_nX;
    if (y) *y = m_nY;
}

void CInputManagerDummy_forTutorial::SetState(int x, int y, uint8_t left, uint8_t right) {
    m_nX = x;
    m_nY = y;
    m_bLeft = left != 0;
    m_bRight = right != 0;
}

// ---- field state -------------------------------------------------------------------------

C_FieldTaskInfo::C_FieldTaskInfo() { m_UnitList.SetPersonList(&m_PersonList); }

C_FieldTaskInfo::~C_FieldTaskInfo() = default;

void C_FieldTaskInfo::SetInputManager(IInputManager* input) {
    m_pInputManager = input;
    BGMSet[0] = 1;
    BGMSet[1] = 2;
}

IInputManager* C_FieldTaskInfo::GetInputManager() {
    if (m_bTutorialInput) return &m_TutorialInput;
    return m_pInputManager;
}

void C_FieldTaskInfo::Reset() {
    m_UnitList.SetPersonList(&m_PersonList);
    m_fCameraX = m_fCameraY = 0.0f;
    m_nTurn = 0;
    m_nExitState = 0;
    m_nHoverX = m_nHoverY = 0;
    m_bPlayerPhase = true;
    IsInterMission = true;
    m_bSortieFlag = false;
    for (bool& flag : EventHandlerFlag) flag = false;
    for (int32_t& value : EventValue) value = 0;
    // Without party data (a state not yet handed its party) the map counts as 0.
    const int map = m_pPartyData != nullptr ? m_pPartyData->nMap : 0;
    m_AI.m_bUseView = map == 5 || map == 10 || map == 15;
    if (!m_AI.m_bUseView) m_AI.m_bDetected = true;
}

void C_FieldTaskInfo::RecoverConditions() {
    for (int i = 0; i < m_PersonList.GetCount(); ++i) {
        for (int c = 1; c <= 4; ++c) {
            if (m_PersonList.HasCondition(i, c) && g_Rand.Get() % 100 < 30) m_PersonList.SetCondition(i, c, 0);
        }
        m_PersonList.SetMP(i, m_PersonList.GetMP(i) + 2);
    }
}

int C_FieldTaskInfo::FindUnitByPersonType(int typeID) const {
    for (int u = 0; u < m_UnitList.GetCount(); ++u) {
        const UnitRecord& unit = m_UnitList.m_vUnit[u];
        for (int person : unit.vnPerson) {
            if (m_PersonList.IsValidIndex(person) && m_PersonList.m_vPerson[person].typeID == typeID) return u;
        }
    }
    return -1;
}

// ---- record ------------------------------------------------------------------------------

namespace {
std::string Num(const char* key, int i) { return key + Int64ToString(i); }
}  // namespace

CStringMap C_FieldTaskInfo::Save() {
    CStringMap archive;
    archive.Clear();
    archive.EnterGroup("Person");
    m_PersonList.Save(archive);
    archive.LeaveGroup();
    archive.EnterGroup("UnitData");
    m_UnitList.Save(archive);
    archive.LeaveGroup();
    archive.EnterGroup("MapData");
    m_MapData.Save(archive);
    archive.LeaveGroup();
    for (int i = 0; i < kBGMSetCount; ++i) archive.SetInt64(Num("BGMSet", i), BGMSet[i]);
    archive.SetInt64("m_nTurn", m_nTurn);
    archive.SetInt64("IsInterMission", IsInterMission ? 1 : 0);
    for (int i = 0; i < kEventHandlerFlagCount; ++i) archive.SetInt64(Num("EventHandlerFlag", i), EventHandlerFlag[i] ? 1 : 0);
    for (int i = 0; i < kEventValueCount; ++i) archive.SetInt64(Num("EventValue", i), EventValue[i]);
    archive.EnterGroup("AI");
    m_AI.Save(archive);
    archive.LeaveGroup();
    return archive;
}

void C_FieldTaskInfo::Load(CStringMap archive) { LoadRecord(archive, false); }

void C_FieldTaskInfo::LoadVersion1(CStringMap archive) { LoadRecord(archive, true); }

void C_FieldTaskInfo::LoadRecord(CStringMap& archive, bool version1) {
    m_UnitList.SetPersonList(&m_PersonList);
    archive.EnterGroup("Person");
    if (version1)
        m_PersonList.LoadVersion1(archive);
    else
        m_PersonList.Load(archive);
    archive.LeaveGroup();
    archive.EnterGroup("UnitData");
    m_UnitList.Load(archive);
    archive.LeaveGroup();
    archive.EnterGroup("MapData");
    if (version1)
        m_MapData.LoadVersion1(archive);
    else
        m_MapData.Load(archive);
    archive.LeaveGroup();
    for (int i = 0; i < kBGMSetCount; ++i) BGMSet[i] = archive.GetInt(Num("BGMSet", i), 0);
    m_nTurn = archive.GetInt("m_nTurn", 0);
    IsInterMission = archive.GetInt("IsInterMission", 0) != 0;
    for (int i = 0; i < kEventHandlerFlagCount; ++i) EventHandlerFlag[i] = archive.GetInt(Num("EventHandlerFlag", i), 0) != 0;
    for (int i = 0; i < kEventValueCount; ++i) EventValue[i] = archive.GetInt(Num("EventValue", i), 0);
    archive.EnterGroup("AI");
    m_AI.Load(archive);
    archive.LeaveGroup();
}

int C_FieldTaskInfo::RestoreFromArchiveManager(CArchiveManager& manager, std::string* kind) {
    std::string type;
    if (manager.HasKey(SaveFileTypeKey)) type = manager.GetString(SaveFileTypeKey, true);
    if (kind) *kind = type;
    if (type != IntermissionSave && type != FieldSave) return 0;
    int64_t version = 0;
    const bool number = ParseInt64(manager.GetString(SaveFileVersion, false), version) == 0;
    if (!manager.HasArchive(FieldTaskInfoKey)) {
        // A field save without its field record would start an empty field.
        g_ErrorLog.Printf("セーブファイルに %s がありません。", FieldTaskInfoKey);
        plat::MessageBox("不正なセーブファイルです。", "エラー", plat::kMbIconError);
        return -1;
    }
    if (number && version == 10) {
        Load(manager.GetArchive(FieldTaskInfoKey, true));
        return 1;
    }
    if (number && version == 1) {
        LoadVersion1(manager.GetArchive(FieldTaskInfoKey, true));
        return 1;
    }
    g_ErrorLog.Printf("セーブファイルの版 \"%s\" は読めません。", manager.GetString(SaveFileVersion, false).c_str());
    plat::MessageBox("不正なセーブファイルです。", "エラー", plat::kMbIconError);
    return -1;
}
