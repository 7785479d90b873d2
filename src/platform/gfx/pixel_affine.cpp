// The fast path for screen rectangles and sprites: constant colour, affine texture
// coordinates. (Which loop takes which span: the map above ShadeSpan, pixel.cpp.)
#include <climits>
#include <vector>

#include "gfx/pixel_internal.h"

namespace gfx {

namespace pix {
namespace {

// ---- Affine fast path ---------------------------------------------------------------
// Constant colour, affine texture coordinates, texture modulated by the colour, no
// blending or source-over blending: screen rectangles and sprites.  Texture
// coordinates step in 16.16 texels; the arithmetic per channel is the same as the
// general path's (bilinear weights of 8 bits, a*b/255 rounded).

inline __m128i Mul255x(__m128i a, __m128i b) {  // 16-bit lanes, values 0..255
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

inline __m128i Unpack(uint32_t c) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(c)), _mm_setzero_si128()); }
inline uint32_t PackOne(__m128i v) { return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))); }

// Bilinear of the 2x2 block at p (row pitch `pitch`), weights fx, fy of 256.
inline __m128i BilinearX(const uint32_t* p, int pitch, int fx, int fy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(128);
    const __m128i wx = _mm_set_epi16(short(fx), short(fx), short(fx), short(fx), short(256 - fx), short(256 - fx),
                                     short(256 - fx), short(256 - fx));
    __m128i r0 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    __m128i r1 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch)), zero);
    r0 = _mm_mullo_epi16(r0, wx);
    r1 = _mm_mullo_epi16(r1, wx);
    __m128i top = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(r0, _mm_srli_si128(r0, 8)), half), 8);
    __m128i bot = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(r1, _mm_srli_si128(r1, 8)), half), 8);
    top = _mm_mullo_epi16(top, _mm_set1_epi16(short(256 - fy)));
    bot = _mm_mullo_epi16(bot, _mm_set1_epi16(short(fy)));
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(top, bot), half), 8);
}

template <int BlendKind, int Sample>  // Sample: 0 texel copy, 1 point, 2 linear
void AffineSpan(const PipeState& s, int y, int x0, int x1, int64_t fu, int64_t fv, int64_t dfu, int64_t dfv,
                float z, float dz, uint32_t diffuse) {
    uint32_t* const cb = s.cbuf + size_t(y) * s.pitch;
    float* const zb = s.zbuf ? s.zbuf + size_t(y) * s.pitch : nullptr;
    const bool zTest = s.zTest, zWrite = s.zWrite, alphaTest = s.alphaTest;
    const bool white = diffuse == 0xFFFFFFFFu;
    const __m128i dif = Unpack(diffuse);
    const __m128i c255 = _mm_set1_epi16(255);
    const int tw = s.tw;
    for (int x = x0; x < x1; ++x, fu += dfu, fv += dfv, z += dz) {
        const float zc = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
        if (zTest && !CompareZ(s.zFunc, zc, zb[x])) continue;
        // The same 8-bit fixed point as the general path: texel * 256, rounded.
        const int64_t gu = (fu + 128) >> 8, gv = (fv + 128) >> 8;
        const int xi = int(gu >> 8), yi = int(gv >> 8);
        __m128i c;
        if (Sample == 2) c = BilinearX(s.tex + size_t(yi) * tw + xi, tw, int(gu & 255), int(gv & 255));
        else c = Unpack(s.tex[size_t(yi) * tw + xi]);
        if (!white) c = Mul255x(c, dif);
        const uint32_t src = PackOne(c);
        const uint32_t sa = src >> 24;
        if (alphaTest && !Compare(s.alphaFunc, sa, s.alphaRef)) continue;
        uint32_t out = src;
        if (BlendKind == 1 && sa != 255) {
            if (sa == 0) {
                out = cb[x];
            } else {
                const __m128i a = _mm_set1_epi16(short(sa));
                const __m128i ia = _mm_sub_epi16(c255, a);
                out = PackOne(_mm_add_epi16(Mul255x(c, a), Mul255x(Unpack(cb[x]), ia)));
            }
        }
        cb[x] = out;
        if (zWrite) zb[x] = zc;
    }
}

// A filtered span of constant v and constant depth, four pixels at a time (single
// spans; the rows of a whole rectangle go through FilteredRow).
template <int BlendKind>
__attribute__((target("avx2"))) void FilteredSpanAvx2(const PipeState& s, int y, int x0, int x1, int64_t fu,
                                                       int64_t fv, int64_t dfu, float z, uint32_t diffuse) {
    uint32_t* const cb = s.cbuf + size_t(y) * s.pitch;
    float* const zb = s.zbuf ? s.zbuf + size_t(y) * s.pitch : nullptr;
    const bool zWrite = s.zWrite, alphaTest = s.alphaTest;
    // Depth: one value for the whole row.
    const float zc = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
    const __m128 zc4 = _mm_set1_ps(zc);
    int zMode = 0;  // 0 always passes, 1 less-equal, 2 less, 3 per pixel
    if (s.zTest) zMode = s.zFunc == CMP_ALWAYS ? 0 : s.zFunc == CMP_LESSEQUAL ? 1 : s.zFunc == CMP_LESS ? 2 : 3;
    const bool white = diffuse == 0xFFFFFFFFu;
    const __m256i dif = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(diffuse)));
    const __m256i c255 = _mm256_set1_epi16(255);
    const int tw = s.tw, th = s.th;
    const int64_t gvRow = (fv + 128) >> 8;
    const uint32_t* const row0 = s.tex + size_t(gvRow >> 8) * tw;
    const uint32_t* const row1 = row0 + tw;
    const short fy = short(gvRow & 255);
    // 32-bit texel coordinates (16.16) of four pixels and their step.
    const __m128i step4 = _mm_set1_epi32(int32_t(dfu * 4));
    __m128i fu4 = _mm_add_epi32(_mm_set1_epi32(int32_t(fu)),
                                _mm_mullo_epi32(_mm_set_epi32(3, 2, 1, 0), _mm_set1_epi32(int32_t(dfu))));
    const __m128i r128 = _mm_set1_epi32(128), m255 = _mm_set1_epi32(255);
    // Left and right texels of each pixel's pair, widened to 16 bits; and each
    // pixel's weight over its four channels.
    const __m256i selL = _mm256_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1,  //
                                          0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1);
    const __m256i selR = _mm256_setr_epi8(4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1,  //
                                          4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1);
    const __m256i selW = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,  //
                                          8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    const __m256i wy7 = _mm256_set1_epi16(short(fy << 7));
    // The rows a few spans further down are most likely wanted soon: ask for them
    // early (texture rows of a sprite sheet lie far apart in memory).
    constexpr int kAhead = 4;
    if ((gvRow >> 8) + kAhead + 1 < th) {
        const int64_t uEnd = (fu + dfu * (x1 - x0) + 128) >> 16;
        const uint32_t* ahead = row0 + size_t(kAhead) * tw;
        const char* from = reinterpret_cast<const char*>(ahead + ((fu + 128) >> 16));
        const char* to = reinterpret_cast<const char*>(ahead + uEnd + 1);
        for (const char* q = from; q <= to; q += 64) _mm_prefetch(q, _MM_HINT_T0);
    }
    // Likewise the target's rows (colour and depth) below this one.
    if (y + kAhead < s.sy1) {
        const size_t off = size_t(kAhead) * s.pitch;
        for (int px = x0; px < x1 + 16; px += 16) {
            _mm_prefetch(reinterpret_cast<const char*>(cb + off + px), _MM_HINT_T0);
            if (zb) _mm_prefetch(reinterpret_cast<const char*>(zb + off + px), _MM_HINT_T0);
        }
    }
    int x = x0;
    // Filtered rows are bound by shuffles: their pixels pass or fail as a mask of bits.
    for (; x + 4 <= x1; x += 4, fu4 = _mm_add_epi32(fu4, step4)) {
        unsigned mask = 0xF;
        if (zMode == 1) mask = unsigned(_mm_movemask_ps(_mm_cmple_ps(zc4, _mm_loadu_ps(zb + x))));
        else if (zMode == 2) mask = unsigned(_mm_movemask_ps(_mm_cmplt_ps(zc4, _mm_loadu_ps(zb + x))));
        else if (zMode == 3)
            for (int k = 0; k < 4; ++k)
                if (!CompareZ(s.zFunc, zc, zb[x + k])) mask &= ~(1u << k);
        if (!mask) continue;
        const __m128i gu4 = _mm_srai_epi32(_mm_add_epi32(fu4, r128), 8);
        const __m128i xi4 = _mm_srai_epi32(gu4, 8);
        const int i0 = _mm_cvtsi128_si32(xi4), i1 = _mm_extract_epi32(xi4, 1), i2 = _mm_extract_epi32(xi4, 2),
                  i3 = _mm_extract_epi32(xi4, 3);
        // Weights of 1/256 shifted up by 7, repeated over each pixel's four channels.
        const __m128i fx7 = _mm_slli_epi32(_mm_and_si128(gu4, m255), 7);
        const __m256i wx = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(fx7), selW);
        // lanes of r0: [pixel 0 pair, pixel 1 pair | pixel 2 pair, pixel 3 pair]
        const __m256i r0 = Load2x64(row0 + i0, row0 + i1, row0 + i2, row0 + i3);
        const __m256i r1 = Load2x64(row1 + i0, row1 + i1, row1 + i2, row1 + i3);
        const __m256i top = LerpW(_mm256_shuffle_epi8(r0, selL), _mm256_shuffle_epi8(r0, selR), wx);
        const __m256i bot = LerpW(_mm256_shuffle_epi8(r1, selL), _mm256_shuffle_epi8(r1, selR), wx);
        __m256i c = LerpW(top, bot, wy7);  // [0 1 | 2 3]
        if (!white) c = Mul255y(c, dif);
        if (alphaTest) {
            mask &= AlphaMask4(s, c);
            if (!mask) continue;
        }
        if (BlendKind == 1) {
            const __m256i dst = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x)));
            const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xFF), 0xFF);
            c = _mm256_add_epi16(Mul255y(c, a), Mul255y(dst, _mm256_sub_epi16(c255, a)));
        }
        const __m128i out = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(c, c), 0x08));
        if (mask == 0xF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x), out);
            if (zWrite) _mm_storeu_ps(zb + x, zc4);
        } else {
            alignas(16) uint32_t px[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(px), out);
            for (int k = 0; k < 4; ++k)
                if (mask & (1u << k)) {
                    cb[x + k] = px[k];
                    if (zWrite) zb[x + k] = zc;
                }
        }
    }
    if (x < x1) AffineSpan<BlendKind, 2>(s, y, x, x1, fu + dfu * (x - x0), fv, dfu, 0, z, 0.0f, diffuse);
}

// ---- Filtered rows of screen-aligned rectangles --------------------------------------
// In a screen-aligned rectangle every row has the same u per column, so each column's
// texel pair and weight are worked out once per block, and each texture row's
// horizontal blend once per block too: it is kept while the rows below still use it
// (near 1:1 a texture row serves two target rows, first as the lower and then as the
// upper row of the pair).  The arithmetic is the one-by-one path's: horizontal blend
// per texture row, then the vertical blend, modulation and source-over blending.

// The tables of a block, kept per thread and reused from block to block: per group of
// four columns, where to load eight neighbouring texels, how to pick each pixel's pair
// out of them (or, for wide steps, the four left texels) and the four pixels' weights;
// and two horizontally blended texture rows.
struct alignas(32) Vec256 {
    __m256i v;
};
struct FilterScratch {
    std::vector<Vec256> ctrl, wx, lerp[2];
    std::vector<int16_t> alpha[2];          // the blended rows' alphas alone (black rows)
    std::vector<int16_t> alphaW;            // and their weights (see AlphasOfTextureRow)
    std::vector<int16_t> alphaWc;           // the same in column order
    std::vector<Vec256> nearCtrl;           // picks of sixteen texels (see NearbyColumns)
    std::vector<int32_t> nearBase;
    std::vector<uint8_t> apartOf;           // whether each group is one of `apart`
    std::vector<int32_t> base, idx;
    std::vector<int32_t> apart;       // groups whose pairs are split by the texture's edge
    std::vector<int32_t> colX, colR, colW, colFu;  // FixedColourColumns' columns
};
thread_local FilterScratch t_filter;

struct FilteredRowArgs;
using FilteredRowFn = void (*)(const PipeState&, const FilteredRowArgs&);

