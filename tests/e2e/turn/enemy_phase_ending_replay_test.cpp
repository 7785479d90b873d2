// Maps that end in the enemy's phase, played through the real program from field
// saves: an enemy's blow fells the last hero (the prologue) or Leon (chapter three),
// and the game-over sequence runs; the last enemy falls to a counter-attack (chapter
// two), and the victory story runs.  Nothing of the turn may go on under them: no
// further enemy action, no next turn with its banner and its events.  Each is held
// against the same ending reached in the player's phase.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

using testsupport::Script;
using testsupport::Sorted;

class GameCopy : public testsupport::GameCopy {
public:
    explicit GameCopy(const std::string& tag) : testsupport::GameCopy({"e2e/turn/", "VORMANT_TURN_SHOTS", tag}) {}
};

// The prologue's first turn: Leon, the only hero, at (2, 9) with one hit point, the
// first enemy band beside him at (3, 9).
::testing::AssertionResult PrologueLastStand(const std::string& folder) {
    return testsupport::WriteFieldSave(folder, [](C_FieldTaskInfo& info) {
        CUnitList& units = info.m_UnitList;
        for (int u = 0; u < units.GetCount(); ++u)
            if (units.IsFriend(u) && units.IsHero(u))
                for (int j = 0; j < units.GetMemberCount(u); ++j) info.m_PersonList.SetHP(units.GetMember(u, j), 1);
        testsupport::MoveEnemies(info, {{3, 9}});
        testsupport::LookAt(info, 2, 9);
    });
}

// Chapter three's first turn: Leon the knight at (4, 14) with one hit point and
// Mina behind him, the scouts beside him at (5, 14) in the camp, the wyverns on the
// city's road, the gate's guards and Volg where they stand.  Mina keeps a hero on
// the field: Leon's fall loses the map through "PersonSuffered".
::testing::AssertionResult GateLastStand(const std::string& folder) {
    return testsupport::WriteFieldSave(
        folder,
        [](C_FieldTaskInfo& info) {
            const int leon = testsupport::AddUnit(info, {5}, 9, 4, 14);
            testsupport::AddUnit(info, {4}, 8, 2, 16);
            info.m_PersonList.SetHP(info.m_UnitList.GetMember(leon, 0), 1);
            testsupport::MoveEnemies(info, {{5, 14}, {16, 10}, {8, 6}, {15, 6}, {12, 2}});
        },
        0, FieldSave, 3);
}

// Chapter two's first turn: Sera at (8, 21) and one enemy, a lone wyvern, beside
// her at (9, 21) with one hit point; nobody else on the map.
::testing::AssertionResult PassLastEnemy(const std::string& folder) {
    return testsupport::WriteFieldSave(
        folder,
        [](C_FieldTaskInfo& info) {
            CUnitList& units = info.m_UnitList;
            int lone = -1;
            for (int u = 0; u < units.GetCount() && lone < 0; ++u)
                if (!units.IsFriend(u) && units.GetMemberCount(u) == 1) lone = u;
            for (int u = units.GetCount() - 1; u >= 0; --u)
                if (u != lone) units.RemoveUnit(u);
            ASSERT_EQ(units.GetCount(), 1);
            units.SetUnitPosition(0, 9, 21);
            info.m_PersonList.SetHP(units.GetMember(0, 0), 1);
            testsupport::AddUnit(info, {2}, 8, 8, 21);
        },
        0, FieldSave, 2);
}

using Frames = std::vector<std::string>;

// The first frame after the first stretch of `length` frames or more that look alike
// (the game-over sequence's black, 120 frames); the frame count when there is none.
size_t AfterStill(const Frames& f, size_t length) {
    size_t run = 1;
    for (size_t i = 1; i < f.size(); ++i) {
        if (f[i] == f[i - 1]) {
            ++run;
        } else {
            if (run >= length) return i;
            run = 1;
        }
    }
    return f.size();
}

// The pictures that stand for `length` frames or more from frame `from` on, in order.
Frames StillPictures(const Frames& f, size_t from, size_t length) {
    Frames still;
    size_t run = 0;
    for (size_t i = from; i < f.size(); ++i) {
        run = i > from && f[i] == f[i - 1] ? run + 1 : 1;
        if (run == length) still.push_back(f[i]);
    }
    return still;
}

// How a run comes to its ending: a save, and what the player does on the field.
struct Ending {
    const char* what;
    ::testing::AssertionResult (*save)(const std::string&);
    Script play;
};

struct Played {
    testsupport::ReplayResult replay;
    testsupport::SaveSlot slot;  // the slot asked for, as the run left it
};

