// The pixel pipeline: texture sampling (point and linear, wrap/mirror/clamp/border),
// texture stage 0, specular add, alpha test, depth test and blending.
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"

namespace gfx {

namespace {

// a * b / 255, rounded to nearest, for a and b in 0..255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

inline int ToFixed(float v) {  // v * 256, rounded, kept within int range
    float f = v * 256.0f;
    f = f < -1073741824.0f ? -1073741824.0f : (f > 1073741824.0f ? 1073741824.0f : f);
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

constexpr uint32_t kTaSelectMask = 0x0F, kTaComplement = 0x10, kTaAlphaReplicate = 0x20;

inline uint32_t Arg(uint32_t arg, uint32_t diffuse, uint32_t tex, uint32_t tfactor, uint32_t highlight) {
    uint32_t v;
    switch (arg & kTaSelectMask) {
        case TA_TEXTURE: v = tex; break;
        case TA_TFACTOR: v = tfactor; break;
        case TA_SPECULAR: v = highlight; break;
        default: v = diffuse; break;  // diffuse, and current (= diffuse at stage 0)
    }
    if (arg & kTaComplement) v = ~v;
    if (arg & kTaAlphaReplicate) {
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
        case 8: {  // add signed
            const int v = int(a1) + int(a2) - 128;
            return uint32_t(std::clamp(v, 0, 255));
        }
        case 9: {  // add signed 2x
            const int v = (int(a1) + int(a2) - 128) * 2;
            return uint32_t(std::clamp(v, 0, 255));
        }
        case 10: return a1 > a2 ? a1 - a2 : 0;  // subtract
        case 11: return std::min<uint32_t>(255, a1 + a2 - Mul255(a1, a2));  // add smooth
        default: return a1;
    }
}

uint32_t CombineGeneric(const PipeState& s, uint32_t diffuse, uint32_t tex, uint32_t highlight) {
    uint32_t rgb;
    if (s.colorOp == TOP_DISABLE) {
        rgb = diffuse & 0x00FFFFFF;
    } else {
        const uint32_t c1 = Arg(s.colorArg1, diffuse, tex, s.tfactor, highlight);
        const uint32_t c2 = Arg(s.colorArg2, diffuse, tex, s.tfactor, highlight);
        rgb = (Op(s.colorOp, Ch(c1, 16), Ch(c2, 16)) << 16) | (Op(s.colorOp, Ch(c1, 8), Ch(c2, 8)) << 8) |
              Op(s.colorOp, Ch(c1, 0), Ch(c2, 0));
    }
    uint32_t a;
    if (s.colorOp == TOP_DISABLE || s.alphaOp == TOP_DISABLE) {
        a = diffuse >> 24;
    } else {
        const uint32_t c1 = Arg(s.alphaArg1, diffuse, tex, s.tfactor, highlight);
        const uint32_t c2 = Arg(s.alphaArg2, diffuse, tex, s.tfactor, highlight);
        a = Op(s.alphaOp, c1 >> 24, c2 >> 24);
    }
    return (a << 24) | rgb;
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

// Blend factor for one channel.  `ch` is the channel's value in src/dst, `sa` and
// `da` the alphas; `isAlpha` for the alpha channel.
inline uint32_t Factor(uint32_t f, uint32_t sc, uint32_t dc, uint32_t sa, uint32_t da, bool isAlpha) {
    switch (f) {
        case BLEND_ZERO: return 0;
        case BLEND_ONE: return 255;
        case BLEND_SRCCOLOR: return sc;
        case BLEND_INVSRCCOLOR: return 255 - sc;
        case BLEND_SRCALPHA: return sa;
        case BLEND_INVSRCALPHA: return 255 - sa;
        case BLEND_DESTALPHA: return da;
        case BLEND_INVDESTALPHA: return 255 - da;
        case BLEND_DESTCOLOR: return dc;
        case BLEND_INVDESTCOLOR: return 255 - dc;
        case BLEND_SRCALPHASAT: return isAlpha ? 255 : std::min(sa, 255 - da);
        case 12: return sa;        // both src alpha (as source: src alpha)
        case 13: return 255 - sa;  // both inv src alpha
        default: return 255;
    }
}

uint32_t BlendGeneric(const PipeState& s, uint32_t src, uint32_t dst) {
    uint32_t srcF = s.srcBlend, dstF = s.dstBlend;
    if (srcF == 12) { srcF = BLEND_SRCALPHA; dstF = BLEND_INVSRCALPHA; }
    if (srcF == 13) { srcF = BLEND_INVSRCALPHA; dstF = BLEND_SRCALPHA; }
    const uint32_t sa = src >> 24, da = dst >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const bool isAlpha = shift == 24;
        const uint32_t sc = Ch(src, shift), dc = Ch(dst, shift);
        uint32_t r;
        switch (s.blendOp) {
            case BLENDOP_MIN: r = std::min(sc, dc); break;
            case BLENDOP_MAX: r = std::max(sc, dc); break;
            default: {
                const int a = int(Mul255(sc, Factor(srcF, sc, dc, sa, da, isAlpha)));
                const int b = int(Mul255(dc, Factor(dstF, sc, dc, sa, da, isAlpha)));
                int v;
                if (s.blendOp == BLENDOP_SUBTRACT) v = a - b;
                else if (s.blendOp == BLENDOP_REVSUBTRACT) v = b - a;
                else v = a + b;
                r = uint32_t(std::clamp(v, 0, 255));
            }
        }
        out |= r << shift;
    }
    return out;
}

// The common source-over blend, two channels at a time.
inline uint32_t BlendSrcOver(uint32_t src, uint32_t dst) {
    const uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    const uint32_t ia = 255 - sa;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t v = Mul255(Ch(src, shift), sa) + Mul255(Ch(dst, shift), ia);
        out |= std::min<uint32_t>(v, 255) << shift;
    }
    return out;
}

inline uint32_t ToByte(float v) {
    const int i = int(v + 0.5f);
    return uint32_t(i < 0 ? 0 : (i > 255 ? 255 : i));
}

enum : int { kKindGeneric = 0, kKindModulate = 1, kKindNoTexDiffuse = 2, kKindModulateAlphaTex = 3 };
enum : int { kBlendNone = 0, kBlendSrcOver = 1, kBlendGeneric = 2 };

// Attributes are evaluated at each pixel from the span's start (start + step * n),
// not accumulated, so four pixels at a time give the very same values.
template <bool Persp, bool ConstColor, int Kind, int BlendKind>
void ShadeSpanT(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1, int xFrom) {
    const float fx = float(x0) - sp.x0, fy = float(y) - sp.y0;
    float a0[kAttrCount];
    for (int k = 0; k < kAttrCount; ++k) a0[k] = sp.a0[k] + sp.dadx[k] * fx + sp.dady[k] * fy;
    const float* const d = sp.dadx;
    uint32_t* const cb = s.cbuf + size_t(y) * s.pitch;
    float* const zb = s.zbuf ? s.zbuf + size_t(y) * s.pitch : nullptr;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    const bool hasTex = s.tex != nullptr;
    const bool zTest = s.zTest, zWrite = s.zWrite;
    uint32_t constDiffuse = 0, constHighlight = 0;
    if (sp.flat) {
        constDiffuse = (ToByte(sp.flatA) << 24) | (ToByte(sp.flatR) << 16) | (ToByte(sp.flatG) << 8) | ToByte(sp.flatB);
        constHighlight = (ToByte(sp.flatSR) << 16) | (ToByte(sp.flatSG) << 8) | ToByte(sp.flatSB);
    } else if (ConstColor) {
        constDiffuse = (ToByte(a0[kAttrA]) << 24) | (ToByte(a0[kAttrR]) << 16) | (ToByte(a0[kAttrG]) << 8) |
                       ToByte(a0[kAttrB]);
        constHighlight = (ToByte(a0[kAttrSR]) << 16) | (ToByte(a0[kAttrSG]) << 8) | ToByte(a0[kAttrSB]);
    }
    const bool useConst = sp.flat || ConstColor;
    for (int x = xFrom; x < x1; ++x) {
        const float t = float(x - x0);
        auto A = [&](int k) { return a0[k] + d[k] * t; };
        const float z = A(kAttrZ);
        float w = 1.0f;
        if (Persp) w = 1.0f / A(kAttrRhw);
        const float zc = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
        if (zTest && !CompareZ(s.zFunc, zc, zb[x])) continue;
        uint32_t diffuse, highlight;
        if (useConst) {
            diffuse = constDiffuse;
            highlight = constHighlight;
        } else {
            diffuse = (ToByte(A(kAttrA) * w) << 24) | (ToByte(A(kAttrR) * w) << 16) | (ToByte(A(kAttrG) * w) << 8) |
                      ToByte(A(kAttrB) * w);
            highlight = s.specular || Kind == kKindGeneric
                       ? (ToByte(A(kAttrSR) * w) << 16) | (ToByte(A(kAttrSG) * w) << 8) | ToByte(A(kAttrSB) * w)
                       : 0u;
        }
        uint32_t color;
        if (Kind == kKindNoTexDiffuse) {
            color = diffuse;
        } else {
            uint32_t tex = 0xFFFFFFFFu;
            if (hasTex) {
                const float u = A(kAttrU) * w, v = A(kAttrV) * w;
                tex = linear ? SampleLinear(s, u, v) : SamplePoint(s, u, v);
            }
            if (Kind == kKindModulateAlphaTex) {
                color = (tex & 0xFF000000u) | (Mul255(Ch(tex, 16), Ch(diffuse, 16)) << 16) |
                        (Mul255(Ch(tex, 8), Ch(diffuse, 8)) << 8) | Mul255(Ch(tex, 0), Ch(diffuse, 0));
            } else if (Kind == kKindModulate) {
                color = (Mul255(tex >> 24, diffuse >> 24) << 24) | (Mul255(Ch(tex, 16), Ch(diffuse, 16)) << 16) |
                        (Mul255(Ch(tex, 8), Ch(diffuse, 8)) << 8) | Mul255(Ch(tex, 0), Ch(diffuse, 0));
            } else {
                color = CombineGeneric(s, diffuse, tex, highlight);
            }
        }
        if (s.specular) {
            color = (color & 0xFF000000u) | (std::min<uint32_t>(255, Ch(color, 16) + Ch(highlight, 16)) << 16) |
                    (std::min<uint32_t>(255, Ch(color, 8) + Ch(highlight, 8)) << 8) |
                    std::min<uint32_t>(255, Ch(color, 0) + Ch(highlight, 0));
        }
        if (s.alphaTest && !Compare(s.alphaFunc, color >> 24, s.alphaRef)) continue;
        if (BlendKind == kBlendSrcOver) color = BlendSrcOver(color, cb[x]);
        else if (BlendKind == kBlendGeneric) color = BlendGeneric(s, color, cb[x]);
        if (s.xrgbTarget) color |= 0xFF000000u;
        cb[x] = color;
        if (zWrite) zb[x] = zc;
    }
}

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

// The same span, four pixels at a time with 256-bit integer lanes (the same
// arithmetic, so the same pixels).
bool g_simdEnabled = true;

// Asked once at start-up (the processor model is read first).
const bool g_hasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));

