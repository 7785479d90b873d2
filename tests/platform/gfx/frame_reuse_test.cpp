// Frames that repeat the last one, wholly or in part, give the pixels of drawing every
// call: one device keeps and resumes frames, a second draws everything, and their
// pictures are compared frame by frame (and where a frame reads its picture midway).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

#include "gfx/device.h"
#include "gfx/device_impl.h"
#include "gfx/texture.h"
#include "gfx_test_util.h"
#include "system.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct FrameCase {
    const char* what;
    uint32_t highlight = 0x80FF0000;  // the quad drawn midway
    bool clear = true;                // the frame starts with a whole clear
    bool lockAfterDraw = false;       // the texture is written after a draw read it
    bool readMidway = false;          // the picture is read before the frame ends
    bool temporary = false;           // a texture drawn and destroyed within the frame
    bool renderTarget = false;        // drawn into a target, then sampled
    bool depth = false;               // depth-tested indexed triangles in 3D
    Rect scissor{};                   // the midway quads drawn within it (when not empty)
    bool drawAgain = false;           // the texture drawn again after it was written
};

const FrameCase kFrames[] = {
    {"first"}, {"same"}, {"same again"},
    {"midway quad changes", 0x8000FF00}, {"midway quad changes back"}, {"same as before"},
    {"midway quad changes again", 0x400000FF}, {"and back"},
    {"texture locked after a draw read it", 0x80FF0000, true, true}, {"after the lock"},
    {"texture written after a draw read it, then drawn again", 0x80FF0000, true, true, false, false, false, false, {},
     true},
    {"written and drawn again once more", 0x80FF0000, true, true, false, false, false, false, {}, true},
    {"after the second texture"},
    {"picture read midway", 0x80FF0000, true, false, true},
    {"temporary texture", 0x80FF0000, true, false, false, true},
    {"another temporary texture", 0x80FF0000, true, false, false, true},
    {"render target", 0x80FF0000, true, false, false, false, true},
    {"render target again", 0x80FF0000, true, false, false, false, true},
    {"depth", 0x80FF0000, true, false, false, false, false, true},
    {"depth again", 0x80FF0000, true, false, false, false, false, true},
    {"no clear: adds up", 0x80FF0000, false}, {"no clear again", 0x80FF0000, false},
    {"plain"}, {"plain again"},
    {"scissor", 0x80FF0000, true, false, false, false, false, false, {8, 8, 40, 30}},
    {"scissor again", 0x80FF0000, true, false, false, false, false, false, {8, 8, 40, 30}},
    {"scissor moves", 0x80FF0000, true, false, false, false, false, false, {0, 20, 64, 40}},
    {"scissor stays, the quad changes", 0x8000FF00, true, false, false, false, false, false, {0, 20, 64, 40}},
    {"scissor off"}, {"scissor off again"},
};

struct Scene {
    explicit Scene(bool reuse) : device(64, 64), texture(8, 8), target(16, 16, Format::A8R8G8B8, true) {
        device.SetFrameReuse(reuse);
        uint32_t* p = texture.Lock();
        for (int i = 0; i < 64; ++i) p[i] = 0xFF000000u | uint32_t(i * 0x030507);
        texture.Unlock();
    }

    // One frame; the pixels read midway, if any.
    std::vector<uint32_t> Draw(const FrameCase& f, int frame) {
        Device& d = device;
        std::vector<uint32_t> midway;
        if (f.clear) d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF101010, 1.0f, 0);
        d.SetRenderState(RS_LIGHTING, 0);
        d.SetRenderState(RS_ALPHABLENDENABLE, 1);
        d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
        d.SetTexture(0, &texture);
        Quad(d, 0, 0, 64, 64, 0xC0FFFFFF);
        d.SetTexture(0, nullptr);
        const bool scissor = f.scissor.right > f.scissor.left;
        if (scissor) d.SetScissorRect(f.scissor);
        d.SetRenderState(RS_SCISSORTESTENABLE, scissor);
        Quad(d, 10, 12, 20, 18, f.highlight);
        Quad(d, 24, 22, 30, 25, 0x60FFFFFF);  // over part of it
        d.SetRenderState(RS_SCISSORTESTENABLE, 0);
        d.SetScissorRect(Rect{0, 0, 64, 64});
        if (f.lockAfterDraw) {
            texture.Lock()[9] = 0xFF00FF00u + uint32_t(frame);
            texture.Unlock();
        }
        if (f.drawAgain) {
            d.SetTexture(0, &texture);
            Quad(d, 34, 2, 24, 20, 0xFFFFFFFF);
            d.SetTexture(0, nullptr);
        }
        if (f.temporary) {
            Texture scratch(4, 4);
            std::fill(scratch.Pixels(), scratch.Pixels() + 16, 0xFF2040FFu + uint32_t(frame));
            d.SetTexture(0, &scratch);
            Quad(d, 30, 30, 8, 8, 0xFFFFFFFF);
        }
        if (f.readMidway) midway.assign(d.BackBuffer(), d.BackBuffer() + 64 * 64);
        if (f.renderTarget) {
            d.SetRenderTarget(&target);
            d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x80000000u + uint32_t(frame), 1.0f, 0);
            Quad(d, 2, 2, 6, 6, 0xFFFFFF00);
            d.SetRenderTarget(nullptr);
            d.SetTexture(0, &target);
            Quad(d, 40, 40, 16, 16, 0xFFFFFFFF);
        }
        if (f.depth) {
            // Indices from 2 on: the vertices before the lowest index are not read.
            const V3 v[] = {{}, {},
                            {-0.9f, -0.9f, 0.5f, 0, 0, 1, 0xFF00FFFF, 0, 0, 0}, {0.9f, -0.9f, 0.2f, 0, 0, 1, 0xFF00FFFF, 0, 0, 0},
                            {0.0f, 0.9f, 0.8f, 0, 0, 1, 0xFFFF00FF, 0, 0, 0}, {-0.9f, 0.9f, 0.4f, 0, 0, 1, 0xFF0000FF, 0, 0, 0}};
            const uint16_t idx[] = {2, 3, 4, 2, 4, 5};
            d.SetRenderState(RS_ZWRITEENABLE, 1);
            d.SetRenderState(RS_CULLMODE, CULL_NONE);
            d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
            d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 2, 4, 2, idx, false, v, sizeof(V3));
            d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 6, 1, idx + 3, false, v, sizeof(V3));
        }
        d.SetRenderState(RS_SRCBLEND, BLEND_ONE);
        d.SetRenderState(RS_DESTBLEND, BLEND_ONE);
        Quad(d, 5, 40, 30, 10, 0xFF080808);
        d.Present();
        return midway;
    }

    Device device;
    Texture texture, target;
};

