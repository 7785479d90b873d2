#pragma once
// Device internals shared by the state code and the rasterizer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/device.h"
#include "gfx/frame_reuse.h"
#include "gfx/raster_pixel.h"
#include "gfx/texture.h"

namespace gfx {

// A vertex after vertex processing, ready for clipping (clip space) or already in
// screen space (pre-transformed input).
struct ProcVertex {
    float x = 0, y = 0, z = 0, w = 1;  // clip space, or screen x, y, z and rhw
    float r = 0, g = 0, b = 0, a = 0;  // diffuse, 0..255
    float sr = 0, sg = 0, sb = 0;      // specular, 0..255
    float u = 0, v = 0;
};

// Texture coordinate sets of vertex format `fvf` (at most eight), and the floats of
// set k: two, or one, three or four as the set's size bits say.
inline uint32_t TexSets(uint32_t fvf) { return std::min((fvf >> 8) & 0xFu, 8u); }
inline int TexSetFloats(uint32_t fvf, uint32_t k) {
    const uint32_t code = (fvf >> (16 + 2 * k)) & 3;
    return code == 0 ? 2 : code == 3 ? 1 : int(code) + 2;
}
// Bytes of sets 0 .. n-1.
inline uint32_t TexSetBytes(uint32_t fvf, uint32_t n) {
    uint32_t bytes = 0;
    for (uint32_t k = 0; k < n && k < 8; ++k) bytes += 4 * uint32_t(TexSetFloats(fvf, k));
    return bytes;
}

struct LightSlot {
    Light light;
    bool enabled = false;
    bool set = false;
};

struct Device::Impl {
    int width = 0, height = 0;
    std::vector<uint32_t> color;
    std::vector<float> depth;
    std::array<uint32_t, RS_COUNT> rs{};
    std::array<std::array<uint32_t, SAMP_COUNT>, 8> samp{};
    std::array<std::array<uint32_t, TSS_COUNT>, 8> tss{};
    vm::Matrix view, proj, world[4];
    Viewport viewport;
    Rect scissor;
    bool inScene = false;
    uint32_t fvf = 0;
    Texture* textures[8] = {};
    Material material;
    std::vector<LightSlot> lights;
    Texture* renderTarget = nullptr;

    // Frames repeating the last one are not drawn again (see frame_reuse.h).
    std::unique_ptr<detail::FrameReuse> reuse;
    uint64_t presentedAs = 0;  // the platform's frame count after this device's last Present
    // While frame reuse draws a frame's changed tiles again: the back buffer's tiles
    // (wantTile pixels square, row by row) whose pixels are wanted, and buffers laid
    // out as the back buffer's colour and depth to draw spans on whole; null otherwise.
    const uint8_t* wantTiles = nullptr;
    int wantTile = 16;
    uint32_t* spareColor = nullptr;
    float* spareDepth = nullptr;

    // Scratch space reused from draw to draw.
    std::vector<ProcVertex> procVerts;
    std::vector<uint8_t> procFlags;
    std::vector<ScreenVertex> screenVerts;

    // The current target.
    uint32_t* TargetColor() { return renderTarget ? renderTarget->Pixels() : color.data(); }
    float* TargetDepth() { return renderTarget ? renderTarget->Depth() : depth.data(); }
    int TargetWidth() const { return renderTarget ? renderTarget->Width() : width; }
    int TargetHeight() const { return renderTarget ? renderTarget->Height() : height; }

    // The viewport and scissor rectangle back to the whole of the current target.
    void WholeTarget();
    void SetDefaults();
    HRESULT Draw(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride,
                 const void* indices, bool index32, uint32_t minIndex, uint32_t numVertices);
};

}  // namespace gfx
