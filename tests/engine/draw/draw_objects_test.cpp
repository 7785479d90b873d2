// Draw objects through their own classes: the registry, the global sprite batch,
// textures, squares, polygon strips, render targets and lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawLine.h"
#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlD3DRTSquare.h"
#include "golden.h"
#include "log/ErrorLog.h"

namespace {

// A device of w x h with the draw objects initialised; released at the end.
class DeviceScope {
public:
    DeviceScope(int w, int h) {
        EXPECT_EQ(CreateD3DDevice(false, w, h), S_OK);
        InitDrawObjects(g_pD3DDevice);
        g_pD3DDevice->SetRenderState(gfx::RS_LIGHTING, 0);
        g_pD3DDevice->SetRenderState(gfx::RS_ZENABLE, 0);
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    ~DeviceScope() {
        EndSpriteBatch();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
    uint32_t Px(int x, int y) const { return g_pD3DDevice->BackBuffer()[size_t(y) * g_pD3DDevice->Width() + x]; }
};

class Probe : public CD3DObjectBase {
public:
    explicit Probe(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    void Restore() override {
        log_->push_back("R" + name_);
        if (spawn) {
            spawn = false;
            child = new Probe(log_, name_ + "'");
        }
    }
    void Invalidate() override { log_->push_back("I" + name_); }
    bool spawn = false;
    Probe* child = nullptr;

private:
    std::vector<std::string>* log_;
    std::string name_;
};

TEST(DrawRegistry, LastObjectDeletesRegistryAndANewOneStartsEmpty) {
    // Program-wide draw objects built before main (the presentation resources) may
    // already be registered; the rule can only be watched without them.
    if (GetDrawObjectCount() != 0) GTEST_SKIP() << "static draw objects are registered";
    ASSERT_FALSE(HasDrawObjectRegistry());
    std::vector<std::string> log;
    {
        Probe a(&log, "A");
        EXPECT_TRUE(HasDrawObjectRegistry());
        EXPECT_EQ(GetDrawObjectCount(), 1);
    }
    EXPECT_FALSE(HasDrawObjectRegistry());
    Probe b(&log, "B");
    EXPECT_EQ(GetDrawObjectCount(), 1);
    EXPECT_EQ(GetDrawObject(0), &b);
}

TEST(DrawRegistry, RestoreAndInvalidateFollowRegistrationOrder) {
    const int base = GetDrawObjectCount();
    std::vector<std::string> log;
    auto* a = new Probe(&log, "A");
    auto* b = new Probe(&log, "B");
    auto* c = new Probe(&log, "C");
    a->spawn = true;  // an object registered during the walk is restored too
    {
        DeviceScope dev(8, 8);
        EXPECT_EQ((std::vector<std::string>{"RA", "RB", "RC", "RA'"}), log);
        log.clear();
        delete b;
        EXPECT_EQ(GetDrawObjectCount(), base + 3);
        EXPECT_EQ(GetDrawObject(base + 0), a);
        EXPECT_EQ(GetDrawObject(base + 1), c);
        ReleaseDrawObjects();
        EXPECT_EQ(g_pSprite, nullptr);
        EXPECT_NE(g_pD3DDevice, nullptr);  // the device outlives the draw objects
        EXPECT_EQ((std::vector<std::string>{"IA", "IC", "IA'"}), log);
    }
    delete a->child;
    delete a;
    delete c;
    EXPECT_EQ(GetDrawObjectCount(), base);
    EXPECT_EQ(HasDrawObjectRegistry(), base != 0);
}

// Removing an object from the middle keeps the order of the others.
TEST(DrawRegistry, RemovalKeepsOrder) {
    const int base = GetDrawObjectCount();
    std::vector<std::string> log;
    Probe a(&log, "A");
    {
        Probe b(&log, "B");
        Probe c(&log, "C");
        EXPECT_EQ(GetDrawObject(base + 1), &b);
    }
    Probe d(&log, "D");
    EXPECT_EQ(GetDrawObjectCount(), base + 2);
    EXPECT_EQ(GetDrawObject(base + 0), &a);
    EXPECT_EQ(GetDrawObject(base + 1), &d);
}

TEST(DrawGlobals, NextPowerOfTwoIsStrictlyGreater) {
    auto np = [](int v) {
        int w = v, h = v;
        NextPowerOfTwo(w, h);
        EXPECT_EQ(w, h);
        return w;
    };
    EXPECT_EQ(np(0), 1);
    EXPECT_EQ(np(-5), 1);
    EXPECT_EQ(np(1), 2);
    EXPECT_EQ(np(100), 128);
    EXPECT_EQ(np(128), 256);
    EXPECT_EQ(np(257), 512);
    int w = 3, h = 640;
    NextPowerOfTwo(w, h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 1024);
}

TEST(DrawGlobals, SpriteBatchOpensOnceAndClosesOnlyWhenOpen) {
    EndSpriteBatch();  // nothing open, nothing happens
    EXPECT_FALSE(g_bSpriteBegun);
    DeviceScope dev(8, 8);
    ASSERT_NE(g_pSprite, nullptr);
    BeginSpriteBatch();
    BeginSpriteBatch();
    EXPECT_TRUE(g_bSpriteBegun);
    EXPECT_TRUE(g_pSprite->IsBegun());
    EndSpriteBatch();
    EXPECT_FALSE(g_bSpriteBegun);
    EXPECT_FALSE(g_pSprite->IsBegun());
    EndSpriteBatch();
    EXPECT_FALSE(g_bSpriteBegun);
}

TEST(DrawGlobals, CreateDeviceFillsPresentParameters) {
    ASSERT_EQ(CreateD3DDevice(true, 640, 480), S_OK);
    EXPECT_FALSE(g_D3DPresentParameters.Windowed);
    EXPECT_EQ(g_D3DPresentParameters.BackBufferWidth, 640);
    EXPECT_EQ(g_D3DPresentParameters.BackBufferCount, 1);
    EXPECT_EQ(g_pD3DDevice->Width(), 640);
    ASSERT_EQ(CreateD3DDevice(false, 320, 240), S_OK);
    EXPECT_TRUE(g_D3DPresentParameters.Windowed);
    EXPECT_EQ(g_D3DPresentParameters.BackBufferWidth, 0);
    EXPECT_EQ(g_pD3DDevice->Height(), 240);
    ReleaseD3DDevice();
    EXPECT_EQ(g_pD3DDevice, nullptr);
    EXPECT_EQ(CreateD3DDevice(false, 0, 0), E_FAIL);
}

// ---- squares ----

TEST(DrawSquare, SizeCornersWithAndWithoutHalfPixel) {
    CD3DDrawSquare s(100, 50, 0xFF112233, 0.5f);
    EXPECT_EQ(s.m_vertices[0].x, -0.5f);
    EXPECT_EQ(s.m_vertices[0].y, -0.5f);
    EXPECT_EQ(s.m_vertices[1].x, 99.5f);
    EXPECT_EQ(s.m_vertices[2].y, 49.5f);
    EXPECT_EQ(s.m_vertices[3].x, 99.5f);
    EXPECT_EQ(s.m_vertices[3].y, 49.5f);
    EXPECT_EQ(s.m_vertices[3].u, 1.0f);
    EXPECT_EQ(s.m_vertices[2].v, 1.0f);
    EXPECT_EQ(s.m_vertices[1].z, 0.5f);
    EXPECT_EQ(s.m_vertices[1].rhw, 1.0f);
    EXPECT_EQ(s.m_vertices[1].color, 0xFF112233u);
    EXPECT_EQ(s.m_nBlendMode, 0);
    s.SetSizeExact(100, 50, 0xFF000000, 0);
    EXPECT_EQ(s.m_vertices[0].x, 0.0f);
    EXPECT_EQ(s.m_vertices[1].x, 100.0f);
    EXPECT_EQ(s.m_vertices[3].y, 50.0f);
    RECT rc{16, 8, 48, 24};
    s.SetSourceRect(rc, 64, 32);
    EXPECT_EQ(s.m_vertices[3].x, 31.5f);
    EXPECT_EQ(s.m_vertices[3].y, 15.5f);
    EXPECT_FLOAT_EQ(s.m_vertices[0].u, 0.25f);
    EXPECT_FLOAT_EQ(s.m_vertices[3].u, 0.75f);
    EXPECT_FLOAT_EQ(s.m_vertices[3].v, 0.75f);
    EXPECT_EQ(s.m_vertices[0].color, 0xFF000000u);  // colour kept
}

TEST(DrawSquare, CoversExactlyItsPixelsAndAppliesBlendModes) {
    DeviceScope dev(16, 16);
    CD3DDrawSquare s(4, 3, 0xFFFF0000);
    s.Draw(2, 5);
    EXPECT_EQ(dev.Px(2, 5), 0xFFFF0000u);
    EXPECT_EQ(dev.Px(5, 7), 0xFFFF0000u);
    EXPECT_EQ(dev.Px(6, 5), 0xFF000000u);
    EXPECT_EQ(dev.Px(2, 8), 0xFF000000u);
    EXPECT_EQ(dev.Px(1, 5), 0xFF000000u);

    s.m_nBlendMode = 1;
    s.Draw(0, 0);
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_DESTBLEND), gfx::BLEND_ONE);
    g_pD3DDevice->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    s.m_nBlendMode = 2;  // leaves the factors in force, still enables blending
    s.Draw(0, 0);
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_SRCBLEND), gfx::BLEND_SRCALPHA);
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_DESTBLEND), gfx::BLEND_ONE);
}

