#pragma once
// Our software rendering device.  It follows the fixed-function rules of the 3D API
// the game was written for (pixel centres, top-left fill rule, texture stage 0,
// blending, depth, culling, lighting, vertex blending, render targets), so that the
// game's drawing code maps onto it one call for one call, and it is deterministic:
// the same calls give the same pixels.
//
// State ids keep the numeric values of that API so tables of states carry over.
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/texture.h"
#include "hresult.h"
#include "math/vmath.h"

namespace gfx {

using Color = uint32_t;  // ARGB, one 32-bit value

constexpr Color MakeArgb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (Color(a & 0xFF) << 24) | (Color(r & 0xFF) << 16) | (Color(g & 0xFF) << 8) | Color(b & 0xFF);
}

enum RenderState : int {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_TEXTUREFACTOR = 60,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_COLORVERTEX = 141,
    RS_LOCALVIEWER = 142,
    RS_NORMALIZENORMALS = 143,
    RS_DIFFUSEMATERIALSOURCE = 145,
    RS_SPECULARMATERIALSOURCE = 146,
    RS_AMBIENTMATERIALSOURCE = 147,
    RS_EMISSIVEMATERIALSOURCE = 148,
    RS_VERTEXBLEND = 151,
    RS_BLENDOP = 171,
    RS_SCISSORTESTENABLE = 174,
    RS_COUNT = 256,
};

enum SamplerState : int {
    SAMP_ADDRESSU = 1,
    SAMP_ADDRESSV = 2,
    SAMP_ADDRESSW = 3,
    SAMP_BORDERCOLOR = 4,
    SAMP_MAGFILTER = 5,
    SAMP_MINFILTER = 6,
    SAMP_MIPFILTER = 7,
    SAMP_COUNT = 16,
};

enum TextureStageState : int {
    TSS_COLOROP = 1,
    TSS_COLORARG1 = 2,
    TSS_COLORARG2 = 3,
    TSS_ALPHAOP = 4,
    TSS_ALPHAARG1 = 5,
    TSS_ALPHAARG2 = 6,
    TSS_TEXCOORDINDEX = 11,
    TSS_TEXTURETRANSFORMFLAGS = 24,
    TSS_RESULTARG = 28,
    TSS_COUNT = 33,
};

// Values of the states above.
enum : uint32_t {
    ZB_FALSE = 0, ZB_TRUE = 1,
    SHADE_FLAT = 1, SHADE_GOURAUD = 2,
    FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3,
    CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3,
    CMP_NEVER = 1, CMP_LESS = 2, CMP_EQUAL = 3, CMP_LESSEQUAL = 4, CMP_GREATER = 5, CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7, CMP_ALWAYS = 8,
    BLEND_ZERO = 1, BLEND_ONE = 2, BLEND_SRCCOLOR = 3, BLEND_INVSRCCOLOR = 4, BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6, BLEND_DESTALPHA = 7, BLEND_INVDESTALPHA = 8, BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10, BLEND_SRCALPHASAT = 11,
    BLENDOP_ADD = 1, BLENDOP_SUBTRACT = 2, BLENDOP_REVSUBTRACT = 3, BLENDOP_MIN = 4, BLENDOP_MAX = 5,
    MCS_MATERIAL = 0, MCS_COLOR1 = 1, MCS_COLOR2 = 2,
    VBF_DISABLE = 0, VBF_1WEIGHTS = 1, VBF_2WEIGHTS = 2, VBF_3WEIGHTS = 3,
    TADDRESS_WRAP = 1, TADDRESS_MIRROR = 2, TADDRESS_CLAMP = 3, TADDRESS_BORDER = 4,
    TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2,
    TOP_DISABLE = 1, TOP_SELECTARG1 = 2, TOP_SELECTARG2 = 3, TOP_MODULATE = 4, TOP_MODULATE2X = 5,
    TOP_MODULATE4X = 6, TOP_ADD = 7, TOP_ADDSIGNED = 8, TOP_ADDSIGNED2X = 9, TOP_SUBTRACT = 10, TOP_ADDSMOOTH = 11,
    TA_DIFFUSE = 0, TA_CURRENT = 1, TA_TEXTURE = 2, TA_TFACTOR = 3, TA_SPECULAR = 4,
    TA_COMPLEMENT = 0x10, TA_ALPHAREPLICATE = 0x20,  // modifiers of an argument
};
// The device builds texture stage 0 only, with the operations up to TOP_ADDSMOOTH and
// the arguments up to TA_SPECULAR (with either modifier), the result going to the
// current colour, and the vertex's own texture coordinates (any of its eight sets,
// untransformed): other operations, arguments, results, generated or transformed
// coordinates and a stage 1 that is not disabled are refused (E_NOTIMPL and one line
// in the device's log), as by a device without those capabilities.
constexpr int kBuiltTextureStages = 1;

