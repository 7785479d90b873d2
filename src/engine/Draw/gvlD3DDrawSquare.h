#pragma once
// Textures drawn through the global sprite, screen-space squares and flat lit
// polygon strips.
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "math/vmath.h"

// Pre-transformed vertex: screen position, rhw, colour, texture coordinates.
struct TLVertex {
    float x = 0, y = 0, z = 0, rhw = 1.0f;
    uint32_t color = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(TLVertex) == 28);
constexpr uint32_t kFVF_TLVertex = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;  // 0x144

// Lit 3D vertex: position, normal, diffuse, specular, texture coordinates.
struct Vertex3D {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    uint32_t diffuse = 0, specular = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(Vertex3D) == 40);
constexpr uint32_t kFVF_Vertex3D =
    gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_SPECULAR | gfx::FVF_TEX1;  // 0x1D2

// An image file loaded into a texture and drawn through the global sprite.
class CD3DDrawTexture : public CD3DObjectBase {
public:
    CD3DDrawTexture();
    explicit CD3DDrawTexture(const std::string& fileName);
    ~CD3DDrawTexture() override;
    CD3DDrawTexture(const CD3DDrawTexture&) = delete;  // owns its texture
    CD3DDrawTexture& operator=(const CD3DDrawTexture&) = delete;

    // Loads another file (at once when the device exists).  Always 0.
    int Load(const std::string& fileName);

    void Restore() override;
    void Invalidate() override;

    // At (x, y, z), white with `alpha`, the part `src` (null: whole texture).
    void Draw(double x, double y, unsigned char alpha = 255, const RECT* src = nullptr, double z = 0.0);
    // Scaled by (sx, sy) about the point (cx, cy) of the image.
    void DrawScaled(double x, double y, double sx, double sy, double cx, double cy, unsigned char alpha = 255,
                    const RECT* src = nullptr, double z = 0.0);
    // Through any sprite transform; the blend factors are left as they are.
    void DrawTransformed(vm::Matrix m, unsigned char alpha = 255, const RECT* src = nullptr);
    void DrawSprite(unsigned char alpha, const RECT* src);

    const std::string& GetFileName() const { return m_strFileName; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    gfx::Texture* GetTexture() const { return m_pTexture; }

protected:
    std::string m_strFileName;
    int m_nWidth = 0;
    int m_nHeight = 0;
    gfx::Texture* m_pTexture = nullptr;  // owned
};

// One screen-space quad of four pre-transformed vertices.
class CD3DDrawSquare : public CD3DObjectBase {
public:
    CD3DDrawSquare();
    CD3DDrawSquare(float width, float height, uint32_t color, float z = 0.0f);
    ~CD3DDrawSquare() override;

    void Restore() override {}
    void Invalidate() override {}

    // Corners at -0.5 offsets so the square covers exactly width x height pixels.
    virtual void SetSize(float width, float height, uint32_t color, float z = 0.0f);
    // Corners at (0, 0) .. (width, height).
    virtual void SetSizeExact(float width, float height, uint32_t color, float z = 0.0f);
    void SetSourceRect(const RECT& rc, int texWidth, int texHeight);
    void SetSourceRectOfTexture(const RECT& rc, const CD3DDrawTexture& texture);

    void Draw(float x, float y, float z = 0.0f);
    void DrawWithCurrentTexture(float x, float y, float z = 0.0f);
    void DrawInWorld(const CD3DDrawTexture* texture, const vm::Matrix& world, const RECT* src = nullptr);
    void ApplyBlendMode();

    int m_nBlendMode = 0;       // 0 alpha blending, 1 additive
    TLVertex m_vertices[4];     // top-left, top-right, bottom-left, bottom-right
};

// Lit 3D vertices drawn as one triangle strip with a world matrix.
class CD3DDraw3DPolygons : public CD3DObjectBase {
public:
    CD3DDraw3DPolygons() = default;
    ~CD3DDraw3DPolygons() override = default;

    void Restore() override {}
    void Invalidate() override {}

    void Draw(const vm::Matrix& world);
    void DrawUntextured(const vm::Matrix& world);
    void SetSquare(float sx, float sy, uint32_t color, float z = 0.0f);
    void SetUV(const RECT& rc, int texWidth, int texHeight);
    void FlipFaces();

    std::vector<Vertex3D> m_vertices;
};