TEST(FrameReuse, KeptAndResumedFramesGiveThePixelsOfDrawingEveryCall) {
    Scene reused(true), drawn(false);
    int frame = 0;
    for (const FrameCase& f : kFrames) {
        SCOPED_TRACE(f.what);
        EXPECT_EQ(reused.Draw(f, frame), drawn.Draw(f, frame));
        ++frame;
        const std::vector<uint32_t> a(reused.device.BackBuffer(), reused.device.BackBuffer() + 64 * 64);
        const std::vector<uint32_t> b(drawn.device.BackBuffer(), drawn.device.BackBuffer() + 64 * 64);
        ASSERT_EQ(a, b);
    }
    // The repeated frames were left as they were; the changed ones drawn from a copy,
    // wholly or where they changed.
    const auto& counts = reused.device.impl()->reuse->GetCounts();
    EXPECT_GE(counts.framesKept, 3u);
    EXPECT_GE(counts.framesResumed, 1u);
    EXPECT_GE(counts.framesPatched, 3u);
    EXPECT_EQ(drawn.device.impl()->reuse->GetCounts().framesKept, 0u);
}

// The platform is told which parts of a frame may have changed: what it keeps as the
// presented frame is the back buffer, frame after frame.
TEST(FrameReuse, ThePresentedFrameIsTheBackBufferWhereverTheFrameWasDrawn) {
    Scene scene(true);
    int frame = 0;
    for (const FrameCase& f : kFrames) {
        SCOPED_TRACE(f.what);
        scene.Draw(f, frame++);
        const plat::Frame& shown = plat::LastPresentedFrame();
        ASSERT_EQ(shown.pixels.size(), 64u * 64u);
        EXPECT_TRUE(std::equal(shown.pixels.begin(), shown.pixels.end(), scene.device.BackBuffer()));
    }
}

// A texture's stamp names its texels: new for every texture and every lock.
TEST(FrameReuse, TextureStampsChangeWithEveryLockAndDifferBetweenTextures) {
    Texture a(2, 2), b(2, 2);
    EXPECT_NE(a.Stamp(), b.Stamp());
    const uint64_t before = a.Stamp();
    a.Lock();
    const uint64_t locked = a.Stamp();
    a.Unlock();
    EXPECT_NE(locked, before);
    EXPECT_NE(a.Stamp(), locked);
    EXPECT_EQ(b.Stamp(), b.Stamp());
}

// A texture still bound when a frame is presented goes before the next frame notes
// anything (a scene ends): the next frames draw without it, as drawing every call does,
// whether its memory stays free or a new texture takes its place there.
TEST(FrameReuse, ATextureDestroyedWhileBoundIsNotBoundAgainByTheNextFrame) {
    for (bool takeItsPlace : {false, true}) {
        SCOPED_TRACE(takeItsPlace ? "a new texture at its address" : "freed");
        struct Run {
            Device device{64, 64};
            std::unique_ptr<Texture> texture;
            const Texture* gone = nullptr;
        } runs[2];
        runs[1].device.SetFrameReuse(false);
        auto frame = [](Run& r) {
            Device& d = r.device;
            d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            Quad(d, 4, 4, 24, 24, 0xFFFFFFFF);  // with what is bound from the frame before
            d.SetTexture(0, r.texture.get());
            Quad(d, 36, 4, 24, 24, 0xFFFFFFFF);
            d.Present();
        };
        for (Run& r : runs) r.texture.reset(Pattern(8, 8, 1));
        for (int n = 0; n < 3; ++n)
            for (Run& r : runs) frame(r);
        for (Run& r : runs) {
            r.gone = r.texture.get();
            r.texture.reset();
            if (takeItsPlace) r.texture.reset(Pattern(8, 8, 2));
        }
        if (takeItsPlace && runs[0].texture.get() != runs[0].gone) GTEST_LOG_(INFO) << "the memory was not reused";
        for (int n = 0; n < 2; ++n) {
            for (Run& r : runs) frame(r);
            EXPECT_TRUE(std::equal(runs[0].device.BackBuffer(), runs[0].device.BackBuffer() + 64 * 64,
                                   runs[1].device.BackBuffer()));
        }
    }
}

// The two devices hold the same picture and depth (the reusing one drawn up to date).
::testing::AssertionResult SamePictureAndDepth(Device& reused, Device& drawn) {
    reused.BackBuffer();
    const Device::Impl &a = *reused.impl(), &b = *drawn.impl();
    if (a.color != b.color) {
        const auto apart = std::inner_product(a.color.begin(), a.color.end(), b.color.begin(), size_t(0),
                                              std::plus<>(), std::not_equal_to<>());
        return ::testing::AssertionFailure() << "the colours differ in " << apart << " pixels";
    }
    if (a.depth != b.depth) return ::testing::AssertionFailure() << "the depths differ";
    return ::testing::AssertionSuccess();
}

// `frames` frames drawn by `draw` on a device that reuses frames and presents each,
// and on one that draws every call: after each, both hold the same picture and depth,
// and the frame the platform keeps as presented (told only the parts that changed
// since the frame before) is that picture. (The second device presents nothing: a
// frame presented in between would have the next one shown whole.) How the reusing
// device drew them.
template <class Draw>
detail::FrameReuse::Counts PlayBoth(int width, int height, int frames, Draw draw) {
    Device reused(width, height), drawn(width, height);
    drawn.SetFrameReuse(false);
    for (int frame = 0; frame < frames; ++frame) {
        for (Device* d : {&reused, &drawn}) draw(d, frame);
        reused.Present();
        const plat::Frame& shown = plat::LastPresentedFrame();
        const bool presented = shown.pixels.size() == size_t(width) * size_t(height) &&
                               std::equal(shown.pixels.begin(), shown.pixels.end(), drawn.BackBuffer());
        EXPECT_TRUE(presented) << "frame " << frame << ": the presented frame differs";
        const ::testing::AssertionResult same = SamePictureAndDepth(reused, drawn);
        EXPECT_TRUE(same) << "frame " << frame;
        if (!same || !presented) break;
    }
    return reused.impl()->reuse->GetCounts();
}

