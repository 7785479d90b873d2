#pragma once
// The system keyboard as a key device.  Key codes are keyboard scan codes
// (Escape 0x01, Z 0x2C, Up 0xC8 ...); a key is held while its bit 0x80 is set.
#include <cstdint>

#include "input/gvlKeyBase.h"

// Where the keyboard device reads its states.  The system's source reads the
// platform's keyboard state for the main window; tests may replace it.
class IKeyboardSource {
public:
    enum ReadResult { kReadOk = 0, kReadLost = 1, kReadFailed = 2 };

    virtual ~IKeyboardSource() = default;
    // A window exists to read the keyboard for.
    virtual bool IsReady() = 0;
    // Takes the keyboard for reading: a foreground reader only while the
    // window is the active one, a background reader always.
    virtual bool Acquire(bool background) = 0;
    // Copies the 256 states into `out`.  kReadLost when the keyboard was taken
    // away (acquire again), kReadFailed for any other failure.
    virtual ReadResult Read(uint8_t* out, bool background) = 0;
};
IKeyboardSource& KeyboardSource();
// nullptr puts the system's source back.  The caller keeps ownership.
void SetKeyboardSource(IKeyboardSource* source);

class CKeyInput : public IKeyBase {
public:
    explicit CKeyInput(bool background);
    ~CKeyInput() override;

    // 0 when the state was read; 1 when the keyboard is not set up or not
    // acquired (no key reads as held); -1 when it was lost and could not be
    // acquired again.
    int Input() override;
    // The key's bit 0x80 is set in this frame.
    bool IsPress(int key) override;
    // Bit 0x80 set in this frame and clear in the frame before.
    bool IsPush(int key) override;

private:
    bool Init();

    bool m_bInitialized = false;
    bool m_bAcquired = false;
    bool m_bBackground = false;
};