struct FilterBlock {
    int groups = 0;           // groups of four columns, an even number
    bool contiguous = false;  // every group's pairs lie within eight neighbouring texels
    const int32_t* base = nullptr;
    const int32_t* idx = nullptr;  // four left texels per group
    const __m256i* ctrl = nullptr;
    const __m256i* wx = nullptr;
    __m256i* lerp[2] = {nullptr, nullptr};  // horizontally blended texture rows
    int16_t* alpha[2] = {nullptr, nullptr};  // and their alphas alone, for black rows
    const int16_t* alphaW = nullptr;         // (their weights, sixteen columns to a vector)
    const int16_t* alphaWc = nullptr;        // (and in column order)
    // Every sixteen columns read sixteen neighbouring texels from nearBase on, left and
    // right ones picked by nearCtrl (see NearbyColumns), when set.
    bool nearby = false;
    const int32_t* nearBase = nullptr;
    const __m256i* nearCtrl = nullptr;
    int tag[2] = {-1, -1};                  // and which texture row each holds
    int alphaTag[2] = {-1, -1};             // and whose alphas alone each holds
    int seenLo[2] = {0, 0}, seenHi[2] = {0, 0};  // and where those show (see SeenColumns)
    int uLo = 0, uHi = 0;                   // the texels the block reads in each row
    // Groups with a pair split by the texture's edge (wrapped or clamped), and their
    // eight texels as [L0 L1 R0 R1 | L2 L3 R2 R3].
    int nApart = 0;
    const int32_t* apart = nullptr;
    // The row function for the block's states, and its alpha test as a range of
    // alphas that pass.
    FilteredRowFn fn = nullptr;
    short alo = 0, ahi = 0;
    bool aflip = false;
    // Rows of black (see BlackRowAvx2) instead, when set, and those checked or sloped.
    FilteredRowFn blackFn = nullptr, blackCheckedFn = nullptr;
    short blackUnseen = 0;  // blended alphas up to this one darken nothing (see UnseenAlpha)
};

// Whether every sixteen columns of a block (its groups' left texels in t.idx, those
// past the last group repeating its last) read within sixteen neighbouring texels: if
// so, where those start (nearBase) and, for pshufb over their alphas as bytes, each
// column's left and right one as a 16-bit lane (nearCtrl, two per sixteen).  Groups
// split by the texture's edge pick texel 0 (they are read on their own).
__attribute__((target("avx2"))) bool NearbyColumns(FilterScratch& t, int tw, int groups) {
    if (tw < 16) return false;
    const int n = groups * 4;
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), far = _mm256_set1_epi32(INT_MAX / 2);
    const __m256i high = _mm256_set1_epi16(int16_t(0xFF00)), one = _mm256_set1_epi32(1);
    for (int c = 0; c < (groups + 3) / 4; ++c) {
        // The sixteen columns' left texels (far off for split groups, which pick 0).
        __m256i xi[2], use[2];
        for (int h = 0; h < 2; ++h) {
            const __m256i col = _mm256_min_epi32(_mm256_add_epi32(lane, _mm256_set1_epi32(16 * c + 8 * h)),
                                                 _mm256_set1_epi32(n - 1));
            const __m256i split = _mm256_and_si256(
                _mm256_i32gather_epi32(reinterpret_cast<const int*>(t.apartOf.data()), _mm256_srli_epi32(col, 2), 1),
                _mm256_set1_epi32(0xFF));
            use[h] = _mm256_cmpeq_epi32(split, _mm256_setzero_si256());
            xi[h] = _mm256_and_si256(_mm256_i32gather_epi32(t.idx.data(), col, 4), use[h]);
        }
        __m256i lo = _mm256_min_epi32(_mm256_blendv_epi8(far, xi[0], use[0]), _mm256_blendv_epi8(far, xi[1], use[1]));
        __m256i hi = _mm256_max_epi32(_mm256_blendv_epi8(_mm256_sub_epi32(_mm256_setzero_si256(), far), xi[0], use[0]),
                                      _mm256_blendv_epi8(_mm256_sub_epi32(_mm256_setzero_si256(), far), xi[1], use[1]));
        lo = _mm256_min_epi32(lo, _mm256_permute2x128_si256(lo, lo, 1));
        hi = _mm256_max_epi32(hi, _mm256_permute2x128_si256(hi, hi, 1));
        lo = _mm256_min_epi32(lo, _mm256_shuffle_epi32(lo, 0x4E));
        hi = _mm256_max_epi32(hi, _mm256_shuffle_epi32(hi, 0x4E));
        lo = _mm256_min_epi32(lo, _mm256_shuffle_epi32(lo, 0xB1));
        hi = _mm256_max_epi32(hi, _mm256_shuffle_epi32(hi, 0xB1));
        const int l = _mm256_cvtsi256_si32(lo), r = _mm256_cvtsi256_si32(hi) + 1;
        const bool none = l == INT_MAX / 2;
        const int b = none ? 0 : std::min(l, tw - 16);
        if (!none && r - b > 15) return false;
        // Each column's pick as a 16-bit lane, [0-7 | 8-15]: the texel's place below,
        // 0xFF above (which picks nothing).
        const __m256i vb = _mm256_set1_epi32(b);
        const __m256i l0 = _mm256_and_si256(_mm256_sub_epi32(xi[0], vb), use[0]);
        const __m256i l1 = _mm256_and_si256(_mm256_sub_epi32(xi[1], vb), use[1]);
        const __m256i r0 = _mm256_and_si256(_mm256_add_epi32(l0, one), use[0]);
        const __m256i r1 = _mm256_and_si256(_mm256_add_epi32(l1, one), use[1]);
        auto picks = [high](__m256i p, __m256i q) __attribute__((target("avx2"))) {
            return _mm256_or_si256(_mm256_permute4x64_epi64(_mm256_packs_epi32(p, q), 0xD8), high);
        };
        t.nearBase[size_t(c)] = b;
        t.nearCtrl[size_t(2 * c)].v = picks(l0, l1);
        t.nearCtrl[size_t(2 * c + 1)].v = picks(r0, r1);
    }
    return true;
}

// Columns [0, w) of a block whose column j reads texels xi and xr (xi + 1 but at the
// texture's edge) with weight fx (of 256) on the right one, as column(j, xi, xr, fx)
// gives them; columns past w repeat the last one (their pixels are never stored).
template <typename ColumnFn>
__attribute__((target("avx2"))) void PrepareFilterColumns(FilterBlock& fb, int tw, int w, ColumnFn column) {
    FilterScratch& t = t_filter;
    const int groups = ((w + 7) / 8) * 2;
    if (t.ctrl.size() < size_t(groups)) {
        t.ctrl.resize(size_t(groups));
        t.wx.resize(size_t(groups));
        // (A row that starts inside the block at a column not a multiple of eight reads
        // its last group up to seven pixels past the block's end: one group more.)
        t.lerp[0].resize(size_t(groups) + 2);
        t.lerp[1].resize(size_t(groups) + 2);
        t.base.resize(size_t(groups));
        t.idx.resize(size_t(groups) * 4);
        // (Black rows read sixteen alphas at a time, past the last column too.)
        t.alpha[0].resize(size_t(groups) * 4 + 16);
        t.alpha[1].resize(size_t(groups) * 4 + 16);
        t.alphaW.resize(size_t(groups) * 4 + 16);
        t.alphaWc.resize(size_t(groups) * 4 + 16);
        t.nearCtrl.resize(size_t(groups + 3) / 4 * 2);
        t.nearBase.resize(size_t(groups + 3) / 4);
        t.apartOf.resize(size_t(groups) + 4);  // (read four bytes at a time)
    }
    bool contiguous = tw >= 8;
    int uLo = tw, uHi = 0;
    t.apart.clear();
    // Pairs as [L0 L1 R0 R1 | L2 L3 R2 R3]: bytes widen to [L0 L1 | L2 L3] and
    // [R0 R1 | R2 R3]; and each pixel's weight over its four channels.
    const __m256i pairOf = _mm256_setr_epi32(0, 1, 0, 1, 2, 3, 2, 3);
    const __m256i rightOf = _mm256_setr_epi32(0, 0, 1, 1, 0, 0, 1, 1);
    const __m256i spread = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,  //
                                            8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    const __m128i one = _mm_set1_epi32(1);
    for (int g = 0; g < groups; ++g) {
        alignas(16) int32_t xi[4], xr[4], fx[4];
        for (int k = 0; k < 4; ++k) column(std::min(4 * g + k, w - 1), xi[k], xr[k], fx[k]);
        __m128i vxi = _mm_load_si128(reinterpret_cast<const __m128i*>(xi));
        const __m128i vxr = _mm_load_si128(reinterpret_cast<const __m128i*>(xr));
        const bool apart = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(vxr, _mm_add_epi32(vxi, one)))) != 0xF;
        t.apartOf[size_t(g)] = apart;
        if (apart) {
            // Read on their own (LerpTextureRow); the shared loads take texel 0.
            t.apart.insert(t.apart.end(), {g, xi[0], xi[1], xr[0], xr[1], xi[2], xi[3], xr[2], xr[3]});
            vxi = _mm_setzero_si128();
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&t.idx[size_t(g) * 4]), vxi);
        __m128i mn = _mm_min_epi32(vxi, _mm_shuffle_epi32(vxi, 0x4E));
        __m128i mxv = _mm_max_epi32(vxi, _mm_shuffle_epi32(vxi, 0x4E));
        mn = _mm_min_epi32(mn, _mm_shuffle_epi32(mn, 0xB1));
        mxv = _mm_max_epi32(mxv, _mm_shuffle_epi32(mxv, 0xB1));
        const int lo = _mm_cvtsi128_si32(mn), hi = _mm_cvtsi128_si32(mxv);
        if (hi + 1 - lo > 7) contiguous = false;
        uLo = std::min(uLo, lo);
        uHi = std::max(uHi, hi + 1);
        const int b = contiguous ? std::min(lo, tw - 8) : 0;
        t.base[size_t(g)] = b;
        const __m256i pairs =
            _mm256_add_epi32(_mm256_permutevar8x32_epi32(_mm256_castsi128_si256(vxi), pairOf), rightOf);
        t.ctrl[size_t(g)].v = _mm256_sub_epi32(pairs, _mm256_set1_epi32(b));
        const __m128i w7 = _mm_slli_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(fx)), 7);
        t.wx[size_t(g)].v = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(w7), spread);
        // The weights of alphas alone: the sixteen columns of four groups as
        // [0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15].
        const __m128i w16 = _mm_packs_epi32(w7, w7);
        int16_t* const aw = &t.alphaW[size_t(g / 4) * 16 + size_t(2 * (g % 4))];
        const int32_t w01 = _mm_cvtsi128_si32(w16), w23 = _mm_extract_epi32(w16, 1);
        std::memcpy(aw, &w01, 4);
        std::memcpy(aw + 8, &w23, 4);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&t.alphaWc[size_t(g) * 4]), w16);
    }
    fb.nearby = false;  // (black rows ask, see StartFilterBlock)
    fb.groups = groups;
    fb.contiguous = contiguous;
    fb.base = t.base.data();
    fb.idx = t.idx.data();
    fb.ctrl = &t.ctrl[0].v;
    fb.wx = &t.wx[0].v;
    fb.lerp[0] = &t.lerp[0][0].v;
    fb.lerp[1] = &t.lerp[1][0].v;
    fb.alpha[0] = t.alpha[0].data();
    fb.alpha[1] = t.alpha[1].data();
    fb.alphaW = t.alphaW.data();
    fb.alphaWc = t.alphaWc.data();
    fb.nearBase = t.nearBase.data();
    fb.nearCtrl = &t.nearCtrl[0].v;
    fb.tag[0] = fb.tag[1] = -1;
    fb.alphaTag[0] = fb.alphaTag[1] = -1;
    fb.uLo = std::max(0, uLo);
    fb.uHi = std::min(tw - 1, uHi);
    fb.nApart = int(t.apart.size() / 9);
    fb.apart = t.apart.data();
}

// Columns of a block starting at 16.16 coordinate fu and stepping dfu.
void PrepareFilterBlock(FilterBlock& fb, int tw, int64_t fu, int64_t dfu, int w) {
    PrepareFilterColumns(fb, tw, w, [fu, dfu](int j, int& xi, int& xr, int& fx) {
        const int64_t gu = (fu + dfu * j + 128) >> 8;
        xi = int(gu >> 8);
        xr = xi + 1;
        fx = int(gu & 255);
    });
}

// The horizontal blend of one texture row at every column of the block: 16-bit
// channels, four pixels to a vector.
// The groups whose pairs the texture's edge splits, texel by texel.
__attribute__((target("avx2"))) void LerpApartGroups(const FilterBlock& fb, const uint32_t* row, __m256i* out) {
    const __m256i zero = _mm256_setzero_si256();
    for (int k = 0; k < fb.nApart; ++k) {
        const int32_t* a = fb.apart + 9 * k;
        const __m256i t = _mm256_setr_epi32(int(row[a[1]]), int(row[a[2]]), int(row[a[3]]), int(row[a[4]]),
                                            int(row[a[5]]), int(row[a[6]]), int(row[a[7]]), int(row[a[8]]));
        out[a[0]] = LerpW(_mm256_unpacklo_epi8(t, zero), _mm256_unpackhi_epi8(t, zero), fb.wx[a[0]]);
    }
}

__attribute__((target("avx2"))) void LerpTextureRow(const FilterBlock& fb, const uint32_t* row, __m256i* out) {
    const __m256i zero = _mm256_setzero_si256();
    const int groups = fb.groups;
    const __m256i* const wx = fb.wx;
    if (fb.contiguous) {
        const int32_t* const base = fb.base;
        const __m256i* const ctrl = fb.ctrl;
        for (int g = 0; g < groups; g += 2) {  // an even number of groups
            const __m256i t0 = _mm256_permutevar8x32_epi32(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + base[g])), ctrl[g]);
            const __m256i t1 = _mm256_permutevar8x32_epi32(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + base[g + 1])), ctrl[g + 1]);
            out[g] = LerpW(_mm256_unpacklo_epi8(t0, zero), _mm256_unpackhi_epi8(t0, zero), wx[g]);
            out[g + 1] = LerpW(_mm256_unpacklo_epi8(t1, zero), _mm256_unpackhi_epi8(t1, zero), wx[g + 1]);
        }
        LerpApartGroups(fb, row, out);
        return;
    }
    // Wide steps: each pixel's pair loaded on its own ([L0 R0 L1 R1 | L2 R2 L3 R3]).
    const __m256i selL = _mm256_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1,  //
                                          0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1);
    const __m256i selR = _mm256_setr_epi8(4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1,  //
                                          4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1);
    const int32_t* const idx = fb.idx;
    for (int g = 0; g < groups; ++g) {
        const int32_t* i = idx + size_t(g) * 4;
        const __m256i t = Load2x64(row + i[0], row + i[1], row + i[2], row + i[3]);
        out[g] = LerpW(_mm256_shuffle_epi8(t, selL), _mm256_shuffle_epi8(t, selR), wx[g]);
    }
    LerpApartGroups(fb, row, out);
}

