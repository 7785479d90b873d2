// Textures from BMP, TGA, JPEG and DDS files made in the test: each format's pixels,
// and damaged or oversized files refused with a reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/texture.h"
#include "picture_files.h"

using namespace picture_files;

namespace {

std::unique_ptr<gfx::Texture> Read(const std::vector<unsigned char>& bytes, std::string* why = nullptr) {
    return gfx::Texture::CreateFromImage(bytes.data(), bytes.size(), false, gfx::ImageFilter::Point,
                                         gfx::Format::A8R8G8B8, why);
}

std::vector<unsigned char> Le(std::initializer_list<uint32_t> values, int bytesEach) {
    std::vector<unsigned char> out;
    for (uint32_t v : values)
        for (int k = 0; k < bytesEach; ++k) out.push_back(uint8_t(v >> (8 * k)));
    return out;
}

// One DXT colour half: two 565 colours, then texel i takes palette entry i % 4.
std::vector<unsigned char> ColourHalf(uint16_t c0, uint16_t c1) {
    std::vector<unsigned char> out = Le({c0, c1}, 2);
    out.insert(out.end(), 4, 0xE4);
    return out;
}

std::vector<unsigned char> Join(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Texel i of a DXT5 alpha half takes alpha entry i % 8.
std::vector<unsigned char> Dxt5Alpha(uint8_t a0, uint8_t a1) {
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) bits |= uint64_t(i % 8) << (3 * i);
    std::vector<unsigned char> out = {a0, a1};
    for (int k = 0; k < 6; ++k) out.push_back(uint8_t(bits >> (8 * k)));
    return out;
}

const std::vector<uint32_t> kSix = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF102030, 0xFFFFFFFF, 0xFF000000};
const std::vector<uint32_t> kSixAlpha = {0x80FF0000, 0x0000FF00, 0xFF0000FF, 0x40102030, 0xFFFFFFFF, 0x01000000};

struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    int width, height;
    std::vector<uint32_t> first;  // the first texels, row after row
    int tolerance = 0;            // per channel (the lossy format)
};

TEST(PictureFormats, EachFormatGivesItsPixels) {
    const std::vector<unsigned char> dxt3Alpha = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    const Case cases[] = {
        {"BMP 24-bit", Encode('b', kSix, 3, 2, false), 3, 2, kSix},
        {"BMP 32-bit", Encode('b', kSixAlpha, 3, 2), 3, 2, kSixAlpha},
        {"TGA", Encode('t', kSixAlpha, 3, 2), 3, 2, kSixAlpha},
        {"TGA run-length", Encode('r', kSixAlpha, 3, 2), 3, 2, kSixAlpha},
        {"JPEG", Encode('j', std::vector<uint32_t>(64, 0xFF3070B0), 8, 8), 8, 8, {0xFF3070B0, 0xFF3070B0}, 3},
        {"DDS A8R8G8B8", Dds(kA8R8G8B8, 2, 1, 1, Le({0x80112233, 0xFF445566}, 4)), 2, 1, {0x80112233, 0xFF445566}},
        {"DDS X8R8G8B8", Dds(kX8R8G8B8, 1, 1, 1, Le({0x00112233}, 4)), 1, 1, {0xFF112233}},
        {"DDS R8G8B8", Dds(kR8G8B8, 1, 1, 1, Le({0x112233}, 3)), 1, 1, {0xFF112233}},
        {"DDS R5G6B5", Dds(kR5G6B5, 4, 1, 1, Le({0xF800, 0x07E0, 0x001F, 0x8410}, 2)), 4, 1,
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284}},
        {"DDS A1R5G5B5", Dds(kA1R5G5B5, 2, 1, 1, Le({0x7C00, 0x801F}, 2)), 2, 1, {0x00FF0000, 0xFF0000FF}},
        {"DDS A4R4G4B4", Dds(kA4R4G4B4, 1, 1, 1, Le({0x8F0F}, 2)), 1, 1, {0x88FF00FF}},
        {"DDS L8", Dds(kL8, 1, 1, 1, {0x40}), 1, 1, {0xFF404040}},
        {"DDS A8", Dds(kA8, 1, 1, 1, {0x40}), 1, 1, {0x40000000}},
        // Red above blue: four colours.
        {"DXT1", Dds(kDxt1, 4, 4, 1, ColourHalf(0xF800, 0x001F)), 4, 4, {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}},
        // Blue below red: three colours and transparent black.
        {"DXT1 with transparency", Dds(kDxt1, 4, 4, 1, ColourHalf(0x001F, 0xF800)), 4, 4,
         {0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000}},
        // Alpha i * 17 for texel i; the colour half always has four colours.
        {"DXT3", Dds(kDxt3, 4, 4, 1, Join(dxt3Alpha, ColourHalf(0x001F, 0xF800))), 4, 4,
         {0x000000FF, 0x11FF0000, 0x225500AA, 0x33AA0055}},
        {"DXT5 eight alphas", Dds(kDxt5, 4, 4, 1, Join(Dxt5Alpha(255, 0), ColourHalf(0xF800, 0x001F))), 4, 4,
         {0xFFFF0000, 0x000000FF, 0xDBAA0055, 0xB65500AA}},
        {"DXT5 six alphas", Dds(kDxt5, 4, 4, 1, Join(Dxt5Alpha(0, 255), ColourHalf(0xF800, 0x001F))), 4, 4,
         {0x00FF0000, 0xFF0000FF, 0x33AA0055, 0x665500AA, 0x99FF0000, 0xCC0000FF, 0x00AA0055, 0xFF5500AA}},
        // 5 x 3 with a second level: the partial blocks are cut to the picture.
        {"DXT1 5 x 3, two levels",
         Dds(kDxt1, 5, 3, 2, Join(Join(ColourHalf(0xF800, 0x001F), ColourHalf(0x001F, 0xF800)), ColourHalf(0, 0))), 5,
         3, {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA, 0xFF0000FF, 0xFFFF0000}},
    };
    for (const Case& c : cases) {
        std::string why;
        auto t = Read(c.bytes, &why);
        ASSERT_TRUE(t) << c.name << ": " << why;
        EXPECT_EQ(t->Width(), c.width) << c.name;
        EXPECT_EQ(t->Height(), c.height) << c.name;
        for (size_t i = 0; i < c.first.size(); ++i) {
            const uint32_t got = t->Pixels()[i];
            for (int s = 0; s < 32; s += 8)
                EXPECT_LE(std::abs(int((got >> s) & 0xFF) - int((c.first[i] >> s) & 0xFF)), c.tolerance)
                    << c.name << " texel " << i << std::hex << ": 0x" << got << " for 0x" << c.first[i];
        }
    }
}

