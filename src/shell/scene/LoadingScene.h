#pragma once
// The first scene: "Now Loading..." over a screen that brightens from black to white
// while the preload runs one step per frame; then the title.  The white words carry a
// dark outline, so they read on the white screen as well as on the black one.
#include <cstdint>

#include "Draw/gvlD3DTextDraw.h"
#include "scene/SceneBase.h"

class CPartyData;

class C_LoadingScene : public C_SceneBase {
public:
    explicit C_LoadingScene(CPartyData* party);
    int Update() override;
    void Draw() override;

    int GetCounter() const { return m_nCounter; }

private:
    CD3DTextDraw m_Text;
    CD3DTextDraw m_Outline;  // the same words in a dark colour, around the white ones
    int32_t m_nCounter = 0;
};
