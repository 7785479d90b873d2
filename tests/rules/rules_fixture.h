#pragma once
// A small field for the rules tests: a hand-made terrain table, a map drawn with
// characters, a skill table and persons and units made in memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "random/gvlRand.h"
#include "table/gvlTableFile.h"

namespace rulestest {

// Terrain types of the test table.
enum Terrain { kPlain = 0, kForest = 1, kHill = 2, kMarsh = 3, kWall = 4, kRoad = 5 };

// skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment
inline const char* kSkills =
    "skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment\r\n"
    "1,sword,0,0,100,0,0,1,1,0,0,0,1,0,5,0,0,0,0,x\r\n"
    "2,bow,1,1,80,0,0,2,3,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "3,fire,2,1,100,0,5,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "4,heal,3,1,10,0,4,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "5,meteor,2,2,50,0,10,1,9,1,1,1,2,0,0,1,0,0,0,x\r\n"
    "6,spear,0,0,100,0,0,1,2,0,0,1,0,0,10,0,0,0,0,x\r\n"
    "7,sleep,2,1,50,1,0,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "8,sweep,0,0,60,0,0,1,1,0,0,0,0,0,0,0,1,0,0,x\r\n"
    "9,swift,0,0,0,10,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
    "10,ranger,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
    "11,pathfinder,0,0,0,11,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
    "12,berserk,0,0,0,8,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
    "13,lob,1,2,50,0,0,1,4,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "14,allheal,3,1,10,0,0,1,2,0,0,1,0,0,0,0,1,0,0,x\r\n"
    "15,venom,0,0,50,4,0,1,1,0,0,0,0,0,100,0,0,0,0,x\r\n"
    "16,flash,2,1,50,8,0,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "17,longshot,1,1,10,0,0,1,150,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "18,wasteful,0,0,10,0,99,1,1,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "19,fortify,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n"
    "20,seal,2,1,50,2,0,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "21,nullheal,3,1,0,0,0,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "22,stupor,2,1,50,1,0,1,1,0,0,1,0,0,0,0,1,0,0,x\r\n";

inline void LoadSkills() {
    CTableFile table;
    std::string s = kSkills;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    g_SkillData.LoadRows(table.m_vRows);
}

class RulesField : public ::testing::Test {
protected:
    void SetUp() override {
        LoadSkills();
        f = std::make_unique<C_FieldTaskInfo>();
        CFieldDataTable& t = f->m_MapData.GetFieldData();
        t.m_vName = {"plain", "forest", "hill", "marsh", "wall", "road"};
        t.m_vRecord.assign(6, std::vector<FieldDataRecord>(kMoveClassCount));
        //                     cost, height, d_guard, i_guard for class 0 / class 1
        SetTerrain(kPlain, 1, 1, 0, 0, 0);
        SetTerrain(kForest, 2, 3, 0, 20, 10);
        SetTerrain(kHill, 2, 2, 1, 10, 30);
        SetTerrain(kMarsh, 99, 2, 0, 0, 0);
        SetTerrain(kWall, 99, 99, 2, 0, 0);
        SetTerrain(kRoad, 1, 1, 0, 0, 0);
        CMapChipTable& chips = f->m_MapData.GetChipTable();
        chips.m_mapType.clear();
        for (int c = 0; c < 6; ++c) chips.m_mapType[c] = c;
        g_Rand.SetSeed(12345);
    }

    void SetTerrain(int type, int cost0, int cost1, int height, int dGuard, int iGuard) {
        auto& r = f->m_MapData.GetFieldData().m_vRecord[type];
        r[0] = {(uint8_t)cost0, (uint8_t)height, dGuard, iGuard};
        r[1] = {(uint8_t)cost1, 0, dGuard, iGuard};
    }

    // '.' plain, 'f' forest, 'h' hill, 'm' marsh, '#' wall, 'r' road.
    void Map(const std::vector<std::string>& rows) {
        CMapData& m = f->m_MapData;
        m.m_ySize = (int)rows.size();
        m.m_xSize = (int)rows[0].size();
        m.m_byMapChip.assign((size_t)m.m_xSize * m.m_ySize, 0);
        for (int y = 0; y < m.m_ySize; ++y)
            for (int x = 0; x < m.m_xSize; ++x) {
                const char c = rows[y][x];
                const uint8_t chip = c == 'f' ? kForest : c == 'h' ? kHill : c == 'm' ? kMarsh : c == '#' ? kWall
                                     : c == 'r' ? kRoad : kPlain;
                m.m_byMapChip[(size_t)y * m.m_xSize + x] = chip;
            }
        f->m_vbRangeCell.assign((size_t)m.m_xSize * m.m_ySize, false);
    }

    void OpenMap(int w, int h) { Map(std::vector<std::string>(h, std::string(w, '.'))); }

    struct P {
        int hp = 50;
        int str = 20, gur = 0, gurA = 0, mag = 10, gurM = 0, dex = 10, spd = 10, move = 5, type = 0, mp = 20;
        int typeID = 1;
        std::vector<int> skills{1};
        std::vector<int> passives{};
        bool hero = false;
    };

    int Person(const P& p, bool friendSide) {
        PersonRecord r;
        r.name = "p";
        r.nMaxHP = r.nHP = p.hp;
        r.nMaxMP = 99;
        r.nMP = p.mp;
        r.nStr = p.str;
        r.nGur = p.gur;
        r.nGurA = p.gurA;
        r.nMag = p.mag;
        r.nGurM = p.gurM;
        r.nDex = p.dex;
        r.nSpd = p.spd;
        r.nMove = r.nRestMove = p.move;
        r.m_type = p.type;
        r.typeID = p.typeID;
        r.bFriend = friendSide ? 1 : 0;
        r.hero = p.hero ? 1 : 0;
        for (size_t k = 0; k < p.skills.size(); ++k) r.skill[k] = p.skills[k];
        for (size_t k = 0; k < p.passives.size(); ++k) r.pskill[k] = p.passives[k];
        return f->m_PersonList.AddPerson(r);
    }

    // A unit at (x, y) of the members given; the first `front` members stand in front.
    int Unit(int x, int y, bool friendSide, const std::vector<P>& members, int front = 1) {
        int u = -1;
        for (size_t j = 0; j < members.size(); ++j) {
            const int person = Person(members[j], friendSide);
            if (j == 0)
                u = f->m_UnitList.AddUnitAt(person, x, y);
            else
                f->m_UnitList.AddMember(u, person);
            f->m_PersonList.SetForward(person, (int)j < front ? 1 : 0);
        }
        return u;
    }

    PersonRecord& Member(int unit, int slot) { return f->m_UnitList.GetMemberPerson(unit, slot); }

    static bool Has(const std::vector<FieldCell>& cells, int x, int y) {
        for (const FieldCell& c : cells)
            if (c.x == x && c.y == y) return true;
        return false;
    }

    std::unique_ptr<C_FieldTaskInfo> f;
};

}  // namespace rulestest
