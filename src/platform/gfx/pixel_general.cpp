// The general spans of the 3D scenes, eight pixels at a time. (Which loop takes which
// span: the map above ShadeSpan, pixel.cpp.)
#include <cstddef>

#include "gfx/pixel_internal.h"

namespace gfx {

namespace pix {

bool g_laneMasksEnabled = true;
const bool g_hasLaneMasks = (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") &&
                                                       __builtin_cpu_supports("avx512vl") &&
                                                       __builtin_cpu_supports("avx512bw"));
void SetLaneMasksEnabled(bool enabled) { g_laneMasksEnabled = enabled; }

namespace {

// ---- General spans, eight pixels at a time ---------------------------------------------
// Gouraud colour, perspective-correct coordinates, texture modulate (colour, or colour
// and alpha), wrap or clamp addressing, no blending or source-over: the 3D scenes.
// The arithmetic is the one-by-one path's, lane for lane: every attribute is
// start + step * n with the same float operations in the same order.
//
// The float work (depth, 1/w, colour, texture coordinates) runs on eight pixels in
// 256-bit lanes. The colour work keeps each pixel's four channels as 16-bit lanes,
// so eight pixels take two registers; they hold the pixels in the order the in-lane
// unpack instructions give: "lo" is pixels 0 1 | 4 5 and "hi" is 2 3 | 6 7 (the
// two 128-bit halves separated by the bar). Packing lo and hi back to bytes gives
// the pixels in their own order again.
//
// A batch of rows is shaded in two steps: first every group of eight pixels is
// depth-tested and gets its colour, texel indices and filter weights (the long
// chain of float work); the groups that pass wait in a small buffer, and then
// their texels are read, filtered and written one group after another. The reads
// of many groups are then in flight together.

// One colour for eight pixels, from its channels r g b a at `rgba` (ToByte of each):
// [b g r a] in 16-bit lanes four times over, as the colour halves hold their pixels.
__attribute__((target("avx2"))) inline __m256i ColourOf(const float* rgba) {
    const __m128 v = _mm_add_ps(_mm_loadu_ps(rgba), _mm_set1_ps(0.5f));
    const __m128i i = _mm_cvttps_epi32(_mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 0, 1, 2)));
    return _mm256_broadcastsi128_si256(_mm_min_epu16(_mm_packus_epi32(i, i), _mm_set1_epi16(255)));
}
// ToByte of two channels of eight pixels, as 16-bit lanes: a's four pixels of each
// half, then b's (the packing's order). int(v + 0.5) as the conversion gives it
// (0x80000000 for a number too large or none at all), then the packing's saturation
// takes what lies below 0 to 0 and the minimum what lies above 255 to 255.
__attribute__((target("avx2"))) inline __m256i BytesOf2x8(__m256 a, __m256 b) {
    const __m256 half = _mm256_set1_ps(0.5f);
    return _mm256_min_epu16(_mm256_packus_epi32(_mm256_cvttps_epi32(_mm256_add_ps(a, half)),
                                                _mm256_cvttps_epi32(_mm256_add_ps(b, half))),
                            _mm256_set1_epi16(255));
}
// Eight texels by index (plain loads; used where a pixel's texel pair is split by the
// texture's edge, and for point sampling).
__attribute__((target("avx2"))) inline __m256i Fetch8(const uint32_t* base, __m256i idx) {
    alignas(32) int32_t i[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(i), idx);
    return _mm256_setr_epi32(int(base[i[0]]), int(base[i[1]]), int(base[i[2]]), int(base[i[3]]), int(base[i[4]]),
                             int(base[i[5]]), int(base[i[6]]), int(base[i[7]]));
}

// Depth test of eight pixels, as CompareZ does it (unordered values fail every
// test but "not equal").
__attribute__((target("avx2"))) inline unsigned DepthMask8(uint32_t func, __m256 z, __m256 old) {
    switch (func) {
        case CMP_LESSEQUAL: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_LE_OQ)));
        case CMP_LESS: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_LT_OQ)));
        case CMP_EQUAL: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_EQ_OQ)));
        case CMP_GREATER: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_GT_OQ)));
        case CMP_NOTEQUAL: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_NEQ_UQ)));
        case CMP_GREATEREQUAL: return unsigned(_mm256_movemask_ps(_mm256_cmp_ps(z, old, _CMP_GE_OQ)));
        case CMP_NEVER: return 0;
        default: return 0xFFu;
    }
}

__attribute__((target("avx2"))) inline unsigned BitsOf(__m256i m) {
    return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(m)));
}
// Alpha test of eight packed pixels (in their own order): a mask of passing pixels.
__attribute__((target("avx2"))) inline unsigned AlphaMask8(uint32_t func, uint32_t ref, __m256i packed) {
    const __m256i a = _mm256_srli_epi32(packed, 24), r = _mm256_set1_epi32(int(ref));
    switch (func) {
        case CMP_NEVER: return 0;
        case CMP_LESS: return BitsOf(_mm256_cmpgt_epi32(r, a));
        case CMP_EQUAL: return BitsOf(_mm256_cmpeq_epi32(a, r));
        case CMP_LESSEQUAL: return ~BitsOf(_mm256_cmpgt_epi32(a, r)) & 0xFFu;
        case CMP_GREATER: return BitsOf(_mm256_cmpgt_epi32(a, r));
        case CMP_NOTEQUAL: return ~BitsOf(_mm256_cmpeq_epi32(a, r)) & 0xFFu;
        case CMP_GREATEREQUAL: return ~BitsOf(_mm256_cmpgt_epi32(r, a)) & 0xFFu;
        default: return 0xFFu;
    }
}

// A pointer `off` elements from `base`, worked out on the address (a window of eight
// pixels may begin before the buffer; its lanes there are never touched).
template <typename T>
inline T* At(T* base, int off) {
    return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(base) + uintptr_t(intptr_t(off) * intptr_t(sizeof(T))));
}
// The lanes of a bit mask, as a vector mask.
__attribute__((target("avx2"))) inline __m256i LaneMask(unsigned m) {
    const __m256i bits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    return _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(int(m)), bits), bits);
}

// A group of eight pixels that passed the depth test, with everything worked out
// but its texels. A triangle's rows are often shorter than eight pixels, so a group
// may hold the end of one row and the start of the next: lane i is the pixel at
// atA + i of the colour and depth buffers for the lanes of the first row and at
// atB + i for those of the second (the lanes in bLanes). One vector is then
// written to two windows of eight pixels, each with its own lanes (a group of one
// row has atB = atA and no lanes in the second). The colour halves as "lo"/"hi".
struct alignas(32) Group {
    __m256 zc;                // depth
    __m256i difLo, difHi;     // diffuse (unless one colour serves every group)
    __m256i ia, ib;           // texel indices: rows A and B at column A
    __m256i dxb;              // column B - column A (ib and dxb: for clamped addressing only)
    __m256i w7;               // filter weights << 7: x in the low 16 bits, y in the high
    int atA, atB;             // where the two windows begin in the buffers
    unsigned bLanes;          // the lanes of the second row
    unsigned mask;            // pixels that still pass
    bool inBuf;               // both windows lie wholly in the buffers
    int pairs;                // how the texel pairs lie (kPairs... below)
};
// A group's texel pairs: each lane's two texels side by side in memory (in the bits of
// kPairsAdjacent), and row B the texture row after row A (ib = ia + width) too (every bit).
constexpr int kPairsAdjacent = 0x00FF00FF, kPairsBelow = -1;

