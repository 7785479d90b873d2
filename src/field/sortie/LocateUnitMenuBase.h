#pragma once
// The base of every window of the sortie preparation: text rows held by value, an
// optional title, paging with a next-page label, a selection bar that follows the
// pointer, hit tests per row and mouse button, and the focus hand-over between
// windows.  Activation is requested and takes effect at the end of the window's
// next update, so the click that opened a window never also chooses in it.
#include <cstdint>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DRTSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "menu/TaskMenuBase.h"

class C_TaskLocateUnit;
class C_FieldTaskInfo;

// Gives a window the driver of the preparation.
template <class T>
class mediator {
public:
    T* m_pLocateUnit = nullptr;
};

// One text row of a window.
class CMenuItem {
public:
    CMenuItem() = default;
    // The rendered text cannot be shared: a copy renders its own on first use.
    CMenuItem(const CMenuItem& other);
    CMenuItem& operator=(const CMenuItem& other);
    virtual ~CMenuItem() = default;

    // Replaces the text; it is rendered again before the next draw.
    void SetText(const std::string& text);
    // Stores the position; the hit area covers the row's last drawn size.
    void SetPosition(int x, int y);
    // Renders and measures the text when it changed.
    void Prepare();
    // Draws the row at its position within maxWidth x maxHeight (-1: no limit),
    // wrapped into pieces of maxWidth when `wrap` is set, cut by `clip` (screen).
    // Returns true when the row did not fit.
    bool Draw(int maxWidth, int maxHeight, bool wrap, bool bright, const RECT& clip);
    // The height the row takes when drawn with that width (after Prepare).
    int MeasureHeight(int maxWidth, bool wrap) const;

    bool m_bReady = false;
    std::string m_strText;
    bool m_bEnabled = true;
    CD3DTextDraw m_TextDraw;
    int32_t m_nFontHeight = 0;
    int32_t m_nPosX = 0;
    int32_t m_nPosY = 0;
    int32_t m_nTextWidth = 0;
    int32_t m_nTextHeight = 0;
    int32_t m_nDrawHeight = 0;
    int32_t m_nDrawWidth = 0;
    RECT m_rcHit{};
    bool m_bShown = false;
};

class C_TaskLocateUnitMenuBase : public C_TaskMenuBase, public mediator<C_TaskLocateUnit> {
public:
    C_TaskLocateUnitMenuBase();
    ~C_TaskLocateUnitMenuBase() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {}
    // The window, the title, the rows of the shown page, the page label and the bar.
    void Draw(C_FieldTaskInfo* info) override;

    virtual void AddItem(std::string text, bool enabled);
    virtual void AddRow(CMenuItem item);
    virtual CMenuItem* GetItem(int i);
    virtual void ClearItems();
    virtual int GetItemCount() const { return (int)m_vItem.size(); }
    virtual void SetTitle(std::string text, int height);
    virtual bool IsActive() const { return m_nActive == 1; }
    virtual void SetActive(bool on) { m_nActive = on ? 2 : 0; }
    // Opens this window over `from` (which must be active; otherwise nothing happens).
    virtual void OpenChild(C_TaskLocateUnitMenuBase* from);
    // Gives the focus back to the window below and deactivates this one.
    virtual void CloseChild();
    virtual int GetCursor() const { return m_nSelect; }
    virtual void SetCursor(int i) { m_nSelect = i; }
    virtual void SetX(int x) { m_nWinX = x; }
    virtual int GetY() const { return m_nWinY; }
    virtual void SetWidth(int w) { m_nWinWidth = w; }
    virtual int GetHeight() const { return m_nWinHeight; }
    // Follows the pointer and turns pages; true when the selection changed.
    virtual bool MoveCursor(C_FieldTaskInfo* info);
    // A requested activation takes effect; returns the resulting state.
    virtual int UpdateActivation();
    virtual int FindItem(C_FieldTaskInfo* info);
    virtual int FindItemLeftPressed(C_FieldTaskInfo* info);
    virtual int FindItemRightHeld(C_FieldTaskInfo* info);
    virtual int FindItemRightPressed(C_FieldTaskInfo* info);

    void SetItemText(int i, std::string text);
    // Paging is on and the rows do not all fit on the shown page.
    bool HasSeveralPages() const;
    // The height that shows every row from the top of the page: what a window that
    // sizes itself takes.
    int FittingHeight();
    // A window that fits its width grows to its widest row (as far as the screen's
    // right edge), so that no row is cut into pieces.
    void FitWidthToRows();
    // Puts a row at `rowY` of the window, its hit area as wide as the window's text
    // column: the drawing and the pointer tracking place rows only through this.
    void PlaceRow(CMenuItem& item, int rowY) const;
    // The top of the page's first row, under the title.
    int FirstRowY() const;

    int32_t m_nSelect = 0;
    int32_t m_nPageTop = 0;
    int32_t m_nPageBottom = 0;
    int32_t m_nWinX = 15;
    int32_t m_nWinY = 90;
    int32_t m_nWinWidth = 140;
    int32_t m_nWinHeight = 150;
    bool m_bAutoHeight = false;
    bool m_bFitWidth = false;  // the width grows to the widest row
    int32_t m_nRowHeight = 14;
    uint32_t m_dwCursorColor = 0x60FFFFFF;
    bool m_bPaging = false;
    int32_t m_nActive = 0;  // 0 inactive, 2 requested, 1 active
    C_TaskLocateUnitMenuBase* m_pReturnMenu = nullptr;
    std::string m_strTitle;
    bool m_bTitle = false;
    int32_t m_nTitleHeight = 14;
    bool m_bLabelDirty = true;
    CD3DTextDraw m_TitleText;
    CD3DTextDraw m_PageText;
    std::vector<CMenuItem> m_vItem;
    RECT m_rcNextPage{};
    CD3DDrawSquare m_PageBar;
    CD3DDrawSquare m_SelectBar;
    CD3DRTSquare m_ListTarget;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
    // The input of the field state (the scripted one during the tutorial).
    static IInputManager* Input(C_FieldTaskInfo* info);
    // Index of the first shown row under the pointer that passes the test, or -1.
    int FindShownRow(C_FieldTaskInfo* info, bool enabledOnly);
};

// The window left open over `from` shares its driver.
inline void ShareDriver(C_TaskLocateUnitMenuBase* to, const C_TaskLocateUnitMenuBase* from) {
    if (to && from) to->m_pLocateUnit = from->m_pLocateUnit;
}
