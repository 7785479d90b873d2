// The skill selection menu.
#include "menu/SelectSkillMenu.h"

#include <algorithm>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "menu/InstructWindow.h"
#include "menu/SelectMenu.h"
#include "resources/GlobalResources.h"

namespace {

constexpr uint16_t kSealed = 2;
const char* const kKindLabels[6] = {"斬撃", "槍投", "直射", "放射", "直魔", "放魔"};

}  // namespace

// ---- skill texts ---------------------------------------------------------------------------------

int GetSkillKindLabelIndex(int skill) {
    const int type = g_SkillData.GetType(skill);
    int base, offset;
    if (type == 0) {
        base = 0;
        offset = g_SkillData.GetBackAtk(skill) ? 1 : 0;
    } else {
        base = type == 1 ? 2 : 4;
        offset = g_SkillData.GetPath(skill) - 1;
        if (offset < 0 || offset > 1) {
            g_ErrorLog.Printf("スキル %d の path %d は種類の表にありません。", skill, offset + 1);
            offset = std::clamp(offset, 0, 1);
        }
    }
    return base + offset;
}

std::string GetSkillKindLabel(int skill) { return kKindLabels[GetSkillKindLabelIndex(skill)]; }

int GetSkillKindIcon(int skill) {
    const int type = g_SkillData.GetType(skill);
    const int attr = g_SkillData.GetAttr(skill);
    const bool all = g_SkillData.IsAllAttack(skill);
    int icon = 0;
    if (type == 1) icon = 1;
    if (type == 2 && attr == 1 && !all) icon = 2;
    if (type == 2 && attr == 2 && !all) icon = 3;
    if (type == 2 && attr == 1 && all) icon = 4;
    if (type == 2 && attr == 2 && all) icon = 5;
    if (type == 3) icon = 6;
    if (g_SkillData.IsCannon(skill) && attr == 1) icon = 7;
    if (g_SkillData.IsCannon(skill) && attr == 2) icon = 8;
    if (g_SkillData.IsPassive(skill)) icon = 9;
    return icon;
}

std::string FormatSkillNumbers(int skill) {
    return FormatNumber(g_SkillData.GetPower(skill), 6) + FormatNumber(g_SkillData.GetMp(skill), 4) + " " +
           FormatNumber(g_SkillData.GetRange1(skill), 2) + "-" + FormatNumber(g_SkillData.GetRange2(skill), 2) + "(" +
           FormatNumber(g_SkillData.GetRegion2(skill), 1) + ")";
}

