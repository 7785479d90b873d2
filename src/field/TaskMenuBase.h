#pragma once
// The base of the field's menu tasks: up to ten text items in a framed window that
// grows open over the start delay; the pointer of the field state's input manager
// picks an item.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "task/TaskBase.h"

class C_TaskMenuBase : public C_FieldTaskBase {
public:
    static constexpr int kMaxItems = 10;

    C_TaskMenuBase() = default;
    ~C_TaskMenuBase() override = default;
    C_TaskMenuBase(const C_TaskMenuBase&) = delete;
    C_TaskMenuBase& operator=(const C_TaskMenuBase&) = delete;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    // The base only follows the pointer.
    void Update(C_FieldTaskInfo* info) override { UpdateCursor(info); }
    // The window, the item texts and the cursor.
    void Draw(C_FieldTaskInfo* info) override;

    // Frame counter + 1 up to the start delay; after it, the item under the pointer.
    void UpdateCursor(C_FieldTaskInfo* info);
    bool IsStarted() const { return m_nFrame >= m_nStartDelay; }

    CD3DTextDraw m_Text[kMaxItems];
    CD3DDrawSquare m_CursorSquare;
    int32_t m_nItemCount = 0;
    int32_t m_nCursor = -1;
    int32_t m_nX = 100;
    int32_t m_nY = 40;
    int32_t m_nWindowWidth = 200;
    int32_t m_nWindowHeight = 216;
    int32_t m_nHitWidth = 174;
    int32_t m_nLineHeight = 20;
    bool m_bEnabled[kMaxItems] = {true, true, true, true, true, true, true, true, true, true};
    bool m_bNeedRender = true;
    int32_t m_nFrame = 0;
    int32_t m_nStartDelay = 10;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
