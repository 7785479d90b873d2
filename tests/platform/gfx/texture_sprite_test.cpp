// Textures from image bytes and the sprite batch.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/sprite.h"
#include "gfx/texture.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

std::vector<unsigned char> PngBytes(const std::vector<uint32_t>& argb, int w, int h) {
    std::vector<unsigned char> rgba(size_t(w) * h * 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        rgba[i * 4 + 0] = (argb[i] >> 16) & 0xFF;
        rgba[i * 4 + 1] = (argb[i] >> 8) & 0xFF;
        rgba[i * 4 + 2] = argb[i] & 0xFF;
        rgba[i * 4 + 3] = argb[i] >> 24;
    }
    std::vector<unsigned char> out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) {
            auto* v = static_cast<std::vector<unsigned char>*>(ctx);
            v->insert(v->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        },
        &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

TEST(TextureImage, DefaultSizeRoundsUpAndFilters) {
    std::vector<uint32_t> img(3 * 5);
    for (int i = 0; i < 15; ++i) img[i] = 0xFF000000u | uint32_t(i * 17);
    const std::vector<unsigned char> png = PngBytes(img, 3, 5);
    std::unique_ptr<Texture> t = Texture::CreateFromImage(png.data(), png.size(), true, ImageFilter::Linear,
                                                          Format::A8R8G8B8);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Width(), 4);
    EXPECT_EQ(t->Height(), 8);
    EXPECT_EQ(t->Pixels()[0] >> 24, 0xFFu);
    // Kept size: texels exact.
    std::unique_ptr<Texture> k = Texture::CreateFromImage(png.data(), png.size(), false, ImageFilter::Linear,
                                                          Format::A8R8G8B8);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->Width(), 3);
    EXPECT_EQ(k->Pixels()[7], img[7]);
    // Already a power of two: unchanged texels.
    std::vector<uint32_t> sq(4 * 2, 0x80123456);
    const std::vector<unsigned char> png2 = PngBytes(sq, 4, 2);
    std::unique_ptr<Texture> u = Texture::CreateFromImage(png2.data(), png2.size(), true, ImageFilter::Linear,
                                                          Format::A8R8G8B8);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->Width(), 4);
    EXPECT_EQ(u->Pixels()[5], 0x80123456u);
}

TEST(TextureImage, BrokenBytesGiveNullAndAReason) {
    const char junk[] = "definitely not a picture";
    std::string why;
    EXPECT_EQ(Texture::CreateFromImage(junk, sizeof junk, true, ImageFilter::Linear, Format::A8R8G8B8, &why), nullptr);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(Texture::CreateFromImage(nullptr, 0, true, ImageFilter::Linear, Format::A8R8G8B8), nullptr);
    // A truncated PNG.
    std::vector<uint32_t> img(16 * 16, 0xFFFFFFFF);
    std::vector<unsigned char> png = PngBytes(img, 16, 16);
    png.resize(png.size() / 2);
    EXPECT_EQ(Texture::CreateFromImage(png.data(), png.size(), true, ImageFilter::Linear, Format::A8R8G8B8), nullptr);
}

// A format that is not read, a header without its data, and a declared size beyond
// the device's limit are refused before anything is decoded: a 16-bit PNM of ten
// bytes, a TGA header claiming 21574 x 20556 pixels, a BMP header without its rows,
// and a PNG header claiming a picture far beyond the limit all give null at once.
TEST(TextureImage, OtherFormatsAndHugeDeclaredSizesAreRefused) {
    std::vector<std::vector<unsigned char>> files;
    const char pnm[] = "P5 1 1 65535\n";
    files.emplace_back(pnm, pnm + sizeof pnm - 1);
    files.push_back({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x46, 0x54, 0x4C, 0x50, 32, 8});  // TGA 21574x20556
    files.push_back({'B', 'M', 0x3E, 0, 0, 0, 0, 0, 0, 0, 0x3E, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0});
    std::vector<unsigned char> huge = PngBytes(std::vector<uint32_t>(4, 0xFFFFFFFF), 2, 2);
    huge[16 + 2] = 0x10;  // IHDR width 2 -> 0x00100002
    huge[20 + 2] = 0x10;  // and height
    files.push_back(huge);
    for (const auto& bytes : files) {
        std::string why;
        EXPECT_EQ(Texture::CreateFromImage(bytes.data(), bytes.size(), true, ImageFilter::Linear, Format::A8R8G8B8, &why),
                  nullptr);
        EXPECT_FALSE(why.empty());
    }
}

