// The scenes between start-up and the field: loading and the preload, the title and
// its menu, story, save between chapters, tutorial topics and the ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "PartyData.h"
#include "PersonData.h"
#include "scene/EndingScene.h"
#include "scene/LoadingScene.h"
#include "scene/SaveScene.h"
#include "scene/SceneControler.h"
#include "scene/StoryScene.h"
#include "scene/TitleScene.h"
#include "scene/TutorialScene.h"
#include "scene_fixture.h"
#include "system.h"

namespace {

// ---- loading --------------------------------------------------------------------------

using LoadingSceneTest = SceneTest;

TEST_F(LoadingSceneTest, TenFramesThenTheTitleWithEverythingLoaded) {
    CPartyData party;
    C_LoadingScene scene(&party);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(scene.Update(), -1) << "frame " << i;
        scene.Draw();
    }
    EXPECT_EQ(scene.Update(), kSceneTitle);
    EXPECT_TRUE(g_GlobalPreloadData.GetFailures().empty());
    CPreloadBlock* b = g_GlobalPreloadData.GetBlock();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->UnitMesh[0].IsLoaded());
    EXPECT_FALSE(b->UnitMesh[4].IsLoaded());  // no mesh for index 4
    EXPECT_TRUE(b->UnitMesh[16].IsLoaded());
    EXPECT_TRUE(b->EffectMesh[3].IsLoaded());
    EXPECT_FALSE(b->EffectMesh[4].IsLoaded());
    EXPECT_TRUE(b->FieldBGMesh[1].IsLoaded());
    EXPECT_FALSE(b->FieldGroundMesh[2].IsLoaded());
    EXPECT_EQ(b->TextureCache.GetCount(), 22u);
    EXPECT_GT(b->KeyframeTable.GetRowCount(), 1);
    EXPECT_EQ(b->KeyframeTable.GetCell(0, 1), "length");
    EXPECT_TRUE(g_GlobalResources.IsLoaded());
}

TEST_F(LoadingSceneTest, ScreenBrightensWithTheCounter) {
    CPartyData party;
    C_LoadingScene scene(&party);
    scene.Update();
    Clear();
    scene.Draw();
    EndSpriteBatch();
    EXPECT_EQ(g_pD3DDevice->BackBuffer()[0], 0xFF191919u);  // 25
    for (int i = 0; i < 4; ++i) scene.Update();
    Clear();
    scene.Draw();
    EXPECT_TRUE(Matches("loading_5"));
    EXPECT_EQ(g_pD3DDevice->BackBuffer()[0], 0xFF7F7F7Fu);  // 127
}

// The words read all through the fade: in every frame their region holds both light
// and dark pixels, on the black screen of the first frame and on the white of the last.
TEST_F(LoadingSceneTest, TheWordsReadThroughTheWholeFade) {
    CPartyData party;
    C_LoadingScene scene(&party);
    for (int frame = 1; frame <= 10; ++frame) {
        scene.Update();
        Clear();
        scene.Draw();
        EndSpriteBatch();
        int light = 0, dark = 0;
        for (int y = 442; y < 482 && y < 480; ++y)
            for (int x = 365; x < 640; ++x) {
                const uint32_t p = g_pD3DDevice->BackBuffer()[size_t(y) * 640 + x];
                const int lum = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
                light += lum > 220;
                dark += lum < 70;
            }
        EXPECT_GT(light, 200) << "frame " << frame;
        EXPECT_GT(dark, 200) << "frame " << frame;
    }
}

TEST_F(LoadingSceneTest, TextureCacheFindsBaseNamesInAnyCase) {
    CPartyData party;
    C_LoadingScene scene(&party);
    for (int i = 0; i < 10; ++i) scene.Update();
    const CTextureCache& cache = g_GlobalPreloadData.GetBlock()->TextureCache;
    CD3DDrawTexture* t = cache.Find("damagecircle");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(cache.Find("DamageCircle"), t);
    EXPECT_EQ(cache.Find("DAMAGECIRCLE"), t);
    EXPECT_EQ(cache.Find("DamageCircle.png"), nullptr);
    EXPECT_EQ(cache.Find("model\\DamageCircle"), nullptr);
    EXPECT_NE(cache.Find("DamageNumber"), nullptr);
    EXPECT_EQ(CTextureCache::KeyOf("model\\LensFlare2.png"), "lensflare2");
    EXPECT_EQ(CTextureCache::KeyOf("a.b\\c.tar.png"), "c.tar");
}

