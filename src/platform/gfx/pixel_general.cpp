// The general spans of the 3D scenes, four pixels at a time.
#include "gfx/pixel_internal.h"

namespace gfx {

namespace pix {
namespace {

// ---- General spans, four pixels at a time ----------------------------------------------
// Gouraud colour, perspective-correct coordinates, texture modulate (colour, or colour
// and alpha), wrap or clamp addressing, no blending or source-over: the 3D scenes.
// The arithmetic is the general path's, lane for lane.


__attribute__((target("avx2"))) inline __m128i ByteOf(__m128 v, __m128 w) {  // ToByte, four at a time
    const __m128i i = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, w), _mm_set1_ps(0.5f)));
    return _mm_min_epi32(_mm_max_epi32(i, _mm_setzero_si128()), _mm_set1_epi32(255));
}
__attribute__((target("avx2"))) inline __m128i FixedOf(__m128 v, __m128 size) {  // ToFixed, four at a time
    __m128 f = _mm_mul_ps(_mm_mul_ps(v, size), _mm_set1_ps(256.0f));
    f = _mm_min_ps(_mm_max_ps(f, _mm_set1_ps(-1073741824.0f)), _mm_set1_ps(1073741824.0f));
    return _mm_cvtps_epi32(f);
}
// Four texels by index (plain loads: faster than a hardware gather on many processors).
__attribute__((target("avx2"))) inline __m128i Fetch4(const uint32_t* base, __m128i idx) {
    alignas(16) int32_t i[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(i), idx);
    return _mm_setr_epi32(int(base[i[0]]), int(base[i[1]]), int(base[i[2]]), int(base[i[3]]));
}

