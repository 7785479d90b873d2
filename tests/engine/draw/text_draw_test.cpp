// Text measured and rendered into its render target.
#include <gtest/gtest.h>

#include <string>

#include "Draw/gvlD3DTextDraw.h"
#include "gfx/font.h"
#include "golden.h"

namespace {

class Dev {
public:
    Dev(int w, int h) {
        EXPECT_EQ(CreateD3DDevice(false, w, h), S_OK);
        InitDrawObjects(g_pD3DDevice);
        g_pD3DDevice->SetRenderState(gfx::RS_LIGHTING, 0);
        g_pD3DDevice->SetRenderState(gfx::RS_ZENABLE, 0);
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    ~Dev() {
        EndSpriteBatch();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
};

// Rows of the render target that hold any glyph coverage.
std::vector<int> InkRows(CD3DTextDraw& t) {
    std::vector<int> rows;
    gfx::Texture* tex = t.GetRenderTarget().GetTexture();
    for (int y = 0; y < tex->Height(); ++y)
        for (int x = 0; x < tex->Width(); ++x)
            if ((tex->Pixels()[y * tex->Width() + x] >> 24) != 0) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(TextFont, GothicFaceResolvesToIpaGothic) {
    auto f = gfx::Font::Create(reinterpret_cast<const char*>(u8"ＭＳ ゴシック"), 12);
    ASSERT_NE(f, nullptr);
    EXPECT_NE(f->FilePath().find("ipag"), std::string::npos) << f->FilePath();
    int w = 0, h = 0;
    f->MeasureLine(U"AB", w, h);
    EXPECT_EQ(w, 12);  // fixed pitch: half width is half the height
    EXPECT_EQ(h, 12);
    f->MeasureLine(U"日本", w, h);
    EXPECT_EQ(w, 24);
}

TEST(TextDraw, TwoLinesMeasureAndDraw) {
    CD3DTextDraw t;
    t.SetText("AB\r\nCD", 12, 0xFFFFFFFF);
    int w = 0, h = 0;
    t.GetTextSize(w, h);
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 24);
    EXPECT_EQ(t.GetLineHeight(), 12);
    t.Render();
    EXPECT_TRUE(t.IsRendered());
    EXPECT_EQ(t.GetRenderTarget().GetTexture(), nullptr);  // no device yet
    Dev dev(64, 64);
    ASSERT_NE(t.GetRenderTarget().GetTexture(), nullptr);  // rendered by InitDrawObjects
    EXPECT_EQ(t.GetRenderTarget().GetTexture()->Width(), 16);
    EXPECT_EQ(t.GetRenderTarget().GetTexture()->Height(), 32);
    const std::vector<int> rows = InkRows(t);
    ASSERT_FALSE(rows.empty());
    EXPECT_LT(rows.front(), 12);
    EXPECT_GE(rows.back(), 12);
    EXPECT_LT(rows.back(), 24);
}

TEST(TextDraw, LineHeightSpacesLinesAndItalicOnlyWidens) {
    Dev dev(64, 64);
    CD3DTextDraw a, b;
    a.SetText("AB\r\nCD", 12, 0xFFFFFFFF);
    b.SetText("AB\r\nCD", 12, 0xFFFFFFFF);
    b.SetLineHeight(20);
    int w = 0, h = 0;
    b.GetTextSize(w, h);
    EXPECT_EQ(h, 32);
    a.Render();
    b.Render();
    const std::vector<int> ra = InkRows(a), rb = InkRows(b);
    ASSERT_FALSE(ra.empty());
    ASSERT_FALSE(rb.empty());
    EXPECT_EQ(rb.back() - ra.back(), 8);  // the second line 20 instead of 12 below the first
    // Italic: a quarter of the font height wider, glyphs unchanged.
    CD3DTextDraw it;
    it.SetText("ABCD", 16, 0xFFFFFFFF);
    it.SetItalic(true);
    it.GetTextSize(w, h);
    EXPECT_EQ(w, 32 + 4);
    it.Render();
    CD3DTextDraw up;
    up.SetText("ABCD", 16, 0xFFFFFFFF);
    up.Render();
    gfx::Texture* ti = it.GetRenderTarget().GetTexture();
    gfx::Texture* tu = up.GetRenderTarget().GetTexture();
    ASSERT_EQ(ti->Width(), tu->Width());
    EXPECT_TRUE(std::equal(ti->Pixels(), ti->Pixels() + ti->Width() * ti->Height(), tu->Pixels()));
}

// Lone CR or LF break lines like CR LF, and a long line is measured whole.
TEST(TextDraw, OneLineSplitterForMeasureAndDraw) {
    Dev dev(64, 64);
    int w1, h1, w2, h2, w3, h3;
    CD3DTextDraw t;
    t.SetText("AB\r\nCD", 12, 0xFFFFFFFF);
    t.GetTextSize(w1, h1);
    t.SetText("AB\nCD", 12, 0xFFFFFFFF);
    t.GetTextSize(w2, h2);
    t.SetText("AB\rCD", 12, 0xFFFFFFFF);
    t.GetTextSize(w3, h3);
    EXPECT_EQ(w1, w2);
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(w1, w3);
    EXPECT_EQ(h1, h3);
    t.Render();
    const std::vector<int> rows = InkRows(t);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.back(), 12);  // the second line is drawn
    t.SetText(std::string(300, 'x'), 12, 0xFFFFFFFF);
    t.GetTextSize(w1, h1);
    EXPECT_EQ(w1, 300 * 6);
    t.SetText("", 12, 0xFFFFFFFF);
    t.GetTextSize(w1, h1);
    EXPECT_EQ(w1, 0);
    EXPECT_EQ(h1, 0);
    t.Render();
    EXPECT_EQ(t.GetRenderTarget().GetTexture()->Width(), 1);
}

// A Japanese and ASCII line at two heights, drawn to the screen from its texture.
TEST(TextDraw, JapaneseAndAsciiAtTwoHeights) {
    Dev dev(160, 64);
    CD3DTextDraw small, large;
    small.SetText("日本語とABC 123", 12, 0xFFFFFFFF);
    large.SetText("勝利条件:Win!", 24, 0xFFFFE080);
    small.Render();
    large.Render();
    int w, h;
    small.GetTextSize(w, h);
    EXPECT_EQ(w, 4 * 12 + 7 * 6);
    EXPECT_EQ(h, 12);
    small.GetRenderTarget().Draw(4, 4, 255);
    large.GetRenderTarget().Draw(4, 24, 255);
    EndSpriteBatch();
    EXPECT_TRUE(testsupport::MatchesGolden("engine/draw/text_two_heights", g_pD3DDevice->BackBuffer(), 160, 64));
}

}  // namespace
