#pragma once
// A texture: one level of 32-bit ARGB texels the device samples from or renders into.
// Render targets also carry their own depth buffer, used while they are the device's
// target.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hresult.h"

namespace gfx {

// A rectangle of texels or pixels: left and top inside, right and bottom outside.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

enum class Format : int {
    A8R8G8B8 = 21,  // alpha kept
    X8R8G8B8 = 22,  // alpha reads as 255
};

// How an image is fitted when its size is rounded up.
enum class ImageFilter : int { Point, Linear };

class Texture;

namespace detail {
// Called by every texture as it goes away: open sprite batches that still hold it
// draw it first, and devices that have it bound (texture stage or render target)
// let go of it, in the calls they noted for frame reuse too.
void OnTextureDestroyed(const Texture* texture);
// Called as a texture is locked: devices holding back drawing that reads it draw first.
void OnTextureWrite(const Texture* texture);
}  // namespace detail

// A texture may be destroyed while it is still bound or queued: the device and the
// sprite batches forget it safely (see detail::OnTextureDestroyed).
class Texture {
public:
    // A width x height texture cleared to transparent black (0x00000000).  Sizes
    // below 1 become 1.  A render target gets a depth buffer cleared to 1.0.
    Texture(int width, int height, Format format = Format::A8R8G8B8, bool renderTarget = false);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    Format GetFormat() const { return format_; }
    bool IsRenderTarget() const { return renderTarget_; }

    // Texels, row after row, Width() apart.  X8R8G8B8 textures keep 0xFF in the alpha
    // byte of every texel (Unlock restores it after writes).
    uint32_t* Pixels() { return pixels_.data(); }
    const uint32_t* Pixels() const { return pixels_.data(); }
    int Pitch() const { return width_; }  // in texels

    // Direct access for writing; pitch in texels.  Lock does not nest.  Texels of a
    // texture the device has drawn with are changed only between Lock and Unlock
    // (writing through Pixels() is for filling a texture just made).
    uint32_t* Lock(int* pitch = nullptr);
    void Unlock();
    bool IsLocked() const { return locked_; }

    // Names the texture and its texels as they are now: it changes whenever they may
    // change (Lock, Unlock, drawing into the texture as a render target), and no two
    // textures share one.  Equal stamps mean the same texels.
    uint64_t Stamp() const { return stamp_; }
    void MarkChanged();

    // Depth buffer of a render target (null for other textures).
    float* Depth() { return depth_.empty() ? nullptr : depth_.data(); }

    // Creates a texture from picture file bytes, recognised by their content, not by
    // the file's name, in this order: DDS, PNG, BMP and JPEG by their magic numbers,
    // then TGA, which has none, when its header is plausible.  DDS files may be
    // uncompressed or DXT1, DXT3, DXT5; only their first level is kept, as textures
    // hold one level (the smaller levels are checked to lie within the file).  Every
    // format is decoded to 32-bit ARGB, the compressed ones too.  With
    // `roundToPowerOfTwo` the size is rounded up to powers of two and the picture is
    // filtered to that size (the default-size rule of the texture loader); otherwise
    // it keeps its size.  Returns null and a reason in `error` when the bytes are not
    // a picture that is read, are damaged or cut short, or declare a side beyond
    // kMaxImageSide: the size is checked from the header before anything is decoded.
    static constexpr int kMaxImageSide = 4096;
    static std::unique_ptr<Texture> CreateFromImage(const void* bytes, size_t size, bool roundToPowerOfTwo,
                                                    ImageFilter filter, Format format, std::string* error = nullptr);
    // The same for an image held in memory as ARGB pixels.
    static std::unique_ptr<Texture> CreateFromPixels(const uint32_t* argb, int width, int height,
                                                     bool roundToPowerOfTwo, ImageFilter filter, Format format);

    // The smallest power of two not below v (1 for v <= 1).
    static int RoundUpPowerOfTwo(int v);

private:
    int width_ = 1, height_ = 1;
    Format format_ = Format::A8R8G8B8;
    bool renderTarget_ = false;
    bool locked_ = false;
    uint64_t stamp_ = 0;
    std::vector<uint32_t> pixels_;
    std::vector<float> depth_;
};

}  // namespace gfx
