// Each chapter's briefing as its field builds it: a page behind every tab of the
// sortie preparation, each one fitting its window, and the victory and defeat
// conditions the pages state, the same on every page that states them and the same as
// the sections of the chapter's script that win and lose the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "game_copy.h"
#include "golden.h"
#include "sortie/LocateUnitMainMenu.h"

namespace {

using Pages = std::map<int32_t, std::vector<std::string>>;

// A briefing line is drawn at half the size of its 25-pixel font into a window 326
// pixels wide: 52 bytes of text (a full-width character takes two).
constexpr size_t kLineBytes = 52;

// A line that goes on from the line before it starts with a full-width space.
const std::string kGoesOn = "　";

struct Chapter {
    int number = 0;
    C_ScenarioScript script;
    Pages pages;  // the map's briefing pages after its "FieldInitialize"
    bool preparation = false;  // the story opens the sortie preparation
    std::string missionAim;    // the mission name's last part, without its brackets
};

class Briefings : public ::testing::Test {
protected:
    void SetUp() override {
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadCsv();
    }
    void TearDown() override { CPersonTypeTable::Clear(); }

    // Every chapter of the game's script folder, its field built as a new chapter.
    std::vector<Chapter> Chapters() {
        std::vector<int> numbers;
        for (const auto& e : std::filesystem::directory_iterator("script")) {
            const std::string name = e.path().filename().string();
            if (name.size() == 13 && name.rfind("chapter", 0) == 0 && name.substr(9) == ".txt")
                numbers.push_back(std::stoi(name.substr(7, 2)));
        }
        std::sort(numbers.begin(), numbers.end());
        std::vector<Chapter> out(numbers.size());
        for (size_t i = 0; i < numbers.size(); ++i) {
            Chapter& c = out[i];
            c.number = numbers[i];
            c.script.LoadChapter(c.number);
            for (const ScriptSection& sec : c.script.GetSections())
                for (const ScriptCommand& cmd : sec.vCommands) {
                    if (sec.nTriggerID == kTriggerMain && cmd.nCommandID == kCmdInterMission)
                        c.preparation = cmd.Int(0) != 0;
                    if (sec.nTriggerID == kTriggerFieldInitialize && cmd.nCommandID == kCmdMissionName) {
                        const std::string aim = cmd.Str(2);
                        const std::string open = "（", close = "）";
                        if (aim.size() >= open.size() + close.size())
                            c.missionAim = aim.substr(open.size(), aim.size() - open.size() - close.size());
                    }
                }
            CPartyData party;
            party.Reset();
            party.nMap = c.number;
            party.toInterMission = c.preparation;
            C_FieldScene scene(&party);
            c.pages = scene.GetFieldInfo().m_MapData.OperationMessage;
        }
        return out;
    }