// Shades the spans [rx0[i], rx1[i]) of rows y + i; the set-up that does not depend
// on the row is done once.
template <bool Persp, int Kind, int BlendKind, bool Linear, bool Wrap>
__attribute__((target("avx2"))) void GeneralSpanAvx2(const PipeState& s, const SpanSetup& sp, int yFirst,
                                                      int nRows, const int* rx0, const int* rx1, bool constColor) {
    const float* const d = sp.dadx;
    // Steps of every attribute, as vectors.
    __m128 vd[kAttrSR];  // specular is not used on this path
    for (int k = 0; k < kAttrSR; ++k) vd[k] = _mm_set1_ps(d[k]);
    static_assert(kAttrSR == 8);
    const __m256 spA = _mm256_loadu_ps(sp.a0), spDx = _mm256_loadu_ps(sp.dadx), spDy = _mm256_loadu_ps(sp.dady);
    const bool zWrite = s.zWrite, alphaTest = s.alphaTest;
    int zMode = 0;
    if (s.zTest) zMode = s.zFunc == CMP_ALWAYS ? 0 : s.zFunc == CMP_LESSEQUAL ? 1 : s.zFunc == CMP_LESS ? 2 : 3;
    const bool hasTex = s.tex != nullptr;
    const int tw = s.tw, th = s.th;
    // Row offsets by shifting when the width is a power of two.
    const bool rowShift = (tw & (tw - 1)) == 0;
    const int twLog = rowShift ? __builtin_ctz(unsigned(tw)) : 0;
    const __m128i twShift = _mm_cvtsi32_si128(twLog);
    const __m128 ftw = _mm_set1_ps(float(tw)), fth = _mm_set1_ps(float(th));
    const __m128 zero4 = _mm_setzero_ps(), one4 = _mm_set1_ps(1.0f);
    const __m128i mx = _mm_set1_epi32(tw - 1), my = _mm_set1_epi32(th - 1), z128 = _mm_setzero_si128();
    const __m128i i255 = _mm_set1_epi32(255), i128 = _mm_set1_epi32(128);
    const __m256i c255 = _mm256_set1_epi16(255);
    // Repeats each pixel's 16-bit weight over its four channels.
    // (from 32-bit lanes; the low 16 bits of each hold the weight)
    const __m256i spread4 = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,  //
                                             8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    const __m256i selL = _mm256_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1,  //
                                          0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1);
    const __m256i selR = _mm256_setr_epi8(4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1,  //
                                          4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1);
    const __m128i laneIdx = _mm_setr_epi32(0, 1, 2, 3), bits = _mm_setr_epi32(1, 2, 4, 8);
    const int rowEnd = s.pitch;
    for (int row = 0; row < nRows; ++row) {
    const int x0 = rx0[row], x1 = rx1[row];
    if (x0 >= x1) continue;
    const int y = yFirst + row;
    // The attributes at the span's start: a0 + dadx * dx + dady * dy, as the
    // one-by-one path evaluates them.
    const float fxs = float(x0) - sp.x0, fys = float(y) - sp.y0;
    const __m256 a0v = _mm256_add_ps(_mm256_add_ps(spA, _mm256_mul_ps(spDx, _mm256_set1_ps(fxs))),
                                     _mm256_mul_ps(spDy, _mm256_set1_ps(fys)));
    __m128 va[kAttrSR];
    for (int k = 0; k < kAttrSR; ++k)
        va[k] = _mm256_castps256_ps128(_mm256_permutevar8x32_ps(a0v, _mm256_set1_epi32(k)));
    uint32_t* const cb = s.cbuf + size_t(y) * s.pitch;
    float* const zb = s.zbuf ? s.zbuf + size_t(y) * s.pitch : nullptr;
    __m256i constDif = _mm256_setzero_si256();
    if (constColor) {
        uint32_t c;
        if (sp.flat) c = (ToByte(sp.flatA) << 24) | (ToByte(sp.flatR) << 16) | (ToByte(sp.flatG) << 8) | ToByte(sp.flatB);
        else {
            alignas(32) float a0[kAttrSR];
            _mm256_store_ps(a0, a0v);
            c = (ToByte(a0[kAttrA]) << 24) | (ToByte(a0[kAttrR]) << 16) | (ToByte(a0[kAttrG]) << 8) | ToByte(a0[kAttrB]);
        }
        constDif = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(c)));
    }
    // The last group may hold fewer than four pixels: its other lanes are masked
    // and never read from or written to memory.
    for (int x = x0; x < x1; x += 4) {
        const int lanes = std::min(4, x1 - x);
        const unsigned valid = (1u << lanes) - 1;
        const __m128i lm = _mm_cmplt_epi32(laneIdx, _mm_set1_epi32(lanes));
        // Four whole pixels of the row may be read (and rewritten unchanged) even
        // where the span ends sooner.
        const bool inRow = x + 4 <= rowEnd;
        const float b = float(x - x0);
        const __m128 t = _mm_setr_ps(b, b + 1.0f, b + 2.0f, b + 3.0f);
        const __m128 z = _mm_add_ps(va[kAttrZ], _mm_mul_ps(vd[kAttrZ], t));
        const __m128 zc = _mm_min_ps(_mm_max_ps(z, zero4), one4);
        unsigned mask = valid;
        if (zMode == 1 || zMode == 2) {
            const __m128 old = inRow ? _mm_loadu_ps(zb + x) : _mm_maskload_ps(zb + x, lm);
            mask &= unsigned(_mm_movemask_ps(zMode == 1 ? _mm_cmple_ps(zc, old) : _mm_cmplt_ps(zc, old)));
        } else if (zMode == 3) {
            alignas(16) float zz[4];
            _mm_store_ps(zz, zc);
            for (int k = 0; k < lanes; ++k)
                if (!CompareZ(s.zFunc, zz[k], zb[x + k])) mask &= ~(1u << k);
        }
        if (!mask) continue;
        __m128 w = one4;
        if (Persp) w = _mm_div_ps(one4, _mm_add_ps(va[kAttrRhw], _mm_mul_ps(vd[kAttrRhw], t)));
        // Diffuse, as bytes in 16-bit lanes: [b g r a] per pixel.
        __m256i dif;
        if (constColor) {
            dif = constDif;
        } else {
            const __m128i bb = ByteOf(_mm_add_ps(va[kAttrB], _mm_mul_ps(vd[kAttrB], t)), w), gg = ByteOf(_mm_add_ps(va[kAttrG], _mm_mul_ps(vd[kAttrG], t)), w);
            const __m128i rr = ByteOf(_mm_add_ps(va[kAttrR], _mm_mul_ps(vd[kAttrR], t)), w), aa = ByteOf(_mm_add_ps(va[kAttrA], _mm_mul_ps(vd[kAttrA], t)), w);
            const __m128i bg = _mm_unpacklo_epi16(_mm_packs_epi32(bb, bb), _mm_packs_epi32(gg, gg));
            const __m128i ra = _mm_unpacklo_epi16(_mm_packs_epi32(rr, rr), _mm_packs_epi32(aa, aa));
            dif = _mm256_set_m128i(_mm_unpackhi_epi32(bg, ra), _mm_unpacklo_epi32(bg, ra));
        }
        __m256i c;
        if (Kind == kKindNoTexDiffuse || !hasTex) {
            c = dif;
            if (Kind == kKindModulateAlphaTex) c = _mm256_blend_epi16(c, c255, 0x88);  // white texture alpha
        } else {
            __m128i fu = FixedOf(_mm_mul_ps(_mm_add_ps(va[kAttrU], _mm_mul_ps(vd[kAttrU], t)), w), ftw);
            __m128i fv = FixedOf(_mm_mul_ps(_mm_add_ps(va[kAttrV], _mm_mul_ps(vd[kAttrV], t)), w), fth);
            if (Linear) {
                fu = _mm_sub_epi32(fu, i128);
                fv = _mm_sub_epi32(fv, i128);
            }
            const __m128i xi = _mm_srai_epi32(fu, 8), yi = _mm_srai_epi32(fv, 8);
            __m128i xa, ya;
            if (Wrap) {
                xa = _mm_and_si128(xi, mx);
                ya = _mm_and_si128(yi, my);
            } else {
                xa = _mm_min_epi32(_mm_max_epi32(xi, z128), mx);
                ya = _mm_min_epi32(_mm_max_epi32(yi, z128), my);
            }
            const __m128i vtw = _mm_set1_epi32(tw);
            const __m128i rowA = rowShift ? _mm_sll_epi32(ya, twShift) : _mm_mullo_epi32(ya, vtw);
            if (!Linear) {
                c = _mm256_cvtepu8_epi16(Fetch4(s.tex, _mm_add_epi32(rowA, xa)));
            } else {
                const __m128i one = _mm_set1_epi32(1);
                __m128i xb, yb;
                if (Wrap) {
                    xb = _mm_and_si128(_mm_add_epi32(xi, one), mx);
                    yb = _mm_and_si128(_mm_add_epi32(yi, one), my);
                } else {
                    xb = _mm_min_epi32(_mm_max_epi32(_mm_add_epi32(xi, one), z128), mx);
                    yb = _mm_min_epi32(_mm_max_epi32(_mm_add_epi32(yi, one), z128), my);
                }
                const __m128i rowB = rowShift ? _mm_sll_epi32(yb, twShift) : _mm_mullo_epi32(yb, vtw);
                const __m128i fx7 = _mm_slli_epi32(_mm_and_si128(fu, i255), 7);
                const __m128i fy7 = _mm_slli_epi32(_mm_and_si128(fv, i255), 7);
                const __m256i wx = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(fx7), spread4);
                const __m256i wy = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(fy7), spread4);
                __m256i top, bot;
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(xb, _mm_add_epi32(xa, one))) == 0xFFFF) {
                    // Each pixel's two texels side by side in memory: one 64-bit load per row.
                    alignas(16) int32_t ia[4], ib[4];
                    _mm_store_si128(reinterpret_cast<__m128i*>(ia), _mm_add_epi32(rowA, xa));
                    _mm_store_si128(reinterpret_cast<__m128i*>(ib), _mm_add_epi32(rowB, xa));
                    const uint32_t* const tx = s.tex;
                    const __m256i r0 = Load2x64(tx + ia[0], tx + ia[1], tx + ia[2], tx + ia[3]);
                    const __m256i r1 = Load2x64(tx + ib[0], tx + ib[1], tx + ib[2], tx + ib[3]);
                    top = LerpW(_mm256_shuffle_epi8(r0, selL), _mm256_shuffle_epi8(r0, selR), wx);
                    bot = LerpW(_mm256_shuffle_epi8(r1, selL), _mm256_shuffle_epi8(r1, selR), wx);
                } else {
                    const __m128i t00 = Fetch4(s.tex, _mm_add_epi32(rowA, xa));
                    const __m128i t10 = Fetch4(s.tex, _mm_add_epi32(rowA, xb));
                    const __m128i t01 = Fetch4(s.tex, _mm_add_epi32(rowB, xa));
                    const __m128i t11 = Fetch4(s.tex, _mm_add_epi32(rowB, xb));
                    top = LerpW(_mm256_cvtepu8_epi16(t00), _mm256_cvtepu8_epi16(t10), wx);
                    bot = LerpW(_mm256_cvtepu8_epi16(t01), _mm256_cvtepu8_epi16(t11), wx);
                }
                c = LerpW(top, bot, wy);
            }
            if (Kind == kKindModulate) c = Mul255y(c, dif);
            else c = _mm256_blend_epi16(Mul255y(c, dif), c, 0x88);  // alpha from the texture
        }
        if (alphaTest) {
            mask &= AlphaMask4(s, c);
            if (!mask) continue;
        }
        if (BlendKind == kBlendSrcOver) {
            const __m128i old = inRow ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x))
                                      : _mm_maskload_epi32(reinterpret_cast<const int*>(cb + x), lm);
            const __m256i dst = _mm256_cvtepu8_epi16(old);
            const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xFF), 0xFF);
            c = _mm256_add_epi16(Mul255y(c, a), Mul255y(dst, _mm256_sub_epi16(c255, a)));
        }
        const __m128i out = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(c, c), 0x08));
        // Only the passing lanes change.
        const __m128i sm = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(int(mask)), bits), bits);
        if (inRow) {
            __m128i* const cp = reinterpret_cast<__m128i*>(cb + x);
            _mm_storeu_si128(cp, _mm_blendv_epi8(_mm_loadu_si128(cp), out, sm));
            if (zWrite) _mm_storeu_ps(zb + x, _mm_blendv_ps(_mm_loadu_ps(zb + x), zc, _mm_castsi128_ps(sm)));
        } else {
            _mm_maskstore_epi32(reinterpret_cast<int*>(cb + x), sm, out);
            if (zWrite) _mm_maskstore_ps(zb + x, sm, zc);
        }
    }
    }
}



