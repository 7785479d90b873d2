// Scenario scripts: the parser (sections, triggers, commands, quoted arguments and
// text blocks), then the field sections of the script run as "FieldInitialize" on a
// small field, the way a map starts.
#include <set>
#include <string>
#include <vector>

#include "fake_input.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "fuzz_util.h"
#include "input/gvlInputManager.h"
#include "table/gvlTableFile.h"
#include "task/TaskController.h"

namespace {

std::vector<std::vector<std::string>> Rows(const char* text) {
    CTableFile t;
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text), std::char_traits<char>::length(text));
    return t.m_vRows;
}

void WriteText(const char* name, const char* text) {
    fuzz::WriteFile(name, reinterpret_cast<const uint8_t*>(text), std::char_traits<char>::length(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    static const bool tables = [] {
        WriteText("map/map_chip.csv", "chip,type,under,upper\r\n0,0,0,0\r\n1,1,1,0\r\n2,2,2,0\r\n");
        WriteText("map/field_data.csv",
                  "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\r\n"
                  "0,plain,0,1,0,0,1,0,0\r\n1,wall,4,99,0,0,99,0,0\r\n2,marsh,0,50,0,0,50,0,0\r\n");
        return true;
    }();
    (void)tables;
    CPersonTypeTable::Clear();
    CPersonTypeTable::LoadRows(Rows("typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,move,m_type\r\n"
                                    "1,a,a,1,30,3.0,6,1,9,1.2,20,5,0\r\n2,b,b,1,20,2.0,9,3,4,1.0,10,5,0\r\n"
                                    "10,c,c,0,18,1.6,0,1,6,0.8,16,5,0\r\n11,d,d,0,15,1.3,0,2,5,0.7,8,5,0\r\n"));

    C_ScenarioScript script;
    script.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt");
    const std::vector<ScriptSection>& sections = script.GetSections();
    for (const ScriptSection& s : sections)
        for (const ScriptCommand& c : s.vCommands) c.Int(3), c.Str(3);

    FakeInput input;
    input.leftPush = true;  // every wait for a click ends at once
    CPartyData party;
    C_TaskController controller;
    C_FieldTaskInfo field;
    field.SetInputManager(&input);
    field.m_pPartyData = &party;
    field.m_pTaskController = &controller;
    field.m_MapData.m_xSize = 10;
    field.m_MapData.m_ySize = 10;
    field.m_MapData.m_byMapChip.assign(100, 0);
    field.Reset();
    field.m_nTurn = 1;
    for (size_t i = 0; i < sections.size() && i < static_cast<size_t>(kEventHandlerFlagCount); ++i)
        if (sections[i].nTriggerID == kTriggerFieldInitialize) field.EventHandlerFlag[i] = false;
    for (int pass = 0; pass < 200; ++pass)
        if (script.UpdateFieldEvent("FieldInitialize", &field) != 0) break;
    CPersonTypeTable::Clear();
    fuzz::EndInput();
    return 0;
}