TEST_F(LoadingSceneTest, ReleaseTwiceReleasesOnce) {
    CGlobalPreloadData data;
    data.Load(1);
    ASSERT_NE(data.GetBlock(), nullptr);
    data.Load(2);
    data.Release();
    EXPECT_EQ(data.GetBlock(), nullptr);
    data.Release();
    EXPECT_EQ(data.GetBlock(), nullptr);
}

TEST_F(LoadingSceneTest, StepsWithoutTheBlockAreLoggedNotFatal) {
    CGlobalPreloadData data;
    data.Load(2);
    data.Load(3);
    EXPECT_EQ(data.GetBlock(), nullptr);
}

// A game folder without one mesh and one effect picture.
class LoadingWithMissingFiles : public SceneTest {
protected:
    std::set<std::string> LeftOut() const override { return {"knight.x", "Thunder1.png"}; }
};

TEST_F(LoadingWithMissingFiles, NamesWhatIsMissingAndEndsTheProgram) {
    CPartyData party;
    C_LoadingScene scene(&party);
    const size_t boxes = plat::RecordedMessageBoxes().size();
    int result = -1;
    for (int i = 0; i < 10; ++i) result = scene.Update();
    EXPECT_EQ(result, kSceneExit);
    EXPECT_EQ(g_GlobalPreloadData.GetFailures(),
              (std::vector<std::string>{"model\\Thunder1.png", "model\\knight.x"}));
    EXPECT_EQ(g_GlobalPreloadData.GetBlock()->TextureCache.Find("thunder1"), nullptr);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
    const std::string text = plat::RecordedMessageBoxes().back().text;
    EXPECT_NE(text.find("model\\knight.x"), std::string::npos) << text;
    EXPECT_NE(text.find("model\\Thunder1.png"), std::string::npos) << text;
}

// ---- title ----------------------------------------------------------------------------

using TitleSceneTest = SceneTest;

TEST_F(TitleSceneTest, LogoWaitsThirtyOneFramesThenTheOpeningRunsInTheSamePass) {
    CPartyData party;
    party.nMap = 5;
    C_TitleScene scene(&party);
    EXPECT_EQ(party.nMap, 0);  // a new game's party
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(scene.Update(), -1);
        ASSERT_EQ(scene.GetTaskController().GetTaskCount(), 1);
        EXPECT_NE(dynamic_cast<C_TaskRVTLogo*>(scene.GetTaskController().GetTasks().front()), nullptr);
    }
    scene.Update();
    ASSERT_EQ(scene.GetTaskController().GetTaskCount(), 1);
    auto* opening = dynamic_cast<C_TaskEventScript*>(scene.GetTaskController().GetTasks().front());
    ASSERT_NE(opening, nullptr);
    EXPECT_EQ(opening->GetPriority(), 10);
    EXPECT_EQ(opening->m_Script.GetSectionFrame(), 1);  // its first update ran in the logo's pass
}

class TitleMenuTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        info_.pTaskController = &controller_;
        info_.pInputManager = &in_;
        info_.nExitCode = kTitleExitNone;
        in_.Move(10, 10);
        menu_ = new C_TaskTitleMenu;
        controller_.AddTask(menu_, kPriorityTitleMenu);
    }
    void Frame() {
        controller_.Update(static_cast<C_TitleTaskInfo*>(&info_));
        controller_.Draw(static_cast<C_TitleTaskInfo*>(&info_));
        in_.Step();
    }
    void ClickAt(int x, int y) {
        in_.Move(x, y);
        in_.ClickLeft();
        Frame();
    }
    C_TaskController controller_;
    C_TitleSceneInfo info_;
    C_TaskTitleMenu* menu_ = nullptr;
};

TEST_F(TitleMenuTest, HoverRegions) {
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(480, 270), 0);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(579, 301), 0);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(580, 280), -1);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(500, 302), -1);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(609, 346), 1);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(440, 360), 2);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(420, 436), 3);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(500, 420), -1);
    EXPECT_EQ(C_TaskTitleMenu::ItemAt(0, 0), -1);
}