inline bool HasAvx2() { return g_hasAvx2 && g_simdEnabled; }

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

__attribute__((target("avx2"))) inline __m256i PairWeights(int fa, int fb) {  // [pixel a | pixel b]
    const short a0 = short(256 - fa), a1 = short(fa), b0 = short(256 - fb), b1 = short(fb);
    return _mm256_set_epi16(b1, b1, b1, b1, b0, b0, b0, b0, a1, a1, a1, a1, a0, a0, a0, a0);
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

// Horizontal bilinear step of two pixels (one per 128-bit lane): the result in the
// low 64 bits of each lane.
__attribute__((target("avx2"))) inline __m256i HorizPair(__m256i v, __m256i w) {
    v = _mm256_mullo_epi16(v, w);
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(v, _mm256_srli_si256(v, 8)), _mm256_set1_epi16(128)), 8);
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

// Rows of constant v and constant depth (screen-aligned sprites and squares).
template <int BlendKind, int Sample>
__attribute__((target("avx2"))) void AffineSpanAvx2(const PipeState& s, int y, int x0, int x1, int64_t fu,
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
    if constexpr (Sample == 2) {
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
        __m256i c;
        if (Sample == 2) {
            // Weights of 1/256 shifted up by 7, repeated over each pixel's four channels.
            const __m128i fx7 = _mm_slli_epi32(_mm_and_si128(gu4, m255), 7);
            const __m256i wx = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(fx7), selW);
            // lanes of r0: [pixel 0 pair, pixel 1 pair | pixel 2 pair, pixel 3 pair]
            const __m256i r0 = Load2x64(row0 + i0, row0 + i1, row0 + i2, row0 + i3);
            const __m256i r1 = Load2x64(row1 + i0, row1 + i1, row1 + i2, row1 + i3);
            const __m256i top = LerpW(_mm256_shuffle_epi8(r0, selL), _mm256_shuffle_epi8(r0, selR), wx);
            const __m256i bot = LerpW(_mm256_shuffle_epi8(r1, selL), _mm256_shuffle_epi8(r1, selR), wx);
            c = LerpW(top, bot, wy7);  // [0 1 | 2 3]
        } else if (Sample == 0) {  // four neighbouring texels
            c = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + i0)));
            (void)i1, (void)i2, (void)i3;
        } else {
            c = _mm256_cvtepu8_epi16(_mm_set_epi32(int(row0[i3]), int(row0[i2]), int(row0[i1]), int(row0[i0])));
        }
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
    }
    // The alpha test against a reference: "greater" and "greater or equal" compare
    // lanes directly, other functions go through the one-by-one comparison.
    const bool alphaVec = alphaTest && (s.alphaFunc == CMP_GREATER || s.alphaFunc == CMP_GREATEREQUAL);
    const __m256i aref = _mm256_set1_epi16(short(int(s.alphaRef) - (s.alphaFunc == CMP_GREATEREQUAL ? 1 : 0)));
    const __m128i bits = _mm_setr_epi32(1, 2, 4, 8), ones = _mm_set1_epi32(-1);
    for (; x + 4 <= x1; x += 4, fu4 = _mm_add_epi32(fu4, step4)) {
        // Pixels that pass so far, as whole 32-bit lanes.
        __m128i pass = ones;
        __m128 zOld = zc4;
        if (zMode == 1 || zMode == 2) {
            zOld = _mm_loadu_ps(zb + x);
            pass = _mm_castps_si128(zMode == 1 ? _mm_cmple_ps(zc4, zOld) : _mm_cmplt_ps(zc4, zOld));
        }
        else if (zMode == 3) {
            unsigned m = 0;
            for (int k = 0; k < 4; ++k)
                if (CompareZ(s.zFunc, zc, zb[x + k])) m |= 1u << k;
            pass = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(int(m)), bits), bits);
        }
        if (zMode != 0 && _mm_testz_si128(pass, pass)) continue;
        const __m128i gu4 = _mm_srai_epi32(_mm_add_epi32(fu4, r128), 8);
        const __m128i xi4 = _mm_srai_epi32(gu4, 8);
        const int i0 = _mm_cvtsi128_si32(xi4), i1 = _mm_extract_epi32(xi4, 1), i2 = _mm_extract_epi32(xi4, 2),
                  i3 = _mm_extract_epi32(xi4, 3);
        __m256i c;
        if (Sample == 2) {
            // Weights of 1/256 shifted up by 7, repeated over each pixel's four channels.
            const __m128i fx7 = _mm_slli_epi32(_mm_and_si128(gu4, m255), 7);
            const __m256i wx = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(fx7), selW);
            // lanes of r0: [pixel 0 pair, pixel 1 pair | pixel 2 pair, pixel 3 pair]
            const __m256i r0 = Load2x64(row0 + i0, row0 + i1, row0 + i2, row0 + i3);
            const __m256i r1 = Load2x64(row1 + i0, row1 + i1, row1 + i2, row1 + i3);
            const __m256i top = LerpW(_mm256_shuffle_epi8(r0, selL), _mm256_shuffle_epi8(r0, selR), wx);
            const __m256i bot = LerpW(_mm256_shuffle_epi8(r1, selL), _mm256_shuffle_epi8(r1, selR), wx);
            c = LerpW(top, bot, wy7);  // [0 1 | 2 3]
        } else if (Sample == 0) {  // four neighbouring texels
            c = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + i0)));
            (void)i1, (void)i2, (void)i3;
        } else {
            c = _mm256_cvtepu8_epi16(_mm_set_epi32(int(row0[i3]), int(row0[i2]), int(row0[i1]), int(row0[i0])));
        }
        if (!white) c = Mul255y(c, dif);
        if (alphaTest) {
            // Failing pixels keep the target unchanged: a select, not a branch
            // (transparent and opaque texels mix unpredictably in a sprite).
            __m128i am;
            if (alphaVec) {
                const __m256i a16 = _mm256_cmpgt_epi16(c, aref);
                const __m256i w = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a16, 0xFF), 0xFF);
                am = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packs_epi16(w, w), 0x08));
            } else {
                am = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(int(AlphaMask4(s, c))), bits), bits);
            }
            pass = _mm_and_si128(pass, am);
        }
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
        if (BlendKind == 1) {
            const __m256i dst = _mm256_cvtepu8_epi16(old);
            const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xFF), 0xFF);
            c = _mm256_add_epi16(Mul255y(c, a), Mul255y(dst, _mm256_sub_epi16(c255, a)));
        }
        const __m128i out = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(c, c), 0x08));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x), _mm_blendv_epi8(old, out, pass));
        if (zWrite) {
            if (zMode != 1 && zMode != 2) zOld = _mm_loadu_ps(zb + x);
            _mm_storeu_ps(zb + x, _mm_blendv_ps(zOld, zc4, _mm_castsi128_ps(pass)));
        }
    }
    if (x < x1) AffineSpan<BlendKind, Sample>(s, y, x, x1, fu + dfu * (x - x0), fv, dfu, 0, z, 0.0f, diffuse);
}

