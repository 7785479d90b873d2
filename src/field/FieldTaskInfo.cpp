#include "FieldTaskInfo.h"

#include <string>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "PartyData.h"
#include "resources/GlobalResources.h"
#include "resources/UnitPlate.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "random/gvlRand.h"
#include "save/ArchiveManager.h"
#include "system.h"
#include "util/ClampInt.h"

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

// ---- program-wide field state ------------------------------------------------------------

bool g_bFieldCursorActive = false;
RECT g_rcFieldMiniMap{0, 0, -1, -1};

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
    m_LowerChipTexture.Load();
    m_UpperChipTexture.Load();
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
        m_PersonList.SetMP(i, SaturatingAdd(m_PersonList.GetMP(i), 2));
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

// ---- screen geometry -----------------------------------------------------------------------

int C_FieldTaskInfo::GetScreenX(float x, float y) const {
    const double dx = double(x) - double(m_fCameraX), dy = double(y) - double(m_fCameraY);
    return static_cast<int>(56.0 * dx + 320.0 - 56.0 * dy);
}

int C_FieldTaskInfo::GetScreenY(float x, float y) const {
    const double dx = double(x) - double(m_fCameraX), dy = double(y) - double(m_fCameraY);
    return static_cast<int>(28.0 * dx + 240.0 + 28.0 * dy);
}

void C_FieldTaskInfo::ScreenToCell(int sx, int sy, int* cellX, int* cellY) const {
    // The inverse of the projection: (X + 2Y - 800) / 112 + camera x and
    // (2Y - X - 160) / 112 + camera y, in single precision like the camera, rounded
    // down so that a point beside the map's top edges lands off the map (below 0)
    // rather than on its border.
    const float fx = float(sx + 2 * sy - 800) / 112.0f + m_fCameraX;
    const float fy = float(2 * sy - sx - 160) / 112.0f + m_fCameraY;
    if (cellX) *cellX = static_cast<int>(std::floor(fx));
    if (cellY) *cellY = static_cast<int>(std::floor(fy));
}

void C_FieldTaskInfo::ResetRangeCells() {
    const int w = m_MapData.m_xSize > 0 ? m_MapData.m_xSize : 0;
    const int h = m_MapData.m_ySize > 0 ? m_MapData.m_ySize : 0;
    m_vbRangeCell.assign(static_cast<size_t>(w) * h, false);
}

bool C_FieldTaskInfo::IsRangeCell(int x, int y) const {
    if (!IsValidCell(x, y)) return false;
    const size_t i = static_cast<size_t>(y) * m_MapData.m_xSize + x;
    return i < m_vbRangeCell.size() && m_vbRangeCell[i];
}

// ---- unit plates -------------------------------------------------------------------------

void C_FieldTaskInfo::DrawUnitPlates(int unit, UnitPlate* plates, int slide, bool left) {
    if (!plates || !m_UnitList.IsValidUnit(unit) || m_UnitList.GetMemberCount(unit) < 1) return;
    if (slide < 0) slide = 0;
    if (slide > 15) slide = 15;
    const bool friendly = m_UnitList.GetMemberPerson(unit, 0).bFriend != 0;
    int force = 0;
    if (m_pPartyData) force = friendly ? m_pPartyData->ForceID1 : m_pPartyData->ForceID0;
    g_GlobalResources.DrawSlideInIcon(force, left);
    const uint8_t alpha = static_cast<uint8_t>(slide * 255 / 15);
    for (int j = 0; j < m_UnitList.GetMemberCount(unit); ++j) {
        const int k = m_UnitList.GetSlotPosition(unit, j);
        if (k < 0 || k > 3) continue;
        UnitPlate& plate = plates[k];
        plate.x = left ? 4 * slide - 10 * k - 30 : 453 + 10 * k - 4 * slide;
        plate.y = 70 * (k + 1);
        plate.nAlpha = alpha;
        g_GlobalResources.DrawUnitPlate(plate, false);
    }
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
    if (number && (version == 10 || version == 1)) {
        CStringMap record = manager.GetArchive(FieldTaskInfoKey, true);
        if (version == 10)
            Load(record);
        else
            LoadVersion1(record);
        std::string why;
        if (CheckConsistency(&why) && CheckUnitsKept(record, &why)) return 1;
        // Playing on from a record that does not hold together would read outside
        // the grid or the person list: the save is refused.
        g_ErrorLog.Printf("セーブファイルのフィールドの記録が壊れています: %s", why.c_str());
        plat::MessageBox("不正なセーブファイルです。", "エラー", plat::kMbIconError);
        return -1;
    }
    g_ErrorLog.Printf("セーブファイルの版 \"%s\" は読めません。", manager.GetString(SaveFileVersion, false).c_str());
    plat::MessageBox("不正なセーブファイルです。", "エラー", plat::kMbIconError);
    return -1;
}