// Eight words of a group's two windows, each row's lanes from its own window.
// Windows that lie in the buffers are read whole; otherwise only the lanes of `used`.
__attribute__((target("avx2"))) inline __m256i LoadTwo(const void* buf, int atA, int atB, __m256i bm, bool inBuf,
                                                      unsigned used) {
    const int* const b = static_cast<const int*>(buf);
    if (inBuf && atA == atB) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + atA));
    if (inBuf)
        return _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + atA)),
                                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + atB)), bm);
    const __m256i um = LaneMask(used);
    return _mm256_blendv_epi8(_mm256_maskload_epi32(At(b, atA), _mm256_andnot_si256(bm, um)),
                              _mm256_maskload_epi32(At(b, atB), _mm256_and_si256(bm, um)), bm);
}

// The byte shuffles of the filtered texel reads: a pixel's 16-bit weight repeated
// over its four channels, for the lo and the hi pixels (x from the low halves of the
// 32-bit lanes, y from the high halves), and the left and right texels of two
// side-by-side texels per 64 bits.
struct TexelShuffles {
    __m256i spreadXLo, spreadXHi, spreadYLo, spreadYHi, selL, selR;
};

__attribute__((target("avx2"))) inline TexelShuffles MakeTexelShuffles() {
    TexelShuffles sh;
    sh.spreadXLo = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,  //
                                    0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5);
    sh.spreadXHi = _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13,  //
                                    8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    sh.spreadYLo = _mm256_setr_epi8(2, 3, 2, 3, 2, 3, 2, 3, 6, 7, 6, 7, 6, 7, 6, 7,  //
                                    2, 3, 2, 3, 2, 3, 2, 3, 6, 7, 6, 7, 6, 7, 6, 7);
    sh.spreadYHi = _mm256_setr_epi8(10, 11, 10, 11, 10, 11, 10, 11, 14, 15, 14, 15, 14, 15, 14, 15,  //
                                    10, 11, 10, 11, 10, 11, 10, 11, 14, 15, 14, 15, 14, 15, 14, 15);
    sh.selL = _mm256_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1,  //
                               0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1);
    sh.selR = _mm256_setr_epi8(4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1,  //
                               4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1);
    return sh;
}

// The states the general spans know beforehand rather than ask for every group:
// none, or the usual state of the 3D scenes (depth test "less or equal", no alpha
// test, a texture of a power-of-two width) with depth writes or without them.
enum : int { kStateAsked = 0, kStateUsual = 1, kStateUsualNoDepthWrites = 2 };

// What the second step needs of the draw's state, worked out once for a batch of
// waiting groups (Known: the states known beforehand, as above).
struct FinishState {
    bool hasTex, alphaTest, zWrite, oneColour;
    const uint32_t* tex;
    const uint32_t* below;  // the texture row after a texel's
    uint32_t* cbuf;         // (kept here: the writes could otherwise change them)
    float* zbuf;
    __m256i colour;         // the one colour of every group, when oneColour
    __m256i mx, my;         // the texture's width and height - 1
    __m128i twShift;        // log2 of the width (wrapped addressing: a power of two)
    __m256i spreadXLo, spreadXHi, spreadYLo, spreadYHi, selL, selR;
};

template <int Known>
__attribute__((target("avx2"), always_inline)) inline FinishState MakeFinishState(const PipeState& s, bool texArg,
                                                                                  bool zWriteArg, bool alphaTestArg,
                                                                                  const __m256i* oneColour) {
    FinishState f;
    f.hasTex = Known != kStateAsked || texArg;
    f.alphaTest = Known == kStateAsked && alphaTestArg;
    f.zWrite = Known == kStateUsual || (Known == kStateAsked && zWriteArg);
    f.oneColour = oneColour != nullptr;
    f.tex = s.tex;
    f.below = f.hasTex ? s.tex + s.tw : nullptr;
    f.cbuf = s.cbuf;
    f.zbuf = s.zbuf;
    f.colour = oneColour ? *oneColour : _mm256_setzero_si256();
    f.mx = _mm256_set1_epi32(s.tw - 1);
    f.my = _mm256_set1_epi32(s.th - 1);
    f.twShift = _mm_cvtsi32_si128(s.tw > 0 ? __builtin_ctz(unsigned(s.tw)) : 0);
    const TexelShuffles sh = MakeTexelShuffles();
    f.spreadXLo = sh.spreadXLo, f.spreadXHi = sh.spreadXHi, f.spreadYLo = sh.spreadYLo, f.spreadYHi = sh.spreadYHi;
    f.selL = sh.selL, f.selR = sh.selR;
    return f;
}

// A group's texel indices of row B at column A, and column B - column A: kept in the
// group for clamped addressing; for wrapped addressing (power-of-two sizes) they
// follow from the indices of row A (ia = (ya << log2 width) + xa).
template <bool Wrap>
__attribute__((target("avx2"), always_inline)) inline __m256i RowB(const FinishState& f, const Group& g) {
    if (!Wrap) return g.ib;
    const __m256i one = _mm256_set1_epi32(1), xa = _mm256_and_si256(g.ia, f.mx);
    const __m256i yb = _mm256_and_si256(_mm256_add_epi32(_mm256_srl_epi32(g.ia, f.twShift), one), f.my);
    return _mm256_add_epi32(_mm256_sll_epi32(yb, f.twShift), xa);
}
template <bool Wrap>
__attribute__((target("avx2"), always_inline)) inline __m256i ColumnStep(const FinishState& f, const Group& g) {
    if (!Wrap) return g.dxb;
    const __m256i xa = _mm256_and_si256(g.ia, f.mx);
    return _mm256_sub_epi32(_mm256_and_si256(_mm256_add_epi32(xa, _mm256_set1_epi32(1)), f.mx), xa);
}

// The filtered texels of a group whose pixels each have their two texels side by
// side in memory: one 64-bit load per row at `rowA + ia[i]` and `rowB + ib[i]` (plain
// loads beat the hardware gather on this processor), blended across by the weights
// wx, in halves.
__attribute__((target("avx2"), always_inline)) inline void PairRows(const FinishState& f, const uint32_t* rowA,
                                                                    const int32_t* ia, const uint32_t* rowB,
                                                                    const int32_t* ib, __m256i wxLo, __m256i wxHi,
                                                                    __m256i& topLo, __m256i& topHi, __m256i& botLo,
                                                                    __m256i& botHi) {
    const __m256i r0Lo = Load2x64(rowA + ia[0], rowA + ia[1], rowA + ia[4], rowA + ia[5]);
    const __m256i r0Hi = Load2x64(rowA + ia[2], rowA + ia[3], rowA + ia[6], rowA + ia[7]);
    const __m256i r1Lo = Load2x64(rowB + ib[0], rowB + ib[1], rowB + ib[4], rowB + ib[5]);
    const __m256i r1Hi = Load2x64(rowB + ib[2], rowB + ib[3], rowB + ib[6], rowB + ib[7]);
    topLo = LerpW(_mm256_shuffle_epi8(r0Lo, f.selL), _mm256_shuffle_epi8(r0Lo, f.selR), wxLo);
    topHi = LerpW(_mm256_shuffle_epi8(r0Hi, f.selL), _mm256_shuffle_epi8(r0Hi, f.selR), wxHi);
    botLo = LerpW(_mm256_shuffle_epi8(r1Lo, f.selL), _mm256_shuffle_epi8(r1Lo, f.selR), wxLo);
    botHi = LerpW(_mm256_shuffle_epi8(r1Hi, f.selL), _mm256_shuffle_epi8(r1Hi, f.selR), wxHi);
}

