// The battle confirmation menu.
#include "menu/ConfBattleMenu.h"

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "input/gvlInputManager.h"
#include "menu/DispStatus.h"
#include "menu/SelectMenu.h"
#include "menu/SelectSkillMenu.h"
#include "resources/SheetDraw.h"
#include "task/TaskController.h"
#include "util/GameUtil.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
// A row's texts keep within its 152-pixel box, whose text starts 3 pixels in.
constexpr int kRowRoom = 148;

void AddTask(C_FieldTaskInfo* info, C_TaskBase* task, int priority) {
    if (info && info->m_pTaskController)
        info->m_pTaskController->AddTask(task, priority);
    else
        delete task;
}

}  // namespace

C_TaskConfBattleMenu::C_TaskConfBattleMenu(C_FieldTaskInfo* info, const C_TaskReply<int32_t>& result, int ownUnit,
                                           int enemyUnit, const C_TaskReply<Plan>& skills,
                                           const C_TaskReply<Plan>& targets)
    : m_Background("./Graphics/BattleOperateMenu.png"),
      m_Result(result),
      m_SkillsAnswer(skills),
      m_TargetsAnswer(targets),
      m_nOwnUnit(ownUnit),
      m_nEnemyUnit(enemyUnit) {
    m_Result.Start(0);
    m_SkillsAnswer.ReadAtStart(m_nSkill);
    m_TargetsAnswer.ReadAtStart(m_nTarget);
    m_nItemNum = kItemCount;
    m_nX = 100;
    m_nY = 30;
    m_nWidth = 389;
    m_nHeight = 295;
    m_nOpenFrames = 15;
    m_nCursor = -1;
    m_bTextDirty = true;
}

int C_TaskConfBattleMenu::OwnCount(C_FieldTaskInfo* info) const {
    const CUnitList& u = info->m_UnitList;
    return u.IsValidUnit(m_nOwnUnit) ? std::min(u.GetMemberCount(m_nOwnUnit), 4) : 0;
}

int C_TaskConfBattleMenu::EnemyCount(C_FieldTaskInfo* info) const {
    const CUnitList& u = info->m_UnitList;
    return u.IsValidUnit(m_nEnemyUnit) ? std::min(u.GetMemberCount(m_nEnemyUnit), 4) : 0;
}

void C_TaskConfBattleMenu::GetItemRect(int item, int& l, int& t, int& r, int& b) {
    if (item == kOK) {
        l = 223, t = 256, r = 294, b = 277;
    } else if (item == kCancelButton) {
        l = 303, t = 256, r = 374, b = 277;
    } else {
        const int p = item % 4, group = item / 4;  // 0 own row, 1 enemy row, 2 own skill, 3 enemy skill
        l = group % 2 == 0 ? 14 : 223;
        r = l + 151;
        t = group < 2 ? 16 + 60 * p : 52 + 60 * p;
        b = group < 2 ? 50 + 60 * p : 67 + 60 * p;
    }
}

int C_TaskConfBattleMenu::HitTest(int px, int py) const {
    for (int item = 0; item < kItemCount; ++item) {
        int l, t, r, b;
        GetItemRect(item, l, t, r, b);
        if (IsPointInRect(m_nX + l, m_nY + t, m_nX + r, m_nY + b, px, py)) return item;
    }
    return -1;
}

bool C_TaskConfBattleMenu::CanTarget(C_FieldTaskInfo* info, int i, int j) const {
    const CUnitList& u = info->m_UnitList;
    const int s = m_nSkill[i];
    if (s == -1) return false;
    if (!u.IsMemberForward(m_nOwnUnit, i)) return true;
    if (!u.IsMemberForward(m_nEnemyUnit, j)) return g_SkillData.GetBackAtk(s);
    int forward = 0;
    for (int e = 0; e < EnemyCount(info); ++e)
        if (u.IsMemberForward(m_nEnemyUnit, e)) ++forward;
    if (forward == 1) return true;
    for (int k = 0; k < i; ++k)
        if (m_nTarget[k] == j && m_nSkill[k] != -1 && !g_SkillData.GetBackAtk(m_nSkill[k])) return false;
    return true;
}

void C_TaskConfBattleMenu::Rebalance(C_FieldTaskInfo* info, int i, int j) {
    const CUnitList& u = info->m_UnitList;
    const int s = m_nSkill[i];
    if (s == -1 || j < 0 || j >= EnemyCount(info) || !u.IsMemberForward(m_nEnemyUnit, j) || g_SkillData.GetBackAtk(s))
        return;
    int k = -1;
    for (int m = i + 1; m < OwnCount(info); ++m)
        if (m_nTarget[m] == j && m_nSkill[m] != -1 && !g_SkillData.GetBackAtk(m_nSkill[m])) k = m;
    if (k == -1) return;
    int f = -1;
    for (int e = 0; e < EnemyCount(info); ++e)
        if (e != j && u.IsMemberForward(m_nEnemyUnit, e)) f = e;
    if (f == -1) return;
    m_nTarget[k] = f;
}

