// DirectDraw surface files: header checks, uncompressed texels by their channel masks,
// and the three block compressions.
#include "gfx/image_dds.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace gfx::dds {

namespace {

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint32_t Le16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }

// One channel of an uncompressed texel: where its bits lie and how to widen them to
// eight.  An empty mask reads as `missing`.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // the largest value the channel's bits hold
    uint32_t missing = 0;

    // False when the mask's bits are not one run (no writer makes such a file).
    bool Set(uint32_t m, uint32_t whenMissing) {
        mask = m;
        missing = whenMissing;
        if (m == 0) return true;
        shift = std::countr_zero(m);
        max = m >> shift;
        return (max & (max + 1)) == 0;
    }
    uint32_t Read(uint32_t texel) const {
        if (mask == 0) return missing;
        const uint32_t v = (texel & mask) >> shift;
        if (max >= 255) return v >> (std::bit_width(max) - 8);
        return (v * 255 + max / 2) / max;
    }
};

// How the texels of the file are stored.
struct Layout {
    int blockBytes = 0;  // 8 (DXT1) or 16 (DXT3, DXT5) for block compression, else 0
    char kind = 0;       // '1', '3' or '5' for the compressions
    int texelBytes = 0;  // uncompressed: 1 to 4
    Channel a, r, g, b;

    uint64_t LevelBytes(uint64_t w, uint64_t h) const {
        if (blockBytes) return ((w + 3) / 4) * ((h + 3) / 4) * uint64_t(blockBytes);
        return w * h * uint64_t(texelBytes);
    }
};

std::string FourCCName(uint32_t code) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        const char c = char((code >> (8 * i)) & 0xFF);
        if (c < 0x20 || c > 0x7E) return std::to_string(code);
        name += c;
    }
    return "'" + name + "'";
}

// The storage of the header's pixel format; false with the reason when it is not read.
bool ReadLayout(const unsigned char* h, Layout& out, std::string& why) {
    const uint32_t flags = Le32(h + kOffPixelFlags);
    if (flags & kPixelFourCC) {
        const uint32_t code = Le32(h + kOffFourCC);
        if (std::memcmp(h + kOffFourCC, "DXT1", 4) == 0) out.blockBytes = 8, out.kind = '1';
        else if (std::memcmp(h + kOffFourCC, "DXT3", 4) == 0) out.blockBytes = 16, out.kind = '3';
        else if (std::memcmp(h + kOffFourCC, "DXT5", 4) == 0) out.blockBytes = 16, out.kind = '5';
        else {
            why = "DDS pixel format " + FourCCName(code) + " is not read (only DXT1, DXT3, DXT5 and uncompressed)";
            return false;
        }
        return true;
    }
    if (!(flags & (kPixelRgb | kPixelLuminance | kPixelAlphaOnly))) {
        why = "DDS pixel format without colour or alpha channels (flags " + std::to_string(flags) + ") is not read";
        return false;
    }
    const uint32_t bits = Le32(h + kOffBitCount);
    if (bits == 0 || bits > 32 || bits % 8 != 0) {
        why = "damaged DDS: " + std::to_string(bits) + " bits a texel";
        return false;
    }
    out.texelBytes = int(bits / 8);
    const uint32_t rm = Le32(h + kOffMasks), gm = Le32(h + kOffMasks + 4), bm = Le32(h + kOffMasks + 8);
    const uint32_t am = (flags & (kPixelAlpha | kPixelAlphaOnly)) ? Le32(h + kOffMasks + 12) : 0;
    const uint32_t outside = bits == 32 ? 0 : ~((1u << bits) - 1);
    bool ok = ((rm | gm | bm | am) & outside) == 0 && (rm | gm | bm | am) != 0;
    if (flags & kPixelRgb) ok = ok && out.r.Set(rm, 0) && out.g.Set(gm, 0) && out.b.Set(bm, 0);
    else if (flags & kPixelLuminance) ok = ok && out.r.Set(rm, 0) && out.g.Set(rm, 0) && out.b.Set(rm, 0);
    ok = ok && out.a.Set(am, 255);  // no alpha channel: opaque
    if (!ok) {
        why = "damaged DDS: channel masks that do not fit " + std::to_string(bits) + " bits a texel";
        return false;
    }
    return true;
}

