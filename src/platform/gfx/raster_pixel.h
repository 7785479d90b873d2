#pragma once
// The pixel pipeline of the software device: spans of pixels shaded with texture
// stage 0, alpha test, depth test and blending.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace gfx {

enum : int {
    kAttrZ, kAttrRhw, kAttrU, kAttrV, kAttrR, kAttrG, kAttrB, kAttrA, kAttrSR, kAttrSG, kAttrSB, kAttrCount
};
// The attributes rounded up to whole vectors of four (the set-up writes them four at a time).
constexpr int kAttrLanes = 12;
static_assert(kAttrCount <= kAttrLanes && kAttrLanes % 4 == 0);

struct ScreenVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    float r = 0, g = 0, b = 0, a = 0;
    float sr = 0, sg = 0, sb = 0;
    float u = 0, v = 0;
};

struct PipeState;
struct SpanSetup;
// Shades the spans [x0[i], x1[i]) of rows y + i for i < n; `constColor`: the colour
// taken at each row's start.
using ShadeRowsFn = void (*)(const PipeState& s, const SpanSetup& sp, int y, int n, const int* x0, const int* x1,
                             bool constColor);

// Everything a span needs, taken from the device states once per draw.
struct PipeState {
    uint32_t* cbuf = nullptr;
    float* zbuf = nullptr;
    int pitch = 0;
    int sx0 = 0, sy0 = 0, sx1 = 0, sy1 = 0;  // where drawing may land: the viewport within the target
                                             // (and the scissor rectangle, when on)
    bool zTest = false, zWrite = false;
    uint32_t zFunc = 4;
    bool alphaTest = false;
    uint32_t alphaFunc = 8, alphaRef = 0;
    bool blend = false;
    uint32_t srcBlend = 2, dstBlend = 1, blendOp = 1;
    uint32_t cull = 1;
    bool flatShade = false;
    bool specular = false;
    bool xrgbTarget = false;
    uint32_t tfactor = 0xFFFFFFFF;
    uint32_t colorOp = 4, colorArg1 = 2, colorArg2 = 1, alphaOp = 2, alphaArg1 = 2, alphaArg2 = 1;
    const uint32_t* tex = nullptr;  // null: no texture (PreparePipe gives the stage its stand-in)
    int tw = 1, th = 1;
    uint32_t addrU = 1, addrV = 1, border = 0;
    bool magLinear = false, minLinear = false;
    // Derived by PreparePipe.
    int kind = 0;         // fast path chosen for the texture stage
    int blendKind = 0;    // fast path chosen for blending
    bool addBlend = false;  // source alpha added to the target (a generic blend the general spans take)
    bool twPow2 = false, thPow2 = false;
    bool wrapPow2 = false;  // wrap addressing on power-of-two sizes
    // The span of the rows of this draw's perspective triangles when the general
    // spans take them, by filter (point, linear); null otherwise.
    ShadeRowsFn perspectiveRows[2] = {nullptr, nullptr};
    // Where the pixels are wanted, when not everywhere: the target in tiles of
    // wantTile pixels square, wantTilesX to a row, non-zero where wanted. Only those
    // pixels change, each to the very value drawing on every pixel gives it (see
    // ShadeOnWanted, pixel.cpp); spareColor and spareDepth, buffers laid out as the
    // target's, are drawn on in their place where a span must be drawn whole.
    const uint8_t* wantTiles = nullptr;
    int wantTile = 16, wantTilesX = 0;
    uint32_t* spareColor = nullptr;
    float* spareDepth = nullptr;
};

// The runs [a, b) of wanted columns of row y within [x0, x1) of a target in tiles of
// `tile` pixels square, `tilesX` to a row (non-zero where wanted): f(a, b) for each,
// left to right.
template <class F>
inline void ForTileRuns(const uint8_t* tiles, int tile, int tilesX, int y, int x0, int x1, F f) {
    if (x0 >= x1) return;
    const int last = (x1 - 1) / tile;
    const uint8_t* row = tiles + size_t(y / tile) * size_t(tilesX);
    for (int tx = x0 / tile; tx <= last;) {
        if (!row[tx]) {
            ++tx;
            continue;
        }
        int end = tx + 1;
        while (end <= last && row[end]) ++end;
        f(std::max(x0, tx * tile), std::min(x1, end * tile));
        tx = end;
    }
}

// Per-triangle (or per-rectangle) interpolation set-up.
struct SpanSetup {
    SpanSetup() : a0{}, dadx{}, dady{} {}
    // The planes left for the caller to fill, every lane of them (the triangles' set-up
    // writes them whole, four at a time, and need not clear them first).
    struct PlanesToFill {};
    explicit SpanSetup(PlanesToFill) {}

    float x0 = 0, y0 = 0;  // where a0 holds
    alignas(16) float a0[kAttrLanes];
    alignas(16) float dadx[kAttrLanes];
    alignas(16) float dady[kAttrLanes];
    bool persp = false;
    bool flat = false;
    bool constColor = false;  // colours the same everywhere (use a0)
    bool minify = false;
    float flatR = 0, flatG = 0, flatB = 0, flatA = 0, flatSR = 0, flatSG = 0, flatSB = 0;
};

bool PipeUsesTexture(const PipeState& s);
void PreparePipe(PipeState& s);
// The loops on 256-bit integer lanes, on processors that have them (on by default; they
// give the very same pixels as the one-by-one path).
void SetSimdEnabled(bool enabled);
// Shades pixels [x0, x1) of row y (on the wanted tiles alone, when the pipe names
// some: so do the two below).
void ShadeSpan(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1);
// Shades pixels [x0, x1) of rows [y0, y1): the same pixels as ShadeSpan row by row.
void ShadeBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1);
// Shades the spans [x0[i], x1[i]) of rows y + i for i < n (empty spans are skipped);
// the same pixels as ShadeSpan row by row.
void ShadeRows(const PipeState& s, const SpanSetup& sp, int y, int n, const int* x0, const int* x1);

void RasterTriangle(const PipeState& s, const ScreenVertex* a, const ScreenVertex* b, const ScreenVertex* c,
                    const ScreenVertex* flatFrom);
void RasterLine(const PipeState& s, const ScreenVertex& a, const ScreenVertex& b);

}  // namespace gfx
