#pragma once
// Scene 5: the save-slot screen between chapters, any number of saves, then
// "次に進みますか？" before the next chapter's story.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "save/ArchiveWindow.h"
#include "scene/SceneBase.h"

class CPartyData;

class C_SaveScene : public C_SceneBase {
public:
    explicit C_SaveScene(CPartyData* party);
    int Update() override;
    void Draw() override;
    // Writes the party as a chapter save into the slot.
    void SaveToSlot(int slot);

    int GetState() const { return m_nState; }
    bool IsCursorOnGo() const { return m_bCursorOnGo; }
    CArchiveWindow& GetArchiveWindow() { return m_ArchiveWindow; }

private:
    CPartyData* m_pPartyData = nullptr;
    CArchiveWindow m_ArchiveWindow;
    int32_t m_nState = 0;  // 0 slot window, 1 prompt
    bool m_bPromptReady = false;
    RECT m_rcGo{};
    RECT m_rcNo{};
    CD3DTextDraw m_Question;
    CD3DTextDraw m_GoText;
    CD3DTextDraw m_NoText;
    CD3DDrawSquare m_Cursor;
    bool m_bCursorOnGo = false;
};