// A frame's start: cleared, then the ground (`ground` repeated u1 x v1 times over the
// whole view, writing depth); source over, no depth test, no culling.
void ClearAndGround(Device& d, Texture* ground, uint32_t address, float u1, float v1) {
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZFUNC, CMP_ALWAYS);
    SetSourceOver(d);
    SetSampling(d, TEXF_POINT, address);
    d.SetTexture(0, ground);
    Quad(d, 0, 0, float(d.Width()), float(d.Height()), 0xFFFFFFFF, 0, 0, u1, v1, 0.5f);
    d.SetTexture(0, nullptr);
}

// A pulse's colour on each frame: its alpha steps.
uint32_t Pulse(int frame) { return uint32_t(0x30 + 0x1C * frame) << 24 | 0xFFE040; }

// A frame's start over which the cases below draw: the ground, then the pulse across a
// tile's edges.
void GroundAndPulse(Device& d, Texture* ground, uint32_t address, float u1, float v1, int frame) {
    ClearAndGround(d, ground, address, u1, v1);
    Quad(d, 20, 18, 25, 21, Pulse(frame), 0, 0, 1, 1, 0.4f);
}

// Draws that move to and fro across tile edges by whole and quarter pixels (a quad, a
// line strip and points, depth-tested and writing depth over a still background): each
// frame, drawn again only where they fall now and fell before, is the frame drawn whole. Then the
// same with a state that changes before them, so each frame goes on from the copy kept
// after the background, whose depth the moved quads are tested against.
TEST(FrameReuse, MovingDrawsGiveThePixelsAndDepthOfDrawingEveryCall) {
    for (bool resumed : {false, true}) {
        SCOPED_TRACE(resumed ? "resumed from the kept copy" : "drawn where the draws fall");
        const detail::FrameReuse::Counts counts = PlayBoth(64, 64, 28, [&](Device* d, int frame) {
            // Still for the first frames, then to and fro across tile edges, drifting a
            // quarter pixel a frame.
            const float at = frame < 3 ? 12.0f : 12.0f + 0.25f * float(frame) + float(frame % 2) * 9.0f;
            d->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            d->SetRenderState(RS_LIGHTING, 0);
            Quad(*d, 0, 0, 64, 40, 0xFF204060, 0, 0, 1, 1, 0.5f);
            d->SetRenderState(RS_TEXTUREFACTOR, resumed ? uint32_t(frame) : 0u);
            Quad(*d, at, at, 20.25f, 3.5f, 0xFFFF8000, 0, 0, 1, 1, 0.3f);
            const TL strip[3] = {V(at + 3.5f, at + 8.25f, 0xFF00FF00, 0, 0, 0.2f),
                                 V(at + 19.75f, at + 9.5f, 0xFF00FF00, 0, 0, 0.2f),
                                 V(at + 4.0f, at + 20.25f, 0xFF00FF00, 0, 0, 0.2f)};
            d->DrawPrimitiveUP(PT_LINESTRIP, 2, strip, sizeof(TL));
            d->DrawPrimitiveUP(PT_POINTLIST, 3, strip, sizeof(TL));
            Quad(*d, 0, 0, 64, 64, 0x80FFFFFF, 0, 0, 1, 1, 0.4f);  // behind the moved ones
            d->SetRenderState(RS_TEXTUREFACTOR, 0);
        });
        EXPECT_GE(resumed ? counts.framesResumed : counts.framesPatched, 20u);
    }
}

// A frame whose only change is a quad's alpha (a pulsing highlight) is drawn again on
// that quad's tiles alone, the calls over it only there: each kind of rectangle that
// crosses those tiles, cut at their edges, gives the pixels and depths of drawing it
// whole. Textured ones copied texel for texel, stepped, gathered, filtered, shrunk,
// mirrored and wrapped, tinted and alpha-tested, depth-tested; untextured ones of one
// colour (translucent and opaque) and of graded colour; one reaching past the target.
struct OverCase {
    const char* what;
    float x, y, w, h;            // where it lies (corners on pixel edges at whole numbers)
    float u0, v0, u1, v1;        // its texture coordinates
    uint32_t color = 0xFFFFFFFF;  // its diffuse colour (all four corners)
    bool textured = true;
    uint32_t filter = TEXF_POINT;
    uint32_t address = TADDRESS_CLAMP;
    bool alphaTest = false;
    uint32_t zFunc = CMP_ALWAYS;
    uint32_t graded = 0;  // a second colour for the right-hand corners (0: none)
    uint32_t alphaOp = TOP_MODULATE;
};