TEST_F(TitleMenuTest, FirstUpdateClickIsIgnored) {
    ClickAt(520, 285);
    EXPECT_EQ(info_.nExitCode, kTitleExitNone);
    EXPECT_EQ(menu_->m_nHover, 0);
    ClickAt(520, 285);
    EXPECT_EQ(info_.nExitCode, kTitleExitNewGame);
}

TEST_F(TitleMenuTest, APressAtTheRestingPointerTakesTheItemUnderIt) {
    // The pointer rests over an item where it was when the menu appeared: nothing is
    // highlighted until it moves, but a press counts where it happens.
    C_TaskController controller;
    C_TitleSceneInfo info;
    info.pTaskController = &controller;
    info.pInputManager = &in_;
    info.nExitCode = kTitleExitNone;
    in_.Move(450, 420);
    auto* menu = new C_TaskTitleMenu;
    controller.AddTask(menu, kPriorityTitleMenu);
    controller.Update(static_cast<C_TitleTaskInfo*>(&info));
    controller.Update(static_cast<C_TitleTaskInfo*>(&info));
    EXPECT_EQ(menu->m_nHover, -1);
    in_.ClickLeft();
    controller.Update(static_cast<C_TitleTaskInfo*>(&info));
    EXPECT_EQ(menu->m_nHover, 3);
    EXPECT_EQ(info.nExitCode, kTitleExitQuit);
}

TEST_F(TitleMenuTest, TutorialAndQuit) {
    Frame();
    ClickAt(450, 370);
    EXPECT_EQ(info_.nExitCode, kTitleExitTutorial);
    info_.nExitCode = kTitleExitNone;
    ClickAt(450, 420);
    EXPECT_EQ(info_.nExitCode, kTitleExitQuit);
}

TEST_F(TitleMenuTest, CancellingTheSlotWindowLoadsNothing) {
    Frame();
    ClickAt(500, 330);
    EXPECT_TRUE(menu_->m_bLoadWindow);
    EXPECT_TRUE(menu_->m_ArchiveWindow.m_bShow);
    EXPECT_EQ(menu_->m_ArchiveWindow.m_nMode, 1);
    in_.ClickRight();
    Frame();
    EXPECT_FALSE(menu_->m_bLoadWindow);
    EXPECT_EQ(info_.nExitCode, kTitleExitNone);
    ClickAt(520, 285);  // the menu takes clicks again
    EXPECT_EQ(info_.nExitCode, kTitleExitNewGame);
}

// Writes a chapter save of the party into a slot.
void WriteChapterSave(int slot, CPartyData& party) {
    CArchiveManager* m = CArchiveManager::GetInstance();
    m->ClearArchives();
    m->ClearCurrentArchive();
    m->SetArchive(PartyDataKey, party.Save());
    m->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    m->SetString(SaveFileDiffKey, "2");
    m->SetString(SaveFileTypeKey, ChapterSave);
    ASSERT_TRUE(m->Save(slot));
}

TEST_F(TitleMenuTest, LoadingAChapterSave) {
    CPartyData party;
    party.Reset();
    party.nMap = 3;
    party.nMoney = 777;
    WriteChapterSave(2, party);
    Frame();
    ClickAt(500, 330);  // load
    Frame();            // the slot rows are built by the first draw
    ClickAt(320, 100 + 65 * 2);
    EXPECT_EQ(info_.nExitCode, kTitleExitLoad);
    EXPECT_FALSE(info_.bRestart);
    EXPECT_TRUE(CArchiveManager::GetInstance()->HasArchive(PartyDataKey));
}

// A save file removed while the title shows: the slot window, opened again, shows
// that slot empty and choosing it loads nothing.
TEST_F(TitleMenuTest, ASaveFileThatWentAwayLeavesItsSlotEmpty) {
    CPartyData party;
    party.Reset();
    WriteChapterSave(1, party);
    Frame();
    ClickAt(500, 330);  // load
    Frame();
    EXPECT_TRUE(menu_->m_ArchiveWindow.m_bUsed[1]);
    in_.ClickRight();
    Frame();
    std::remove("Save1.dat");
    const size_t boxes = plat::RecordedMessageBoxes().size();
    ClickAt(500, 330);
    Frame();
    EXPECT_FALSE(menu_->m_ArchiveWindow.m_bUsed[1]);
    ClickAt(320, 100 + 65);
    EXPECT_EQ(info_.nExitCode, kTitleExitNone);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes);
}