// Reads a waiting group's texels, filters, modulates and alpha-tests them: the
// colours of its eight pixels before blending (in halves) in cLo and cHi, and the
// mask of the pixels to write (none: 0).
template <int Kind, int BlendKind, bool Linear, bool Wrap, int Known>
__attribute__((target("avx2"), always_inline)) inline unsigned ShadeWaiting(const PipeState& s, const FinishState& f,
                                                                            const Group& g, __m256i& cLo,
                                                                            __m256i& cHi) {
    const __m256i z256 = _mm256_setzero_si256(), c255 = _mm256_set1_epi16(255);
    const __m256i difLo = f.oneColour ? f.colour : g.difLo, difHi = f.oneColour ? f.colour : g.difHi;
    if (!f.hasTex) {
        cLo = difLo;
        cHi = difHi;
        if (Kind == kKindModulateAlphaTex) {  // white texture alpha
            cLo = _mm256_blend_epi16(cLo, c255, 0x88);
            cHi = _mm256_blend_epi16(cHi, c255, 0x88);
        }
    } else {
        if (!Linear) {
            const __m256i tx = Fetch8(f.tex, g.ia);
            cLo = _mm256_unpacklo_epi8(tx, z256);
            cHi = _mm256_unpackhi_epi8(tx, z256);
        } else {
            const __m256i wxLo = _mm256_shuffle_epi8(g.w7, f.spreadXLo), wxHi = _mm256_shuffle_epi8(g.w7, f.spreadXHi);
            const __m256i wyLo = _mm256_shuffle_epi8(g.w7, f.spreadYLo), wyHi = _mm256_shuffle_epi8(g.w7, f.spreadYHi);
            __m256i topLo, topHi, botLo, botHi;
            if (g.pairs == kPairsBelow) {
                // Each pixel's two texels side by side in memory, and the two below
                // them one texture row on: the index read straight from the waiting
                // group serves both rows.
                const int32_t* const pa = reinterpret_cast<const int32_t*>(&g.ia);
                PairRows(f, f.tex, pa, f.below, pa, wxLo, wxHi, topLo, topHi, botLo, botHi);
            } else if ((g.pairs & kPairsAdjacent) == kPairsAdjacent) {
                // Side by side, but row B elsewhere (across the wrap): its own indices.
                const int32_t* const pa = reinterpret_cast<const int32_t*>(&g.ia);
                alignas(32) int32_t pb[8];
                _mm256_store_si256(reinterpret_cast<__m256i*>(pb), RowB<Wrap>(f, g));
                PairRows(f, f.tex, pa, f.tex, pb, wxLo, wxHi, topLo, topHi, botLo, botHi);
            } else {
                const __m256i ib = RowB<Wrap>(f, g), dxb = ColumnStep<Wrap>(f, g);
                const __m256i t00 = Fetch8(f.tex, g.ia), t10 = Fetch8(f.tex, _mm256_add_epi32(g.ia, dxb));
                const __m256i t01 = Fetch8(f.tex, ib), t11 = Fetch8(f.tex, _mm256_add_epi32(ib, dxb));
                topLo = LerpW(_mm256_unpacklo_epi8(t00, z256), _mm256_unpacklo_epi8(t10, z256), wxLo);
                topHi = LerpW(_mm256_unpackhi_epi8(t00, z256), _mm256_unpackhi_epi8(t10, z256), wxHi);
                botLo = LerpW(_mm256_unpacklo_epi8(t01, z256), _mm256_unpacklo_epi8(t11, z256), wxLo);
                botHi = LerpW(_mm256_unpackhi_epi8(t01, z256), _mm256_unpackhi_epi8(t11, z256), wxHi);
            }
            cLo = LerpW(topLo, botLo, wyLo);
            cHi = LerpW(topHi, botHi, wyHi);
        }
        if (Kind == kKindModulate) {
            cLo = Mul255y(cLo, difLo);
            cHi = Mul255y(cHi, difHi);
        } else {  // alpha from the texture
            cLo = _mm256_blend_epi16(Mul255y(cLo, difLo), cLo, 0x88);
            cHi = _mm256_blend_epi16(Mul255y(cHi, difHi), cHi, 0x88);
        }
    }
    unsigned mask = g.mask;
    if (f.alphaTest) {
        mask &= AlphaMask8(s.alphaFunc, s.alphaRef, _mm256_packus_epi16(cLo, cHi));
        if (!mask) return 0;
    }
    // Blended pixels of no alpha leave the target as it is: without depth writes
    // they need not be written.
    if (BlendKind != kBlendNone && !f.zWrite) {
        const __m256i a = _mm256_srli_epi32(_mm256_packus_epi16(cLo, cHi), 24);
        mask &= ~BitsOf(_mm256_cmpeq_epi32(a, z256)) & 0xFFu;
        if (!mask) return 0;
    }
    return mask;
}

// Whether blending a group's colours reads the target: added ones always, those
// over the target unless every pixel is opaque (c * 255 / 255 + d * 0 / 255 is c).
template <int BlendKind>
__attribute__((target("avx2"), always_inline)) inline bool ReadsTarget(__m256i cLo, __m256i cHi) {
    if (BlendKind == kBlendAdd) return true;
    if (BlendKind != kBlendSrcOver) return false;
    const __m256i opaque = _mm256_cmpeq_epi16(_mm256_and_si256(cLo, cHi), _mm256_set1_epi16(255));
    return (_mm256_movemask_epi8(opaque) & 0xC0C0C0C0) != 0xC0C0C0C0;
}
// Blends a group's colours onto the target's (`old`, packed): added, the source times
// its alpha plus the target, each channel (alpha too) saturated at 255 by the packing
// that follows; or over it.
template <int BlendKind>
__attribute__((target("avx2"), always_inline)) inline void BlendOnto(__m256i& cLo, __m256i& cHi, __m256i old) {
    const __m256i z256 = _mm256_setzero_si256(), c255 = _mm256_set1_epi16(255);
    const __m256i dLo = _mm256_unpacklo_epi8(old, z256), dHi = _mm256_unpackhi_epi8(old, z256);
    const __m256i aLo = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(cLo, 0xFF), 0xFF);
    const __m256i aHi = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(cHi, 0xFF), 0xFF);
    if (BlendKind == kBlendAdd) {
        cLo = _mm256_add_epi16(Mul255y(cLo, aLo), dLo);
        cHi = _mm256_add_epi16(Mul255y(cHi, aHi), dHi);
    } else {
        cLo = _mm256_add_epi16(Mul255y(cLo, aLo), Mul255y(dLo, _mm256_sub_epi16(c255, aLo)));
        cHi = _mm256_add_epi16(Mul255y(cHi, aHi), Mul255y(dHi, _mm256_sub_epi16(c255, aHi)));
    }
}

