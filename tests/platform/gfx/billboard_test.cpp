// Squares facing the camera (sprites, particles, billboards) drawn as two triangles:
// shaded as one rectangle, they cover the two triangles' pixels, and their rows that
// share texel columns give the one-by-one path's colours and depths exactly, across
// the texture's edges (wrap and clamp), for every blend the effects use.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/texture.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct Square {
    float x, y, size;    // top-left corner and side, in pixels
    float u0, u1, v0, v1;  // texture coordinates at the sides (crossing the texture's edges)
    uint32_t colour;
    float rhw;
};

// The square as a list of two triangles (sharing the diagonal from b to c), or as
// two lists of one triangle each.
void DrawSquare(Device& d, const Square& q, bool together, float rhwStep = 0.0f) {
    auto vert = [&](float dx, float dy, float u, float v, float rhwOff) {
        return TL{q.x + dx * q.size, q.y + dy * q.size, 0.5f, q.rhw + rhwOff, q.colour, u, v};
    };
    const TL a = vert(0, 0, q.u0, q.v0, 0), b = vert(1, 0, q.u1, q.v0, rhwStep), c = vert(0, 1, q.u0, q.v1, 0),
             e = vert(1, 1, q.u1, q.v1, rhwStep);
    const TL list[6] = {a, b, c, b, e, c};
    d.SetFVF(kFvfTL);
    if (together) {
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 2, list, sizeof(TL));
    } else {
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, list, sizeof(TL));
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, list + 3, sizeof(TL));
    }
}

std::vector<Square> Squares() {
    std::vector<Square> v;
    const float sizes[] = {5.3f, 16.0f, 23.7f, 40.25f, 71.5f};
    for (int k = 0; k < 20; ++k) {
        const float s = sizes[k % 5];
        const float off = 0.37f * float(k % 7) - 0.9f;
        v.push_back({3.0f + off + float(k % 3), 2.0f - off, s, -0.3f + 0.05f * float(k % 4), 1.2f + 0.1f * float(k % 3),
                     (k & 1) ? 1.1f : 0.0f, (k & 1) ? -0.2f : 1.0f,
                     uint32_t(0x30 + 11 * k) << 24 | (k % 3 == 2 ? 0 : 0xFFC080), 0.1f});  // some smoke black
    }
    return v;
}

void Prepare(Device& d, const Texture* tex, uint32_t address, int blend, uint32_t zFunc, bool alphaTest) {
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZFUNC, zFunc);
    d.SetRenderState(RS_ZWRITEENABLE, zFunc == CMP_LESS);
    d.SetRenderState(RS_ALPHABLENDENABLE, blend != 0);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    d.SetRenderState(RS_DESTBLEND, blend == 2 ? BLEND_ONE : BLEND_INVSRCALPHA);
    d.SetRenderState(RS_ALPHATESTENABLE, alphaTest);
    d.SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    d.SetRenderState(RS_ALPHAREF, 0x40);
    d.SetTexture(0, const_cast<Texture*>(tex));
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    SetSampling(d, TEXF_LINEAR, address);
}

// What `draw` leaves on a 96 x 80 target cleared to `clear` at depth 0.6, drawn one
// pixel at a time and by the fast rows.
template <class Draw>
std::array<std::vector<uint32_t>, 2> OneByOneAndFast(uint32_t clear, Draw draw) {
    std::array<std::vector<uint32_t>, 2> image;
    for (int simd = 0; simd < 2; ++simd) {
        SetSimdEnabled(simd == 1);
        Device d(96, 80);
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, clear, 0.6f, 0);
        draw(d);
        image[simd].assign(d.BackBuffer(), d.BackBuffer() + 96 * 80);
    }
    SetSimdEnabled(true);
    return image;
}

TEST(Billboards, RowsSharingTexelColumnsMatchOneByOne) {
    std::unique_ptr<Texture> tex(Pattern(32, 16, 7));
    // Alphas of every kind, and a transparent band (groups of pixels left alone).
    for (int i = 0; i < 32 * 16; ++i)
        tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | (i % 32 < 10 ? 0u : uint32_t(i * 37 % 256) << 24);
    for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
        for (int blend : {0, 1, 2})
            for (uint32_t zFunc : {CMP_LESSEQUAL, CMP_LESS, CMP_GREATER})
                for (bool alphaTest : {false, true}) {
                    const auto image = OneByOneAndFast(0xFF304050, [&](Device& d) {
                        Prepare(d, tex.get(), address, blend, zFunc, alphaTest);
                        for (const Square& q : Squares()) DrawSquare(d, q, true);
                    });
                    ASSERT_EQ(image[0], image[1]) << "address " << address << " blend " << blend << " z " << zFunc
                                                  << " alpha test " << alphaTest;
                }
}

// Triangles of one colour with a level edge (v the same along their rows) whose rows
// start at different columns, whose u moves a hair down the columns, or whose depth
// changes along the rows, as the turned squares of the smoke give them.
struct Slant {
    float lean;   // x moved per pixel down the triangle's slanted edge
    float skew;   // u moved per pixel down the columns
    float slope;  // depth moved along the rows, per pixel
};
// (The last crosses the cleared depth along its rows: part of each row is hidden.)
const Slant kSlants[] = {{0.6f, 0.0f, 0.0f}, {-1.7f, 0.0f, 0.0f}, {0.0f, 3e-7f, 0.0f}, {0.0f, 0.0f, 2e-9f},
                         {0.35f, -2e-7f, 1e-4f}, {0.2f, 0.0f, 0.011f}};

