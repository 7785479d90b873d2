// The four-pixel spans give exactly the pixels of the one-by-one path.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx/sprite.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

// Draws a mixed scene: sprites (scaled, 1:1, blended), a perspective textured and
// lit mesh with wrap and clamp addressing, Gouraud triangles without texture.
std::vector<uint32_t> Scene(bool simd, uint32_t filter, uint32_t address, bool blend) {
    SetSimdEnabled(simd);
    Device d(160, 120);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    std::unique_ptr<Texture> tex(Pattern(64, 32, 7));
    for (int i = 0; i < 64 * 32; i += 3) tex->Pixels()[i] &= 0x7FFFFFFF;  // some alpha
    // A perspective mesh.
    d.SetTransform(TS_VIEW, vm::LookAtLH({0.3f, 2.0f, -4.0f}, {0, 0, 0}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, 4.0f / 3.0f, 0.1f, 50));
    LightMeshScene(d);
    d.SetTexture(0, tex.get());
    SetSampling(d, filter, address);
    if (blend) SetSourceOver(d);
    std::vector<V3> grid;
    std::vector<uint16_t> idx;
    const int n = 12;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const float x = -2 + 4.0f * i / n, z = -2 + 4.0f * j / n, y = 0.3f * std::sin(x * 2) * std::cos(z * 1.5f);
            grid.push_back({x, y, z, 0, 1, 0, 0xFFFFFFFF - uint32_t(i * 9) * 0x10101, 0, x * 0.7f, z * 0.9f});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1), e = uint16_t(c + 1);
            idx.insert(idx.end(), {a, b, c, b, e, c});
        }
    d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
    d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(grid.size()), uint32_t(idx.size() / 3), idx.data(), false,
                             grid.data(), sizeof(V3));
    // Alpha-selected texture (the default alpha operation) with modulated colour.
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    TL tri[3] = {V(5, 100, 0xFF20FF80, 0, 1), V(60, 60, 0x80FF2020, 1.3f, 0.2f), V(20, 118, 0xFF2020FF, 0.1f, 1.9f)};
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri, sizeof(TL));
    // No texture.
    d.SetTexture(0, nullptr);
    TL tri2[3] = {V(100, 5, 0x80FFFFFF), V(150, 30, 0xC0000000), V(90, 60, 0x40FF00FF)};
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri2, sizeof(TL));
    // Flat shading with the texture again.
    d.SetTexture(0, tex.get());
    d.SetRenderState(RS_SHADEMODE, SHADE_FLAT);
    TL tri3[3] = {V(120, 70, 0xC080FF40, 0.2f, 0.1f), V(158, 90, 0xFF0000FF, 1.1f, 0.7f), V(110, 115, 0xFFFFFFFF, 0.3f, 1.2f)};
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri3, sizeof(TL));
    d.SetRenderState(RS_SHADEMODE, SHADE_GOURAUD);
    // Lines.
    TL line[3] = {V(1, 1, 0xFFFF0000, 0, 0), V(150, 40, 0xFF00FF00, 1, 1), V(30, 110, 0x800000FF, 0.5f, 0.2f)};
    d.DrawPrimitiveUP(PT_LINESTRIP, 2, line, sizeof(TL));
    // Sprites.
    Sprite sp(&d);
    sp.Begin(SPRITE_ALPHABLEND);
    vm::Vec3 p1{3, 4, 0}, p2{70, 50, 0};
    sp.Draw(tex.get(), nullptr, nullptr, &p1, 0xFFFFFFFF);
    sp.SetTransform(vm::Scaling(1.37f, 0.81f, 1));
    sp.Draw(tex.get(), nullptr, nullptr, &p2, 0xC0FF8040);
    sp.SetTransform(vm::Scaling(0.61f, 0.77f, 1) * vm::Translation(10.3f, 70.6f, 0));
    Rect r{5, 3, 60, 30};
    sp.Draw(tex.get(), &r, nullptr, nullptr, 0x80FFFFFF);
    sp.End();
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + 160 * 120);
}

TEST(DeviceSimd, FourPixelSpansMatchOneByOne) {
    for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR})
        for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
            for (bool blend : {false, true}) {
                const std::vector<uint32_t> a = Scene(true, filter, address, blend);
                const std::vector<uint32_t> b = Scene(false, filter, address, blend);
                size_t diffs = 0, first = 0;
                for (size_t i = 0; i < a.size(); ++i)
                    if (a[i] != b[i] && diffs++ == 0) first = i;
                EXPECT_EQ(diffs, 0u) << "filter " << filter << " address " << address << " blend " << blend
                                     << " first at " << first % 160 << "," << first / 160 << std::hex << " "
                                     << a[first] << " vs " << b[first];
            }
}

}  // namespace
