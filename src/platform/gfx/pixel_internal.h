#pragma once
// Pieces of the pixel pipeline shared by the one-by-one spans and the fast paths: the
// affine ones of sprites and rectangles (copied, filtered and black rows) and the general
// spans of the 3D scenes, eight pixels at a time. Which loop takes which span: the map
// above ShadeSpan (pixel.cpp).
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"

namespace gfx::pix {

// a * b / 255, rounded to nearest, for a and b in 0..255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// v * 256, rounded, kept within +-2^30 (so later offsets cannot overflow); a NaN
// takes the low limit, as the vector paths' max/min do.
inline int ToFixed(float v) {
    float f = v * 256.0f;
    f = !(f >= -1073741824.0f) ? -1073741824.0f : (f > 1073741824.0f ? 1073741824.0f : f);
    return _mm_cvtss_si32(_mm_set_ss(f));  // nearest, ties to even
}

// Address one coordinate; -1 means the border colour.
inline int Address(int i, int n, uint32_t mode, bool pow2) {
    if (i >= 0 && i < n) return i;
    switch (mode) {
        case TADDRESS_CLAMP: return i < 0 ? 0 : n - 1;
        case TADDRESS_BORDER: return -1;
        case TADDRESS_MIRROR: {
            const int period = 2 * n;
            int m = i % period;
            if (m < 0) m += period;
            return m < n ? m : period - 1 - m;
        }
        default:  // wrap
            if (pow2) return i & (n - 1);
            {
                int m = i % n;
                return m < 0 ? m + n : m;
            }
    }
}

__attribute__((always_inline)) inline uint32_t Texel(const PipeState& s, int x, int y) {
    const int ax = Address(x, s.tw, s.addrU, s.twPow2);
    const int ay = Address(y, s.th, s.addrV, s.thPow2);
    if (ax < 0 || ay < 0) return s.border;
    return s.tex[size_t(ay) * s.tw + ax];
}

inline uint64_t Spread(uint32_t c) {  // ARGB -> 00AA00RR 00GG00BB as 16-bit lanes
    return (uint64_t(c) & 0x00FF00FFull) | ((uint64_t(c) & 0xFF00FF00ull) << 24);
}
inline uint32_t Pack(uint64_t v) { return uint32_t(v & 0x00FF00FFull) | uint32_t((v >> 24) & 0xFF00FF00ull); }

inline uint32_t Bilinear(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11, uint32_t fx, uint32_t fy) {
    constexpr uint64_t kMask = 0x00FF00FF00FF00FFull, kHalf = 0x0080008000800080ull;
    const uint64_t top = ((Spread(t00) * (256 - fx) + Spread(t10) * fx + kHalf) >> 8) & kMask;
    const uint64_t bot = ((Spread(t01) * (256 - fx) + Spread(t11) * fx + kHalf) >> 8) & kMask;
    return Pack(((top * (256 - fy) + bot * fy + kHalf) >> 8) & kMask);
}

__attribute__((always_inline)) inline uint32_t SamplePoint(const PipeState& s, float u, float v) {
    const int fu = ToFixed(u * float(s.tw)), fv = ToFixed(v * float(s.th));
    if (s.wrapPow2) return s.tex[size_t((fv >> 8) & (s.th - 1)) * s.tw + ((fu >> 8) & (s.tw - 1))];
    return Texel(s, fu >> 8, fv >> 8);
}

__attribute__((always_inline)) inline uint32_t SampleLinear(const PipeState& s, float u, float v) {
    const int fu = ToFixed(u * float(s.tw)) - 128, fv = ToFixed(v * float(s.th)) - 128;
    const int x0 = fu >> 8, y0 = fv >> 8;
    const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
    if (s.wrapPow2) {  // wrap on power-of-two sizes: mask the coordinates
        const int mx = s.tw - 1, my = s.th - 1;
        const int xa = x0 & mx, xb = (x0 + 1) & mx;
        const uint32_t* r0 = s.tex + size_t(y0 & my) * s.tw;
        const uint32_t* r1 = s.tex + size_t((y0 + 1) & my) * s.tw;
        if (fx == 0 && fy == 0) return r0[xa];
        return Bilinear(r0[xa], r0[xb], r1[xa], r1[xb], fx, fy);
    }
    if (fx == 0 && fy == 0) return Texel(s, x0, y0);
    // Fast inner case: the 2x2 block lies inside the texture.
    if (x0 >= 0 && y0 >= 0 && x0 + 1 < s.tw && y0 + 1 < s.th) {
        const uint32_t* p = s.tex + size_t(y0) * s.tw + x0;
        return Bilinear(p[0], p[1], p[s.tw], p[s.tw + 1], fx, fy);
    }
    return Bilinear(Texel(s, x0, y0), Texel(s, x0 + 1, y0), Texel(s, x0, y0 + 1), Texel(s, x0 + 1, y0 + 1), fx, fy);
}

constexpr uint32_t kTaSelectMask = 0x0F;

inline uint32_t Arg(uint32_t arg, uint32_t diffuse, uint32_t tex, uint32_t tfactor, uint32_t highlight) {
    uint32_t v;
    switch (arg & kTaSelectMask) {
        case TA_TEXTURE: v = tex; break;
        case TA_TFACTOR: v = tfactor; break;
        case TA_SPECULAR: v = highlight; break;
        default: v = diffuse; break;  // diffuse, and current (= diffuse at stage 0)
    }
    if (arg & TA_COMPLEMENT) v = ~v;
    if (arg & TA_ALPHAREPLICATE) {
        const uint32_t a = v >> 24;
        v = (a << 24) | (a << 16) | (a << 8) | a;
    }
    return v;
}

inline uint32_t Ch(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// One channel of a stage operation.
inline uint32_t Op(uint32_t op, uint32_t a1, uint32_t a2) {
    switch (op) {
        case TOP_SELECTARG1: return a1;
        case TOP_SELECTARG2: return a2;
        case TOP_MODULATE: return Mul255(a1, a2);
        case TOP_MODULATE2X: return std::min<uint32_t>(255, Mul255(a1, a2) * 2);
        case TOP_MODULATE4X: return std::min<uint32_t>(255, Mul255(a1, a2) * 4);
        case TOP_ADD: return std::min<uint32_t>(255, a1 + a2);
        case TOP_ADDSIGNED: return uint32_t(std::clamp(int(a1) + int(a2) - 128, 0, 255));
        case TOP_ADDSIGNED2X: return uint32_t(std::clamp((int(a1) + int(a2) - 128) * 2, 0, 255));
        case TOP_SUBTRACT: return a1 > a2 ? a1 - a2 : 0;
        case TOP_ADDSMOOTH: return std::min<uint32_t>(255, a1 + a2 - Mul255(a1, a2));
        default: return a1;  // (the device refuses the others)
    }
}

inline bool Compare(uint32_t func, uint32_t a, uint32_t ref) {
    switch (func) {
        case CMP_NEVER: return false;
        case CMP_LESS: return a < ref;
        case CMP_EQUAL: return a == ref;
        case CMP_LESSEQUAL: return a <= ref;
        case CMP_GREATER: return a > ref;
        case CMP_NOTEQUAL: return a != ref;
        case CMP_GREATEREQUAL: return a >= ref;
        default: return true;
    }
}
inline bool CompareZ(uint32_t func, float z, float ref) {
    switch (func) {
        case CMP_NEVER: return false;
        case CMP_LESS: return z < ref;
        case CMP_EQUAL: return z == ref;
        case CMP_LESSEQUAL: return z <= ref;
        case CMP_GREATER: return z > ref;
        case CMP_NOTEQUAL: return z != ref;
        case CMP_GREATEREQUAL: return z >= ref;
        default: return true;
    }
}

inline uint32_t ToByte(float v) {
    const int i = int(v + 0.5f);
    return uint32_t(i < 0 ? 0 : (i > 255 ? 255 : i));
}

enum : int { kKindGeneric = 0, kKindModulate = 1, kKindNoTexDiffuse = 2, kKindModulateAlphaTex = 3 };
enum : int { kBlendNone = 0, kBlendSrcOver = 1, kBlendGeneric = 2 };
// The general spans' own name for the additive blend (the state keeps kBlendGeneric).
constexpr int kBlendAdd = 3;

// Every loop on 256-bit integer lanes (AVX2, four, eight or sixteen pixels a step; the
// lane-mask copies below too): on when the processor has AVX2 and they have not been
// switched off.
extern bool g_simdEnabled;
extern const bool g_hasAvx2;
inline bool HasAvx2() { return g_hasAvx2 && g_simdEnabled; }
// The general spans' copies built for lane masks (the 512-bit instruction set on 256-bit
// lanes): GeneralSpanMasked for perspective rows, and FinishGroupsMasked, the second
// step of every general span. On when the processor has them and they have not been
// switched off (the tests compare both ways).
extern bool g_laneMasksEnabled;
extern const bool g_hasLaneMasks;
inline bool HasLaneMasks() { return g_hasLaneMasks && g_laneMasksEnabled; }
void SetLaneMasksEnabled(bool enabled);

// (t + (t >> 8)) >> 8 equals (t * 257) >> 16 for every 16-bit t.
__attribute__((target("avx2"))) inline __m256i Mul255y(__m256i a, __m256i b) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

// p + ((q - p) * w + 128) >> 8 for 16-bit lanes, with w7 = w << 7 (w of 0..255):
// the rounded high half of a 16x16 product is exactly that quotient, and
// (p * (256 - w) + q * w + 128) >> 8 is the same value.
__attribute__((target("avx2"))) inline __m256i LerpW(__m256i p, __m256i q, __m256i w7) {
    return _mm256_add_epi16(p, _mm256_mulhrs_epi16(_mm256_sub_epi16(q, p), w7));
}

__attribute__((target("avx2"))) inline __m256i Load2x64(const uint32_t* a, const uint32_t* b, const uint32_t* c,
                                                       const uint32_t* d) {
    int64_t va, vb, vc, vd;
    std::memcpy(&va, a, 8);
    std::memcpy(&vb, b, 8);
    std::memcpy(&vc, c, 8);
    std::memcpy(&vd, d, 8);
    return _mm256_set_epi64x(vd, vc, vb, va);  // lanes: [a b | c d]
}

// Alpha test of four pixels (16-bit lanes [b g r a] per pixel): a mask of passing pixels.
__attribute__((target("avx2"))) inline unsigned AlphaMask4(const PipeState& s, __m256i c) {
    if (s.alphaFunc == CMP_ALWAYS) return 0xF;
    if (s.alphaFunc == CMP_GREATER || s.alphaFunc == CMP_GREATEREQUAL) {
        const int ref = int(s.alphaRef) - (s.alphaFunc == CMP_GREATEREQUAL ? 1 : 0);
        const unsigned m = unsigned(_mm256_movemask_epi8(_mm256_cmpgt_epi16(c, _mm256_set1_epi16(short(ref)))));
        return ((m >> 6) & 1u) | ((m >> 13) & 2u) | ((m >> 20) & 4u) | ((m >> 27) & 8u);
    }
    alignas(32) uint16_t ch[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(ch), c);
    unsigned mask = 0;
    for (int k = 0; k < 4; ++k)
        if (Compare(s.alphaFunc, ch[4 * k + 3], s.alphaRef)) mask |= 1u << k;
    return mask;
}

// ToFixed(v * size), eight at a time, given size * 256: a product times 256 is the
// same float as the product with 256 taken in first (a power of two only moves the
// exponent, even where the product overflows or is rounded to zero by the conversion).
__attribute__((target("avx2"))) inline __m256i FixedOf8(__m256 v, __m256 size256) {
    __m256 f = _mm256_mul_ps(v, size256);
    f = _mm256_min_ps(_mm256_max_ps(f, _mm256_set1_ps(-1073741824.0f)), _mm256_set1_ps(1073741824.0f));
    return _mm256_cvtps_epi32(f);
}

// Rows handed to the general spans together.
struct Rows {
    int y, n;
    const int *x0, *x1;
};


// The affine fast path is tried first for these spans.
inline bool AffineCandidate(const PipeState& s, const SpanSetup& sp) {
    return !sp.persp && (sp.constColor || sp.flat) && s.kind == kKindModulate && s.tex && !s.specular &&
           !s.xrgbTarget && s.blendKind != kBlendGeneric;
}

// Draws whose states the general spans take (on processors that have them).
inline bool GeneralSimdStates(const PipeState& s) {
    if (!(!s.specular && !s.xrgbTarget && (s.blendKind != kBlendGeneric || s.addBlend) &&
          (s.kind == kKindModulate || s.kind == kKindModulateAlphaTex || s.kind == kKindNoTexDiffuse)))
        return false;
    const bool clamp = s.addrU == TADDRESS_CLAMP && s.addrV == TADDRESS_CLAMP;
    return !s.tex || s.wrapPow2 || clamp;
}
// Spans of this draw and triangle that GeneralDispatch shades: the general spans, eight
// pixels at a time, or their kin for triangles of one colour.
inline bool GeneralSimd(const PipeState& s, const SpanSetup& sp) {
    (void)sp;
    return HasAvx2() && GeneralSimdStates(s);
}

// The runs [a, b) of wanted columns of row y within [x0, x1), f(a, b) for each, left
// to right; [x0, x1) itself when the pipe wants every pixel.
template <class F>
inline void ForWantedRuns(const PipeState& s, int y, int x0, int x1, F f) {
    if (!s.wantTiles) {
        if (x0 < x1) f(x0, x1);
        return;
    }
    ForTileRuns(s.wantTiles, s.wantTile, s.wantTilesX, y, x0, x1, f);
}
// The same for rows y0 .. y1 - 1, a band of rows within one row of tiles at a time
// (their runs are the same): f(y, n, a, b) for rows y .. y + n - 1, columns [a, b).
template <class F>
inline void ForWantedBands(const PipeState& s, int y0, int y1, int x0, int x1, F f) {
    for (int y = y0; y < y1;) {
        const int end = s.wantTiles ? std::min(y1, (y / s.wantTile + 1) * s.wantTile) : y1;
        ForWantedRuns(s, y, x0, x1, [&](int a, int b) { f(y, end - y, a, b); });
        y = end;
    }
}
// Whether row y has wanted columns within [x0, x1).
inline bool RowWanted(const PipeState& s, int y, int x0, int x1) {
    bool any = false;
    ForWantedRuns(s, y, x0, x1, [&](int, int) { any = true; });
    return any;
}

// Rows y .. y + n - 1, spans [x0[i], x1[i]), drawn by shade(pipe, y, n, x0, x1) on the
// wanted pixels alone (see pixel.cpp).
using ShadeOnFn = void (*)(const PipeState& s, const void* what, int y, int n, const int* x0, const int* x1);
void ShadeOnWantedBy(const PipeState& s, int y, int n, const int* x0, const int* x1, ShadeOnFn shade, const void* what);
template <class F>
inline void ShadeOnWanted(const PipeState& s, int y, int n, const int* x0, const int* x1, const F& shade) {
    ShadeOnWantedBy(
        s, y, n, x0, x1,
        [](const PipeState& p, const void* what, int yy, int nn, const int* a, const int* b) {
            (*static_cast<const F*>(what))(p, yy, nn, a, b);
        },
        &shade);
}

// Fast paths (pixel_affine.cpp, pixel_general.cpp).
bool TryAffineSpan(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1);
void AffineBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1);
void GeneralDispatch(const PipeState& s, const SpanSetup& sp, const Rows& r);
// The span GeneralDispatch takes for the rows of perspective triangles of this draw
// (of either filter), chosen once for the draw.
ShadeRowsFn PerspectiveSpan(const PipeState& s, bool linear);
// Filtered rows of one colour that share their texel columns; false when the rows
// are not of that kind (see pixel_affine.cpp).
bool FixedColourColumns(const PipeState& s, const SpanSetup& sp, const Rows& r, uint32_t diffuse, int blendKind,
                        bool wrap);
// Whether GeneralDispatch shades these affine rows as one colour, untextured, known
// before each row starts (FlatRows).
bool FlatColourRows(const PipeState& s, const SpanSetup& sp);

}  // namespace gfx::pix