// Reads the texels of waiting groups, filters, modulates, alpha-tests, blends and
// writes them.
template <int Kind, int BlendKind, bool Linear, bool Wrap, int Known>
__attribute__((target("avx2"))) void FinishGroups(const PipeState& s, const Group* groups, int n, bool texArg,
                                                   bool zWriteArg, bool alphaTestArg, const __m256i* oneColour) {
    const FinishState f = MakeFinishState<Known>(s, texArg, zWriteArg, alphaTestArg, oneColour);
    const bool zWrite = f.zWrite;
    uint32_t* const cbuf = f.cbuf;
    float* const zbuf = f.zbuf;
    for (int k = 0; k < n; ++k) {
        const Group& g = groups[k];
        __m256i cLo, cHi;
        const unsigned mask = ShadeWaiting<Kind, BlendKind, Linear, Wrap, Known>(s, f, g, cLo, cHi);
        if (!mask) continue;
        if (ReadsTarget<BlendKind>(cLo, cHi))
            BlendOnto<BlendKind>(cLo, cHi, LoadTwo(cbuf, g.atA, g.atB, LaneMask(g.bLanes), g.inBuf, mask));
        const __m256i out = _mm256_packus_epi16(cLo, cHi);
        // Only the passing lanes change, each row's in its window (the other pixels of
        // a window that lies in the buffers are rewritten as they are).
        if (g.inBuf && !(mask & g.bLanes)) {
            // Only the first window changes: the second is left alone, and a window
            // whose every pixel passes is written without reading it.
            __m256i* const ca = reinterpret_cast<__m256i*>(cbuf + g.atA);
            float* const za = At(zbuf, g.atA);
            if (mask == 0xFFu) {
                _mm256_storeu_si256(ca, out);
                if (zWrite) _mm256_storeu_ps(za, g.zc);
            } else {
                const __m256i sm = LaneMask(mask);
                _mm256_storeu_si256(ca, _mm256_blendv_epi8(_mm256_loadu_si256(ca), out, sm));
                if (zWrite) _mm256_storeu_ps(za, _mm256_blendv_ps(_mm256_loadu_ps(za), g.zc, _mm256_castsi256_ps(sm)));
            }
            continue;
        }
        const __m256i sm = LaneMask(mask), bm = LaneMask(g.bLanes);
        const __m256i smA = _mm256_andnot_si256(bm, sm), smB = _mm256_and_si256(bm, sm);
        if (g.inBuf) {
            __m256i* const ca = reinterpret_cast<__m256i*>(cbuf + g.atA);
            _mm256_storeu_si256(ca, _mm256_blendv_epi8(_mm256_loadu_si256(ca), out, smA));
            __m256i* const cb = reinterpret_cast<__m256i*>(cbuf + g.atB);
            _mm256_storeu_si256(cb, _mm256_blendv_epi8(_mm256_loadu_si256(cb), out, smB));
            if (zWrite) {
                float* const za = zbuf + g.atA;
                _mm256_storeu_ps(za, _mm256_blendv_ps(_mm256_loadu_ps(za), g.zc, _mm256_castsi256_ps(smA)));
                float* const zb = zbuf + g.atB;
                _mm256_storeu_ps(zb, _mm256_blendv_ps(_mm256_loadu_ps(zb), g.zc, _mm256_castsi256_ps(smB)));
            }
        } else {
            _mm256_maskstore_epi32(At(reinterpret_cast<int*>(cbuf), g.atA), smA, out);
            _mm256_maskstore_epi32(At(reinterpret_cast<int*>(cbuf), g.atB), smB, out);
            if (zWrite) {
                _mm256_maskstore_ps(At(zbuf, g.atA), smA, g.zc);
                _mm256_maskstore_ps(At(zbuf, g.atB), smB, g.zc);
            }
        }
    }
}

// The same with the lanes of the two windows written through lane masks (512-bit
// instruction set on 256-bit lanes): no window is read to be written back.
template <int Kind, int BlendKind, bool Linear, bool Wrap, int Known>
__attribute__((target("avx2,avx512f,avx512vl,avx512bw"))) void FinishGroupsMasked(const PipeState& s,
                                                                                  const Group* groups, int n,
                                                                                  bool texArg, bool zWriteArg,
                                                                                  bool alphaTestArg,
                                                                                  const __m256i* oneColour) {
    const FinishState f = MakeFinishState<Known>(s, texArg, zWriteArg, alphaTestArg, oneColour);
    for (int k = 0; k < n; ++k) {
        const Group& g = groups[k];
        __m256i cLo, cHi;
        const unsigned mask = ShadeWaiting<Kind, BlendKind, Linear, Wrap, Known>(s, f, g, cLo, cHi);
        if (!mask) continue;
        // (Lanes that do not pass are neither read nor written, even where a window
        // reaches past the buffers.)
        const __mmask8 inA = __mmask8(mask & ~g.bLanes), inB = __mmask8(mask & g.bLanes);
        if (ReadsTarget<BlendKind>(cLo, cHi))
            BlendOnto<BlendKind>(cLo, cHi, _mm256_mask_loadu_epi32(_mm256_maskz_loadu_epi32(inA, At(f.cbuf, g.atA)),
                                                                   inB, At(f.cbuf, g.atB)));
        const __m256i out = _mm256_packus_epi16(cLo, cHi);
        _mm256_mask_storeu_epi32(At(f.cbuf, g.atA), inA, out);
        _mm256_mask_storeu_epi32(At(f.cbuf, g.atB), inB, out);
        if (f.zWrite) {
            _mm256_mask_storeu_ps(At(f.zbuf, g.atA), inA, g.zc);
            _mm256_mask_storeu_ps(At(f.zbuf, g.atB), inB, g.zc);
        }
    }
}

// A texel coordinate and the next one, wrapped (power-of-two size) or clamped to [0, m].
template <bool Wrap>
__attribute__((target("avx2"))) inline void TexelPair(__m256i i, __m256i m, __m256i& a, __m256i& b) {
    const __m256i one = _mm256_set1_epi32(1), z = _mm256_setzero_si256();
    if (Wrap) {
        a = _mm256_and_si256(i, m);
        b = _mm256_and_si256(_mm256_add_epi32(i, one), m);
    } else {
        a = _mm256_min_epi32(_mm256_max_epi32(i, z), m);
        b = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(i, one), z), m);
    }
}

// Attribute k at the group's lanes: each lane's row start value (the first row's
// in the lanes of bm's clear lanes, the second row's in its set ones) plus d * t, t
// being the lane's distance from its row's first pixel.
template <bool Two = true>
__attribute__((target("avx2"))) inline __m256 Plane2(const float* a0A, const float* a0B, int k, __m256 bm, __m256 d,
                                                    __m256 t) {
    if (!Two) return _mm256_add_ps(_mm256_broadcast_ss(a0A + k), _mm256_mul_ps(d, t));  // one row's lanes
    return _mm256_add_ps(_mm256_blendv_ps(_mm256_broadcast_ss(a0A + k), _mm256_broadcast_ss(a0B + k), bm),
                         _mm256_mul_ps(d, t));
}
// The same times w, or without w for affine spans.
template <bool Persp, bool Two>
__attribute__((target("avx2"))) inline __m256 Attr2(const float* a0A, const float* a0B, int k, __m256 bm, __m256 d,
                                                   __m256 t, __m256 w) {
    const __m256 v = Plane2<Two>(a0A, a0B, k, bm, d, t);
    return Persp ? _mm256_mul_ps(v, w) : v;
}

