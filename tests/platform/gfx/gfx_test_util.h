#pragma once
// Small helpers for the device tests.
#include <cstdint>
#include <vector>

#include "gfx/device.h"
#include "gfx/texture.h"

namespace gfxtest {

struct TL {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kFvfTL = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

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

}  // namespace gfxtest
