// Textures from BMP, TGA, JPEG and DDS files made in the test: each format's pixels,
// and damaged or oversized files refused with a reason.
#include <gtest/gtest.h>

#include <algorithm>
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

// `prefix`, then a DXT colour half: two 565 colours, texel i takes entry i % 4.
std::vector<unsigned char> Block(std::vector<unsigned char> prefix, uint16_t c0, uint16_t c1) {
    for (unsigned char b : Le({c0, c1}, 2)) prefix.push_back(b);
    prefix.insert(prefix.end(), 4, 0xE4);
    return prefix;
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
    // DXT5 alpha halves whose texel i takes alpha entry i % 8.
    const std::vector<unsigned char> eight = {255, 0, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
    const std::vector<unsigned char> six = {0, 255, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
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
        {"DXT1", Dds(kDxt1, 4, 4, 1, Block({}, 0xF800, 0x001F)), 4, 4,
         {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}},
        // Blue below red: three colours and transparent black.
        {"DXT1 with transparency", Dds(kDxt1, 4, 4, 1, Block({}, 0x001F, 0xF800)), 4, 4,
         {0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000}},
        // Alpha i * 17 for texel i; the colour half always has four colours.
        {"DXT3", Dds(kDxt3, 4, 4, 1, Block(dxt3Alpha, 0x001F, 0xF800)), 4, 4,
         {0x000000FF, 0x11FF0000, 0x225500AA, 0x33AA0055}},
        {"DXT5 eight alphas", Dds(kDxt5, 4, 4, 1, Block(eight, 0xF800, 0x001F)), 4, 4,
         {0xFFFF0000, 0x000000FF, 0xDBAA0055, 0xB65500AA}},
        {"DXT5 six alphas", Dds(kDxt5, 4, 4, 1, Block(six, 0xF800, 0x001F)), 4, 4,
         {0x00FF0000, 0xFF0000FF, 0x33AA0055, 0x665500AA, 0x99FF0000, 0xCC0000FF, 0x00AA0055, 0xFF5500AA}},
        // 5 x 3 with a second level: the partial blocks are cut to the picture.
        {"DXT1 5 x 3, two levels",
         Dds(kDxt1, 5, 3, 2, Block(Block(Block({}, 0xF800, 0x001F), 0x001F, 0xF800), 0, 0)), 5,
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

// A 3 x 2 picture as a BMP of `bits` a pixel, written the way painting programs write
// them: file header, 40-byte info header (for 32 bits the 124-byte one with channel
// masks, alpha included), a whole palette up to 8 bits, rows padded to four bytes,
// bottom row first or, under a negative height, top row first.  Pixel i takes colour
// i % n of the n a palette holds (two at 1 bit, else six); `picture` gets the pixels.
std::vector<unsigned char> Bmp(int bits, bool topDown, std::vector<uint32_t>& picture) {
    static const uint32_t kColours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0x80FF00FF};
    const int w = 3, h = 2, colours = bits == 1 ? 2 : 6, header = bits == 32 ? 124 : 40;
    const int stride = (w * bits + 31) / 32 * 4, offset = 14 + header + (bits <= 8 ? 4 << bits : 0);
    std::vector<unsigned char> f(size_t(offset + stride * h), 0);
    auto put = [&](int at, uint32_t v, int n) {
        for (int k = 0; k < n; ++k) f[size_t(at + k)] |= uint8_t(v >> (8 * k));
    };
    put(0, 'B' | 'M' << 8, 2), put(2, uint32_t(f.size()), 4), put(10, uint32_t(offset), 4);
    put(14, uint32_t(header), 4), put(18, w, 4), put(22, uint32_t(topDown ? -h : h), 4), put(26, 1, 2);
    put(28, uint32_t(bits), 2), put(30, bits == 32 ? 3 : 0, 4), put(34, uint32_t(stride * h), 4);
    put(38, 2835, 4), put(42, 2835, 4);  // 72 dots an inch
    if (bits == 32) put(54, 0xFF0000, 4), put(58, 0xFF00, 4), put(62, 0xFF, 4), put(66, 0xFF000000, 4);
    for (int k = 0; k < colours && bits <= 8; ++k) put(14 + header + 4 * k, kColours[k] & 0xFFFFFF, 3);
    picture.clear();
    for (int i = 0; i < w * h; ++i) {
        const uint32_t index = uint32_t(i % colours), c = kColours[index] | (bits == 32 ? 0 : 0xFF000000u);
        picture.push_back(c);
        const int x = i % w, row = offset + stride * (topDown ? i / w : h - 1 - i / w);
        if (bits <= 8) put(row + x * bits / 8, index << (8 - bits - x * bits % 8), 1);
        else if (bits == 16) put(row + 2 * x, (c >> 9 & 0x7C00) | (c >> 6 & 0x3E0) | (c >> 3 & 0x1F), 2);
        else put(row + x * bits / 8, c, bits / 8);
    }
    return f;
}

// Every depth the reader takes, in both row orders.
TEST(PictureFormats, BmpOfEachDepthInEitherRowOrder) {
    for (int bits : {1, 4, 8, 16, 24, 32})
        for (bool topDown : {false, true}) {
            std::vector<uint32_t> picture;
            std::string why;
            auto t = Read(Bmp(bits, topDown, picture), &why);
            ASSERT_TRUE(t) << bits << " bits, top row first " << topDown << ": " << why;
            EXPECT_EQ(std::vector<uint32_t>(t->Pixels(), t->Pixels() + 6), picture)
                << bits << " bits, top row first " << topDown;
        }
}

// A copy of `bytes` with a 16-bit value written at `at` (JPEG: after `marker`, big-endian).
std::vector<unsigned char> Patched(std::vector<unsigned char> bytes, size_t at, uint16_t v, int marker = -1) {
    if (marker >= 0) {
        const unsigned char m[] = {0xFF, uint8_t(marker)};
        at += size_t(std::search(bytes.begin(), bytes.end(), m, m + 2) - bytes.begin());
        v = uint16_t((v >> 8) | (v << 8));
    }
    bytes[at] = uint8_t(v), bytes[at + 1] = uint8_t(v >> 8);
    return bytes;
}

// Damaged and oversized files are refused with a reason; so is every file cut short
// anywhere, never read past its end (the sanitizer build checks that) nor filled up
// with black.
TEST(PictureFormats, DamagedOversizedAndCutFilesAreRefusedWithAReason) {
    std::vector<uint32_t> pixels(8 * 8);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x01010101u * uint32_t(i * 4) | 0xFF000000u;
    const std::vector<unsigned char> bmp = Encode('b', pixels, 8, 8), tga = Encode('t', pixels, 8, 8);
    const std::vector<unsigned char> jpeg = Encode('j', pixels, 8, 8);
    const std::vector<unsigned char> dds = Dds(kDxt5, 8, 8, 4, std::vector<unsigned char>(112, 0x5A));
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    } cases[] = {
        {"DDS header cut short", std::vector<unsigned char>(dds.begin(), dds.begin() + 100), "damaged DDS"},
        {"DDS level cut short", std::vector<unsigned char>(dds.begin(), dds.end() - 1), "need 112 bytes"},
        {"DDS with more levels than halvings", Dds(kDxt1, 4, 4, 4, std::vector<unsigned char>(64)), "4 levels"},
        {"DDS wider than the device", Dds(kDxt1, 4097, 4, 1, {}), "4097 x 4"},
        {"DDS cube map", Dds(kA8R8G8B8, 4, 4, 1, std::vector<unsigned char>(64 * 6), 0xFE00), "cube"},
        {"DDS other compression", Dds(DdsFormat{"DX10"}, 4, 4, 1, std::vector<unsigned char>(64)), "'DX10'"},
        {"DDS masks beyond the texel", Dds(DdsFormat{nullptr, 0x40, 16, {0x1F0000, 0x7E0, 0x1F}}, 1, 1, 1, {0, 0}),
         "masks"},
        {"BMP wider than the device", Patched(bmp, 18, 5000), "5000 x 8"},
        {"BMP taller than the device, top row first", Patched(Patched(bmp, 22, uint16_t(-5000)), 24, 0xFFFF),
         "8 x 5000"},
        {"BMP of the most negative height", Patched(Patched(bmp, 22, 0), 24, 0x8000), "outside 1 to 4096"},
        {"TGA wider than the device", Patched(tga, 12, 4097), "4097 x 8"},
        {"JPEG taller than the device", Patched(jpeg, 5, 4097, 0xC0), "JPEG picture of more than 4096"},
        // More codes than a table holds: the reader would write past its tables.
        {"JPEG Huffman table overfull", Patched(jpeg, 5, 0xFFFF, 0xC4), "Huffman table of"},
        // A scan that decodes the first component with tables never defined.
        {"JPEG Huffman table missing", Patched(jpeg, 5, 0x0133, 0xDA), "not defined"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(Read(c.bytes, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
    for (const auto& file : {bmp, Encode('b', pixels, 8, 8, false), tga, Encode('r', pixels, 8, 8), jpeg, dds}) {
        ASSERT_TRUE(Read(file));
        for (size_t n = 1; n < file.size(); ++n) {
            std::string why;
            EXPECT_FALSE(Read(std::vector<unsigned char>(file.begin(), file.begin() + n), &why)) << n;
            EXPECT_FALSE(why.empty()) << n;
        }
    }
}

}  // namespace