// Rows of up to this many pixels (or texels) have the rows below them fetched early.
constexpr int kShortRow = 128;

// Alpha test of filtered rows: none, "greater than lo", or "inside (lo, hi)" with the
// answer flipped for "not equal".
enum : int { kAlphaNone = 0, kAlphaAbove = 1, kAlphaRange = 2 };
// Depth test of filtered rows: none (or "always"), less-equal, any other function.
enum : int { kDepthNone = 0, kDepthLessEqual = 1, kDepthOther = 2 };

// A row whose own texel columns may differ from its block's (a triangle's rows start
// at different columns, and a row's start value of u differs with its start): each of
// its groups is checked against the block's coordinates, and one that differs takes
// its own texels.
struct ColumnCheck {
    const int32_t* fu;       // the block's 8.8 texel coordinates at the row's pixels
    float u0, du;            // the row's own u at its first pixel, and its step
    float size256;           // the texture's width times 256
    const uint32_t* rowA;    // the row's two texture rows
    const uint32_t* rowB;
    int tw;
    bool wrap;
};

struct FilteredRowArgs {
    const __m256i* top;  // (at the row's first pixel: 8 bytes a pixel, not always 32-byte aligned)
    const __m256i* bot;
    const int16_t* topA;  // their alphas alone (black rows)
    const int16_t* botA;
    const ColumnCheck* check;  // null: the block's columns are the row's
    int y, x0, x1;
    int xs, xe;  // black rows: pixels outside [xs, xe) keep their colours (see SeenColumns)
    short fy;  // weight of the lower texture row, of 256
    float z, dz;  // depth at the row's first pixel, and its step along the row
    uint32_t diffuse;
    short alo, ahi;  // alphas that pass: above alo (and below ahi)
    bool aflip;      // ... or, flipped, those that do not
};

// What stays the same along a filtered row.
struct FilteredRowConsts {
    __m256i dif, c255, wy7, selA, vlo, vhi, flip;
    __m256 zc8;
    uint32_t zFunc;
};

// The depth test of eight pixels at one depth: a mask of those that pass.
template <int DepthMode>
__attribute__((target("avx2"), always_inline)) inline __m256 DepthPass(uint32_t zFunc, __m256 zc8, __m256 zOld) {
    if constexpr (DepthMode == kDepthLessEqual) return _mm256_cmp_ps(zc8, zOld, _CMP_LE_OQ);
    switch (zFunc) {
        case CMP_NEVER: return _mm256_setzero_ps();
        case CMP_LESS: return _mm256_cmp_ps(zc8, zOld, _CMP_LT_OQ);
        case CMP_EQUAL: return _mm256_cmp_ps(zc8, zOld, _CMP_EQ_OQ);
        case CMP_LESSEQUAL: return _mm256_cmp_ps(zc8, zOld, _CMP_LE_OQ);
        case CMP_GREATER: return _mm256_cmp_ps(zc8, zOld, _CMP_GT_OQ);
        case CMP_NOTEQUAL: return _mm256_cmp_ps(zc8, zOld, _CMP_NEQ_UQ);
        case CMP_GREATEREQUAL: return _mm256_cmp_ps(zc8, zOld, _CMP_GE_OQ);
        default: return _mm256_castsi256_ps(_mm256_set1_epi32(-1));
    }
}

// Eight pixels from the two horizontally blended texture rows.  The last pixels of a
// row (Tail) come with a mask of the lanes inside it: the others are neither read
// nor written.
template <int BlendKind, int AlphaMode, int DepthMode, bool ZWrite, bool White, bool Tail>
__attribute__((target("avx2"), always_inline)) inline void FilteredGroup(const FilteredRowConsts& k, uint32_t* cb,
                                                                        float* zb, const __m256i* top,
                                                                        const __m256i* bot, __m256i inside) {
    const __m256i t0 = _mm256_loadu_si256(top), t1 = _mm256_loadu_si256(top + 1);
    const __m256i b0 = _mm256_loadu_si256(bot), b1 = _mm256_loadu_si256(bot + 1);
    __m256i c0 = LerpW(t0, b0, k.wy7), c1 = LerpW(t1, b1, k.wy7);  // [0 1 | 2 3], [4 5 | 6 7]
    if constexpr (!White) {
        c0 = Mul255y(c0, k.dif);
        c1 = Mul255y(c1, k.dif);
    }
    const __m256i a0 = _mm256_shuffle_epi8(c0, k.selA), a1 = _mm256_shuffle_epi8(c1, k.selA);
    // Blended pixels of no alpha leave the target as it is (c * 0 + d * 255 / 255 is
    // d): a group of only such pixels, without depth writes, is left alone (the
    // transparent corners of particles).
    if constexpr (BlendKind != kBlendNone && !ZWrite) {
        const __m256i any = _mm256_or_si256(a0, a1);
        if (_mm256_testz_si256(any, any)) return;
    }
    constexpr bool masked = AlphaMode != kAlphaNone || DepthMode != kDepthNone;
    // Pixels that pass, as whole 32-bit lanes in pixel order.
    __m256i pass = _mm256_set1_epi32(-1);
    __m256 zOld = k.zc8;
    if constexpr (DepthMode != kDepthNone) {
        zOld = Tail ? _mm256_maskload_ps(zb, inside) : _mm256_loadu_ps(zb);
        pass = _mm256_castps_si256(DepthPass<DepthMode>(k.zFunc, k.zc8, zOld));
    }
    if constexpr (AlphaMode != kAlphaNone) {
        __m256i m0 = _mm256_cmpgt_epi16(a0, k.vlo), m1 = _mm256_cmpgt_epi16(a1, k.vlo);
        if constexpr (AlphaMode == kAlphaRange) {
            m0 = _mm256_xor_si256(_mm256_and_si256(m0, _mm256_cmpgt_epi16(k.vhi, a0)), k.flip);
            m1 = _mm256_xor_si256(_mm256_and_si256(m1, _mm256_cmpgt_epi16(k.vhi, a1)), k.flip);
        }
        const __m256i am = _mm256_permute4x64_epi64(_mm256_packs_epi16(m0, m1), 0xD8);
        pass = DepthMode != kDepthNone ? _mm256_and_si256(pass, am) : am;
    }
    if constexpr (Tail) pass = masked ? _mm256_and_si256(pass, inside) : inside;
    __m256i old;
    if constexpr (Tail) old = _mm256_maskload_epi32(reinterpret_cast<const int*>(cb), inside);
    if (BlendKind != kBlendNone) {
        __m256i d0, d1;
        if constexpr (Tail) {
            d0 = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(old));
            d1 = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(old, 1));
        } else {
            d0 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb)));
            d1 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + 4)));
        }
        if (BlendKind == kBlendAdd) {  // every channel, alpha too, saturated by the packing
            c0 = _mm256_add_epi16(Mul255y(c0, a0), d0);
            c1 = _mm256_add_epi16(Mul255y(c1, a1), d1);
        } else {
            c0 = _mm256_add_epi16(Mul255y(c0, a0), Mul255y(d0, _mm256_sub_epi16(k.c255, a0)));
            c1 = _mm256_add_epi16(Mul255y(c1, a1), Mul255y(d1, _mm256_sub_epi16(k.c255, a1)));
        }
    }
    __m256i out = _mm256_permute4x64_epi64(_mm256_packus_epi16(c0, c1), 0xD8);
    if constexpr (Tail) {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(cb), pass, out);
        if constexpr (ZWrite) _mm256_maskstore_ps(zb, pass, k.zc8);
    } else {
        if constexpr (masked)
            out = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cb)), out, pass);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb), out);
        if constexpr (ZWrite) {
            if constexpr (masked) {
                if constexpr (DepthMode == kDepthNone) zOld = _mm256_loadu_ps(zb);
                _mm256_storeu_ps(zb, _mm256_blendv_ps(zOld, k.zc8, _mm256_castsi256_ps(pass)));
            } else {
                _mm256_storeu_ps(zb, k.zc8);
            }
        }
    }
    (void)old, (void)zOld;
}

// The target's rows (colour and depth) a few rows below a filtered row are most likely
// wanted soon: asked for early when the rows are short (long rows the processor follows
// by itself, and asking costs more than it saves).
inline void PrefetchRowsBelow(const PipeState& s, const FilteredRowArgs& r, const uint32_t* cb, const float* zb) {
    constexpr int kAhead = 4;
    if (r.x1 - r.x0 <= kShortRow && r.y + kAhead < s.sy1) {
        const size_t off = size_t(kAhead) * s.pitch;
        for (int px = r.x0; px < r.x1 + 16; px += 16) {
            _mm_prefetch(reinterpret_cast<const char*>(cb + off + px), _MM_HINT_T0);
            if (zb) _mm_prefetch(reinterpret_cast<const char*>(zb + off + px), _MM_HINT_T0);
        }
    }
}

// The horizontal blends of the row's own texels at the 8.8 texel coordinates fu, as
// own[0 1] (upper texture row) and own[2 3] (lower), laid out as LerpTextureRow lays them.
__attribute__((target("avx2"), noinline)) void OwnTexels(const ColumnCheck& c, __m256i fu, __m256i* own) {
    // The pair wrapped or clamped, as TexelPair does.
    const __m256i xi = _mm256_srai_epi32(fu, 8), xn = _mm256_add_epi32(xi, _mm256_set1_epi32(1));
    const __m256i mx = _mm256_set1_epi32(c.tw - 1), z = _mm256_setzero_si256();
    const __m256i xa = c.wrap ? _mm256_and_si256(xi, mx) : _mm256_min_epi32(_mm256_max_epi32(xi, z), mx);
    const __m256i xb = c.wrap ? _mm256_and_si256(xn, mx) : _mm256_min_epi32(_mm256_max_epi32(xn, z), mx);
    alignas(32) int32_t ia[8], ib[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(ia), xa);
    _mm256_store_si256(reinterpret_cast<__m256i*>(ib), xb);
    auto fetch = [&](const uint32_t* row, const int32_t* i) __attribute__((target("avx2"))) {
        // In the order [0 1 4 5 | 2 3 6 7]: unpacking gives [0 1 | 2 3] and [4 5 | 6 7].
        return _mm256_setr_epi32(int(row[i[0]]), int(row[i[1]]), int(row[i[4]]), int(row[i[5]]), int(row[i[2]]),
                                 int(row[i[3]]), int(row[i[6]]), int(row[i[7]]));
    };
    // Each pixel's weight (fraction << 7) over its four channels, in the same order.
    const __m256i w7 = _mm256_permute4x64_epi64(_mm256_slli_epi32(_mm256_and_si256(fu, _mm256_set1_epi32(255)), 7), 0xD8);
    const __m256i wLo = _mm256_shuffle_epi8(w7, _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,  //
                                                                  0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5));
    const __m256i wHi = _mm256_shuffle_epi8(w7, _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13,  //
                                                                  8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13));
    const uint32_t* rows[2] = {c.rowA, c.rowB};
    for (int k = 0; k < 2; ++k) {
        const __m256i l = fetch(rows[k], ia), r = fetch(rows[k], ib);
        own[2 * k] = LerpW(_mm256_unpacklo_epi8(l, z), _mm256_unpacklo_epi8(r, z), wLo);
        own[2 * k + 1] = LerpW(_mm256_unpackhi_epi8(l, z), _mm256_unpackhi_epi8(r, z), wHi);
    }
}

// The row's own 8.8 texel coordinates at pixels j to j + 7, as FixedColourRows works
// them out.
// (t: the pixels' places j to j + 7 as floats.)
__attribute__((target("avx2"), always_inline)) inline __m256i OwnFu(const ColumnCheck& c, __m256 t) {
    return _mm256_sub_epi32(
        FixedOf8(_mm256_add_ps(_mm256_set1_ps(c.u0), _mm256_mul_ps(_mm256_set1_ps(c.du), t)), _mm256_set1_ps(c.size256)),
        _mm256_set1_epi32(128));
}

// Whether the row's coordinates fu at pixels j to j + 7 (of its first n) are the block's.
__attribute__((target("avx2"), always_inline)) inline bool SameColumns(const ColumnCheck& c, int j, int n, __m256i fu) {
    const unsigned inside = n >= 8 ? 0xFFu : (1u << n) - 1;
    const __m256i same = _mm256_cmpeq_epi32(fu, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c.fu + j)));
    return (unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(same))) & inside) == inside;
}

