#pragma once
// A field state with two units and resolved actions for the battle tests: persons
// of our own types, the game's skill table, and keyframe data of our own lengths.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../data/data_test_util.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "golden.h"
#include "preload/GlobalPreloadData.h"

namespace battletest {

// Types 1 and 2 are model 0 (keyframe base 100), type 3 model 1 (base 140), type 4
// model 2 (base 180).
inline const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,move,m_type,model\n"
    "1,剣士,剣士,1,30,0,6,1,9,0,20,5,0,0\n"
    "2,術士,術士,0,24,0,20,3,4,0,8,5,0,0\n"
    "3,弓兵,弓兵,0,28,0,4,2,8,0,10,5,0,1\n"
    "4,魔導,魔導,0,20,0,30,3,3,0,6,5,0,2\n";

// Lengths and hit times of the test motions.
inline const char* kKeyframeData =
    "id,length,atk_time,motion\n"
    "100,60,0,stand\n101,60,30,attack1\n105,62,31,attack5\n109,30,0,hit\n110,80,46,shoot\n111,90,60,cast\n"
    "140,60,0,stand\n141,70,31,attack1\n146,60,33,attack6\n149,30,0,hit\n150,80,46,shoot\n"
    "180,60,0,stand\n181,64,32,attack1\n190,80,50,shoot\n191,90,60,cast\n";

class BattleTest : public ::testing::Test {
protected:
    void SetUp() override {
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
        g_SkillData.LoadRows(
            datatest::Rows(datatest::ReadFile(std::string(VORMANT_SOURCE_DIR) + "/content/gamedata/skill.csv")));
        g_GlobalPreloadData.Load(1);
        g_GlobalPreloadData.GetBlock()->KeyframeTable = datatest::Table(kKeyframeData);
        field_ = std::make_unique<C_FieldTaskInfo>();
    }
    void TearDown() override {
        field_.reset();
        g_GlobalPreloadData.Release();
        CPersonTypeTable::Clear();
        cd_.reset();
    }

    // A unit of persons of the given types (front row when `forward` says so).
    int AddUnit(const std::vector<int>& types, const std::vector<int>& forward, int x, int y) {
        int unit = -1;
        for (size_t i = 0; i < types.size(); ++i) {
            PersonRecord p = PersonRecord::CreateFromType(types[i], 1, 1, 1, uint8_t(forward[i]), 0);
            const int person = field_->m_PersonList.AddPerson(p);
            if (i == 0) unit = field_->m_UnitList.AddUnitAt(person, x, y);
            else field_->m_UnitList.AddMember(unit, person);
            field_->m_UnitList.GetMemberPerson(unit, int(i)).bForward = uint8_t(forward[i]);
        }
        return unit;
    }

    static AttackResult Blow(int attacker, int target, int skill, int amount, bool miss = false, bool fall = false) {
        AttackResult r;
        r.nAttacker = attacker;
        r.nTarget = target;
        r.nSkill = skill;
        r.nAmount = amount;
        r.bMiss = miss;
        r.bFall = fall;
        return r;
    }

    BattleActionRecord& AddRecord(int unit) {
        field_->m_vBattleAction.emplace_back();
        field_->m_vBattleAction.back().nUnit = unit;
        return field_->m_vBattleAction.back();
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    std::unique_ptr<C_FieldTaskInfo> field_;
};

}  // namespace battletest
