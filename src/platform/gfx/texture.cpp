// Textures: storage, locking and creation from picture files (DDS, PNG, BMP, JPEG, TGA).
#include "gfx/texture.h"

#include "core/picture_reader.h"
#include "gfx/image_dds.h"
#include "gfx/image_extent.h"

#include <stb_image.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace gfx {

namespace {
std::atomic<uint64_t> g_nextStamp{1};
}  // namespace

void Texture::MarkChanged() { stamp_ = g_nextStamp.fetch_add(1, std::memory_order_relaxed); }

Texture::Texture(int width, int height, Format format, bool renderTarget)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), format_(format), renderTarget_(renderTarget) {
    pixels_.assign(size_t(width_) * height_, format == Format::X8R8G8B8 ? 0xFF000000u : 0u);
    if (renderTarget_) depth_.assign(size_t(width_) * height_, 1.0f);
    MarkChanged();
}

Texture::~Texture() { detail::OnTextureDestroyed(this); }

uint32_t* Texture::Lock(int* pitch) {
    if (locked_) return nullptr;
    detail::OnTextureWrite(this);
    locked_ = true;
    MarkChanged();
    if (pitch) *pitch = width_;
    return pixels_.data();
}

void Texture::Unlock() {
    if (!locked_) return;
    locked_ = false;
    MarkChanged();
    if (format_ == Format::X8R8G8B8)
        for (uint32_t& p : pixels_) p |= 0xFF000000u;
}

int Texture::RoundUpPowerOfTwo(int v) {
    int p = 1;
    while (p < v && p < (1 << 30)) p <<= 1;
    return p;
}

namespace {

// Resamples src (sw x sh) to dst (dw x dh).  Linear: each destination texel centre
// maps back into the source and reads the four nearest texels.
void Resample(const uint32_t* src, int sw, int sh, uint32_t* dst, int dw, int dh, ImageFilter filter) {
    const double sx = double(sw) / dw, sy = double(sh) / dh;
    for (int y = 0; y < dh; ++y) {
        const double fy = (y + 0.5) * sy - 0.5;
        for (int x = 0; x < dw; ++x) {
            const double fx = (x + 0.5) * sx - 0.5;
            if (filter == ImageFilter::Point) {
                const int ix = std::clamp(int(std::floor((x + 0.5) * sx)), 0, sw - 1);
                const int iy = std::clamp(int(std::floor((y + 0.5) * sy)), 0, sh - 1);
                dst[size_t(y) * dw + x] = src[size_t(iy) * sw + ix];
                continue;
            }
            const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
            const double wx = fx - x0, wy = fy - y0;
            const int xa = std::clamp(x0, 0, sw - 1), xb = std::clamp(x0 + 1, 0, sw - 1);
            const int ya = std::clamp(y0, 0, sh - 1), yb = std::clamp(y0 + 1, 0, sh - 1);
            const uint32_t c00 = src[size_t(ya) * sw + xa], c10 = src[size_t(ya) * sw + xb];
            const uint32_t c01 = src[size_t(yb) * sw + xa], c11 = src[size_t(yb) * sw + xb];
            uint32_t out = 0;
            for (int sh8 = 0; sh8 < 32; sh8 += 8) {
                const double v = ((c00 >> sh8) & 0xFF) * (1 - wx) * (1 - wy) + ((c10 >> sh8) & 0xFF) * wx * (1 - wy) +
                                 ((c01 >> sh8) & 0xFF) * (1 - wx) * wy + ((c11 >> sh8) & 0xFF) * wx * wy;
                out |= uint32_t(std::clamp(int(v + 0.5), 0, 255)) << sh8;
            }
            dst[size_t(y) * dw + x] = out;
        }
    }
}

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool IsEmptyImageData(const unsigned char* chunk) {
    return BigEndian32(chunk) == 0 && std::memcmp(chunk + 4, "IDAT", 4) == 0;
}

// Walks the chunks of a PNG file (anything else is left to the decoder, which
// refuses it).  False, with the reason, when a chunk declares more data than the
// file holds: the decoder would reserve all of it before noticing.  `empty` tells
// whether an image-data chunk is empty.
bool CheckPngChunks(const unsigned char* data, size_t size, bool& empty, std::string& why) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    empty = false;
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return true;
    for (size_t at = 8; at + 8 <= size;) {
        const uint64_t length = BigEndian32(data + at);
        if (length > size - at - 8) {
            why = "damaged PNG: a chunk declares " + std::to_string(length) + " bytes, more than the file holds";
            return false;
        }
        empty = empty || IsEmptyImageData(data + at);
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) break;
        at += 12 + size_t(length);
    }
    return true;
}