// ---- textures ----

class TextureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::make_unique<testsupport::TempDir>();
        cwd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_->path());
        // A 20 x 12 image: left half opaque red, right half half-transparent blue.
        std::vector<uint32_t> img(20 * 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) img[y * 20 + x] = x < 10 ? 0xFFFF0000 : 0x800000FF;
        ASSERT_TRUE(testsupport::WritePng(dir_->path() + "img.png", img.data(), 20, 12));
        std::vector<uint32_t> sq(8 * 8);
        for (int i = 0; i < 64; ++i) sq[i] = 0xFF000000u | uint32_t(i * 4) << 16 | uint32_t(255 - i * 4) << 8 | 0x40;
        ASSERT_TRUE(testsupport::WritePng(dir_->path() + "sq.png", sq.data(), 8, 8));
        sq_ = sq;
        FILE* f = std::fopen((dir_->path() + "broken.png").c_str(), "wb");
        std::fputs("not an image", f);
        std::fclose(f);
    }
    void TearDown() override {
        cwd_.reset();
        dir_.reset();
    }
    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd_;
    std::vector<uint32_t> sq_;
};

TEST_F(TextureFiles, LoadsAtOnceWithADeviceAndOtherwiseAtInit) {
    CD3DDrawTexture early("img.png");
    EXPECT_EQ(early.GetTexture(), nullptr);
    DeviceScope dev(32, 32);
    ASSERT_NE(early.GetTexture(), nullptr);
    EXPECT_EQ(early.GetWidth(), 32);  // rounded up to powers of two
    EXPECT_EQ(early.GetHeight(), 16);
    CD3DDrawTexture late("img.png");
    EXPECT_NE(late.GetTexture(), nullptr);
    EXPECT_EQ(late.Load("sq.png"), 0);
    EXPECT_EQ(late.GetWidth(), 8);
    EXPECT_EQ(late.GetFileName(), "sq.png");
}

