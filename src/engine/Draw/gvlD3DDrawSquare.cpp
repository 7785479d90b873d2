// Textures drawn through the global sprite, screen squares and flat polygon strips.
#include "Draw/gvlD3DDrawSquare.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Draw/gvlDrawCheck.h"
#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"

namespace {
constexpr const char* kSquareSource = ".\\Draw\\gvlD3DDrawSquare";

inline void TexCoordsOf(const RECT& rc, int w, int h, float uv[4][2]) {
    const float W = w > 0 ? float(w) : 1.0f, H = h > 0 ? float(h) : 1.0f;
    const float l = float(rc.left) / W, t = float(rc.top) / H, r = float(rc.right) / W, b = float(rc.bottom) / H;
    uv[0][0] = l; uv[0][1] = t;
    uv[1][0] = r; uv[1][1] = t;
    uv[2][0] = l; uv[2][1] = b;
    uv[3][0] = r; uv[3][1] = b;
}
}  // namespace

// ---- CD3DDrawTexture ----------------------------------------------------------------

CD3DDrawTexture::CD3DDrawTexture() = default;

CD3DDrawTexture::CD3DDrawTexture(const std::string& fileName) {
    Invalidate();
    m_strFileName = fileName;
    if (g_pD3DDevice) Restore();
}

CD3DDrawTexture::~CD3DDrawTexture() {
    delete m_pTexture;
    m_pTexture = nullptr;
}

int CD3DDrawTexture::Load(const std::string& fileName) {
    Invalidate();
    m_strFileName = fileName;
    if (g_pD3DDevice) Restore();
    return 0;
}

// Reads the image (loose file first, else from its folder's pack) into a texture whose
// sizes are rounded up to powers of two.  A file that cannot be read or decoded leaves
// the object without a texture (its draws then draw nothing) and logs why.
void CD3DDrawTexture::Restore() {
    if (m_strFileName.empty()) return;
    delete m_pTexture;
    m_pTexture = nullptr;
    std::vector<unsigned char> bytes;
    if (!CFilePack::LoadFile(m_strFileName, bytes) || bytes.empty()) {
        g_ErrorLog.Printf("CD3DDrawTexture::Restore: テクスチャを読み込めません (%s)", m_strFileName.c_str());
        return;
    }
    std::string error;
    std::unique_ptr<gfx::Texture> tex = gfx::Texture::CreateFromImage(
        bytes.data(), bytes.size(), true, gfx::ImageFilter::Linear, gfx::Format::A8R8G8B8, &error);
    if (!tex) {
        g_ErrorLog.Printf("CD3DDrawTexture::Restore: テクスチャの作成に失敗 (%s: %s)", m_strFileName.c_str(),
                          error.c_str());
        return;
    }
    m_pTexture = tex.release();
    m_nWidth = m_pTexture->Width();
    m_nHeight = m_pTexture->Height();
}

void CD3DDrawTexture::Invalidate() {
    delete m_pTexture;
    m_pTexture = nullptr;
}

void CD3DDrawTexture::Draw(double x, double y, unsigned char alpha, const RECT* src, double z) {
    if (!g_pSprite) return;
    BeginSpriteBatch();
    if (g_pD3DDevice) {
        g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    }
    g_pSprite->SetTransform(vm::Translation(float(x), float(y), float(z)));
    DrawSprite(alpha, src);
}

// Scaled about (cx, cy): translate by -centre, scale, then translate by
// (x + cx / sx, y + cy / sy, z).
void CD3DDrawTexture::DrawScaled(double x, double y, double sx, double sy, double cx, double cy,
                                 unsigned char alpha, const RECT* src, double z) {
    if (!g_pSprite) return;
    BeginSpriteBatch();
    if (g_pD3DDevice) {
        g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    }
    const double tx = x + (sx != 0 ? cx / sx : 0.0), ty = y + (sy != 0 ? cy / sy : 0.0);
    const vm::Matrix m = vm::Translation(float(-cx), float(-cy), 0.0f) * vm::Scaling(float(sx), float(sy), 1.0f) *
                         vm::Translation(float(tx), float(ty), float(z));
    g_pSprite->SetTransform(m);
    DrawSprite(alpha, src);
}