// The same with the second row's lanes picked by a lane mask (the 512-bit instruction
// set on 256-bit lanes): its start is broadcast into those lanes straight from memory.
template <bool Two = true>
__attribute__((target("avx2,avx512f,avx512vl,avx512bw"))) inline __m256 Plane2(const float* a0A, const float* a0B,
                                                                                int k, __mmask8 bk, __m256 d,
                                                                                __m256 t) {
    if (!Two) return _mm256_add_ps(_mm256_broadcast_ss(a0A + k), _mm256_mul_ps(d, t));
    return _mm256_add_ps(_mm256_mask_broadcastss_ps(_mm256_broadcast_ss(a0A + k), bk, _mm_load_ss(a0B + k)),
                         _mm256_mul_ps(d, t));
}
template <bool Persp, bool Two>
__attribute__((target("avx2,avx512f,avx512vl,avx512bw"))) inline __m256 Attr2(const float* a0A, const float* a0B,
                                                                               int k, __mmask8 bk, __m256 d, __m256 t,
                                                                               __m256 w) {
    const __m256 v = Plane2<Two>(a0A, a0B, k, bk, d, t);
    return Persp ? _mm256_mul_ps(v, w) : v;
}

#define GENERAL_SPAN_NAME GeneralSpanAvx2
#define GENERAL_SPAN_TARGET __attribute__((target("avx2")))
#define GENERAL_SPAN_MASKS 0
#include "gfx/pixel_general_span.inc"
#undef GENERAL_SPAN_NAME
#undef GENERAL_SPAN_TARGET
#undef GENERAL_SPAN_MASKS
#define GENERAL_SPAN_NAME GeneralSpanMasked
#define GENERAL_SPAN_TARGET __attribute__((target("avx2,avx512f,avx512vl,avx512bw")))
#define GENERAL_SPAN_MASKS 1
#include "gfx/pixel_general_span.inc"
#undef GENERAL_SPAN_NAME
#undef GENERAL_SPAN_TARGET
#undef GENERAL_SPAN_MASKS

// ---- Affine spans of one colour, filtered ----------------------------------------------
// The billboards and particles of the effects: no perspective, one colour over the
// whole triangle, a filtered texture modulated by it. Each row on its own, eight
// pixels at a time, with the general spans' arithmetic step for step (the same
// values in the same lanes), but without the waiting groups: the reads of a group
// here are few enough for the next group's arithmetic to cover them.
// Texels row[i] of sixteen neighbours for each lane's i (`high`: lanes whose i is 8 or more, in the sign bit).
__attribute__((target("avx2"))) inline __m256i Pick16(const uint32_t* row, __m256i i, __m256 high) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8));
    return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(_mm256_permutevar8x32_epi32(a, i)),
                                                _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(c, i)), high));
}