TEST_F(TextureFiles, BrokenOrMissingImageLogsAndDrawsNothing) {
    DeviceScope dev(16, 16);
    CD3DDrawTexture broken("broken.png");
    EXPECT_EQ(broken.GetTexture(), nullptr);
    EXPECT_NE(g_ErrorLog.GetLastText().find("broken.png"), std::string::npos);
    CD3DDrawTexture missing("nothing_here.png");
    EXPECT_EQ(missing.GetTexture(), nullptr);
    EXPECT_NE(g_ErrorLog.GetLastText().find("nothing_here.png"), std::string::npos);
    broken.Draw(0, 0, 255);
    missing.DrawScaled(0, 0, 2, 2, 1, 1, 255);
    EndSpriteBatch();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(dev.Px(x, y), 0xFF000000u);
}

TEST_F(TextureFiles, SpriteDrawIsTexelExactAndCarriesAlpha) {
    DeviceScope dev(24, 24);
    CD3DDrawTexture t("sq.png");
    t.Draw(3, 4, 255);
    EndSpriteBatch();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(dev.Px(3 + x, 4 + y), sq_[y * 8 + x]);
    // Alpha 128 over black: every channel halves (colour 0x80FFFFFF).
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1, 0);
    t.Draw(0, 0, 128);
    EndSpriteBatch();
    const uint32_t c = sq_[0];
    auto half = [](uint32_t v) { return (v * 128 + 127) / 255; };
    EXPECT_EQ(dev.Px(0, 0) & 0xFFFFFF, half((c >> 16) & 0xFF) << 16 | half((c >> 8) & 0xFF) << 8 | half(c & 0xFF));
    // A source rectangle.
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1, 0);
    RECT rc{2, 3, 5, 7};
    t.Draw(10, 10, 255, &rc);
    EndSpriteBatch();
    EXPECT_EQ(dev.Px(10, 10), sq_[3 * 8 + 2]);
    EXPECT_EQ(dev.Px(12, 13), sq_[6 * 8 + 4]);
    EXPECT_EQ(dev.Px(13, 10), 0xFF000000u);
    EXPECT_EQ(dev.Px(10, 14), 0xFF000000u);
}

