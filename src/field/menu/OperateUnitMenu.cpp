// The operate-unit command panel.
#include "menu/OperateUnitMenu.h"

#include <utility>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "menu/DispStatus.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"
#include "util/GameUtil.h"

namespace {

constexpr uint16_t kSleep = 1;
constexpr uint16_t kSealed = 2;

const char* const kHelp[8] = {
    "ユニットに指示を出してください。",
    "メンバーの並び替えが出来ます。/また同じ場所をもう一度クリックするとステータスを見ることが出来ます。",
    "ユニットのメンバー全員を一度に移動させます。/（全員移動できる範囲しか移動できません）",
    "ユニットを移動させます。/移動地点を指定した後、移動させるメンバーを選ぶことが出来ます。",
    "ユニットに攻撃をさせます。攻撃後は移動できなくなります。",
    "広範囲に攻撃できる砲撃魔法を使用します。/（使用するには一定量のチャージが必要です。/"
    "　また、移動すると溜めていたチャージが/　無効になります）",
    "支援魔法を使って、味方ユニットを回復させます。",
    "メニューを終了します。/（後から攻撃・支援することは可能です）",
};

}  // namespace

CTaskOperateUnitMenu::CTaskOperateUnitMenu(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info, int unit)
    : m_Result(result), m_nUnit(unit), m_PanelImage("./graphics/OperateMenu.png") {
    m_nX = 30;
    m_nY = 40;
    m_nWidth = 353;
    m_nHeight = 301;
    m_nOpenFrames = 5;
    m_nCursor = -1;
    m_Result.Start(kOpen);
    ComputeCommands(info);
}

CTaskOperateUnitMenu::~CTaskOperateUnitMenu() { m_Result.SetUnlessAnswered(kCancel); }

std::string CTaskOperateUnitMenu::GetHelpText(int item) {
    if (item < 0 || item > 9) return kHelp[0];
    if (item < 4) return kHelp[1];
    return kHelp[item - 2];
}

void CTaskOperateUnitMenu::ComputeCommands(C_FieldTaskInfo* info) {
    m_bPlateDirty = true;
    m_nHold = -1;
    m_nState = 0;
    for (int k = 4; k < 10; ++k) m_bAreaEnable[k] = true;
    CUnitList* units = info ? &info->m_UnitList : nullptr;
    if (!units || !units->IsValidUnit(m_nUnit) || units->GetMemberCount(m_nUnit) == 0) {
        for (int k = 4; k < 10; ++k) m_bAreaEnable[k] = false;
        return;
    }
    const PersonRecord& leader = units->GetMemberPerson(m_nUnit, 0);
    const bool moved = units->IsMoveEnd(m_nUnit), acted = units->IsActEnd(m_nUnit);
    const bool sealed = (leader.nCondition & kSealed) != 0;
    m_bAreaEnable[kButtonMoveAll] = m_bAreaEnable[kButtonMove] = !moved && !acted;
    if (leader.hero || units->GetMemberCount(m_nUnit) < 2) m_bAreaEnable[kButtonMove] = false;
    m_bAreaEnable[kButtonCannon] = !sealed && leader.CountCSkills() > 0 && !moved;
    m_bAreaEnable[kButtonSupport] = !sealed && units->HasAffordableType3Skill(m_nUnit);
    if (acted || info->m_bSortieFlag || !leader.bOperate)
        for (int k = 4; k < 10; ++k) m_bAreaEnable[k] = false;
    bool allAsleep = true;
    for (int j = 0; j < units->GetMemberCount(m_nUnit); ++j)
        if ((units->GetMemberPerson(m_nUnit, j).nCondition & kSleep) == 0) allAsleep = false;
    if (allAsleep)
        for (int k = 4; k < 8; ++k) m_bAreaEnable[k] = false;
}

void CTaskOperateUnitMenu::GetItemRect(int item, int& l, int& t, int& r, int& b) const {
    if (item < 4) {
        l = m_nX + 15 + (item / 2) * 169;
        t = m_nY + 61 + (item % 2) * 65;
        r = l + 153;
        b = t + 64;
    } else if (item < 8) {
        l = m_nX + 13 + (item - 4) * 80;
        t = m_nY + 228;
        r = l + 76;
        b = t + 22;
    } else {
        l = m_nX + 173 + (item - 8) * 80;
        t = m_nY + 253;
        r = l + 76;
        b = t + 22;
    }
}

int CTaskOperateUnitMenu::HitTest(int px, int py) const {
    for (int item = 0; item < 10; ++item) {
        int l, t, r, b;
        GetItemRect(item, l, t, r, b);
        if (IsPointInRect(l, t, r, b, px, py)) return item;
    }
    return -1;
}

bool CTaskOperateUnitMenu::CanReorder(C_FieldTaskInfo* info) const {
    const CUnitList& units = info->m_UnitList;
    if (!units.IsValidUnit(m_nUnit) || units.GetMemberCount(m_nUnit) == 0) return false;
    const PersonRecord& leader = units.GetMemberPerson(m_nUnit, 0);
    return leader.bOperate && !leader.hero && !info->m_bSortieFlag;
}