// Triangle k of six, in two rows of three over a 96 x 80 target.
void DrawSlanted(Device& d, const Slant& c, int k, uint32_t colour) {
    const float x = 2.3f + 13.0f * float(k % 3), y = 1.6f + 37.0f * float(k / 3), h = 35.0f;
    const float w = 40.0f, u0 = -0.4f + 0.1f * float(k), du = 1.3f / w;
    // A level top edge, the left edge slanted by `lean`.
    const float xb = x + c.lean * h;
    const TL a{x, y, 0.3f, 0.1f, colour, u0, 0.1f};
    const TL b{x + w, y, 0.3f + c.slope * w, 0.1f, colour, u0 + du * w, 0.1f};
    const TL e{xb, y + h, 0.3f + c.slope * (xb - x), 0.1f, colour, u0 + du * (xb - x) + c.skew * h, 1.2f};
    const TL tri[3] = {a, b, e};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri, sizeof(TL));
}

// Shaded from shared texel columns where their own agree, the slanted triangles give
// the one-by-one path's colours and depths exactly.
TEST(Billboards, SlantedRowsMatchOneByOne) {
    std::unique_ptr<Texture> tex(Pattern(32, 16, 5));
    for (int i = 0; i < 32 * 16; ++i)
        tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | (i % 32 < 8 ? 0u : uint32_t(i * 53 % 256) << 24);
    const auto& cases = kSlants;
    for (const Slant& c : cases)
        for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
            for (int blend : {1, 2})
                for (uint32_t zFunc : {CMP_LESSEQUAL, CMP_LESS}) {
                    const auto image = OneByOneAndFast(0xFF304050, [&](Device& d) {
                        Prepare(d, tex.get(), address, blend, zFunc, false);
                        for (int k = 0; k < 6; ++k)
                            DrawSlanted(d, c, k, uint32_t(0x40 + 30 * k) << 24 | (k % 2 ? 0 : 0xC0FF80));
                    });
                    ASSERT_EQ(image[0], image[1]) << "lean " << c.lean << " skew " << c.skew << " slope " << c.slope
                                                  << " address " << address << " blend " << blend << " z " << zFunc;
                }
}

// Faint black smoke over a bright target: where a texel's alpha times the smoke's
// rounds to nothing the target keeps its colours, and only there (a pixel of a bright
// channel darkens by one step at the first alpha that does not). Squares and slanted
// triangles of a soft round puff give the one-by-one path's pixels at every faint
// alpha, across the texture's edges.
TEST(Billboards, FaintSmokeMatchesOneByOne) {
    std::unique_ptr<Texture> tex(Pattern(32, 32, 9));
    for (int i = 0; i < 32 * 32; ++i) {
        const float dx = float(i % 32) - 15.5f, dy = float(i / 32) - 15.5f;
        const int a = std::max(0, 300 - int(1.2f * (dx * dx + dy * dy)));
        tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | uint32_t(std::min(a, 255)) << 24;
    }
    for (uint32_t alpha : {0u, 1u, 2u, 3u, 7u, 18u, 64u})
        for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
            for (uint32_t zFunc : {CMP_ALWAYS, CMP_LESSEQUAL, CMP_GREATER}) {
                const auto image = OneByOneAndFast(0xFFFFF0C8, [&](Device& d) {
                    Prepare(d, tex.get(), address, 1, zFunc, false);
                    d.SetRenderState(RS_ZWRITEENABLE, 0);
                    for (Square q : Squares()) {
                        q.colour = alpha << 24;
                        DrawSquare(d, q, true);
                    }
                    for (int k = 0; k < 6; ++k) DrawSlanted(d, kSlants[k], k, alpha << 24);
                });
                ASSERT_EQ(image[0], image[1]) << "alpha " << alpha << " address " << address << " z " << zFunc;
            }
}

// A square of one colour covers the very pixels of its two triangles drawn apart,
// culled or not by their winding.
TEST(Billboards, SquareCoversItsTrianglesPixels) {
    for (uint32_t cull : {CULL_NONE, CULL_CW, CULL_CCW})
        for (const Square& sq : Squares()) {
            Square q = sq;
            q.colour = 0xFF20C040;
            std::vector<uint32_t> image[2];
            for (int together = 0; together < 2; ++together) {
                Device d(96, 80);
                d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
                d.SetRenderState(RS_LIGHTING, 0);
                d.SetRenderState(RS_ZENABLE, 0);
                d.SetRenderState(RS_CULLMODE, cull);
                d.SetTexture(0, nullptr);
                DrawSquare(d, q, together == 1);
                image[together].assign(d.BackBuffer(), d.BackBuffer() + 96 * 80);
            }
            ASSERT_EQ(image[0], image[1]) << "cull " << cull << " at " << q.x << "," << q.y << " size " << q.size;
        }
}

// Corners whose 1/w differs by rounding alone are drawn as when it is the same.
TEST(Billboards, OneWButForRoundingIsDrawnWithoutPerspective) {
    std::unique_ptr<Texture> tex(Pattern(32, 16, 3));
    const Square q{10.2f, 7.7f, 50.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0xFFFFFFFF, 0.25f};
    std::vector<uint32_t> image[2];
    for (int k = 0; k < 2; ++k) {
        Device d(80, 70);
        Prepare(d, tex.get(), TADDRESS_WRAP, 0, CMP_LESSEQUAL, false);
        DrawSquare(d, q, false, k == 0 ? 0.0f : std::nextafter(q.rhw, 1.0f) - q.rhw);
        image[k].assign(d.BackBuffer(), d.BackBuffer() + 80 * 70);
    }
    EXPECT_EQ(image[0], image[1]);
}

}  // namespace