TEST_F(TextureFiles, ScaledWithScaleOneMatchesDrawAndScalesAboutCentre) {
    DeviceScope dev(32, 32);
    CD3DDrawTexture t("sq.png");
    t.Draw(5, 6, 255);
    EndSpriteBatch();
    std::vector<uint32_t> a(g_pD3DDevice->BackBuffer(), g_pD3DDevice->BackBuffer() + 32 * 32);
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1, 0);
    t.DrawScaled(5, 6, 1, 1, 3, 7, 255);
    EndSpriteBatch();
    std::vector<uint32_t> b(g_pD3DDevice->BackBuffer(), g_pD3DDevice->BackBuffer() + 32 * 32);
    EXPECT_EQ(a, b);
    // Scale 2 about (0, 0): 16 x 16 at (x, y).
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1, 0);
    t.DrawScaled(4, 4, 2, 2, 0, 0, 255);
    EndSpriteBatch();
    EXPECT_NE(dev.Px(4, 4), 0xFF000000u);
    EXPECT_NE(dev.Px(19, 19), 0xFF000000u);
    EXPECT_EQ(dev.Px(20, 20), 0xFF000000u);
    EXPECT_EQ(dev.Px(3, 3), 0xFF000000u);
}

// Sprite draws and direct draws land in the order they were issued.
TEST_F(TextureFiles, SpriteAndDirectDrawsKeepIssueOrder) {
    DeviceScope dev(16, 16);
    CD3DDrawTexture t("img.png");  // 32 x 16 after rounding: red, blue
    CD3DDrawSquare sq(4, 4, 0xFF00FF00);
    t.Draw(0, 0, 255);  // opens the batch
    sq.Draw(2, 2);       // ends it: the texture is below the square
    t.Draw(4, 4, 255);   // a new batch: above the square
    EndSpriteBatch();
    EXPECT_EQ(dev.Px(2, 2), 0xFF00FF00u);
    EXPECT_EQ((dev.Px(5, 5) >> 16) & 0xFF, 0xFFu);  // the second texture's red over the square
    EXPECT_TRUE(testsupport::MatchesGolden("engine/draw/sprite_order", g_pD3DDevice->BackBuffer(), 16, 16));
}

