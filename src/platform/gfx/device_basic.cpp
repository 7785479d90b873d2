// Device states, clear and present.  (Rasterization lives beside it.)
#include <algorithm>
#include <array>

#include "gfx/device.h"
#include "system.h"

namespace gfx {

struct Device::Impl {
    int width, height;
    std::vector<uint32_t> color;
    std::vector<float> depth;
    std::array<uint32_t, RS_COUNT> rs{};
    std::array<std::array<uint32_t, SAMP_COUNT>, 8> samp{};
    std::array<std::array<uint32_t, TSS_COUNT>, 8> tss{};
    vm::Matrix view, proj, world[4];
    Viewport viewport;
    bool inScene = false;
};

Device::Device(int width, int height) : impl_(std::make_unique<Impl>()) {
    impl_->width = width;
    impl_->height = height;
    impl_->color.assign(size_t(width) * height, 0);
    impl_->depth.assign(size_t(width) * height, 1.0f);
    impl_->viewport.width = width;
    impl_->viewport.height = height;
}
Device::~Device() = default;

int Device::Width() const { return impl_->width; }
int Device::Height() const { return impl_->height; }

HRESULT Device::BeginScene() {
    if (impl_->inScene) return E_FAIL;
    impl_->inScene = true;
    return S_OK;
}
HRESULT Device::EndScene() {
    if (!impl_->inScene) return E_FAIL;
    impl_->inScene = false;
    return S_OK;
}
HRESULT Device::Clear(uint32_t flags, Color color, float z, uint32_t) {
    if (flags & CLEAR_TARGET) std::fill(impl_->color.begin(), impl_->color.end(), color);
    if (flags & CLEAR_ZBUFFER) std::fill(impl_->depth.begin(), impl_->depth.end(), z);
    return S_OK;
}
HRESULT Device::Present() {
    return plat::PresentFrame(impl_->color.data(), impl_->width, impl_->height, impl_->width) ? S_OK : E_FAIL;
}
HRESULT Device::Reset() { return S_OK; }

HRESULT Device::SetRenderState(RenderState s, uint32_t v) {
    if (s < 0 || s >= RS_COUNT) return E_INVALIDARG;
    impl_->rs[s] = v;
    return S_OK;
}
uint32_t Device::GetRenderState(RenderState s) const { return (s >= 0 && s < RS_COUNT) ? impl_->rs[s] : 0; }
HRESULT Device::SetSamplerState(int i, SamplerState s, uint32_t v) {
    if (i < 0 || i >= 8 || s < 0 || s >= SAMP_COUNT) return E_INVALIDARG;
    impl_->samp[i][s] = v;
    return S_OK;
}
uint32_t Device::GetSamplerState(int i, SamplerState s) const {
    return (i >= 0 && i < 8 && s >= 0 && s < SAMP_COUNT) ? impl_->samp[i][s] : 0;
}
HRESULT Device::SetTextureStageState(int i, TextureStageState s, uint32_t v) {
    if (i < 0 || i >= 8 || s < 0 || s >= TSS_COUNT) return E_INVALIDARG;
    impl_->tss[i][s] = v;
    return S_OK;
}
uint32_t Device::GetTextureStageState(int i, TextureStageState s) const {
    return (i >= 0 && i < 8 && s >= 0 && s < TSS_COUNT) ? impl_->tss[i][s] : 0;
}
HRESULT Device::SetTransform(int s, const vm::Matrix& m) {
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
    impl_->viewport = vp;
    return S_OK;
}
Viewport Device::GetViewport() const { return impl_->viewport; }
const uint32_t* Device::BackBuffer() const { return impl_->color.data(); }

}  // namespace gfx
