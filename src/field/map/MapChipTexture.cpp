#include "map/MapChipTexture.h"

void CLowerMapChipTexture::Load() { m_Texture.Load("./graphics/mapchip.png"); }

void CUpperMapChipTexture::Load() { m_Texture.Load("./graphics/mapchip2.png"); }

RECT LowerChipRect(int n) {
    const int left = 112 * (n % 9), top = 64 * (n / 9);
    return RECT{left, top, left + 112, top + 64};
}

RECT UpperChipRect(int n) {
    const int left = 112 * (n % 8), top = 112 * (n / 8);
    return RECT{left, top, left + 112, top + 112};
}