// The PNG file without its empty image-data chunks, which hold nothing (the decoder
// would add an offset to a null pointer for one that comes first).  The chunks
// have been checked to lie within the file.
std::vector<unsigned char> WithoutEmptyImageData(const unsigned char* data, size_t size) {
    std::vector<unsigned char> out(data, data + 8);
    size_t at = 8;
    // A chunk whose header is whole counts, even when its checksum is cut off.
    while (at + 8 <= size) {
        const size_t next = std::min(size, at + 12 + size_t(BigEndian32(data + at)));
        if (!IsEmptyImageData(data + at)) out.insert(out.end(), data + at, data + next);
        at = next;
    }
    out.insert(out.end(), data + at, data + size);
    return out;
}

// The decoder's reason for refusing a file, never empty.
std::string DecoderFailure() {
    const char* reason = stbi_failure_reason();
    return reason && *reason ? reason : "unreadable image";
}

// Decodes a picture through the image reader: PNG, BMP and JPEG by their magic
// numbers, in that order, then TGA, which has none, when its header is plausible.
// The size is checked from the header, and the file for holding the data the header
// announces, before anything is decoded, so a small file that declares a huge
// picture costs nothing; the reader itself refuses sides beyond the same limit
// before it reserves memory.  A JPEG is walked before the reader sees it at all:
// reading the header already builds its Huffman tables, trusting their sizes.
bool DecodeWithReader(const unsigned char* bytes, size_t size, std::vector<uint32_t>& argb, int& w, int& h,
                      std::string& why) {
    static const char* const kNames[] = {"", "PNG", "BMP", "JPEG", "TGA"};
    if (extent::StartsAsJpeg(bytes, size) && !extent::JpegIsWhole(bytes, size, why)) return false;
    int ok = 0;
    const int kind = picture_reader_info(bytes, int(size), &w, &h, &ok);
    if (kind == PICTURE_NONE) {
        why = "not a picture that is read (DDS, PNG, BMP, JPEG or TGA)";
        return false;
    }
    const std::string name = kNames[kind];
    if (!ok) {
        // The reader refuses sides beyond the limit in the header already.
        const std::string reason = DecoderFailure();
        why = reason == "too large" ? name + " picture of more than " + std::to_string(Texture::kMaxImageSide) +
                                          " pixels a side"
                                    : "damaged " + name + " (" + reason + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || w > Texture::kMaxImageSide || h > Texture::kMaxImageSide) {
        why = name + " picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels, outside 1 to " +
              std::to_string(Texture::kMaxImageSide);
        return false;
    }
    if ((kind == PICTURE_BMP && !extent::BmpIsWhole(bytes, size, why)) ||
        (kind == PICTURE_TGA && !extent::TgaIsWhole(bytes, size, why)))
        return false;
    int comp = 0;
    unsigned char* rgba = stbi_load_from_memory(bytes, int(size), &w, &h, &comp, 4);
    if (!rgba) {
        why = "damaged " + name + " (" + DecoderFailure() + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || w > Texture::kMaxImageSide || h > Texture::kMaxImageSide) {
        stbi_image_free(rgba);
        why = "picture size out of range";
        return false;
    }
    argb.resize(size_t(w) * h);
    for (size_t i = 0; i < argb.size(); ++i) {
        const unsigned char* p = rgba + i * 4;
        argb[i] = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    return true;
}

}  // namespace

std::unique_ptr<Texture> Texture::CreateFromPixels(const uint32_t* argb, int width, int height,
                                                   bool roundToPowerOfTwo, ImageFilter filter, Format format) {
    if (!argb || width <= 0 || height <= 0) return nullptr;
    const int tw = roundToPowerOfTwo ? RoundUpPowerOfTwo(width) : width;
    const int th = roundToPowerOfTwo ? RoundUpPowerOfTwo(height) : height;
    auto tex = std::make_unique<Texture>(tw, th, format, false);
    if (tw == width && th == height) std::copy(argb, argb + size_t(width) * height, tex->pixels_.begin());
    else Resample(argb, width, height, tex->pixels_.data(), tw, th, filter);
    if (format == Format::X8R8G8B8)
        for (uint32_t& p : tex->pixels_) p |= 0xFF000000u;
    return tex;
}

std::unique_ptr<Texture> Texture::CreateFromImage(const void* bytes, size_t size, bool roundToPowerOfTwo,
                                                  ImageFilter filter, Format format, std::string* error) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) {
        if (error) *error = "no image data";
        return nullptr;
    }
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    std::vector<uint32_t> argb;
    int w = 0, h = 0;
    std::string why;
    bool decoded = false;
    if (dds::IsDds(data, size)) {
        decoded = dds::Decode(data, size, kMaxImageSide, argb, w, h, why);
    } else {
        bool empty = false;
        std::vector<unsigned char> cleaned;
        if (CheckPngChunks(data, size, empty, why)) {
            if (empty) {
                cleaned = WithoutEmptyImageData(data, size);
                data = cleaned.data();
                size = cleaned.size();
            }
            decoded = DecodeWithReader(data, size, argb, w, h, why);
        }
    }
    if (!decoded) {
        if (error) *error = why;
        return nullptr;
    }
    return CreateFromPixels(argb.data(), w, h, roundToPowerOfTwo, filter, format);
}

}  // namespace gfx