void CD3DDrawTexture::DrawTransformed(vm::Matrix m, unsigned char alpha, const RECT* src) {
    if (!g_pSprite) return;
    g_pSprite->SetTransform(m);
    DrawSprite(alpha, src);
}

void CD3DDrawTexture::DrawSprite(unsigned char alpha, const RECT* src) {
    if (!g_pSprite) return;
    BeginSpriteBatch();
    if (g_pD3DDevice) {
        g_pD3DDevice->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        g_pD3DDevice->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        g_pD3DDevice->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        g_pD3DDevice->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    }
    g_pSprite->Draw(m_pTexture, src, nullptr, nullptr, (uint32_t(alpha) << 24) + 0xFFFFFFu);
}

// ---- CD3DDrawSquare -------------------------------------------------------------------

CD3DDrawSquare::CD3DDrawSquare() = default;

CD3DDrawSquare::CD3DDrawSquare(float width, float height, uint32_t color, float z) {
    SetSize(width, height, color, z);
    m_nBlendMode = 0;
}

CD3DDrawSquare::~CD3DDrawSquare() = default;

void CD3DDrawSquare::SetSize(float width, float height, uint32_t color, float z) {
    const float xs[4] = {-0.5f, width - 0.5f, -0.5f, width - 0.5f};
    const float ys[4] = {-0.5f, -0.5f, height - 0.5f, height - 0.5f};
    const float us[4] = {0, 1, 0, 1}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) m_vertices[i] = TLVertex{xs[i], ys[i], z, 1.0f, color, us[i], vs[i]};
}

void CD3DDrawSquare::SetSizeExact(float width, float height, uint32_t color, float z) {
    const float xs[4] = {0, width, 0, width};
    const float ys[4] = {0, 0, height, height};
    const float us[4] = {0, 1, 0, 1}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) m_vertices[i] = TLVertex{xs[i], ys[i], z, 1.0f, color, us[i], vs[i]};
}

void CD3DDrawSquare::SetSourceRect(const RECT& rc, int texWidth, int texHeight) {
    const float w = float(rc.right - rc.left), h = float(rc.bottom - rc.top);
    const float xs[4] = {-0.5f, w - 0.5f, -0.5f, w - 0.5f};
    const float ys[4] = {-0.5f, -0.5f, h - 0.5f, h - 0.5f};
    float uv[4][2];
    TexCoordsOf(rc, texWidth, texHeight, uv);
    for (int i = 0; i < 4; ++i) {
        m_vertices[i].x = xs[i];
        m_vertices[i].y = ys[i];
        m_vertices[i].u = uv[i][0];
        m_vertices[i].v = uv[i][1];
    }
}

void CD3DDrawSquare::SetSourceRectOfTexture(const RECT& rc, const CD3DDrawTexture& texture) {
    SetSourceRect(rc, texture.GetWidth(), texture.GetHeight());
}

void CD3DDrawSquare::ApplyBlendMode() {
    if (!g_pD3DDevice) return;
    g_pD3DDevice->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    if (m_nBlendMode == 0) {
        g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    } else if (m_nBlendMode == 1) {
        g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    }
}

namespace {
// The square's four corners moved to (x, y, z).
void OffsetSquare(const TLVertex* corners, float x, float y, float z, TLVertex* out) {
    for (int i = 0; i < 4; ++i) {
        out[i] = corners[i];
        out[i].x += x;
        out[i].y += y;
        out[i].z += z;
    }
}
}  // namespace

void CD3DDrawSquare::Draw(float x, float y, float z) {
    EndSpriteBatch();
    if (!g_pD3DDevice) return;
    TLVertex v[4];
    OffsetSquare(m_vertices, x, y, z, v);
    ApplyBlendMode();
    g_pD3DDevice->SetTexture(0, nullptr);
    g_pD3DDevice->SetFVF(kFVF_TLVertex);
    g_pD3DDevice->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TLVertex));
}