TEST_F(TextureFiles, SquareInWorldDrawsBothFaces) {
    DeviceScope dev(32, 32);
    CD3DDrawTexture t("sq.png");
    CD3DDrawSquare s;
    s.SetSizeExact(2, 2, 0xFFFFFFFF);
    g_pD3DDevice->SetTransform(gfx::TS_VIEW, vm::LookAtLH({1, 1, -4}, {1, 1, 0}, {0, 1, 0}));
    g_pD3DDevice->SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.785f, 1.0f, 0.1f, 100.0f));
    g_pD3DDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    s.DrawInWorld(&t, vm::Identity());
    int front = 0;
    for (int i = 0; i < 32 * 32; ++i) front += g_pD3DDevice->BackBuffer()[i] != 0xFF000000u;
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF000000, 1, 0);
    // Seen from behind.
    g_pD3DDevice->SetTransform(gfx::TS_VIEW, vm::LookAtLH({1, 1, 4}, {1, 1, 0}, {0, 1, 0}));
    s.DrawInWorld(&t, vm::Identity());
    int back = 0;
    for (int i = 0; i < 32 * 32; ++i) back += g_pD3DDevice->BackBuffer()[i] != 0xFF000000u;
    EXPECT_GT(front, 50);
    EXPECT_EQ(front, back);
    EXPECT_EQ(g_pD3DDevice->GetTransform(gfx::TS_WORLD).m[3][0], 0.0f);
    s.DrawInWorld(nullptr, vm::Translation(5, 0, 0));  // no texture object: nothing happens
}

// ---- polygon strips ----

TEST(DrawPolygons, FlipSetSquareAndTooFewVertices) {
    CD3DDraw3DPolygons p;
    p.m_vertices.resize(5);
    for (int i = 0; i < 5; ++i) p.m_vertices[i].x = float(i);
    p.FlipFaces();
    EXPECT_EQ(p.m_vertices[0].x, 1.0f);
    EXPECT_EQ(p.m_vertices[1].x, 0.0f);
    EXPECT_EQ(p.m_vertices[2].x, 3.0f);
    EXPECT_EQ(p.m_vertices[3].x, 2.0f);
    EXPECT_EQ(p.m_vertices[4].x, 4.0f);
    p.SetSquare(2, 3, 0x80FF0000, 1.5f);
    ASSERT_EQ(p.m_vertices.size(), 4u);
    EXPECT_EQ(p.m_vertices[3].x, 2.0f);
    EXPECT_EQ(p.m_vertices[3].y, 3.0f);
    EXPECT_EQ(p.m_vertices[3].z, 1.5f);
    EXPECT_EQ(p.m_vertices[2].nz, 1.0f);
    EXPECT_EQ(p.m_vertices[1].specular, 0x80FF0000u);
    RECT rc{0, 0, 32, 16};
    p.SetUV(rc, 64, 64);
    EXPECT_FLOAT_EQ(p.m_vertices[3].u, 0.5f);
    EXPECT_FLOAT_EQ(p.m_vertices[3].v, 0.25f);

    DeviceScope dev(16, 16);
    CD3DDraw3DPolygons two;
    two.m_vertices.resize(2);
    two.Draw(vm::Identity());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(g_pD3DDevice->BackBuffer()[i], 0xFF000000u);
    CD3DDraw3DPolygons none;
    none.Draw(vm::Identity());  // a broken invariant is logged, not fatal
    EXPECT_NE(g_ErrorLog.GetLastText().find("gvlD3DDrawSquare"), std::string::npos);
}

// ---- render targets ----

TEST(DrawRenderTarget, CreateTruncatesAndEndWithoutBeginDoesNothing) {
    CD3DRTSquare rt;
    rt.EndTarget();
    EXPECT_FALSE(rt.IsBegun());
    rt.Create(100.9, 50.2, 0x00FFFFFF);
    EXPECT_EQ(rt.GetTargetWidth(), 100);
    EXPECT_EQ(rt.GetTargetHeight(), 50);
    EXPECT_EQ(rt.GetTexture(), nullptr);  // no device yet
    DeviceScope dev(16, 16);
    ASSERT_NE(rt.GetTexture(), nullptr);  // made by InitDrawObjects
    EXPECT_EQ(rt.GetTexture()->Width(), 100);
    EXPECT_EQ(rt.GetWidth(), 0);  // the texture part's sizes stay 0
    // Sizes the device cannot make are logged and leave no texture.
    for (double bad : {0.0, -3.0, 1e20, std::nan("")}) {
        rt.Create(bad, 16, 0);
        EXPECT_EQ(rt.GetTexture(), nullptr) << bad;
        EXPECT_NE(g_ErrorLog.GetLastText().find("gvlD3DRTSquare"), std::string::npos);
    }
    rt.BeginTarget(true);  // nothing to begin
    EXPECT_FALSE(rt.IsBegun());
}

