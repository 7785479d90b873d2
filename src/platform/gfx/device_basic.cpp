// Device states, clear, present and render targets.  (Drawing lives in raster.cpp.)
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "gfx/device.h"
#include "gfx/device_impl.h"
#include "system.h"

namespace gfx {

namespace {
std::vector<Device::Impl*>& LiveDevices() {
    static std::vector<Device::Impl*> devices;
    return devices;
}

uint32_t FloatBits(float f) {
    uint32_t u;
    static_assert(sizeof(u) == sizeof(f));
    __builtin_memcpy(&u, &f, sizeof(u));
    return u;
}
}  // namespace

void Device::Impl::WholeTarget() {
    viewport = Viewport{};
    viewport.width = uint32_t(TargetWidth());
    viewport.height = uint32_t(TargetHeight());
    scissor = Rect{0, 0, TargetWidth(), TargetHeight()};
}

// The values the 3D API documents for a freshly created device.
void Device::Impl::SetDefaults() {
    rs.fill(0);
    rs[RS_ZENABLE] = ZB_TRUE;  // a depth buffer is always created with the device
    rs[RS_FILLMODE] = FILL_SOLID;
    rs[RS_SHADEMODE] = SHADE_GOURAUD;
    rs[RS_ZWRITEENABLE] = 1;
    rs[RS_ALPHATESTENABLE] = 0;
    rs[RS_SRCBLEND] = BLEND_ONE;
    rs[RS_DESTBLEND] = BLEND_ZERO;
    rs[RS_CULLMODE] = CULL_CCW;
    rs[RS_ZFUNC] = CMP_LESSEQUAL;
    rs[RS_ALPHAREF] = 0;
    rs[RS_ALPHAFUNC] = CMP_ALWAYS;
    rs[RS_DITHERENABLE] = 0;
    rs[RS_ALPHABLENDENABLE] = 0;
    rs[RS_FOGENABLE] = 0;
    rs[RS_SPECULARENABLE] = 0;
    rs[RS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[RS_LIGHTING] = 1;
    rs[RS_AMBIENT] = 0;
    rs[RS_COLORVERTEX] = 1;
    rs[RS_LOCALVIEWER] = 1;
    rs[RS_NORMALIZENORMALS] = 0;
    rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
    rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_AMBIENTMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_EMISSIVEMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_VERTEXBLEND] = VBF_DISABLE;
    rs[RS_BLENDOP] = BLENDOP_ADD;
    rs[36] = 1;                     // fog end
    rs[168] = 0x0000000F;           // colour write enable
    rs[154] = FloatBits(1.0f);      // point size
    for (auto& s : samp) {
        s.fill(0);
        s[SAMP_ADDRESSU] = TADDRESS_WRAP;
        s[SAMP_ADDRESSV] = TADDRESS_WRAP;
        s[SAMP_ADDRESSW] = TADDRESS_WRAP;
        s[SAMP_BORDERCOLOR] = 0;
        s[SAMP_MAGFILTER] = TEXF_POINT;
        s[SAMP_MINFILTER] = TEXF_POINT;
        s[SAMP_MIPFILTER] = TEXF_NONE;
    }
    for (int i = 0; i < 8; ++i) {
        auto& t = tss[i];
        t.fill(0);
        t[TSS_COLOROP] = i == 0 ? TOP_MODULATE : TOP_DISABLE;
        t[TSS_COLORARG1] = TA_TEXTURE;
        t[TSS_COLORARG2] = TA_CURRENT;
        t[TSS_ALPHAOP] = i == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        t[TSS_ALPHAARG1] = TA_TEXTURE;
        t[TSS_ALPHAARG2] = TA_CURRENT;
        t[TSS_TEXCOORDINDEX] = i;
        t[TSS_RESULTARG] = TA_CURRENT;
    }
    view = proj = vm::Matrix{};
    for (auto& w : world) w = vm::Matrix{};
    fvf = 0;
    for (auto& t : textures) t = nullptr;
    material = Material{};
    lights.clear();
}

Device::Device(int width, int height) : impl_(std::make_unique<Impl>()) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    impl_->width = width;
    impl_->height = height;
    impl_->color.assign(size_t(width) * height, 0);
    impl_->depth.assign(size_t(width) * height, 1.0f);
    impl_->WholeTarget();
    impl_->SetDefaults();
    impl_->reuse = std::make_unique<detail::FrameReuse>(*this);
    LiveDevices().push_back(impl_.get());
}
Device::~Device() {
    auto& live = LiveDevices();
    live.erase(std::remove(live.begin(), live.end(), impl_.get()), live.end());
}

