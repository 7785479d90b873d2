#pragma once
// A small field for the enemy AI tests: the rules test field with a few more
// skills (cannon spells that catch a crowd) and helpers for troops and plans.
#include <string>
#include <vector>

#include "../rules_fixture.h"

namespace aitest {

using rulestest::RulesField;

// Cannon spells reaching 1..9 tiles that catch every unit within 2 tiles of the
// aimed cell, with charge requirements 2, 3, 4 and 0; a lone healer skill.
inline const char* kExtraSkills =
    "30,blast,2,2,50,0,5,1,9,1,3,1,2,0,0,1,0,0,0,x\r\n"
    "31,bigblast,2,2,50,0,5,1,9,1,3,1,3,0,0,1,0,0,0,x\r\n"
    "32,hugeblast,2,2,50,0,5,1,9,1,3,1,4,0,0,1,0,0,0,x\r\n"
    "33,freeblast,2,2,50,0,5,1,9,1,3,1,0,0,0,1,0,0,0,x\r\n"
    "34,pair,2,2,50,0,5,1,9,1,2,1,0,0,0,1,0,0,0,x\r\n"
    "35,ring,2,2,50,0,5,3,6,1,1,1,0,0,0,1,0,0,0,x\r\n";

class AIField : public RulesField {
protected:
    void SetUp() override {
        RulesField::SetUp();
        CTableFile table;
        std::string s = std::string(rulestest::kSkills) + kExtraSkills;
        table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
        g_SkillData.LoadRows(table.m_vRows);
        ai().m_bUseView = true;
        ai().m_bDetected = false;
    }

    C_AI& ai() { return f->m_AI; }

    // An enemy unit (the AI's side) and a player unit.
    int Enemy(int x, int y, const std::vector<P>& members, int front = 1) { return Unit(x, y, false, members, front); }
    int Player(int x, int y, const std::vector<P>& members, int front = 1) { return Unit(x, y, true, members, front); }

    int Id(int unit, int slot) { return f->m_UnitList.GetMemberPerson(unit, slot).nID; }

    // A troop of the given units, centred on the first.
    int Troop(const std::vector<int>& units, const std::vector<int>& healerUnits = {}) {
        AITroop t;
        t.x = f->m_UnitList.GetX(units[0]);
        t.y = f->m_UnitList.GetY(units[0]);
        for (int u : units)
            for (int j = 0; j < f->m_UnitList.GetMemberCount(u); ++j) t.MemberID.push_back(Id(u, j));
        for (int u : healerUnits)
            for (int j = 0; j < f->m_UnitList.GetMemberCount(u); ++j) t.HealerID.push_back(Id(u, j));
        ai().m_vTroop.push_back(t);
        return (int)ai().m_vTroop.size() - 1;
    }

    // A plan entry of kind 0 for every member of the unit.
    void Plan(int unit, int troop, int key, int destX, int destY) {
        for (int j = 0; j < f->m_UnitList.GetMemberCount(unit); ++j) {
            AIPlanEntry e;
            ResetAssignmentRecord(e);
            e.x = f->m_UnitList.GetX(unit);
            e.y = f->m_UnitList.GetY(unit);
            e.destX = destX;
            e.destY = destY;
            e.nOrderKey = key;
            e.nPersonID = Id(unit, j);
            e.nTroop = troop;
            ai().m_lstPlan.push_back(e);
        }
        ai().m_bPlanDone = false;
    }

    AIAction Next(bool* end = nullptr) {
        AIAction a;
        bool local = false;
        ai().NextAction(a, end ? end : &local, *f);
        return a;
    }

    static P Sword(int move = 5) {
        P p;
        p.move = move;
        return p;
    }
};

}  // namespace aitest
