// PNG files whose image data starts with an empty chunk: the empty chunks hold
// nothing and are left out before the picture is decoded.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/texture.h"

namespace {

uint32_t Crc32(const std::vector<unsigned char>& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void Chunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
    const uint32_t n = uint32_t(data.size());
    png.insert(png.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uint32_t crc = Crc32(png, start);
    png.insert(png.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
}

// A 2 x 1 picture (red, then half-transparent blue) with `empties` empty image
// data chunks before the real one and one after it.
std::vector<unsigned char> TwoPixels(int empties) {
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Chunk(png, "IHDR", {0, 0, 0, 2, 0, 0, 0, 1, 8, 6, 0, 0, 0});
    for (int i = 0; i < empties; ++i) Chunk(png, "IDAT", {});
    // zlib, one stored block: filter 0, then RGBA RGBA.
    const std::vector<unsigned char> raw = {0, 255, 0, 0, 255, 0, 0, 255, 128};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    std::vector<unsigned char> z = {0x78, 0x01, 0x01, uint8_t(raw.size()), 0, uint8_t(~raw.size()), 0xFF};
    z.insert(z.end(), raw.begin(), raw.end());
    const uint32_t adler = (b << 16) | a;
    z.insert(z.end(), {uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8), uint8_t(adler)});
    Chunk(png, "IDAT", z);
    if (empties) Chunk(png, "IDAT", {});
    Chunk(png, "IEND", {});
    return png;
}

TEST(PngChunks, EmptyImageDataChunksAreLeftOut) {
    for (int empties : {0, 1, 3}) {
        const std::vector<unsigned char> png = TwoPixels(empties);
        std::string error;
        auto t = gfx::Texture::CreateFromImage(png.data(), png.size(), false, gfx::ImageFilter::Point,
                                               gfx::Format::A8R8G8B8, &error);
        ASSERT_TRUE(t) << empties << ": " << error;
        ASSERT_EQ(t->Width(), 2);
        ASSERT_EQ(t->Height(), 1);
        EXPECT_EQ(t->Pixels()[0], 0xFFFF0000u) << empties;
        EXPECT_EQ(t->Pixels()[1], 0x800000FFu) << empties;
    }
}

// Damaged pictures found by fuzzing: the first image data chunk is empty, the second
// time with its check sum cut off at the end of the file.
TEST(PngChunks, DamagedFileWithAnEmptyFirstChunkIsRefusedCleanly) {
    for (const char* name : {"empty_idat_first.png", "empty_idat_without_checksum.png"}) {
        std::ifstream in(std::string(VORMANT_SOURCE_DIR "/fuzz/inputs/image/") + name, std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        std::string error;
        auto t = gfx::Texture::CreateFromImage(bytes.data(), bytes.size(), true, gfx::ImageFilter::Linear,
                                               gfx::Format::A8R8G8B8, &error);
        if (!t) {
            EXPECT_FALSE(error.empty()) << name;
        }
        // Cut short anywhere, it still fails or loads without reading past its end.
        for (size_t n = 1; n < bytes.size(); n += 7)
            gfx::Texture::CreateFromImage(bytes.data(), n, false, gfx::ImageFilter::Point, gfx::Format::A8R8G8B8);
    }
}

}  // namespace

namespace {

// A chunk that declares more bytes than the file holds is refused before anything
// is reserved for it (the decoder would reserve up to 2 GB first).
TEST(PngChunks, AChunkLongerThanTheFileIsRefusedBeforeDecoding) {
    std::vector<unsigned char> png = TwoPixels(0);
    // The image data chunk follows the signature (8) and the header chunk (25).
    png[33] = 0x7F, png[34] = 0xFF, png[35] = 0xFF, png[36] = 0xF0;
    std::string error;
    EXPECT_FALSE(gfx::Texture::CreateFromImage(png.data(), png.size(), false, gfx::ImageFilter::Point,
                                               gfx::Format::A8R8G8B8, &error));
    EXPECT_NE(error.find("2147483632"), std::string::npos) << error;

    std::ifstream in(VORMANT_SOURCE_DIR "/fuzz/inputs/image/huge_chunk.png", std::ios::binary);
    const std::vector<unsigned char> found((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(found.empty());
    error.clear();
    EXPECT_FALSE(gfx::Texture::CreateFromImage(found.data(), found.size(), false, gfx::ImageFilter::Point,
                                               gfx::Format::A8R8G8B8, &error));
    EXPECT_NE(error.find("more than the file holds"), std::string::npos) << error;

    // A file cut inside the check sum of its end chunk still reads.
    std::vector<unsigned char> cut = TwoPixels(1);
    cut.resize(cut.size() - 2);
    EXPECT_TRUE(gfx::Texture::CreateFromImage(cut.data(), cut.size(), false, gfx::ImageFilter::Point,
                                              gfx::Format::A8R8G8B8));
}

}  // namespace
