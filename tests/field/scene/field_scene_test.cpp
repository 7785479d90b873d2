// The field scene: a new chapter's field, the two kinds of save it takes over, the
// saves it refuses, a missing or empty map file, the "FieldInitialize" flags and
// the exit states.
#include <gtest/gtest.h>

#include "../field_test_util.h"
#include "FieldScene.h"
#include "ScenarioScript.h"
#include "archive/gvlStringMap.h"
#include "save/ArchiveManager.h"
#include "scene/SceneBase.h"
#include "system.h"

namespace {

using fieldtest::GameFolder;

class FieldSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        CArchiveManager::DestroyInstance();
        party.Reset();
    }
    void TearDown() override { CArchiveManager::DestroyInstance(); }

    // A field save of the given kind and version holding `record`.
    void PutSave(const char* type, const char* version, const CStringMap& record) {
        CArchiveManager::CreateInstance();
        CArchiveManager* m = CArchiveManager::GetInstance();
        m->ClearArchives();
        m->ClearCurrentArchive();
        m->SetString(SaveFileTypeKey, type);
        m->SetString(SaveFileVersion, version);
        m->SetArchive(FieldTaskInfoKey, record);
    }
    int UnitsOfANewField() {
        C_FieldScene fresh(&party);
        return fresh.GetFieldInfo().m_UnitList.GetCount();
    }
    size_t Boxes() const { return plat::RecordedMessageBoxes().size(); }

    GameFolder folder;
    CPartyData party;
};

TEST_F(FieldSceneTest, ANewChapterShowsItsMapWithItsUnits) {
    C_FieldScene scene(&party);
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    EXPECT_FALSE(scene.IsMapMissing());
    EXPECT_EQ(scene.GetSaveType(), "");
    EXPECT_EQ(scene.GetRestoreResult(), 0);
    EXPECT_EQ(info.m_MapData.m_xSize, 16);
    EXPECT_EQ(info.m_MapData.m_ySize, 12);
    EXPECT_EQ(info.m_vbRangeCell.size(), 192u);
    EXPECT_EQ(info.m_pTaskController, &scene.GetTaskController());
    EXPECT_EQ(info.m_pPartyData, &party);
    EXPECT_EQ(info.BGMSet[1], 2);
    EXPECT_GE(info.m_UnitList.GetCount(), 3);  // the mission's units of map 0
    for (int u = 0; u < info.m_UnitList.GetCount(); ++u)
        EXPECT_TRUE(info.IsValidCell(info.m_UnitList.GetX(u), info.m_UnitList.GetY(u)));
    // The camera rests on a unit of the player's side.
    const int focus = info.m_UnitList.FindUnitAt(int(info.m_fCameraX), int(info.m_fCameraY));
    ASSERT_GE(focus, 0);
    EXPECT_TRUE(info.m_UnitList.IsFriend(focus));
    EXPECT_TRUE(scene.GetTaskController().HasTask(201));  // the sortie preparation
    EXPECT_TRUE(scene.GetTaskController().HasTask(701));  // the minimap pictures
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(scene.Update(), -1);
        scene.Draw();
    }
}

TEST_F(FieldSceneTest, AFieldSaveResumesInThePlayersPhaseAndItsKindIsConsumed) {
    CStringMap record;
    int savedUnits = 0;
    {
        C_FieldScene first(&party);
        C_FieldTaskInfo& info = first.GetFieldInfo();
        info.m_UnitList.SetUnitPosition(0, 1, 1);
        info.m_nTurn = 4;
        info.IsInterMission = false;
        info.EventValue[7] = 99;
        savedUnits = info.m_UnitList.GetCount();
        record = info.Save();
    }
    PutSave(FieldSave, "10", record);
    {
        C_FieldScene scene(&party);
        C_FieldTaskInfo& info = scene.GetFieldInfo();
        EXPECT_EQ(scene.GetSaveType(), FieldSave);
        EXPECT_EQ(scene.GetRestoreResult(), 1);
        EXPECT_TRUE(info.m_bRestoredFromSave);
        EXPECT_EQ(info.m_nTurn, 4);
        EXPECT_EQ(info.EventValue[7], 99);
        EXPECT_EQ(info.m_UnitList.GetCount(), savedUnits);
        EXPECT_EQ(info.m_UnitList.GetX(0), 1);
        EXPECT_EQ(info.m_vbRangeCell.size(), 192u);
        EXPECT_TRUE(scene.GetTaskController().HasTask(2));
        EXPECT_TRUE(scene.GetTaskController().HasTask(104));
        EXPECT_FALSE(scene.GetTaskController().HasTask(201));
        EXPECT_EQ(scene.Update(), -1);
    }
    // The kind was read with erase: the next field is a new chapter.
    C_FieldScene again(&party);
    EXPECT_EQ(again.GetSaveType(), "");
    EXPECT_EQ(again.GetFieldInfo().m_nTurn, 0);
}