// The row's own horizontal blends at pixels j to j + 7 (of its first n) in own, as
// OwnTexels gives them; false (nothing written) when the block's coordinates there are
// the row's.
__attribute__((target("avx2"), always_inline)) inline bool OwnColumns(const ColumnCheck& c, int j, int n,
                                                                     __m256i* own) {
    const __m256i fu = OwnFu(c, _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                                                    _mm256_set1_epi32(j))));
    if (SameColumns(c, j, n, fu)) return false;
    OwnTexels(c, fu, own);
    return true;
}

// A filtered row whose groups are checked (see ColumnCheck), or whose depth changes
// along it (z + dz * t clamped at each pixel, as FixedColourRows has it), with the
// row's constants k and its place in the target (cb, zb at pixel 0).
template <int BlendKind, int AlphaMode, int DepthMode, bool ZWrite, bool White>
__attribute__((target("avx2"), noinline)) void CheckedRow(const FilteredRowArgs& r, FilteredRowConsts k, uint32_t* cb,
                                                          float* zb) {
    const int x0 = r.x0, x1 = r.x1;
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const bool slope = r.dz != 0.0f;
    const __m256 z8 = _mm256_set1_ps(r.z), dz8 = _mm256_set1_ps(r.dz);
    alignas(32) __m256i own[4];
    for (int x = x0, g = 0; x < x1; x += 8, g += 2) {
        const int n = std::min(8, x1 - x);
        if (slope) {
            const __m256 t = _mm256_cvtepi32_ps(_mm256_add_epi32(lane, _mm256_set1_epi32(x - x0)));
            k.zc8 = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(z8, _mm256_mul_ps(dz8, t)), _mm256_setzero_ps()),
                                  _mm256_set1_ps(1.0f));
        }
        const bool mine = r.check && OwnColumns(*r.check, x - x0, n, own);
        const __m256i* const top = mine ? own : r.top + g;
        const __m256i* const bot = mine ? own + 2 : r.bot + g;
        if (n == 8)
            FilteredGroup<BlendKind, AlphaMode, DepthMode, ZWrite, White, false>(k, cb + x, zb ? zb + x : nullptr, top,
                                                                                  bot, _mm256_setzero_si256());
        else
            FilteredGroup<BlendKind, AlphaMode, DepthMode, ZWrite, White, true>(
                k, cb + x, zb ? zb + x : nullptr, top, bot, _mm256_cmpgt_epi32(_mm256_set1_epi32(n), lane));
    }
}

// A filtered row eight pixels at a time.
template <int BlendKind, int AlphaMode, int DepthMode, bool ZWrite, bool White>
__attribute__((target("avx2"))) void FilteredRowAvx2(const PipeState& s, const FilteredRowArgs& r) {
    uint32_t* const cb = s.cbuf + size_t(r.y) * s.pitch;
    float* const zb = s.zbuf ? s.zbuf + size_t(r.y) * s.pitch : nullptr;
    const __m256i* const top = r.top;
    const __m256i* const bot = r.bot;
    const int x0 = r.x0, x1 = r.x1;
    const float zc = r.z < 0.0f ? 0.0f : (r.z > 1.0f ? 1.0f : r.z);
    FilteredRowConsts k;
    k.zc8 = _mm256_set1_ps(zc);
    k.zFunc = s.zFunc;
    k.dif = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(r.diffuse)));
    k.c255 = _mm256_set1_epi16(255);
    k.wy7 = _mm256_set1_epi16(short(r.fy << 7));
    // Each pixel's alpha over its four channels.
    k.selA = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,  //
                              6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    k.vlo = _mm256_set1_epi16(r.alo), k.vhi = _mm256_set1_epi16(r.ahi);
    k.flip = r.aflip ? _mm256_set1_epi16(-1) : _mm256_setzero_si256();
    PrefetchRowsBelow(s, r, cb, zb);
    const __m256i none = _mm256_setzero_si256();
    // (A depth test or depth writes come with a depth buffer: no need to ask for it.)
    constexpr bool kDepth = DepthMode != kDepthNone || ZWrite;
    if (r.check || r.dz != 0.0f) {
        CheckedRow<BlendKind, AlphaMode, DepthMode, ZWrite, White>(r, k, cb, kDepth ? zb : nullptr);
        return;
    }
    int x = x0, g = 0;
    for (; x + 8 <= x1; x += 8, g += 2)
        FilteredGroup<BlendKind, AlphaMode, DepthMode, ZWrite, White, false>(k, cb + x, kDepth ? zb + x : nullptr,
                                                                              top + g, bot + g, none);
    if (x < x1) {
        const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(x1 - x), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        FilteredGroup<BlendKind, AlphaMode, DepthMode, ZWrite, White, true>(k, cb + x, kDepth ? zb + x : nullptr,
                                                                             top + g, bot + g, inside);
    }
}

// ---- Filtered rows of black ----------------------------------------------------------
// Dark smoke: the texture modulated by black (a colour of alpha alone), blended
// source-over without depth writes or alpha test. Every colour channel of the source
// is 0, so a pixel is the target's scaled by the complement of the modulated alpha: only the
// texture's alpha needs filtering, sixteen pixels to a vector, from the blended texture
// rows kept as their alphas alone, one per column. Every value is FilteredGroup's,
// channel for channel.
constexpr int kBlackChunk = 16;

// The alphas of a horizontally blended texture row, sixteen pixels at a time in column
// order.
__attribute__((target("avx2"))) void AlphasOfRow(const FilterBlock& fb, const __m256i* row, int16_t* out) {
    // Packing four groups' alphas leaves pixels [0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15].
    auto alphas = [row](int g) __attribute__((target("avx2"))) {
        return _mm256_packus_epi32(_mm256_srli_epi64(row[g], 48), _mm256_srli_epi64(row[g + 1], 48));
    };
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    // (The last sixteen may take two groups only: their number is even.)
    for (int g = 0; g < fb.groups; g += 4)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * g),
                            _mm256_permutevar8x32_epi32(
                                _mm256_packus_epi32(alphas(g), g + 2 < fb.groups ? alphas(g + 2) : alphas(g)), order));
}

// The eight alphas of a row's own horizontal blends (two groups, as OwnTexels gives
// them) in column order.
__attribute__((target("avx2"))) inline __m128i AlphasOfOwn(const __m256i* own) {
    const __m256i a = _mm256_packus_epi32(_mm256_srli_epi64(own[0], 48), _mm256_srli_epi64(own[1], 48));
    const __m256i p = _mm256_packus_epi32(a, a);  // [0 1 4 5 . . . . | 2 3 6 7 . . . .]
    return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(p, _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0)));
}

// The alphas alone of a texture row's horizontal blend at every column of a block whose
// pairs lie within eight neighbouring texels (as LerpTextureRow's, alpha for alpha), in
// column order.
__attribute__((target("avx2"))) void AlphasOfTextureRow(const FilterBlock& fb, const uint32_t* row, int16_t* out) {
    const int groups = fb.groups;
    const int32_t* const base = fb.base;
    const __m256i* const ctrl = fb.ctrl;
    // A group's pairs' alphas as [L0 L1 R0 R1 | L2 L3 R2 R3].
    auto pairs = [&](int g) __attribute__((target("avx2"))) {
        return _mm256_srli_epi32(_mm256_permutevar8x32_epi32(
                                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + base[g])), ctrl[g]),
                                 24);
    };
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    if (fb.nearby) {
        // Sixteen texels' alphas as bytes, [0-15 | 0-15], and each column's pair picked out.
        const __m256i twice = _mm256_setr_epi32(0, 4, 1, 5, 0, 4, 1, 5);
        for (int c = 0; 4 * c < groups; ++c) {
            const uint32_t* const p = row + fb.nearBase[c];
            const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
            const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 8));
            const __m256i a = _mm256_packus_epi32(_mm256_srli_epi32(lo, 24), _mm256_srli_epi32(hi, 24));
            const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(a, a), twice);
            const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fb.alphaWc + 16 * c));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * c),
                                LerpW(_mm256_shuffle_epi8(bytes, fb.nearCtrl[2 * c]),
                                      _mm256_shuffle_epi8(bytes, fb.nearCtrl[2 * c + 1]), w));
        }
    }
    for (int g = 0; g < groups && !fb.nearby; g += 4) {
        // (The last sixteen may take two groups only: their number is even.)
        const int h = g + 2 < groups ? g + 2 : g;
        // [L0 L1 R0 R1 L4 L5 R4 R5 | L2 L3 R2 R3 L6 L7 R6 R7] and the same for pixels 8 to 15,
        // with each half's left alphas moved before its right ones.
        const __m256i x = _mm256_shuffle_epi32(_mm256_packus_epi32(pairs(g), pairs(g + 1)), 0xD8);
        const __m256i y = _mm256_shuffle_epi32(_mm256_packus_epi32(pairs(h), pairs(h + 1)), 0xD8);
        // [0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15]
        // (The weights lie in a plain array: read unaligned.)
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fb.alphaW + 4 * g));
        const __m256i a = LerpW(_mm256_unpacklo_epi64(x, y), _mm256_unpackhi_epi64(x, y), w);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * g), _mm256_permutevar8x32_epi32(a, order));
    }
    // The groups whose pairs the texture's edge splits, texel by texel.
    for (int k = 0; k < fb.nApart; ++k) {
        const int32_t* a = fb.apart + 9 * k;
        const int16_t* w = reinterpret_cast<const int16_t*>(fb.wx + a[0]);
        const int left[4] = {a[1], a[2], a[5], a[6]}, right[4] = {a[3], a[4], a[7], a[8]};
        for (int p = 0; p < 4; ++p) {
            const int l = int(row[left[p]] >> 24), r = int(row[right[p]] >> 24);
            out[4 * a[0] + p] = int16_t(l + (((r - l) * w[4 * p] + 0x4000) >> 15));  // LerpW's rounding
        }
    }
}

// The sixteen alphas (of the first n) of a checked black row from pixel j on, the row's
// own where its columns differ from the block's, replacing those in top and bot.
__attribute__((target("avx2"), noinline)) void OwnAlphas(const ColumnCheck& c, int j, int n, __m256i& top,
                                                         __m256i& bot) {
    alignas(32) __m256i own[4];
    for (int h = 0; h < 2 && 8 * h < n; ++h) {
        if (!OwnColumns(c, j + 8 * h, std::min(8, n - 8 * h), own)) continue;
        const __m128i t = AlphasOfOwn(own), b = AlphasOfOwn(own + 2);
        top = h == 0 ? _mm256_inserti128_si256(top, t, 0) : _mm256_inserti128_si256(top, t, 1);
        bot = h == 0 ? _mm256_inserti128_si256(bot, b, 0) : _mm256_inserti128_si256(bot, b, 1);
    }
}

// The largest blended alpha that the smoke's own alpha `alpha` turns into no alpha at
// all (a * alpha / 255 rounds to 0 while a * alpha < 128): a pixel of it keeps its
// colours, c * 0 + d * 255 / 255 being d.
inline short UnseenAlpha(uint32_t alpha) { return short(alpha == 0 ? 255 : std::min<uint32_t>(255, 127 / alpha)); }

// The columns [lo, hi) of the first n of a row of blended alphas outside which every
// alpha is at most `unseen` (n and 0 when all of them are).  An alpha blended from two
// rows lies between theirs, so a target row darkens nothing outside its two texture
// rows' columns.
__attribute__((target("avx2"))) void SeenColumns(const int16_t* a, int n, short unseen, int& lo, int& hi) {
    const __m256i u = _mm256_set1_epi16(unseen);
    // Sixteen columns' "seen" bits, two bits a column, those past n cleared.
    auto seen = [&](int j) __attribute__((target("avx2"))) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + j));
        const unsigned m = unsigned(_mm256_movemask_epi8(_mm256_cmpgt_epi16(v, u)));
        return n - j >= 16 ? m : m & ((1u << (2 * (n - j))) - 1);
    };
    lo = n, hi = 0;
    int j = 0;
    unsigned m = 0;
    for (; j < n; j += 16)
        if ((m = seen(j)) != 0) break;
    if (j >= n) return;
    lo = j + __builtin_ctz(m) / 2;
    for (int k = (n - 1) & ~15; k >= j; k -= 16)
        if ((m = seen(k)) != 0) {
            hi = k + (31 - __builtin_clz(m)) / 2 + 1;
            return;
        }
}

// Eight pixels of a black row (pixels 8H to 8H + 7 of its sixteen) at cb, zb, n of them
// inside the row, from their modulated alphas' complements f and squares e, laid out
// as [0-3 8-11 | 4-7 12-15]: interleaved with themselves, each half's first or last
// four give one 32-bit lane a pixel.  The target's channels are blended two to a
// 32-bit lane, blue and red ([b r]) apart from green and alpha ([g a]); the square
// goes to alpha alone (no channel passes 255: d * (255 - a) / 255 + a * a / 255 never
// does, rounded or not).
template <int DepthMode, int H>
__attribute__((target("avx2"), always_inline)) inline void BlackGroup(const PipeState& s, uint32_t* cb, float* zb,
                                                                     int n, __m256 zc8, __m256i f, __m256i e) {
    const bool tail = n < 8;
    const __m256i inside =
        tail ? _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)) : _mm256_set1_epi32(-1);
    __m256i pass = inside;
    if constexpr (DepthMode != kDepthNone) {
        const __m256 zOld = tail ? _mm256_maskload_ps(zb, inside) : _mm256_loadu_ps(zb);
        pass = _mm256_and_si256(pass, _mm256_castps_si256(DepthPass<DepthMode>(s.zFunc, zc8, zOld)));
    }
    const __m256i d = tail ? _mm256_maskload_epi32(reinterpret_cast<const int*>(cb), inside)
                           : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cb));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i f2 = H == 0 ? _mm256_unpacklo_epi16(f, f) : _mm256_unpackhi_epi16(f, f);
    const __m256i e2 = H == 0 ? _mm256_unpacklo_epi16(zero, e) : _mm256_unpackhi_epi16(zero, e);
    const __m256i br = Mul255y(_mm256_and_si256(d, _mm256_set1_epi16(0xFF)), f2);
    const __m256i ga = _mm256_add_epi16(Mul255y(_mm256_srli_epi16(d, 8), f2), e2);
    const __m256i out = _mm256_or_si256(br, _mm256_slli_epi16(ga, 8));
    if (tail) _mm256_maskstore_epi32(reinterpret_cast<int*>(cb), pass, out);
    else if constexpr (DepthMode != kDepthNone)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb), _mm256_blendv_epi8(d, out, pass));
    else _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb), out);
}