uint32_t Expand565(uint32_t c) {
    const uint32_t r = c >> 11, g = (c >> 5) & 63, b = c & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

// Per channel (a * wa + b * wb) / (wa + wb), rounded; alpha bytes are left 0.
uint32_t Mix(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb) {
    uint32_t out = 0;
    for (int s = 0; s < 24; s += 8) {
        const uint32_t v = (((a >> s) & 0xFF) * wa + ((b >> s) & 0xFF) * wb + (wa + wb) / 2) / (wa + wb);
        out |= v << s;
    }
    return out;
}

// The 16 texels of one block, row after row.  The colour half comes last in DXT3
// and DXT5 blocks, which always use four colours; DXT1 uses three and transparent
// black when the first colour is not above the second.
void DecodeBlock(const unsigned char* block, char kind, uint32_t out[16]) {
    const unsigned char* colour = kind == '1' ? block : block + 8;
    const uint32_t c0 = Le16(colour), c1 = Le16(colour + 2);
    uint32_t palette[4] = {Expand565(c0) | 0xFF000000u, Expand565(c1) | 0xFF000000u, 0, 0};
    if (kind != '1' || c0 > c1) {
        palette[2] = Mix(palette[0], palette[1], 2, 1) | 0xFF000000u;
        palette[3] = Mix(palette[0], palette[1], 1, 2) | 0xFF000000u;
    } else {
        palette[2] = Mix(palette[0], palette[1], 1, 1) | 0xFF000000u;
        palette[3] = 0;
    }
    const uint32_t indices = Le32(colour + 4);
    for (int i = 0; i < 16; ++i) out[i] = palette[(indices >> (2 * i)) & 3];
    if (kind == '3') {
        for (int i = 0; i < 16; ++i) {
            const uint32_t a = (block[i / 2] >> (4 * (i & 1))) & 0xF;
            out[i] = (out[i] & 0xFFFFFFu) | ((a * 17) << 24);
        }
    } else if (kind == '5') {
        const uint32_t a0 = block[0], a1 = block[1];
        uint32_t alpha[8] = {a0, a1, 0, 0, 0, 0, 0, 255};
        const uint32_t steps = a0 > a1 ? 7 : 5;
        for (uint32_t k = 1; k < steps; ++k) alpha[k + 1] = (a0 * (steps - k) + a1 * k + steps / 2) / steps;
        uint64_t bits = 0;
        for (int k = 0; k < 6; ++k) bits |= uint64_t(block[2 + k]) << (8 * k);
        for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0xFFFFFFu) | (alpha[(bits >> (3 * i)) & 7] << 24);
    }
}

void DecodeBlocks(const unsigned char* data, const Layout& layout, int width, int height, uint32_t* argb) {
    uint32_t texels[16];
    const int across = (width + 3) / 4;
    for (int by = 0; by < (height + 3) / 4; ++by) {
        for (int bx = 0; bx < across; ++bx) {
            DecodeBlock(data + (size_t(by) * across + bx) * layout.blockBytes, layout.kind, texels);
            for (int y = 0; y < 4 && by * 4 + y < height; ++y)
                for (int x = 0; x < 4 && bx * 4 + x < width; ++x)
                    argb[size_t(by * 4 + y) * width + bx * 4 + x] = texels[y * 4 + x];
        }
    }
}

void DecodeTexels(const unsigned char* data, const Layout& layout, size_t count, uint32_t* argb) {
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = data + i * layout.texelBytes;
        uint32_t texel = 0;
        for (int k = 0; k < layout.texelBytes; ++k) texel |= uint32_t(p[k]) << (8 * k);
        argb[i] = (layout.a.Read(texel) << 24) | (layout.r.Read(texel) << 16) | (layout.g.Read(texel) << 8) |
                  layout.b.Read(texel);
    }
}

}  // namespace

bool IsDds(const unsigned char* data, size_t size) { return size >= 4 && std::memcmp(data, "DDS ", 4) == 0; }

bool Decode(const unsigned char* data, size_t size, int maxSide, std::vector<uint32_t>& argb, int& width,
            int& height, std::string& why) {
    if (!IsDds(data, size) || size < kHeaderSize || Le32(data + 4) != 124 || Le32(data + 76) != 32) {
        why = "damaged DDS: header cut short or of the wrong size";
        return false;
    }
    const uint32_t w = Le32(data + kOffWidth), h = Le32(data + kOffHeight);
    if (w == 0 || h == 0 || w > uint32_t(maxSide) || h > uint32_t(maxSide)) {
        why = "DDS picture of " + std::to_string(w) + " x " + std::to_string(h) + " texels, outside 1 to " +
              std::to_string(maxSide);
        return false;
    }
    if (Le32(data + kOffCaps2) & (kCaps2CubeMap | kCaps2Volume)) {
        why = "DDS cube maps and volumes are not read";
        return false;
    }
    Layout layout;
    if (!ReadLayout(data, layout, why)) return false;
    // Every level the file declares must be whole; the longest chain halves the
    // longer side down to one texel.
    const uint32_t declared = Le32(data + kOffFlags) & kFlagMipCount ? Le32(data + kOffMipCount) : 1;
    const uint32_t levels = std::max(declared, 1u);
    if (levels > uint32_t(std::bit_width(std::max(w, h)))) {
        why = "damaged DDS: " + std::to_string(levels) + " levels for " + std::to_string(w) + " x " +
              std::to_string(h) + " texels";
        return false;
    }
    uint64_t need = 0;
    for (uint32_t level = 0; level < levels; ++level)
        need += layout.LevelBytes(std::max(w >> level, 1u), std::max(h >> level, 1u));
    if (need > size - kHeaderSize) {
        why = "damaged DDS: " + std::to_string(levels) + " levels need " + std::to_string(need) +
              " bytes, the file holds " + std::to_string(size - kHeaderSize);
        return false;
    }
    width = int(w);
    height = int(h);
    argb.assign(size_t(w) * h, 0);
    if (layout.blockBytes) DecodeBlocks(data + kHeaderSize, layout, width, height, argb.data());
    else DecodeTexels(data + kHeaderSize, layout, argb.size(), argb.data());
    return true;
}

}  // namespace gfx::dds