namespace detail {
void ForgetTextureInDevices(const Texture* texture) {
    for (Device::Impl* d : LiveDevices()) {
        d->reuse->TextureGone(texture);
        for (Texture*& t : d->textures)
            if (t == texture) t = nullptr;
        if (d->renderTarget == texture) {
            d->renderTarget = nullptr;
            d->WholeTarget();
        }
    }
}
void OnTextureWrite(const Texture* texture) {
    for (Device::Impl* d : LiveDevices()) d->reuse->TextureChanging(texture);
}
}  // namespace detail

using Op = detail::FrameReuse::Op;

int Device::Width() const { return impl_->width; }
int Device::Height() const { return impl_->height; }

HRESULT Device::BeginScene() {
    if (impl_->inScene) return E_FAIL;
    impl_->reuse->NoteState(Op::BeginScene, nullptr, 0);
    impl_->inScene = true;
    return S_OK;
}
HRESULT Device::EndScene() {
    if (!impl_->inScene) return E_FAIL;
    impl_->reuse->NoteState(Op::EndScene, nullptr, 0);
    impl_->inScene = false;
    return S_OK;
}

// Clears the viewport's rectangle of the current target (and its depth).
namespace {
// Fills n 32-bit words with one value, sixteen bytes per store.
// (Bytes are copied, so colour and depth words alike.)
void Fill32Sse(void* dst, uint32_t value, size_t n) {
    char* p = static_cast<char*>(dst);
    const __m128i v = _mm_set1_epi32(int(value));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i + 16), v);
    }
    for (; i < n; ++i) std::memcpy(p + 4 * i, &value, 4);
}
// The same with 32-byte stores: word by word up to a 32-byte boundary, then whole
// aligned 128-byte blocks.
__attribute__((target("avx"))) void Fill32Avx(void* dst, uint32_t value, size_t n) {
    char* p = static_cast<char*>(dst);
    size_t i = 0;
    for (; i < n && (reinterpret_cast<uintptr_t>(p + 4 * i) & 31) != 0; ++i) std::memcpy(p + 4 * i, &value, 4);
    const __m256i v = _mm256_set1_epi32(int(value));
    for (; i + 32 <= n; i += 32) {
        __m256i* const q = reinterpret_cast<__m256i*>(p + 4 * i);
        _mm256_store_si256(q, v);
        _mm256_store_si256(q + 1, v);
        _mm256_store_si256(q + 2, v);
        _mm256_store_si256(q + 3, v);
    }
    for (; i + 8 <= n; i += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(p + 4 * i), v);
    for (; i < n; ++i) std::memcpy(p + 4 * i, &value, 4);
}
// Asked once at start-up.
const bool g_clearAvx = (__builtin_cpu_init(), __builtin_cpu_supports("avx"));
void Fill32(void* dst, uint32_t value, size_t n) {
    if (g_clearAvx) Fill32Avx(dst, value, n);
    else Fill32Sse(dst, value, n);
}
}  // namespace