// A black row sixteen pixels at a time. Checked rows (see ColumnCheck) take their own
// alphas where their columns differ from the block's, and rows whose depth changes
// along them work it out at every pixel, as CheckedRow does.
template <int DepthMode, bool Checked>
__attribute__((target("avx2"))) void BlackRowAvx2(const PipeState& s, const FilteredRowArgs& r) {
    uint32_t* const cb = s.cbuf + size_t(r.y) * s.pitch;
    float* const zb = DepthMode != kDepthNone ? s.zbuf + size_t(r.y) * s.pitch : nullptr;
    __m256 zc8 = _mm256_set1_ps(r.z < 0.0f ? 0.0f : (r.z > 1.0f ? 1.0f : r.z));
    const __m256i wy7 = _mm256_set1_epi16(short(r.fy << 7)), alpha = _mm256_set1_epi16(short(r.diffuse >> 24));
    const __m256i c255 = _mm256_set1_epi16(255);
    PrefetchRowsBelow(s, r, cb, zb);
    // (Held here rather than read through r again after every store.)
    const int16_t* const topA = r.topA;
    const int16_t* const botA = r.botA;
    const int x0 = r.x0, x1 = r.x1;
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 z8 = _mm256_set1_ps(r.z), dz8 = _mm256_set1_ps(r.dz);
    // The depths of a sloped row's pixels at places t (as floats).
    auto slopedDepth = [&](__m256 t) __attribute__((target("avx2"))) {
        return _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(z8, _mm256_mul_ps(dz8, t)), _mm256_setzero_ps()),
                             _mm256_set1_ps(1.0f));
    };
    const bool slope = Checked && r.dz != 0.0f;
    // (Pixels outside [xs, xe) keep their colours.)  The places x - x0 to x - x0 + 7 of
    // the pixels, and the next eight's, as floats (whole numbers: stepped exactly).
    const int xe = r.xe;
    __m256 t0 = _mm256_cvtepi32_ps(_mm256_add_epi32(lane, _mm256_set1_epi32(r.xs - x0)));
    const __m256 eight = _mm256_set1_ps(8.0f), sixteen = _mm256_set1_ps(16.0f);
    for (int x = r.xs; x < xe; x += kBlackChunk, t0 = _mm256_add_ps(t0, sixteen)) {
        const __m256 t1 = _mm256_add_ps(t0, eight);
        __m256i top = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(topA + (x - x0)));
        __m256i bot = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(botA + (x - x0)));
        if constexpr (Checked) {
            // (Both halves checked before any is fetched: the fetching is seldom wanted.)
            const ColumnCheck* const c = r.check;
            if (c && !(SameColumns(*c, x - x0, x1 - x, OwnFu(*c, t0)) &&
                       (x + 8 >= x1 || SameColumns(*c, x + 8 - x0, x1 - x - 8, OwnFu(*c, t1)))))
                OwnAlphas(*c, x - x0, x1 - x, top, bot);
        }
        const __m256i a = Mul255y(LerpW(top, bot, wy7), alpha);
        // (Pixels of no alpha keep their colours, c * 0 + d * 255 / 255 being d, but are
        // written all the same: leaving them alone costs more in branches the processor
        // guesses wrong at the edges of the smoke than it saves.)
        const __m256i f = _mm256_permute4x64_epi64(_mm256_sub_epi16(c255, a), 0xD8);
        const __m256i e = _mm256_permute4x64_epi64(Mul255y(a, a), 0xD8);
        if (slope) zc8 = slopedDepth(t0);
        BlackGroup<DepthMode, 0>(s, cb + x, DepthMode != kDepthNone ? zb + x : nullptr, xe - x, zc8, f, e);
        if (x + 8 < xe) {
            if (slope) zc8 = slopedDepth(t1);
            BlackGroup<DepthMode, 1>(s, cb + x + 8, DepthMode != kDepthNone ? zb + x + 8 : nullptr, xe - x - 8, zc8,
                                     f, e);
        }
    }
}

// The black row function for a depth test, rows checked or sloped or not.
template <bool Checked>
FilteredRowFn PickBlackRow(int depthMode) {
    return depthMode == kDepthNone        ? BlackRowAvx2<kDepthNone, Checked>
           : depthMode == kDepthLessEqual ? BlackRowAvx2<kDepthLessEqual, Checked>
                                          : BlackRowAvx2<kDepthOther, Checked>;
}

template <int BlendKind, int AlphaMode, int DepthMode>
FilteredRowFn PickFilteredRow(bool zWrite, bool white) {
    if (zWrite)
        return white ? FilteredRowAvx2<BlendKind, AlphaMode, DepthMode, true, true>
                     : FilteredRowAvx2<BlendKind, AlphaMode, DepthMode, true, false>;
    return white ? FilteredRowAvx2<BlendKind, AlphaMode, DepthMode, false, true>
                 : FilteredRowAvx2<BlendKind, AlphaMode, DepthMode, false, false>;
}

template <int BlendKind, int AlphaMode>
FilteredRowFn PickFilteredRow(int depthMode, bool zWrite, bool white) {
    switch (depthMode) {
        case kDepthNone: return PickFilteredRow<BlendKind, AlphaMode, kDepthNone>(zWrite, white);
        case kDepthLessEqual: return PickFilteredRow<BlendKind, AlphaMode, kDepthLessEqual>(zWrite, white);
        default: return PickFilteredRow<BlendKind, AlphaMode, kDepthOther>(zWrite, white);
    }
}

// The row function for these states (white diffuse leaves texels as they are).
template <int BlendKind>
FilteredRowFn PickFilteredRow(int alphaMode, int depthMode, bool zWrite, bool white) {
    switch (alphaMode) {
        case kAlphaNone: return PickFilteredRow<BlendKind, kAlphaNone>(depthMode, zWrite, white);
        case kAlphaAbove: return PickFilteredRow<BlendKind, kAlphaAbove>(depthMode, zWrite, white);
        default: return PickFilteredRow<BlendKind, kAlphaRange>(depthMode, zWrite, white);
    }
}

// Sets up a block of filtered rows: its columns, and the row function for its states.
// (The block's columns are prepared first.)
void StartFilterBlock(FilterBlock& fb, const PipeState& s, uint32_t diffuse, int blendKind) {
    // The alpha test as a range of alphas that pass.
    int alphaMode = kAlphaNone;
    short lo = 0, hi = 0;
    bool flip = false;
    if (s.alphaTest) {
        const int ref = int(std::min<uint32_t>(s.alphaRef, 256));
        alphaMode = kAlphaRange;
        switch (s.alphaFunc) {
            case CMP_GREATER: alphaMode = kAlphaAbove, lo = short(ref); break;
            case CMP_GREATEREQUAL: alphaMode = kAlphaAbove, lo = short(ref - 1); break;
            case CMP_LESS: lo = -1, hi = short(ref); break;
            case CMP_LESSEQUAL: lo = -1, hi = short(ref + 1); break;
            case CMP_EQUAL: lo = short(ref - 1), hi = short(ref + 1); break;
            case CMP_NOTEQUAL: lo = short(ref - 1), hi = short(ref + 1), flip = true; break;
            case CMP_NEVER: lo = 0, hi = 0; break;
            default: alphaMode = kAlphaNone; break;
        }
    }
    const int depthMode = !s.zTest || s.zFunc == CMP_ALWAYS ? kDepthNone
                          : s.zFunc == CMP_LESSEQUAL               ? kDepthLessEqual
                                                                   : kDepthOther;
    const bool white = diffuse == 0xFFFFFFFFu;
    switch (blendKind) {
        case kBlendSrcOver: fb.fn = PickFilteredRow<kBlendSrcOver>(alphaMode, depthMode, s.zWrite, white); break;
        case kBlendAdd: fb.fn = PickFilteredRow<kBlendAdd>(alphaMode, depthMode, s.zWrite, white); break;
        default: fb.fn = PickFilteredRow<kBlendNone>(alphaMode, depthMode, s.zWrite, white); break;
    }
    fb.alo = lo, fb.ahi = hi, fb.aflip = flip;
    fb.blackFn = fb.blackCheckedFn = nullptr;
    if (blendKind == kBlendSrcOver && alphaMode == kAlphaNone && !s.zWrite && (diffuse & 0x00FFFFFFu) == 0) {
        fb.blackFn = PickBlackRow<false>(depthMode);
        fb.blackCheckedFn = PickBlackRow<true>(depthMode);
        fb.blackUnseen = UnseenAlpha(diffuse >> 24);
        fb.nearby = fb.contiguous && NearbyColumns(t_filter, s.tw, fb.groups);
    }
}

// One filtered row [x0, x1) of a block set up by StartFilterBlock (the same x0),
// between texture rows rowA and rowB with weight fy (of 256) on rowB: each texture
// row's horizontal blend is worked out once and kept while the rows below use it.
// The row may start `at` columns into the block, checked by `check` when its own
// columns may differ from the block's.
// (Worked out where it is called: a row's many arguments are not worth passing.)
__attribute__((always_inline)) inline void FilteredRowOf(const PipeState& s, FilterBlock& fb, int y, int x0, int x1,
                                                         int rowA, int rowB, int fy, float z, uint32_t diffuse,
                                                         int at = 0, const ColumnCheck* check = nullptr,
                                                         float dz = 0.0f) {
    const __m256i* rows[2];
    const int16_t* alphas[2];
    int slots[2] = {0, 0};
    const bool black = fb.blackFn != nullptr;
    // With no weight on the lower row (1:1 down the rows) the upper row is all there is.
    const int wanted = fy != 0 ? 2 : 1;
    for (int k = 0; k < wanted; ++k) {
        const int want = k == 0 ? rowA : rowB, other = k == 0 ? rowB : rowA;
        int slot = fb.tag[0] == want ? 0 : fb.tag[1] == want ? 1 : -1;
        if (slot < 0) {
            slot = fb.tag[0] == other ? 1 : 0;  // keep the other row wanted
            // (Black rows of close columns want the texture row's alphas alone.)
            if (black && fb.contiguous) {
                AlphasOfTextureRow(fb, s.tex + size_t(want) * s.tw, fb.alpha[slot]);
                fb.alphaTag[slot] = want;
                if (fb.blackUnseen > 0)
                    SeenColumns(fb.alpha[slot], 4 * fb.groups, fb.blackUnseen, fb.seenLo[slot], fb.seenHi[slot]);
            } else {
                LerpTextureRow(fb, s.tex + size_t(want) * s.tw, fb.lerp[slot]);
            }
            fb.tag[slot] = want;
            // Texture rows a little further down are most likely wanted soon (rows of
            // a sprite sheet lie far apart in memory); long rows the processor follows
            // by itself.
            constexpr int kAhead = 3;
            if (fb.uHi - fb.uLo <= kShortRow && want + kAhead < s.th) {
                const char* from = reinterpret_cast<const char*>(s.tex + size_t(want + kAhead) * s.tw + fb.uLo);
                const char* to = reinterpret_cast<const char*>(s.tex + size_t(want + kAhead) * s.tw + fb.uHi);
                for (const char* q = from; q <= to; q += 64) _mm_prefetch(q, _MM_HINT_T0);
            }
        }
        if (black && fb.alphaTag[slot] != want) {
            AlphasOfRow(fb, fb.lerp[slot], fb.alpha[slot]);
            fb.alphaTag[slot] = want;
            if (fb.blackUnseen > 0)
                SeenColumns(fb.alpha[slot], 4 * fb.groups, fb.blackUnseen, fb.seenLo[slot], fb.seenHi[slot]);
        }
        slots[k] = slot;
        rows[k] = fb.lerp[slot];
        alphas[k] = fb.alpha[slot];
    }
    if (wanted == 1) rows[1] = rows[0], alphas[1] = alphas[0], slots[1] = slots[0];
    // Faint black rows darken only the columns their texture rows show (a row that
    // takes its own texels may show others: all of its pixels are worked out).  Rows of
    // smoke dark enough for every alpha but 0 to show are not worth the looking.
    int xs = x0, xe = x1;
    if (black && !check && fb.blackUnseen > 0) {
        const int lo = std::min(fb.seenLo[slots[0]], fb.seenLo[slots[1]]) - at;
        const int hi = std::max(fb.seenHi[slots[0]], fb.seenHi[slots[1]]) - at;
        xs = x0 + std::clamp(lo, 0, x1 - x0);
        xe = x0 + std::clamp(hi, 0, x1 - x0);
        if (xs >= xe) return;
    }
    auto from = [at](const __m256i* row) {  // 8 bytes a pixel
        return reinterpret_cast<const __m256i*>(reinterpret_cast<const char*>(row) + 8 * size_t(at));
    };
    const FilteredRowArgs args{from(rows[0]), from(rows[1]), alphas[0] + at, alphas[1] + at, check, y, x0, x1, xs, xe,
                               short(fy), z, dz, diffuse, fb.alo, fb.ahi, fb.aflip};
    (!black ? fb.fn : check || dz != 0.0f ? fb.blackCheckedFn : fb.blackFn)(s, args);
}

