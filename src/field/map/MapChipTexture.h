#pragma once
// The two map-chip sheets of the field: the ground chips ("./graphics/mapchip.png",
// 112 x 64 pictures, 9 to a row) and the upper sheet ("./graphics/mapchip2.png":
// 112 x 112 scenery chips 8 to a row, unit figures, bases, icons, HP digits, row
// marks, cell highlights and sortie markers).  The field state holds one of each;
// Reset loads them.
#include "Draw/gvlD3DDrawSquare.h"

class CMapChipTextureBase {
public:
    CMapChipTextureBase() = default;
    virtual ~CMapChipTextureBase() = default;
    CMapChipTextureBase(const CMapChipTextureBase&) = delete;
    CMapChipTextureBase& operator=(const CMapChipTextureBase&) = delete;

    // Loads the class's sheet into the texture.
    virtual void Load() = 0;

    CD3DDrawTexture* GetTexture() { return &m_Texture; }
    const CD3DDrawTexture* GetTexture() const { return &m_Texture; }

protected:
    CD3DDrawTexture m_Texture;
};

class CLowerMapChipTexture : public CMapChipTextureBase {
public:
    void Load() override;
};

class CUpperMapChipTexture : public CMapChipTextureBase {
public:
    void Load() override;
};

// Lower chip n: (112 (n mod 9), 64 (n div 9)) - 112 x 64.
RECT LowerChipRect(int n);
// Upper chip n: (112 (n mod 8), 112 (n div 8)) - 112 x 112.
RECT UpperChipRect(int n);
