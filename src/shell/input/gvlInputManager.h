#pragma once
// The game's one input facade: pointer position, the three mouse buttons (held,
// and pressed in this frame) and the virtual keys of the key map (held, and
// pressed in this frame).  The scene controller owns one CInputManager, updates
// it once per frame before the scene runs and publishes it as g_pInputManager.
#include "input/gvlMouse.h"
#include "input/gvlMyKey.h"

class IInputManager {
public:
    virtual ~IInputManager() = default;
    // Reads the devices for this frame.
    virtual void Update() = 0;
    virtual bool IsLButtonDown() = 0;
    virtual bool IsRButtonDown() = 0;
    virtual bool IsMButtonDown() = 0;
    virtual bool IsLButtonPush() = 0;
    virtual bool IsRButtonPush() = 0;
    virtual bool IsMButtonPush() = 0;
    virtual int GetX() = 0;
    virtual int GetY() = 0;
    virtual void GetXY(int* x, int* y) = 0;
    // The virtual key went down in this frame.
    virtual bool IsPush(int virtualKey) = 0;
    // The virtual key is held.
    virtual bool IsPress(int virtualKey) = 0;
    virtual IKeyBase* GetKey() = 0;
    virtual CFixMouseIDP* GetMouse() = 0;
};

class CInputManager : public IInputManager {
public:
    CInputManager();
    ~CInputManager() override;
    CInputManager(const CInputManager&) = delete;
    CInputManager& operator=(const CInputManager&) = delete;

    // In order: the mouse's frame sample, the key map's input, the previous
    // position, this frame's position.
    void Update() override;
    bool IsLButtonDown() override;
    bool IsRButtonDown() override;
    bool IsMButtonDown() override;
    bool IsLButtonPush() override;
    bool IsRButtonPush() override;
    bool IsMButtonPush() override;
    int GetX() override;
    int GetY() override;
    void GetXY(int* x, int* y) override;
    bool IsPush(int virtualKey) override;
    bool IsPress(int virtualKey) override;
    IKeyBase* GetKey() override;
    CFixMouseIDP* GetMouse() override;

    // The position of the frame before.
    int GetPrevX() const { return m_PrevX; }
    int GetPrevY() const { return m_PrevY; }

private:
    CMyKey m_Key;
    CFixMouseIDP m_Mouse;
    int m_X = 0;
    int m_Y = 0;
    int m_PrevX = 0;
    int m_PrevY = 0;
};

// The program-wide input manager (nullptr until the scene controller sets it).
extern IInputManager* g_pInputManager;