// The same for the 16.16 texel row coordinate fv (the rows fv falls between).
// (`at`: the row starts that many columns into the block.)
void FilteredRow(const PipeState& s, FilterBlock& fb, int y, int x0, int x1, int64_t fv, float z, uint32_t diffuse,
                 int at = 0) {
    const int64_t gvRow = (fv + 128) >> 8;
    const int r = int(gvRow >> 8);
    FilteredRowOf(s, fb, y, x0, x1, r, r + 1, int(gvRow & 255), z, diffuse, at);
}

// ---- Copied rows -----------------------------------------------------------------
// Rows whose texels are read one to one (sprites drawn at their own size, point or
// whole-texel linear sampling at a one-texel step): a row's texels lie side by side,
// so eight pixels are loaded, tested, blended and stored at once; the last few of a
// row go under a lane mask. Point-sampled rows at other steps (scaled sprites) take
// the same loop with their eight texels gathered. Pixels and depths are those of
// AffineSpan.

// What the copied rows of one rectangle share.
struct CopyRows {
    uint32_t* cbuf = nullptr;
    float* zbuf = nullptr;
    int pitch = 0;
    int x0 = 0, x1 = 0;
    int yEnd = 0;      // the rectangle's rows end here (target rows read ahead stop there)
    float zc = 0.0f;   // the rectangle's depth, clamped to 0..1
    uint32_t zFunc = CMP_ALWAYS;
    bool zWrite = false;
    int aLo = -1, aHi = 256, aInv = 0;  // alpha test: passes when aLo < a < aHi, inverted when aInv is -1
    uint32_t diffuse = 0xFFFFFFFFu;
    // Gathered rows: the 16.16 texel coordinate of the first pixel and the step
    // (checked to fit 32 bits, see GatherFits), and the texels of a row ever read.
    int32_t fu = 0, dfu = 65536;
    int uLo = 0, uCount = 0;
};

// Depth test modes of copied rows: none, less-equal, less, any other function.
enum : int { kZNone = 0, kZLessEqual = 1, kZLess = 2, kZOther = 3 };

CopyRows MakeCopyRows(const PipeState& s, int x0, int x1, int yEnd, float z, uint32_t diffuse) {
    CopyRows r;
    r.cbuf = s.cbuf;
    r.zbuf = s.zbuf;
    r.pitch = s.pitch;
    r.x0 = x0, r.x1 = x1, r.yEnd = yEnd;
    r.zc = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
    r.zFunc = s.zTest ? s.zFunc : CMP_ALWAYS;
    r.zWrite = s.zWrite;
    r.diffuse = diffuse;
    // Every comparison of an alpha of 0..255 with the reference is an open range,
    // or the outside of one (references above 255 all compare as 256).
    const int ref = int(std::min<uint32_t>(s.alphaRef, 256));
    switch (s.alphaTest ? s.alphaFunc : CMP_ALWAYS) {
        case CMP_NEVER: r.aLo = 0, r.aHi = 0; break;
        case CMP_LESS: r.aLo = -1, r.aHi = ref; break;
        case CMP_EQUAL: r.aLo = ref - 1, r.aHi = ref + 1; break;
        case CMP_LESSEQUAL: r.aLo = -1, r.aHi = ref + 1; break;
        case CMP_GREATER: r.aLo = ref, r.aHi = 256; break;
        case CMP_NOTEQUAL: r.aLo = ref - 1, r.aHi = ref + 1, r.aInv = -1; break;
        case CMP_GREATEREQUAL: r.aLo = ref - 1, r.aHi = 256; break;
        default: break;  // always
    }
    return r;
}

int CopyDepthMode(const CopyRows& r) {
    return r.zFunc == CMP_ALWAYS ? kZNone : r.zFunc == CMP_LESSEQUAL ? kZLessEqual : r.zFunc == CMP_LESS ? kZLess : kZOther;
}

struct CopyConsts {
    __m256i dif, aLo, aHi, aInv, selA, c255, zero, ones, alphaBits;
    __m256 zc;
    uint32_t zFunc;
    bool zWrite;
};

// Alpha tests of copied rows: none, a lower bound only ("greater", "greater or
// equal"), any other function.
enum : int { kANone = 0, kALower = 1, kAOther = 2 };

template <int ZMode>
__attribute__((target("avx2"), always_inline)) inline __m256i CopyDepthPass(const CopyConsts& k, __m256 zOld) {
    if (ZMode == kZLessEqual) return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_LE_OQ));
    if (ZMode == kZLess) return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_LT_OQ));
    switch (k.zFunc) {
        case CMP_NEVER: return _mm256_setzero_si256();
        case CMP_EQUAL: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_EQ_OQ));
        case CMP_GREATER: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_GT_OQ));
        case CMP_NOTEQUAL: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_NEQ_UQ));
        case CMP_GREATEREQUAL: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_GE_OQ));
        case CMP_LESS: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_LT_OQ));
        case CMP_LESSEQUAL: return _mm256_castps_si256(_mm256_cmp_ps(k.zc, zOld, _CMP_LE_OQ));
        default: return k.ones;
    }
}

// Eight pixels (Tail: the lanes of `live` only) of texels `tex` to target cb / depth zb.
template <int BlendKind, int ZMode, int AlphaKind, bool White, bool Tail>
__attribute__((target("avx2"), always_inline)) inline void CopyGroup(const CopyConsts& k, __m256i tex, uint32_t* cb,
                                                                     float* zb, __m256i live) {
    __m256i pass = live;
    __m256 zOld = k.zc;
    if (ZMode != kZNone) {
        zOld = Tail ? _mm256_maskload_ps(zb, live) : _mm256_loadu_ps(zb);
        pass = Tail ? _mm256_and_si256(pass, CopyDepthPass<ZMode>(k, zOld)) : CopyDepthPass<ZMode>(k, zOld);
    }
    // 16-bit channels of pixels [0 1 | 4 5] and [2 3 | 6 7]; packing puts them back in order.
    __m256i lo = _mm256_unpacklo_epi8(tex, k.zero), hi = _mm256_unpackhi_epi8(tex, k.zero);
    if (!White) {
        lo = Mul255y(lo, k.dif);
        hi = Mul255y(hi, k.dif);
        if (AlphaKind != kANone || BlendKind == 0) tex = _mm256_packus_epi16(lo, hi);
    }
    if (AlphaKind != kANone) {
        const __m256i a = _mm256_srli_epi32(tex, 24);
        __m256i in = _mm256_cmpgt_epi32(a, k.aLo);
        if (AlphaKind == kAOther) in = _mm256_xor_si256(_mm256_and_si256(in, _mm256_cmpgt_epi32(k.aHi, a)), k.aInv);
        pass = (ZMode != kZNone || Tail) ? _mm256_and_si256(pass, in) : in;
    }
    constexpr bool kMasked = ZMode != kZNone || AlphaKind != kANone;
    // Groups nothing of which passes (transparent areas of a sprite) leave the target alone.
    if (kMasked && _mm256_testz_si256(pass, pass)) return;
    // Wholly transparent groups blended source over leave the colours alone (no alpha
    // gives the target back): only their depth is written. (`tex` holds the texels'
    // alphas, modulated or not: a texel of no alpha keeps none.)
    if (BlendKind == 1 && !Tail && _mm256_testz_si256(tex, k.alphaBits)) {
        if (k.zWrite) {
            if (!kMasked) _mm256_storeu_ps(zb, k.zc);
            else {
                if (ZMode == kZNone) zOld = _mm256_loadu_ps(zb);
                _mm256_storeu_ps(zb, _mm256_blendv_ps(zOld, k.zc, _mm256_castsi256_ps(pass)));
            }
        }
        return;
    }
    __m256i old = k.zero;
    if (BlendKind == 1 || (kMasked && !Tail))
        old = Tail ? _mm256_maskload_epi32(reinterpret_cast<const int*>(cb), live)
                   : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cb));
    __m256i out = tex;
    // Wholly opaque groups (the insides of most sprites) are the texels themselves;
    // `tex` holds the modulated texels when there is an alpha test or white diffuse.
    constexpr bool kOpaqueCheck = !Tail && (White || AlphaKind != kANone);
    if (BlendKind == 1 && !(kOpaqueCheck && _mm256_testc_si256(tex, k.alphaBits))) {
        const __m256i dlo = _mm256_unpacklo_epi8(old, k.zero), dhi = _mm256_unpackhi_epi8(old, k.zero);
        const __m256i alo = _mm256_shuffle_epi8(lo, k.selA), ahi = _mm256_shuffle_epi8(hi, k.selA);
        lo = _mm256_add_epi16(Mul255y(lo, alo), Mul255y(dlo, _mm256_xor_si256(alo, k.c255)));
        hi = _mm256_add_epi16(Mul255y(hi, ahi), Mul255y(dhi, _mm256_xor_si256(ahi, k.c255)));
        out = _mm256_packus_epi16(lo, hi);
    }
    if (Tail) {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(cb), pass, out);
        if (k.zWrite) _mm256_maskstore_ps(zb, pass, k.zc);
    } else if (kMasked) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb), _mm256_blendv_epi8(old, out, pass));
        if (k.zWrite) {
            if (ZMode == kZNone) zOld = _mm256_loadu_ps(zb);
            _mm256_storeu_ps(zb, _mm256_blendv_ps(zOld, k.zc, _mm256_castsi256_ps(pass)));
        }
    } else {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb), out);
        if (k.zWrite) _mm256_storeu_ps(zb, k.zc);
    }
}

__attribute__((target("avx2"))) inline void PrefetchRun(const void* p, int bytes) {
    uintptr_t a = reinterpret_cast<uintptr_t>(p) & ~uintptr_t(63);
    const uintptr_t e = reinterpret_cast<uintptr_t>(p) + uintptr_t(bytes - 1);
    for (; a <= e; a += 64) _mm_prefetch(reinterpret_cast<const char*>(a), _MM_HINT_T0);
}

// Rows y .. y + n - 1, pixels [x0, x1), row i reading its texels from src[i] on
// (Gather: row i of the texture starts at src[i]).
template <int BlendKind, int ZMode, int AlphaKind, bool White, bool Gather>
__attribute__((target("avx2"))) void CopyRowsAvx2(const CopyRows& r, int y, int n, const uint32_t* const* src) {
    CopyConsts k;
    k.dif = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(r.diffuse)));  // [b g r a] per pixel
    k.aLo = _mm256_set1_epi32(r.aLo);
    k.aHi = _mm256_set1_epi32(r.aHi);
    k.aInv = _mm256_set1_epi32(r.aInv);
    // Each pixel's alpha over its four 16-bit channels.
    k.selA = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,  //
                              6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    k.c255 = _mm256_set1_epi16(255);
    k.zero = _mm256_setzero_si256();
    k.ones = _mm256_set1_epi32(-1);
    k.alphaBits = _mm256_set1_epi32(int(0xFF000000u));
    k.zc = _mm256_set1_ps(r.zc);
    k.zFunc = r.zFunc;
    k.zWrite = r.zWrite;
    const bool zUsed = ZMode != kZNone || r.zWrite;
    const int w = r.x1 - r.x0, full = w & ~7;
    const __m256i live = _mm256_cmpgt_epi32(_mm256_set1_epi32(w - full), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const size_t pitch = size_t(r.pitch);
    // Gathered rows: each pixel's texel coordinate plus a half of 1/256 (rounded as
    // AffineSpan does), for the first eight pixels and the step to the next eight.
    const __m256i fu8 = _mm256_add_epi32(
        _mm256_set1_epi32(r.fu + 128), _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(r.dfu)));
    const __m256i step8 = _mm256_set1_epi32(r.dfu * 8);
    // Texture rows of a sprite sheet lie far apart in memory, and so do the target's
    // rows: ask for the rows two further down while this one is drawn (and for the
    // first two at once).
    constexpr int kAhead = 2;
    const int texOff = Gather ? r.uLo : 0, texBytes = 4 * (Gather ? r.uCount : w);
    for (int i = 0; i < n && i < kAhead; ++i) {
        PrefetchRun(src[i] + texOff, texBytes);
        PrefetchRun(r.cbuf + size_t(y + i) * pitch + r.x0, 4 * w);
        if (zUsed) PrefetchRun(r.zbuf + size_t(y + i) * pitch + r.x0, 4 * w);
    }
    for (int i = 0; i < n; ++i) {
        const int yy = y + i;
        const uint32_t* const t = src[i];
        uint32_t* const cb = r.cbuf + size_t(yy) * pitch + r.x0;
        float* const zb = zUsed ? r.zbuf + size_t(yy) * pitch + r.x0 : nullptr;
        // Where the rows two further down lie from this one (this one again at the end).
        const ptrdiff_t tAhead = i + kAhead < n ? src[i + kAhead] - t : 0;
        const ptrdiff_t cAhead = yy + kAhead < r.yEnd ? ptrdiff_t(kAhead * pitch) : 0;
        if (Gather && tAhead) PrefetchRun(t + tAhead + texOff, texBytes);
        __m256i fu = fu8;
        int x = 0;
        for (; x < full; x += 8) {
            if (!Gather) _mm_prefetch(reinterpret_cast<const char*>(t + x + tAhead), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(cb + x + cAhead), _MM_HINT_T0);
            if (zUsed) _mm_prefetch(reinterpret_cast<const char*>(zb + x + cAhead), _MM_HINT_T0);
            __m256i tex;
            if (Gather) {
                tex = _mm256_i32gather_epi32(reinterpret_cast<const int*>(t), _mm256_srai_epi32(fu, 16), 4);
                fu = _mm256_add_epi32(fu, step8);
            } else {
                tex = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + x));
            }
            CopyGroup<BlendKind, ZMode, AlphaKind, White, false>(k, tex, cb + x, zUsed ? zb + x : nullptr, k.ones);
        }
        if (!Gather) _mm_prefetch(reinterpret_cast<const char*>(t + (w - 1) + tAhead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(cb + (w - 1) + cAhead), _MM_HINT_T0);
        if (zUsed) _mm_prefetch(reinterpret_cast<const char*>(zb + (w - 1) + cAhead), _MM_HINT_T0);
        if (x < w) {
            const __m256i tex =
                Gather ? _mm256_mask_i32gather_epi32(k.zero, reinterpret_cast<const int*>(t), _mm256_srai_epi32(fu, 16),
                                                     live, 4)
                       : _mm256_maskload_epi32(reinterpret_cast<const int*>(t + x), live);
            CopyGroup<BlendKind, ZMode, AlphaKind, White, true>(k, tex, cb + x, zUsed ? zb + x : nullptr, live);
        }
    }
}

