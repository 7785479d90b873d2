// The chapter-title card: a band, three lines that fade in, a growing effect image
// and a closing fade to black.
#include <algorithm>

#include "resources/GlobalResources.h"

void CGlobalResources::StartChapterTelop(std::string line1, std::string line2, std::string line3) {
    m_TelopText[0].SetText(line1, 40, 0xFFFFEEDD);
    m_TelopText[1].SetText(line2, 30, 0xFFFFEEDD);
    m_TelopText[2].SetText(line3, 40, 0xFFFFEEDD);
    for (CD3DTextDraw& t : m_TelopText) t.Render();
    m_nTelopCounter = 0;
}

void CGlobalResources::DrawChapterTelop() {
    const int c = m_nTelopCounter;
    auto cap = [](int a) { return (unsigned char)std::clamp(a, 0, 255); };
    const RECT band{640, 640, 864, 736};
    m_SysTexture.Draw(180, 192, cap(4 * c), &band);
    if (c > 30) {
        m_TelopText[0].GetRenderTarget().DrawScaled(260, 195, 0.5, 0.5, 0, 0, cap(3 * c - 30));
        m_TelopText[1].GetRenderTarget().Draw(274, 225, cap(3 * (c - 10)));
        m_TelopText[2].GetRenderTarget().DrawScaled(320, 262, 0.5, 0.5, 0, 0, cap(3 * (c - 10)));
    }
    if (c > 60) {
        const double sx = std::min((c - 60) * 0.07999999821186066, 1.25);
        const double sy = std::min((c - 60) * 0.05999999865889549, 0.9375);
        const RECT src{0, 0, 512, 512};
        m_TelopEffect.GetTexture()->DrawScaled(162 - 162 * sx, 246 - 246 * sy, sx, sy, 0, 0, cap(2 * c - 60), &src);
    }
    if (c > 250) {
        const double a = std::min((c - 250) * 5.2, 255.0);
        m_TelopFade.SetSize(640, 480, uint32_t(int(a)) << 24, 0);
        m_TelopFade.Draw(0, 0, 0);
    }
    ++m_nTelopCounter;
}

void CGlobalResources::SkipChapterTelop() {
    if (m_nTelopCounter < 250) m_nTelopCounter = 250;
}
