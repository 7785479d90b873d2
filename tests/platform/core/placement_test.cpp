// The picture on outputs of other sizes: where it lands, how it is scaled, how a
// pointer position maps back (onto the pixel shown there), and which part of a frame
// counts as changed.
#include <gtest/gtest.h>

#include <vector>

#include "core/backend.h"
#include "system.h"

namespace {

using plat::detail::FitPicture;
using plat::detail::FrameChange;
using plat::detail::Placement;

constexpr uint32_t kBar = 0xDEADBEEFu;

// Every picture pixel names its own position.
std::vector<uint32_t> NamedPicture(int w, int h) {
    std::vector<uint32_t> pic(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pic[size_t(y) * w + x] = uint32_t(y) << 16 | uint32_t(x);
    return pic;
}

struct FitCase {
    int outW, outH;
    Placement expected;
};

TEST(Placement, WholeFactorsLetterboxedAndFractionalOnlyBelowThePicture) {
    const FitCase cases[] = {
        {640, 480, {0, 0, 640, 480}},       {800, 600, {80, 60, 640, 480}},
        {1920, 1080, {320, 60, 1280, 960}}, {1366, 768, {363, 144, 640, 480}},
        {2560, 1440, {320, 0, 1920, 1440}}, {320, 400, {0, 80, 320, 240}},
        {480, 360, {0, 0, 480, 360}},       {0, 0, {0, 0, 640, 480}},
    };
    for (const FitCase& c : cases) {
        const Placement p = FitPicture(c.outW, c.outH, 640, 480);
        EXPECT_EQ(p.x, c.expected.x) << c.outW << "x" << c.outH;
        EXPECT_EQ(p.y, c.expected.y) << c.outW << "x" << c.outH;
        EXPECT_EQ(p.w, c.expected.w) << c.outW << "x" << c.outH;
        EXPECT_EQ(p.h, c.expected.h) << c.outW << "x" << c.outH;
    }
}

// Scaled up, down and one to one, each output pixel shows the picture pixel a click
// there reports; the bars keep what they had and map outside the picture.
TEST(Placement, ClicksLandOnThePixelTheOutputShows) {
    const int picW = 64, picH = 48;
    const std::vector<uint32_t> pic = NamedPicture(picW, picH);
    const int outputs[][2] = {{64, 48}, {80, 60}, {192, 108}, {137, 77}, {32, 40}, {48, 36}, {50, 37}};
    for (const auto& o : outputs) {
        const int outW = o[0], outH = o[1];
        const Placement p = FitPicture(outW, outH, picW, picH);
        std::vector<uint32_t> out(size_t(outW) * outH, kBar);
        const Placement written =
            plat::detail::ScalePicture(pic.data(), picW, picH, picW, p, FrameChange{}, out.data(), outW, outH, outW);
        EXPECT_EQ(written.w, p.w);
        EXPECT_EQ(written.h, p.h);
        for (int oy = 0; oy < outH; ++oy) {
            for (int ox = 0; ox < outW; ++ox) {
                int cx, cy;
                plat::detail::OutputToPicture(p, picW, picH, ox, oy, cx, cy);
                const bool inside = cx >= 0 && cy >= 0 && cx < picW && cy < picH;
                const uint32_t shown = out[size_t(oy) * outW + ox];
                if (inside) {
                    ASSERT_EQ(shown, uint32_t(cy) << 16 | uint32_t(cx)) << outW << "x" << outH << " at " << ox << ","
                                                                        << oy;
                } else {
                    ASSERT_EQ(shown, kBar) << outW << "x" << outH << " at " << ox << "," << oy;
                }
            }
        }
    }
}

// Only the changed part is drawn again: at twice the size, each changed pixel is a
// 2 x 2 block and nothing around it is touched.
TEST(Placement, ChangedPartAloneIsScaled) {
    const std::vector<uint32_t> pic = NamedPicture(640, 480);
    const Placement p = FitPicture(1920, 1080, 640, 480);
    std::vector<uint32_t> out(size_t(1920) * 1080, kBar);
    const Placement written = plat::detail::ScalePicture(pic.data(), 640, 480, 640, p, FrameChange{100, 50, 110, 53},
                                                         out.data(), 1920, 1080, 1920);
    EXPECT_EQ(written.x, 320 + 200);
    EXPECT_EQ(written.y, 60 + 100);
    EXPECT_EQ(written.w, 20);
    EXPECT_EQ(written.h, 6);
    size_t touched = 0;
    for (uint32_t v : out) touched += v != kBar;
    EXPECT_EQ(touched, 20u * 6u);
    EXPECT_EQ(out[size_t(60 + 105) * 1920 + 320 + 219], uint32_t(52) << 16 | 109u);
    // Nothing of the picture changed: nothing is written.
    EXPECT_EQ(plat::detail::ScalePicture(pic.data(), 640, 480, 640, p, FrameChange{0, 0, 0, 0}, out.data(), 1920,
                                         1080, 1920)
                  .w,
              0);
}

struct ChangeCase {
    const char* what;
    std::vector<std::pair<int, int>> touched;  // pixels changed since the frame before
    FrameChange expected;
};

TEST(Placement, FrameChangeIsTheBoxAroundTheChangedPixels) {
    const int w = 64, h = 8;
    std::vector<uint32_t> frame(size_t(w) * h, 0xFF000000u);
    FrameChange first = plat::detail::StoreFrame(frame.data(), w, h, w);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.top, 0);
    EXPECT_EQ(first.right, w);
    EXPECT_EQ(first.bottom, h);
    const ChangeCase cases[] = {
        {"nothing", {}, {w, h, 0, 0}},
        {"one pixel", {{17, 3}}, {17, 3, 18, 4}},
        {"the row ends", {{0, 0}, {63, 0}}, {0, 0, 64, 1}},
        {"two apart", {{40, 1}, {5, 6}}, {5, 1, 41, 7}},
    };
    for (const ChangeCase& c : cases) {
        for (auto [x, y] : c.touched) frame[size_t(y) * w + x] ^= 0x00FFFFFFu;
        const FrameChange got = plat::detail::StoreFrame(frame.data(), w, h, w);
        EXPECT_EQ(got.left, c.expected.left) << c.what;
        EXPECT_EQ(got.top, c.expected.top) << c.what;
        EXPECT_EQ(got.right, c.expected.right) << c.what;
        EXPECT_EQ(got.bottom, c.expected.bottom) << c.what;
        // The frame kept is the new one: presenting it again changes nothing.
        const FrameChange again = plat::detail::StoreFrame(frame.data(), w, h, w);
        EXPECT_GE(again.left, again.right) << c.what;
    }
}

}  // namespace