template <int BlendKind, int Sample>
inline void AffineDispatch(const PipeState& s, int y, int x0, int x1, int64_t fu, int64_t fv, int64_t dfu,
                           int64_t dfv, float z, float dz, uint32_t diffuse) {
    // 32-bit coordinates suffice: the span was checked to stay inside the texture.
    if (x1 - x0 >= 4 && dfv == 0 && dz == 0.0f && HasAvx2() && fu >= 0 && fu + dfu * (x1 - x0) < (int64_t(1) << 31) &&
        fu + dfu * (x1 - x0) >= 0)
        AffineSpanAvx2<BlendKind, Sample>(s, y, x0, x1, fu, fv, dfu, z, diffuse);
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
void AffineBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1);

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
    for (int y = y0; y < y1; ++y) {
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
    }
}

using SpanFn = void (*)(const PipeState&, const SpanSetup&, int, int, int, int);

// ---- General spans, four pixels at a time ----------------------------------------------
// Gouraud colour, perspective-correct coordinates, texture modulate (colour, or colour
// and alpha), wrap or clamp addressing, no blending or source-over: the 3D scenes.
// The arithmetic is the general path's, lane for lane.


__attribute__((target("avx2"))) inline __m128 AttrAt(const float* a0, const float* d, int k, __m128 t) {
    return _mm_add_ps(_mm_set1_ps(a0[k]), _mm_mul_ps(_mm_set1_ps(d[k]), t));
}
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