void CTaskOperateUnitMenu::Update(C_FieldTaskInfo* info) {
    IInputManager* input = InputOf(info);
    if (!input || !info) return;
    const int px = input->GetX(), py = input->GetY();
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        return;
    }
    CUnitList& units = info->m_UnitList;
    if (!units.IsValidUnit(m_nUnit)) {
        // The unit went away under the menu: nothing is left to command.
        m_Result.Set(kCancel);
        KillSelf(info);
        return;
    }
    for (int p = 0; p < 4; ++p) m_bAreaEnable[p] = m_nHold == -1 || units.FindSlotByPosition(m_nUnit, p) != -1;
    if (m_nState == 1) {
        if (m_bStatusClosed) m_nState = 0;
        return;
    }
    const int hit = HitTest(px, py);
    if (hit != m_nCursor) {
        m_nCursor = hit;
        if (hit != -1) g_GlobalResources.PlaySoundEffect("cursol");
    }
    m_Instruct.SetText(GetHelpText(m_nCursor));
    if (input->IsLButtonPush()) {
        if (m_nCursor >= 0 && m_nCursor < 4) {
            g_GlobalResources.PlaySoundEffect("ok");
            const bool reorder = CanReorder(info);
            if (m_nHold == -1 && reorder) {
                m_nHold = m_nCursor;
            } else if (m_nHold != -1 && m_nCursor != m_nHold && reorder) {
                Reorder(info);
            } else if (!m_bAreaEnable[m_nCursor] && m_nHold != -1) {
                Reorder(info);
            } else {
                ShowStatus(info);
            }
        } else if (m_nCursor >= 4 && m_bAreaEnable[m_nCursor]) {
            g_GlobalResources.PlaySoundEffect(m_nCursor == kButtonClose ? "cancel" : "ok");
            m_Result.Set(m_nCursor - 3);
            KillSelf(info);
        }
    } else if (input->IsRButtonPush()) {
        g_GlobalResources.PlaySoundEffect("cancel");
        if (m_nHold != -1) {
            m_nHold = -1;
        } else {
            m_Result.Set(kCancel);
            KillSelf(info);
        }
    }
}

void CTaskOperateUnitMenu::Reorder(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    if (m_nHold < 0 || m_nHold > 3 || m_nCursor < 0 || m_nCursor > 3) return;
    int order[4] = {-1, -1, -1, -1};
    for (int k = 0; k < units.GetMemberCount(m_nUnit); ++k) {
        const int p = units.GetSlotPosition(m_nUnit, k);
        if (p >= 0 && p < 4) order[p] = units.GetMember(m_nUnit, k);
    }
    std::swap(order[m_nHold], order[m_nCursor]);
    if (order[0] == -1) std::swap(order[0], order[1]);
    if (order[2] == -1) std::swap(order[2], order[3]);
    // The front row may never be left empty: keep the place held and change nothing.
    if (order[0] == -1) return;
    units.SetMembers(m_nUnit, order);
    // The leader may have changed: the commands follow the new first member.
    ComputeCommands(info);
    m_nHold = -1;
    m_bPlateDirty = true;
}

void CTaskOperateUnitMenu::ShowStatus(C_FieldTaskInfo* info) {
    m_nHold = -1;
    CUnitList& units = info->m_UnitList;
    const int slot = units.FindSlotByPosition(m_nUnit, m_nCursor);
    if (slot == -1) return;
    m_bStatusClosed = 0;
    auto* status =
        new C_TaskDispStatus(info, units.GetMemberPerson(m_nUnit, slot), units.GetCharge(m_nUnit),
                             ReplyTo(info, this, &m_bStatusClosed), units.GetX(m_nUnit), units.GetY(m_nUnit));
    if (info->m_pTaskController)
        info->m_pTaskController->AddTask(status, 40);
    else
        delete status;
    m_nState = 1;
}

void CTaskOperateUnitMenu::ComposePanel(C_FieldTaskInfo* info) {
    m_PanelTarget.Create(512, 512, 0xFFFFFF);
    for (int p = 0; p < 4; ++p) m_bAreaEnable[p] = false;
    CUnitList& units = info->m_UnitList;
    const int count = units.IsValidUnit(m_nUnit) ? units.GetMemberCount(m_nUnit) : 0;
    for (int k = 0; k < count; ++k) {
        const int p = units.GetSlotPosition(m_nUnit, k);
        if (p < 0 || p > 3) continue;
        m_bAreaEnable[p] = true;
        m_Plate[p].Set(units.GetMemberPerson(m_nUnit, k), 15 + (p / 2) * 169, 62 + (p % 2) * 65, 255);
    }
    m_PanelTarget.BeginTarget(true);
    m_PanelImage.Draw(0, 0, 255);
    for (int p = 0; p < 4; ++p)
        if (m_bAreaEnable[p]) g_GlobalResources.DrawUnitPlate(m_Plate[p], false);
    m_PanelTarget.EndTarget();
    m_bPlateDirty = false;
}

void CTaskOperateUnitMenu::Draw(C_FieldTaskInfo* info) {
    if (m_nState == 1 || !info) return;
    if (m_bPlateDirty) ComposePanel(info);
    if (!IsStarted()) {
        DrawOpening(m_PanelTarget, m_nX, m_nY, m_nWidth, m_nHeight, 12, 13);
        return;
    }
    const RECT panel{0, 0, m_nWidth, m_nHeight};
    m_PanelTarget.Draw(m_nX, m_nY, 255, &panel);
    m_Instruct.Draw(30, 350);
    int l, t, r, b;
    for (int k = 4; k < 10; ++k)
        if (!m_bAreaEnable[k]) {
            GetItemRect(k, l, t, r, b);
            DrawMenuQuad(m_Square, l, t, 76, 22, 0x40000000);
        }
    if (m_nCursor >= 0 && m_nCursor < 10) {
        GetItemRect(m_nCursor, l, t, r, b);
        if (m_nCursor < 4)
            DrawMenuQuad(m_Square, l, t, 153, 64, 0x30FFFFFF);
        else
            DrawMenuQuad(m_Square, l, t, 76, 22, 0x40FFFFFF);
    }
    if (m_nHold >= 0 && m_nHold < 4) {
        GetItemRect(m_nHold, l, t, r, b);
        DrawMenuQuad(m_Square, l, t, 153, 64, 0x307FFF7F);
    }
}
