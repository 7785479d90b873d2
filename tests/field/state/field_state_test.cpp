// The field state: its saved record (both forms), the restore after a load with
// the version check, the reset for a new map, the tutorial's input switch and the
// turn-start condition recovery.
#include <gtest/gtest.h>

#include "../../data/data_test_util.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "random/gvlRand.h"
#include "save/ArchiveManager.h"
#include "system.h"

namespace {

const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,move,m_type\n"
    "1,剣士,剣,1,30,3.0,6,1,9,1.2,20,5,0\n"
    "2,騎兵,騎,0,25,2.0,4,2,8,1.0,10,7,1\n";
const char* kChips = "chip,type,under,upper\n0,0,0,0\n1,1,2,1\n";
const char* kTerrain = "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\n"
                       "0,plain,0,1,0,0,1,0,0\n1,forest,1,2,20,10,3,10,5\n";

void WriteGameFile(const std::string& dir, const std::string& name, const std::string& utf8) {
    std::filesystem::create_directories(std::filesystem::path(dir + name).parent_path());
    std::ofstream(dir + name, std::ios::binary) << datatest::GameTextFromUtf8(utf8);
}

class FieldStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteGameFile(log.Dir(), "map/map_chip.csv", kChips);
        WriteGameFile(log.Dir(), "map/field_data.csv", kTerrain);
        WriteGameFile(log.Dir(), "map/map02.csv", "0,1,0,0\n1,1,0,0\n0,0,0,1\n");
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
    }
    void TearDown() override {
        CPersonTypeTable::Clear();
        CArchiveManager::DestroyInstance();
    }

    // A field in play: persons, units, map, mission data, flags and an AI troop.
    void Fill(C_FieldTaskInfo& f) {
        ASSERT_TRUE(f.m_MapData.LoadMapCsv(2));
        f.Reset();
        for (int i = 0; i < 4; ++i)
            f.m_PersonList.AddPerson(PersonRecord::CreateFromType(1 + i % 2, 3 + i, i < 2, i < 2, i % 2, 0));
        f.m_PersonList.m_vPerson[3].nHP = 4;
        f.m_PersonList.m_vPerson[1].nCondition = 0x3;
        int u = f.m_UnitList.AddUnitAt(0, 1, 1);
        f.m_UnitList.AddMember(u, 1);
        f.m_UnitList.AddUnitAt(2, 3, 2);
        f.m_UnitList.AddMember(1, 3);
        f.m_UnitList.SetCharge(1, 2);
        f.m_UnitList.AddDefeated(0, 2);
        f.m_MapData.AddSortiePosition(0, 2);
        f.m_MapData.m_vnSortiePos[0].m_vHero.push_back(SortieHeroEntry{1, 4});
        f.m_MapData.AddOperationMessage(3, {"敵将を倒せ", "全滅させるな"});
        f.m_MapData.AddAnabasisRoute({3, 2, 0, 0});
        f.m_MapData.m_vEvent.push_back(MapEvent{4, 2, true});
        f.m_MapData.SetMissionName({"第二章", "森の", "砦"});
        f.m_MapData.SetMapChip(2, 2, 1);
        f.BGMSet[9] = 12;
        f.m_nTurn = 5;
        f.IsInterMission = false;
        f.EventHandlerFlag[0] = true;
        f.EventHandlerFlag[199] = true;
        f.EventValue[49] = -8;
        AITroop t;
        t.MemberID = {1003, 1004};
        t.MoveList.push_back(AIMovePoint{0, 0, 0});
        f.m_AI.m_vTroop.push_back(t);
        f.m_AI.m_bDetected = true;
    }

    void ExpectSameField(C_FieldTaskInfo& a, C_FieldTaskInfo& b, bool withMessages) {
        ASSERT_EQ(b.m_PersonList.GetCount(), a.m_PersonList.GetCount());
        for (int i = 0; i < a.m_PersonList.GetCount(); ++i) {
            EXPECT_EQ(b.m_PersonList.m_vPerson[i].nID, a.m_PersonList.m_vPerson[i].nID);
            EXPECT_EQ(b.m_PersonList.m_vPerson[i].nHP, a.m_PersonList.m_vPerson[i].nHP);
            EXPECT_EQ(b.m_PersonList.m_vPerson[i].nCondition, a.m_PersonList.m_vPerson[i].nCondition);
            EXPECT_EQ(b.m_PersonList.m_vPerson[i].name, a.m_PersonList.m_vPerson[i].name);
        }
        ASSERT_EQ(b.m_UnitList.GetCount(), a.m_UnitList.GetCount());
        for (int u = 0; u < a.m_UnitList.GetCount(); ++u) {
            EXPECT_EQ(b.m_UnitList.m_vUnit[u].vnPerson, a.m_UnitList.m_vUnit[u].vnPerson);
            EXPECT_EQ(b.m_UnitList.GetX(u), a.m_UnitList.GetX(u));
            EXPECT_EQ(b.m_UnitList.GetCharge(u), a.m_UnitList.GetCharge(u));
        }
        EXPECT_EQ(b.m_UnitList.GetDefeatedCount(0, 2), 1);
        EXPECT_EQ(b.m_MapData.m_byMapChip, a.m_MapData.m_byMapChip);
        EXPECT_EQ(b.m_MapData.m_xSize, 4);
        EXPECT_EQ(b.m_MapData.m_ySize, 3);
        EXPECT_EQ(b.m_MapData.num_map, 2);
        ASSERT_EQ(b.m_MapData.GetSortiePositionCount(), 1);
        EXPECT_EQ(b.m_MapData.m_vnSortiePos[0].m_vHero.size(), 1u);
        EXPECT_EQ(b.m_MapData.m_vEvent.size(), 1u);
        EXPECT_EQ(b.m_MapData.MissionName[1], "森の砦");
        EXPECT_EQ(b.m_MapData.GetAnabasisRouteSize(0), 2);
        EXPECT_EQ(b.m_MapData.OperationMessage.size(), withMessages ? 1u : 0u);
        EXPECT_EQ(b.BGMSet[9], 12);
        EXPECT_EQ(b.m_nTurn, 5);
        EXPECT_FALSE(b.IsInterMission);
        EXPECT_TRUE(b.EventHandlerFlag[0]);
        EXPECT_TRUE(b.EventHandlerFlag[199]);
        EXPECT_FALSE(b.EventHandlerFlag[1]);
        EXPECT_EQ(b.EventValue[49], -8);
        ASSERT_EQ(b.m_AI.m_vTroop.size(), 1u);
        EXPECT_EQ(b.m_AI.m_vTroop[0].MemberID, (std::vector<int32_t>{1003, 1004}));
        EXPECT_TRUE(b.m_AI.m_bTroopsLoaded);
        // The unit list names its members in the loaded person list.
        EXPECT_EQ(b.m_UnitList.GetPersonList(), &b.m_PersonList);
        EXPECT_EQ(b.m_UnitList.GetMemberHP(1, 1), 4);
    }

    datatest::LogCapture log;
};

