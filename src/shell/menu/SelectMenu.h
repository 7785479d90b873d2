#pragma once
// A small pop-up list of up to ten text rows in a framed window that grows open over
// a few frames; the pointer picks a row.  CSelectDifficulty fills it with the five
// difficulty names for the story's difficulty choice.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"

class IInputManager;

class CSelectMenuBase {
public:
    static constexpr int kMaxRows = 10;

    CSelectMenuBase();
    virtual ~CSelectMenuBase() = default;
    CSelectMenuBase(const CSelectMenuBase&) = delete;
    CSelectMenuBase& operator=(const CSelectMenuBase&) = delete;

    // Forgets the choice.
    virtual void Reset();
    // One frame of input; nothing in the base.
    virtual void Update(IInputManager* input) {}
    virtual void Draw();

    // The frame counter and cursor step shared by the menus (the first step of an update).
    void UpdateCursor(IInputManager* input);
    bool IsOpen() const { return m_nFrame >= m_nOpenDelay; }

    CD3DDrawSquare m_Square;        // not drawn
    CD3DDrawSquare m_CursorSquare;
    CD3DTextDraw m_Text[kMaxRows];
    int32_t m_nRowCount = 0;
    int32_t m_nCursor = -1;
    int32_t m_nX = 100;
    int32_t m_nY = 40;
    int32_t m_nWindowWidth = 200;
    int32_t m_nWindowHeight = 216;
    int32_t m_nHitWidth = 174;
    int32_t m_nRowHeight = 20;
    bool m_bNeedRender = false;
    bool m_bEnabled[kMaxRows] = {true, true, true, true, true, true, true, true, true, true};
    int32_t m_nFrame = 0;
    int32_t m_nOpenDelay = 10;
    int32_t m_nResult = 0;
};

// The five difficulties, "Novice" (1) to "Chaotic" (5); the choice lands in m_nResult.
class CSelectDifficulty : public CSelectMenuBase {
public:
    CSelectDifficulty();
    void Update(IInputManager* input) override;
    int GetResult() const { return m_nResult; }
};

// "Novice", "Standard", "Expert", "Master", "Chaotic" for 1 to 5, else "error".
std::string GetDifficultyName(int difficulty);

// The decimal text right-aligned in `width` characters (a longer number is not cut;
// the minus sign is not counted); width -1 gives the bare text.
std::string FormatNumber(int value, int width);
// FormatNumber of the value held within `maxDigits` digits either way: a number too
// long for its place in a window shows as the largest one that fits (9999 for 4).
std::string FormatNumberCapped(int value, int width, int maxDigits);

// Draws a rendered text's picture with its top-left corner at (x, y).
void DrawTextAt(CD3DTextDraw& text, double x, double y, unsigned char alpha = 255);