__attribute__((target("avx2"))) inline __m256i Lerp16(__m256i p, __m256i q, __m256i w0, __m256i w1) {
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(p, w0), _mm256_mullo_epi16(q, w1)), _mm256_set1_epi16(128)),
        8);
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



template <bool P, bool C, int K>
SpanFn PickBlend(int b) {
    switch (b) {
        case kBlendNone: return &ShadeSpanT<P, C, K, kBlendNone>;
        case kBlendSrcOver: return &ShadeSpanT<P, C, K, kBlendSrcOver>;
        default: return &ShadeSpanT<P, C, K, kBlendGeneric>;
    }
}
template <bool P, bool C>
SpanFn PickKind(int k, int b) {
    switch (k) {
        case kKindModulate: return PickBlend<P, C, kKindModulate>(b);
        case kKindNoTexDiffuse: return PickBlend<P, C, kKindNoTexDiffuse>(b);
        case kKindModulateAlphaTex: return PickBlend<P, C, kKindModulateAlphaTex>(b);
        default: return PickBlend<P, C, kKindGeneric>(b);
    }
}

struct Rows {
    int y, n;
    const int *x0, *x1;
};

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

// The affine fast path is tried first for these spans.
inline bool AffineCandidate(const PipeState& s, const SpanSetup& sp) {
    return !sp.persp && (sp.constColor || sp.flat) && s.kind == kKindModulate && s.tex && !s.specular &&
           !s.xrgbTarget && s.blendKind != kBlendGeneric;
}

