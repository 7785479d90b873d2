// The pixel pipeline: texture sampling (point and linear, wrap/mirror/clamp/border),
// texture stage 0, specular add, alpha test, depth test and blending.
#include <cstring>
#include <vector>

#include "gfx/pixel_internal.h"

namespace gfx {

using namespace pix;

namespace pix {
bool g_simdEnabled = true;
// Asked once at start-up (the processor model is read first).
const bool g_hasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
}  // namespace pix

namespace {

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

// Attributes are evaluated at each pixel from the span's start (start + step * n),
// not accumulated, so the loops that take many pixels at a time give the very same values.
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

using SpanFn = void (*)(const PipeState&, const SpanSetup&, int, int, int, int);

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

}  // namespace

namespace {
// Whether operation `op` of arguments a1 and a2 reads the texture.
bool OpReadsTexture(uint32_t op, uint32_t a1, uint32_t a2) {
    if (op == TOP_DISABLE) return false;
    if (op == TOP_SELECTARG1) return (a1 & kTaSelectMask) == TA_TEXTURE;
    if (op == TOP_SELECTARG2) return (a2 & kTaSelectMask) == TA_TEXTURE;
    return (a1 & kTaSelectMask) == TA_TEXTURE || (a2 & kTaSelectMask) == TA_TEXTURE;
}
// The alpha operation counts only while the colour operation is on.
bool AlphaReadsTexture(const PipeState& s) {
    return s.colorOp != TOP_DISABLE && OpReadsTexture(s.alphaOp, s.alphaArg1, s.alphaArg2);
}
}  // namespace

bool PipeUsesTexture(const PipeState& s) {
    return OpReadsTexture(s.colorOp, s.colorArg1, s.colorArg2) || AlphaReadsTexture(s);
}

void PreparePipe(PipeState& s) {
    s.twPow2 = (s.tw & (s.tw - 1)) == 0;
    s.thPow2 = (s.th & (s.th - 1)) == 0;
    // A stage with no texture bound: each operation that reads the texture (through an
    // argument it uses) gives the current colour instead, the diffuse at this stage,
    // and an operation that does not read it keeps its own result.  So the default
    // stage, MODULATE(TEXTURE, CURRENT) and SELECTARG1(TEXTURE), passes an untextured
    // quad's colour and alpha through (fades and alpha tests work), while
    // SELECTARG1(DIFFUSE | ALPHAREPLICATE) for colour still spreads the diffuse alpha
    // over the colour beside an alpha operation that reads the texture.
    if (!s.tex) {
        if (OpReadsTexture(s.colorOp, s.colorArg1, s.colorArg2)) s.colorOp = TOP_SELECTARG1, s.colorArg1 = TA_CURRENT;
        if (OpReadsTexture(s.alphaOp, s.alphaArg1, s.alphaArg2)) s.alphaOp = TOP_SELECTARG1, s.alphaArg1 = TA_CURRENT;
    }
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
    else if (!s.tex && (s.colorOp == TOP_DISABLE ||
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
    s.addBlend = s.blend && s.srcBlend == BLEND_SRCALPHA && s.dstBlend == BLEND_ONE && s.blendOp == BLENDOP_ADD;
    const bool general = g_hasAvx2 && GeneralSimdStates(s);
    s.perspectiveRows[0] = general ? PerspectiveSpan(s, false) : nullptr;
    s.perspectiveRows[1] = general ? PerspectiveSpan(s, true) : nullptr;
}

void SetSimdEnabled(bool enabled) { g_simdEnabled = enabled; }

// ---- Which loop shades a span ---------------------------------------------------------------------
// Spans come in here: triangles' rows through ShadeRows, screen rectangles through ShadeBlock, lines'
// pixels (and rows the others hand back) through ShadeSpan. The first state that fits picks the loop;
// each vector loop gives the pixels of the one-by-one loop it stands in for (AffineSpan's for
// AffineCandidate spans, ShadeSpanT's for the others). "Vectors": HasAvx2() (the processor's, unless switched off by
// SetSimdEnabled); "masks": HasLaneMasks() (likewise, by SetLaneMasksEnabled).
//
//   state of the span                                              loop                   instructions
//   perspective, GeneralSimdStates, vectors (ShadeRows: the span   GeneralSpanMasked      AVX-512F/VL/BW
//     PreparePipe picked for the draw; ShadeSpan: GeneralDispatch)   (with masks)           8 px
//                                                                  GeneralSpanAvx2        AVX2, 8 px
//   AffineCandidate (affine; one colour; a texture, plainly modulated: colour and alpha each the
//   texture's times the diffuse's; no specular; no blend or source-over; a target other than
//   X8R8G8B8), texels inside the texture, v and depth the same along the row, vectors:
//     texels one to one, or point-sampled at another step          CopyRowsAvx2           AVX2, 8 px
//                                                                    (Gather)
//     filtered, the rows of a rectangle whose u and depth are      FilteredRowAvx2        AVX2, 8 px
//       the same down its columns too, dady of u and of depth 0
//       (ShadeBlock's AffineBlock; other rectangles go row by
//       row, as the spans here)
//       ... black colour, source-over, no alpha test nor depth     BlackRowAvx2           AVX2, 16 px
//           writes
//     filtered, one span of four pixels or more                    FilteredSpanAvx2       AVX2, 4 px
//   AffineCandidate, texels inside the texture, otherwise          AffineSpan             SSE2, 1 px
//   affine, GeneralSimd (GeneralSimdStates and vectors):
//     untextured, one colour                                       FlatRows               AVX2, 8 px
//     filtered, plainly modulated, one colour, v the same along    FixedColourColumns: the filtered or
//       rows that span 16 px or more                                 black rows above, checked where a
//                                                                    row's own columns or depth differ
//                                                                    (CheckedRow)
//     filtered, plainly modulated, one colour                      FixedColourRows        AVX2, 8 px
//     otherwise (the texture's alpha alone among them, of one      GeneralSpanAvx2        AVX2, 8 px
//       colour or not)
//   anything else (no vectors, specular, an X8R8G8B8 target,       ShadeSpanT             scalar, 1 px
//     another stage, blend or addressing)
//   So the routes of one colour and a texture take plainly modulated spans alone (kKindModulate):
//   those that keep the texture's alpha (kKindModulateAlphaTex) go to GeneralSpanAvx2 or ShadeSpanT.
//   The general spans' second step: FinishGroupsMasked (with masks) or FinishGroups (AVX2).
//
// The choice goes on in four more places:
//   GeneralDispatch, AffineDispatch<K>, SpanOf (pixel_general.cpp): the general spans and their kin;
//   `finish` in the general span loop (pixel_general_span.inc): its second step;
//   TryAffineSpan, AffineBlock, AffineDispatch<BlendKind, Sample> (pixel_affine.cpp): copied, filtered or
//     one-by-one affine spans;
//   StartFilterBlock, FilteredRowOf (pixel_affine.cpp): filtered rows or black rows, checked or not.

namespace {
void ShadeSpanWhole(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1) {
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

void ShadeRowsWhole(const PipeState& s, const SpanSetup& sp, int y, int n, const int* x0, const int* x1) {
    // (The span GeneralDispatch would take, chosen for the draw.)
    if (sp.persp && s.perspectiveRows[0] && g_simdEnabled) {
        const bool linear = sp.minify ? s.minLinear : s.magLinear;
        s.perspectiveRows[linear ? 1 : 0](s, sp, y, n, x0, x1, sp.constColor || sp.flat);
        return;
    }
    if (!AffineCandidate(s, sp) && GeneralSimd(s, sp)) {
        GeneralDispatch(s, sp, Rows{y, n, x0, x1});
        return;
    }
    for (int i = 0; i < n; ++i) ShadeSpanWhole(s, sp, y + i, x0[i], x1[i]);
}
}  // namespace

// ---- Drawing on the wanted tiles alone --------------------------------------------------------------
// While frame reuse draws a frame's changed tiles again, only their pixels may change, each to
// the value drawing the whole call gives it. Rectangles cut their rows at the tiles' edges
// themselves where the pixels they draw do not depend on where a row starts (AffineBlock,
// ShadeBlock). Any other span is drawn as it is when it lies wholly on wanted tiles and left
// out when it meets none; one partly on them is drawn whole on the spare buffer, given the
// target's pixels (and depths) of that span first, and its wanted pixels are taken back from
// there: every pixel is worked out from its own earlier colour and depth alone.
void pix::ShadeOnWantedBy(const PipeState& s, int y, int n, const int* x0, const int* x1, ShadeOnFn shade,
                          const void* what) {
    if (!s.wantTiles) {
        shade(s, what, y, n, x0, x1);
        return;
    }
    // Each row's span as it is (a0, a1) or on the spare buffer (b0, b1); empty where not.
    thread_local std::vector<int> spans;
    spans.resize(size_t(n) * 4);
    int* const a0 = spans.data();
    int* const a1 = a0 + n;
    int* const b0 = a1 + n;
    int* const b1 = b0 + n;
    bool asIs = false, spare = false;
    for (int i = 0; i < n; ++i) {
        a0[i] = a1[i] = b0[i] = b1[i] = x0[i];
        int runs = 0;
        bool whole = false;
        ForWantedRuns(s, y + i, x0[i], x1[i], [&](int a, int b) {
            ++runs;
            whole = a == x0[i] && b == x1[i];
        });
        if (runs == 0) continue;
        if (whole) {
            a1[i] = x1[i];
            asIs = true;
        } else {
            b1[i] = x1[i];
            spare = true;
        }
    }
    PipeState p = s;
    p.wantTiles = nullptr;
    if (asIs) shade(p, what, y, n, a0, a1);
    if (!spare) return;
    p.cbuf = s.spareColor;
    p.zbuf = s.zbuf ? s.spareDepth : nullptr;
    const auto copy = [&](const PipeState& from, const PipeState& to, int row, int a, int b) {
        const size_t at = size_t(row) * size_t(s.pitch) + size_t(a), w = size_t(b - a);
        std::memcpy(to.cbuf + at, from.cbuf + at, w * sizeof(uint32_t));
        if (s.zbuf) std::memcpy(to.zbuf + at, from.zbuf + at, w * sizeof(float));
    };
    for (int i = 0; i < n; ++i)
        if (b0[i] < b1[i]) copy(s, p, y + i, b0[i], b1[i]);
    shade(p, what, y, n, b0, b1);
    for (int i = 0; i < n; ++i)
        if (b0[i] < b1[i]) ForWantedRuns(s, y + i, b0[i], b1[i], [&](int a, int b) { copy(p, s, y + i, a, b); });
}

void ShadeSpan(const PipeState& s, const SpanSetup& sp, int y, int x0, int x1) {
    if (x0 >= x1) return;
    if (!s.wantTiles) {
        ShadeSpanWhole(s, sp, y, x0, x1);
        return;
    }
    ShadeOnWanted(s, y, 1, &x0, &x1, [&sp](const PipeState& p, int yy, int, const int* a, const int* b) {
        ShadeSpanWhole(p, sp, yy, *a, *b);
    });
}

// With wanted tiles, a block is cut at their edges where nothing but a pixel's own
// place decides its value; otherwise it is drawn as ShadeOnWanted draws spans.
void ShadeBlock(const PipeState& s, const SpanSetup& sp, int y0, int y1, int x0, int x1) {
    if (x0 >= x1 || y0 >= y1) return;
    if (AffineCandidate(s, sp) && sp.dady[kAttrU] == 0.0f && sp.dady[kAttrZ] == 0.0f) {
        AffineBlock(s, sp, y0, y1, x0, x1);
        return;
    }
    if (!AffineCandidate(s, sp) && GeneralSimd(s, sp)) {
        // All the rows in one batch (the general spans take long batches by parts;
        // rows that share their texel columns share them over the whole block).
        thread_local std::vector<int> bx0, bx1;
        const auto rows = [&](const PipeState& p, int y, int n, const int* a, const int* b) {
            GeneralDispatch(p, sp, Rows{y, n, a, b});
        };
        // A block of one colour and one depth (all a rectangle's depth slopes are
        // nought: clamped, its depth is the same from any first pixel) is drawn on
        // the wanted runs of each band of tile rows.
        if (s.wantTiles && FlatColourRows(s, sp) && sp.dadx[kAttrZ] == 0.0f && sp.dady[kAttrZ] == 0.0f) {
            ForWantedBands(s, y0, y1, x0, x1, [&](int y, int n, int a, int b) {
                bx0.assign(size_t(n), a);
                bx1.assign(size_t(n), b);
                rows(s, y, n, bx0.data(), bx1.data());
            });
            return;
        }
        bx0.assign(size_t(y1 - y0), x0);
        bx1.assign(size_t(y1 - y0), x1);
        ShadeOnWanted(s, y0, y1 - y0, bx0.data(), bx1.data(), rows);
        return;
    }
    for (int y = y0; y < y1; ++y) ShadeSpan(s, sp, y, x0, x1);
}

void ShadeRows(const PipeState& s, const SpanSetup& sp, int y, int n, const int* x0, const int* x1) {
    if (n <= 0) return;
    if (!s.wantTiles) {
        ShadeRowsWhole(s, sp, y, n, x0, x1);
        return;
    }
    ShadeOnWanted(s, y, n, x0, x1, [&sp](const PipeState& p, int yy, int nn, const int* a, const int* b) {
        ShadeRowsWhole(p, sp, yy, nn, a, b);
    });
}

}  // namespace gfx