TEST_F(FieldStateTest, RecordKeysAndGroups) {
    C_FieldTaskInfo f;
    Fill(f);
    CStringMap a = f.Save();
    int bgm = 0, flags = 0, values = 0;
    for (const auto& [key, value] : a.GetMap()) {
        if (key.rfind("BGMSet", 0) == 0) ++bgm;
        if (key.rfind("EventHandlerFlag", 0) == 0) ++flags;
        if (key.rfind("EventValue", 0) == 0) ++values;
    }
    EXPECT_EQ(bgm, 10);
    EXPECT_EQ(flags, 200);
    EXPECT_EQ(values, 50);
    EXPECT_EQ(a.GetString("Person/nNextID", ""), "1004");
    EXPECT_EQ(a.GetString("Person/Person/ID", ""), "1001 1002 1003 1004 ");
    EXPECT_EQ(a.GetString("UnitData/OneUnitDataSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/m_byMapChip", ""), "0 1 0 0 1 1 0 0 0 0 1 1 ");
    EXPECT_EQ(a.GetString("MapData/OperationMessage0/DataVector1", ""), "全滅させるな");
    EXPECT_EQ(a.GetString("AI/NumTroopList", ""), "1");
    EXPECT_EQ(a.GetString("m_nTurn", ""), "5");
    EXPECT_EQ(a.GetString("IsInterMission", ""), "0");
    EXPECT_EQ(a.GetString("BGMSet0", ""), "0");
}