const OverCase kOverCases[] = {
    {"one texel a pixel", 6, 9, 48, 40, 0, 0, 48.0f / 64, 40.0f / 64},
    {"whole texels, filtered", 6, 9, 48, 40, 0, 0, 48.0f / 64, 40.0f / 64, 0xFFFFFFFF, true, TEXF_LINEAR},
    {"between texels, filtered", 6.25f, 9.5f, 47, 41, 0.1f, 0.05f, 0.8f, 0.7f, 0xFFFFFFFF, true, TEXF_LINEAR},
    {"stepped one and a half, gathered", 3, 7, 60, 50, 0, 0, 40.0f / 64, 33.0f / 64},
    {"shrunk, filtered", 2, 5, 70, 60, 0, 0, 1, 1, 0xFFFFFFFF, true, TEXF_LINEAR},
    {"mirrored, filtered", 4, 8, 50, 44, 0.9f, 0, 0.1f, 0.7f, 0xFFFFFFFF, true, TEXF_LINEAR},
    {"wrapped", 5, 6, 64, 52, 0, 0, 2.5f, 1.5f, 0xFFFFFFFF, true, TEXF_POINT, TADDRESS_WRAP},
    {"tinted, alpha-tested", 6, 9, 48, 40, 0, 0, 0.75f, 0.625f, 0xC080FF40, true, TEXF_POINT, TADDRESS_CLAMP, true},
    {"depth-tested", 6, 9, 48, 40, 0, 0, 0.75f, 0.625f, 0xFFFFFFFF, true, TEXF_LINEAR, TADDRESS_CLAMP, false, CMP_LESS},
    {"one colour, translucent", 3, 4, 70, 52, 0, 0, 1, 1, 0x80FF8040, false},
    {"one colour, opaque", 3, 4, 70, 52, 0, 0, 1, 1, 0xFF4080C0, false, TEXF_POINT, TADDRESS_CLAMP, false,
     CMP_LESSEQUAL},
    {"graded", 3, 4, 70, 52, 0, 0, 1, 1, 0xC0FF0000, false, TEXF_POINT, TADDRESS_CLAMP, false, CMP_ALWAYS, 0x400000FF},
    {"past the target's edge", -20, -12, 60, 50, 0, 0, 1, 1, 0xFFFFFFFF, true, TEXF_LINEAR},
    {"one texture row, stretched", 6, 9, 48, 40, 0.1f, 0, 0.85f, 0, 0xE0FFFFFF},
    {"the texture's alpha alone, far along a wrapped texture", 6.37f, 9.21f, 47.3f, 40.6f, 37.013f, 29.021f, 37.777f,
     29.613f, 0xFFFFFFFF, true, TEXF_LINEAR, TADDRESS_WRAP, false, CMP_ALWAYS, 0, TOP_SELECTARG1},
    {"the same, point-sampled", 5.71f, 8.83f, 51.9f, 43.3f, 41.031f, 33.011f, 41.931f, 33.707f, 0xFFFFFFFF, true,
     TEXF_POINT, TADDRESS_WRAP, false, CMP_ALWAYS, 0, TOP_SELECTARG1},
};

TEST(FrameReuse, CallsOverChangedTilesDrawnOnThemAloneGiveThePixelsOfDrawingEveryCall) {
    std::unique_ptr<Texture> tex(Pattern(64, 64, 3));
    // Alphas of every kind over the pattern: transparent, opaque and between.
    for (int i = 0; i < 64 * 64; ++i) tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | uint32_t(i * 13 % 256) << 24;
    for (const OverCase& c : kOverCases) {
        SCOPED_TRACE(c.what);
        const detail::FrameReuse::Counts counts = PlayBoth(96, 80, 7, [&](Device* d, int frame) {
            d->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);  // as the game draws
            GroundAndPulse(*d, tex.get(), TADDRESS_CLAMP, 1.5f, 1.25f, frame);
            d->SetTexture(0, c.textured ? tex.get() : nullptr);
            SetSampling(*d, c.filter, c.address);
            d->SetRenderState(RS_ALPHATESTENABLE, c.alphaTest);
            d->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
            d->SetRenderState(RS_ALPHAREF, 0x60);
            d->SetRenderState(RS_ZFUNC, c.zFunc);
            d->SetTextureStageState(0, TSS_ALPHAOP, c.alphaOp);
            if (c.graded) {
                const float x = c.x - 0.5f, y = c.y - 0.5f;
                const TL q[4] = {V(x, y, c.color, c.u0, c.v0, 0.45f), V(x + c.w, y, c.graded, c.u1, c.v0, 0.45f),
                                 V(x, y + c.h, c.color, c.u0, c.v1, 0.45f),
                                 V(x + c.w, y + c.h, c.graded, c.u1, c.v1, 0.45f)};
                d->SetFVF(kFvfTL);
                d->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(TL));
            } else {
                Quad(*d, c.x, c.y, c.w, c.h, c.color, c.u0, c.v0, c.u1, c.v1, 0.45f);
            }
            d->SetRenderState(RS_ALPHATESTENABLE, 0);
        });
        EXPECT_GE(counts.framesPatched, 4u);
    }
}

// Draws of other kinds over the pulse, crossing its tiles' edges: triangles (turned,
// of graded colours, in perspective), lines, points and a cleared part of the view;
// filtered, alpha-tested, depth-tested, blended additively, with specular added, by the
// vector loops and one pixel at a time. Their spans start left of the changed tiles and
// end right of them, and their values are worked out from where each span starts:
// every pixel on those tiles must be the one of the whole span, and no pixel off them
// may change.
struct CrossCase {
    const char* what;
    enum Kind { kTurned, kGraded, kPerspective, kLines, kPoints, kClear } kind;
    uint32_t filter = TEXF_POINT;
    bool alphaTest = false;
    uint32_t zFunc = CMP_ALWAYS;
    bool additive = false;
    bool specular = false;
    bool simd = true;
};

const CrossCase kCrossCases[] = {
    {"turned quad", CrossCase::kTurned},
    {"turned quad, filtered, alpha-tested", CrossCase::kTurned, TEXF_LINEAR, true},
    {"turned quad, depth-tested, added", CrossCase::kTurned, TEXF_POINT, false, CMP_LESS, true},
    {"graded triangles", CrossCase::kGraded},
    {"graded triangles with specular", CrossCase::kGraded, TEXF_LINEAR, false, CMP_ALWAYS, false, true},
    {"graded triangles one pixel at a time", CrossCase::kGraded, TEXF_LINEAR, true, CMP_LESSEQUAL, false, false, false},
    {"perspective", CrossCase::kPerspective},
    {"perspective, filtered, depth-tested", CrossCase::kPerspective, TEXF_LINEAR, false, CMP_LESSEQUAL},
    {"perspective one pixel at a time", CrossCase::kPerspective, TEXF_LINEAR, true, CMP_ALWAYS, false, false, false},
    {"lines", CrossCase::kLines},
    {"lines, depth-tested, added", CrossCase::kLines, TEXF_POINT, false, CMP_LESS, true},
    {"points", CrossCase::kPoints},
    {"a part of the view cleared, then drawn over", CrossCase::kClear},
};

// A screen-space vertex with a specular colour.
struct TLS {
    float x, y, z, rhw;
    uint32_t color, specular;
    float u, v;
};