// ConstV: v does not change along a row (dadx of v is zero), so everything that
// follows from it is worked out once per row (every lane would get the same values).
template <int BlendKind, bool Wrap, bool ConstV>
__attribute__((target("avx2"))) void FixedColourRows(const PipeState& s, const SpanSetup& sp, int yFirst, int nRows,
                                                      const int* rx0, const int* rx1, uint32_t diffuse) {
    const float* const d = sp.dadx;
    const __m256 dZ = _mm256_set1_ps(d[kAttrZ]), dU = _mm256_set1_ps(d[kAttrU]), dV = _mm256_set1_ps(d[kAttrV]);
    const __m256 spA = _mm256_loadu_ps(sp.a0), spDx = _mm256_loadu_ps(sp.dadx), spDy = _mm256_loadu_ps(sp.dady);
    const bool zWrite = s.zWrite, alphaTest = s.alphaTest;
    const uint32_t zFunc = s.zFunc;
    const bool zTest = s.zTest && zFunc >= CMP_NEVER && zFunc < CMP_ALWAYS;
    const bool zLE = zFunc == CMP_LESSEQUAL;
    const uint32_t* const tex = s.tex;
    const int tw = s.tw, th = s.th;
    const bool rowShift = (tw & (tw - 1)) == 0;
    const __m128i twShift = _mm_cvtsi32_si128(rowShift ? __builtin_ctz(unsigned(tw)) : 0);
    const __m256 ftw = _mm256_set1_ps(float(tw) * 256.0f), fth = _mm256_set1_ps(float(th) * 256.0f);
    const __m256 zero8 = _mm256_setzero_ps(), one8 = _mm256_set1_ps(1.0f);
    const __m256i mx = _mm256_set1_epi32(tw - 1), my = _mm256_set1_epi32(th - 1), vtw = _mm256_set1_epi32(tw);
    const __m256i z256 = _mm256_setzero_si256(), i255 = _mm256_set1_epi32(255), i128 = _mm256_set1_epi32(128);
    const __m256i one = _mm256_set1_epi32(1), c255 = _mm256_set1_epi16(255);
    const __m256i laneIdx = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i dif = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(diffuse)));
    const TexelShuffles sh = MakeTexelShuffles();
    const __m256i spreadXLo = sh.spreadXLo, spreadXHi = sh.spreadXHi, spreadYLo = sh.spreadYLo, spreadYHi = sh.spreadYHi;
    const __m256i selL = sh.selL, selR = sh.selR;
    const int pitch = s.pitch;
    // The last window start that lies wholly in the buffers.
    const int last = pitch * s.sy1 - 8;
    constexpr int kAhead = 2;
    for (int r = 0; r < nRows; ++r) {
        const int x0 = rx0[r], x1 = rx1[r];
        if (x0 >= x1) continue;
        const int y = yFirst + r;
        const float fxs = float(x0) - sp.x0, fys = float(y) - sp.y0;
        alignas(32) float a0[8];
        _mm256_store_ps(a0, _mm256_add_ps(_mm256_add_ps(spA, _mm256_mul_ps(spDx, _mm256_set1_ps(fxs))),
                                          _mm256_mul_ps(spDy, _mm256_set1_ps(fys))));
        const __m256 z0 = _mm256_set1_ps(a0[kAttrZ]), u0 = _mm256_set1_ps(a0[kAttrU]), v0 = _mm256_set1_ps(a0[kAttrV]);
        const int rowOff = y * pitch;
        // The row's texture rows and vertical weights when v is the same along it.
        __m256i rowFv = z256, rowYi = z256, rowA0 = z256, rowB0 = z256, rowWyLo = z256, rowWyHi = z256;
        int rowOffA = 0, rowOffB = 0;
        if (ConstV) {
            rowFv = _mm256_sub_epi32(FixedOf8(_mm256_add_ps(v0, _mm256_mul_ps(dV, zero8)), fth), i128);
            rowYi = _mm256_srai_epi32(rowFv, 8);
            __m256i ya, yb;
            TexelPair<Wrap>(rowYi, my, ya, yb);
            rowA0 = rowShift ? _mm256_sll_epi32(ya, twShift) : _mm256_mullo_epi32(ya, vtw);
            rowB0 = rowShift ? _mm256_sll_epi32(yb, twShift) : _mm256_mullo_epi32(yb, vtw);
            rowOffA = _mm256_cvtsi256_si32(rowA0);
            rowOffB = _mm256_cvtsi256_si32(rowB0);
            const __m256i wy7 = _mm256_slli_epi32(_mm256_and_si256(rowFv, i255), 23);
            rowWyLo = _mm256_shuffle_epi8(wy7, spreadYLo);
            rowWyHi = _mm256_shuffle_epi8(wy7, spreadYHi);
        }
        // The target's rows a little further down are asked for now (a row's start is
        // a jump away from the last row's end, which the processor does not foresee).
        if (r + kAhead < nRows && rx0[r + kAhead] < rx1[r + kAhead]) {
            const int off = (y + kAhead) * pitch;
            for (int px = rx0[r + kAhead]; px < rx1[r + kAhead] + 16; px += 16) {
                _mm_prefetch(reinterpret_cast<const char*>(s.cbuf + off + std::min(px, rx1[r + kAhead] - 1)), _MM_HINT_T0);
                if (zTest) _mm_prefetch(reinterpret_cast<const char*>(s.zbuf + off + std::min(px, rx1[r + kAhead] - 1)), _MM_HINT_T0);
            }
        }
        for (int x = x0; x < x1; x += 8) {
            const int n = std::min(8, x1 - x);
            unsigned mask = n == 8 ? 0xFFu : (1u << n) - 1;
            const int at = rowOff + x;
            const bool full = at <= last;
            const __m256 t = _mm256_cvtepi32_ps(_mm256_add_epi32(laneIdx, _mm256_set1_epi32(x - x0)));
            const __m256 zc = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(z0, _mm256_mul_ps(dZ, t)), zero8), one8);
            float* const zp = At(s.zbuf, at);
            if (zTest) {
                const __m256 old =
                    full ? _mm256_loadu_ps(zp) : _mm256_maskload_ps(zp, LaneMask(mask));
                mask &= zLE ? unsigned(_mm256_movemask_ps(_mm256_cmp_ps(zc, old, _CMP_LE_OQ)))
                            : DepthMask8(zFunc, zc, old);
                if (!mask) continue;
            }
            const __m256i fu = _mm256_sub_epi32(FixedOf8(_mm256_add_ps(u0, _mm256_mul_ps(dU, t)), ftw), i128);
            const __m256i fv =
                ConstV ? rowFv : _mm256_sub_epi32(FixedOf8(_mm256_add_ps(v0, _mm256_mul_ps(dV, t)), fth), i128);
            const __m256i xi = _mm256_srai_epi32(fu, 8);
            // Weights (fraction << 7): x from u; y per row, or from v.
            const __m256i wx7 = _mm256_slli_epi32(_mm256_and_si256(fu, i255), 7);
            const __m256i wxLo = _mm256_shuffle_epi8(wx7, spreadXLo), wxHi = _mm256_shuffle_epi8(wx7, spreadXHi);
            __m256i wyLo = rowWyLo, wyHi = rowWyHi;
            if (!ConstV) {
                const __m256i wy7 = _mm256_slli_epi32(_mm256_and_si256(fv, i255), 23);
                wyLo = _mm256_shuffle_epi8(wy7, spreadYLo);
                wyHi = _mm256_shuffle_epi8(wy7, spreadYHi);
            }
            __m256i topLo, topHi, botLo, botHi;
            // The group's texel pairs within sixteen neighbours of the row's two texture
            // rows: four loads and a pick of each pixel's pair. The texel column only
            // grows or only shrinks along a row, so the first and last lanes bound it;
            // a run that stays inside the texture short of its last column is neither
            // clamped nor cut by the wrap, and each pixel's pair lies side by side.
            const int xiFirst = _mm256_cvtsi256_si32(xi), xiLast = _mm256_extract_epi32(xi, 7);
            const int lo = std::min(xiFirst, xiLast), span = std::max(xiFirst, xiLast) - lo;
            const int loA = Wrap ? (lo & (tw - 1)) : lo;
            if (ConstV && span <= 14 && tw >= 16 && loA + span + 1 <= tw - 1 && (Wrap || lo >= 0)) {
                const int b = std::min(loA, tw - 16);
                const uint32_t* const t0 = tex + rowOffA + b;
                const uint32_t* const t1 = tex + rowOffB + b;
                const __m256i pl = _mm256_sub_epi32(xi, _mm256_set1_epi32(lo - loA + b)), pr = _mm256_add_epi32(pl, one);
                // Columns 8 to 15 come from the second load (the pick looks at the low three bits).
                const __m256 hl = _mm256_castsi256_ps(_mm256_slli_epi32(pl, 28));
                const __m256 hr = _mm256_castsi256_ps(_mm256_slli_epi32(pr, 28));
                const __m256i l0 = Pick16(t0, pl, hl), q0 = Pick16(t0, pr, hr);
                const __m256i l1 = Pick16(t1, pl, hl), q1 = Pick16(t1, pr, hr);
                topLo = LerpW(_mm256_unpacklo_epi8(l0, z256), _mm256_unpacklo_epi8(q0, z256), wxLo);
                topHi = LerpW(_mm256_unpackhi_epi8(l0, z256), _mm256_unpackhi_epi8(q0, z256), wxHi);
                botLo = LerpW(_mm256_unpacklo_epi8(l1, z256), _mm256_unpacklo_epi8(q1, z256), wxLo);
                botHi = LerpW(_mm256_unpackhi_epi8(l1, z256), _mm256_unpackhi_epi8(q1, z256), wxHi);
            } else {
                __m256i xa, xb, rowA = rowA0, rowB = rowB0;
                TexelPair<Wrap>(xi, mx, xa, xb);
                if (!ConstV) {
                    __m256i ya, yb;
                    TexelPair<Wrap>(_mm256_srai_epi32(fv, 8), my, ya, yb);
                    rowA = rowShift ? _mm256_sll_epi32(ya, twShift) : _mm256_mullo_epi32(ya, vtw);
                    rowB = rowShift ? _mm256_sll_epi32(yb, twShift) : _mm256_mullo_epi32(yb, vtw);
                }
                const __m256i ia = _mm256_add_epi32(rowA, xa), ib = _mm256_add_epi32(rowB, xa);
                const __m256i dxb = _mm256_sub_epi32(xb, xa);
                if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(dxb, one)) == -1) {
                    alignas(32) int32_t pa[8], pb[8];
                    _mm256_store_si256(reinterpret_cast<__m256i*>(pa), ia);
                    _mm256_store_si256(reinterpret_cast<__m256i*>(pb), ib);
                    const __m256i r0Lo = Load2x64(tex + pa[0], tex + pa[1], tex + pa[4], tex + pa[5]);
                    const __m256i r0Hi = Load2x64(tex + pa[2], tex + pa[3], tex + pa[6], tex + pa[7]);
                    const __m256i r1Lo = Load2x64(tex + pb[0], tex + pb[1], tex + pb[4], tex + pb[5]);
                    const __m256i r1Hi = Load2x64(tex + pb[2], tex + pb[3], tex + pb[6], tex + pb[7]);
                    topLo = LerpW(_mm256_shuffle_epi8(r0Lo, selL), _mm256_shuffle_epi8(r0Lo, selR), wxLo);
                    topHi = LerpW(_mm256_shuffle_epi8(r0Hi, selL), _mm256_shuffle_epi8(r0Hi, selR), wxHi);
                    botLo = LerpW(_mm256_shuffle_epi8(r1Lo, selL), _mm256_shuffle_epi8(r1Lo, selR), wxLo);
                    botHi = LerpW(_mm256_shuffle_epi8(r1Hi, selL), _mm256_shuffle_epi8(r1Hi, selR), wxHi);
                } else {
                    const __m256i t00 = Fetch8(tex, ia), t10 = Fetch8(tex, _mm256_add_epi32(ia, dxb));
                    const __m256i t01 = Fetch8(tex, ib), t11 = Fetch8(tex, _mm256_add_epi32(ib, dxb));
                    topLo = LerpW(_mm256_unpacklo_epi8(t00, z256), _mm256_unpacklo_epi8(t10, z256), wxLo);
                    topHi = LerpW(_mm256_unpackhi_epi8(t00, z256), _mm256_unpackhi_epi8(t10, z256), wxHi);
                    botLo = LerpW(_mm256_unpacklo_epi8(t01, z256), _mm256_unpacklo_epi8(t11, z256), wxLo);
                    botHi = LerpW(_mm256_unpackhi_epi8(t01, z256), _mm256_unpackhi_epi8(t11, z256), wxHi);
                }
            }
            __m256i cLo = Mul255y(LerpW(topLo, botLo, wyLo), dif);
            __m256i cHi = Mul255y(LerpW(topHi, botHi, wyHi), dif);
            if (alphaTest) {
                mask &= AlphaMask8(s.alphaFunc, s.alphaRef, _mm256_packus_epi16(cLo, cHi));
                if (!mask) continue;
            }
            // (Blended pixels of no alpha would leave the target as it is: they are
            // written like the others, since a test here costs more than it saves.)
            uint32_t* const cp = At(s.cbuf, at);
            __m256i old = z256;
            if (BlendKind != kBlendNone)
                old = full ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cp))
                           : _mm256_maskload_epi32(reinterpret_cast<const int*>(cp), LaneMask(mask));
            if (BlendKind == kBlendAdd || BlendKind == kBlendSrcOver) BlendOnto<BlendKind>(cLo, cHi, old);
            const __m256i out = _mm256_packus_epi16(cLo, cHi);
            const __m256i sm = LaneMask(mask);
            if (full) {
                __m256i* const cv = reinterpret_cast<__m256i*>(cp);
                _mm256_storeu_si256(cv, _mm256_blendv_epi8(BlendKind != kBlendNone ? old : _mm256_loadu_si256(cv), out, sm));
                if (zWrite) _mm256_storeu_ps(zp, _mm256_blendv_ps(_mm256_loadu_ps(zp), zc, _mm256_castsi256_ps(sm)));
            } else {
                _mm256_maskstore_epi32(reinterpret_cast<int*>(cp), sm, out);
                if (zWrite) _mm256_maskstore_ps(zp, sm, zc);
            }
        }
    }
}

