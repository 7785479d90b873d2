// The draw pass of a field event: the common layers, then the mission briefing (the
// full-screen backdrop under its dimming, the sliding half picture and the briefing
// text at 40 percent).
#include <algorithm>

#include "ScenarioScript.h"

void C_ScenarioScript::DrawFieldEvent(std::string /*eventName*/, void* /*fieldState*/) {
    DrawCommon();
    m_rcSource = RECT{0, 0, 512, 512};
    const int f = m_nCommandFrame;
    if (m_bMissionArgueBackShown) {
        const int alpha = std::min(255, 15 * f);
        if (CD3DDrawTexture* back = m_MissionArgueFBack.GetTexture())
            back->DrawScaled(0, 0, 1.25, 0.9375, 0, 0, (unsigned char)alpha, &m_rcSource, 0);
        m_DimSquare.Draw(0, 0, 0);
    }
    if (m_bMissionArgueShown) {
        m_rcSource = m_bMissionArgueHalf ? RECT{0, 0, 512, 256} : RECT{0, 256, 512, 512};
        const int alpha = std::min(255, 10 * f);
        const int x = std::max(0, (32 - f) * 20);
        if (CD3DDrawTexture* pic = m_MissionArgue.GetTexture()) pic->Draw(x, -20, (unsigned char)alpha, &m_rcSource, 0);
    }
    if (m_bMissionArgueTextShown) {
        CD3DRTSquare& rt = m_MissionArgueText.GetRenderTarget();
        if (rt.GetTexture()) rt.DrawScaled(20, 200, 0.4, 0.4, 0, 0, 255, nullptr, 0);
    }
}