// Spans of this draw and triangle that the four-pixel general path shades.
inline bool GeneralSimd(const PipeState& s, const SpanSetup& sp) {
    if (!(g_simdEnabled && !s.specular && !s.xrgbTarget && s.blendKind != kBlendGeneric &&
          (s.kind == kKindModulate || s.kind == kKindModulateAlphaTex || s.kind == kKindNoTexDiffuse) && HasAvx2()))
        return false;
    const bool clamp = s.addrU == TADDRESS_CLAMP && s.addrV == TADDRESS_CLAMP;
    (void)sp;
    return !s.tex || s.wrapPow2 || clamp;
}

void GeneralDispatch(const PipeState& s, const SpanSetup& sp, const Rows& r) {
    const bool cc = sp.constColor || sp.flat;
    const bool linear = sp.minify ? s.minLinear : s.magLinear;
    sp.persp ? GeneralDispatchK<true>(s, sp, r, cc, linear, s.wrapPow2)
             : GeneralDispatchK<false>(s, sp, r, cc, linear, s.wrapPow2);
}

}  // namespace

bool PipeUsesTexture(const PipeState& s) {
    if (s.colorOp == TOP_DISABLE) return false;
    auto uses = [](uint32_t op, uint32_t a1, uint32_t a2) {
        if (op == TOP_SELECTARG1) return (a1 & kTaSelectMask) == TA_TEXTURE;
        if (op == TOP_SELECTARG2) return (a2 & kTaSelectMask) == TA_TEXTURE;
        return (a1 & kTaSelectMask) == TA_TEXTURE || (a2 & kTaSelectMask) == TA_TEXTURE;
    };
    return uses(s.colorOp, s.colorArg1, s.colorArg2) ||
           (s.alphaOp != TOP_DISABLE && uses(s.alphaOp, s.alphaArg1, s.alphaArg2));
}

