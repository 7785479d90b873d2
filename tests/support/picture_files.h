#pragma once
// Small picture files made in memory, for the picture readers' tests and the fuzz
// seeds: BMP, TGA and JPEG through the image writer, DDS by hand.
#include <stb_image_write.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace picture_files {

// The pixels, 0xAARRGGBB, as the writer's RGBA bytes.
inline std::vector<unsigned char> Rgba(const std::vector<uint32_t>& argb) {
    std::vector<unsigned char> out;
    for (uint32_t p : argb) out.insert(out.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    return out;
}

inline void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

// `kind`: 'b' BMP (24-bit with `alpha` false, else 32-bit), 't' TGA, 'r' TGA run-length
// coded, 'j' JPEG at quality 100.
inline std::vector<unsigned char> Encode(char kind, const std::vector<uint32_t>& argb, int w, int h,
                                         bool alpha = true) {
    const std::vector<unsigned char> rgba = Rgba(argb);
    std::vector<unsigned char> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i] + 3);
    const int comp = alpha ? 4 : 3;
    const void* pixels = alpha ? rgba.data() : rgb.data();
    std::vector<unsigned char> out;
    stbi_write_tga_with_rle = kind == 'r' ? 1 : 0;
    if (kind == 'b') stbi_write_bmp_to_func(Append, &out, w, h, comp, pixels);
    else if (kind == 'j') stbi_write_jpg_to_func(Append, &out, w, h, comp, pixels, 100);
    else stbi_write_tga_to_func(Append, &out, w, h, comp, pixels);
    return out;
}

// A DDS pixel format: a four-character code, or flags, bits a texel and the red,
// green, blue and alpha masks.
struct DdsFormat {
    const char* fourCC = nullptr;
    uint32_t flags = 0, bits = 0, masks[4] = {0, 0, 0, 0};
};
inline const DdsFormat kDxt1{"DXT1"}, kDxt3{"DXT3"}, kDxt5{"DXT5"};
inline const DdsFormat kA8R8G8B8{nullptr, 0x41, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
inline const DdsFormat kX8R8G8B8{nullptr, 0x40, 32, {0xFF0000, 0xFF00, 0xFF, 0}};
inline const DdsFormat kR8G8B8{nullptr, 0x40, 24, {0xFF0000, 0xFF00, 0xFF, 0}};
inline const DdsFormat kR5G6B5{nullptr, 0x40, 16, {0xF800, 0x7E0, 0x1F, 0}};
inline const DdsFormat kA1R5G5B5{nullptr, 0x41, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}};
inline const DdsFormat kA4R4G4B4{nullptr, 0x41, 16, {0xF00, 0xF0, 0xF, 0xF000}};
inline const DdsFormat kL8{nullptr, 0x20000, 8, {0xFF, 0, 0, 0}};
inline const DdsFormat kA8{nullptr, 0x2, 8, {0, 0, 0, 0xFF}};

// A DDS file: the 128-byte header, then `data` (every level, as the file holds them).
// `levels` above 1 is written with the mip-count flag.
inline std::vector<unsigned char> Dds(const DdsFormat& format, uint32_t w, uint32_t h, uint32_t levels,
                                      const std::vector<unsigned char>& data, uint32_t caps2 = 0) {
    std::vector<unsigned char> out(128, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) out[at + k] = uint8_t(v >> (8 * k));
    };
    std::memcpy(out.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1007 | (levels > 1 ? 0x20000 : 0));  // caps, height, width, pixel format
    put(12, h);
    put(16, w);
    put(28, levels);
    put(76, 32);
    if (format.fourCC) {
        put(80, 0x4);
        std::memcpy(out.data() + 84, format.fourCC, 4);
    } else {
        put(80, format.flags);
        put(88, format.bits);
        for (int k = 0; k < 4; ++k) put(92 + 4 * k, format.masks[k]);
    }
    put(108, 0x1000 | (levels > 1 ? 0x400008 : 0));
    put(112, caps2);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

}  // namespace picture_files