C_TaskConfBattleMenu::~C_TaskConfBattleMenu() {
    m_SkillsAnswer.SetUnlessAnswered(m_nSkill);
    m_TargetsAnswer.SetUnlessAnswered(m_nTarget);
    m_Result.SetUnlessAnswered(-1);
}

void C_TaskConfBattleMenu::Finish(C_FieldTaskInfo* info, int result) {
    m_SkillsAnswer.Set(m_nSkill);
    m_TargetsAnswer.Set(m_nTarget);
    m_Result.Set(result);
    KillSelf(info);
}

void C_TaskConfBattleMenu::OpenSkillMenu(C_FieldTaskInfo* info) {
    m_nChildResult = 0;
    AddTask(info,
            new C_TaskSelectSkillMenu(info, ReplyTo(info, this, &m_nChildResult), m_nOwnUnit, m_nSelected, m_nEnemyUnit,
                                      ReplyTo(info, this, &m_nChosenRow), false),
            28);
    m_nState = kSkillMenu;
}

void C_TaskConfBattleMenu::OpenStatus(C_FieldTaskInfo* info, int unit, int slot) {
    CUnitList& u = info->m_UnitList;
    const PersonRecord person(u.GetMemberPerson(unit, slot));
    AddTask(info, new C_TaskDispStatus(info, person, u.GetCharge(unit), ReplyTo(info, this, &m_nChildResult), -1, -1),
            209);
    m_nState = kStatus;
}

void C_TaskConfBattleMenu::Update(C_FieldTaskInfo* info) {
    IInputManager* input = InputOf(info);
    if (!input || !info) return;
    const int px = input->GetX(), py = input->GetY();
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        return;
    }
    if (!info->m_UnitList.IsValidUnit(m_nOwnUnit) || !info->m_UnitList.IsValidUnit(m_nEnemyUnit)) {
        Finish(info, -1);
        return;
    }
    const bool left = input->IsLButtonPush(), right = input->IsRButtonPush();
    switch (m_nState) {
    case kOverview:
        UpdateOverview(info, left, right, px, py);
        break;
    case kSkillMenu:
        UpdateSkillMenu(info);
        break;
    case kTargetChoice:
        UpdateTargetChoice(info, left, right, px, py);
        break;
    case kStatus:
        if (m_nChildResult != 0) m_nState = kOverview;
        break;
    default:
        break;
    }
}

void C_TaskConfBattleMenu::UpdateOverview(C_FieldTaskInfo* info, bool left, bool right, int px, int py) {
    CUnitList& u = info->m_UnitList;
    m_Instruct.SetText("スキルと攻撃対象を選んでください。/「ＯＫ」ボタンで戦闘開始です。");
    for (int& e : m_nItemEnable) e = 0;
    for (int i = 0; i < OwnCount(info); ++i) {
        const int p = u.GetSlotPosition(m_nOwnUnit, i);
        if (p < 0 || p > 3) continue;
        m_nItemEnable[kOwnRow + p] = m_nItemEnable[kOwnSkill + p] = 1;
    }
    for (int j = 0; j < EnemyCount(info); ++j) {
        const int p = u.GetSlotPosition(m_nEnemyUnit, j);
        if (p >= 0 && p <= 3) m_nItemEnable[kEnemyRow + p] = 1;
    }
    m_nItemEnable[kOK] = m_nItemEnable[kCancelButton] = 1;
    m_nCursor = HitTest(px, py);
    if (left) {
        const int c = m_nCursor;
        if (c >= kOwnSkill && c < kOwnSkill + 4 && m_nItemEnable[c]) {
            const int slot = u.FindSlotByPosition(m_nOwnUnit, c - kOwnSkill);
            if (slot != -1) {
                m_nSelected = slot;
                for (int k = 0; k < 4; ++k) {
                    m_nSavedSkill[k] = m_nSkill[k];
                    m_nSavedTarget[k] = m_nTarget[k];
                }
                OpenSkillMenu(info);
            }
        } else if (c >= 0 && c < kOwnSkill && m_nItemEnable[c]) {
            const int unit = c < kEnemyRow ? m_nOwnUnit : m_nEnemyUnit;
            const int slot = u.FindSlotByPosition(unit, c % 4);
            if (slot != -1) {
                m_nChildResult = 0;
                OpenStatus(info, unit, slot);
            }
        } else if (c == kOK) {
            for (int i = 0; i < OwnCount(info); ++i)
                if (m_nSkill[i] != -1) {
                    Finish(info, 1);
                    return;
                }
        } else if (c == kCancelButton) {
            Finish(info, -1);
        }
    } else if (right) {
        Finish(info, -1);
    }
}