TEST_F(TitleMenuTest, DamagedSlotShowsTheMessageAndStaysOnTheTitle) {
    CPartyData party;
    party.Reset();
    WriteChapterSave(0, party);
    {
        std::ofstream f("Save0.dat", std::ios::binary | std::ios::trunc);
        f << '\x0A' << "\x01\x02\x03 broken";
    }
    const size_t boxes = plat::RecordedMessageBoxes().size();
    Frame();
    ClickAt(500, 330);
    Frame();
    ClickAt(320, 100);
    EXPECT_EQ(info_.nExitCode, kTitleExitNone);
    EXPECT_FALSE(menu_->m_bLoadWindow);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(plat::RecordedMessageBoxes().back().text, "不正なセーブファイルです。");
    ClickAt(450, 420);  // the menu still answers
    EXPECT_EQ(info_.nExitCode, kTitleExitQuit);
}

// A damaged slot is named in the log once, however often the load window is opened,
// and again once its file has changed.
TEST_F(TitleMenuTest, ADamagedSlotIsLoggedOncePerFile) {
    auto damage = [](const char* bytes) { std::ofstream("Save4.dat", std::ios::binary | std::ios::trunc) << bytes; };
    auto logged = [] {
        std::ifstream in("ErrorLog.txt", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t n = 0;
        for (size_t at = text.find("File 5 のセーブファイルは壊れている"); at != std::string::npos;
             at = text.find("File 5 のセーブファイルは壊れている", at + 1))
            ++n;
        return n;
    };
    auto openAndClose = [&] {
        ClickAt(500, 330);  // load
        Frame();            // the rows are built
        in_.ClickRight();
        Frame();
    };
    damage("\x0A\x01\x02 broken");
    Frame();
    openAndClose();
    openAndClose();
    EXPECT_EQ(logged(), 1u);
    damage("\x0A\x05\x06 broken again");
    openAndClose();
    openAndClose();
    EXPECT_EQ(logged(), 2u);
}

class TitleSceneRouting : public SceneTest {
protected:
    void TearDown() override {
        C_SceneControler::RegisterScene(kSceneField, saved_field_);
        SceneTest::TearDown();
    }
    // The archive manager holding a save of `type` with the party at map 4 (backup at 2).
    void PrepareLoad(const char* type) {
        CPartyData p;
        p.Reset();
        p.nMap = 2;
        p.Backup();
        p.nMap = 4;
        CArchiveManager* m = CArchiveManager::GetInstance();
        m->ClearArchives();
        m->ClearCurrentArchive();
        m->SetArchive(PartyDataKey, p.Save());
        m->SetString(SaveFileTypeKey, type);
    }
    int Route(bool restart) {
        CPartyData party;
        C_TitleScene scene(&party);
        scene.GetInfo().nExitCode = kTitleExitLoad;
        scene.GetInfo().bRestart = restart;
        int next = scene.Update();
        map_ = party.nMap;
        return next;
    }
    C_SceneControler::SceneCreator saved_field_ = C_SceneControler::FindScene(kSceneField);
    int map_ = -1;
};

C_SceneBase* StandInField(CPartyData*) { return nullptr; }

TEST_F(TitleSceneRouting, ChapterSaveGoesToTheStory) {
    PrepareLoad(ChapterSave);
    EXPECT_EQ(Route(false), kSceneStory);
    EXPECT_EQ(map_, 4);
}

TEST_F(TitleSceneRouting, FieldSavesGoToTheFieldUnlessRestarted) {
    C_SceneControler::RegisterScene(kSceneField, &StandInField);
    PrepareLoad(FieldSave);
    EXPECT_EQ(Route(false), kSceneField);
    PrepareLoad(IntermissionSave);
    EXPECT_EQ(Route(false), kSceneField);
    PrepareLoad(FieldSave);
    EXPECT_EQ(Route(true), kSceneStory);
    EXPECT_EQ(map_, 2);  // the backup party
    EXPECT_FALSE(CArchiveManager::GetInstance()->HasKey(SaveFileTypeKey));
}

TEST_F(TitleSceneRouting, FieldSaveWithoutAFieldSceneRestartsTheChapter) {
    C_SceneControler::RegisterScene(kSceneField, nullptr);
    PrepareLoad(FieldSave);
    EXPECT_EQ(Route(false), kSceneStory);
    EXPECT_EQ(map_, 2);
}

TEST_F(TitleSceneRouting, OtherExitCodes) {
    CPartyData party;
    C_TitleScene scene(&party);
    scene.GetInfo().nExitCode = kTitleExitNewGame;
    EXPECT_EQ(scene.Update(), kSceneStory);
    scene.GetInfo().nExitCode = kTitleExitTutorial;
    EXPECT_EQ(scene.Update(), kSceneTutorial);
    scene.GetInfo().nExitCode = kTitleExitQuit;
    EXPECT_EQ(scene.Update(), kSceneExit);
}

// Saves made elsewhere, loaded from the title's slot window as a player loads them: a
// difficulty outside 1 to 5 is held at the nearest end, a kind the title does not continue
// on the field starts the saved chapter's story, and a save whose header and party
// disagree is still refused.
class TitleLoadRouting : public TitleMenuTest {
protected:
    void TearDown() override {
        C_SceneControler::RegisterScene(kSceneField, saved_field_);
        TitleMenuTest::TearDown();
    }
    C_SceneControler::SceneCreator saved_field_ = C_SceneControler::FindScene(kSceneField);
};

TEST_F(TitleLoadRouting, SavesMadeElsewhereLoadWithTheirDifficultyClamped) {
    C_SceneControler::RegisterScene(kSceneField, &StandInField);
    constexpr int kRefused = -1;
    struct Case {
        const char* kind;
        int header, party, backup;
        int scene, difficulty;
    };
    const Case cases[] = {
        {FieldSave, 99, 99, 99, kSceneField, 5},  {FieldSave, 9, 9, 9, kSceneField, 5},
        {FieldSave, 0, 0, 0, kSceneField, 1},     {FieldSave, -1, -1, -1, kSceneField, 1},
        {"Bogus", 3, 3, 3, kSceneStory, 3},       {ChapterSave, 4, 4, 4, kSceneStory, 4},
        {IntermissionSave, 2, 2, 5, kSceneField, 2}, {FieldSave, 3, 4, 4, kRefused, 0},
    };
    Frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.header));
        CPartyData party;
        party.Reset();
        party.nMap = 2;
        party.Difficulty = c.party;
        party.m_Backup.Difficulty = c.backup;
        CArchiveManager* m = CArchiveManager::GetInstance();
        m->ClearArchives();
        m->ClearCurrentArchive();
        m->SetArchive(PartyDataKey, party.Save());
        m->SetString(SaveFileChapterKey, "2");
        m->SetString(SaveFileDiffKey, std::to_string(c.header));
        m->SetString(SaveFileTypeKey, c.kind);
        ASSERT_TRUE(m->Save(0));
        const size_t boxes = plat::RecordedMessageBoxes().size();
        info_.nExitCode = kTitleExitNone;
        ClickAt(500, 330);  // load
        Frame();            // the slot rows are built
        ClickAt(320, 100);
        // Every kind but a chapter save asks whether to go on or start the chapter again.
        if (std::string(c.kind) != ChapterSave) ClickAt(210, 200);  // "続きから"
        if (c.scene == kRefused) {
            EXPECT_EQ(info_.nExitCode, kTitleExitNone);
            EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
            continue;
        }
        ASSERT_EQ(info_.nExitCode, kTitleExitLoad);
        EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes);
        CPartyData loaded;
        C_TitleScene scene(&loaded);
        scene.GetInfo().nExitCode = kTitleExitLoad;
        scene.GetInfo().bRestart = false;
        EXPECT_EQ(scene.Update(), c.scene);
        EXPECT_EQ(loaded.nMap, 2);
        EXPECT_EQ(loaded.Difficulty, c.difficulty);
        EXPECT_EQ(loaded.m_Backup.Difficulty, std::clamp(c.backup, 1, 5));
        EXPECT_EQ(GetCurrentDifficulty(), std::clamp(c.backup, 1, 5));
    }
}

