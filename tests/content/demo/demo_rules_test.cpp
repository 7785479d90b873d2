// The demo's own rules as the game reads them from the runnable folder: chapter three's
// gate ends the way to victory when it closes, every hero who joins the party has a
// price, and every sortie point's mark can be seen on its map's preparation minimap.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldEvent.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "fake_input.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "info/TaskMiniMap.h"
#include "sortie/SortieRules.h"
#include "task/TaskController.h"

namespace {

const std::string kGame = VORMANT_GAME_DIR;

class DemoRules : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kGame + "/script/chapter03.txt")) GTEST_SKIP() << "game folder not built";
        for (const char* sub : {"map", "script", "gamedata", "graphics"})
            std::filesystem::create_directory_symlink(kGame + "/" + sub, dir_.path() + sub);
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadCsv();
    }
    void TearDown() override {
        CPersonTypeTable::Clear();
        cd_.reset();
    }

    // A field of the chapter's map after its "FieldInitialize", as the field scene
    // builds it.
    void StartField(int chapter) {
        party_ = CPartyData();
        party_.Reset();
        party_.nMap = chapter;
        field_ = std::make_unique<C_FieldTaskInfo>();
        field_->SetInputManager(&in_);
        field_->m_pPartyData = &party_;
        field_->m_pTaskController = &tasks_;
        ASSERT_TRUE(field_->m_MapData.LoadMapCsv(chapter));
        field_->Reset();
        RunFieldInitialize(*field_, chapter, false);
    }
    // An event run to its end as its event task runs it, a call a frame.
    void Raise(const std::string& event) {
        C_ScenarioScript s;
        s.LoadChapter(party_.nMap);
        int frames = 0;
        for (;; ++frames) {
            in_.ClickLeft();  // every window of the event is clicked away
            const bool over = s.UpdateFieldEvent(event, field_.get()) != 0;
            in_.Step();
            if (over || frames >= 20000) break;
        }
        ASSERT_LT(frames, 20000) << event;
    }
    // The phases up to the player's phase of `turn`, each with its "PhaseStart".
    void PlayTo(int turn) {
        for (int t = 1; t <= turn; ++t)
            for (bool player : {true, false}) {
                if (t == turn && !player) return;
                field_->m_nTurn = t;
                field_->m_bPlayerPhase = player;
                Raise("PhaseStart");
            }
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    FakeInput in_;
    CPartyData party_;
    C_TaskController tasks_;
    std::unique_ptr<C_FieldTaskInfo> field_;
};

// A friendly hero steps onto a cell by the gate in the player's phase of a turn; the
// unit-selection event that follows every action decides the map.  The gate (11, 4)
// and (12, 4) stands open on the first two turns and closes as the third begins; the
// towers (10, 4) and (13, 4) beside it stay passable all along.
TEST_F(DemoRules, ChapterThreeIsWonAtTheGateOnlyWhileItIsOpen) {
    const struct {
        int x, y, turn;
        bool wins;
    } steps[] = {
        {11, 4, 2, true},  {12, 4, 1, true},              // the open gate
        {10, 4, 2, false}, {13, 4, 2, false},             // a tower is no gate
        {10, 4, 3, false}, {13, 4, 3, false},             // nor after the gate has closed
        {10, 3, 3, false}, {12, 3, 3, false},             // the city, reached by a tower
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(::testing::Message() << "(" << s.x << ", " << s.y << ") on turn " << s.turn);
        StartField(3);
        PlayTo(s.turn);
        const CMapData& map = field_->m_MapData;
        EXPECT_TRUE(map.IsPassable(s.x, s.y));
        for (int gx : {11, 12}) EXPECT_EQ(map.IsPassable(gx, 4), s.turn < 3) << gx;
        const int leon = field_->m_PersonList.AddPerson(PersonRecord::CreateFromType(5, 5, 1, 1, 1, 0));
        field_->m_UnitList.AddUnitAt(leon, s.x, s.y);
        Raise("UnitPosition");
        // The win runs on into the story's end: the game ends (exit state 5).
        EXPECT_EQ(field_->m_nExitState, s.wins ? 5 : 0);
    }
}

// Every hero the chapters bring into the party (and the one Leon becomes) costs
// something to sortie and to strengthen at every level below the highest.
TEST_F(DemoRules, NoHeroOfThePartyIsPricedZero) {
    std::vector<int> heroes;
    for (const auto& e : std::filesystem::directory_iterator(kGame + "/script")) {
        std::ifstream f(e.path(), std::ios::binary);
        C_ScenarioScript s;
        s.Parse(std::string(std::istreambuf_iterator<char>(f), {}), e.path().filename().string());
        for (const ScriptSection& sec : s.GetSections())
            for (const ScriptCommand& c : sec.vCommands) {
                if (c.nCommandID == 37 && !c.vInt.empty()) heroes.push_back(c.vInt[0]);         // AddHero
                if (c.nCommandID == 53 && c.vInt.size() > 1) heroes.push_back(c.vInt[1]);      // ChangeHero
            }
    }
    ASSERT_GE(heroes.size(), 6u);
    for (int type : heroes) {
        SCOPED_TRACE(type);
        EXPECT_GT(sortie::LocateCostOf(type), 0);
        for (int level = 1; level < sortie::kMaxLevel; ++level) EXPECT_GT(sortie::LevelUpCost(type, level), 0) << level;
    }
}

