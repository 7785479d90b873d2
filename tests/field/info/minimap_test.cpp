// The minimap: its scale, the cell a click stands for, the glide of the camera, the
// fold and unfold, the clicks it ignores and its picture; the sortie marks of the
// game's maps.
#include "FieldEvent.h"
#include "info/TaskMiniMap.h"
#include "info_fixture.h"

namespace {

class MiniMapTest : public InfoTest {
protected:
    C_TaskFieldMiniMap* AddMiniMap() {
        auto* m = new C_TaskFieldMiniMap;
        tasks_.AddTask(m, 11);
        return m;
    }
    void AddCursor() { tasks_.AddTask(new CursorStandIn, 8); }
    // The screen point of the pictured top corner of cell (x, y), `down` pixels of the
    // full map below it.
    void PointOf(const C_TaskFieldMiniMap& m, int x, int y, float down, int& px, int& py) {
        const CMapData& map = field_->m_MapData;
        const float u = map.GetMinimapScaleX() * (MiniMapFullX(x, y) - 320.0f + 56.0f * map.m_ySize);
        const float v = map.GetMinimapScaleY() * (MiniMapFullY(x, y) - 240.0f + down);
        px = m.m_rcImage.left + static_cast<int>(0.6f * u + 0.5f);
        py = m.m_rcImage.top + static_cast<int>(0.6f * v + 0.5f);
    }
    void Click(int x, int y) {
        in_.Move(x, y);
        in_.ClickLeft();
        Frame();
    }
    // The sortie marks picture (400 x 200) of the first `count` points.
    std::vector<uint32_t> Marks(size_t count) {
        CMapData& map = field_->m_MapData;
        const std::vector<CSortiePosition> all = map.m_vnSortiePos;
        map.m_vnSortiePos.resize(count);
        if (!icons_) icons_ = std::make_unique<CD3DDrawTexture>("./graphics/MiniMapIcon.png");
        RenderSortieMarkers(map, *icons_);
        EndSpriteBatch();
        map.m_vnSortiePos = all;
        const uint32_t* p = map.m_MiniMapSortie.GetTexture()->Pixels();
        return std::vector<uint32_t>(p, p + 400 * 200);
    }
    // Whether `a` and `b` agree within `half` pixels of the middle of what `b` adds to
    // `base` (false when it adds nothing).
    static bool SameAroundAdded(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                                const std::vector<uint32_t>& base, int half) {
        int l = 400, t = 200, r = -1, bottom = -1;
        for (int i = 0; i < 400 * 200; ++i)
            if (b[i] != base[i]) l = std::min(l, i % 400), r = std::max(r, i % 400), t = std::min(t, i / 400), bottom = i / 400;
        if (r < 0) return false;
        for (int y = std::max(0, (t + bottom) / 2 - half); y <= std::min(199, (t + bottom) / 2 + half); ++y)
            for (int x = std::max(0, (l + r) / 2 - half); x <= std::min(399, (l + r) / 2 + half); ++x)
                if (a[size_t(y) * 400 + x] != b[size_t(y) * 400 + x]) return false;
        return true;
    }
    void TearDown() override {
        icons_.reset();
        InfoTest::TearDown();
    }
    std::unique_ptr<CD3DDrawTexture> icons_;
};

TEST_F(MiniMapTest, ScaleOfTheWholeMapAndAnEmptyOne) {
    CMapData map(false);
    map.m_xSize = 20;
    map.m_ySize = 20;
    EXPECT_FLOAT_EQ(map.GetMinimapScaleX(), 400.0f / 2240.0f);
    EXPECT_FLOAT_EQ(map.GetMinimapScaleY(), 200.0f / 1176.0f);
    map.m_xSize = map.m_ySize = 0;
    EXPECT_EQ(map.GetMinimapScaleX(), 0.0f);
    int x = -5, y = -5;
    EXPECT_FALSE(MinimapPointToCell(map, 10.0f, 10.0f, x, y));
    EXPECT_EQ(x, -5);
}

TEST_F(MiniMapTest, AClickOnAMapWithoutCellsDoesNothing) {
    field_->m_MapData.m_xSize = field_->m_MapData.m_ySize = 0;
    field_->m_MapData.m_byMapChip.clear();
    auto* m = AddMiniMap();
    AddCursor();
    Frame();
    Click(m->m_rcImage.left + 40, m->m_rcImage.top + 40);
    EXPECT_EQ(g_MiniMap.nState, kMiniMapIdle);
    EXPECT_EQ(field_->m_fCameraX, 0.0f);
}

TEST_F(MiniMapTest, EveryCellsPicturedDiamondLeadsBackToThatCell) {
    auto* m = AddMiniMap();
    Frame();
    for (int y = 0; y < field_->m_MapData.m_ySize; ++y) {
        for (int x = 0; x < field_->m_MapData.m_xSize; ++x) {
            int px = 0, py = 0;
            PointOf(*m, x, y, 28.0f, px, py);  // the middle of the cell's diamond
            int cx = -1, cy = -1;
            ASSERT_TRUE(MinimapPointToCell(field_->m_MapData, float(px - m->m_rcImage.left),
                                           float(py - m->m_rcImage.top), cx, cy));
            EXPECT_EQ(cx, x) << "cell " << x << "," << y;
            EXPECT_EQ(cy, y) << "cell " << x << "," << y;
        }
    }
}

TEST_F(MiniMapTest, TheTopLeftCornerOfThePictureGlidesToTheNearestCell) {
    auto* m = AddMiniMap();
    AddCursor();
    Frame();
    Click(m->m_rcImage.left, m->m_rcImage.top);
    EXPECT_EQ(g_MiniMap.nState, kMiniMapGliding);
    EXPECT_EQ(g_MiniMap.nGlideX, 0);
    EXPECT_EQ(g_MiniMap.nGlideY, 7);  // left of the map's diamond: column 0, half way down
}

TEST_F(MiniMapTest, TheCameraArrivesInTenFramesOnAStraightLineAndIgnoresASecondClick) {
    auto* m = AddMiniMap();
    AddCursor();
    Frame();
    int px = 0, py = 0;
    PointOf(*m, 12, 3, 28.0f, px, py);
    Click(px, py);  // the click's frame sets the glide
    ASSERT_EQ(g_MiniMap.nState, kMiniMapGliding);
    EXPECT_EQ(field_->m_fCameraX, 0.0f);
    for (int f = 1; f <= 10; ++f) {
        if (f == 4) {
            int ox = 0, oy = 0;
            PointOf(*m, 2, 9, 28.0f, ox, oy);
            in_.Move(ox, oy);
            in_.ClickLeft();
        }
        Frame();
        // On the line from (0, 0) to (12, 3): y is a quarter of x all the way.
        EXPECT_NEAR(field_->m_fCameraY * 4.0f, field_->m_fCameraX, 1e-4f) << "frame " << f;
        if (f < 10) {
            EXPECT_EQ(g_MiniMap.nState, kMiniMapGliding) << "frame " << f;
        }
    }
    EXPECT_EQ(g_MiniMap.nState, kMiniMapIdle);
    EXPECT_FLOAT_EQ(field_->m_fCameraX, 12.0f);
    EXPECT_FLOAT_EQ(field_->m_fCameraY, 3.0f);
    Frame();
    EXPECT_FLOAT_EQ(field_->m_fCameraX, 12.0f);  // the ignored click left nothing behind
}

TEST_F(MiniMapTest, AClickOnTheFrameFoldsOverTenFramesAndAnotherUnfolds) {
    auto* m = AddMiniMap();
    AddCursor();
    Frame();
    const RECT open = m->m_rcImage;
    Click(open.left - 3, open.top + 20);  // on the 6-pixel frame
    ASSERT_EQ(g_MiniMap.nState, kMiniMapFolding);
    for (int f = 1; f <= 10; ++f) {
        Frame();
        EXPECT_EQ(m->m_nFold, f);
        EXPECT_EQ(m->m_rcImage.top, open.top + 12 * f);
    }
    EXPECT_EQ(g_MiniMap.nState, kMiniMapFolded);
    EXPECT_EQ(g_rcFieldMiniMap.top, open.top + 120 - 6);
    // While folded a click anywhere on it (here on the former picture) unfolds it.
    Click(open.left + 100, g_rcFieldMiniMap.top + 2);
    EXPECT_EQ(g_MiniMap.nState, kMiniMapUnfolding);
    for (int f = 1; f <= 10; ++f) Frame();
    EXPECT_EQ(m->m_nFold, 0);
    EXPECT_EQ(g_MiniMap.nState, kMiniMapIdle);
    EXPECT_EQ(m->m_rcImage.top, open.top);
}

TEST_F(MiniMapTest, WithoutACursorClicksDoNothingAndTheRectangleGoesWithTheTask) {
    auto* m = AddMiniMap();
    Frame();
    Click(m->m_rcImage.left - 3, m->m_rcImage.top + 20);
    EXPECT_EQ(g_MiniMap.nState, kMiniMapIdle);
    EXPECT_TRUE(IsPointInMiniMap(500, 400));
    in_.Move(m->m_rcImage.left - 3, m->m_rcImage.top + 20);
    Frame();
    EXPECT_TRUE(m->m_bHover);
    tasks_.KillTask(11);
    EXPECT_FALSE(IsPointInMiniMap(500, 400));
}

TEST_F(MiniMapTest, CreateTaskRendersOnceAndEndsInItsSecondFrame) {
    AddUnit({1}, 3, 4, true);
    tasks_.AddTask(new C_TaskCreateMinimap, 701);
    Frame();
    EXPECT_TRUE(tasks_.HasTask(701));
    EXPECT_NE(field_->m_MapData.m_MiniMapBase.GetTexture(), nullptr);
    EXPECT_NE(field_->m_MapData.m_MiniMapUnits.GetTexture(), nullptr);
    EXPECT_NE(field_->m_MapData.m_MiniMapSortie.GetTexture(), nullptr);
    Frame();
    EXPECT_FALSE(tasks_.HasTask(701));
}

TEST_F(MiniMapTest, IconsBySideAndHero) {
    const int heroFriend = AddUnit({1}, 1, 1, true);
    const int troopFriend = AddUnit({10}, 2, 1, true);
    const int heroEnemy = AddUnit({30}, 3, 1, false);
    const int troopEnemy = AddUnit({20, 21}, 4, 1, false);
    EXPECT_EQ(MinimapIconOf(field_->m_UnitList, heroEnemy), 0);
    EXPECT_EQ(MinimapIconOf(field_->m_UnitList, troopEnemy), 1);
    EXPECT_EQ(MinimapIconOf(field_->m_UnitList, heroFriend), 2);
    EXPECT_EQ(MinimapIconOf(field_->m_UnitList, troopFriend), 3);
}

// The whole minimap at the lower right: ground and scenery, the four kinds of unit
// icons, the view rectangle of a camera near the middle and the frame under the pointer.
TEST_F(MiniMapTest, Picture) {
    AddUnit({1}, 2, 12, true);
    AddUnit({10, 11}, 4, 11, true);
    AddUnit({30}, 15, 3, false);
    AddUnit({20}, 17, 6, false);
    field_->m_MapData.AddSortiePosition(3, 12);
    field_->m_fCameraX = 9.0f;
    field_->m_fCameraY = 8.0f;
    tasks_.AddTask(new C_TaskCreateMinimap, 701);
    auto* m = AddMiniMap();
    AddCursor();
    Frame();
    Frame();
    in_.Move(m->m_rcImage.left - 3, m->m_rcImage.top + 30);
    tasks_.Update(field_.get());
    Clear();
    tasks_.Draw(field_.get());
    EndSpriteBatch();
    // Crop: the minimap's window only.
    std::vector<uint32_t> crop;
    const RECT rc = g_rcFieldMiniMap;
    for (int y = rc.top - 4; y < rc.bottom + 4; ++y)
        for (int x = rc.left - 4; x < rc.right + 4; ++x) crop.push_back(Pixel(x, y));
    EXPECT_TRUE(testsupport::MatchesGolden("field/info/minimap", crop.data(), rc.right - rc.left + 8,
                                           rc.bottom - rc.top + 8));
}

// Each chapter's points as its script sets them: a mark can be seen when the middle of
// it, where its letter stands, looks the same under the later points' marks.
TEST_F(MiniMapTest, EveryChaptersSortieMarksCanBeSeen) {
    for (int chapter : {0, 1, 2, 3}) {
        ASSERT_TRUE(field_->m_MapData.LoadMapCsv(chapter));
        field_->Reset();
        RunFieldInitialize(*field_, chapter, false);
        const size_t points = field_->m_MapData.m_vnSortiePos.size();
        const std::vector<uint32_t> whole = Marks(points);
        std::vector<uint32_t> below = Marks(0);
        for (size_t i = 0; i < points; ++i) {
            const std::vector<uint32_t> top = Marks(i + 1);  // mark i drawn last
            EXPECT_TRUE(SameAroundAdded(whole, top, below, 5)) << "chapter " << chapter << ", mark " << char('A' + i);
            below = top;
        }
    }
}

// The icon sheet has six marks: a seventh and an eighth point show the last, F.
TEST_F(MiniMapTest, PointsPastTheSheetsMarksShowItsLast) {
    CMapData& map = field_->m_MapData;
    for (int i = 0; i < 5; ++i) map.AddSortiePosition(i, 12);
    map.AddSortiePosition(17, 2);
    const std::vector<uint32_t> f = Marks(6);
    map.m_vnSortiePos[5].x = 10;  // F elsewhere, G on F's cell
    map.AddSortiePosition(17, 2);
    EXPECT_TRUE(SameAroundAdded(f, Marks(7), Marks(6), 16));
    map.m_vnSortiePos[6].x = 12;  // G elsewhere, H on F's cell
    map.AddSortiePosition(17, 2);
    EXPECT_TRUE(SameAroundAdded(f, Marks(8), Marks(7), 16));
}

}  // namespace
