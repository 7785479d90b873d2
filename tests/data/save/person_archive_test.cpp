// The person list of a field in the keyed archive: the column-wise current form,
// the older one-group-per-person form, and damaged records.
#include <gtest/gtest.h>

#include "../data_test_util.h"
#include "PersonData.h"
#include "archive/gvlStringMap.h"

namespace {

const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,guardarrow,guardmagic,mag,magUP,dex,dexUP,spd,spdUP,"
    "move,m_type,attr_light,attr_dark,skill1,pskill1,icon,face,model,comment,LocateCost,EXP,EXPUP\n"
    "1,剣士,剣,1,30,3.0,6,1,9,1.2,20,15,5,3,0.3,10,0.8,9,0.8,5,0,1,0,1,6,1,1,0,若き剣士,2,0,0\n"
    "2,弓兵,弓,0,20,2.0,0,2,6,0.6,8,18,4,2,0.2,12,1.0,8,0.6,4,1,0,1,2,-1,3,3,1,狩人,1,0,0\n";

class PersonArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
    }
    void TearDown() override { CPersonTypeTable::Clear(); }

    // Three persons with values that the type would not give.
    void Fill(CPersonList& list) {
        list.AddPerson(PersonRecord::CreateFromType(1, 5, 1, 1, 1, 0));
        list.AddPerson(PersonRecord::CreateFromType(2, 3, 0, 0, 0, 0));
        list.AddPerson(PersonRecord::CreateFromType(2, 7, 0, 0, 1, 0));
        PersonRecord& a = list.m_vPerson[0];
        a.nHP = 17;
        a.nMaxHP = 40;
        a.nMP = 2;
        a.nCondition = 0x8005;
        a.xStart = -1;
        a.yStart = 4;
        a.nStr = 33;
        a.nEXP = 120;
        a.dMaxHPUP = 2.5;
        a.dStr = 1.23456;
        a.dMag = -0.75;
        a.nEXPUP = 1.5;
        list.m_vPerson[1].bExist = 0;
        list.m_vPerson[2].nAttrDark = 1;
        list.m_vPerson[2].nRestMove = 2;
        list.m_vPerson[2].name = "changed";  // not saved: comes from the type again
    }

    datatest::LogCapture log;
};

TEST_F(PersonArchiveTest, ColumnsHoldEveryPersonsValueFollowedByASpace) {
    CPersonList list;
    Fill(list);
    CStringMap a;
    a.EnterGroup("Person");
    list.Save(a);
    a.LeaveGroup();
    EXPECT_EQ(a.GetString("Person/nNextID", ""), "1003");
    EXPECT_EQ(a.GetString("Person/NumPerson", ""), "3");
    EXPECT_EQ(a.GetString("Person/Person/ID", ""), "1001 1002 1003 ");
    EXPECT_EQ(a.GetString("Person/Person/ptype", ""), "1 2 2 ");
    EXPECT_EQ(a.GetString("Person/Person/bExist", ""), "1 0 1 ");
    EXPECT_EQ(a.GetString("Person/Person/xStart", "").substr(0, 3), "-1 ");
    EXPECT_EQ(a.GetString("Person/Person/nCondition", "").substr(0, 6), "32773 ");
    EXPECT_EQ(a.GetString("Person/Person/dMaxHPUP", "").substr(0, 6), "25000 ");
    EXPECT_EQ(a.GetString("Person/Person/dStr", "").substr(0, 6), "12345 ");
    EXPECT_EQ(a.GetString("Person/Person/dMag", "").substr(0, 6), "-7500 ");
    EXPECT_EQ(a.GetString("Person/Person/nEXPUP", "").substr(0, 6), "15000 ");
    // 37 columns plus the two counts.
    EXPECT_EQ(a.GetMap().size(), 39u);
}

TEST_F(PersonArchiveTest, SaveAndLoadGiveTheSamePersons) {
    CPersonList list;
    Fill(list);
    CStringMap a;
    list.Save(a);
    CPersonList back;
    back.AddPerson(PersonRecord());  // replaced by the load
    back.Load(a);
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_EQ(back.nNextID, 1003);
    for (int i = 0; i < 3; ++i) {
        const PersonRecord& p = list.m_vPerson[i];
        const PersonRecord& q = back.m_vPerson[i];
        EXPECT_EQ(q.nID, p.nID);
        EXPECT_EQ(q.typeID, p.typeID);
        EXPECT_EQ(q.nLevel, p.nLevel);
        EXPECT_EQ(q.bExist, p.bExist);
        EXPECT_EQ(q.bForward, p.bForward);
        EXPECT_EQ(q.bFriend, p.bFriend);
        EXPECT_EQ(q.bOperate, p.bOperate);
        EXPECT_EQ(q.nHP, p.nHP);
        EXPECT_EQ(q.nMaxHP, p.nMaxHP);
        EXPECT_EQ(q.nMP, p.nMP);
        EXPECT_EQ(q.nCondition, p.nCondition);
        EXPECT_EQ(q.nRestMove, p.nRestMove);
        EXPECT_EQ(q.xStart, p.xStart);
        EXPECT_EQ(q.yStart, p.yStart);
        EXPECT_EQ(q.nStr, p.nStr);
        EXPECT_EQ(q.nGurA, p.nGurA);
        EXPECT_EQ(q.nAttrDark, p.nAttrDark);
        EXPECT_EQ(q.nEXP, p.nEXP);
        EXPECT_DOUBLE_EQ(q.dMaxHPUP, p.dMaxHPUP);
        EXPECT_EQ(q.skill[0], p.skill[0]);
    }
    EXPECT_DOUBLE_EQ(back.m_vPerson[0].dMaxHPUP, 2.5);
    EXPECT_DOUBLE_EQ(back.m_vPerson[0].dStr, 1.2345);  // the fifth place is cut off
    EXPECT_DOUBLE_EQ(back.m_vPerson[0].dMag, -0.75);
    EXPECT_DOUBLE_EQ(back.m_vPerson[0].nEXPUP, 1.5);
    EXPECT_EQ(back.m_vPerson[2].name, "弓兵");
    EXPECT_EQ(back.m_vPerson[0].comment, "若き剣士");
    EXPECT_EQ(back.m_vPerson[0].pskill[0], 6);
    EXPECT_EQ(log.All(), "");
}