void DrawCross(Device& d, const CrossCase& c, const Texture* tex) {
    d.SetTexture(0, const_cast<Texture*>(tex));
    SetSampling(d, c.filter, TADDRESS_WRAP);
    d.SetRenderState(RS_ALPHATESTENABLE, c.alphaTest);
    d.SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    d.SetRenderState(RS_ALPHAREF, 0x50);
    d.SetRenderState(RS_ZFUNC, c.zFunc);
    d.SetRenderState(RS_SPECULARENABLE, c.specular);
    if (c.additive) d.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    switch (c.kind) {
        case CrossCase::kTurned: {
            const TL q[4] = {V(4.3f, 21.7f, 0xE0FFFFFF, 0.1f, 0.2f, 0.3f), V(61.2f, 3.1f, 0xE0FFFFFF, 1.3f, 0.1f, 0.5f),
                             V(17.6f, 62.4f, 0xE0FFFFFF, 0.2f, 1.4f, 0.35f),
                             V(74.9f, 45.3f, 0xE0FFFFFF, 1.2f, 1.3f, 0.6f)};
            d.SetFVF(kFvfTL);
            d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(TL));
            break;
        }
        case CrossCase::kGraded: {
            const TLS t[6] = {{3.4f, 10.2f, 0.3f, 1, 0xC0FF2000, 0xFF103050, 0.0f, 0.0f},
                              {70.8f, 27.9f, 0.6f, 1, 0x6000FF80, 0xFF402010, 1.7f, 0.4f},
                              {26.1f, 66.5f, 0.4f, 1, 0xF02040FF, 0xFF000000, 0.3f, 1.9f},
                              {44.4f, 8.8f, 0.2f, 1, 0x90FFFF00, 0xFF204020, 0.9f, 0.1f},
                              {90.2f, 50.3f, 0.7f, 1, 0xFF00FFFF, 0xFF000040, 2.1f, 1.2f},
                              {33.3f, 40.1f, 0.5f, 1, 0x40FF00FF, 0xFF300000, 1.1f, 0.8f}};
            d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
            d.DrawPrimitiveUP(PT_TRIANGLELIST, 2, t, sizeof(TLS));
            break;
        }
        case CrossCase::kPerspective: {
            d.SetTransform(TS_VIEW, vm::LookAtLH({0.3f, 1.6f, -3.0f}, {0, 0, 0}, {0, 1, 0}));
            d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(1.0f, 96.0f / 80.0f, 0.5f, 20.0f));
            const V3 q[4] = {{-1.6f, 0, -1.2f, 0, 1, 0, 0xFFFFFFFF, 0, 0.0f, 0.0f},
                             {1.7f, 0, -1.0f, 0, 1, 0, 0xC0FFC080, 0, 2.3f, 0.0f},
                             {-1.5f, 0, 2.6f, 0, 1, 0, 0xFF80C0FF, 0, 0.0f, 3.1f},
                             {1.8f, 0, 2.9f, 0, 1, 0, 0xE0FFFFFF, 0, 2.2f, 2.9f}};
            d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
            d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(V3));
            d.SetTransform(TS_VIEW, vm::Identity());
            d.SetTransform(TS_PROJECTION, vm::Identity());
            break;
        }
        case CrossCase::kLines:
        case CrossCase::kPoints: {
            std::vector<TL> v;
            for (int i = 0; i < 14; ++i) {
                const float f = float(i);
                v.push_back(V(2.3f + 6.1f * f, 6.7f + 4.9f * float((i * 5) % 11), 0xC0FFFFFF - uint32_t(i) * 0x0F0301,
                              0.07f * f, 0.11f * f, 0.25f + 0.03f * f));
            }
            d.SetFVF(kFvfTL);
            if (c.kind == CrossCase::kLines) d.DrawPrimitiveUP(PT_LINESTRIP, 13, v.data(), sizeof(TL));
            else d.DrawPrimitiveUP(PT_POINTLIST, 14, v.data(), sizeof(TL));
            break;
        }
        case CrossCase::kClear: {
            // (Then something over it: the part cleared must be that of the tiles.)
            d.SetViewport(Viewport{9, 13, 50, 41, 0, 1});
            d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF506070, 0.45f, 0);
            d.SetViewport(Viewport{0, 0, 96, 80, 0, 1});
            d.SetTexture(0, nullptr);
            Quad(d, 4, 30, 70, 9, 0x80FFFFFF, 0, 0, 1, 1, 0.3f);
            break;
        }
    }
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    d.SetRenderState(RS_SPECULARENABLE, 0);
    d.SetRenderState(RS_ALPHATESTENABLE, 0);
}

TEST(FrameReuse, DrawsOfEveryKindCrossingChangedTilesGiveThePixelsOfDrawingEveryCall) {
    std::unique_ptr<Texture> tex(Pattern(32, 32, 5));
    for (int i = 0; i < 32 * 32; ++i) tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | uint32_t(i * 29 % 256) << 24;
    for (const CrossCase& c : kCrossCases) {
        SCOPED_TRACE(c.what);
        SetSimdEnabled(c.simd);
        const detail::FrameReuse::Counts counts = PlayBoth(96, 80, 7, [&](Device* d, int frame) {
            GroundAndPulse(*d, tex.get(), TADDRESS_WRAP, 2.5f, 2.25f, frame);
            DrawCross(*d, c, tex.get());
        });
        EXPECT_GE(counts.framesPatched, 4u);
    }
    SetSimdEnabled(true);
}

// A sprite that changes its colour alone each frame (a pulsing base) is drawn again
// only where its texels, modulated by the two colours, can differ: not where its
// texture is transparent, nor where a channel's texel values come out the same. Sprites
// shrunk, stretched and between pixels, filtered and not, at the texture's edge,
// pulsing in alpha or in colour, with the texture's alpha alone; and changes that are
// not of colour alone (a place, texture coordinates, a gradient), drawn where they fall
// as before. Each under a quad that covers part of it.
struct ColourCase {
    const char* what;
    float x, y, w, h;       // where the sprite lies
    float u0, v0, u1, v1;   // its texture coordinates
    uint32_t filter = TEXF_POINT;
    uint32_t address = TADDRESS_CLAMP;
    uint32_t pulse = 0xFF000000;  // the channels its colour changes in
    uint32_t alphaOp = TOP_MODULATE;
    enum Also { kColourAlone, kPlace, kCoordinates, kGradient } also = kColourAlone;
    bool corner = false;  // the texture transparent but for its lower right quarter
};