HRESULT Device::Clear(uint32_t flags, Color color, float z, uint32_t) {
    Impl& d = *impl_;
    if (d.reuse->HoldClear(flags, color, z)) return S_OK;
    d.reuse->Cleared(flags, z);
    const int tw = d.TargetWidth(), th = d.TargetHeight();
    const int x0 = std::min<int>(d.viewport.x, tw), y0 = std::min<int>(d.viewport.y, th);
    const int x1 = std::min<int>(int(d.viewport.x + d.viewport.width), tw);
    const int y1 = std::min<int>(int(d.viewport.y + d.viewport.height), th);
    uint32_t* c = d.TargetColor();
    float* dp = d.TargetDepth();
    if (d.renderTarget && d.renderTarget->GetFormat() == Format::X8R8G8B8) color |= 0xFF000000u;
    if (x0 >= x1 || y0 >= y1) return S_OK;
    uint32_t zBits;
    std::memcpy(&zBits, &z, 4);
    // While frame reuse draws changed tiles again, those alone.
    if (d.wantTiles && !d.renderTarget) {
        const int tilesX = (tw + d.wantTile - 1) / d.wantTile;
        for (int y = y0; y < y1; ++y)
            ForTileRuns(d.wantTiles, d.wantTile, tilesX, y, x0, x1, [&](int a, int b) {
                const size_t at = size_t(y) * tw + a, n = size_t(b - a);
                if (flags & CLEAR_TARGET) Fill32(c + at, color, n);
                if ((flags & CLEAR_ZBUFFER) && dp) Fill32(dp + at, zBits, n);
            });
        return S_OK;
    }
    // A viewport as wide as the target clears one block.
    const bool whole = x0 == 0 && x1 == tw;
    for (int y = y0; y < y1; ++y) {
        const size_t at = size_t(y) * tw + x0, n = whole ? size_t(y1 - y0) * tw : size_t(x1 - x0);
        if (flags & CLEAR_TARGET) Fill32(c + at, color, n);
        if ((flags & CLEAR_ZBUFFER) && dp) Fill32(dp + at, zBits, n);
        if (whole) break;
    }
    return S_OK;
}
HRESULT Device::Present() {
    Impl& d = *impl_;
    d.reuse->EndFrame();
    // Only the parts drawn since this device last presented can differ from the frame
    // the platform keeps, when nothing else was presented in between.
    const bool follows = d.presentedAs != 0 && plat::PresentedFrameCount() == d.presentedAs;
    const std::vector<plat::FrameRect>* changed = follows ? &d.reuse->ChangedParts() : nullptr;
    const bool shown = plat::PresentFrame(d.color.data(), d.width, d.height, d.width, changed, d.depth.data());
    d.reuse->Presented();
    d.presentedAs = plat::PresentedFrameCount();
    return shown ? S_OK : E_FAIL;
}
// Our device is never lost; a reset keeps everything.
HRESULT Device::Reset() { return S_OK; }

HRESULT Device::SetRenderState(RenderState s, uint32_t v) {
    if (s < 0 || s >= RS_COUNT) return E_INVALIDARG;
    const uint32_t note[2] = {uint32_t(s), v};
    impl_->reuse->NoteState(Op::RenderState, note, sizeof note);
    impl_->rs[s] = v;
    return S_OK;
}
uint32_t Device::GetRenderState(RenderState s) const { return (s >= 0 && s < RS_COUNT) ? impl_->rs[s] : 0; }
HRESULT Device::SetSamplerState(int i, SamplerState s, uint32_t v) {
    if (i < 0 || i >= 8 || s < 0 || s >= SAMP_COUNT) return E_INVALIDARG;
    const uint32_t note[3] = {uint32_t(i), uint32_t(s), v};
    impl_->reuse->NoteState(Op::SamplerState, note, sizeof note);
    impl_->samp[i][s] = v;
    return S_OK;
}
uint32_t Device::GetSamplerState(int i, SamplerState s) const {
    return (i >= 0 && i < 8 && s >= 0 && s < SAMP_COUNT) ? impl_->samp[i][s] : 0;
}
namespace {
DeviceLogFn g_deviceLog = nullptr;

// Why the device cannot take `v` for stage state `s` of stage `stage`; null when it can.
const char* StageStateRefusal(int stage, TextureStageState s, uint32_t v) {
    switch (s) {
        case TSS_COLOROP:
        case TSS_ALPHAOP:
            if (v < TOP_DISABLE || v > TOP_ADDSMOOTH) return "operation not supported";
            if (stage >= kBuiltTextureStages && v != TOP_DISABLE) return "stage not supported";
            return nullptr;
        case TSS_COLORARG1:
        case TSS_COLORARG2:
        case TSS_ALPHAARG1:
        case TSS_ALPHAARG2:
            if ((v & ~uint32_t(0xF | TA_COMPLEMENT | TA_ALPHAREPLICATE)) != 0 || (v & 0xF) > TA_SPECULAR)
                return "argument not supported";
            return nullptr;
        case TSS_RESULTARG: return v != TA_CURRENT ? "result argument not supported" : nullptr;
        case TSS_TEXCOORDINDEX:
            if (v >> 16) return "generated texture coordinates not supported";
            return v > 7 ? "no vertex has that coordinate set" : nullptr;
        case TSS_TEXTURETRANSFORMFLAGS: return v != 0 ? "texture coordinate transforms not supported" : nullptr;
        default: return nullptr;
    }
}

const char* StageStateName(TextureStageState s) {
    switch (s) {
        case TSS_COLOROP: return "COLOROP";
        case TSS_COLORARG1: return "COLORARG1";
        case TSS_COLORARG2: return "COLORARG2";
        case TSS_ALPHAOP: return "ALPHAOP";
        case TSS_ALPHAARG1: return "ALPHAARG1";
        case TSS_ALPHAARG2: return "ALPHAARG2";
        case TSS_TEXCOORDINDEX: return "TEXCOORDINDEX";
        case TSS_TEXTURETRANSFORMFLAGS: return "TEXTURETRANSFORMFLAGS";
        case TSS_RESULTARG: return "RESULTARG";
        default: return "?";
    }
}
}  // namespace

