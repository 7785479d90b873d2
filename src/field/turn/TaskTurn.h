#pragma once
// The two tasks that frame a player's phase.  C_TaskStartTurn counts the turn, raises
// "PhaseStart", shows the turn-start damage and recovery, lets conditions wear off,
// shows the player's logo and hands over to unit selection.  C_TaskEndTurn raises
// "PhaseStart" for the enemy side, shows the enemy logo and starts the enemy phase.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

// The per-turn reset of the player's phase: both end flags of every unit cleared,
// every person's remaining move set back to its move.
void ResetTurnFlags(C_FieldTaskInfo& info);

class C_TaskStartTurn : public C_FieldTaskBase {
public:
    static constexpr int kFocusFrame = 5;   // the view is centred on the key unit
    static constexpr int kEndFrame = 40;    // the task ends when the counter is above this
    static constexpr int kLogoFrom = 5;     // the logo is drawn while the counter is above this

    enum class Stage : int32_t {
        WaitPhaseStart,     // the "PhaseStart" event runs
        StartTurnEffects,   // the per-turn reset, then the poison and recovery display
        WaitTurnEffects,    // the display runs
        Closing,            // recovery, the view on the key unit, the logo; the counter runs
    };

    explicit C_TaskStartTurn(C_FieldTaskInfo* info);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    int32_t m_nFrame = 0;
    uint8_t m_bEventDone = 0;
    Stage m_eStage = Stage::WaitPhaseStart;
    uint8_t m_bPoisonDone = 0;
    CD3DDrawTexture m_Logo;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};

class C_TaskEndTurn : public C_FieldTaskBase {
public:
    static constexpr int kEndFrame = 50;
    static constexpr int kLogoFrom = 5;

    explicit C_TaskEndTurn(C_FieldTaskInfo* info);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    uint8_t m_bEventDone = 0;
    int32_t m_nFrame = 0;
    CD3DDrawTexture m_Logo;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};
