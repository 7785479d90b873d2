#include "turn/TaskTurn.h"

#include "FieldTaskInfo.h"
#include "resources/GlobalResources.h"
#include "turn/TaskDispDamage.h"
#include "turn/TaskEnemy.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TurnBridge.h"

using namespace turnflow;

void ResetTurnFlags(C_FieldTaskInfo& info) {
    CUnitList& units = info.m_UnitList;
    for (int u = 0; u < units.GetCount(); ++u) units.SetActEndAndMoveEnd(u, 0);
    for (PersonRecord& p : info.m_PersonList.m_vPerson) p.nRestMove = p.nMove;
}

// ---- C_TaskStartTurn ------------------------------------------------------------------

C_TaskStartTurn::C_TaskStartTurn(C_FieldTaskInfo* info) {
    ++info->m_nTurn;
    info->m_bPlayerPhase = true;
    RaiseEvent(info, this, &m_bEventDone, "PhaseStart");
    m_Logo.Load("./graphics/TurnLogo_Player.png");
}

void C_TaskStartTurn::Update(C_FieldTaskInfo* info) {
    switch (m_eStage) {
    case Stage::WaitPhaseStart:
        if (m_bEventDone) m_eStage = Stage::StartTurnEffects;
        return;
    case Stage::StartTurnEffects:
        ResetTurnFlags(*info);
        m_bPoisonDone = 0;
        AddTask(info, new C_TaskDispPoisonDamage(info, ReplyTo(info, this, &m_bPoisonDone)), kPoisonDamage);
        m_eStage = m_bPoisonDone ? Stage::Closing : Stage::WaitTurnEffects;
        return;
    case Stage::WaitTurnEffects:
        if (m_bPoisonDone) m_eStage = Stage::Closing;
        return;
    case Stage::Closing:
        break;
    }
    if (m_nFrame == 0) info->RecoverConditions();
    if (m_nFrame == kFocusFrame) info->FocusViewOnKeyUnit();
    if (m_nFrame > kEndFrame) {
        g_GlobalResources.PlayBGM(info->BGMSet[0]);
        g_GlobalResources.SetBGMPlaying(true);
        AddTask(info, new C_TaskSelectUnit(info), kSelectUnit);
        KillSelf(info);
    }
    ++m_nFrame;
}

void C_TaskStartTurn::Draw(C_FieldTaskInfo*) {
    if (m_nFrame > kLogoFrom) m_Logo.Draw(64.0, 176.0, 255, nullptr, 0.0);
}

// ---- C_TaskEndTurn --------------------------------------------------------------------

C_TaskEndTurn::C_TaskEndTurn(C_FieldTaskInfo* info) {
    m_nFrame = 0;
    m_bEventDone = 0;
    info->m_bPlayerPhase = false;
    RaiseEvent(info, this, &m_bEventDone, "PhaseStart", kEndTurn);
    m_Logo.Load("./graphics/TurnLogo_Enemy.png");
}

void C_TaskEndTurn::Update(C_FieldTaskInfo* info) {
    if (!m_bEventDone) return;
    ++m_nFrame;
    if (m_nFrame > kEndFrame) {
        g_GlobalResources.PlayBGM(info->BGMSet[1]);
        g_GlobalResources.SetBGMPlaying(true);
        AddTask(info, new C_TaskOperateEnemy(info), kOperateEnemy);
        KillSelf(info);
    }
}

void C_TaskEndTurn::Draw(C_FieldTaskInfo*) {
    if (m_nFrame > kLogoFrom) m_Logo.Draw(64.0, 176.0, 255, nullptr, 0.0);
}
