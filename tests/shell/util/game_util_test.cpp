// Program-wide helpers: bounds, argument order, rounding and the unit figure groups.
#include <gtest/gtest.h>

#include <cstring>
#include <array>
#include <new>
#include <vector>

#include "util/GameUtil.h"

namespace {

TEST(GameUtil, ClampTakesValueThenUpperThenLower) {
    EXPECT_EQ(Clamp(5, 1, 0), 1);
    EXPECT_EQ(Clamp(-1, 1, 0), 0);
    EXPECT_EQ(Clamp(0.5, 1, 0), 0.5);
    EXPECT_EQ(Clamp(1, 1, 0), 1);
}

TEST(GameUtil, SignOfDoubles) {
    EXPECT_EQ(Sign(3.5), 1);
    EXPECT_EQ(Sign(-0.001), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(-0.0), 0);
}

TEST(GameUtil, RectanglesIncludeEveryEdge) {
    EXPECT_TRUE(IsPointInRect(10, 20, 30, 40, 30, 40));  // right-bottom corner
    EXPECT_TRUE(IsPointInRect(10, 20, 30, 40, 10, 20));
    EXPECT_FALSE(IsPointInRect(10, 20, 30, 40, 31, 25));
    EXPECT_FALSE(IsPointInRect(10, 20, 30, 40, 15, 41));
    EXPECT_FALSE(IsPointInRect(10, 20, 30, 40, 9, 25));
    const gfx::Rect rc{0, 0, 5, 5};
    EXPECT_TRUE(RectContainsPoint(rc, 5, 0));
    EXPECT_FALSE(RectContainsPoint(rc, 6, 0));
}

TEST(GameUtil, PowIntBySquaring) {
    EXPECT_FLOAT_EQ(PowInt(10, 3), 1000.0f);
    EXPECT_FLOAT_EQ(PowInt(2, -2), 0.25f);
    EXPECT_FLOAT_EQ(PowInt(7, 0), 1.0f);
    EXPECT_FLOAT_EQ(PowInt(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(PowInt(-2, 5), -32.0f);
    EXPECT_FLOAT_EQ(PowInt(1.5f, 10), float(57.6650390625));
    EXPECT_FLOAT_EQ(PowInt(1, -2147483647 - 1), 1.0f);  // the most negative exponent
}

TEST(GameUtil, StringComparisonsNeedSameLength) {
    const std::string s("FieldSave");
    EXPECT_TRUE(StringEquals(s, "FieldSave"));
    EXPECT_FALSE(StringEquals(s, "FieldSav"));
    EXPECT_FALSE(StringEquals(s, "FieldSave2"));
    EXPECT_TRUE(StringNotEquals(s, "IntermissionSave"));
    EXPECT_FALSE(StringNotEquals(s, "FieldSave"));
    EXPECT_TRUE(StringEquals(std::string(), ""));
    // Embedded zero bytes make a longer string than the C string.
    EXPECT_FALSE(StringEquals(std::string("ab\0c", 4), "ab"));
}

TEST(GameUtil, NewZeroedFillsWithZeroBytes) {
    void* p = NewZeroed(257);
    const unsigned char* b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 257; ++i) ASSERT_EQ(b[i], 0) << i;
    ::operator delete(p);
}

TEST(GameUtil, TableIntegerCellsUseTheAtoiRule) {
    CTableFile t;
    const char text[] = "  12x,-7,abc\r\n";
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
    EXPECT_EQ(GetTableInt(t, 0, 0), 12);
    EXPECT_EQ(CTableFile::GetInt(t, 0, 1), -7);
    EXPECT_EQ(GetTableInt(t, 0, 2), 0);
}

struct Case {
    int figures[4];
    int arrangement;
    std::vector<std::array<int, 3>> placed;  // slot, dx, dy in drawing order
};

TEST(GameUtil, UnitFigureArrangements) {
    const Case cases[] = {
        {{-1, -1, -1, -1}, 0, {}},
        {{4, -1, -1, -1}, 1, {{0, -22, -24}}},
        {{4, 5, -1, -1}, 2, {{1, -26, -27}, {0, -17, -21}}},
        {{4, 5, 6, -1}, 3, {{2, -31, -30}, {1, -22, -24}, {0, -13, -18}}},
        {{4, 5, 6, 7}, 4, {{3, -40, -33}, {2, -28, -27}, {1, -16, -21}, {0, -4, -15}}},
        {{4, -1, 6, -1}, 5, {{2, -31, -30}, {0, -13, -18}}},
        {{4, -1, 6, 7}, 6, {{3, -40, -33}, {2, -16, -21}, {0, -4, -15}}},
        {{4, -1, -1, 7}, 6, {{3, -40, -33}, {2, -16, -21}, {0, -4, -15}}},
        // A figure number of 0 is a real figure.
        {{0, -1, -1, -1}, 1, {{0, -22, -24}}},
    };
    for (const Case& c : cases) {
        FigurePlacement out[4];
        int arrangement = -1;
        const int n = ArrangeUnitFigures(c.figures, out, &arrangement);
        EXPECT_EQ(arrangement, c.arrangement);
        ASSERT_EQ(n, int(c.placed.size()));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(out[i].slot, c.placed[i][0]);
            EXPECT_EQ(out[i].dx, c.placed[i][1]);
            EXPECT_EQ(out[i].dy, c.placed[i][2]);
        }
    }
}

TEST(GameUtil, DrawUnitFiguresWithoutSheetOrDeviceIsHarmless) {
    DrawUnitFigures(nullptr, 100, 100, 255, 1, 2, -1, 3);
}

}  // namespace
