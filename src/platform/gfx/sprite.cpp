// The sprite batch.
#include "gfx/sprite.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {
struct SpriteVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 28);
constexpr int kSavedStages = 2;
}  // namespace

namespace {
std::vector<Sprite*>& LiveSprites() {
    static std::vector<Sprite*> sprites;
    return sprites;
}
}  // namespace

namespace detail {
void ForgetTextureInDevices(const Texture* texture);

void OnTextureDestroyed(const Texture* texture) {
    for (Sprite* s : LiveSprites()) s->ForgetTexture(texture);
    ForgetTextureInDevices(texture);
}
}  // namespace detail

Sprite::Sprite(Device* device) : device_(device) { LiveSprites().push_back(this); }

Sprite::~Sprite() {
    if (begun_) End();
    auto& live = LiveSprites();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void Sprite::ForgetTexture(const Texture* texture) {
    if (begun_ && References(texture)) Flush();
    if (savedTexture_ == texture) savedTexture_ = nullptr;
}

bool Sprite::References(const Texture* texture) const {
    for (const Item& it : queue_)
        if (it.texture == texture) return true;
    return false;
}

HRESULT Sprite::Begin(uint32_t flags) {
    if (!device_ || begun_) return E_FAIL;
    begun_ = true;
    flags_ = flags;
    drawCount_ = 0;
    queue_.clear();
    if (!(flags & SPRITE_DONOTSAVESTATE)) SaveStates();
    if (!(flags & SPRITE_DONOTMODIFY_RENDERSTATE)) ApplyStates();
    return S_OK;
}

void Sprite::SaveStates() {
    savedRs_.resize(RS_COUNT);
    for (int i = 0; i < RS_COUNT; ++i) savedRs_[i] = device_->GetRenderState(RenderState(i));
    savedSamp_.resize(SAMP_COUNT);
    for (int i = 0; i < SAMP_COUNT; ++i) savedSamp_[i] = device_->GetSamplerState(0, SamplerState(i));
    savedTss_.resize(size_t(TSS_COUNT) * kSavedStages);
    for (int st = 0; st < kSavedStages; ++st)
        for (int i = 0; i < TSS_COUNT; ++i)
            savedTss_[size_t(st) * TSS_COUNT + i] = device_->GetTextureStageState(st, TextureStageState(i));
    savedFvf_ = device_->GetFVF();
    savedTexture_ = device_->GetTexture(0);
}

// Only the states the batch changed are set back (setting a state to the value it
// holds changes nothing, and the device notes every call).
void Sprite::RestoreStates() {
    Device& d = *device_;
    if (savedRs_.size() == size_t(RS_COUNT))
        for (int i = 0; i < RS_COUNT; ++i)
            if (d.GetRenderState(RenderState(i)) != savedRs_[i]) d.SetRenderState(RenderState(i), savedRs_[i]);
    if (savedSamp_.size() == size_t(SAMP_COUNT))
        for (int i = 0; i < SAMP_COUNT; ++i)
            if (d.GetSamplerState(0, SamplerState(i)) != savedSamp_[i])
                d.SetSamplerState(0, SamplerState(i), savedSamp_[i]);
    if (savedTss_.size() == size_t(TSS_COUNT) * kSavedStages)
        for (int st = 0; st < kSavedStages; ++st)
            for (int i = 0; i < TSS_COUNT; ++i) {
                const uint32_t v = savedTss_[size_t(st) * TSS_COUNT + i];
                if (d.GetTextureStageState(st, TextureStageState(i)) != v)
                    d.SetTextureStageState(st, TextureStageState(i), v);
            }
    device_->SetFVF(savedFvf_);
    device_->SetTexture(0, savedTexture_);
}

// The states a sprite batch draws with.
void Sprite::ApplyStates() {
    Device& d = *device_;
    if (flags_ & SPRITE_ALPHABLEND) {
        d.SetRenderState(RS_ALPHABLENDENABLE, 1);
        d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
        d.SetRenderState(RS_ALPHATESTENABLE, 1);
        d.SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
        d.SetRenderState(RS_ALPHAREF, 0);
    } else {
        d.SetRenderState(RS_ALPHABLENDENABLE, 0);
        d.SetRenderState(RS_ALPHATESTENABLE, 0);
    }
    d.SetRenderState(RS_BLENDOP, BLENDOP_ADD);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_FILLMODE, FILL_SOLID);
    d.SetRenderState(RS_FOGENABLE, 0);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_COLOR1);
    d.SetRenderState(RS_VERTEXBLEND, VBF_DISABLE);
    d.SetRenderState(RenderState(168), 0x0F);  // colour write enable
    d.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    d.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    d.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    d.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    d.SetSamplerState(0, SAMP_MIPFILTER, TEXF_LINEAR);
    d.SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    d.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    d.SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    d.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    d.SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
    d.SetTextureStageState(0, TSS_TEXCOORDINDEX, 0);
    d.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    d.SetTextureStageState(1, TSS_ALPHAOP, TOP_DISABLE);
}