void SetDeviceLog(DeviceLogFn log) { g_deviceLog = log; }

HRESULT Device::SetTextureStageState(int i, TextureStageState s, uint32_t v) {
    if (i < 0 || i >= 8 || s < 0 || s >= TSS_COUNT) return E_INVALIDARG;
    if (const char* why = StageStateRefusal(i, s, v)) {
        char line[160];
        std::snprintf(line, sizeof line, "device: texture stage %d %s = %u refused (%s)", i, StageStateName(s),
                      unsigned(v), why);
        if (g_deviceLog) g_deviceLog(line);
        else std::fprintf(stderr, "%s\n", line);
        return E_NOTIMPL;
    }
    const uint32_t note[3] = {uint32_t(i), uint32_t(s), v};
    impl_->reuse->NoteState(Op::StageState, note, sizeof note);
    impl_->tss[i][s] = v;
    return S_OK;
}
uint32_t Device::GetTextureStageState(int i, TextureStageState s) const {
    return (i >= 0 && i < 8 && s >= 0 && s < TSS_COUNT) ? impl_->tss[i][s] : 0;
}
HRESULT Device::SetTransform(int s, const vm::Matrix& m) {
    if (s == TS_VIEW || s == TS_PROJECTION || (s >= TS_WORLD && s < TS_WORLD + 4)) {
        struct {
            uint32_t state;
            vm::Matrix m;
        } note{uint32_t(s), m};
        impl_->reuse->NoteState(Op::Transform, &note, sizeof note);
    }
    if (s == TS_VIEW) impl_->view = m;
    else if (s == TS_PROJECTION) impl_->proj = m;
    else if (s >= TS_WORLD && s < TS_WORLD + 4) impl_->world[s - TS_WORLD] = m;
    else return E_INVALIDARG;
    return S_OK;
}
vm::Matrix Device::GetTransform(int s) const {
    if (s == TS_VIEW) return impl_->view;
    if (s == TS_PROJECTION) return impl_->proj;
    if (s >= TS_WORLD && s < TS_WORLD + 4) return impl_->world[s - TS_WORLD];
    return {};
}
HRESULT Device::SetViewport(const Viewport& vp) {
    // A viewport reaching past the target is accepted (drawing and clearing are
    // clipped to the target), as on Windows; only sizes beyond any target are not.
    constexpr uint64_t kLimit = uint64_t(1) << 24;
    if (uint64_t(vp.x) + vp.width > kLimit || uint64_t(vp.y) + vp.height > kLimit) return E_INVALIDARG;
    impl_->reuse->NoteState(Op::Viewport, &vp, sizeof vp);
    impl_->viewport = vp;
    return S_OK;
}
Viewport Device::GetViewport() const { return impl_->viewport; }
HRESULT Device::SetScissorRect(const Rect& rect) {
    impl_->reuse->NoteState(Op::Scissor, &rect, sizeof rect);
    impl_->scissor = rect;
    return S_OK;
}
Rect Device::GetScissorRect() const { return impl_->scissor; }