void CD3DDrawSquare::DrawWithCurrentTexture(float x, float y, float z) {
    EndSpriteBatch();
    if (!g_pD3DDevice) return;
    TLVertex v[4];
    OffsetSquare(m_vertices, x, y, z, v);
    g_pD3DDevice->SetFVF(kFVF_TLVertex);
    g_pD3DDevice->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TLVertex));
}

// A textured quad in the 3D world, drawn from both sides.
void CD3DDrawSquare::DrawInWorld(const CD3DDrawTexture* texture, const vm::Matrix& world, const RECT* src) {
    if (!texture) return;
    EndSpriteBatch();
    if (!g_pD3DDevice) return;
    gfx::Device& d = *g_pD3DDevice;
    d.SetTexture(0, texture->GetTexture());
    Vertex3D v[4];
    float uv[4][2];
    if (src) TexCoordsOf(*src, texture->GetWidth(), texture->GetHeight(), uv);
    for (int i = 0; i < 4; ++i) {
        const TLVertex& s = m_vertices[i];
        v[i] = Vertex3D{s.x, s.y, 0.0f, 0.0f, 0.0f, 1.0f, s.color, s.color, src ? uv[i][0] : s.u,
                        src ? uv[i][1] : s.v};
    }
    const vm::Matrix kept = d.GetTransform(gfx::TS_WORLD);
    d.SetTransform(gfx::TS_WORLD, world);
    ApplyBlendMode();
    d.SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
    d.SetFVF(kFVF_Vertex3D);
    d.DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(Vertex3D));
    // The back face: reversed winding, normals turned round.
    std::swap(v[1], v[2]);
    for (Vertex3D& p : v) p.nz = -1.0f;
    d.DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(Vertex3D));
    d.SetTransform(gfx::TS_WORLD, kept);
}

// ---- CD3DDraw3DPolygons ------------------------------------------------------------------

void CD3DDraw3DPolygons::Draw(const vm::Matrix& world) {
    EndSpriteBatch();
    if (!DRAW_CHECK(0 < m_vertices.size() && m_vertices.size() < 1000, kSquareSource)) return;
    if (m_vertices.size() < 3 || !g_pD3DDevice) return;
    gfx::Device& d = *g_pD3DDevice;
    std::vector<Vertex3D> copy(m_vertices);
    const vm::Matrix kept = d.GetTransform(gfx::TS_WORLD);
    d.SetTransform(gfx::TS_WORLD, world);
    d.SetFVF(kFVF_Vertex3D);
    d.DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, uint32_t(copy.size() - 2), copy.data(), sizeof(Vertex3D));
    d.SetTransform(gfx::TS_WORLD, kept);
}

void CD3DDraw3DPolygons::DrawUntextured(const vm::Matrix& world) {
    if (g_pD3DDevice) {
        g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        g_pD3DDevice->SetTexture(0, nullptr);
    }
    Draw(world);
}

void CD3DDraw3DPolygons::SetSquare(float sx, float sy, uint32_t color, float z) {
    if (!DRAW_CHECK(sx >= 0 && sy >= 0, kSquareSource)) return;
    const float xs[4] = {0, sx, 0, sx}, ys[4] = {0, 0, sy, sy};
    const float us[4] = {0, 1, 0, 1}, vs[4] = {0, 0, 1, 1};
    m_vertices.assign(4, Vertex3D{});
    for (int i = 0; i < 4; ++i) m_vertices[i] = Vertex3D{xs[i], ys[i], z, 0, 0, 1, color, color, us[i], vs[i]};
}

void CD3DDraw3DPolygons::SetUV(const RECT& rc, int texWidth, int texHeight) {
    if (!DRAW_CHECK(m_vertices.size() >= 4, kSquareSource)) return;
    float uv[4][2];
    TexCoordsOf(rc, texWidth, texHeight, uv);
    for (int i = 0; i < 4; ++i) {
        m_vertices[i].u = uv[i][0];
        m_vertices[i].v = uv[i][1];
    }
}

void CD3DDraw3DPolygons::FlipFaces() {
    const size_t n = m_vertices.size() / 2 * 2;
    for (size_t i = 0; i < n; i += 2) std::swap(m_vertices[i], m_vertices[i + 1]);
}