TEST_F(FieldStateTest, SaveAndLoadGiveTheSameField) {
    C_FieldTaskInfo f;
    Fill(f);
    C_FieldTaskInfo g;
    g.Load(f.Save());
    ExpectSameField(f, g, true);
    EXPECT_EQ(log.All(), "");
}

TEST_F(FieldStateTest, OnlyTheFlagsStoredAreSet) {
    C_FieldTaskInfo f;
    f.EventHandlerFlag[3] = true;
    CStringMap a;
    a.SetInt64("EventHandlerFlag7", 1);
    f.Load(a);
    for (int i = 0; i < kEventHandlerFlagCount; ++i) EXPECT_EQ(f.EventHandlerFlag[i], i == 7) << i;
    EXPECT_EQ(f.m_nTurn, 0);
    EXPECT_EQ(f.BGMSet[0], 0);
}

// The older record: persons one group each, the grid one key per element and no
// operation messages.
CStringMap ToVersion1(const CStringMap& current, const C_FieldTaskInfo& f) {
    CStringMap old;
    for (const auto& [key, value] : current.GetMap()) {
        if (key.rfind("Person/", 0) == 0 || key.rfind("MapData/OperationMessage", 0) == 0 ||
            key == "MapData/m_byMapChip")
            continue;
        old.SetString(key, value);
    }
    for (int i = 0; i < (int)f.m_MapData.m_byMapChip.size(); ++i)
        old.SetInt64("MapData/m_byMapChip" + std::to_string(i), f.m_MapData.m_byMapChip[i]);
    old.SetInt64("Person/nNextID", f.m_PersonList.nNextID);
    old.SetInt64("Person/NumPerson", f.m_PersonList.GetCount());
    for (int i = 0; i < f.m_PersonList.GetCount(); ++i) {
        const PersonRecord& p = f.m_PersonList.m_vPerson[i];
        std::string g = "Person/Person" + std::to_string(i) + "/";
        old.SetInt64(g + "ptype", p.typeID);
        old.SetInt64(g + "nLv", p.nLevel);
        old.SetInt64(g + "bFriend", p.bFriend);
        old.SetInt64(g + "bOperate", p.bOperate);
        old.SetInt64(g + "bForward", p.bForward);
        old.SetInt64(g + "ID", p.nID);
        old.SetInt64(g + "bExist", p.bExist);
        old.SetInt64(g + "nHP", p.nHP);
        old.SetInt64(g + "nMaxHP", p.nMaxHP);
        old.SetInt64(g + "nCondition", p.nCondition);
    }
    return old;
}

TEST_F(FieldStateTest, OlderRecordLoadsToTheSameFieldWithoutMessages) {
    C_FieldTaskInfo f;
    Fill(f);
    C_FieldTaskInfo g;
    g.LoadVersion1(ToVersion1(f.Save(), f));
    ExpectSameField(f, g, false);
    EXPECT_EQ(log.All(), "");
}