const ColourCase kColourCases[] = {
    {"one texel a pixel", 9, 7, 40, 40, 0, 0, 40.0f / 64, 40.0f / 64},
    {"between pixels, filtered", 9.37f, 6.81f, 41.3f, 38.6f, 0.02f, 0.03f, 0.66f, 0.61f, TEXF_LINEAR},
    {"stretched three times, filtered", 3.4f, 2.2f, 70.5f, 60.3f, 0.2f, 0.25f, 0.55f, 0.6f, TEXF_LINEAR},
    {"shrunk, filtered", 11.2f, 9.6f, 25.3f, 22.7f, 0, 0, 1, 1, TEXF_LINEAR},
    {"mirrored", 50.5f, 8, -36, 44, 0.1f, 0.1f, 0.7f, 0.8f},
    {"filtered, a texel's width off the tiles where it shows", -0.25f, -0.25f, 64, 64, 0, 0, 1, 1, TEXF_LINEAR,
     TADDRESS_CLAMP, 0xFF000000, TOP_MODULATE, ColourCase::kColourAlone, true},
    {"at the texture's edge, clamped and filtered", 5.5f, 4.5f, 50, 40, -0.1f, -0.05f, 0.5f, 0.6f, TEXF_LINEAR},
    {"past the texture's edge, wrapped", 5.5f, 4.5f, 50, 40, -0.3f, 0.5f, 0.4f, 1.2f, TEXF_LINEAR, TADDRESS_WRAP},
    {"pulsing in colour", 9.37f, 6.81f, 41.3f, 38.6f, 0.02f, 0.03f, 0.66f, 0.61f, TEXF_LINEAR, TADDRESS_CLAMP,
     0x00FF00C0},
    {"pulsing in colour and alpha, the texture's alpha alone", 9, 7, 40, 40, 0, 0, 0.625f, 0.625f, TEXF_POINT,
     TADDRESS_CLAMP, 0xC0C0C0C0, TOP_SELECTARG1},
    {"moving", 9, 7, 40, 40, 0, 0, 0.625f, 0.625f, TEXF_POINT, TADDRESS_CLAMP, 0xFF000000, TOP_MODULATE,
     ColourCase::kPlace},
    {"other texture coordinates", 9, 7, 40, 40, 0, 0, 0.625f, 0.625f, TEXF_POINT, TADDRESS_CLAMP, 0xFF000000,
     TOP_MODULATE, ColourCase::kCoordinates},
    {"a gradient changing", 9, 7, 40, 40, 0, 0, 0.625f, 0.625f, TEXF_LINEAR, TADDRESS_CLAMP, 0, TOP_MODULATE,
     ColourCase::kGradient},
};

TEST(FrameReuse, SpritesChangingTheirColourAloneGiveThePixelsOfDrawingEveryCall) {
    // A ring: transparent outside and in its middle, of alphas between, and opaque
    // where it is thickest; colours of every kind, dark ones among them.
    std::unique_ptr<Texture> ring(Pattern(64, 64, 7)), corner(Pattern(64, 64, 9)), other(Pattern(64, 64, 8));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float r = std::hypot(float(x) - 31.5f, float(y) - 27.5f);
            const uint32_t a = r > 26 || r < 9 ? 0 : r > 15 && r < 20 ? 255 : uint32_t(x * 7 + y) % 200;
            uint32_t& p = ring->Pixels()[y * 64 + x];
            p = a << 24 | (p & (x % 5 == 0 ? 0x0F0F0F : 0xFFFFFF));
            uint32_t& q = corner->Pixels()[y * 64 + x];
            q = (x >= 32 && y >= 32 ? q : q & 0x00FFFFFF);
        }
    for (const ColourCase& c : kColourCases) {
        SCOPED_TRACE(c.what);
        const detail::FrameReuse::Counts counts = PlayBoth(96, 80, 8, [&](Device* d, int frame) {
            // Each frame's colour: the pulsed channels stepped, the others as they are.
            const uint32_t step = 0x0B0D0F11u * uint32_t(frame);
            const uint32_t colour = (0xE0F0D0B0u & ~c.pulse) | ((0x30507090u + step) & c.pulse);
            const bool also = frame % 2 == 1;
            d->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
            d->SetRenderState(RS_LIGHTING, 0);
            d->SetRenderState(RS_CULLMODE, CULL_NONE);
            SetSourceOver(*d);
            SetSampling(*d, TEXF_POINT, TADDRESS_WRAP);
            d->SetTexture(0, other.get());
            Quad(*d, 0, 0, 96, 80, 0xFFFFFFFF, 0, 0, 1.5f, 1.25f, 0.5f);  // the ground, writing depth
            d->SetTexture(0, c.corner ? corner.get() : ring.get());
            SetSampling(*d, c.filter, c.address);
            d->SetTextureStageState(0, TSS_ALPHAOP, c.alphaOp);
            const float dx = also && c.also == ColourCase::kPlace ? 3.0f : 0.0f;
            const float du = also && c.also == ColourCase::kCoordinates ? 0.375f : 0.0f;
            const float x = c.x - 0.5f + dx, y = c.y - 0.5f;
            const uint32_t right = also && c.also == ColourCase::kGradient ? colour ^ 0x00FF0000 : colour;
            const TL q[4] = {V(x, y, colour, c.u0 + du, c.v0, 0.4f), V(x + c.w, y, right, c.u1 + du, c.v0, 0.4f),
                             V(x, y + c.h, colour, c.u0 + du, c.v1, 0.4f),
                             V(x + c.w, y + c.h, right, c.u1 + du, c.v1, 0.4f)};
            d->SetFVF(kFvfTL);
            d->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(TL));
            d->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
            d->SetTexture(0, nullptr);
            Quad(*d, 30, 20, 50, 14, 0x70FFFFFF, 0, 0, 1, 1, 0.3f);  // over part of it
        });
        EXPECT_GE(counts.framesPatched, 4u);
    }
}

