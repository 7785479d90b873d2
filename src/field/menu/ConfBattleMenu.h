#pragma once
// The battle confirmation: the attacking unit's members on the left with their
// planned skills, the defending unit's members on the right and an arrow from each
// attacker to the member it strikes.  The player may look at a member's status,
// change a member's skill (then its target) and confirm with "ＯＫ" or back out.  The
// menu starts from the opener's plan (skill and target of each own member), edits its
// own copy and answers the plan with the result, 1 for "ＯＫ" and -1 for a cancel (also
// when the menu is removed before it answers).
#include <cstdint>

#include "Draw/gvlD3DRTSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "menu/InstructWindow.h"
#include "menu/TaskMenuBase.h"

class C_TaskConfBattleMenu : public C_TaskMenuBase {
public:
    static constexpr int kItemCount = 18;
    enum Item { kOwnRow = 0, kEnemyRow = 4, kOwnSkill = 8, kEnemySkill = 12, kOK = 16, kCancelButton = 17 };
    enum State { kOverview = 0, kSkillMenu = 1, kTargetChoice = 2, kStatus = 3 };
    // Entries of a plan: own members 0 to 3 (the menu edits these), then the others.
    static constexpr int kPlanSize = 8;
    using Plan = int32_t[kPlanSize];

    C_TaskConfBattleMenu(C_FieldTaskInfo* info, const C_TaskReply<int32_t>& result, int ownUnit, int enemyUnit,
                         const C_TaskReply<Plan>& skills, const C_TaskReply<Plan>& targets);
    ~C_TaskConfBattleMenu() override;

    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The rectangle of an item relative to the menu's corner (inclusive).
    static void GetItemRect(int item, int& left, int& top, int& right, int& bottom);
    // The item whose rectangle holds the screen point (px, py), -1 for none.
    int HitTest(int px, int py) const;
    // May own member `i` strike enemy member `j` with its current skill?
    bool CanTarget(C_FieldTaskInfo* info, int i, int j) const;
    // After own member `i` has been pointed at enemy member `j`: a later physical
    // attack on the same forward enemy moves to the other forward enemy.
    void Rebalance(C_FieldTaskInfo* info, int i, int j);

    CD3DRTSquare m_RowPicture;
    CD3DDrawTexture m_Background;
    C_TaskReply<int32_t> m_Result;
    C_TaskReply<Plan> m_SkillsAnswer;
    C_TaskReply<Plan> m_TargetsAnswer;
    int32_t m_nState = kOverview;
    int32_t m_nChildResult = 0;
    int32_t m_nSelected = -1;
    int32_t m_nChosenRow = 0;
    int32_t m_nSavedSkill[4] = {-1, -1, -1, -1};
    int32_t m_nSavedTarget[4] = {-1, -1, -1, -1};
    int32_t m_nItemEnable[kItemCount] = {};
    int32_t m_nOwnUnit = -1;
    int32_t m_nEnemyUnit = -1;
    Plan m_nSkill = {-1, -1, -1, -1, -1, -1, -1, -1};
    Plan m_nTarget = {-1, -1, -1, -1, -1, -1, -1, -1};
    CInstructWindow m_Instruct;
    // The row texts of the picture: index p own position p, 4 + p enemy position p.
    CD3DTextDraw m_RowText[8];
    CD3DTextDraw m_SkillText[8];
    CD3DDrawSquare m_Square;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void UpdateOverview(C_FieldTaskInfo* info, bool left, bool right, int px, int py);
    void UpdateSkillMenu(C_FieldTaskInfo* info);
    void UpdateTargetChoice(C_FieldTaskInfo* info, bool left, bool right, int px, int py);
    void OpenSkillMenu(C_FieldTaskInfo* info);
    void OpenStatus(C_FieldTaskInfo* info, int unit, int slot);
    void BuildRowPicture(C_FieldTaskInfo* info);
    int OwnCount(C_FieldTaskInfo* info) const;
    int EnemyCount(C_FieldTaskInfo* info) const;
    void Finish(C_FieldTaskInfo* info, int result);
};