TEST_F(FieldStateTest, RestoreAfterALoadFollowsTheSaveVersion) {
    CPartyData party;
    C_FieldTaskInfo f;
    Fill(f);
    CArchiveManager& m = *CArchiveManager::GetInstance();
    m.ClearArchives();
    m.ClearCurrentArchive();
    m.SetArchive(PartyDataKey, CStringMap());
    m.SetArchive(FieldTaskInfoKey, f.Save());
    m.SetString(SaveFileChapterKey, "2");
    m.SetString(SaveFileDiffKey, "2");
    m.SetString(SaveFileTypeKey, FieldSave);
    ASSERT_TRUE(m.Save(0));
    ASSERT_TRUE(m.Load(0));
    C_FieldTaskInfo g;
    std::string kind;
    EXPECT_EQ(g.RestoreFromArchiveManager(m, &kind), 1);
    EXPECT_EQ(kind, "FieldSave");
    ExpectSameField(f, g, true);
    // The kind and the record are consumed: a second field scene starts afresh.
    EXPECT_FALSE(m.HasKey(SaveFileTypeKey));
    EXPECT_FALSE(m.HasArchive(FieldTaskInfoKey));
    C_FieldTaskInfo h;
    EXPECT_EQ(h.RestoreFromArchiveManager(m), 0);
}

