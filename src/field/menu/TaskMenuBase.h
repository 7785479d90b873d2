#pragma once
// The base of the field's menu tasks: up to ten text items in a framed window that
// grows open over the opening delay; the pointer of the field state's input manager
// picks an item.  Derived menus supply the choice and the cancel, and menus that
// draw their own window image unfold it with DrawOpening.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "task/TaskBase.h"

class IInputManager;

class C_TaskMenuBase : public C_FieldTaskBase {
public:
    static constexpr int kMaxItems = 10;

    C_TaskMenuBase() = default;
    ~C_TaskMenuBase() override = default;
    C_TaskMenuBase(const C_TaskMenuBase&) = delete;
    C_TaskMenuBase& operator=(const C_TaskMenuBase&) = delete;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    // Every menu takes its own input.
    void Update(C_FieldTaskInfo* info) override = 0;
    // The window, the item texts and the cursor bar.
    void Draw(C_FieldTaskInfo* info) override;

    // Frame counter + 1 up to the opening delay; after it, the item under the pointer.
    void UpdateCursor(C_FieldTaskInfo* info);
    bool IsStarted() const { return m_nFrame >= m_nOpenFrames; }
    // The opening ratio 0..1 (1 for a menu without delay).
    float GetOpenRatio() const;

    // Draws the region `src` of `texture` (the whole texture when null) at (x, y),
    // unfolding from its middle line while the menu opens: width x height is the
    // region's size, top and bottom the heights of its frame strips.
    void DrawOpening(CD3DDrawTexture& texture, int x, int y, int width, int height, int top, int bottom,
                     const RECT* src = nullptr);
    void DrawOpening(CD3DDrawTexture* texture, int x, int y, int width, int height, int top, int bottom,
                     const RECT* src = nullptr) {
        if (texture) DrawOpening(*texture, x, y, width, height, top, bottom, src);
    }

    CD3DDrawSquare m_CursorBar;
    CD3DTextDraw m_ItemText[kMaxItems];
    int32_t m_nItemNum = 0;
    int32_t m_nCursor = 0;
    int32_t m_nX = 100;
    int32_t m_nY = 40;
    int32_t m_nWidth = 200;
    int32_t m_nHeight = 216;
    int32_t m_nItemWidth = 174;
    int32_t m_nLineHeight = 20;
    bool m_bTextDirty = false;
    bool m_bEnable[kMaxItems] = {true, true, true, true, true, true, true, true, true, true};
    int32_t m_nFrame = 0;
    int32_t m_nOpenFrames = 10;

protected:
    // The input of the field state (the scripted tutorial input while it is switched
    // on); the program's input manager when the menu runs without a field state.
    static IInputManager* InputOf(C_FieldTaskInfo* info);
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

// The square used by the menus for highlight and shading quads.
void DrawMenuQuad(CD3DDrawSquare& square, int x, int y, int width, int height, uint32_t color);
