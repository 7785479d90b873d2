#pragma once
// A small field run by a real task controller for the turn-flow tests: the rules
// fixture's map, persons and units, a party, a fake pointer, and frame stepping.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "../../rules/rules_fixture.h"
#include "../../support/fake_input.h"
#include "PartyData.h"
#include "map/TaskDrawMap.h"
#include "task/TaskController.h"

namespace turntest {

// The rules fixture's skills and the passive skills of the turn-start effects.
inline void LoadTurnSkills() {
    std::string s = rulestest::kSkills;
    s += "30,bane,0,0,0,4,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
         "31,grace,0,0,0,5,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
         "32,regen,0,0,0,6,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
         "33,wellspring,0,0,0,7,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
         "34,focus,0,0,0,9,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
         "35,quake,2,2,40,0,5,1,9,1,2,1,1,0,0,1,0,0,0,x\r\n";
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    g_SkillData.LoadRows(table.m_vRows);
}

class TurnField : public rulestest::RulesField {
public:
    using RulesField::P;

protected:
    void SetUp() override {
        RulesField::SetUp();
        LoadTurnSkills();
        party.nMap = 99;  // no chapter script: every event ends at once
        f->m_pPartyData = &party;
        f->m_pTaskController = &controller;
        f->SetInputManager(&input);
        f->m_AI.m_bUseView = false;
        f->m_AI.m_bDetected = true;
    }
    void TearDown() override {
        while (controller.GetTaskCount() > 0) controller.KillTaskRange(-100000, 100000);
    }

    // One frame: every task's update, then every task's draw.
    void Frame() {
        controller.Update(f.get());
        controller.Draw(f.get());
        input.Step();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // The map display as the field shows it (ground, upper layer, minimap): the upper
    // layer walks a moving unit along its path.
    void ShowMap() { controller.AddTask(new C_TaskDrawMap(f.get()), 2); }

    template <class T>
    T* Find() {
        for (C_TaskBase* t : controller.GetTasks())
            if (auto* p = dynamic_cast<T*>(t)) return p;
        return nullptr;
    }
    template <class T>
    int Count() {
        int n = 0;
        for (C_TaskBase* t : controller.GetTasks())
            if (dynamic_cast<T*>(t) != nullptr) ++n;
        return n;
    }
    // Frames until a task of type T exists (at most `limit`); -1 when it never does.
    template <class T>
    int FramesUntil(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Frame();
            if (Find<T>() != nullptr) return i;
        }
        return -1;
    }

    CPartyData party;
    C_TaskController controller;
    FakeInput input;
};

}  // namespace turntest
