#pragma once
// Key devices: one physical input device seen as 256 key states, read once per
// frame.  The states are kept for this frame and the frame before, so every
// device answers "held" and "went down in this frame" the same way.

class IKeyBase {
public:
    enum { kKeyCount = 256 };

    IKeyBase() = default;
    virtual ~IKeyBase() = default;

    // Reads the device for this frame.
    virtual int Input() = 0;
    // The key's state in this frame is not 0.
    virtual bool IsPress(int key);
    // Not 0 in this frame and 0 in the frame before.
    virtual bool IsPush(int key);
    // This frame's 256 states.
    virtual unsigned char* GetKeyState();
    // Both frames all 0.
    virtual void Reset();

protected:
    // Makes the frame before's buffer the other one and returns the new current one.
    unsigned char* FlipBuffer() {
        m_Current ^= 1;
        return m_Keys[m_Current];
    }
    unsigned char* CurrentBuffer() { return m_Keys[m_Current]; }
    unsigned char* OtherBuffer() { return m_Keys[m_Current ^ 1]; }
    static bool IsKeyCode(int key) { return key >= 0 && key < kKeyCount; }

    int m_Current = 0;
    unsigned char m_Keys[2][kKeyCount] = {};
};

// A joystick device: adds device selection and a button count.
class IJoyStick : public IKeyBase {
public:
    // Joystick key codes: 0 up, 1 down, 2 left, 3 right, then 4 + n for button n.
    enum { kKeyUp = 0, kKeyDown = 1, kKeyLeft = 2, kKeyRight = 3, kKeyButton0 = 4 };

    virtual int SelectDevice(int id) = 0;
    // Sets how many buttons are read (0 to 32) and clears the states; 0.
    virtual int SetButtonCount(int count);
    virtual int GetButtonCount();
    virtual bool IsValid();

protected:
    int m_ButtonCount = 0;
};