// ---- story ----------------------------------------------------------------------------

class StorySceneTest : public TitleSceneRouting {};

TEST_F(StorySceneTest, FinishedChapterOpensTheField) {
    CPartyData party;
    party.Reset();
    party.nMap = 29;  // no script: the section is over at once
    C_SceneControler::RegisterScene(kSceneField, &StandInField);
    C_StoryScene scene(&party);
    EXPECT_EQ(scene.Update(), kSceneField);
}

TEST_F(StorySceneTest, DifficultyChoiceUsesTheGameMenu) {
    CPartyData party;
    party.Reset();
    C_StoryScene scene(&party);
    scene.GetScript().Parse("Script Main()\nSelectDifficulty()\nend\n");
    // The menu opens over ten frames; row "Master" lies at y 110 .. 129.
    in_.Move(80, 115);
    int next = -1;
    for (int i = 0; i < 12 && next == -1; ++i) {
        next = scene.Update();
        scene.Draw();
    }
    in_.ClickLeft();
    for (int i = 0; i < 5 && next == -1; ++i) {
        next = scene.Update();
        in_.Step();
    }
    EXPECT_EQ(party.Difficulty, 4);
}

// ---- save -----------------------------------------------------------------------------

class SaveSceneTest : public SceneTest {
protected:
    int Frame() {
        int r = scene_->Update();
        Clear();
        scene_->Draw();
        in_.Step();
        return r;
    }
    int ClickAt(int x, int y) {
        in_.Move(x, y);
        in_.ClickLeft();
        return Frame();
    }
    void SetUp() override {
        SceneTest::SetUp();
        party_.Reset();
        party_.nMap = 4;
        party_.Difficulty = 3;
        scene_ = std::make_unique<C_SaveScene>(&party_);
    }
    void TearDown() override {
        scene_.reset();
        SceneTest::TearDown();
    }
    CPartyData party_;
    std::unique_ptr<C_SaveScene> scene_;
};