    testsupport::GameCopy game;
    testsupport::ScopedCurrentDir cd{game.path()};
};

// A condition a page states: the text after `label` and its bracket or colon, with the
// lines that go on from it, split into its alternatives at "または".
std::vector<std::string> Stated(const std::vector<std::string>& lines, const std::string& label, bool* found) {
    std::string text;
    *found = false;
    for (size_t i = 0; i < lines.size() && !*found; ++i) {
        const size_t at = lines[i].find(label);
        if (at == std::string::npos) continue;
        *found = true;
        text = lines[i].substr(at + label.size());
        for (const std::string& sep : {std::string("】"), std::string("：")})
            if (text.compare(0, sep.size(), sep) == 0) text = text.substr(sep.size());
        for (size_t k = i + 1; k < lines.size() && lines[k].compare(0, kGoesOn.size(), kGoesOn) == 0; ++k)
            text += lines[k].substr(kGoesOn.size());
    }
    std::vector<std::string> alternatives;
    const std::string either = "または", comma = "、";
    for (size_t from = 0;;) {
        const size_t at = text.find(either, from);
        std::string part = text.substr(from, at == std::string::npos ? std::string::npos : at - from);
        if (part.size() >= comma.size() && part.compare(part.size() - comma.size(), comma.size(), comma) == 0)
            part.resize(part.size() - comma.size());
        alternatives.push_back(part);
        if (at == std::string::npos) break;
        from = at + either.size();
    }
    std::sort(alternatives.begin(), alternatives.end());
    return alternatives;
}

std::string Kanji(int n) {
    static const char* const digits[] = {"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    return n >= 0 && n <= 9 ? digits[n] : std::to_string(n);
}

// The words a page must use for the trigger of a section that wins or loses the map
// ("" for a trigger that has no wording yet).
std::string Wording(const ScriptSection& sec) {
    const std::vector<int32_t>& a = sec.vTriggerArgs;
    auto shortName = [](int type) { return CPersonTypeTable::Get(type).s_name; };
    switch (sec.nTriggerID) {
        case kTriggerForceSuffered:
            if (a.size() < 3) return "";
            if (a[1] == -3) return a[0] == 0 ? "敵の全滅" : "味方の全滅";
            if (a[1] == -2) return a[0] == 0 ? "敵の英雄の全滅" : "味方の英雄の全滅";
            if (a[1] > 0 && a[0] == 0) return shortName(a[1]) + "の撃破";
            return "";
        case kTriggerPersonSuffered:
            return a.size() == 2 && a[1] <= 0 ? shortName(a[0]) + "の戦死" : "";
        case kTriggerPhaseStart:
            return a.size() == 2 && a[0] == 0 ? Kanji(a[1]) + "ターン目" : "";
        case kTriggerUnitPosition:
            return !a.empty() && a[0] == -1 ? "への到達" : "";
        default:
            return "";
    }
}

TEST_F(Briefings, EveryTabOfThePreparationOpensAPageThatFitsItsWindow) {
    int prepared = 0;
    for (const Chapter& c : Chapters()) {
        SCOPED_TRACE(::testing::Message() << "chapter " << c.number);
        if (c.preparation) {
            ++prepared;
            for (int tab = 0; tab < C_TaskLocateUnitMainMenu::kBriefingPages; ++tab) {
                const auto it = c.pages.find(tab);
                EXPECT_TRUE(it != c.pages.end() && !it->second.empty()) << "tab " << tab + 1 << " opens an empty page";
            }
        }
        for (const auto& [key, lines] : c.pages) {
            EXPECT_LE(lines.size(), size_t(C_TaskLocateUnitMainMenu::kBriefingLines)) << "page " << key;
            for (const std::string& line : lines) EXPECT_LE(line.size(), kLineBytes) << "page " << key << ": " << line;
        }
    }
    EXPECT_GE(prepared, 3);
}

// The first page and the second (the one the field's menu shows during the battle)
// state the conditions; every page that states one states it alike, naming each
// section that wins or loses the map and nothing else.  The mission's name carries one
// of the ways to win.
TEST_F(Briefings, ThePagesStateTheConditionsTheScriptWinsAndLosesBy) {
    int briefed = 0;
    for (const Chapter& c : Chapters()) {
        if (c.pages.empty()) continue;  // the lessons: no briefing
        SCOPED_TRACE(::testing::Message() << "chapter " << c.number);
        ++briefed;
        struct Condition {
            const char* label;
            int command;
        };
        for (const Condition& cond : {Condition{"勝利条件", kCmdWin}, Condition{"敗北条件", kCmdLose}}) {
            SCOPED_TRACE(cond.label);
            std::vector<std::string> wordings;
            for (const ScriptSection& sec : c.script.GetSections())
                for (const ScriptCommand& cmd : sec.vCommands)
                    if (cmd.nCommandID == cond.command) {
                        wordings.push_back(Wording(sec));
                        EXPECT_NE(wordings.back(), "") << "no wording for the section of line " << sec.nLine;
                    }
            std::vector<std::string> stated;
            for (const auto& [key, lines] : c.pages) {
                bool found = false;
                const std::vector<std::string> alternatives = Stated(lines, cond.label, &found);
                EXPECT_TRUE(found || key > 1) << "page " << key << " does not state it";
                if (!found) continue;
                if (stated.empty()) stated = alternatives;
                EXPECT_EQ(alternatives, stated) << "page " << key;
            }
            EXPECT_EQ(stated.size(), wordings.size());
            for (const std::string& w : wordings)
                EXPECT_EQ(std::count_if(stated.begin(), stated.end(),
                                        [&](const std::string& s) { return s.find(w) != std::string::npos; }),
                          1)
                    << w;
            if (cond.command == kCmdWin) {
                EXPECT_NE(c.missionAim, "");
                EXPECT_EQ(std::count_if(stated.begin(), stated.end(),
                                        [&](const std::string& s) { return s.find(c.missionAim) != std::string::npos; }),
                          1)
                    << "the mission's name says " << c.missionAim;
            }
        }
    }
    EXPECT_GE(briefed, 4);
}

}  // namespace