template <bool P, int K, int B>
void GeneralDispatchLW(const PipeState& s, const SpanSetup& sp, const Rows& r, bool cc, bool linear, bool wrap) {
    if (linear) {
        wrap ? GeneralSpanAvx2<P, K, B, true, true>(s, sp, r.y, r.n, r.x0, r.x1, cc)
             : GeneralSpanAvx2<P, K, B, true, false>(s, sp, r.y, r.n, r.x0, r.x1, cc);
    } else {
        wrap ? GeneralSpanAvx2<P, K, B, false, true>(s, sp, r.y, r.n, r.x0, r.x1, cc)
             : GeneralSpanAvx2<P, K, B, false, false>(s, sp, r.y, r.n, r.x0, r.x1, cc);
    }
}
template <bool P, int K>
void GeneralDispatchB(const PipeState& s, const SpanSetup& sp, const Rows& r, bool cc, bool linear, bool wrap) {
    if (s.blendKind == kBlendSrcOver) GeneralDispatchLW<P, K, kBlendSrcOver>(s, sp, r, cc, linear, wrap);
    else GeneralDispatchLW<P, K, kBlendNone>(s, sp, r, cc, linear, wrap);
}
template <bool P>
void GeneralDispatchK(const PipeState& s, const SpanSetup& sp, const Rows& r, bool cc, bool linear, bool wrap) {
    switch (s.kind) {
        case kKindModulate: GeneralDispatchB<P, kKindModulate>(s, sp, r, cc, linear, wrap); break;
        case kKindModulateAlphaTex: GeneralDispatchB<P, kKindModulateAlphaTex>(s, sp, r, cc, linear, wrap); break;
        default: GeneralDispatchB<P, kKindNoTexDiffuse>(s, sp, r, cc, linear, wrap); break;
    }
}

}  // namespace


void GeneralDispatch(const PipeState& s, const SpanSetup& sp, const Rows& r) {
    const bool cc = sp.constColor || sp.flat;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    sp.persp ? GeneralDispatchK<true>(s, sp, r, cc, linear, s.wrapPow2)
             : GeneralDispatchK<false>(s, sp, r, cc, linear, s.wrapPow2);
}

}  // namespace pix
}  // namespace gfx