// ---- Affine spans of one colour, untextured --------------------------------------------
// The panels, shadows and dimming of the battle screen: the colour of every pixel is
// known before its row starts, so the source's part of a blend is worked out once.
template <int BlendKind>
__attribute__((target("avx2"))) void FlatRows(const PipeState& s, const SpanSetup& sp, int yFirst, int nRows,
                                               const int* rx0, const int* rx1, uint32_t argb) {
    const bool zWrite = s.zWrite;
    const uint32_t zFunc = s.zFunc;
    const bool zTest = s.zTest && zFunc >= CMP_NEVER && zFunc < CMP_ALWAYS;
    if (s.alphaTest && !Compare(s.alphaFunc, argb >> 24, s.alphaRef)) return;
    // Blended pixels of no alpha leave the target as it is.
    if (BlendKind != kBlendNone && !zWrite && (argb >> 24) == 0) return;
    const __m256 dZ = _mm256_set1_ps(sp.dadx[kAttrZ]);
    const __m256 zero8 = _mm256_setzero_ps(), one8 = _mm256_set1_ps(1.0f);
    const __m256i z256 = _mm256_setzero_si256(), c255 = _mm256_set1_epi16(255);
    const __m256i laneIdx = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i src = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(argb)));  // [b g r a] per pixel, 16-bit lanes
    const __m256i alpha = _mm256_set1_epi16(short(argb >> 24));
    // The source's part: colour times alpha (source-over and added alike).
    const __m256i srcPart = Mul255y(src, alpha);
    const __m256i invAlpha = _mm256_sub_epi16(c255, alpha);
    const __m256i packedSrc = _mm256_set1_epi32(int(argb));
    const int pitch = s.pitch;
    const int last = pitch * s.sy1 - 8;
    for (int r = 0; r < nRows; ++r) {
        const int x0 = rx0[r], x1 = rx1[r];
        if (x0 >= x1) continue;
        const int y = yFirst + r;
        const float fxs = float(x0) - sp.x0, fys = float(y) - sp.y0;
        // Depth at the row's first pixel, as a0 + dadx * dx + dady * dy.
        const float zRow = sp.a0[kAttrZ] + sp.dadx[kAttrZ] * fxs + sp.dady[kAttrZ] * fys;
        const __m256 z0 = _mm256_set1_ps(zRow);
        const int rowOff = y * pitch;
        for (int x = x0; x < x1; x += 8) {
            const int n = std::min(8, x1 - x);
            unsigned mask = n == 8 ? 0xFFu : (1u << n) - 1;
            const int at = rowOff + x;
            const bool full = at <= last;
            float* const zp = At(s.zbuf, at);
            __m256 zc = zero8;
            if (zTest || zWrite) {
                const __m256 t = _mm256_cvtepi32_ps(_mm256_add_epi32(laneIdx, _mm256_set1_epi32(x - x0)));
                zc = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(z0, _mm256_mul_ps(dZ, t)), zero8), one8);
            }
            if (zTest) {
                const __m256 old = full ? _mm256_loadu_ps(zp) : _mm256_maskload_ps(zp, LaneMask(mask));
                mask &= zFunc == CMP_LESSEQUAL ? unsigned(_mm256_movemask_ps(_mm256_cmp_ps(zc, old, _CMP_LE_OQ)))
                                               : DepthMask8(zFunc, zc, old);
                if (!mask) continue;
            }
            uint32_t* const cp = At(s.cbuf, at);
            __m256i old = z256, out = packedSrc;
            if (BlendKind != kBlendNone) {
                old = full ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cp))
                           : _mm256_maskload_epi32(reinterpret_cast<const int*>(cp), LaneMask(mask));
                const __m256i dLo = _mm256_unpacklo_epi8(old, z256), dHi = _mm256_unpackhi_epi8(old, z256);
                __m256i cLo, cHi;
                if (BlendKind == kBlendAdd) {
                    cLo = _mm256_add_epi16(srcPart, dLo);
                    cHi = _mm256_add_epi16(srcPart, dHi);
                } else {
                    cLo = _mm256_add_epi16(srcPart, Mul255y(dLo, invAlpha));
                    cHi = _mm256_add_epi16(srcPart, Mul255y(dHi, invAlpha));
                }
                out = _mm256_packus_epi16(cLo, cHi);
            }
            const __m256i sm = LaneMask(mask);
            if (full && mask == 0xFFu) {  // every pixel of the window: nothing of it to keep
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(cp), out);
                if (zWrite) _mm256_storeu_ps(zp, zc);
            } else if (full) {
                __m256i* const cv = reinterpret_cast<__m256i*>(cp);
                _mm256_storeu_si256(cv, _mm256_blendv_epi8(BlendKind != kBlendNone ? old : _mm256_loadu_si256(cv), out, sm));
                if (zWrite) _mm256_storeu_ps(zp, _mm256_blendv_ps(_mm256_loadu_ps(zp), zc, _mm256_castsi256_ps(sm)));
            } else {
                _mm256_maskstore_epi32(reinterpret_cast<int*>(cp), sm, out);
                if (zWrite) _mm256_maskstore_ps(zp, sm, zc);
            }
        }
    }
}