// A field save that carries the between-missions mark (the game never writes one)
// resumes with the mark cleared: a right click on an empty cell opens the field menu
// instead of ending the map view.
TEST_F(FieldSceneTest, AFieldSaveMarkedAsBetweenMissionsResumesAsAFieldSave) {
    CStringMap record;
    {
        C_FieldScene first(&party);
        first.GetFieldInfo().IsInterMission = true;
        record = first.GetFieldInfo().Save();
    }
    PutSave(FieldSave, "10", record);
    C_FieldScene scene(&party);
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    ASSERT_EQ(scene.GetRestoreResult(), 1);
    EXPECT_FALSE(info.IsInterMission);
    fieldtest::TestInput input;
    info.SetInputManager(&input);
    int emptyX = -1, emptyY = -1;
    for (int c = 0; c < 192 && emptyX < 0; ++c)
        if (info.m_UnitList.FindUnitAt(c % 16, c / 16) < 0) emptyX = c % 16, emptyY = c / 16;
    info.m_fCameraX = float(emptyX);
    info.m_fCameraY = float(emptyY);
    input.Move(info.GetScreenX(float(emptyX), float(emptyY)), info.GetScreenY(float(emptyX), float(emptyY)) + 28);
    for (int i = 0; i < 3; ++i) scene.Update();
    input.rightPush = true;
    for (int i = 0; i < 3; ++i) {
        scene.Update();
        input.Step();
    }
    EXPECT_TRUE(scene.GetTaskController().HasTask(2));   // the map is still shown
    EXPECT_TRUE(scene.GetTaskController().HasTask(22));  // the field menu
    info.SetInputManager(nullptr);
}

TEST_F(FieldSceneTest, APreparationSaveKeepsItsUnitsWithoutAddingTheMissionsAgain) {
    CStringMap record;
    int savedUnits = 0;
    {
        C_FieldScene first(&party);
        C_FieldTaskInfo& info = first.GetFieldInfo();
        info.m_UnitList.RemoveUnit(0);
        info.IsInterMission = true;
        savedUnits = info.m_UnitList.GetCount();
        record = info.Save();
    }
    PutSave(IntermissionSave, "10", record);
    C_FieldScene scene(&party);
    EXPECT_EQ(scene.GetSaveType(), IntermissionSave);
    EXPECT_EQ(scene.GetRestoreResult(), 1);
    EXPECT_EQ(scene.GetFieldInfo().m_UnitList.GetCount(), savedUnits);
    EXPECT_EQ(scene.Update(), -1);
}

TEST_F(FieldSceneTest, ASaveOfAnUnknownVersionIsRefusedOnceAndTheChapterStartsAfresh) {
    const int fresh = UnitsOfANewField();
    CStringMap record;
    {
        C_FieldScene first(&party);
        first.GetFieldInfo().m_UnitList.RemoveUnit(0);
        first.GetFieldInfo().m_nTurn = 9;
        record = first.GetFieldInfo().Save();
    }
    PutSave(FieldSave, "7", record);
    const size_t boxes = Boxes();
    C_FieldScene scene(&party);
    ASSERT_EQ(Boxes(), boxes + 1);
    EXPECT_EQ(plat::RecordedMessageBoxes().back().text, "不正なセーブファイルです。");
    EXPECT_EQ(plat::RecordedMessageBoxes().back().caption, "エラー");
    EXPECT_EQ(scene.GetRestoreResult(), -1);
    EXPECT_EQ(scene.GetFieldInfo().m_nTurn, 0);
    EXPECT_EQ(scene.GetFieldInfo().m_UnitList.GetCount(), fresh);
    EXPECT_FALSE(scene.GetFieldInfo().m_bRestoredFromSave);
    EXPECT_EQ(scene.Update(), -1);
}