TEST_F(SaveSceneTest, SavesTheChapterToSeveralSlots) {
    EXPECT_TRUE(scene_->GetArchiveWindow().m_bShow);
    EXPECT_EQ(scene_->GetArchiveWindow().m_nMode, 0);
    EXPECT_EQ(Frame(), -1);
    EXPECT_EQ(ClickAt(320, 100), -1);
    EXPECT_EQ(ClickAt(320, 100 + 65 * 3), -1);
    EXPECT_EQ(scene_->GetState(), 0);
    EXPECT_TRUE(scene_->GetArchiveWindow().m_bShow);
    CArchiveManager* m = CArchiveManager::GetInstance();
    for (int slot : {0, 3}) {
        SaveSlotInfo info = m->GetSlotInfo(slot);
        EXPECT_EQ(info.nChapter, 4) << slot;
        EXPECT_EQ(info.strSaveType, ChapterSave);
        EXPECT_EQ(info.nDifficulty, 3);
    }
    EXPECT_EQ(m->GetSlotInfo(1).nChapter, -1);
    // The rows show the new saves.
    EXPECT_EQ(scene_->GetArchiveWindow().m_RowStatus[3].GetText(), "Stage5");
    // The file holds the party.
    ASSERT_TRUE(m->Load(3));
    CPartyData loaded;
    loaded.Load(m->GetArchive(PartyDataKey, true));
    EXPECT_EQ(loaded.nMap, 4);
    EXPECT_EQ(m->GetString(SaveFileChapterKey, false), "4");
    EXPECT_EQ(m->GetString(SaveFileDiffKey, false), "3");
}

TEST_F(SaveSceneTest, OverwritingAsksFirst) {
    Frame();
    ClickAt(320, 100);
    ClickAt(320, 100);  // used now: the overwrite question
    EXPECT_EQ(scene_->GetArchiveWindow().m_nState, 1);
    EXPECT_TRUE(Matches("save_overwrite_question"));
}