using CopyRowsFn = void (*)(const CopyRows&, int, int, const uint32_t* const*);

template <int BlendKind, int ZMode, int AlphaKind, bool White>
CopyRowsFn PickCopyGather(bool gather) {
    return gather ? &CopyRowsAvx2<BlendKind, ZMode, AlphaKind, White, true>
                  : &CopyRowsAvx2<BlendKind, ZMode, AlphaKind, White, false>;
}
template <int BlendKind, int ZMode, int AlphaKind>
CopyRowsFn PickCopyWhite(bool white, bool gather) {
    return white ? PickCopyGather<BlendKind, ZMode, AlphaKind, true>(gather)
                 : PickCopyGather<BlendKind, ZMode, AlphaKind, false>(gather);
}
template <int BlendKind, int ZMode>
CopyRowsFn PickCopyAlpha(int alphaKind, bool white, bool gather) {
    switch (alphaKind) {
        case kANone: return PickCopyWhite<BlendKind, ZMode, kANone>(white, gather);
        case kALower: return PickCopyWhite<BlendKind, ZMode, kALower>(white, gather);
        default: return PickCopyWhite<BlendKind, ZMode, kAOther>(white, gather);
    }
}
template <int BlendKind>
CopyRowsFn PickCopyDepth(int zMode, int alphaKind, bool white, bool gather) {
    switch (zMode) {
        case kZNone: return PickCopyAlpha<BlendKind, kZNone>(alphaKind, white, gather);
        case kZLessEqual: return PickCopyAlpha<BlendKind, kZLessEqual>(alphaKind, white, gather);
        case kZLess: return PickCopyAlpha<BlendKind, kZLess>(alphaKind, white, gather);
        default: return PickCopyAlpha<BlendKind, kZOther>(alphaKind, white, gather);
    }
}
// The copy loop for these rows' states (an alpha test that always passes is none);
// `gather` for point-sampled rows at steps other than one texel.
CopyRowsFn PickCopy(const CopyRows& r, bool blend, bool gather) {
    const int alphaKind = r.aLo == -1 && r.aHi == 256 && r.aInv == 0 ? kANone
                          : r.aHi == 256 && r.aInv == 0               ? kALower
                                                                      : kAOther;
    const bool white = r.diffuse == 0xFFFFFFFFu;
    return blend ? PickCopyDepth<1>(CopyDepthMode(r), alphaKind, white, gather)
                 : PickCopyDepth<0>(CopyDepthMode(r), alphaKind, white, gather);
}

// Whether the 16.16 coordinates fu + dfu * i of pixels i < count, with the rounding
// half added, stay within 0 .. 2^31 (gathered rows step them in 32-bit lanes), and
// the step too.
inline bool GatherFits(int64_t fu, int64_t dfu, int64_t count) {
    const int64_t first = fu + 128, last = fu + dfu * (count - 1) + 128;
    constexpr int64_t kTop = int64_t(1) << 31;
    return first >= 0 && last >= 0 && first < kTop && last < kTop && dfu * 8 > -kTop && dfu * 8 < kTop;
}

// Sets the gathered rows' coordinates; false when they do not fit 32 bits.
inline bool SetGather(CopyRows& r, int64_t fu, int64_t dfu, int count) {
    if (!GatherFits(fu, dfu, count)) return false;
    r.fu = int32_t(fu);
    r.dfu = int32_t(dfu);
    const int64_t uA = (fu + 128) >> 16, uB = (fu + dfu * (count - 1) + 128) >> 16;
    r.uLo = int(std::min(uA, uB));
    r.uCount = int(std::max(uA, uB) - std::min(uA, uB) + 1);
    return true;
}

template <int BlendKind, int Sample>
inline void AffineDispatch(const PipeState& s, int y, int x0, int x1, int64_t fu, int64_t fv, int64_t dfu,
                           int64_t dfv, float z, float dz, uint32_t diffuse) {
    // Texels read one to one: the copy loop; point-sampled at other steps: the same
    // loop with the texels gathered.
    if constexpr (Sample != 2) {
        if (dfv == 0 && dz == 0.0f && HasAvx2()) {
            CopyRows r = MakeCopyRows(s, x0, x1, y + 1, z, diffuse);
            const uint32_t* const row = s.tex + size_t((fv + 128) >> 16) * s.tw;
            if (Sample == 0 || dfu == 65536) {
                const uint32_t* const t = row + ((fu + 128) >> 16);
                PickCopy(r, BlendKind == 1, false)(r, y, 1, &t);
                return;
            }
            if (SetGather(r, fu, dfu, x1 - x0)) {
                PickCopy(r, BlendKind == 1, true)(r, y, 1, &row);
                return;
            }
        }
    }
    // Filtered: 32-bit coordinates suffice, the span was checked to stay inside the texture.
    if (Sample == 2 && x1 - x0 >= 4 && dfv == 0 && dz == 0.0f && HasAvx2() && fu >= 0 &&
        fu + dfu * (x1 - x0) < (int64_t(1) << 31) && fu + dfu * (x1 - x0) >= 0)
        FilteredSpanAvx2<BlendKind>(s, y, x0, x1, fu, fv, dfu, z, diffuse);
    else AffineSpan<BlendKind, Sample>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse);
}

// Rounds to nearest with halves away from zero, as llround does, inline: the
// fraction d - trunc(d) of a double is exact.
inline int64_t RoundHalfAway(double d) {
    if (!(std::fabs(d) < 9.0e18)) return std::llround(d);
    int64_t t = int64_t(d);
    const double frac = d - double(t);
    t += frac >= 0.5 ? 1 : 0;
    t -= frac <= -0.5 ? 1 : 0;
    return t;
}

}  // namespace

// Rows of an affine triangle or rectangle of one colour, filtered (the general spans'
// FixedColourRows), with v the same along the rows. Rows that start at one column,
// with u the same down the columns (dady of u is 0), have the same u at each column
// (the row's start value does not change), so the same texel columns and weights:
// they are worked out once, and each texture row's horizontal blend once for the rows
// that use it, as for screen rectangles. Rows that start elsewhere (a triangle's), or
// whose u moves a hair down the columns (a square turned a rounding error off the
// screen's axes), work their start value out from their own start: their groups are
// checked against the block's columns and take their own texels where these differ
// (see OwnColumns). Depth is worked out at every pixel when it changes along the rows.
// Every value is FixedColourRows', lane for lane. False (nothing drawn) for rows of
// another kind.
__attribute__((target("avx2"))) bool FixedColourColumns(const PipeState& s, const SpanSetup& sp, const Rows& r,
                                                         uint32_t diffuse, int blendKind, bool wrap) {
    if (!HasAvx2() || sp.dadx[kAttrV] != 0.0f) return false;
    int x0 = 0, xl = INT_MAX, xr = INT_MIN, first = -1;
    for (int i = 0; i < r.n; ++i) {
        if (r.x0[i] >= r.x1[i]) continue;
        if (first < 0) first = i, x0 = r.x0[i];
        xl = std::min(xl, r.x0[i]);
        xr = std::max(xr, r.x1[i]);
    }
    constexpr int kMinWidth = 16;  // narrower rows are not worth the set-up
    if (first < 0 || xr - xl < kMinWidth) return false;
    // The block's columns [xl, xr) follow the first row.
    const int w = xr - xl, lead = x0 - xl;
    const int tw = s.tw, th = s.th;
    const __m256 spA = _mm256_loadu_ps(sp.a0), spDx = _mm256_loadu_ps(sp.dadx), spDy = _mm256_loadu_ps(sp.dady);
    const __m256 ftw = _mm256_set1_ps(float(tw) * 256.0f), fth = _mm256_set1_ps(float(th) * 256.0f);
    const __m256 zero8 = _mm256_setzero_ps(), one8 = _mm256_set1_ps(1.0f);
    const __m256i i128 = _mm256_set1_epi32(128), laneIdx = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    // The attributes at a row's first pixel, as FixedColourRows evaluates them (v does
    // not change along the rows: the same whatever the row's start).
    auto rowStart = [&](int x, int y, float* a0) __attribute__((target("avx2"))) {
        _mm256_storeu_ps(a0, _mm256_add_ps(_mm256_add_ps(spA, _mm256_mul_ps(spDx, _mm256_set1_ps(float(x) - sp.x0))),
                                           _mm256_mul_ps(spDy, _mm256_set1_ps(float(y) - sp.y0))));
    };
    float a0[8];
    rowStart(x0, r.y + first, a0);
    // Each column's texel pair and weight.
    FilterScratch& t = t_filter;
    t.colX.resize(size_t(w) + 16);
    t.colR.resize(size_t(w) + 16);
    t.colW.resize(size_t(w) + 16);
    t.colFu.resize(size_t(w) + 16);
    int32_t* const colX = t.colX.data();
    int32_t* const colR = t.colR.data();
    int32_t* const colW = t.colW.data();
    int32_t* const colFu = t.colFu.data();
    const __m256 u0 = _mm256_set1_ps(a0[kAttrU]), dU = _mm256_set1_ps(sp.dadx[kAttrU]);
    const __m256i mx = _mm256_set1_epi32(tw - 1), one = _mm256_set1_epi32(1), z256 = _mm256_setzero_si256();
    for (int j = 0; j < w; j += 8) {
        const __m256 tj = _mm256_cvtepi32_ps(_mm256_add_epi32(laneIdx, _mm256_set1_epi32(j - lead)));
        const __m256i fu = _mm256_sub_epi32(FixedOf8(_mm256_add_ps(u0, _mm256_mul_ps(dU, tj)), ftw), i128);
        const __m256i xi = _mm256_srai_epi32(fu, 8), xn = _mm256_add_epi32(xi, one);
        // The pair wrapped or clamped, as TexelPair does.
        const __m256i xa = wrap ? _mm256_and_si256(xi, mx) : _mm256_min_epi32(_mm256_max_epi32(xi, z256), mx);
        const __m256i xb = wrap ? _mm256_and_si256(xn, mx) : _mm256_min_epi32(_mm256_max_epi32(xn, z256), mx);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colX + j), xa);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colR + j), xb);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colW + j), _mm256_and_si256(fu, _mm256_set1_epi32(255)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colFu + j), fu);
    }
    FilterBlock fb;
    PrepareFilterColumns(fb, tw, w, [colX, colR, colW](int j, int& xi, int& xr, int& fx) {
        xi = colX[j], xr = colR[j], fx = colW[j];
    });
    StartFilterBlock(fb, s, diffuse, blendKind);
    const __m256 dV = _mm256_set1_ps(sp.dadx[kAttrV]), dZ = _mm256_set1_ps(sp.dadx[kAttrZ]);
    const float dz = sp.dadx[kAttrZ];
    const bool slide = sp.dady[kAttrU] != 0.0f;  // u moves down the columns
    ColumnCheck check;
    check.du = sp.dadx[kAttrU];
    check.size256 = float(tw) * 256.0f;
    check.tw = tw;
    check.wrap = wrap;
    for (int i = first; i < r.n; ++i) {
        if (r.x0[i] >= r.x1[i]) continue;
        const int y = r.y + i;
        rowStart(x0, y, a0);
        const int fv = _mm256_cvtsi256_si32(
            _mm256_sub_epi32(FixedOf8(_mm256_add_ps(_mm256_set1_ps(a0[kAttrV]), _mm256_mul_ps(dV, zero8)), fth), i128));
        const float zc = _mm_cvtss_f32(_mm256_castps256_ps128(
            _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(_mm256_set1_ps(a0[kAttrZ]), _mm256_mul_ps(dZ, zero8)), zero8), one8)));
        // The row's two texture rows, wrapped or clamped as TexelPair does.
        const int yi = fv >> 8;
        const int ya = wrap ? (yi & (th - 1)) : std::clamp(yi, 0, th - 1);
        const int yb = wrap ? ((yi + 1) & (th - 1)) : std::clamp(yi + 1, 0, th - 1);
        const int at = r.x0[i] - xl;
        if (r.x0[i] == x0 && !slide && dz == 0.0f) {
            FilteredRowOf(s, fb, y, r.x0[i], r.x1[i], ya, yb, fv & 255, zc, diffuse, at);
            continue;
        }
        float own[8];
        rowStart(r.x0[i], y, own);
        check.fu = colFu + at;
        check.u0 = own[kAttrU];
        check.rowA = s.tex + size_t(ya) * tw;
        check.rowB = s.tex + size_t(yb) * tw;
        const bool same = r.x0[i] == x0 && !slide;  // the block's columns are the row's
        FilteredRowOf(s, fb, y, r.x0[i], r.x1[i], ya, yb, fv & 255, dz == 0.0f ? zc : own[kAttrZ], diffuse, at,
                      same ? nullptr : &check, dz);
    }
    return true;
}