HRESULT Device::SetFVF(uint32_t fvf) {
    impl_->reuse->NoteState(Op::Fvf, &fvf, sizeof fvf);
    impl_->fvf = fvf;
    return S_OK;
}
uint32_t Device::GetFVF() const { return impl_->fvf; }
HRESULT Device::SetTexture(int stage, Texture* texture) {
    if (stage < 0 || stage >= 8) return E_INVALIDARG;
    impl_->reuse->NoteTexture(Op::Texture, uint32_t(stage), texture);
    impl_->textures[stage] = texture;
    return S_OK;
}
Texture* Device::GetTexture(int stage) const { return (stage >= 0 && stage < 8) ? impl_->textures[stage] : nullptr; }
HRESULT Device::SetMaterial(const Material& m) {
    impl_->reuse->NoteState(Op::Material, &m, sizeof m);
    impl_->material = m;
    return S_OK;
}
Material Device::GetMaterial() const { return impl_->material; }
HRESULT Device::SetLight(int index, const Light& light) {
    if (index < 0 || index > 4096) return E_INVALIDARG;
    struct {
        uint32_t index;
        Light light;
    } note{uint32_t(index), light};
    impl_->reuse->NoteState(Op::Light, &note, sizeof note);
    if (size_t(index) >= impl_->lights.size()) impl_->lights.resize(index + 1);
    impl_->lights[index].light = light;
    impl_->lights[index].set = true;
    return S_OK;
}
HRESULT Device::LightEnable(int index, bool enable) {
    if (index < 0 || index > 4096) return E_INVALIDARG;
    const uint32_t note[2] = {uint32_t(index), uint32_t(enable)};
    impl_->reuse->NoteState(Op::LightEnable, note, sizeof note);
    if (size_t(index) >= impl_->lights.size()) impl_->lights.resize(index + 1);
    LightSlot& slot = impl_->lights[index];
    if (!slot.set) {  // enabling a light never set gives the API's default white light
        slot.light = Light{};
        slot.light.diffuse = {1, 1, 1, 0};
        slot.light.direction = {0, 0, 1};
        slot.light.range = 1e30f;
        slot.set = true;
    }
    slot.enabled = enable;
    return S_OK;
}

// Setting a target resets the viewport and the scissor rectangle to the whole of it.
HRESULT Device::SetRenderTarget(Texture* target) {
    if (target && !target->IsRenderTarget()) return E_INVALIDARG;
    // Drawing into a render target is drawn as it comes.
    if (target) impl_->reuse->Settle();
    impl_->reuse->NoteTexture(Op::RenderTarget, 0, target);
    impl_->renderTarget = target;
    impl_->WholeTarget();
    return S_OK;
}
Texture* Device::GetRenderTarget() const { return impl_->renderTarget; }

const uint32_t* Device::BackBuffer() const {
    impl_->reuse->Settle();
    return impl_->color.data();
}

void Device::SetFrameReuse(bool on) { impl_->reuse->SetEnabled(on); }

HRESULT Device::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride) {
    if (impl_->reuse->HoldDraw(type, primitiveCount, vertices, stride, nullptr, false)) return S_OK;
    const HRESULT hr = impl_->Draw(type, primitiveCount, vertices, stride, nullptr, false, 0, 0);
    impl_->reuse->Drew(vertices, primitiveCount, type, stride, nullptr, false);
    return hr;
}
HRESULT Device::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t primitiveCount, const void* indices, bool index32,
                                       const void* vertices, uint32_t stride) {
    if (!indices) return E_INVALIDARG;
    if (impl_->reuse->HoldDraw(type, primitiveCount, vertices, stride, indices, index32)) return S_OK;
    const HRESULT hr = impl_->Draw(type, primitiveCount, vertices, stride, indices, index32, minIndex, numVertices);
    impl_->reuse->Drew(vertices, primitiveCount, type, stride, indices, index32);
    return hr;
}

}  // namespace gfx
