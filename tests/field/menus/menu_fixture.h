#pragma once
// The menus over a small field: the rules tests' terrain, skills and units, a task
// controller that runs the menus and the test's own pointer and buttons.
#include <gtest/gtest.h>

#include <memory>

#include "../../rules/rules_fixture.h"
#include "fake_input.h"
#include "task/TaskController.h"

namespace menutest {

// skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment
inline const char* kMenuSkills =
    "skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment\r\n"
    "1,斬撃,0,0,100,0,0,1,1,0,0,0,0,0,5,0,0,0,0,剣で斬りつけます。\r\n"
    "2,弓矢,1,1,80,0,0,2,3,0,0,1,0,0,0,0,0,0,0,離れた敵を射ます。\r\n"
    "3,ファイア,2,1,100,0,5,1,2,0,0,1,0,0,0,0,0,0,1,炎の魔法で敵を焼きます。\r\n"
    "4,ヒール,3,1,10,0,4,1,2,0,0,1,0,0,0,0,0,0,0,味方の傷を癒します。\r\n"
    "5,メテオ,2,2,50,0,10,1,9,1,1,1,2,0,0,1,0,0,1,空から岩を降らせます。\r\n"
    "6,長槍,0,0,100,0,0,1,2,0,0,1,0,0,10,0,0,0,0,前衛の後ろからも突けます。\r\n"
    "7,槍投げ,0,1,60,0,0,1,2,0,0,1,0,0,0,0,0,0,0,槍を投げます。\r\n"
    "8,なぎ払い,0,0,60,0,0,1,1,0,0,0,0,0,0,0,1,0,0,敵全員をなぎ払います。\r\n"
    "9,俊足,0,0,0,10,0,0,0,0,0,0,0,0,0,0,0,1,0,移動後も遠くまで届きます。\r\n"
    "10,雷撃,2,2,60,0,8,1,9,1,2,1,4,0,0,1,0,0,2,雷を落とします。\r\n"
    "11,ダーク,2,1,90,0,6,1,2,0,0,1,0,0,0,0,0,0,2,闇の魔法です。\r\n"
    "12,ブリザード,2,2,70,0,9,1,3,0,0,1,0,0,0,0,1,0,1,吹雪で敵全員を凍らせます。\r\n";

inline void LoadMenuSkills() {
    CTableFile table;
    std::string s = kMenuSkills;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    g_SkillData.LoadRows(table.m_vRows);
}

class MenuField : public rulestest::RulesField {
protected:
    void SetUp() override {
        RulesField::SetUp();
        LoadMenuSkills();
        f->m_pTaskController = &tasks;
        f->SetInputManager(&in);
        OpenMap(8, 8);
    }
    void TearDown() override {
        while (!tasks.GetTasks().empty()) tasks.KillTaskRange(-1000, 100000);
        RulesField::TearDown();
    }

    // One frame: every task's update with the present input, then the buttons let go.
    void Frame() {
        tasks.Update(f.get());
        in.Step();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    void Move(int x, int y) { in.Move(x, y); }
    void Left(int x, int y) {
        in.Move(x, y);
        in.ClickLeft();
        Frame();
    }
    void Right() {
        in.ClickRight();
        Frame();
    }
    // Names a member (name and short name).
    void Name(int unit, int slot, const std::string& name, const std::string& shortName) {
        Member(unit, slot).name = name;
        Member(unit, slot).s_name = shortName;
    }
    bool Has(int priority) const { return tasks.HasTask(priority); }
    template <class T>
    T* Find(int priority) const {
        for (C_TaskBase* t : tasks.GetTasks())
            if (t->GetPriority() == priority)
                if (T* c = dynamic_cast<T*>(t)) return c;
        return nullptr;
    }

    C_TaskController tasks;
    FakeInput in;
};

}  // namespace menutest