TEST(TextureImage, XrgbKeepsAlphaOpaqueAndLockDoesNotNest) {
    Texture t(2, 2, Format::X8R8G8B8);
    int pitch = 0;
    uint32_t* p = t.Lock(&pitch);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(pitch, 2);
    EXPECT_EQ(t.Lock(), nullptr);
    p[0] = 0x00112233;
    t.Unlock();
    EXPECT_EQ(t.Pixels()[0], 0xFF112233u);
    EXPECT_EQ(Texture::RoundUpPowerOfTwo(5), 8);
    EXPECT_EQ(Texture::RoundUpPowerOfTwo(8), 8);
    EXPECT_EQ(Texture::RoundUpPowerOfTwo(0), 1);
}

TEST(SpriteBatch, SavesAndRestoresStatesAndKeepsIssueOrder) {
    Device d(32, 16);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d.SetRenderState(RS_CULLMODE, CULL_CW);
    d.SetRenderState(RS_LIGHTING, 1);
    d.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_WRAP);
    Texture red(8, 8), blue(8, 8);
    for (int i = 0; i < 64; ++i) {
        red.Pixels()[i] = 0xFFFF0000;
        blue.Pixels()[i] = 0xFF0000FF;
    }
    Sprite sp(&d);
    EXPECT_EQ(sp.End(), E_FAIL);
    ASSERT_EQ(sp.Begin(SPRITE_ALPHABLEND | SPRITE_SORT_TEXTURE), S_OK);
    EXPECT_EQ(sp.Begin(SPRITE_ALPHABLEND), E_FAIL);
    EXPECT_EQ(d.GetRenderState(RS_CULLMODE), CULL_NONE);
    EXPECT_EQ(d.GetRenderState(RS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(d.GetRenderState(RS_ALPHAFUNC), CMP_GREATER);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_ADDRESSU), TADDRESS_CLAMP);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_MINFILTER), TEXF_LINEAR);
    vm::Vec3 a{0, 0, 0}, b{4, 4, 0}, c{8, 0, 0};
    sp.Draw(&red, nullptr, nullptr, &a, 0xFFFFFFFF);
    sp.Draw(&blue, nullptr, nullptr, &b, 0xFFFFFFFF);
    sp.Draw(&red, nullptr, nullptr, &c, 0xFFFFFFFF);  // a texture sort would put this before blue
    EXPECT_EQ(sp.Draw(nullptr, nullptr, nullptr, &a, 0xFFFFFFFF), E_INVALIDARG);
    EXPECT_EQ(d.BackBuffer()[0], 0xFF000000u);  // queued until End
    ASSERT_EQ(sp.End(), S_OK);
    EXPECT_EQ(Px(d, 9, 5), 0xFFFF0000u);    // the last red over blue
    EXPECT_EQ(Px(d, 5, 5), 0xFF0000FFu);    // blue over the first red
    EXPECT_EQ(Px(d, 4, 10), 0xFF0000FFu);   // blue below
    EXPECT_EQ(Px(d, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(d.GetRenderState(RS_CULLMODE), CULL_CW);
    EXPECT_EQ(d.GetRenderState(RS_LIGHTING), 1u);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_ADDRESSU), TADDRESS_WRAP);
    EXPECT_EQ(d.GetTexture(0), nullptr);
}

TEST(SpriteBatch, TransformCentreAndColour) {
    Device d(32, 32);
    d.SetRenderState(RS_ZENABLE, 0);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Texture white(4, 4);
    for (int i = 0; i < 16; ++i) white.Pixels()[i] = 0xFFFFFFFF;
    Sprite sp(&d);
    sp.Begin(SPRITE_ALPHABLEND);
    vm::Vec3 centre{2, 2, 0}, pos{10, 10, 0};
    sp.SetTransform(vm::Scaling(2, 2, 1));
    sp.Draw(&white, nullptr, &centre, &pos, 0xFF00FF00);  // (8..12) scaled by 2 -> (16..24)
    sp.End();
    EXPECT_EQ(Px(d, 16, 16), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 23, 23), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 24, 24), 0xFF000000u);
    EXPECT_EQ(Px(d, 15, 15), 0xFF000000u);
    EXPECT_EQ(sp.DrawCount(), 1u);
}

