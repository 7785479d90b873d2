#pragma once
// Mice.
//
// The buttons come from the window messages that the main window receives, the
// position from the system cursor.  `CMouse` holds the button states the
// messages set; `CMouseIDP` adds the cursor position in client coordinates and
// the rule that the left and right buttons count only inside the client area;
// `CFixMouseIDP` samples a `CMouseIDP` once per frame so that every caller in
// one frame sees the same answers.
//
// Button mask used throughout: bit 0 right, bit 1 left, bit 2 middle.
#include <cstdint>
#include <vector>

// Hands one window message to every registered mouse (registration order).
// The window procedure calls it for every message before the default handling.
void FeedMouseMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window whose messages were fed last (nullptr before the first message).
void* GetMouseWindow();

enum : int { kMouseMaskRight = 1, kMouseMaskLeft = 2, kMouseMaskMiddle = 4 };

class CMouse {
public:
    CMouse() = default;
    virtual ~CMouse() = default;

    virtual int GetXY(int* x, int* y);
    virtual bool IsRButtonDown();
    virtual bool IsLButtonDown();
    virtual int GetInfo(int* x, int* y, int* mask);
    // Went-down edges since the last call; the result is the left button's state.
    virtual bool GetPush(bool* left, bool* right);
    virtual void ResetPush();
    virtual int SetXY(int x, int y);
    virtual void SetIgnoreClientRect(bool ignore);

    // Button changes from one window message (mouse messages only).
    void OnMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

    bool IsMButtonDown() const { return m_bMButton; }

    // Buttons that went down since the last call, even when they went up again
    // before anyone looked (mask bits as above); the record is cleared.
    int TakePressedSinceLastLook();

protected:
    bool m_bRButton = false;
    bool m_bLButton = false;
    bool m_bMButton = false;
    bool m_bPrevRButton = false;
    bool m_bPrevLButton = false;
    bool m_bIgnoreClientRect = false;
    // Presses seen by OnMessage since the last sample (so a quick click between
    // two frames is not lost).
    int m_PressedSinceLook = 0;
};

// A mouse with the system cursor's position; registers itself so that
// FeedMouseMessage reaches it.
class CMouseIDP : public CMouse {
public:
    CMouseIDP();
    ~CMouseIDP() override;
    CMouseIDP(const CMouseIDP&) = delete;
    CMouseIDP& operator=(const CMouseIDP&) = delete;

    int GetXY(int* x, int* y) override;
    int GetInfo(int* x, int* y, int* mask) override;
    int SetXY(int x, int y) override;
};

// The registry of mice that FeedMouseMessage walks.
std::vector<CMouse*>& MouseRegistry();

// Where mice read the cursor.  The system's source reads the platform cursor
// (client coordinates) and the main window's client size; tests may replace it.
class IMouseCursorSource {
public:
    virtual ~IMouseCursorSource() = default;
    virtual bool GetCursorPos(int& x, int& y) = 0;  // client coordinates
    virtual void SetCursorPos(int x, int y) = 0;    // client coordinates
    virtual int ClientWidth() = 0;
    virtual int ClientHeight() = 0;
};
IMouseCursorSource& MouseCursorSource();
// nullptr puts the system's source back.  The caller keeps ownership.
void SetMouseCursorSource(IMouseCursorSource* source);

// The per-frame mouse.
class CFixMouseIDP {
public:
    CFixMouseIDP() = default;
    virtual ~CFixMouseIDP() = default;
    CFixMouseIDP(const CFixMouseIDP&) = delete;
    CFixMouseIDP& operator=(const CFixMouseIDP&) = delete;

    // Samples the mouse for this frame: 0, or 1 when it could not be read.
    virtual int Input();
    virtual int GetXY(int* x, int* y);
    virtual bool IsRButtonDown();
    virtual bool IsLButtonDown();
    virtual bool IsMButtonDown();
    virtual int GetInfo(int* x, int* y, int* mask);
    virtual bool GetPush(bool* left, bool* right);
    virtual bool IsRButtonPush();
    virtual bool IsLButtonPush();
    virtual bool IsMButtonPush();
    virtual bool GetRelease(bool* left, bool* right);
    virtual bool IsRButtonRelease();
    virtual bool IsLButtonRelease();
    virtual bool IsMButtonRelease();
    virtual void ResetButtons();
    virtual void SetXY(int x, int y);
    virtual bool IsHolding();
    virtual void SetIgnoreClientRect(bool ignore);

private:
    bool m_bRButton = false;
    bool m_bLButton = false;
    bool m_bMButton = false;
    int m_Mask = 0;
    int m_X = 0;
    int m_Y = 0;
    // Frames left in which push and release edges are not reported, so that a
    // click that began before this mouse existed is not taken as a new one.
    unsigned int m_Hold = 2;
    // The counter was above 0 when this frame's sample began.
    bool m_bHolding = true;
    bool m_bPrevRButton = false;
    bool m_bPrevLButton = false;
    bool m_bPrevMButton = false;
    CMouseIDP m_Mouse;
};