TEST_F(FieldSceneTest, ARecordThatDoesNotHoldTogetherIsRefused) {
    const int fresh = UnitsOfANewField();
    struct Damage {
        const char* what;
        void (*apply)(C_FieldTaskInfo&);
    } damages[] = {
        {"a unit off the map", [](C_FieldTaskInfo& i) { i.m_UnitList.SetUnitPosition(0, 40, 3); }},
        {"a member that is no person", [](C_FieldTaskInfo& i) { i.m_UnitList.m_vUnit[0].vnPerson[0] = 500; }},
        {"a grid shorter than its size", [](C_FieldTaskInfo& i) { i.m_MapData.m_byMapChip.resize(10); }},
    };
    for (const Damage& d : damages) {
        CStringMap record;
        {
            C_FieldScene first(&party);
            d.apply(first.GetFieldInfo());
            record = first.GetFieldInfo().Save();
        }
        PutSave(FieldSave, "10", record);
        const size_t boxes = Boxes();
        C_FieldScene scene(&party);
        EXPECT_EQ(Boxes(), boxes + 1) << d.what;
        EXPECT_EQ(scene.GetRestoreResult(), -1) << d.what;
        EXPECT_EQ(scene.GetFieldInfo().m_UnitList.GetCount(), fresh) << d.what;
        EXPECT_EQ(scene.GetFieldInfo().m_MapData.m_byMapChip.size(), 192u) << d.what;
        EXPECT_EQ(scene.Update(), -1) << d.what;
        scene.Draw();
    }
}

TEST_F(FieldSceneTest, FieldInitializeSectionsRunAgainAfterALoad) {
    C_ScenarioScript script;
    script.LoadChapter(0);
    int section = -1;
    for (size_t i = 0; i < script.GetSections().size(); ++i)
        if (script.GetSections()[i].nTriggerID == kTriggerFieldInitialize) section = int(i);
    ASSERT_GE(section, 0);
    CStringMap record;
    {
        C_FieldScene first(&party);
        first.GetFieldInfo().EventHandlerFlag[section] = true;
        first.GetFieldInfo().EventHandlerFlag[199] = true;
        record = first.GetFieldInfo().Save();
    }
    PutSave(FieldSave, "10", record);
    C_FieldScene scene(&party);
    ASSERT_EQ(scene.GetRestoreResult(), 1);
    EXPECT_TRUE(scene.GetFieldInfo().EventHandlerFlag[199]);
    // Cleared before the section ran; the runner sets it again once it has run.
    EXPECT_LT(scene.GetInitializePasses(), C_FieldScene::kMaxInitializePasses);
}

TEST_F(FieldSceneTest, AMissingOrEmptyMapFileIsAClearErrorAndLeadsBackToTheTitle) {
    GameFolder own({"map"});
    own.Write("map/map28.csv", "");
    for (int map : {28, 29}) {
        party.nMap = map;
        const size_t boxes = Boxes();
        C_FieldScene scene(&party);
        EXPECT_TRUE(scene.IsMapMissing());
        ASSERT_EQ(Boxes(), boxes + 1);
        EXPECT_NE(plat::RecordedMessageBoxes().back().text.find(CMapData::MapFileName(map)), std::string::npos);
        scene.Draw();
        EXPECT_EQ(scene.Update(), kSceneTitle);
    }
}

TEST_F(FieldSceneTest, ShortRowsAndUnknownChipsAreLoggedAndTheFieldStillRuns) {
    GameFolder own({"map"});
    own.Write("map/map27.csv", "0,0,0,0,0\r\n0,250,0\r\n0,0,0,0,0\r\n0,0,0,0,0\r\n");
    party.nMap = 27;
    C_FieldScene scene(&party);
    EXPECT_FALSE(scene.IsMapMissing());
    EXPECT_EQ(scene.GetFieldInfo().m_MapData.m_xSize, 5);
    EXPECT_EQ(scene.GetFieldInfo().m_MapData.m_ySize, 4);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(scene.Update(), -1);
        scene.Draw();
    }
    const std::string log = own.ErrorLog();
    EXPECT_NE(log.find("250"), std::string::npos);
}

TEST_F(FieldSceneTest, TheExitStateNamesTheNextScene) {
    struct Case {
        int state, map, next;
        bool restored;
    } cases[] = {
        {0, 3, -1, false}, {1, 30, kSceneSave, false},     {1, 31, kSceneTutorial, false},
        {1, 34, kSceneTutorial, false}, {1, 35, kSceneSave, false}, {2, 3, kSceneTitle, true},
        {5, 3, kSceneEnding, false},     {3, 3, -1, false},
    };
    for (const Case& c : cases) {
        party.Reset();
        party.nMoney = 10;
        party.Backup();
        party.nMoney = 500;
        party.nMap = c.map;
        EXPECT_EQ(C_FieldScene::ExitStateToScene(c.state, &party), c.next) << c.state << " " << c.map;
        EXPECT_EQ(party.nMoney, c.restored ? 10 : 500) << c.state;
    }
    // Through the scene: a won map of the field leads to the save scene.
    party.Reset();
    C_FieldScene scene(&party);
    scene.GetFieldInfo().m_nExitState = 1;
    EXPECT_EQ(scene.Update(), kSceneSave);
}

}  // namespace