TEST_F(PersonArchiveTest, EmptyListAndMissingCounter) {
    CPersonList list;
    list.nNextID = 1500;
    CStringMap a;
    list.Save(a);
    EXPECT_EQ(a.GetString("NumPerson", ""), "0");
    EXPECT_EQ(a.GetMap().count("Person/ID"), 1u);
    EXPECT_EQ(a.GetMap().at("Person/ID"), "");
    CPersonList back;
    back.Load(a);
    EXPECT_EQ(back.GetCount(), 0);
    EXPECT_EQ(back.nNextID, 1500);
    CStringMap empty;
    back.nNextID = 1234;
    back.Load(empty);
    EXPECT_EQ(back.nNextID, 1234);
    EXPECT_EQ(back.GetCount(), 0);
}

TEST_F(PersonArchiveTest, CountsBeyondTheStoredPersonsAreCut) {
    CPersonList list;
    Fill(list);
    CStringMap a;
    list.Save(a);
    a.SetInt64("NumPerson", 1000000);
    a.SetString("Person/nHP", "5 ");  // a column shorter than the list
    CPersonList back;
    back.Load(a);
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_EQ(back.m_vPerson[0].nHP, 5);
    EXPECT_EQ(back.m_vPerson[1].nHP, back.m_vPerson[1].nMaxHP);  // kept from creation
    EXPECT_EQ(log.Lines().size(), 2u);
    a.SetInt64("NumPerson", -3);
    back.Load(a);
    EXPECT_EQ(back.GetCount(), 0);
}

TEST_F(PersonArchiveTest, OlderFormOneGroupPerPerson) {
    CStringMap a;
    a.SetInt64("nNextID", 1010);
    a.SetInt64("NumPerson", 2);
    a.EnterGroup("Person0");
    a.SetInt64("ptype", 1);
    a.SetInt64("nLv", 4);
    a.SetInt64("bFriend", 1);
    a.SetInt64("bOperate", 2);  // only exactly 1 counts
    a.SetInt64("ID", 1005);
    a.SetInt64("bExist", 3);
    a.SetInt64("nHP", 50);
    a.SetInt64("nMaxHP", 20);  // raised to the current HP
    a.SetInt64("nStr", 12);
    a.SetInt64("dStr", 15000);
    a.SetInt64("nEXPUP", 150);  // hundredths in this form
    a.LeaveGroup();
    a.EnterGroup("Person1");
    a.SetInt64("ptype", 2);
    a.SetInt64("nLv", 2);
    a.LeaveGroup();
    CPersonList list;
    list.LoadVersion1(a);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.nNextID, 1010);
    const PersonRecord& p = list.m_vPerson[0];
    EXPECT_EQ(p.nID, 1005);
    EXPECT_EQ(p.bFriend, 1);
    EXPECT_EQ(p.bOperate, 0);
    EXPECT_EQ(p.bExist, 1);
    EXPECT_EQ(p.nHP, 50);
    EXPECT_EQ(p.nMaxHP, 50);
    EXPECT_EQ(p.nCondition, 0xFFFF);
    EXPECT_EQ(p.nRestMove, -1);
    EXPECT_EQ(p.xStart, -1);
    EXPECT_EQ(p.nStr, 12);
    EXPECT_DOUBLE_EQ(p.dStr, 1.5);
    EXPECT_EQ(p.nGur, -1);
    EXPECT_DOUBLE_EQ(p.nEXPUP, 1.5);
    // Without "nStr" the stats keep their values from the type.
    PersonRecord fromType = PersonRecord::CreateFromType(2, 2, 0, 0, 0, 0);
    const PersonRecord& q = list.m_vPerson[1];
    EXPECT_EQ(q.nID, -1);
    EXPECT_EQ(q.nStr, fromType.nStr);
    EXPECT_EQ(q.nGurA, fromType.nGurA);
    EXPECT_EQ(q.nHP, fromType.nHP);
    EXPECT_EQ(q.bExist, 0);
}

}  // namespace
