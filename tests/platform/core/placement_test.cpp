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
        for (const FrameChange area : {FrameChange{}, FrameChange{10, 5, 13, 7}}) {
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

TEST(Placement, FrameChangeIsTheBoxAroundTheChangedPixels) {
    const int w = 64, h = 8;
    std::vector<uint32_t> frame(size_t(w) * h, 0xFF000000u);
    const FrameChange first = StoreFrame(frame.data(), w, h, w);
    EXPECT_EQ(std::tie(first.left, first.top, first.right, first.bottom), std::make_tuple(0, 0, w, h));
    const struct {
        std::vector<std::pair<int, int>> touched;
        FrameChange box;
    } cases[] = {{{}, {w, h, 0, 0}}, {{{17, 3}}, {17, 3, 18, 4}}, {{{0, 0}, {63, 0}}, {0, 0, 64, 1}},
                 {{{40, 1}, {5, 6}}, {5, 1, 41, 7}}};
    for (const auto& c : cases) {
        for (auto [x, y] : c.touched) frame[size_t(y) * w + x] ^= 0x00FFFFFFu;
        const FrameChange got = StoreFrame(frame.data(), w, h, w);
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(c.box.left, c.box.top, c.box.right, c.box.bottom));
    }
    // Told where the frame may differ, only there is compared (and kept).
    int32_t spans[h][2] = {};
    spans[2][0] = 16, spans[2][1] = 48;
    spans[5][0] = 60, spans[5][1] = 99;  // reaching past the row
    frame[2 * w + 20] ^= 0x00FFFFFFu;
    frame[5 * w + 63] ^= 0x00FFFFFFu;
    const FrameChange told = StoreFrame(frame.data(), w, h, w, spans);
    EXPECT_EQ(std::tie(told.left, told.top, told.right, told.bottom), std::make_tuple(20, 2, 64, 6));
    const FrameChange again = StoreFrame(frame.data(), w, h, w);
    EXPECT_EQ(std::tie(again.left, again.top, again.right, again.bottom), std::make_tuple(w, h, 0, 0));
}

}  // namespace