// Tries the fast path for one span; false when the span needs the general path.
bool TryAffineSpan(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1) {
    const float fx = float(x0) - sp.x0, fy = float(y) - sp.y0;
    const float u = sp.a0[kAttrU] + sp.dadx[kAttrU] * fx + sp.dady[kAttrU] * fy;
    const float v = sp.a0[kAttrV] + sp.dadx[kAttrV] * fx + sp.dady[kAttrV] * fy;
    const double su = double(s.tw) * 65536.0, sv = double(s.th) * 65536.0;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    int64_t fu = RoundHalfAway(double(u) * su), fv = RoundHalfAway(double(v) * sv);
    const int64_t dfu = RoundHalfAway(double(sp.dadx[kAttrU]) * su), dfv = RoundHalfAway(double(sp.dadx[kAttrV]) * sv);
    if (std::fabs(double(u) * su) > 1e15 || std::fabs(double(v) * sv) > 1e15) return false;
    int sample = linear ? 2 : 1;
    if (linear) {
        fu -= 32768;
        fv -= 32768;
        // Whole texels at a one-texel step: a plain copy.
        if ((((fu + 128) >> 8) & 255) == 0 && (((fv + 128) >> 8) & 255) == 0 && dfu == 65536 && dfv == 0) sample = 0;
    }
    const int64_t n = x1 - x0 - 1;
    const int64_t uA = (fu + 128) >> 16, uB = (fu + dfu * n + 128) >> 16;
    const int64_t vA = (fv + 128) >> 16, vB = (fv + dfv * n + 128) >> 16;
    const int64_t need = sample == 2 ? 1 : 0;  // the bilinear block reaches one texel further
    if (std::min(uA, uB) < 0 || std::max(uA, uB) + need >= s.tw) return false;
    if (std::min(vA, vB) < 0 || std::max(vA, vB) + need >= s.th) return false;
    uint32_t diffuse;
    if (sp.flat) diffuse = (ToByte(sp.flatA) << 24) | (ToByte(sp.flatR) << 16) | (ToByte(sp.flatG) << 8) | ToByte(sp.flatB);
    else {
        const float* a = sp.a0;
        diffuse = (ToByte(a[kAttrA]) << 24) | (ToByte(a[kAttrR]) << 16) | (ToByte(a[kAttrG]) << 8) | ToByte(a[kAttrB]);
    }
    const float z = sp.a0[kAttrZ] + sp.dadx[kAttrZ] * fx + sp.dady[kAttrZ] * fy;
    const float dz = sp.dadx[kAttrZ];
    const bool blend = s.blendKind == kBlendSrcOver;
    switch (sample) {
        case 0:
            blend ? AffineDispatch<1, 0>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse)
                  : AffineDispatch<0, 0>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse);
            break;
        case 1:
            blend ? AffineDispatch<1, 1>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse)
                  : AffineDispatch<0, 1>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse);
            break;
        default:
            blend ? AffineDispatch<1, 2>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse)
                  : AffineDispatch<0, 2>(s, y, x0, x1, fu, fv, dfu, dfv, z, dz, diffuse);
            break;
    }
    return true;
}

// The fast path for rows [y0, y1) of one block whose u and depth do not change from
// row to row (screen-aligned rectangles): what does not depend on the row is worked
// out once, each row then as TryAffineSpan would. Rows it cannot take go to ShadeSpan.
void AffineBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1) {
    const float fx = float(x0) - sp.x0;
    // With no change down the rows, u and depth are the same in every row.
    const float fy0 = float(y0) - sp.y0;
    const float u = sp.a0[kAttrU] + sp.dadx[kAttrU] * fx + sp.dady[kAttrU] * fy0;
    const double su = double(s.tw) * 65536.0, sv = double(s.th) * 65536.0;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    int64_t fu = RoundHalfAway(double(u) * su);
    const int64_t dfu = RoundHalfAway(double(sp.dadx[kAttrU]) * su), dfv = RoundHalfAway(double(sp.dadx[kAttrV]) * sv);
    const bool uHuge = std::fabs(double(u) * su) > 1e15;
    if (linear) fu -= 32768;
    const int64_t n = x1 - x0 - 1;
    const int64_t uA = (fu + 128) >> 16, uB = (fu + dfu * n + 128) >> 16;
    const bool uFracZero = (((fu + 128) >> 8) & 255) == 0 && dfu == 65536 && dfv == 0;
    const bool uInsideNear = !(std::min(uA, uB) < 0 || std::max(uA, uB) >= s.tw);
    const bool uInsideFar = !(std::min(uA, uB) < 0 || std::max(uA, uB) + 1 >= s.tw);
    uint32_t diffuse;
    if (sp.flat) diffuse = (ToByte(sp.flatA) << 24) | (ToByte(sp.flatR) << 16) | (ToByte(sp.flatG) << 8) | ToByte(sp.flatB);
    else {
        const float* a = sp.a0;
        diffuse = (ToByte(a[kAttrA]) << 24) | (ToByte(a[kAttrR]) << 16) | (ToByte(a[kAttrG]) << 8) | ToByte(a[kAttrB]);
    }
    const float z = sp.a0[kAttrZ] + sp.dadx[kAttrZ] * fx + sp.dady[kAttrZ] * fy0;
    const float dz = sp.dadx[kAttrZ];
    const bool blend = s.blendKind == kBlendSrcOver;
    // Filtered rows share their columns' set-up and their texture rows' horizontal blends.
    const bool filterRows = linear && dfv == 0 && dz == 0.0f && HasAvx2();
    FilterBlock fb;
    bool fbReady = false;
    // Rows whose texels are read one to one go to the copy loop in runs of
    // neighbouring rows (it reads the next rows' texels ahead).
    // Point-sampled rows at other steps gather their texels in the same loop.
    const bool copyU = linear ? uFracZero : dfv == 0;
    const bool gather = !linear && dfu != 65536;
    CopyRows copy;
    CopyRowsFn copyFn = nullptr;
    if (copyU && uInsideNear && !uHuge && dz == 0.0f && HasAvx2()) {
        copy = MakeCopyRows(s, x0, x1, y1, z, diffuse);
        if (!gather || SetGather(copy, fu, dfu, x1 - x0)) copyFn = PickCopy(copy, blend, gather);
    }
    constexpr int kRun = 64;
    const uint32_t* run[kRun];
    // With wanted tiles each row is drawn on its wanted columns only (a row with none
    // is left out). A run's first pixel takes the block's coordinates stepped on in
    // whole steps from its first column, its depth the block's (runs are cut only at
    // no depth slope): every pixel is the one of the whole row. Rows of a depth slope,
    // and those that fall back to the one-by-one spans, are drawn as ShadeOnWanted
    // draws them.
    const bool wanted = s.wantTiles != nullptr;
    const bool runs = wanted && dz == 0.0f;
    // Copied rows yFirst .. yFirst + m - 1, their texels read from run[0 .. m).
    const auto copyRows = [&](int yFirst, int m) {
        if (!wanted) {
            copyFn(copy, yFirst, m, run);
            return;
        }
        ForWantedBands(s, yFirst, yFirst + m, x0, x1, [&](int yb, int n, int a, int b) {
            CopyRows part = copy;
            part.x0 = a;
            part.x1 = b;
            const uint32_t* from[kRun];
            for (int k = 0; k < n; ++k) from[k] = run[yb - yFirst + k] + (gather ? 0 : a - x0);
            if (gather) SetGather(part, fu + dfu * (a - x0), dfu, b - a);
            copyFn(part, yb, n, from);
        });
    };
    // The affine row y from 16.16 coordinates fu, fv at its first pixel, on its
    // wanted runs: dispatch(pipe, a, b, fu, fv) draws pixels [a, b) from coordinates
    // fu, fv at a.
    const auto affineRow = [&](int y, int64_t fvRow, auto dispatch) {
        if (runs) {
            ForWantedRuns(s, y, x0, x1,
                          [&](int a, int b) { dispatch(s, a, b, fu + dfu * (a - x0), fvRow + dfv * (a - x0)); });
            return;
        }
        ShadeOnWanted(s, y, 1, &x0, &x1,
                      [&](const PipeState& p, int, int, const int* a, const int* b) { dispatch(p, *a, *b, fu, fvRow); });
    };
    for (int y = y0; y < y1; ++y) {
        if (copyFn) {
            // u is known to be inside (and, but for gathered rows, to step one texel):
            // a row is a copy when its v is a whole texel (linear) and inside the
            // texture, as below.
            const uint32_t* const texU = s.tex + (gather ? 0 : uA);
            const int64_t fvBias = linear ? 32768 : 0, th = s.th, tw = s.tw;
            const int64_t fracMask = linear ? 0xFF00 : 0;
            const float vRow = sp.a0[kAttrV] + sp.dadx[kAttrV] * fx, dvdy = sp.dady[kAttrV], spy0 = sp.y0;
            int m = 0;
            for (; y < y1; ++y) {
                const float v = vRow + dvdy * (float(y) - spy0);
                const double dv = double(v) * sv;
                if (!(dv >= 0.5 && dv <= 1e15)) break;
                // RoundHalfAway: from 0.5 up to 2^50, dv + 0.5 never rounds across a
                // whole number, so truncating it rounds halves up.
                const int64_t fv = int64_t(dv + 0.5) - fvBias;
                const int64_t vA = (fv + 128) >> 16;
                if (((fv + 128) & fracMask) != 0 || uint64_t(vA) >= uint64_t(th)) break;
                if (m == kRun) {
                    copyRows(y - m, m);
                    m = 0;
                }
                run[m++] = texU + vA * tw;
            }
            if (m) copyRows(y - m, m);
            if (y == y1) break;
        }
        if (wanted && !RowWanted(s, y, x0, x1)) continue;
        const float fy = float(y) - sp.y0;
        const float v = sp.a0[kAttrV] + sp.dadx[kAttrV] * fx + sp.dady[kAttrV] * fy;
        int64_t fv = RoundHalfAway(double(v) * sv);
        if (uHuge || std::fabs(double(v) * sv) > 1e15) {
            ShadeSpan(s, sp, y, x0, x1);
            continue;
        }
        int sample = linear ? 2 : 1;
        if (linear) {
            fv -= 32768;
            if (uFracZero && (((fv + 128) >> 8) & 255) == 0) sample = 0;
        }
        const int64_t vA = (fv + 128) >> 16, vB = (fv + dfv * n + 128) >> 16;
        const int64_t need = sample == 2 ? 1 : 0;
        if (!(sample == 2 ? uInsideFar : uInsideNear) || std::min(vA, vB) < 0 || std::max(vA, vB) + need >= s.th) {
            ShadeSpan(s, sp, y, x0, x1);
            continue;
        }
        switch (sample) {
            case 0:
                affineRow(y, fv, [&](const PipeState& p, int a, int b, int64_t ua, int64_t va) {
                    blend ? AffineDispatch<1, 0>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse)
                          : AffineDispatch<0, 0>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse);
                });
                break;
            case 1:
                affineRow(y, fv, [&](const PipeState& p, int a, int b, int64_t ua, int64_t va) {
                    blend ? AffineDispatch<1, 1>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse)
                          : AffineDispatch<0, 1>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse);
                });
                break;
            default:
                if (filterRows) {
                    if (!fbReady) {
                        PrepareFilterBlock(fb, s.tw, fu, dfu, x1 - x0);
                        StartFilterBlock(fb, s, diffuse, blend ? kBlendSrcOver : kBlendNone);
                    }
                    fbReady = true;
                    // (A run starts that many columns into the block; filtered rows
                    // have no depth slope, so their runs are cut.)
                    affineRow(y, fv, [&](const PipeState& p, int a, int b, int64_t, int64_t) {
                        FilteredRow(p, fb, y, a, b, fv, z, diffuse, a - x0);
                    });
                    break;
                }
                affineRow(y, fv, [&](const PipeState& p, int a, int b, int64_t ua, int64_t va) {
                    blend ? AffineDispatch<1, 2>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse)
                          : AffineDispatch<0, 2>(p, y, a, b, ua, va, dfu, dfv, z, dz, diffuse);
                });
                break;
        }
    }
}


}  // namespace pix
}  // namespace gfx