void C_TaskConfBattleMenu::UpdateSkillMenu(C_FieldTaskInfo* info) {
    CUnitList& u = info->m_UnitList;
    m_Instruct.SetText("使用するスキルを選んでください。");
    if (m_nChildResult == 1) {
        const int k = m_nChosenRow - 1;
        if (k == -1) {
            m_nSkill[m_nSelected] = m_nTarget[m_nSelected] = -1;
            m_nState = kOverview;
        } else {
            const int s = u.GetMemberSkillByIndex(m_nOwnUnit, m_nSelected, k);
            m_nSkill[m_nSelected] = s;
            if (g_SkillData.IsAllAttack(s)) {
                m_nTarget[m_nSelected] = 0;
                m_nState = kOverview;
            } else {
                for (int& e : m_nItemEnable) e = 0;
                for (int j = 0; j < EnemyCount(info); ++j) {
                    const int p = u.GetSlotPosition(m_nEnemyUnit, j);
                    if (p >= 0 && p <= 3) m_nItemEnable[kEnemyRow + p] = CanTarget(info, m_nSelected, j) ? 1 : 0;
                }
                m_nState = kTargetChoice;
            }
        }
        m_bTextDirty = true;
    } else if (m_nChildResult == -1) {
        for (int k = 0; k < 4; ++k) {
            m_nSkill[k] = m_nSavedSkill[k];
            m_nTarget[k] = m_nSavedTarget[k];
        }
        m_nState = kOverview;
        m_bTextDirty = true;
    }
}

void C_TaskConfBattleMenu::UpdateTargetChoice(C_FieldTaskInfo* info, bool left, bool right, int px, int py) {
    CUnitList& u = info->m_UnitList;
    m_Instruct.SetText("攻撃するを選んでください。/（注意：敵前衛が二人いる場合、/"
                       "　物理攻撃を１人に集中させることは出来ません）");
    m_nCursor = -1;
    for (int p = 0; p < 4; ++p) {
        if (!m_nItemEnable[kEnemyRow + p]) continue;
        int l, t, r, b;
        GetItemRect(kEnemyRow + p, l, t, r, b);
        if (!IsPointInRect(m_nX + l, m_nY + t, m_nX + r, m_nY + b, px, py)) continue;
        m_nCursor = kEnemyRow + p;
        const int j = u.FindSlotByPosition(m_nEnemyUnit, p);
        if (j == -1) continue;
        m_nTarget[m_nSelected] = j;
        Rebalance(info, m_nSelected, j);
    }
    if (left && m_nCursor >= kEnemyRow && m_nCursor < kEnemyRow + 4 && m_nItemEnable[m_nCursor]) {
        m_nState = kOverview;
    } else if (right) {
        OpenSkillMenu(info);
    }
}

namespace {
// Five places each for HP and its maximum: a number too long for them shows as
// 99999, so the row never shows the cut-off front of a larger number.
std::string HpPair(const PersonRecord& person) {
    return FormatNumberCapped(person.nHP, 5, 5) + "/" + FormatNumberCapped(person.nMaxHP, 5, 5);
}
}  // namespace

void C_TaskConfBattleMenu::BuildRowPicture(C_FieldTaskInfo* info) {
    CUnitList& u = info->m_UnitList;
    std::string rows[8], skills[8];
    for (int i = 0; i < OwnCount(info); ++i) {
        const int p = u.GetSlotPosition(m_nOwnUnit, i);
        if (p < 0 || p > 3) continue;
        const PersonRecord& person = u.GetMemberPerson(m_nOwnUnit, i);
        rows[p] = u.GetMemberShortName(m_nOwnUnit, i) + "\r\n  HP:" + HpPair(person) + " (MP:" +
                  FormatNumber(person.nMP, 2) + ")";
        skills[p] = m_nSkill[i] == -1 ? std::string("待機") : g_SkillData.GetName(m_nSkill[i]);
    }
    for (int j = 0; j < EnemyCount(info); ++j) {
        const int p = u.GetSlotPosition(m_nEnemyUnit, j);
        if (p < 0 || p > 3) continue;
        const PersonRecord& person = u.GetMemberPerson(m_nEnemyUnit, j);
        rows[4 + p] = u.GetMemberShortName(m_nEnemyUnit, j) + "\r\n  HP:" + HpPair(person);
        skills[4 + p] = "    ----";
    }
    for (int k = 0; k < 8; ++k) {
        if (rows[k].empty()) continue;
        m_RowText[k].SetText(rows[k], 12, kWhite);
        m_RowText[k].SetLineHeight(16);
        m_RowText[k].SetMaxWidth(kRowRoom);
        m_RowText[k].Render();
        m_SkillText[k].SetText(skills[k], 12, kWhite);
        m_SkillText[k].SetMaxWidth(kRowRoom);
        m_SkillText[k].Render();
    }
    m_RowPicture.Create(512, 512, 0x00FFFFFF);
    m_RowPicture.BeginTarget(true);
    m_Background.Draw(0, 0, 255);
    for (int k = 0; k < 8; ++k) {
        if (rows[k].empty()) continue;
        const int p = k % 4;
        const bool own = k < 4;
        if (m_RowText[k].GetRenderTarget().GetTexture())
            m_RowText[k].GetRenderTarget().Draw(own ? 17 : 227, 20 + 60 * p, 255);
        if (m_SkillText[k].GetRenderTarget().GetTexture())
            m_SkillText[k].GetRenderTarget().Draw(own ? 18 : 227, 54 + 60 * p, 255);
    }
    m_RowPicture.EndTarget();
}

