#pragma once
// Small helpers for the device tests.
#include <cstdint>
#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx/texture.h"

namespace gfxtest {

struct TL {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kFvfTL = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

// A vertex of the 3D tests: position, normal, diffuse, specular, one texture coordinate.
struct V3 {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse, specular;
    float u, v;
};

inline TL V(float x, float y, uint32_t c = 0xFFFFFFFF, float u = 0, float v = 0, float z = 0) {
    return TL{x, y, z, 1.0f, c, u, v};
}

// A quad covering pixels [x, x+w) x [y, y+h) exactly (corners on pixel edges).
inline void Quad(gfx::Device& d, float x, float y, float w, float h, uint32_t c, float u0 = 0, float v0 = 0,
                 float u1 = 1, float v1 = 1, float z = 0) {
    TL q[4] = {V(x - 0.5f, y - 0.5f, c, u0, v0, z), V(x + w - 0.5f, y - 0.5f, c, u1, v0, z),
               V(x - 0.5f, y + h - 0.5f, c, u0, v1, z), V(x + w - 0.5f, y + h - 0.5f, c, u1, v1, z)};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, q, sizeof(TL));
}

inline uint32_t Px(const gfx::Device& d, int x, int y) { return d.BackBuffer()[size_t(y) * d.Width() + x]; }

// A texture with a deterministic pattern of colours and alphas.
inline gfx::Texture* Pattern(int w, int h, uint32_t seed = 1) {
    auto* t = new gfx::Texture(w, h);
    uint32_t s = seed * 2654435761u + 12345;
    for (int i = 0; i < w * h; ++i) {
        s = s * 1664525u + 1013904223u;
        t->Pixels()[i] = s | 0xFF000000u;
    }
    return t;
}

// Filter and addressing of texture stage 0, the same both ways.
inline void SetSampling(gfx::Device& d, uint32_t filter, uint32_t address) {
    d.SetSamplerState(0, gfx::SAMP_MAGFILTER, filter);
    d.SetSamplerState(0, gfx::SAMP_MINFILTER, filter);
    d.SetSamplerState(0, gfx::SAMP_ADDRESSU, address);
    d.SetSamplerState(0, gfx::SAMP_ADDRESSV, address);
}

// Source-over alpha blending.
inline void SetSourceOver(gfx::Device& d) {
    d.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
}

// A material of the given diffuse (and ambient) colour under one directional light.
inline void OneLight(gfx::Device& d, const gfx::ColorValue& diffuse, const gfx::ColorValue& light, vm::Vec3 direction,
                     const gfx::ColorValue& ambient = {}) {
    gfx::Material m;
    m.diffuse = diffuse;
    m.ambient = ambient;
    d.SetMaterial(m);
    gfx::Light l;
    l.diffuse = light;
    l.direction = direction;
    d.SetLight(0, l);
    d.LightEnable(0, true);
}

// The mesh tests' lighting: a white material, one warm directional light from
// above, a dim ambient, and no culling.
inline void LightMeshScene(gfx::Device& d) {
    OneLight(d, {1, 1, 1, 1}, {0.9f, 0.8f, 0.7f, 1}, {0.2f, -1.0f, 0.5f}, {1, 1, 1, 1});
    d.SetRenderState(gfx::RS_AMBIENT, 0xFF202020);
    d.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
}

// The pipe state of a sprite or screen rectangle drawn straight through the pixel
// pipeline: texture modulated by the diffuse colour, clamped, source-over blending
// when `blend` is set, over a w x h target (pitch w). Tests set the depth and alpha
// test fields themselves; PreparePipe is left to them.
inline gfx::PipeState SpritePipe(uint32_t* color, float* depth, int w, int h, const uint32_t* tex, int tw, int th,
                                 bool linear, bool blend) {
    gfx::PipeState s;
    s.cbuf = color;
    s.zbuf = depth;
    s.pitch = w;
    s.sx0 = 0, s.sy0 = 0, s.sx1 = w, s.sy1 = h;
    s.blend = blend;
    s.srcBlend = gfx::BLEND_SRCALPHA;
    s.dstBlend = gfx::BLEND_INVSRCALPHA;
    s.colorOp = s.alphaOp = gfx::TOP_MODULATE;
    s.colorArg1 = s.alphaArg1 = gfx::TA_TEXTURE;
    s.colorArg2 = s.alphaArg2 = gfx::TA_DIFFUSE;
    s.tex = tex;
    s.tw = tw, s.th = th;
    s.addrU = s.addrV = gfx::TADDRESS_CLAMP;
    s.magLinear = s.minLinear = linear;
    return s;
}

}  // namespace gfxtest