// The sortie marks of every map's points, drawn as the preparation shows them: a mark
// can be seen when the middle of it, where its letter stands, looks the same with the
// later points' marks over it as without them.  A map with more points than the icon
// sheet has marks repeats the sheet's last mark.
class SortieMarks : public DemoRules {
protected:
    void SetUp() override {
        DemoRules::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        icons_ = std::make_unique<CD3DDrawTexture>("./graphics/MiniMapIcon.png");
    }
    void TearDown() override {
        icons_.reset();
        if (g_pD3DDevice) {
            EndSpriteBatch();
            ReleaseDrawObjects();
            ReleaseD3DDevice();
        }
        DemoRules::TearDown();
    }
    // The marks picture (400 x 200) of the first `count` points.
    std::vector<uint32_t> Marks(CMapData& map, size_t count) {
        const std::vector<CSortiePosition> all = map.m_vnSortiePos;
        map.m_vnSortiePos.resize(count);
        RenderSortieMarkers(map, *icons_);
        EndSpriteBatch();
        map.m_vnSortiePos = all;
        const gfx::Texture* t = map.m_MiniMapSortie.GetTexture();
        return std::vector<uint32_t>(t->Pixels(), t->Pixels() + size_t(t->Width()) * t->Height());
    }
    // The box of the pixels that differ between two marks pictures, shrunk to its
    // middle `half` pixels each side.
    static RECT Middle(const std::vector<uint32_t>& without, const std::vector<uint32_t>& with, int half) {
        int l = 400, t = 200, r = -1, b = -1;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x)
                if (without[size_t(y) * 400 + x] != with[size_t(y) * 400 + x]) {
                    l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
                }
        const int cx = (l + r) / 2, cy = (t + b) / 2;
        return RECT{cx - half, cy - half, cx + half, cy + half};
    }
    static bool SameIn(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const RECT& rc) {
        for (int y = std::max<int>(rc.top, 0); y <= std::min<int>(rc.bottom, 199); ++y)
            for (int x = std::max<int>(rc.left, 0); x <= std::min<int>(rc.right, 399); ++x)
                if (a[size_t(y) * 400 + x] != b[size_t(y) * 400 + x]) return false;
        return true;
    }
    std::unique_ptr<CD3DDrawTexture> icons_;
};

TEST_F(SortieMarks, EveryPointsMarkCanBeSeenOnItsMap) {
    int maps = 0;
    for (const auto& e : std::filesystem::directory_iterator(kGame + "/script")) {
        const std::string name = e.path().filename().string();
        if (name.rfind("chapter", 0) != 0) continue;
        const int chapter = std::stoi(name.substr(7, 2));
        SCOPED_TRACE(name);
        StartField(chapter);
        CMapData& map = field_->m_MapData;
        const size_t points = map.m_vnSortiePos.size();
        if (points == 0) continue;
        ++maps;
        const std::vector<uint32_t> whole = Marks(map, points);
        std::vector<uint32_t> below = Marks(map, 0);
        for (size_t i = 0; i < points; ++i) {
            const std::vector<uint32_t> top = Marks(map, i + 1);  // mark i drawn last
            const RECT middle = Middle(below, top, 5);
            EXPECT_TRUE(SameIn(top, whole, middle)) << "mark " << char('A' + i) << " at (" << map.m_vnSortiePos[i].x
                                                    << ", " << map.m_vnSortiePos[i].y << ") is covered";
            below = top;
        }
    }
    EXPECT_GE(maps, 4);
}

TEST_F(SortieMarks, PointsPastTheSheetsMarksRepeatItsLast) {
    StartField(3);
    CMapData& map = field_->m_MapData;
    const std::vector<CSortiePosition> six = map.m_vnSortiePos;
    ASSERT_EQ(six.size(), 6u);
    // The sixth point's mark F on a cell of its own, far from the others.
    map.m_vnSortiePos[5].x = 20, map.m_vnSortiePos[5].y = 3;
    const std::vector<uint32_t> f = Marks(map, 6);
    // A seventh point there, then an eighth there with the seventh elsewhere.
    for (int extra = 1; extra <= 2; ++extra) {
        SCOPED_TRACE(6 + extra);
        map.m_vnSortiePos = six;
        for (int k = 1; k < extra; ++k) map.AddSortiePosition(20, 15);
        map.AddSortiePosition(20, 3);
        const std::vector<uint32_t> with = Marks(map, map.m_vnSortiePos.size());
        const std::vector<uint32_t> without = Marks(map, map.m_vnSortiePos.size() - 1);
        ASSERT_NE(with, without) << "no mark drawn";
        EXPECT_TRUE(SameIn(with, f, Middle(without, with, 16)));
    }
}

}  // namespace