// The one colour of an affine triangle that has one everywhere, as ARGB; false when
// its colour changes across it.
inline bool FixedColourOf(const SpanSetup& sp, uint32_t& argb) {
    if (sp.persp) return false;
    if (sp.flat) {
        argb = (ToByte(sp.flatA) << 24) | (ToByte(sp.flatR) << 16) | (ToByte(sp.flatG) << 8) | ToByte(sp.flatB);
        return true;
    }
    for (int k = kAttrR; k <= kAttrA; ++k)
        if (!(sp.dadx[k] == 0.0f && sp.dady[k] == 0.0f && std::isfinite(sp.a0[k]))) return false;
    argb = (ToByte(sp.a0[kAttrA]) << 24) | (ToByte(sp.a0[kAttrR]) << 16) | (ToByte(sp.a0[kAttrG]) << 8) |
           ToByte(sp.a0[kAttrB]);
    return true;
}

template <int B>
void FixedColourPick(const PipeState& s, const SpanSetup& sp, const Rows& r, uint32_t argb, bool wrap, bool constV) {
    if (wrap) {
        constV ? FixedColourRows<B, true, true>(s, sp, r.y, r.n, r.x0, r.x1, argb)
               : FixedColourRows<B, true, false>(s, sp, r.y, r.n, r.x0, r.x1, argb);
    } else {
        constV ? FixedColourRows<B, false, true>(s, sp, r.y, r.n, r.x0, r.x1, argb)
               : FixedColourRows<B, false, false>(s, sp, r.y, r.n, r.x0, r.x1, argb);
    }
}

// The general span of these parameters: perspective rows take the copy compiled for
// lane masks where the processor has them.
template <bool P, int K, int B, bool Linear, bool Wrap, int Known>
ShadeRowsFn SpanOf() {
    if constexpr (P)
        if (HasLaneMasks()) return GeneralSpanMasked<P, K, B, Linear, Wrap, Known>;
    return GeneralSpanAvx2<P, K, B, Linear, Wrap, Known>;
}

// The general span for rows of this draw: perspective or not (P), texture stage kind
// and blending (K, B) taken from the states, the filter the rows' triangle asks for.
template <bool P, int K, int B>
ShadeRowsFn PickSpan(const PipeState& s, bool linear, bool wrap) {
    if (K == kKindNoTexDiffuse) return SpanOf<P, K, B, false, false, kStateAsked>();  // no texture read
    if (linear) {
        const bool usual = s.zTest && s.zFunc == CMP_LESSEQUAL && !s.alphaTest && s.tex && s.twPow2;
        if (usual && s.zWrite)
            return wrap ? SpanOf<P, K, B, true, true, kStateUsual>()
                        : SpanOf<P, K, B, true, false, kStateUsual>();
        if (usual)
            return wrap ? SpanOf<P, K, B, true, true, kStateUsualNoDepthWrites>()
                        : SpanOf<P, K, B, true, false, kStateUsualNoDepthWrites>();
        return wrap ? SpanOf<P, K, B, true, true, kStateAsked>()
                    : SpanOf<P, K, B, true, false, kStateAsked>();
    }
    return wrap ? SpanOf<P, K, B, false, true, kStateAsked>()
                : SpanOf<P, K, B, false, false, kStateAsked>();
}
template <bool P, int K>
ShadeRowsFn PickSpanB(const PipeState& s, bool linear, bool wrap) {
    if (s.blendKind == kBlendSrcOver) return PickSpan<P, K, kBlendSrcOver>(s, linear, wrap);
    if (s.blendKind == kBlendGeneric) return PickSpan<P, K, kBlendAdd>(s, linear, wrap);
    return PickSpan<P, K, kBlendNone>(s, linear, wrap);
}
template <bool P>
ShadeRowsFn PickSpanK(const PipeState& s, bool linear, bool wrap) {
    switch (s.kind) {
        case kKindModulate: return PickSpanB<P, kKindModulate>(s, linear, wrap);
        case kKindModulateAlphaTex: return PickSpanB<P, kKindModulateAlphaTex>(s, linear, wrap);
        default: return PickSpanB<P, kKindNoTexDiffuse>(s, linear, wrap);
    }
}

// Affine rows: those of one colour take spans of their own first.
template <int K>
void AffineDispatch(const PipeState& s, const SpanSetup& sp, const Rows& r, bool cc, bool linear, bool wrap) {
    uint32_t argb = 0;
    if (K == kKindNoTexDiffuse && FixedColourOf(sp, argb)) {
        switch (s.blendKind) {
            case kBlendSrcOver:
                // An opaque colour over the target is the colour itself (c * 255 / 255 + d * 0 / 255).
                if ((argb >> 24) == 255) FlatRows<kBlendNone>(s, sp, r.y, r.n, r.x0, r.x1, argb);
                else FlatRows<kBlendSrcOver>(s, sp, r.y, r.n, r.x0, r.x1, argb);
                return;
            case kBlendGeneric: FlatRows<kBlendAdd>(s, sp, r.y, r.n, r.x0, r.x1, argb); return;
            default: FlatRows<kBlendNone>(s, sp, r.y, r.n, r.x0, r.x1, argb); return;
        }
    }
    if (K == kKindModulate && linear && s.tex && FixedColourOf(sp, argb)) {
        const bool constV = sp.dadx[kAttrV] == 0.0f;
        const int blend = s.blendKind == kBlendSrcOver ? kBlendSrcOver : s.blendKind == kBlendGeneric ? kBlendAdd : kBlendNone;
        if (constV && FixedColourColumns(s, sp, r, argb, blend, wrap)) return;
        switch (s.blendKind) {
            case kBlendSrcOver: FixedColourPick<kBlendSrcOver>(s, sp, r, argb, wrap, constV); return;
            case kBlendGeneric: FixedColourPick<kBlendAdd>(s, sp, r, argb, wrap, constV); return;
            default: FixedColourPick<kBlendNone>(s, sp, r, argb, wrap, constV); return;
        }
    }
    PickSpanB<false, K>(s, linear, wrap)(s, sp, r.y, r.n, r.x0, r.x1, cc);
}

}  // namespace


bool FlatColourRows(const PipeState& s, const SpanSetup& sp) {
    uint32_t argb = 0;
    return !sp.persp && s.kind != kKindModulate && s.kind != kKindModulateAlphaTex && FixedColourOf(sp, argb);
}

void GeneralDispatch(const PipeState& s, const SpanSetup& sp, const Rows& r) {
    const bool cc = sp.constColor || sp.flat;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    if (sp.persp) {
        PickSpanK<true>(s, linear, s.wrapPow2)(s, sp, r.y, r.n, r.x0, r.x1, cc);
        return;
    }
    switch (s.kind) {
        case kKindModulate: AffineDispatch<kKindModulate>(s, sp, r, cc, linear, s.wrapPow2); break;
        case kKindModulateAlphaTex: AffineDispatch<kKindModulateAlphaTex>(s, sp, r, cc, linear, s.wrapPow2); break;
        default: AffineDispatch<kKindNoTexDiffuse>(s, sp, r, cc, linear, s.wrapPow2); break;
    }
}

ShadeRowsFn PerspectiveSpan(const PipeState& s, bool linear) { return PickSpanK<true>(s, linear, s.wrapPow2); }

}  // namespace pix
}  // namespace gfx