TEST_F(SaveSceneTest, CancelShowsThePromptNoReturnsGoLeaves) {
    Frame();
    in_.ClickRight();
    EXPECT_EQ(Frame(), -1);
    EXPECT_EQ(scene_->GetState(), 1);
    EXPECT_TRUE(scene_->GetArchiveWindow().m_bShow);
    EXPECT_FALSE(scene_->IsCursorOnGo());  // starts on "いいえ"
    EXPECT_TRUE(Matches("save_prompt"));
    // Over "すすむ", then nowhere: the cursor stays on the last choice.
    in_.Move(240, 200);
    Frame();
    EXPECT_TRUE(scene_->IsCursorOnGo());
    in_.Move(10, 10);
    Frame();
    EXPECT_TRUE(scene_->IsCursorOnGo());
    // "いいえ": back to the slots, which take saves again.
    EXPECT_EQ(ClickAt(330, 200), -1);
    EXPECT_EQ(scene_->GetState(), 0);
    EXPECT_FALSE(scene_->IsCursorOnGo());
    EXPECT_EQ(ClickAt(320, 100 + 65 * 5), -1);
    EXPECT_EQ(CArchiveManager::GetInstance()->GetSlotInfo(5).nChapter, 4);
    // Cancel again, then "すすむ".
    in_.ClickRight();
    Frame();
    CArchiveManager::GetInstance()->SetString("Leftover", "1");
    EXPECT_EQ(ClickAt(240, 200), kSceneStory);
    EXPECT_FALSE(CArchiveManager::GetInstance()->HasKey("Leftover"));
}

TEST_F(SaveSceneTest, PromptTakesNoClickBeforeItIsLaidOut) {
    Frame();
    in_.ClickRight();
    scene_->Update();  // the prompt, not drawn yet
    in_.Step();
    in_.Move(0, 0);
    in_.ClickLeft();
    EXPECT_EQ(scene_->Update(), -1);
    EXPECT_EQ(scene_->GetState(), 1);
}

// ---- tutorial -------------------------------------------------------------------------

using TutorialSceneTest = SceneTest;

TEST_F(TutorialSceneTest, MenuLayoutAndTopics) {
    CPartyData party;
    C_TutorialScene scene(&party);
    CTutorialMenu& m = scene.GetMenu();
    EXPECT_EQ(m.m_nItemNum, 4);
    EXPECT_EQ(m.m_nX, 40);
    EXPECT_EQ(m.m_nY, 40);
    EXPECT_EQ(m.m_nWidth, 150);
    EXPECT_EQ(m.m_nHeight, 110);
    EXPECT_EQ(m.m_nItemWidth, 174);
    EXPECT_EQ(m.m_nLineHeight, 20);
    EXPECT_EQ(m.m_nOpenFrames, 10);
    EXPECT_TRUE(m.m_bTextDirty);
    EXPECT_EQ(m.m_ItemText[2].GetText(), "攻撃コマンド");
    EXPECT_EQ(scene.GetFieldInfo().m_pPartyData, &party);
    EXPECT_EQ(g_GlobalResources.GetSerifState().nSpeaker, CGlobalResources::kNoSpeaker);
}

TEST_F(TutorialSceneTest, ClickBeforeTheDelayIsIgnoredThenAttackTopic) {
    CPartyData party;
    C_TutorialScene scene(&party);
    in_.Move(80, 95);  // item 2
    for (int i = 0; i < 9; ++i) {
        in_.ClickLeft();
        EXPECT_EQ(scene.Update(), -1);
        in_.Step();
    }
    EXPECT_EQ(party.nMap, 0);
    in_.ClickLeft();
    EXPECT_EQ(scene.Update(), kSceneStory);
    EXPECT_EQ(party.nMap, 32);
}

TEST_F(TutorialSceneTest, RightClickReturnsToTheTitle) {
    CPartyData party;
    C_TutorialScene scene(&party);
    for (int i = 0; i < 10; ++i) scene.Update();
    in_.Move(300, 300);
    in_.ClickLeft();  // outside the items: nothing
    EXPECT_EQ(scene.Update(), -1);
    in_.Step();
    in_.ClickRight();
    EXPECT_EQ(scene.Update(), kSceneTitle);
    // The menu leaves through the field state's exit state.
    EXPECT_EQ(scene.GetFieldInfo().m_nExitState, 1);
}

TEST_F(TutorialSceneTest, MenuPicture) {
    CPartyData party;
    C_TutorialScene scene(&party);
    in_.Move(80, 75);
    for (int i = 0; i < 12; ++i) {
        scene.Update();
        Clear();
        scene.Draw();
    }
    EXPECT_TRUE(Matches("tutorial_menu"));
}

// ---- ending ---------------------------------------------------------------------------