TEST_F(FieldStateTest, AnUnknownVersionIsRejectedWithAMessage) {
    CArchiveManager& m = *CArchiveManager::GetInstance();
    C_FieldTaskInfo f;
    Fill(f);
    m.ClearArchives();
    m.ClearCurrentArchive();
    m.SetArchive(FieldTaskInfoKey, f.Save());
    m.SetString(SaveFileTypeKey, IntermissionSave);
    m.SetString(SaveFileVersion, "9");
    size_t boxes = plat::RecordedMessageBoxes().size();
    C_FieldTaskInfo g;
    g.m_nTurn = 3;
    EXPECT_EQ(g.RestoreFromArchiveManager(m), -1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(plat::RecordedMessageBoxes().back().text, "不正なセーブファイルです。");
    EXPECT_EQ(plat::RecordedMessageBoxes().back().caption, "エラー");
    EXPECT_EQ(g.m_nTurn, 3);
    EXPECT_EQ(g.m_PersonList.GetCount(), 0);
    // A field save that lacks its field record is rejected the same way.
    m.ClearArchives();
    m.SetString(SaveFileTypeKey, FieldSave);
    m.SetString(SaveFileVersion, "10");
    EXPECT_EQ(g.RestoreFromArchiveManager(m), -1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 2);
    EXPECT_EQ(plat::RecordedMessageBoxes().back().text, "不正なセーブファイルです。");
    EXPECT_EQ(g.m_nTurn, 3);
    boxes += 1;
    // A chapter save holds no field state.
    m.SetString(SaveFileTypeKey, ChapterSave);
    EXPECT_EQ(g.RestoreFromArchiveManager(m), 0);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
}

TEST_F(FieldStateTest, ResetForANewMap) {
    CPartyData party;
    C_FieldTaskInfo f;
    f.m_pPartyData = &party;
    f.m_nTurn = 4;
    f.m_nExitState = 2;
    f.m_fCameraX = 3.5f;
    f.EventHandlerFlag[10] = true;
    f.EventValue[3] = 9;
    party.nMap = 10;
    f.m_AI.m_bDetected = false;
    f.Reset();
    EXPECT_EQ(f.m_nTurn, 0);
    EXPECT_EQ(f.m_nExitState, 0);
    EXPECT_EQ(f.m_fCameraX, 0.0f);
    EXPECT_EQ(f.m_nHoverX, 0);
    EXPECT_TRUE(f.m_bPlayerPhase);
    EXPECT_TRUE(f.IsInterMission);
    EXPECT_FALSE(f.EventHandlerFlag[10]);
    EXPECT_EQ(f.EventValue[3], 0);
    EXPECT_TRUE(f.m_AI.m_bUseView);
    EXPECT_FALSE(f.m_AI.m_bDetected);
    party.nMap = 11;
    f.Reset();
    EXPECT_FALSE(f.m_AI.m_bUseView);
    EXPECT_TRUE(f.m_AI.m_bDetected);
}

TEST_F(FieldStateTest, TutorialInputSwitch) {
    C_FieldTaskInfo f;
    CInputManagerDummy_forTutorial real;
    f.SetInputManager(&real);
    EXPECT_EQ(f.BGMSet[0], 1);
    EXPECT_EQ(f.BGMSet[1], 2);
    EXPECT_EQ(f.GetInputManager(), &real);
    f.m_bTutorialInput = true;
    IInputManager* in = f.GetInputManager();
    EXPECT_EQ(in, &f.m_TutorialInput);
    EXPECT_EQ(in->GetX(), 320);
    EXPECT_EQ(in->GetY(), 240);
    f.m_TutorialInput.SetState(100, 50, 1, 0);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_TRUE(in->IsLButtonDown());
        EXPECT_TRUE(in->IsLButtonPush());
        EXPECT_FALSE(in->IsRButtonPush());
        EXPECT_FALSE(in->IsMButtonPush());
        EXPECT_FALSE(in->IsPush(0));
        EXPECT_FALSE(in->IsPress(5));
    }
    int x = 0, y = 0;
    in->GetXY(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    in->Update();
    EXPECT_FALSE(in->IsLButtonPush());
    EXPECT_TRUE(in->IsLButtonDown());
    EXPECT_EQ(in->GetKey(), nullptr);
    f.m_bTutorialInput = false;
    EXPECT_EQ(f.GetInputManager(), &real);
}

TEST_F(FieldStateTest, RecoverConditionsUsesTheGlobalGenerator) {
    C_FieldTaskInfo f;
    for (int i = 0; i < 40; ++i) f.m_PersonList.AddPerson(PersonRecord::CreateFromType(1, 3, 1, 1, 1, 0));
    for (PersonRecord& p : f.m_PersonList.m_vPerson) {
        p.nCondition = 0x1F;  // conditions 1 to 5
        p.nMP = 0;
    }
    g_Rand.SetSeed(1234);
    // The same draws, made by hand.
    CRand copy = g_Rand;
    std::vector<uint16_t> expected;
    for (const PersonRecord& p : f.m_PersonList.m_vPerson) {
        uint16_t c = p.nCondition;
        for (int k = 1; k <= 4; ++k)
            if (copy.Get() % 100 < 30) c &= static_cast<uint16_t>(~(1u << (k - 1)));
        expected.push_back(c);
    }
    f.RecoverConditions();
    int cleared = 0;
    for (int i = 0; i < f.m_PersonList.GetCount(); ++i) {
        const PersonRecord& p = f.m_PersonList.m_vPerson[i];
        EXPECT_EQ(p.nCondition, expected[i]) << i;
        EXPECT_TRUE(p.nCondition & 0x10);  // condition 5 never wears off here
        EXPECT_EQ(p.nMP, std::min(2, p.nMaxMP));
        cleared += __builtin_popcount(0xF & ~p.nCondition);
    }
    EXPECT_GT(cleared, 20);
    EXPECT_LT(cleared, 80);
}

TEST_F(FieldStateTest, FindUnitByPersonType) {
    C_FieldTaskInfo f;
    for (int i = 0; i < 6; ++i) f.m_PersonList.AddPerson(PersonRecord::CreateFromType(1, 1, 1, 1, 1, 0));
    f.m_PersonList.m_vPerson[5].typeID = 9;
    f.m_UnitList.AddUnit(0);
    f.m_UnitList.AddUnit(1);
    int u = f.m_UnitList.AddUnit(2);
    f.m_UnitList.AddMember(u, 5);
    EXPECT_EQ(f.FindUnitByPersonType(9), 2);
    EXPECT_EQ(f.FindUnitByPersonType(1), 0);
    EXPECT_EQ(f.FindUnitByPersonType(4), -1);
}

}  // namespace
