// The battle map played headless: a new game through the first chapter's story onto
// the field, scrolled at the edges and by dragging, the hovered cell following the
// pointer; a field save and a preparation save loaded at the title resume the field,
// and a field save whose record does not hold together starts the chapter afresh.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "game_copy.h"
#include "golden.h"
#include "save/ArchiveManager.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

using GameCopy = testsupport::GameCopy;

// Pixels that differ between two pictures of one size.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// The share of black pixels in the middle of the screen (a field fills most of it).
double BlackShare(const std::vector<uint32_t>& p) {
    if (p.size() != 640u * 480u) return 1.0;
    int black = 0;
    for (int y = 120; y < 360; ++y)
        for (int x = 160; x < 480; ++x) black += p[size_t(y) * 640 + x] == 0;
    return black / double(320 * 240);
}

// Through the opening to the title menu; a new game of difficulty "Expert" with the
// story fast-forwarded; the field from frame 430 on.
const char kNewGameToField[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 520 285\n"
    "100 down left\n"
    "101 up left\n"
    "130 move 80 100\n"
    "140 down left\n"
    "141 up left\n"
    "150 keydown LControl\n"
    "420 keyup LControl\n"
    "430 move 320 240\n";

// "LOAD GAME", the first slot, and "resume" rather than the chapter's start.
const char kLoadFirstSlot[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 500 330\n"
    "100 down left\n"
    "101 up left\n"
    "120 move 320 100\n"
    "121 down left\n"
    "122 up left\n"
    "140 move 215 200\n"
    "141 down left\n"
    "142 up left\n"
    "150 move 320 240\n";

// A save of the field of chapter 0 in slot 1; `damage` spoils its record.
void WriteFieldSave(const std::string& folder, const char* type, bool damage) {
    testsupport::ScopedCurrentDir cd(folder);
    CArchiveManager::DestroyInstance();
    CPartyData party;
    party.Reset();
    SetDifficulty(party.Difficulty, 3);
    CStringMap record;
    {
        C_FieldScene scene(&party);
        C_FieldTaskInfo& info = scene.GetFieldInfo();
        info.IsInterMission = std::string(type) == IntermissionSave;
        info.m_nTurn = 2;
        if (damage) info.m_UnitList.SetUnitPosition(0, 99, 99);
        record = info.Save();
    }
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetArchive(FieldTaskInfoKey, record);
    manager->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(party.Difficulty));
    manager->SetString(SaveFileTypeKey, type);
    ASSERT_TRUE(manager->Save(0));
    // Read back: the slot holds the kind and the field record.
    ASSERT_TRUE(manager->Load(0));
    EXPECT_EQ(manager->GetString(SaveFileTypeKey, false), type);
    EXPECT_TRUE(manager->HasArchive(FieldTaskInfoKey));
    CArchiveManager::DestroyInstance();
}

TEST(FieldReplay, NewGameReachesTheFieldWhichScrollsAtTheEdgesAndByDragging) {
    GameCopy game;
    RunResult r = game.Replay(std::string(kNewGameToField) +
                              "450 screenshot field.png\n"
                              // the hovered cell follows the pointer
                              "455 move 420 300\n"
                              "470 screenshot hover.png\n"
                              // edge scrolling to the right, then down
                              "480 move 636 240\n"
                              "510 screenshot right.png\n"
                              "511 move 320 470\n"
                              "540 screenshot down.png\n"
                              // dragging with the middle button
                              "545 move 200 200\n"
                              "550 down middle\n"
                              "551 move 260 230\n"
                              "552 move 330 260\n"
                              "553 up middle\n"
                              "560 screenshot dragged.png\n"
                              "600 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 600"), std::string::npos) << r.output;
    const auto field = game.Pixels("field.png"), hover = game.Pixels("hover.png"), right = game.Pixels("right.png"),
               down = game.Pixels("down.png"), dragged = game.Pixels("dragged.png");
    ASSERT_EQ(field.size(), 640u * 480u);
    EXPECT_LT(BlackShare(field), 0.3);
    // Hovering another cell moves the highlight only: a small part changes.
    const int hoverChange = Differing(field, hover);
    EXPECT_GT(hoverChange, 100);
    EXPECT_LT(hoverChange, 640 * 480 / 4);
    // Scrolling moves the whole picture.
    EXPECT_GT(Differing(hover, right), 640 * 480 / 3);
    EXPECT_GT(Differing(right, down), 640 * 480 / 3);
    EXPECT_GT(Differing(down, dragged), 640 * 480 / 3);
    const std::string log = game.ErrorLog();
    EXPECT_EQ(log.find("FieldInitialize"), std::string::npos) << log;
}

TEST(FieldReplay, AFieldSaveAndAPreparationSaveResumeTheFieldFromTheTitle) {
    for (const char* type : {FieldSave, IntermissionSave}) {
        GameCopy game;
        WriteFieldSave(game.path(), type, false);
        RunResult r = game.Replay(std::string(kLoadFirstSlot) + "200 screenshot field.png\n" + "230 quit\n");
        ASSERT_EQ(r.exitCode, 0) << type << r.output;
        EXPECT_EQ(r.output.find("[message box]"), std::string::npos) << type << r.output;
        EXPECT_LT(BlackShare(game.Pixels("field.png")), 0.3) << type;
    }
}

TEST(FieldReplay, AFieldSaveThatDoesNotHoldTogetherStartsTheChapterAfresh) {
    GameCopy game;
    WriteFieldSave(game.path(), FieldSave, true);
    RunResult r = game.Replay(std::string(kLoadFirstSlot) + "200 screenshot field.png\n" + "230 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(reinterpret_cast<const char*>(u8"不正なセーブファイルです。")), std::string::npos)
        << r.output << game.ErrorLog();
    EXPECT_NE(r.output.find("frames: 230"), std::string::npos) << r.output;
    EXPECT_LT(BlackShare(game.Pixels("field.png")), 0.3);
}

}  // namespace
