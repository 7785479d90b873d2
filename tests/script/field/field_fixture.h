#pragma once
// A small field for the field-event tests: a 10 x 10 map of plain cells (chip 1 is a
// wall), four person types, a party, a task controller and scripted input; scripts
// are parsed from lines.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../../data/data_test_util.h"
#include "FieldEvent.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "input/gvlInputManager.h"
#include "task/TaskBase.h"
#include "task/TaskController.h"

namespace fieldtest {

inline std::string Crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// Input decided by the test for each call.
class ScriptedInput : public IInputManager {
public:
    bool push = false;
    std::set<int> held;
    void Update() override {}
    bool IsLButtonDown() override { return push; }
    bool IsRButtonDown() override { return false; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return push; }
    bool IsRButtonPush() override { return false; }
    bool IsMButtonPush() override { return false; }
    int GetX() override { return 0; }
    int GetY() override { return 0; }
    void GetXY(int* px, int* py) override { *px = *py = 0; }
    bool IsPush(int) override { return false; }
    bool IsPress(int key) override { return held.count(key) != 0; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }
};

// A field task that only stands in the controller.
class IdleTask : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};

constexpr const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,move,m_type\n"
    "1,勇者,勇,1,30,3.0,6,1,9,1.2,20,5,0\n"
    "2,僧侶,僧,1,20,2.0,9,3,4,1.0,10,5,0\n"
    "10,剣兵,剣,0,18,1.6,0,1,6,0.8,16,5,0\n"
    "11,弓兵,弓,0,15,1.3,0,2,5,0.7,8,5,0\n";
constexpr const char* kChips = "chip,type,under,upper\n0,0,0,0\n1,1,1,0\n2,2,2,0\n";
constexpr const char* kTerrain =
    "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\n"
    "0,plain,0,1,0,0,1,0,0\n1,wall,4,99,0,0,99,0,0\n2,marsh,0,50,0,0,50,0,0\n";

class FieldEventTest : public ::testing::Test {
public:
    void SetUp() override {
        Write("map/map_chip.csv", kChips);
        Write("map/field_data.csv", kTerrain);
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
        NewField();
    }
    void TearDown() override {
        script.reset();
        field.reset();
        CPersonTypeTable::Clear();
    }

    void Write(const std::string& name, const std::string& utf8) {
        std::filesystem::create_directories(std::filesystem::path(log.Dir() + name).parent_path());
        std::ofstream(log.Dir() + name, std::ios::binary) << datatest::GameTextFromUtf8(utf8);
    }

    void NewField() {
        field = std::make_unique<C_FieldTaskInfo>();
        field->SetInputManager(&input);
        field->m_pPartyData = &party;
        field->m_pTaskController = &controller;
        field->m_MapData.m_xSize = 10;
        field->m_MapData.m_ySize = 10;
        field->m_MapData.m_byMapChip.assign(100, 0);
        field->Reset();
        field->m_nTurn = 1;
    }

    C_ScenarioScript& Load(const std::vector<std::string>& lines) {
        script = std::make_unique<C_ScenarioScript>();
        script->Parse(Crlf(lines), "t.txt");
        return *script;
    }

    // One call of the runner.
    int Step(const std::string& event) { return script->UpdateFieldEvent(event, field.get()); }
    // Calls until the event is over; the number of calls (the last one returned 1).
    int Run(const std::string& event, int limit = 10000) {
        for (int n = 1; n <= limit; ++n)
            if (Step(event) != 0) return n;
        ADD_FAILURE() << "event " << event << " did not end";
        return limit;
    }

    // A person of the type and a unit of it at (x, y); returns the unit.
    int AddUnit(int type, int x, int y, bool isFriend) {
        const int p = field->m_PersonList.AddPerson(
            PersonRecord::CreateFromType(type, 1, isFriend ? 1 : 0, isFriend ? 1 : 0, 1, 0));
        return field->m_UnitList.AddUnitAt(p, x, y);
    }
    void AddMember(int unit, int type) {
        const int p = field->m_PersonList.AddPerson(PersonRecord::CreateFromType(type, 1, 1, 1, 0, 0));
        field->m_UnitList.AddMember(unit, p);
    }

    datatest::LogCapture log;
    ScriptedInput input;
    CPartyData party;
    C_TaskController controller;
    std::unique_ptr<C_FieldTaskInfo> field;
    std::unique_ptr<C_ScenarioScript> script;
};

}  // namespace fieldtest
