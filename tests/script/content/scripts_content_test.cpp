// The game's own scripts, as the build lays them out (code page 932, CR LF): they
// parse without a single error line, together use every shared and story command,
// name only pictures that exist, and play from start to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "PartyData.h"
#include "ScenarioScript.h"
#include "ScriptDifficultyMenu.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "paths.h"
#include "task/TaskBase.h"

namespace {

const std::string kGame = VORMANT_GAME_DIR;
const char* const kFiles[] = {"opening.txt", "chapter00.txt", "chapter01.txt", "chapter02.txt", "chapter03.txt"};

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class ClickEveryFrame : public IInputManager {
public:
    bool push = true;
    void Update() override {}
    bool IsLButtonDown() override { return push; }
    bool IsRButtonDown() override { return false; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return push; }
    bool IsRButtonPush() override { return false; }
    bool IsMButtonPush() override { return false; }
    // Over the second row of the difficulty menu ("Standard").
    int GetX() override { return 100; }
    int GetY() override { return 80; }
    void GetXY(int* x, int* y) override {
        *x = GetX();
        *y = GetY();
    }
    bool IsPush(int) override { return false; }
    bool IsPress(int) override { return false; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }
};

class GameScripts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!plat::FileExists(kGame + "/script/opening.txt")) GTEST_SKIP() << "game folder not built";
    }
};

TEST_F(GameScripts, ParseWithoutErrorsAndHaveAMainSection) {
    for (const char* name : kFiles) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        EXPECT_EQ(s.GetParseErrorCount(), 0) << name;
        bool main = false;
        for (const ScriptSection& sec : s.GetSections()) main |= sec.nTriggerID == kTriggerMain;
        EXPECT_TRUE(main) << name;
    }
}

TEST_F(GameScripts, TogetherUseEveryCommandOfTheStoryAndTheOpening) {
    std::set<int> used;
    for (const char* name : kFiles) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        for (const ScriptSection& sec : s.GetSections())
            for (const ScriptCommand& c : sec.vCommands) used.insert(c.nCommandID);
    }
    const int wanted[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 12, 13, 14, 15, 16, 22, 25, 26, 27, 28, 29,
                          30, 31, 32, 33, 34, 36, 72, 35, 37, 38, 39, 40, 62, 73, 74};
    for (int id : wanted) EXPECT_TRUE(used.count(id)) << "command id " << id << " is not used";
}

TEST_F(GameScripts, NameOnlyPicturesThatExist) {
    for (const char* name : kFiles) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        for (const ScriptSection& sec : s.GetSections())
            for (const ScriptCommand& c : sec.vCommands) {
                std::string path;
                if (c.nCommandID == kCmdSetPicture || c.nCommandID == kCmdSetMarker) path = c.Str(0);
                if (c.nCommandID == kCmdMakeForcesField) path = "./graphics/ForcesField/" + c.Str(0);
                if (c.nCommandID == kCmdStrMapBaseLoad) path = c.Str(0);
                if (c.nCommandID == kCmdBackGround && c.Int(0) >= 0) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "./Graphics/BackGround/%03d.png", c.Int(0));
                    path = buf;
                }
                if (c.nCommandID == kCmdSerif && c.Int(0) != 999) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "./Graphics/BastUp/%03d.png", c.Int(0));
                    path = buf;
                }
                if (path.empty()) continue;
                EXPECT_TRUE(plat::FileExists(kGame + "/" + path)) << name << "(" << c.nLine << "): " << path;
            }
    }
}

// A message that tells the player to pick a button or a menu row quotes it as the
// screen shows it: the unit command's buttons are English words, the preparation's
// rows and the tutorial's topics Japanese.
TEST_F(GameScripts, QuoteOnlyLabelsThePlayerCanSee) {
    const std::set<std::string> labels = {"MOVE ALL", "MOVE", "ATTACK", "CANNON", "SUPPORT", "CLOSE",
                                          "編成", "強化", "マップ", "セーブ", "作戦開始",
                                          "本ゲームの基礎", "移動コマンド", "攻撃コマンド", "砲撃魔法コマンド"};
    const std::string open = "「", close = "」";
    const char* const files[] = {"chapter00.txt", "chapter01.txt", "chapter02.txt", "chapter03.txt",
                                 "chapter30.txt", "chapter31.txt", "chapter32.txt", "chapter33.txt"};
    int quoted = 0;
    for (const char* name : files) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        for (const ScriptSection& sec : s.GetSections())
            for (const ScriptCommand& c : sec.vCommands)
                for (const std::string& line : c.vString)
                    for (size_t at = line.find(open); at != std::string::npos; at = line.find(open, at + 1)) {
                        const size_t end = line.find(close, at);
                        if (end == std::string::npos) continue;
                        const std::string label = line.substr(at + open.size(), end - at - open.size());
                        ++quoted;
                        EXPECT_TRUE(labels.count(label)) << name << "(" << c.nLine << "): " << label;
                    }
    }
    EXPECT_GE(quoted, 8);
}

TEST_F(GameScripts, OpeningAndStoryChaptersPlayToTheirEnd) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    ClickEveryFrame input;
    {
        // Left alone, the opening ends by itself.
        input.push = false;
        C_TitleTaskInfo info;
        info.pInputManager = &input;
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/opening.txt"), "opening.txt");
        int frames = 0;
        while (s.UpdateEventScript("Main", &info) == 0 && frames < 20000) {
            s.Draw("Main", &info);
            ++frames;
        }
        EXPECT_LT(frames, 20000);
        EXPECT_GT(frames, 1500);
    }
    for (const char* name : {"chapter00.txt", "chapter01.txt"}) {
        input.push = true;
        CPartyData party;
        party.Reset();
        const size_t heroes = party.m_Heros.size();
        const int money = party.nMoney;
        C_StoryInfo info;
        info.pInputManager = &input;
        info.pPartyData = info.pPartyData2 = &party;
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        int frames = 0;
        while (s.UpdateStory("Main", &info) == 0 && frames < 20000) {
            s.Draw("Main", &info);
            ++frames;
        }
        EXPECT_LT(frames, 20000) << name;
        EXPECT_EQ(party.m_Heros.size(), heroes + 2) << name;
        EXPECT_GT(party.nMoney, money) << name;
        if (std::string(name) == "chapter00.txt") {
            EXPECT_EQ(party.Difficulty, 2);
            EXPECT_FALSE(party.toInterMission);
        } else {
            EXPECT_TRUE(party.toInterMission);
        }
    }
}

}  // namespace