// Plays the ending for `frames` frames; `slot` (when given) is read afterwards.
Played Play(const Ending& e, const std::string& tag, int frames, int slot = -1) {
    GameCopy game(tag);
    EXPECT_TRUE(e.save(game.path()));
    Script s = e.play;
    s.Event(frames, "quit");
    Played run;
    run.replay = game.Replay(testsupport::LoadFirstSlot() + Sorted(s.Text()));
    EXPECT_EQ(run.replay.exitCode, 0) << run.replay.output;
    EXPECT_EQ(run.replay.frames.size(), size_t(frames)) << run.replay.output;
    EXPECT_EQ(game.ErrorLog(), "");
    if (slot >= 0) run.slot = testsupport::ReadSlot(game.path(), slot);
    return run;
}

// Leon (or Sera) in the middle of the screen attacks the enemy beside him where he
// stands: the battle from about frame 450.
Script AttackBeside() {
    Script s;
    s.Click(210, 320, 268).Click(250, 320, 268).Click(300, 242, 279).Click(350, 376, 296).Click(450, 359, 296);
    return s;
}

// The game-over sequence's picture stands for 2400 frames from its start, the title's
// opening follows: its fade back from black, the picture, and the first frames of the
// title are compared.
constexpr int kGameOverFrames = 2300;

TEST(EnemyPhaseEndingReplay, AMapLostInTheEnemyPhaseShowsTheGameOverPictureAloneThenTheTitle) {
    // The reference: Leon's attack in the player's phase, the counter fells him.
    const Ending lostInTheTurn{"the last hero falls to a counter-attack", PrologueLastStand, AttackBeside()};
    const testsupport::ReplayResult reference = Play(lostInTheTurn, "turn_", 3800).replay;
    const size_t from = AfterStill(reference.frames, 100);
    ASSERT_LE(from + kGameOverFrames, reference.frames.size());

    // Chapter three: the lines of the wyverns and of the scouts in the camp clicked
    // away, the turn ended, Volg's line and Leon's as the scouts attack clicked away;
    // after the battle Leon's line for a fallen hero, clicked away: "PersonSuffered".
    Script gate;
    gate.EndTurn(290).Click(200, 320, 20).Click(240, 320, 20).Click(460, 320, 20).Click(700, 320, 20).Click(950, 320, 20);
    const Ending rows[] = {
        {"the prologue: an enemy's blow fells the last hero", PrologueLastStand, Script{}.EndTurn(200, 480, 200)},
        {"chapter three: an enemy's blow fells Leon", GateLastStand, gate},
    };
    for (const Ending& row : rows) {
        SCOPED_TRACE(row.what);
        const testsupport::ReplayResult r = Play(row, std::string("lost_") + std::to_string(&row - rows) + "_", 4200).replay;
        // From the fade back from black on, frame for frame what the player's phase
        // shows: the picture and the fade, then the title.
        const auto start = std::find(r.frames.begin(), r.frames.end(), reference.frames[from]);
        ASSERT_NE(start, r.frames.end()) << "the game-over picture never fades in as it does in the player's phase";
        ASSERT_LE(size_t(start - r.frames.begin()) + kGameOverFrames, r.frames.size());
        const auto differs = std::mismatch(start, start + kGameOverFrames, reference.frames.begin() + from).first;
        EXPECT_EQ(differs, start + kGameOverFrames) << "frame " << differs - r.frames.begin() + 1 << ", "
                                                    << differs - start << " frames into the picture";
    }
}

TEST(EnemyPhaseEndingReplay, AMapWonInTheEnemyPhaseTellsItsVictoryStoryAlone) {
    // The victory story: the screen blanked, then two pages (Leon's line, Zaira's),
    // each clicked away once it has come up, from frame `from` on; the save screen
    // follows, where the second row is taken.
    auto story = [](Script s, int from) {
        s.Click(from, 320, 240).Click(from + 150, 320, 240).Click(from + 300, 320, 166);
        return s;
    };
    const Ending wonInTheTurn{"Sera's attack fells the last enemy", PassLastEnemy, story(AttackBeside(), 780)};
    const Ending wonInTheEnemyPhase{"the last enemy falls to Sera's counter-attack", PassLastEnemy,
                                    story(Script{}.EndTurn(200, 480, 200), 900)};
    const Played reference = Play(wonInTheTurn, "turn_won_", 1500, 1);
    const Played run = Play(wonInTheEnemyPhase, "won_", 1500, 1);

    // From the blanked screen on, after the battle (from frame 500 on), the pictures
    // that stand are the same as the player's phase shows: the two pages, the save
    // screen, the saved row.
    auto storyPictures = [](const Frames& f) {
        // The opening starts on a black screen.
        const auto black = std::find(f.begin() + 500, f.end(), StillPictures(f, 0, 30).front());
        return StillPictures(f, size_t(black - f.begin()), 30);
    };
    const Frames expected = storyPictures(reference.replay.frames);
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(storyPictures(run.replay.frames), expected);
    // The party advanced to the next map once, with the map's reward.
    ASSERT_TRUE(reference.slot.loaded && run.slot.loaded);
    EXPECT_EQ(reference.slot.party.nMap, 3);
    EXPECT_EQ(run.slot.party.nMap, 3);
    EXPECT_EQ(run.slot.party.nMoney, reference.slot.party.nMoney);
}

}  // namespace