TEST(DeviceShading, FlatShadingTakesTheFirstVertexColour) {
    Device d(16, 16);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZENABLE, 0);
    d.SetRenderState(RS_SHADEMODE, SHADE_FLAT);
    TL t[3] = {V(0, 0, 0xFF112233), V(16, 0, 0xFFFFFFFF), V(0, 16, 0xFF000000)};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, t, sizeof(TL));
    EXPECT_EQ(Px(d, 1, 1), 0xFF112233u);
    EXPECT_EQ(Px(d, 10, 2), 0xFF112233u);
}

TEST(DeviceShading, SpecularAddsWhenEnabled) {
    Device d(8, 8);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_ZENABLE, 0);
    struct VS {
        float x, y, z, rhw;
        uint32_t diffuse, specular;
    };
    VS q[4] = {{-0.5f, -0.5f, 0, 1, 0xFF404040, 0x00102030}, {7.5f, -0.5f, 0, 1, 0xFF404040, 0x00102030},
               {-0.5f, 7.5f, 0, 1, 0xFF404040, 0x00102030}, {7.5f, 7.5f, 0, 1, 0xFF404040, 0x00102030}};
    d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_SPECULAR);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(VS));
    EXPECT_EQ(Px(d, 3, 3), 0xFF404040u);
    d.SetRenderState(RS_SPECULARENABLE, 1);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(VS));
    EXPECT_EQ(Px(d, 3, 3), 0xFF506070u);
}

TEST(DeviceIndexed, ThirtyTwoBitIndicesAndFans) {
    Device d(16, 16);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZENABLE, 0);
    TL v[4] = {V(-0.5f, -0.5f, 0xFFFF0000), V(15.5f, -0.5f, 0xFFFF0000), V(-0.5f, 15.5f, 0xFFFF0000),
               V(15.5f, 15.5f, 0xFFFF0000)};
    const uint32_t idx[6] = {0, 1, 2, 1, 3, 2};
    d.SetFVF(kFvfTL);
    ASSERT_EQ(d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 4, 2, idx, true, v, sizeof(TL)), S_OK);
    int red = 0;
    for (int i = 0; i < 256; ++i) red += d.BackBuffer()[i] == 0xFFFF0000u;
    EXPECT_EQ(red, 256);
    d.Clear(CLEAR_TARGET, 0, 1, 0);
    TL fan[4] = {V(-0.5f, -0.5f, 0xFF00FF00), V(15.5f, -0.5f, 0xFF00FF00), V(15.5f, 15.5f, 0xFF00FF00),
                 V(-0.5f, 15.5f, 0xFF00FF00)};
    d.DrawPrimitiveUP(PT_TRIANGLEFAN, 2, fan, sizeof(TL));
    int green = 0;
    for (int i = 0; i < 256; ++i) green += d.BackBuffer()[i] == 0xFF00FF00u;
    EXPECT_EQ(green, 256);
}

}  // namespace

namespace {

// A texture destroyed while bound or queued is let go of safely; queued draws of it
// still appear.
TEST(TextureLifetime, DestroyedWhileBoundOrQueued) {
    Device d(16, 16);
    d.SetRenderState(RS_ZENABLE, 0);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    auto t = std::make_unique<Texture>(4, 4);
    for (int i = 0; i < 16; ++i) t->Pixels()[i] = 0xFF00FF00;
    Sprite sp(&d);
    d.SetTexture(0, t.get());
    sp.Begin(SPRITE_ALPHABLEND);
    vm::Vec3 p{2, 2, 0};
    sp.Draw(t.get(), nullptr, nullptr, &p, 0xFFFFFFFF);
    t.reset();
    EXPECT_EQ(Px(d, 3, 3), 0xFF00FF00u);  // drawn before the texture went
    EXPECT_EQ(d.GetTexture(0), nullptr);
    sp.End();
    EXPECT_EQ(d.GetTexture(0), nullptr);  // the saved binding was forgotten too
    auto rt = std::make_unique<Texture>(8, 8, Format::A8R8G8B8, true);
    d.SetRenderTarget(rt.get());
    rt.reset();
    EXPECT_EQ(d.GetRenderTarget(), nullptr);
    EXPECT_EQ(d.GetViewport().width, 16u);
}

}  // namespace