// A copy of `bytes` with a little-endian (or, for JPEG, big-endian) 16-bit value
// written at `at`.
std::vector<unsigned char> Patched(std::vector<unsigned char> bytes, size_t at, uint32_t v, bool bigEndian = false) {
    bytes[at] = uint8_t(bigEndian ? v >> 8 : v);
    bytes[at + 1] = uint8_t(bigEndian ? v : v >> 8);
    return bytes;
}

// Where the frame header of a JPEG holds its height (the width follows).
size_t JpegHeight(const std::vector<unsigned char>& jpeg) {
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
    return 0;
}

TEST(PictureFormats, DamagedAndOversizedFilesAreRefusedWithAReason) {
    const std::vector<uint32_t> white(16, 0xFFFFFFFF);
    const std::vector<unsigned char> bmp = Encode('b', white, 4, 4), tga = Encode('t', white, 4, 4);
    const std::vector<unsigned char> jpeg = Encode('j', white, 4, 4);
    std::vector<unsigned char> dds = Dds(kA8R8G8B8, 4, 4, 1, std::vector<unsigned char>(64, 0xFF));
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    } cases[] = {
        {"DDS header cut short", std::vector<unsigned char>(dds.begin(), dds.begin() + 100), "damaged DDS"},
        {"DDS texels cut short", std::vector<unsigned char>(dds.begin(), dds.end() - 1), "the file holds 63"},
        {"DDS with more levels than halvings", Dds(kDxt1, 4, 4, 4, std::vector<unsigned char>(64)), "4 levels"},
        {"DDS level missing", Dds(kDxt1, 4, 4, 3, std::vector<unsigned char>(16)), "need 24 bytes"},
        {"DDS wider than the device", Dds(kDxt1, 4097, 4, 1, {}), "4097 x 4"},
        {"DDS cube map", Dds(kA8R8G8B8, 4, 4, 1, std::vector<unsigned char>(64 * 6), 0xFE00), "cube"},
        {"DDS other compression", Dds(DdsFormat{"DX10"}, 4, 4, 1, std::vector<unsigned char>(64)), "'DX10'"},
        {"DDS masks beyond the texel", Dds(DdsFormat{nullptr, 0x40, 16, {0x1F0000, 0x7E0, 0x1F}}, 1, 1, 1, {0, 0}),
         "masks"},
        {"BMP wider than the device", Patched(bmp, 18, 5000), "5000 x 4"},
        {"TGA wider than the device", Patched(tga, 12, 4097), "4097 x 4"},
        {"JPEG taller than the device", Patched(jpeg, JpegHeight(jpeg), 4097, true), "JPEG picture of more than 4096"},
        {"PNM, a format not read", {'P', '5', ' ', '1', ' ', '1', ' ', '2', '5', '5', '\n', 0}, ""},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(Read(c.bytes, &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
}

// Every format cut short anywhere is refused with a reason, never read past its end
// (the sanitizer build checks that) nor filled up with black.
TEST(PictureFormats, FilesCutShortAnywhereAreReadSafely) {
    std::vector<uint32_t> pixels(8 * 8);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x01010101u * uint32_t(i * 4) | 0xFF000000u;
    const std::vector<std::vector<unsigned char>> files = {
        Encode('b', pixels, 8, 8), Encode('b', pixels, 8, 8, false), Encode('t', pixels, 8, 8),
        Encode('r', pixels, 8, 8), Encode('j', pixels, 8, 8),
        Dds(kDxt5, 8, 8, 4, std::vector<unsigned char>(16 * 4 + 16 + 16 + 16, 0x5A))};
    for (const auto& file : files) {
        ASSERT_TRUE(Read(file));
        for (size_t n = 1; n < file.size(); ++n) {
            std::string why;
            const std::vector<unsigned char> cut(file.begin(), file.begin() + n);
            EXPECT_FALSE(Read(cut, &why)) << n << " of " << file.size();
            EXPECT_FALSE(why.empty()) << n;
        }
    }
}

}  // namespace
