// The status window.
#include "menu/DispStatus.h"

#include <algorithm>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "menu/SelectMenu.h"
#include "menu/SelectSkillMenu.h"
#include "menu/TaskMenuBase.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"

#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

// `digits`: the most digits that fit before the next label, slash or frame line (a
// maximum keeps to the digits of its current value, so that the pair reads true).
struct ValueLayout {
    int width, height, x, y, digits;
};
const ValueLayout kValues[C_TaskDispStatus::kValueCount] = {
    {4, 16, 291, 34, 4},   {4, 14, 271, 67, 4},   {4, 16, 349, 34, 4},   {4, 14, 304, 67, 4},
    {3, 14, 292, 100, 6},  {3, 14, 292, 124, 6},  {3, 14, 386, 100, 6},  {3, 14, 386, 124, 6},
    {3, 16, 498, 154, 10}, {3, 16, 516, 66, 10},  {3, 16, 516, 92, 10},  {3, 16, 516, 118, 10},
};
// The name stops at the right end of its band, a skill row at the skill window's frame.
constexpr int kNameRoom = 244;
constexpr int kRowRoom = 300;

void DrawText(CD3DTextDraw& text, int x, int y, const RECT* src = nullptr) {
    CD3DRTSquare& rt = text.GetRenderTarget();
    if (!text.GetText().empty() && rt.GetTexture()) rt.Draw(x, y, 255, src);
}

}  // namespace

std::string MakeConditionText(const PersonRecord& person) {
    static const char* const kNames[4] = {"Sleep", "Sealed", "Poison", "Dazzle"};
    std::string text = "LV." + std::to_string(person.nLevel);
    bool first = true;
    for (int c = 0; c < 4; ++c) {
        if ((person.nCondition & (1u << c)) == 0) continue;
        text += first ? ": " : "/";
        text += kNames[c];
        first = false;
    }
    if (first) text += ": Good";
    return text;
}

std::string MakeStatusSkillRow(int skill) {
    std::string text = PadBytes(g_SkillData.GetName(skill), 24, false) + FormatSkillNumbers(skill) + " ";
    if (!g_SkillData.IsPassive(skill)) text += GetSkillKindLabel(skill);
    return text;
}

C_TaskDispStatus::C_TaskDispStatus(C_FieldTaskInfo* info, const PersonRecord& person, int charge,
                                   const C_TaskReply<int32_t>& closed, int cellX, int cellY)
    : m_Person(person),
      m_PanelTexture("./graphics/param.png"),
      m_nCellX(cellX),
      m_nCellY(cellY),
      m_nCharge(charge),
      m_Closed(closed) {
    m_Closed.Start(0);
    m_NameText.SetText(m_Person.name, 14, kWhite);
    m_NameText.SetMaxWidth(kNameRoom);
    const int values[kValueCount] = {m_Person.nHP,  m_Person.nMP,  m_Person.nMaxHP, m_Person.nMaxMP,
                                     m_Person.nStr, m_Person.nMag, m_Person.nDex,   m_Person.nSpd,
                                     m_Person.nMove, m_Person.nGur, m_Person.nGurA,  m_Person.nGurM};
    for (int v = 0; v < kValueCount; ++v) {
        std::string text = FormatNumberCapped(values[v], kValues[v].width, kValues[v].digits);
        if (v == kMove) text += m_Person.m_type == 0 ? "/歩行" : "/騎馬";
        m_ValueText[v].SetText(text, kValues[v].height, kWhite);
    }
    m_ConditionText.SetText(MakeConditionText(m_Person), 12, kWhite);

    // Every skill of the three lists, each list ending at its first empty entry.
    const int32_t* lists[3] = {m_Person.skill, m_Person.cskill, m_Person.pskill};
    const int limits[3] = {12, 6, 4};
    int total = 0;
    for (int l = 0; l < 3; ++l)
        for (int k = 0; k < limits[l] && lists[l][k] >= 0; ++k) {
            ++total;
            if (m_nRowCount >= kMaxRows) continue;
            const int s = lists[l][k];
            m_nRowSkill[m_nRowCount] = s;
            m_RowText[m_nRowCount].SetText(MakeStatusSkillRow(s), 12, kWhite);
            m_RowText[m_nRowCount].SetMaxWidth(kRowRoom);
            m_nRowIcon[m_nRowCount] = GetSkillKindIcon(s);
            ++m_nRowCount;
        }
    if (total > kMaxRows)
        g_ErrorLog.Printf("%s のスキル %d 個のうち、ステータス画面に載るのは %d 個までです。", m_Person.name.c_str(), total,
                          kMaxRows);
    SetHelp(-1);
    m_bTextChanged = true;
}

std::string C_TaskDispStatus::GetRowHelp(int row) const {
    if (row < 0 || row >= m_nRowCount) return m_Person.comment;
    return g_SkillData.GetComment(m_nRowSkill[row]);
}