void PreparePipe(PipeState& s) {
    s.twPow2 = (s.tw & (s.tw - 1)) == 0;
    s.thPow2 = (s.th & (s.th - 1)) == 0;
    auto isDiffuse = [](uint32_t a) { return a == TA_DIFFUSE || a == TA_CURRENT; };
    const bool modColor = s.colorOp == TOP_MODULATE &&
                          ((s.colorArg1 == TA_TEXTURE && isDiffuse(s.colorArg2)) ||
                           (isDiffuse(s.colorArg1) && s.colorArg2 == TA_TEXTURE));
    const bool modAlpha = s.alphaOp == TOP_MODULATE &&
                          ((s.alphaArg1 == TA_TEXTURE && isDiffuse(s.alphaArg2)) ||
                           (isDiffuse(s.alphaArg1) && s.alphaArg2 == TA_TEXTURE));
    const bool texAlpha = (s.alphaOp == TOP_SELECTARG1 && s.alphaArg1 == TA_TEXTURE) ||
                          (s.alphaOp == TOP_SELECTARG2 && s.alphaArg2 == TA_TEXTURE);
    s.wrapPow2 = s.tex && s.twPow2 && s.thPow2 && s.addrU == TADDRESS_WRAP && s.addrV == TADDRESS_WRAP;
    if (modColor && modAlpha) s.kind = kKindModulate;
    else if (modColor && texAlpha) s.kind = kKindModulateAlphaTex;
    else if (!s.tex && !PipeUsesTexture(s) && (s.colorOp == TOP_DISABLE ||
             ((s.colorOp == TOP_SELECTARG1 && isDiffuse(s.colorArg1)) ||
              (s.colorOp == TOP_SELECTARG2 && isDiffuse(s.colorArg2)))) &&
             (s.colorOp == TOP_DISABLE || s.alphaOp == TOP_DISABLE ||
              (s.alphaOp == TOP_SELECTARG1 && isDiffuse(s.alphaArg1)) ||
              (s.alphaOp == TOP_SELECTARG2 && isDiffuse(s.alphaArg2))))
        s.kind = kKindNoTexDiffuse;
    else s.kind = kKindGeneric;
    if (!s.blend) s.blendKind = kBlendNone;
    else if (s.srcBlend == BLEND_SRCALPHA && s.dstBlend == BLEND_INVSRCALPHA && s.blendOp == BLENDOP_ADD)
        s.blendKind = kBlendSrcOver;
    else s.blendKind = kBlendGeneric;
}