void C_TaskConfBattleMenu::Draw(C_FieldTaskInfo* info) {
    if (!info) return;
    if (m_bTextDirty) {
        BuildRowPicture(info);
        m_bTextDirty = false;
    }
    if (!IsStarted()) {
        DrawOpening(m_RowPicture, m_nX, m_nY, m_nWidth, m_nHeight, 12, 13);
        return;
    }
    const RECT whole{0, 0, m_nWidth, m_nHeight};
    m_RowPicture.Draw(m_nX, m_nY, 255, &whole);
    const int x = m_nX, y = m_nY, c = m_nCursor;
    const bool enabled = c >= 0 && c < kItemCount && m_nItemEnable[c];
    if (m_nState == kTargetChoice) {
        if (enabled && c >= kEnemyRow && c < kEnemyRow + 4)
            DrawMenuQuad(m_Square, x + 223, y + 16 + 60 * (c - kEnemyRow), 152, 52, 0x20FFFFFF);
    } else if (enabled) {
        const int p = c % 4;
        if (c < kEnemyRow) DrawMenuQuad(m_Square, x + 14, y + 16 + 60 * p, 152, 35, 0x40FFFFFF);
        else if (c < kOwnSkill) DrawMenuQuad(m_Square, x + 223, y + 16 + 60 * p, 152, 35, 0x40FFFFFF);
        else if (c < kEnemySkill) DrawMenuQuad(m_Square, x + 14, y + 52 + 60 * p, 152, 16, 0x40FFFFFF);
        else if (c < kOK) DrawMenuQuad(m_Square, x + 223, y + 52 + 60 * p, 152, 16, 0x40FFFFFF);
        else if (c == kOK) DrawMenuQuad(m_Square, x + 223, y + 256, 72, 22, 0x40FFFFFF);
        else DrawMenuQuad(m_Square, x + 303, y + 256, 72, 22, 0x40FFFFFF);
    }
    if (m_nState == kTargetChoice) {
        for (int p = 0; p < 4; ++p) {
            if (!m_nItemEnable[kOwnRow + p]) {
                DrawMenuQuad(m_Square, x + 14, y + 16 + 60 * p, 152, 37, 0x40000000);
                DrawMenuQuad(m_Square, x + 14, y + 54 + 60 * p, 152, 14, 0x40000000);
            }
            if (!m_nItemEnable[kEnemyRow + p]) DrawMenuQuad(m_Square, x + 223, y + 16 + 60 * p, 152, 37, 0x40000000);
        }
    }
    for (int p = 0; p < 4; ++p) DrawMenuQuad(m_Square, x + 223, y + 54 + 60 * p, 152, 14, 0x40000000);
    CUnitList& u = info->m_UnitList;
    if (u.IsValidUnit(m_nOwnUnit) && u.IsValidUnit(m_nEnemyUnit)) {
        EndSpriteBatch();
        for (int i = 0; i < OwnCount(info); ++i) {
            const int s = m_nSkill[i];
            if (s == -1) continue;
            const float y0 = float(y + 42 + 60 * u.GetSlotPosition(m_nOwnUnit, i));
            for (int j = 0; j < EnemyCount(info); ++j) {
                if (!g_SkillData.IsAllAttack(s) && m_nTarget[i] != j) continue;
                ArrowVertex a, b;
                a.x = float(x + 170);
                a.y = y0;
                b.x = float(x + 218);
                b.y = float(y + 42 + 60 * u.GetSlotPosition(m_nEnemyUnit, j));
                DrawArrowLine(a, b);
            }
        }
    }
    m_Instruct.Draw(30, 350);
}