TEST(DrawRenderTarget, BeginDrawEndThenDrawAsTexture) {
    DeviceScope dev(32, 32);
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET, 0xFF203040, 1, 0);
    CD3DRTSquare rt;
    rt.Create(16, 16, 0x00FFFFFF);
    rt.BeginTarget(true);
    EXPECT_TRUE(rt.IsBegun());
    EXPECT_EQ(g_pD3DDevice->GetRenderTarget(), rt.GetTexture());
    EXPECT_EQ(g_pD3DDevice->GetViewport().width, 16u);
    CD3DDrawSquare sq(8, 8, 0xFFFF8000);
    sq.Draw(4, 4);
    rt.BeginTarget(true);  // beginning twice is a logged programming error
    rt.EndTarget();
    EXPECT_FALSE(rt.IsBegun());
    EXPECT_EQ(g_pD3DDevice->GetRenderTarget(), nullptr);
    EXPECT_EQ(g_pD3DDevice->GetViewport().width, 32u);
    rt.Draw(8, 8, 255);
    EndSpriteBatch();
    EXPECT_EQ(dev.Px(8, 8), 0xFF203040u);
    EXPECT_EQ(dev.Px(12, 12), 0xFFFF8000u);
    EXPECT_EQ(dev.Px(19, 19), 0xFFFF8000u);
    EXPECT_EQ(dev.Px(20, 20), 0xFF203040u);
    EXPECT_TRUE(testsupport::MatchesGolden("engine/draw/render_target", g_pD3DDevice->BackBuffer(), 32, 32));
}

// ---- lines ----

TEST(DrawLine, SetPointGrowsWithWhitePointsAndKeepsOtherFields) {
    CD3DDraw2DLine line;
    EXPECT_TRUE(line.m_vertices.empty());
    line.SetPoint(3, 7, 8, 0xFF00FF00);
    ASSERT_EQ(line.m_vertices.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(line.m_vertices[i].x, 0.0f);
        EXPECT_EQ(line.m_vertices[i].color, 0xFFFFFFFFu);
        EXPECT_EQ(line.m_vertices[i].rhw, 1.0f);
    }
    EXPECT_EQ(line.m_vertices[3].x, 7.0f);
    line.m_vertices[3].z = 0.25f;
    line.m_vertices[3].u = 0.5f;
    line.SetPoint(3, 9, 10, 0xFF0000FF);
    EXPECT_EQ(line.m_vertices.size(), 4u);
    EXPECT_EQ(line.m_vertices[3].y, 10.0f);
    EXPECT_EQ(line.m_vertices[3].color, 0xFF0000FFu);
    EXPECT_EQ(line.m_vertices[3].z, 0.25f);
    EXPECT_EQ(line.m_vertices[3].u, 0.5f);
}

TEST(DrawLine, SegmentsAndASinglePoint) {
    DeviceScope dev(128, 64);
    g_pD3DDevice->SetTexture(0, nullptr);
    CD3DDraw2DLine one;
    one.SetPoint(0, 5, 5, 0xFFFFFFFF);
    one.Draw();
    EXPECT_EQ(dev.Px(5, 5), 0xFF000000u);
    CD3DDraw2DLine seg;
    seg.SetPoint(0, 10, 10, 0xFFFF0000);
    seg.SetPoint(1, 100, 50, 0xFF0000FF);
    seg.Draw();
    EXPECT_EQ(dev.Px(10, 10), 0xFFFF0000u);
    EXPECT_NE(dev.Px(99, 50), 0xFF000000u);
    EXPECT_EQ(dev.Px(100, 50), 0xFF000000u);
    CD3DDraw2DLine three;
    three.SetPoint(0, 110, 5, 0xFFFFFF00);
    three.SetPoint(1, 120, 30, 0xFF00FFFF);
    three.SetPoint(2, 105, 60, 0xFFFF00FF);
    three.Draw();
    EXPECT_TRUE(testsupport::MatchesGolden("engine/draw/lines", g_pD3DDevice->BackBuffer(), 128, 64));
}

}  // namespace