void SetSimdEnabled(bool enabled) { g_simdEnabled = enabled; }

void ShadeSpan(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1) {
    if (x0 >= x1) return;
    if (AffineCandidate(s, sp) && TryAffineSpan(s, sp, y, x0, x1)) return;
    if (GeneralSimd(s, sp)) {
        GeneralDispatch(s, sp, Rows{y, 1, &x0, &x1});
        return;
    }
    SpanFn fn;
    const bool cc = sp.constColor || sp.flat;
    if (sp.persp) fn = cc ? PickKind<true, true>(s.kind, s.blendKind) : PickKind<true, false>(s.kind, s.blendKind);
    else fn = cc ? PickKind<false, true>(s.kind, s.blendKind) : PickKind<false, false>(s.kind, s.blendKind);
    fn(s, sp, y, x0, x1, x0);
}

void ShadeBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1) {
    if (x0 >= x1 || y0 >= y1) return;
    if (AffineCandidate(s, sp) && sp.dady[kAttrU] == 0.0f && sp.dady[kAttrZ] == 0.0f) {
        AffineBlock(s, sp, y0, y1, x0, x1);
        return;
    }
    for (int y = y0; y < y1; ++y) ShadeSpan(s, sp, y, x0, x1);
}

void ShadeRows(const PipeState& s, const SpanSetup& sp, int y, int n, const int* x0, const int* x1) {
    if (n <= 0) return;
    if (!AffineCandidate(s, sp) && GeneralSimd(s, sp)) {
        GeneralDispatch(s, sp, Rows{y, n, x0, x1});
        return;
    }
    for (int i = 0; i < n; ++i) ShadeSpan(s, sp, y + i, x0[i], x1[i]);
}

}  // namespace gfx
