#pragma once
// The back-end side of system.h: one object answers the window, clock, pump and
// message-box calls; the shared parts (message queue, keyboard state, pointer,
// recorded message boxes) live in system.cpp and are filled through the helpers below.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system.h"

namespace plat::detail {

// A part of a frame that differs from the frame presented before it.
using FrameChange = FrameRect;
// Every part of a frame, whatever its size.
constexpr FrameChange kWholeFrame{0, 0, 1 << 30, 1 << 30};
// The parts of a frame that differ from the frame presented before it (the rest is on
// the display already): none when it is the same, the whole frame when anything may differ.
using FrameChanges = std::vector<FrameChange>;

class BackendOps {
public:
    virtual ~BackendOps() = default;
    virtual bool CreateWindow(const char* captionCp932, int width, int height, bool fullScreen) = 0;
    virtual void DestroyWindow() = 0;
    virtual bool IsWindowActive() = 0;
    virtual void SetCaption(const char* captionCp932) = 0;
    virtual bool Present(const uint32_t* argb, int width, int height, int pitch,
                         const FrameChanges& changed = FrameChanges{kWholeFrame}) = 0;
    // Moves pending system events (or scripted input) into the message queue.
    virtual void Pump() = 0;
    virtual void WarpPointer(int x, int y) = 0;
    virtual void SetPointerVisible(bool show) = 0;
    virtual uint32_t Ticks() = 0;
    virtual uint64_t Counter() = 0;
    virtual uint64_t CounterFrequency() = 0;
    virtual void SleepFor(uint32_t milliseconds) = 0;
    virtual int ShowMessageBox(const std::string& textCp932, const std::string& captionCp932, unsigned flags) = 0;
    virtual bool Finished() { return false; }
};

std::unique_ptr<BackendOps> CreateLiveBackend(const InitOptions& options, std::string& error);
std::unique_ptr<BackendOps> CreateHeadlessBackend(const InitOptions& options, std::string& error);

// Shared state the back ends feed.
void QueueMessage(const Message& message);
void SetKeyState(int scanCode, bool down);
void ClearKeyStates();
void SetPointer(int x, int y);
void GetPointer(int& x, int& y);
uint32_t HeldButtons();  // kMk* flags of the buttons currently held
void SetHeldButtons(uint32_t flags);
// Keeps the frame as the last presented one; `changed` gets the parts that differ from
// the one kept before, each the box around its differing pixels (the whole frame when
// its size differs). With `told` (see PresentFrame) only the parts it names are compared.
void StoreFrame(const uint32_t* argb, int width, int height, int pitch, FrameChanges& changed,
                const std::vector<FrameRect>* told = nullptr);

// Where a picture of picW x picH lands in an output of outW x outH pixels: 1:1 when it
// is the same size; else scaled by the largest whole factor that fits, or by a
// fractional factor when even one time does not fit; centred (letterboxed).
struct Placement {
    int x = 0, y = 0, w = 0, h = 0;
};
Placement FitPicture(int outW, int outH, int picW, int picH);
// An output pixel position back to picture (client) coordinates: the picture pixel
// shown at that output pixel.
void OutputToPicture(const Placement& placement, int picW, int picH, double ox, double oy, int& cx, int& cy);
// Draws the part `area` of the picture at its placement in `out` (outW x outH pixels,
// pitch in pixels), each output pixel taking the picture pixel under its centre; the
// bars are left alone. Returns the output rectangle written (w = 0 when none).
Placement ScalePicture(const uint32_t* pic, int picW, int picH, int picPitch, const Placement& placement,
                       const FrameChange& area, uint32_t* out, int outW, int outH, int outPitch);

// A key by its name ("Escape", "Z", "Up", "F5", "LControl" ...): its keyboard scan code
// (the numbering of KeyboardState), its virtual key and whether it is an extended key.
struct KeyInfo {
    int scanCode = 0;
    uint32_t virtualKey = 0;
    bool extended = false;
};
bool FindKeyByName(const std::string& name, KeyInfo& out);
// lParam of a key message for `scanCode` (repeat count 1, scan code in bits 16-23,
// extended flag in bit 24, previous-state and transition bits for key up).
intptr_t KeyMessageParam(const KeyInfo& key, bool down);

}  // namespace plat::detail
