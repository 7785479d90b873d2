// The draw pass of the story scene and of the title's opening: background with its
// one-frame change-over, strategy map, pictures with their ramps, the text windows,
// logo, telop, game-over picture, difficulty menu, screen fade and the
// to-be-continued slide-in.
#include <algorithm>
#include <cstdio>

#include "ScenarioScript.h"
#include "ScriptDifficultyMenu.h"

void C_ScenarioScript::Draw(std::string /*sectionName*/, void* /*info*/) { DrawCommon(); }

void C_ScenarioScript::DrawCommon() {
    m_rcSource = RECT{0, 0, 1024, 512};
    const RECT strip{0, 0, 128, 1024};

    if (m_nBackground != m_nPrevBackground && m_nBackground >= 0 && m_mapBackground.count(m_nBackground) == 0) {
        char name[64];
        std::snprintf(name, sizeof name, "./Graphics/BackGround/%03d.png", m_nBackground);
        m_mapBackground[m_nBackground] = new CD3DDrawTexture(name);
    }
    if (m_bSkip) m_nBackgroundFade = 0;

    if (m_nBackground == -1) {
        for (int i = 0; i < 5; ++i)
            m_VisualBackGround.Draw(128.0 * i, -272, (unsigned char)(m_nBackgroundFade & 0xFF), &strip, 0);
    } else {
        for (int i = 0; i < 5; ++i) m_VisualBackGround.Draw(128.0 * i, -272, 255, &strip, 0);
        auto it = m_mapBackground.find(m_nBackground);
        if (it != m_mapBackground.end()) it->second->Draw(-192, -16, 255, &m_rcSource, 0);
    }
    if (m_nPrevBackground != -1 && m_nBackgroundFade > 0) {
        auto prev = m_mapBackground.find(m_nPrevBackground);
        if (prev != m_mapBackground.end())
            prev->second->Draw(-192, -16, (unsigned char)(m_nBackgroundFade & 0xFF), &m_rcSource, 0);
    }
    m_nBackgroundFade = std::max(0, m_nBackgroundFade - 255);

    if (m_bSkip) g_GlobalResources.SkipMapAnimations();
    if (m_bStrMapShown) g_GlobalResources.DrawStrategyMap();

    for (auto& entry : m_mapPicture) {
        ScriptPicture& pic = entry.second;
        CD3DDrawTexture* tex = pic.texture.Get();
        const int w = tex ? tex->GetWidth() : 0, h = tex ? tex->GetHeight() : 0;
        m_rcSource = RECT{0, 0, w, h};
        const int duration = std::max(1, pic.nDuration);
        const double frame = pic.nFrame;
        pic.current.x = pic.start.x + (pic.target.x - pic.start.x) * frame / duration;
        pic.current.y = pic.start.y + (pic.target.y - pic.start.y) * frame / duration;
        pic.current.scale = pic.start.scale + (pic.target.scale - pic.start.scale) * frame / duration;
        pic.current.alpha =
            uint8_t(int(pic.start.alpha) + (int(pic.target.alpha) - int(pic.start.alpha)) * pic.nFrame / duration);
        if (tex && w > 0 && h > 0) {
            const double s = pic.current.scale / 100.0;
            tex->DrawScaled(pic.current.x - w * s * 0.5, pic.current.y - h * s * 0.5, s, s, 0, 0, pic.current.alpha,
                            &m_rcSource, 0);
        }
        if (pic.nFrame < duration) ++pic.nFrame;
        if (m_bSkip) pic.nFrame = duration;
    }

    if (m_bMessageShown)
        g_GlobalResources.DrawMessageShown(m_bSkip);
    else
        g_GlobalResources.DrawMessageHidden(m_bSkip);
    if (m_bSerifShown)
        g_GlobalResources.DrawSerifShown(m_bSkip);
    else
        g_GlobalResources.DrawSerifHidden(m_bSkip);
    if (m_bPlaceShown)
        g_GlobalResources.DrawPlaceShown(m_bSkip);
    else
        g_GlobalResources.DrawPlaceHidden(m_bSkip);

    if (m_bLogoRunning) {
        g_GlobalResources.DrawLogo();
        if (g_GlobalResources.IsLogoDone()) m_bLogoRunning = false;
    }
    if (m_bTelopRunning) g_GlobalResources.DrawChapterTelop();
    if (m_bGameOverShown) {
        m_rcSource = RECT{0, 0, 512, 256};
        m_GameOver.Draw(0, 224, 255, &m_rcSource, 0);
    }
    if (m_pDifficultyMenu) m_pDifficultyMenu->Draw();

    g_GlobalResources.UpdateFade();

    if (m_bToBeContinuedShown) {
        m_rcSource = RECT{0, 0, 640, 480};
        const int f = m_nCommandFrame;
        if (f > 100) {
            m_rcSource = RECT{std::max(0, (115 - f) * 16), 0, 240, 64};
            const int alpha = std::min(255, (3 * f - 240) * 2);
            const int x = std::max(20, 6640 - 60 * f);
            m_ToBeContinued.Draw(x, 440, (unsigned char)alpha, &m_rcSource, 0);
        }
    }
}