bool C_FieldTaskInfo::CheckConsistency(std::string* why) const {
    char line[160];
    auto fail = [&](const char* text) {
        if (why) *why = text;
        return false;
    };
    const int w = m_MapData.m_xSize, h = m_MapData.m_ySize;
    if (w <= 0 || h <= 0) return fail("マップの大きさがありません。");
    if (m_MapData.m_byMapChip.size() != static_cast<size_t>(w) * h) {
        std::snprintf(line, sizeof line, "マップ %dx%d のマス数 %d が合いません。", w, h,
                      (int)m_MapData.m_byMapChip.size());
        return fail(line);
    }
    for (int u = 0; u < m_UnitList.GetCount(); ++u) {
        const UnitRecord& unit = m_UnitList.m_vUnit[u];
        if (!IsValidCell(unit.x, unit.y)) {
            std::snprintf(line, sizeof line, "部隊 %d がマップの外 (%d, %d) にいます。", u, unit.x, unit.y);
            return fail(line);
        }
        if (unit.vnPerson.empty() || unit.vnPerson.size() > static_cast<size_t>(kMaxUnitMembers)) {
            std::snprintf(line, sizeof line, "部隊 %d の人数 %d が不正です。", u, (int)unit.vnPerson.size());
            return fail(line);
        }
        for (int person : unit.vnPerson) {
            if (!m_PersonList.IsValidIndex(person)) {
                std::snprintf(line, sizeof line, "部隊 %d の人物番号 %d がありません。", u, person);
                return fail(line);
            }
        }
    }
    for (const CSortiePosition& pos : m_MapData.m_vnSortiePos) {
        if (!IsValidCell(pos.x, pos.y)) {
            std::snprintf(line, sizeof line, "出撃位置 (%d, %d) がマップの外です。", pos.x, pos.y);
            return fail(line);
        }
    }
    return true;
}

void C_FieldTaskInfo::ClearForNewField() {
    m_PersonList.Clear();
    m_UnitList.Clear();
    m_UnitList.SetPersonList(&m_PersonList);
    m_MapData.OperationMessage.clear();
    m_MapData.m_vAnabasisRoute.clear();
    m_MapData.m_vEvent.clear();
    for (std::string& name : m_MapData.MissionName) name.clear();
    m_AI = C_AI();
    m_vMovePath.clear();
    m_nMovingUnit = -1;
    m_vBattleAction.clear();
    m_bRestoredFromSave = false;
}

bool C_FieldTaskInfo::CheckUnitsKept(CStringMap& record, std::string* why) const {
    // The unit list leaves out members naming no person (and units left empty);
    // a record that needed that is not the field that was saved.
    char line[160];
    const int saved = record.GetInt("UnitData/OneUnitDataSize", 0);
    if (saved != m_UnitList.GetCount()) {
        std::snprintf(line, sizeof line, "部隊 %d 件のうち %d 件しか読めません。", saved, m_UnitList.GetCount());
        if (why) *why = line;
        return false;
    }
    for (int u = 0; u < saved; ++u) {
        const int members = record.GetInt("UnitData/m_vUnit" + Int64ToString(u) + "/vnPersonSize", 0);
        if (members != m_UnitList.GetMemberCount(u)) {
            std::snprintf(line, sizeof line, "部隊 %d の人物 %d 人のうち %d 人しか読めません。", u, members,
                          m_UnitList.GetMemberCount(u));
            if (why) *why = line;
            return false;
        }
    }
    return true;
}

// ---- the turn's hold --------------------------------------------------------------------

void C_FieldTaskInfo::NoteRaisedEvent(const C_TaskBase* event, const C_TaskHandle* waiter) {
    // An event nothing waits for cannot lose its waiter: it holds nothing.
    if (waiter) m_vRaisedEvents.push_back({C_TaskHandle(m_pTaskController, event), *waiter});
}

bool C_FieldTaskInfo::IsTurnHeld() {
    if (m_nExitState != 0) return true;
    std::erase_if(m_vRaisedEvents, [](const RaisedEvent& e) { return !e.event.IsLive(); });
    return std::any_of(m_vRaisedEvents.begin(), m_vRaisedEvents.end(),
                       [](const RaisedEvent& e) { return !e.waiter.IsLive(); });
}
