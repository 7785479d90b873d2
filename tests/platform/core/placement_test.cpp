// The picture on outputs of other sizes: where it lands, that a click maps to the pixel
// shown there, and which part of a frame counts as changed.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/backend.h"

namespace {

using namespace plat::detail;

// Whole factors letterboxed, fractional only below the picture's size. Each output
// pixel of the changed part shows the picture pixel a click there reports; all else
// (the bars too) keeps what it had.
TEST(Placement, LetterboxedAndClicksLandOnThePixelShown) {
    const int picW = 64, picH = 48;
    std::vector<uint32_t> pic(size_t(picW) * picH);
    for (size_t i = 0; i < pic.size(); ++i) pic[i] = uint32_t(i);
    const struct {
        int w, h;
        Placement at;
    } cases[] = {{64, 48, {0, 0, 64, 48}},   {80, 60, {8, 6, 64, 48}}, {192, 108, {32, 6, 128, 96}},
                 {137, 77, {36, 14, 64, 48}}, {32, 40, {0, 8, 32, 24}}, {50, 37, {0, 0, 49, 37}}};
    for (const auto& c : cases) {
        const Placement p = FitPicture(c.w, c.h, picW, picH);
        EXPECT_EQ(std::tie(p.x, p.y, p.w, p.h), std::tie(c.at.x, c.at.y, c.at.w, c.at.h)) << c.w << "x" << c.h;
        for (const FrameChange area : {kWholeFrame, FrameChange{10, 5, 13, 7}}) {
            std::vector<uint32_t> out(size_t(c.w) * c.h, 0xDEADBEEFu);
            ScalePicture(pic.data(), picW, picH, picW, p, area, out.data(), c.w, c.h, c.w);
            for (int oy = 0; oy < c.h; ++oy)
                for (int ox = 0; ox < c.w; ++ox) {
                    int cx, cy;
                    OutputToPicture(p, picW, picH, ox, oy, cx, cy);
                    const bool drawn = cx >= area.left && cx < std::min(area.right, picW) && cy >= area.top &&
                                       cy < std::min(area.bottom, picH);
                    ASSERT_EQ(out[size_t(oy) * c.w + ox], drawn ? pic[size_t(cy) * picW + cx] : 0xDEADBEEFu)
                        << c.w << "x" << c.h << " at " << ox << "," << oy;
                }
        }
    }
}

// The boxes around the changed pixels: of the whole frame, or of each part the frame is
// told may differ (only there is compared and kept).
TEST(Placement, FrameChangesAreTheBoxesAroundTheChangedPixels) {
    const int w = 64, h = 8;
    std::vector<uint32_t> frame(size_t(w) * h, 0xFF000000u);
    using Boxes = std::vector<std::tuple<int, int, int, int>>;
    const auto boxes = [](const FrameChanges& changes) {
        Boxes b;
        for (const FrameChange& c : changes) b.emplace_back(c.left, c.top, c.right, c.bottom);
        return b;
    };
    FrameChanges changes;
    StoreFrame(frame.data(), w, h, w, changes);
    EXPECT_EQ(boxes(changes), (Boxes{{0, 0, w, h}}));
    const struct {
        std::vector<std::pair<int, int>> touched;
        Boxes changed;
    } cases[] = {{{}, {}}, {{{17, 3}}, {{17, 3, 18, 4}}}, {{{0, 0}, {63, 0}}, {{0, 0, 64, 1}}},
                 {{{40, 1}, {5, 6}}, {{5, 1, 41, 7}}}};
    for (const auto& c : cases) {
        for (auto [x, y] : c.touched) frame[size_t(y) * w + x] ^= 0x00FFFFFFu;
        StoreFrame(frame.data(), w, h, w, changes);
        EXPECT_EQ(boxes(changes), c.changed);
    }
    const std::vector<plat::FrameRect> told = {{16, 2, 48, 3}, {60, 5, 99, 6}, {0, 0, 16, 8}};  // one past the row
    frame[2 * w + 20] ^= 0x00FFFFFFu;
    frame[2 * w + 30] ^= 0x00FFFFFFu;
    frame[5 * w + 63] ^= 0x00FFFFFFu;
    frame[7 * w + 50] ^= 0x00FFFFFFu;  // outside what it is told
    StoreFrame(frame.data(), w, h, w, changes, &told);
    EXPECT_EQ(boxes(changes), (Boxes{{20, 2, 31, 3}, {63, 5, 64, 6}}));
    StoreFrame(frame.data(), w, h, w, changes);
    EXPECT_EQ(boxes(changes), (Boxes{{50, 7, 51, 8}}));
}

}  // namespace