HRESULT Sprite::SetTransform(const vm::Matrix& m) {
    transform_ = m;
    return S_OK;
}

HRESULT Sprite::Draw(Texture* texture, const Rect* src, const vm::Vec3* center, const vm::Vec3* position,
                     Color color) {
    if (!begun_ || !texture) return E_INVALIDARG;
    Rect r;
    if (src) r = *src;
    else r = Rect{0, 0, texture->Width(), texture->Height()};
    const float w = float(r.right - r.left), h = float(r.bottom - r.top);
    const float cx = center ? center->x : 0.0f, cy = center ? center->y : 0.0f, cz = center ? center->z : 0.0f;
    const float px = position ? position->x : 0.0f, py = position ? position->y : 0.0f;
    const float pz = position ? position->z : 0.0f;
    Item it;
    it.texture = texture;
    const float xs[4] = {0, w, 0, w}, ys[4] = {0, 0, h, h};
    for (int k = 0; k < 4; ++k) {
        const vm::Vec4 t = vm::Transform(vm::Vec3{px - cx + xs[k], py - cy + ys[k], pz - cz}, transform_);
        const float iw = t.w != 0 ? 1.0f / t.w : 1.0f;
        // Pixel centres lie on integer coordinates: shift by half a pixel so texels map 1:1.
        it.x[k] = t.x * iw - 0.5f;
        it.y[k] = t.y * iw - 0.5f;
        it.z[k] = t.z * iw;
    }
    it.u0 = float(r.left) / texture->Width();
    it.v0 = float(r.top) / texture->Height();
    it.u1 = float(r.right) / texture->Width();
    it.v1 = float(r.bottom) / texture->Height();
    it.color = color;
    queue_.push_back(it);
    ++drawCount_;
    return S_OK;
}

// Draws the queue in issue order with the device's current states.
HRESULT Sprite::Flush() {
    if (!begun_) return E_FAIL;
    if (queue_.empty()) return S_OK;
    Device& d = *device_;
    d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    for (const Item& it : queue_) {
        d.SetTexture(0, it.texture);
        const float us[4] = {it.u0, it.u1, it.u0, it.u1}, vs[4] = {it.v0, it.v0, it.v1, it.v1};
        SpriteVertex v[4];
        for (int k = 0; k < 4; ++k) v[k] = {it.x[k], it.y[k], it.z[k], 1.0f, it.color, us[k], vs[k]};
        d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, v, sizeof(SpriteVertex));
    }
    queue_.clear();
    return S_OK;
}

HRESULT Sprite::End() {
    if (!begun_) return E_FAIL;
    Flush();
    if (!(flags_ & SPRITE_DONOTSAVESTATE)) RestoreStates();
    begun_ = false;
    return S_OK;
}

}  // namespace gfx