// A sprite that changes its colour alone while the part of the view it may be drawn
// on widens (the viewport, or the scissor rectangle, from 33 pixels across to the
// whole view) is drawn again wherever its pixels can differ now, not only where they
// could before.
TEST(FrameReuse, SpritesChangingTheirColourAloneAsTheirClipWidensGiveThePixelsOfDrawingEveryCall) {
    std::unique_ptr<Texture> ground(Pattern(32, 32, 5)), sprite(Pattern(80, 64, 6));
    for (bool scissor : {false, true}) {
        SCOPED_TRACE(scissor ? "the scissor rectangle widens" : "the viewport widens");
        const detail::FrameReuse::Counts counts = PlayBoth(96, 80, 9, [&](Device* d, int frame) {
            const int across = frame < 5 ? 33 : 96;
            ClearAndGround(*d, ground.get(), TADDRESS_WRAP, 3, 2.5f);
            if (scissor) d->SetScissorRect(Rect{0, 0, across, 80});
            else d->SetViewport(Viewport{0, 0, uint32_t(across), 80, 0, 1});
            d->SetRenderState(RS_SCISSORTESTENABLE, scissor);
            SetSampling(*d, TEXF_POINT, TADDRESS_CLAMP);
            d->SetTexture(0, sprite.get());
            Quad(*d, 8, 8, 80, 64, 0xFF000000u | uint32_t(0x30 + 0x18 * frame) << 16 | 0x8040, 0, 0, 1, 1, 0.4f);
            d->SetRenderState(RS_SCISSORTESTENABLE, 0);
            d->SetScissorRect(Rect{0, 0, 96, 80});
            d->SetViewport(Viewport{0, 0, 96, 80, 0, 1});
        });
        EXPECT_GE(counts.framesPatched, 5u);
    }
}

// A quad drawn over a moving one that gives the pixels it covers its own colour and
// depth whatever lay there leaves the tiles it covers whole as they were: the moved
// quad's tiles are drawn again only around it. Opaque quads that do, with no depth test
// or one that passes over any depth the frame has; and quads that do not: translucent,
// depth-tested against the depth beneath, writing no depth, culled, failing their alpha
// test, cut by the scissor (or wholly, by one that starts past any target), over a depth
// cleared below 0 or past 1; and a quad that moves after it. A quad tested against the
// depth drawn last shows any depth left wrong.
struct CoverCase {
    const char* what;
    uint32_t colour = 0xFF3060A0;
    uint32_t zFunc = CMP_LESSEQUAL;
    float z = 0.0f;
    bool zWrite = true;
    bool mirrored = false;  // wound the other way round
    uint32_t cull = CULL_CCW;
    uint32_t alphaFunc = CMP_ALWAYS;
    float clearZ = 1.0f;
    bool scissor = false;
    bool movesAfter = false;
    Rect scissorRect{0, 0, 40, 80};
};

const CoverCase kCoverCases[] = {
    {"opaque, depth 0 testing less or equal"},
    {"opaque, depth 1 testing greater or equal", 0xFF3060A0, CMP_GREATEREQUAL, 1.0f},
    {"opaque, always", 0xFF3060A0, CMP_ALWAYS, 0.6f},
    {"opaque, wound the other way, passing its alpha test", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, true, CULL_CW,
     CMP_GREATER},
    {"translucent", 0xFE3060A0},
    {"testing less", 0xFF3060A0, CMP_LESS},
    {"testing less or equal at a depth above 0", 0xFF3060A0, CMP_LESSEQUAL, 0.3f},
    {"writing no depth", 0xFF3060A0, CMP_ALWAYS, 0.0f, false},
    {"culled", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, true},
    {"failing its alpha test", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, false, CULL_CCW, CMP_LESS},
    {"over a depth cleared below 0", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, false, CULL_CCW, CMP_ALWAYS, -0.5f},
    {"over a depth cleared past 1", 0xFF3060A0, CMP_GREATEREQUAL, 1.0f, true, false, CULL_CCW, CMP_ALWAYS, 1.5f},
    {"cut by the scissor", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, false, CULL_CCW, CMP_ALWAYS, 1.0f, true},
    {"cut wholly by a scissor rectangle that starts past any target", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, false,
     CULL_CCW, CMP_ALWAYS, 1.0f, true, false, Rect{INT32_MAX - 7, INT32_MAX - 7, 40, 80}},
    {"with a quad moving after it", 0xFF3060A0, CMP_LESSEQUAL, 0.0f, true, false, CULL_CCW, CMP_ALWAYS, 1.0f, false,
     true},
};

TEST(FrameReuse, QuadsCoveringChangedTilesGiveThePixelsOfDrawingEveryCall) {
    std::unique_ptr<Texture> tex(Pattern(16, 16, 4));
    for (const CoverCase& c : kCoverCases) {
        SCOPED_TRACE(c.what);
        const detail::FrameReuse::Counts counts = PlayBoth(96, 80, 7, [&](Device* d, int frame) {
            const float at = 14.0f + 3.25f * float(frame % 3);
            d->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, c.clearZ, 0);
            d->SetRenderState(RS_LIGHTING, 0);
            d->SetRenderState(RS_CULLMODE, c.cull);
            d->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
            SetSourceOver(*d);
            d->SetTexture(0, tex.get());
            Quad(*d, 0, 0, 96, 48, 0xFFFFFFFF, 0, 0, 3, 3, 0.5f);  // ground over part of the view
            d->SetTexture(0, nullptr);
            Quad(*d, at, at + 20, 30, 20, 0xC0F0E040, 0, 0, 1, 1, 0.2f);  // moving, writing its depth
            d->SetRenderState(RS_ZFUNC, c.zFunc);
            d->SetRenderState(RS_ZWRITEENABLE, c.zWrite);
            d->SetRenderState(RS_ALPHATESTENABLE, 1);
            d->SetRenderState(RS_ALPHAFUNC, c.alphaFunc);
            d->SetRenderState(RS_ALPHAREF, 0x80);
            d->SetRenderState(RS_SCISSORTESTENABLE, c.scissor);
            d->SetScissorRect(c.scissorRect);
            if (c.mirrored) Quad(*d, 72, 4, -68, 70, c.colour, 0, 0, 1, 1, c.z);
            else Quad(*d, 4, 4, 68, 70, c.colour, 0, 0, 1, 1, c.z);
            d->SetRenderState(RS_SCISSORTESTENABLE, 0);
            d->SetRenderState(RS_ALPHATESTENABLE, 0);
            d->SetRenderState(RS_ZWRITEENABLE, 1);
            if (c.movesAfter) {
                d->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
                Quad(*d, 40 - at, at, 12, 12, 0xA040FF40, 0, 0, 1, 1, 0.1f);
            }
            d->SetRenderState(RS_ZFUNC, CMP_LESS);
            Quad(*d, 0, 0, 96, 80, 0x80FF8080, 0, 0, 1, 1, 0.35f);  // where the depth lies past 0.35
        });
        EXPECT_GE(counts.framesPatched, 4u);
    }
}

