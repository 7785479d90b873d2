#pragma once
// DirectDraw surface files ("DDS "): the first level of a 2D texture, uncompressed
// (any channel masks of 8 to 32 bits a texel) or block-compressed (DXT1, DXT3,
// DXT5), decoded to 32-bit ARGB.  The file's smaller levels are checked to lie
// within the file but not kept: textures hold one level.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gfx::dds {

// Byte offsets and flags of the 128-byte file header (the magic number, then the
// surface description).
constexpr size_t kHeaderSize = 128;
constexpr size_t kOffFlags = 8, kOffHeight = 12, kOffWidth = 16, kOffMipCount = 28;
constexpr size_t kOffPixelFlags = 80, kOffFourCC = 84, kOffBitCount = 88, kOffMasks = 92, kOffCaps2 = 112;
constexpr uint32_t kFlagMipCount = 0x20000;
constexpr uint32_t kPixelAlpha = 0x1, kPixelAlphaOnly = 0x2, kPixelFourCC = 0x4, kPixelRgb = 0x40,
                   kPixelLuminance = 0x20000;
constexpr uint32_t kCaps2CubeMap = 0x200, kCaps2Volume = 0x200000;

// True when the bytes start with the magic number "DDS ".
bool IsDds(const unsigned char* data, size_t size);

// Decodes the first level into `argb` (width x height, row after row).  The size
// from the header is checked against `maxSide` and the levels the header declares
// against the bytes the file holds before anything is decoded or reserved.  False,
// with the reason in `why`, for damaged files and kinds that are not read (cube
// maps, volumes, other compressions).
bool Decode(const unsigned char* data, size_t size, int maxSide, std::vector<uint32_t>& argb, int& width,
            int& height, std::string& why);

}  // namespace gfx::dds