void C_TaskDispStatus::SetHelp(int row) {
    m_strHelp = GetRowHelp(row);
    m_HelpText.SetText(WrapHelpText(m_strHelp), 12, kWhite);
    m_bHelpChanged = true;
}

int C_TaskDispStatus::RowAt(int px, int py) const {
    if (316 <= px && px < 516 && 240 <= py && py < 240 + 16 * m_nRowCount) return (py - 240) / 16;
    return -1;
}

int C_TaskDispStatus::ChargeMarkX(int charge, int i) {
    if (charge < 3) return 385 + 16 * i;
    return 385 + (48 * i) / charge;
}

void C_TaskDispStatus::ShowReach(C_FieldTaskInfo* info, int skill) {
    std::vector<FieldCell> cells;
    info->CollectCellsInRange(cells, m_nCellX, m_nCellY, g_SkillData.GetRange2(skill), g_SkillData.GetPath(skill), -1);
    C_TaskController* tasks = info->m_pTaskController;
    if (!tasks) return;
    m_nRangeClosed = 0;
    tasks->AddTask(new C_TaskCursol(C_TaskReply<int32_t>(C_TaskHandle(tasks, this), &m_nRangeClosed), info), 8);
    if (g_SkillData.IsCannon(skill))
        tasks->AddTask(new C_TaskDispCannonRange(1, g_SkillData.GetRegion2(skill) - 1, g_SkillData.GetRegion1(skill)), 4);
    tasks->AddTask(new C_TaskDispRange(2, cells, info), 3);
    m_bRangeShown = true;
}

C_TaskDispStatus::~C_TaskDispStatus() { m_Closed.SetUnlessAnswered(1); }

void C_TaskDispStatus::Update(C_FieldTaskInfo* info) {
    IInputManager* input = info ? info->GetInputManager() : g_pInputManager;
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    if (m_bRangeShown) {
        if (m_nRangeClosed != 0) {
            if (info && info->m_pTaskController) {
                info->m_pTaskController->KillTask(3);
                info->m_pTaskController->KillTask(4);
            }
            m_bRangeShown = false;
        }
        return;
    }
    const int row = RowAt(px, py);
    if (row != m_nSelected) {
        m_nSelected = row;
        SetHelp(row);
    }
    if (info && m_nCellX != -1 && input->IsLButtonPush() && m_nSelected != -1 &&
        !g_SkillData.IsPassive(m_nRowSkill[m_nSelected])) {
        ShowReach(info, m_nRowSkill[m_nSelected]);
        return;
    }
    if (input->IsRButtonPush()) {
        m_Closed.Set(1);
        KillSelf(info);
    }
}

void C_TaskDispStatus::Draw(C_FieldTaskInfo* info) {
    if (m_bRangeShown) return;
    if (m_bTextChanged) {
        m_NameText.Render();
        for (CD3DTextDraw& t : m_ValueText) t.Render();
        m_ConditionText.Render();
        for (int i = 0; i < m_nRowCount; ++i) m_RowText[i].Render();
        m_bTextChanged = false;
    }
    if (m_bHelpChanged) {
        m_HelpText.Render();
        m_bHelpChanged = false;
    }
    const RECT whole{0, 0, 640, 480};
    m_PanelTexture.Draw(0, 0, 255, &whole);
    for (int v = 0; v < kValueCount; ++v) DrawText(m_ValueText[v], kValues[v].x, kValues[v].y);
    DrawText(m_ConditionText, 313, 156);
    DrawText(m_HelpText, 29, 308);
    if (m_Person.hero) g_GlobalResources.GetBustUpTexture(m_Person.face, 10, -18, 0, 255, 1.0);
    if (m_Person.nAttrDark > 0) g_GlobalResources.DrawStatusPanel(0, 120, 152, 0);
    if (m_Person.nAttrLight > 0) g_GlobalResources.DrawStatusPanel(1, 120, 152, 0);
    g_GlobalResources.DrawStretchedPanel(-10, 230, 280, 60, 0);
    CD3DRTSquare& nameTarget = m_NameText.GetRenderTarget();
    const RECT nameClip{0, 0, std::min(300, nameTarget.GetTargetWidth()), std::min(96, nameTarget.GetTargetHeight())};
    DrawText(m_NameText, 20, 254, &nameClip);
    for (int i = 0; i < m_nRowCount; ++i) {
        DrawText(m_RowText[i], 316, 242 + 16 * i);
        g_GlobalResources.DrawSmallIcon(m_nRowIcon[i], 300, 236 + 16 * i, 0);
    }
    for (int i = 0; i < m_nCharge; ++i) g_GlobalResources.DrawSmallIcon(10, ChargeMarkX(m_nCharge, i), 68, 0);
    if (m_nSelected != -1) DrawMenuQuad(m_Square, 316, 240 + 16 * m_nSelected, 300, 16, 0x60FFFFFF);
}
