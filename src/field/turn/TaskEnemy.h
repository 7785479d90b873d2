#pragma once
// The enemy phase: C_TaskOperateEnemy prepares the enemy AI, asks it for one action
// at a time and starts one action task for each; when nothing is left it starts the
// player's next turn.  The action tasks play what the player's operation plays,
// with fixed waits in place of clicks.
#include <cstdint>
#include <vector>

#include "FieldRules.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

class C_TaskOperateEnemy : public C_FieldTaskBase {
public:
    explicit C_TaskOperateEnemy(C_FieldTaskInfo* info);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo*) override {}

    uint8_t m_bReady = 1;       // no action task runs
    uint8_t m_bPlanDone = 0;
    uint8_t m_bEventDone = 0;
    uint8_t m_bPhaseOver = 0;
    int32_t m_nActions = 0;     // action tasks started in this phase

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};

class C_TaskMoveEnemy : public C_FieldTaskBase {
public:
    static constexpr int kShowFrames = 30;      // the move area is shown this long
    static constexpr int kHurriedFrames = 5;    // ... or this long while the left button is held
    static constexpr int kPauseFrames = 15;     // after arriving

    enum class Stage : int32_t {
        ShowArea,  // the move area is shown for a while
        Walking,   // the figure walks the path
        Pause,     // a short pause after arriving, then the answer
    };

    C_TaskMoveEnemy(const C_TaskReply<uint8_t>& done, int unit, int x, int y, const bool selection[4],
                    C_FieldTaskInfo* info);
    ~C_TaskMoveEnemy() override { m_Done.SetUnlessAnswered(1); }
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    C_TaskReply<uint8_t> m_Done;  // the enemy phase waits on it
    Stage m_eStage = Stage::ShowArea;
    int32_t m_nUnit = -1;
    int32_t m_nDestX = 0;
    int32_t m_nDestY = 0;
    int32_t m_nDestUnit = -1;
    int32_t m_nFrame = 0;
    uint8_t m_bStays = 0;
    bool m_bSelect[4] = {};
    std::vector<MoveSearchNode> m_vTree[4];

protected:
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void StartWalk(C_FieldTaskInfo* info);
    void Arrive(C_FieldTaskInfo* info);
    int32_t m_nDestUnitID = -1;
};

class C_TaskChargeEnemy : public C_FieldTaskBase {
public:
    enum class Stage : int32_t {
        StartAnime,  // the camera on the unit and the charge animation
        WaitAnime,   // the animation runs; the charge follows it
    };

    C_TaskChargeEnemy(const C_TaskReply<uint8_t>& done, int unit);
    ~C_TaskChargeEnemy() override { m_Done.SetUnlessAnswered(1); }
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo*) override {}

    C_TaskReply<uint8_t> m_Done;  // the enemy phase waits on it
    uint8_t m_bAnimeDone = 0;
    int32_t m_nUnit = -1;
    Stage m_eStage = Stage::StartAnime;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};

class C_TaskActEnemy : public C_FieldTaskBase {
public:
    static constexpr int kAttackWait = 30;   // the area is shown before the exchange
    static constexpr int kCannonShow = 60;   // the reach of the spell is shown
    static constexpr int kCannonAim = 90;    // the view glides to the aimed cell

    enum class Stage : int32_t {
        // An attack: the area, "FirstFight", the battle, the results at once.
        ShowAttackArea,
        WaitFirstFight,
        WaitBattle,
        // A cannon spell: its reach, the view on the aimed cell, the battle, the damage.
        ShowCannonReach,
        AimCannon,
        WaitCannonBattle,
        WaitCannonDamage,
        // Both: the events of the suffered side, then the answer.
        RaiseForceSuffered,
        WaitForceSuffered,
        WaitForceSufferedAt,
        WaitPersonSuffered,
        Done,
    };

    C_TaskActEnemy(const C_TaskReply<uint8_t>& done, int unit, int x, int y, const int targets[4], const int skills[4],
                   C_FieldTaskInfo* info);
    ~C_TaskActEnemy() override { m_Done.SetUnlessAnswered(1); }
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    C_TaskReply<uint8_t> m_Done;  // the enemy phase waits on it
    Stage m_eStage = Stage::ShowAttackArea;
    int32_t m_nUnit = -1;
    int32_t m_nTargetX = 0;
    int32_t m_nTargetY = 0;
    int32_t m_nTargetUnit = -1;
    int32_t m_nSkill[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t m_nTargets[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t m_nFrame = 0;
    uint8_t m_bBattleOver = 0;
    uint8_t m_bEventDone = 0;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    bool Event(C_FieldTaskInfo* info, const char* next, Stage stage);
};
