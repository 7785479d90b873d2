#pragma once
// Plays one enemy phase on a field without tasks or screen: asks the AI for one
// action at a time and carries it out at once (moves, splits and joins, attacks
// resolved and applied, cannon spells and charges), writing one line per action.
#include <cstdio>
#include <string>
#include <vector>

#include "FieldTaskInfo.h"
#include "SkillData.h"

namespace aiphase {

inline std::string Cell(int x, int y) {
    char b[32];
    std::snprintf(b, sizeof b, "(%d,%d)", x, y);
    return b;
}

// Carries out one action; returns its line.
inline std::string Apply(C_FieldTaskInfo& f, const AIAction& a) {
    CUnitList& units = f.m_UnitList;
    const int u = a.nUnit;
    const std::string from = Cell(units.GetX(u), units.GetY(u));
    std::string line;
    if (a.nKind == 0) {
        std::string sel;
        for (int k = 0; k < 4; ++k) sel += a.bSelect[k] ? '1' : '0';
        line = "move " + from + "->" + Cell(a.destX, a.destY) + " " + sel;
        if (a.destX == units.GetX(u) && a.destY == units.GetY(u)) return line;
        bool select[4] = {};
        int chosen = 0;
        for (int k = 0; k < units.GetMemberCount(u) && k < 4; ++k) {
            select[k] = a.bSelect[k];
            chosen += select[k] ? 1 : 0;
        }
        if (chosen == 0) return line + " nobody";
        const int holder = units.FindUnitAt(a.destX, a.destY);
        if (holder >= 0 && holder != u) {
            units.TransferMembers(holder, u, select);
            return line + " join";
        }
        const int moved = chosen == units.GetMemberCount(u) ? u : units.SplitUnit(u, select);
        units.SetUnitPosition(moved, a.destX, a.destY);
        units.SetMoveEnd(moved, 1);
        return line;
    }
    if (a.nKind == 2) {
        units.SetCharge(u, units.GetCharge(u) + 1);
        units.SetActEndAndMoveEnd(u, 1);
        return "charge " + from;
    }
    line = "act " + from + "->" + Cell(a.targetX, a.targetY) + " skill " + std::to_string(a.nSkill[0]);
    if (g_SkillData.IsCannon(a.nSkill[0])) {
        units.SetCharge(u, std::max(0, units.GetCharge(u) - g_SkillData.GetCharge(a.nSkill[0])));
        units.SetActEndAndMoveEnd(u, 1);
        return line + " cannon";
    }
    const int t = units.FindUnitAt(a.targetX, a.targetY);
    if (t < 0) return line + " gone";
    int targets[8], skills[8];
    for (int k = 0; k < 4; ++k) {
        targets[k] = a.nTarget[k];
        skills[k] = a.nSkill[k];
    }
    f.AssignCounterTargets(u, t, targets, skills);
    f.ResolveBattle(u, t, targets, skills);
    units.SetActEndAndMoveEnd(u, 1);
    f.ApplyAllActions();
    return line;
}

// One whole enemy phase: set-up, plan, actions until the AI reports the end.
inline std::vector<std::string> RunEnemyPhase(C_FieldTaskInfo& f, int maxActions = 400) {
    std::vector<std::string> log;
    f.m_AI.BeginPhase(f);
    f.m_AI.UpdatePlan(f);
    bool end = false;
    for (int n = 0; n < maxActions && !end; ++n) {
        AIAction a;
        f.m_AI.NextAction(a, &end, f);
        if (a.nUnit < 0) break;
        log.push_back(Apply(f, a));
    }
    return log;
}

}  // namespace aiphase