enum TransformState : int {
    TS_VIEW = 2,
    TS_PROJECTION = 3,
    TS_WORLD = 256,  // TS_WORLD + n: world matrix n (vertex blending), n < 4
};
constexpr int TS_WORLDMATRIX(int n) { return TS_WORLD + n; }

enum PrimitiveType : int {
    PT_POINTLIST = 1,
    PT_LINELIST = 2,
    PT_LINESTRIP = 3,
    PT_TRIANGLELIST = 4,
    PT_TRIANGLESTRIP = 5,
    PT_TRIANGLEFAN = 6,
};

enum : uint32_t { CLEAR_TARGET = 1, CLEAR_ZBUFFER = 2, CLEAR_STENCIL = 4 };

// Flexible vertex format bits (same values as the API's).
enum : uint32_t {
    FVF_XYZ = 0x002,
    FVF_XYZRHW = 0x004,
    FVF_XYZB1 = 0x006,
    FVF_XYZB2 = 0x008,
    FVF_XYZB3 = 0x00A,
    FVF_XYZB4 = 0x00C,
    FVF_NORMAL = 0x010,
    FVF_DIFFUSE = 0x040,
    FVF_SPECULAR = 0x080,
    FVF_TEX1 = 0x100,
    FVF_TEX2 = 0x200,
};

struct Viewport {
    uint32_t x = 0, y = 0, width = 640, height = 480;
    float minZ = 0.0f, maxZ = 1.0f;
};

struct ColorValue { float r = 0, g = 0, b = 0, a = 0; };

struct Material {
    ColorValue diffuse, ambient, specular, emissive;
    float power = 0;
};

enum LightType : int { LIGHT_POINT = 1, LIGHT_SPOT = 2, LIGHT_DIRECTIONAL = 3 };

struct Light {
    LightType type = LIGHT_DIRECTIONAL;
    ColorValue diffuse, specular, ambient;
    vm::Vec3 position, direction;
    float range = 0, falloff = 0, attenuation0 = 0, attenuation1 = 0, attenuation2 = 0, theta = 0, phi = 0;
};

// Where the device writes its diagnostic lines (states it refuses); standard error
// until the program hands it its own log.
using DeviceLogFn = void (*)(const char* line);
void SetDeviceLog(DeviceLogFn log);

class Texture;  // an image the device samples from or renders into (see texture.h)

// The device: one back buffer with its depth buffer, the states above, and the
// draw calls.  Presenting hands the back buffer to the platform window.
class Device {
public:
    Device(int width, int height);
    ~Device();

    int Width() const;
    int Height() const;

    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(uint32_t flags, Color color, float z, uint32_t stencil);
    HRESULT Present();
    HRESULT Reset();

    HRESULT SetRenderState(RenderState state, uint32_t value);
    uint32_t GetRenderState(RenderState state) const;
    HRESULT SetSamplerState(int sampler, SamplerState state, uint32_t value);
    uint32_t GetSamplerState(int sampler, SamplerState state) const;
    HRESULT SetTextureStageState(int stage, TextureStageState state, uint32_t value);
    uint32_t GetTextureStageState(int stage, TextureStageState state) const;
    HRESULT SetTransform(int state, const vm::Matrix& m);
    vm::Matrix GetTransform(int state) const;
    HRESULT SetViewport(const Viewport& vp);
    Viewport GetViewport() const;
    // With RS_SCISSORTESTENABLE on, triangles, lines and points are drawn only within
    // this rectangle of the target (and the viewport); clears are not limited by it.
    // It is the whole target until set, and again whenever a target is picked.
    HRESULT SetScissorRect(const Rect& rect);
    Rect GetScissorRect() const;

    // Fixed-function pipeline inputs.
    HRESULT SetFVF(uint32_t fvf);
    uint32_t GetFVF() const;
    // Null: see PreparePipe for what a stage reading the missing texture gives.
    HRESULT SetTexture(int stage, Texture* texture);
    Texture* GetTexture(int stage) const;
    HRESULT SetMaterial(const Material& material);
    Material GetMaterial() const;
    HRESULT SetLight(int index, const Light& light);
    HRESULT LightEnable(int index, bool enable);

    // Draws from vertices in memory laid out by the current FVF, `stride` bytes apart.
    HRESULT DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride);
    // Indexed: 16-bit (index32 false) or 32-bit indices into `vertices`.
    HRESULT DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                   uint32_t primitiveCount, const void* indices, bool index32, const void* vertices,
                                   uint32_t stride);

    // Render target: null restores the back buffer.  The target's own depth buffer
    // is used while it is set.
    HRESULT SetRenderTarget(Texture* target);
    Texture* GetRenderTarget() const;

    // The back buffer (ARGB, Width() x Height()), with every call so far drawn.
    const uint32_t* BackBuffer() const;

    // Whether frames that repeat the last one's calls are drawn again (on unless the
    // environment sets VORMANT_FRAME_REUSE=0; the pixels are the same either way).
    void SetFrameReuse(bool on);

    struct Impl;
    Impl* impl() { return impl_.get(); }

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace gfx