// Changed tiles take back the kept depths: all one value or not over a tile (the ground
// ends partway down one), whatever the tile holds when taken back. A quad tested
// against them, writing none, shows any left wrong.
TEST(FrameReuse, ChangedTilesTakeBackTheKeptDepths) {
    const detail::FrameReuse::Counts counts = PlayBoth(64, 64, 8, [&](Device* d, int frame) {
        d->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->SetRenderState(RS_LIGHTING, 0);
        d->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
        Quad(*d, 0, 0, 64, 44, 0xFF406080, 0, 0, 1, 1, 0.5f);
        Quad(*d, 10, 20 + float(frame % 3) * 5, 30, 12, 0xFFC08040, 0, 0, 1, 1, 0.2f);  // moving
        d->SetRenderState(RS_ZFUNC, CMP_LESS);
        d->SetRenderState(RS_ZWRITEENABLE, 0);
        Quad(*d, 0, 0, 64, 64, 0xFFFF00FF, 0, 0, 1, 1, 0.35f);
        d->SetRenderState(RS_ZWRITEENABLE, 1);
    });
    EXPECT_GE(counts.framesPatched, 5u);
}

// Parts of the view at tiles' very edges: cleared through viewports that end one
// pixel into a tile, start one pixel before a tile's end, lie on tiles' edges, or take
// the target's last, partial tiles (each on tiles of its own). Cleared in a colour of
// each frame's own (the frames resumed from the kept copy), or in one colour over
// pulses on the tiles they reach one pixel into (drawn on those tiles alone); and an
// opaque quad from one pixel past a tile's edge to one pixel into a tile over a pulse
// (the tiles it covers whole left as they were).
struct EdgeCase {
    const char* what;
    enum Kind { kClearsChange, kClearsOverPulses, kCoverOverPulse } kind;
};

const EdgeCase kEdgeCases[] = {
    {"cleared in a colour of each frame's own", EdgeCase::kClearsChange},
    {"cleared over pulses on the tiles they reach one pixel into", EdgeCase::kClearsOverPulses},
    {"an opaque quad over a pulse", EdgeCase::kCoverOverPulse},
};

TEST(FrameReuse, PartsAtTilesEdgesGiveThePixelsOfDrawingEveryCallAndArePresented) {
    // [left, right) x [top, bottom) of a 100 x 84 view, in tiles of 16: 7 across, the
    // last 4 pixels wide, and 6 down, the last 4 high.
    const Rect parts[] = {{0, 0, 17, 17}, {47, 0, 64, 16}, {33, 47, 48, 65}, {81, 63, 100, 84}};
    std::unique_ptr<Texture> ground(Pattern(16, 16, 3));
    for (const EdgeCase& c : kEdgeCases) {
        SCOPED_TRACE(c.what);
        const detail::FrameReuse::Counts counts = PlayBoth(100, 84, 8, [&](Device* d, int frame) {
            ClearAndGround(*d, ground.get(), TADDRESS_WRAP, 6.25f, 5.25f);
            switch (c.kind) {
                case EdgeCase::kClearsChange:
                case EdgeCase::kClearsOverPulses: {
                    if (c.kind == EdgeCase::kClearsOverPulses) {  // on the tiles parts[0] and [2] reach into
                        Quad(*d, 18, 18, 11, 11, Pulse(frame), 0, 0, 1, 1, 0.4f);
                        Quad(*d, 34, 66, 12, 12, Pulse(frame), 0, 0, 1, 1, 0.4f);
                    }
                    const bool changes = c.kind == EdgeCase::kClearsChange;
                    uint32_t colour = 0xFF405060u + (changes ? uint32_t(frame) * 0x0B0D0F : 0);
                    for (const Rect& r : parts) {
                        d->SetViewport(Viewport{uint32_t(r.left), uint32_t(r.top), uint32_t(r.right - r.left),
                                                uint32_t(r.bottom - r.top), 0, 1});
                        d->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, colour, 0.3f, 0);
                        colour += 0x00201008;
                    }
                    d->SetViewport(Viewport{0, 0, 100, 84, 0, 1});
                    break;
                }
                case EdgeCase::kCoverOverPulse:
                    Quad(*d, 10, 10, 60, 60, Pulse(frame), 0, 0, 1, 1, 0.4f);
                    d->SetRenderState(RS_ZFUNC, CMP_LESSEQUAL);
                    Quad(*d, 17, 17, 48, 48, 0xFF3060A0, 0, 0, 1, 1, 0.0f);  // covers [17, 65) both ways
                    break;
            }
        });
        EXPECT_GE(c.kind == EdgeCase::kClearsChange ? counts.framesResumed : counts.framesPatched, 5u);
    }
}

// Calls the device refuses draw nothing: between held calls they neither break the
// comparison nor change the picture.
TEST(FrameReuse, RefusedDrawsAmongRepeatedFramesChangeNothing) {
    Scene reused(true), drawn(false);
    const TL junk[4] = {};
    for (int frame = 0; frame < 4; ++frame)
        for (Scene* s : {&reused, &drawn}) {
            Device& d = s->device;
            d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            Quad(d, 4, 4, 20, 20, 0xFF804020);
            d.SetFVF(0);  // no position: refused
            EXPECT_EQ(d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, junk, sizeof(TL)), E_FAIL);
            d.SetFVF(kFvfTL);
            EXPECT_EQ(d.DrawPrimitiveUP(PrimitiveType(99), 2, junk, sizeof(TL)), E_INVALIDARG);
            EXPECT_EQ(d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, nullptr, sizeof(TL)), E_INVALIDARG);
            Quad(d, 30, 8, 10, 30, 0xFF2080FF);
            d.Present();
        }
    EXPECT_TRUE(std::equal(reused.device.BackBuffer(), reused.device.BackBuffer() + 64 * 64,
                           drawn.device.BackBuffer()));
    EXPECT_GE(reused.device.impl()->reuse->GetCounts().framesKept, 1u);
}

}  // namespace