std::string PadBytes(const std::string& text, int width, bool cut) {
    std::string out;
    if (cut && (int)text.size() > width) {
        size_t i = 0;
        while (i < text.size()) {
            const size_t size = IsCP932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
            if ((int)(i + size) > width) break;
            i += size;
        }
        out = text.substr(0, i);
    } else {
        out = text;
    }
    if ((int)out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

std::string WrapHelpText(const std::string& text) { return WrapTextBytes(text, 36); }

std::string GetSkillNameById(const int* skill) { return skill ? g_SkillData.GetName(*skill) : std::string(); }

// ---- menu ----------------------------------------------------------------------------------------

C_TaskSelectSkillMenu::C_TaskSelectSkillMenu(C_FieldTaskInfo* info, const C_TaskReply<int32_t>& result, int unit,
                                             int member, int targetUnit, const C_TaskReply<int32_t>& chosenRow,
                                             bool cannonMode)
    : m_PanelTexture("./graphics/param.png"),
      m_Result(result),
      m_nUnit(unit),
      m_nTargetUnit(targetUnit),
      m_ChosenRow(chosenRow),
      m_nMember(member),
      m_bCannonMode(cannonMode) {
    m_Result.Start(0);
    m_ChosenRow.Start(0);
    m_nX = 20;
    m_nY = 40;
    m_nWidth = 345;
    m_nHeight = 264;
    m_nOpenFrames = 6;
    m_nCursor = -1;
    m_bTextDirty = true;
    ComputeRows(info);
    m_nItemNum = (int)m_vnRowSkill.size();
    SetHelp(info);
}

void C_TaskSelectSkillMenu::ComputeRows(C_FieldTaskInfo* info) {
    m_vnRowSkill.assign(1, -1);
    m_vbRowEnable.assign(1, 1);
    if (!info || !info->m_UnitList.IsValidUnit(m_nUnit) || m_nMember < 0 ||
        m_nMember >= info->m_UnitList.GetMemberCount(m_nUnit))
        return;
    CUnitList& units = info->m_UnitList;
    m_nY = 40 + 60 * units.GetSlotPosition(m_nUnit, m_nMember);
    const int charge = units.GetCharge(m_nUnit);
    if (m_bCannonMode && charge >= 3) m_vbRowEnable[0] = 0;

    const PersonRecord& person = units.GetMemberPerson(m_nUnit, m_nMember);
    const PersonRecord& leader = units.GetMemberPerson(m_nUnit, 0);
    const bool leaderSealed = (leader.nCondition & kSealed) != 0;
    const bool hasTarget = !m_bCannonMode && units.IsValidUnit(m_nTargetUnit) && units.GetMemberCount(m_nTargetUnit) > 0;
    const bool targetFriendly = hasTarget && units.GetMemberPerson(m_nTargetUnit, 0).bFriend;
    const bool longReach = units.GetPersonList() &&
                           units.GetPersonList()->HasPassiveSkillEffect(units.GetMember(m_nUnit, m_nMember), 10);

    int count = units.CountAllMemberSkills(m_nUnit, m_nMember);
    if (count + 1 > kMaxRows) {
        g_ErrorLog.Printf("スキルが %d 個あり、一覧に載るのは %d 個までです。", count, kMaxRows - 1);
        count = kMaxRows - 1;
    }
    for (int k = 0; k < count; ++k) {
        const int s = units.GetMemberSkillByIndex(m_nUnit, m_nMember, k);
        bool on = g_SkillData.GetMp(s) <= person.nMP && !(leaderSealed && g_SkillData.GetType(s) == 2) &&
                  g_SkillData.IsCannon(s) == m_bCannonMode && !g_SkillData.IsPassive(s) &&
                  g_SkillData.GetCharge(s) <= charge;
        if (on && !m_bCannonMode) {
            on = person.bForward || g_SkillData.GetBackAtk(s);
            if (on && hasTarget) {
                on = info->IsInAttackReach(units.GetX(m_nUnit), units.GetY(m_nUnit), units.GetX(m_nTargetUnit),
                                           units.GetY(m_nTargetUnit), g_SkillData.GetRange2(s), g_SkillData.GetPath(s),
                                           m_nUnit, units.IsMoveEnd(m_nUnit), longReach) &&
                     (g_SkillData.GetType(s) == 3) == targetFriendly;
            }
        }
        m_vnRowSkill.push_back(s);
        m_vbRowEnable.push_back(on ? 1 : 0);
    }
}

int C_TaskSelectSkillMenu::RowAt(int px, int py) const {
    if (m_nX + 34 <= px && px < m_nX + 334 && m_nY + 40 <= py && py < m_nY + 40 + 16 * m_nItemNum)
        return (py - m_nY - 40) / 16;
    return -1;
}

std::string C_TaskSelectSkillMenu::GetRowHelp(C_FieldTaskInfo* info, int row) const {
    if (row < 0) return std::string();
    if (row == 0) {
        if (!m_bCannonMode) return "攻撃せず待機します。";
        const int charge = info && info->m_UnitList.IsValidUnit(m_nUnit) ? info->m_UnitList.GetCharge(m_nUnit) : 0;
        return "魔力を溜めることで、チャージ値が１つ増加します。/現在のチャージ値：" + std::to_string(charge);
    }
    const int s = GetRowSkill(row);
    std::string text = g_SkillData.GetComment(s);
    if (g_SkillData.IsCannon(s)) text += "/（必要チャージ値：" + std::to_string(g_SkillData.GetCharge(s)) + "）";
    return text;
}

void C_TaskSelectSkillMenu::SetHelp(C_FieldTaskInfo* info) {
    m_strHelp = GetRowHelp(info, m_nCursor);
    m_HelpText.SetText(WrapHelpText(m_strHelp), 12, 0xFFFFFFFF);
    m_bHelpChanged = true;
}

void C_TaskSelectSkillMenu::Update(C_FieldTaskInfo* info) {
    IInputManager* input = InputOf(info);
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        return;
    }
    const int old = m_nCursor;
    m_nCursor = RowAt(px, py);
    if (m_nCursor != old) SetHelp(info);
    if (input->IsLButtonPush() && m_nCursor != -1 && IsRowEnabled(m_nCursor) && !m_bTextDirty) {
        m_ChosenRow.Set(m_nCursor);
        m_Result.Set(1);
        KillSelf(info);
    } else if (input->IsRButtonPush() && !m_bTextDirty) {
        m_Result.Set(-1);
        KillSelf(info);
    }
}

C_TaskSelectSkillMenu::~C_TaskSelectSkillMenu() { m_Result.SetUnlessAnswered(-1); }

void C_TaskSelectSkillMenu::BuildListPicture() {
    for (int k = 0; k < m_nItemNum; ++k) {
        std::string text;
        if (k == 0) {
            text = PadBytes(m_bCannonMode ? "チャージ" : "待機", 24, true) + "   ---  --   -  (-)";
        } else {
            const int s = m_vnRowSkill[k];
            text = PadBytes(g_SkillData.GetName(s), 24, true) + FormatSkillNumbers(s) + " " + GetSkillKindLabel(s);
        }
        m_RowText[k].SetText(text, 12, IsRowEnabled(k) ? 0xFFFFFFFF : 0x80FFFFFF);
        m_RowText[k].Render();
    }
    // Tall enough for the whole list window (264 rows of the picture).
    m_ListTarget.Create(512, 512, 0x00FFFFFF);
    m_ListTarget.BeginTarget(true);
    const RECT back{282, 200, 627, 464};
    m_PanelTexture.Draw(0, 0, 255, &back);
    for (int k = 0; k < m_nItemNum; ++k) {
        const int y = 42 + 16 * k;
        if (k > 0) g_GlobalResources.DrawSmallIcon(GetSkillKindIcon(m_vnRowSkill[k]), 18, y - 6, 0);
        CD3DRTSquare& rt = m_RowText[k].GetRenderTarget();
        if (rt.GetTexture()) rt.Draw(34, y, 255);
    }
    m_ListTarget.EndTarget();
}

void C_TaskSelectSkillMenu::Draw(C_FieldTaskInfo* info) {
    if (m_bTextDirty) {
        BuildListPicture();
        m_bTextDirty = false;
    }
    DrawOpening(m_ListTarget, m_nX, m_nY, m_nWidth, m_nHeight, 20, 13);
    if (m_bHelpChanged) {
        m_HelpText.Render();
        m_bHelpChanged = false;
    }
    const RECT panel{13, 284, 260, 464};
    if (!IsStarted()) {
        DrawOpening(m_PanelTexture, m_nX + 344, m_nY, 247, 180, 12, 13, &panel);
        return;
    }
    m_PanelTexture.Draw(m_nX + 344, m_nY, 255, &panel);
    CD3DRTSquare& help = m_HelpText.GetRenderTarget();
    if (!m_strHelp.empty() && help.GetTexture()) help.Draw(m_nX + 360, m_nY + 24, 255);
    if (m_nCursor != -1) DrawMenuQuad(m_Square, m_nX + 34, m_nY + 40 + 16 * m_nCursor, 300, 16, 0x60FFFFFF);
}