class EndingSceneTest : public SceneTest {
protected:
    void Frame(C_EndingScene& s) {
        s.Update();
        Clear();
        s.Draw();
        in_.Step();
    }
};

TEST_F(EndingSceneTest, RollLayoutAndMusic) {
    CPartyData party;
    C_EndingScene s(&party);
    EXPECT_EQ(g_GlobalResources.GetCurrentBGM(), 14);
    ASSERT_EQ(s.GetRoll().size(), 10u);
    auto it = s.GetRoll().begin();
    EXPECT_EQ((*it)->y, 480.0f);
    EXPECT_EQ((*it)->Height(), 44);  // the title: no names
    float expect = 480 + 44 + 80;
    ++it;
    EXPECT_EQ((*it)->y, expect);
    EXPECT_EQ((*it)->Height(), 44 + 28 * 3);
    EXPECT_EQ((*it)->Heading.GetText(), "プログラム");
}

TEST_F(EndingSceneTest, EveryRollLineEndsOnTheScreen) {
    CPartyData party;
    C_EndingScene s(&party);
    for (const auto& e : s.GetRoll()) {
        int w = 0, h = 0;
        e->Heading.GetTextSize(w, h);
        EXPECT_LE(C_EndingScene::kHeadingX + w, 640) << e->Heading.GetText();
        e->Names.GetTextSize(w, h);
        EXPECT_LE(C_EndingScene::kNamesX + w, 640) << e->Names.GetText();
    }
}

TEST_F(EndingSceneTest, HoldingTheButtonScrollsFourTimesAsFast) {
    CPartyData party;
    C_EndingScene s(&party);
    const float y0 = s.GetRoll().front()->y;
    Frame(s);
    EXPECT_FLOAT_EQ(s.GetRoll().front()->y, y0 - 0.5f);
    in_.left = true;
    s.Update();
    s.Draw();
    EXPECT_FLOAT_EQ(s.GetRoll().front()->y, y0 - 2.5f);
    in_.left = false;
    Frame(s);
    EXPECT_FLOAT_EQ(s.GetRoll().front()->y, y0 - 3.0f);
}

TEST_F(EndingSceneTest, EndImageFadeAndShade) {
    EXPECT_EQ(C_EndingScene::EndImageAlpha(0), 0);
    EXPECT_EQ(C_EndingScene::EndImageAlpha(120), 127);
    EXPECT_EQ(C_EndingScene::EndImageAlpha(240), 255);
    EXPECT_EQ(C_EndingScene::EndImageAlpha(480), 0);
    EXPECT_EQ(C_EndingScene::EndImageAlpha(600), 0);
    EXPECT_EQ(C_EndingScene::RollShadeAlpha(80), 0);
    EXPECT_EQ(C_EndingScene::RollShadeAlpha(55), 127);
    EXPECT_EQ(C_EndingScene::RollShadeAlpha(30), 255);
    EXPECT_EQ(C_EndingScene::RollShadeAlpha(-100), 255);
}

TEST_F(EndingSceneTest, RollThenEndImageThenClickAfterFourHundredEightyFrames) {
    CPartyData party;
    C_EndingScene s(&party);
    in_.left = true;  // fast scroll
    int frames = 0;
    bool pictured = false;
    while (s.GetPhase() == C_EndingScene::Phase::Roll && frames < 5000) {
        s.Update();
        Clear();
        s.Draw();
        ++frames;
        if (!pictured && s.GetRoll().size() == 9 && s.GetRoll().front()->y < 300) {
            EXPECT_TRUE(Matches("ending_roll"));
            pictured = true;
        }
    }
    in_.left = false;
    ASSERT_EQ(s.GetPhase(), C_EndingScene::Phase::EndImage);
    EXPECT_EQ(s.GetFrame(), 0);
    EXPECT_EQ(s.GetRoll().size(), 1u);
    for (int i = 1; i <= 480; ++i) {
        in_.ClickLeft();
        ASSERT_EQ(s.Update(), -1) << i;
        in_.Step();
        if (i == 240) {
            Clear();
            s.Draw();
            EXPECT_TRUE(Matches("ending_image"));
        }
    }
    in_.ClickLeft();
    EXPECT_EQ(s.Update(), kSceneTitle);
}

}  // namespace
