// Render-target textures.
#include "Draw/gvlD3DRTSquare.h"

#include "Draw/gvlDrawCheck.h"
#include "log/ErrorLog.h"

namespace {
constexpr const char* kRTSource = ".\\Draw\\gvlD3DRTSquare";
constexpr int kMaxTargetSize = 8192;
}  // namespace

CD3DRTSquare::CD3DRTSquare() = default;

CD3DRTSquare::~CD3DRTSquare() { CD3DRTSquare::Invalidate(); }

void CD3DRTSquare::Create(double width, double height, uint32_t clearColor) {
    // Truncated toward zero; a size no int can hold (or not a number) counts as 0
    // and is refused when the texture is made.
    auto toInt = [](double v) { return v > -2147483648.0 && v < 2147483648.0 ? int(v) : 0; };
    m_nRTWidth = toInt(width);
    m_nRTHeight = toInt(height);
    m_ClearColor = clearColor;
    m_bSizeSet = true;
    if (g_pD3DDevice) InnerInitTexture();
}

// A target that already has its texture keeps it: an owner registered before this
// member (a text object) may have rendered into it earlier in the same walk.
void CD3DRTSquare::Restore() {
    if (m_bSizeSet && !m_pTexture) InnerInitTexture();
}

// Releases the texture.  A target still begun is ended first so the device never
// keeps drawing into a texture that is gone.
void CD3DRTSquare::Invalidate() {
    if (m_bBeginExecused) EndTarget();
    if (m_pTexture) {
        if (g_pD3DDevice && g_pD3DDevice->GetRenderTarget() == m_pTexture) g_pD3DDevice->SetRenderTarget(nullptr);
        if (g_pD3DDevice && g_pD3DDevice->GetTexture(0) == m_pTexture) g_pD3DDevice->SetTexture(0, nullptr);
        delete m_pTexture;
        m_pTexture = nullptr;
    }
    m_pSavedTarget = nullptr;
    m_bSavedTargetValid = false;
}

// A render target of the stored size with its own depth buffer.  A size the device
// cannot make is logged and leaves the object without a texture.
void CD3DRTSquare::InnerInitTexture() {
    Invalidate();
    if (m_nRTWidth <= 0 || m_nRTHeight <= 0 || m_nRTWidth > kMaxTargetSize || m_nRTHeight > kMaxTargetSize) {
        g_ErrorLog.Printf("CD3DRTSquare::InnerInitTexture::D3DXCreateTextureに失敗");
        g_ErrorLog.Printf("テクスチャサイズ(x:%d, 7:%d)", m_nRTWidth, m_nRTHeight);
        g_ErrorLog.Printf("%d", int(E_INVALIDARG));
        DRAW_CHECK(0, kRTSource);
        return;
    }
    m_pTexture = new gfx::Texture(m_nRTWidth, m_nRTHeight, gfx::Format::A8R8G8B8, true);
}

void CD3DRTSquare::BeginTarget(bool clear) {
    if (!m_pTexture || !g_pD3DDevice) return;
    if (!DRAW_CHECK(!m_bBeginExecused, kRTSource)) return;
    EndSpriteBatch();
    gfx::Device& d = *g_pD3DDevice;
    m_SavedViewport = d.GetViewport();
    if (!m_bSavedTargetValid) {
        m_pSavedTarget = d.GetRenderTarget();
        m_bSavedTargetValid = true;
    }
    d.SetRenderTarget(m_pTexture);
    if (clear) d.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, m_ClearColor, 1.0f, 0);
    gfx::Viewport vp;
    vp.x = 0;
    vp.y = 0;
    vp.width = uint32_t(m_pTexture->Width());
    vp.height = uint32_t(m_pTexture->Height());
    vp.minZ = 0.0f;
    vp.maxZ = 1.0f;
    d.SetViewport(vp);
    m_bBeginExecused = true;
}

void CD3DRTSquare::EndTarget() {
    if (!m_bBeginExecused) return;
    m_bBeginExecused = false;
    EndSpriteBatch();
    if (g_pD3DDevice) {
        g_pD3DDevice->SetRenderTarget(m_pSavedTarget);
        g_pD3DDevice->SetViewport(m_SavedViewport);
    }
    m_pSavedTarget = nullptr;
    m_bSavedTargetValid = false;
}
