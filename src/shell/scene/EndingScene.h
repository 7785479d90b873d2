#pragma once
// Scene 9: the ending music and the staff roll scrolling up the screen, then the end
// image fading in and out; a click after that returns to the title.
#include <cstdint>
#include <list>
#include <memory>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "scene/SceneBase.h"

class CPartyData;

class C_EndingScene : public C_SceneBase {
public:
    static constexpr int kEntries = 10;
    // Where the headings and the names of the roll start; a line must end on the screen.
    static constexpr int kHeadingX = 200;
    static constexpr int kNamesX = 230;

    // The roll scrolls until its last entry has passed the top; then the end image
    // fades in and out and a click returns to the title.
    enum class Phase : int32_t { Roll, EndImage };

    struct RollEntry {
        CD3DTextDraw Heading;
        CD3DTextDraw Names;
        float y = 0;
        // 44 + 28 per line feed of the names.
        int Height() const;
    };

    explicit C_EndingScene(CPartyData* party);
    int Update() override;
    void Draw() override;

    // The end image's alpha at a frame of the end-image phase.
    static int EndImageAlpha(int frame);
    // The darkening over the roll for the top entry at y; 0 when none.
    static int RollShadeAlpha(float topY);

    int GetFrame() const { return m_nFrame; }
    Phase GetPhase() const { return m_ePhase; }
    const std::list<std::unique_ptr<RollEntry>>& GetRoll() const { return m_Roll; }

private:
    CPartyData* m_pPartyData = nullptr;  // not read here
    int32_t m_nFrame = 0;
    Phase m_ePhase = Phase::Roll;
    bool m_bLButtonDown = false;
    std::list<std::unique_ptr<RollEntry>> m_Roll;
    CD3DDrawTexture m_EndImage;
};
