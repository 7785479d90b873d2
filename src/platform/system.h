#pragma once
// The platform's window, message queue, clock and message boxes.
//
// Two back ends share this interface: the live one (a real window, real time)
// and the headless one (no window, a virtual clock that advances only when the
// program sleeps, input played from a script).  Game code sees only this file.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// ---- messages ---------------------------------------------------------------
// Message ids and parameter packing follow the window-message conventions the
// game code was written against (ids are the classic numeric values).
enum : uint32_t {
    kMsgNull = 0x0000,
    kMsgClose = 0x0010,
    kMsgQuit = 0x0012,
    kMsgActivateApp = 0x001C,
    kMsgKeyDown = 0x0100,  // wParam: virtual key; lParam bits 16-23: scan code, bit 24: extended
    kMsgKeyUp = 0x0101,
    kMsgChar = 0x0102,
    kMsgMouseMove = 0x0200,  // lParam: x (low word), y (high word), signed client coords
    kMsgLButtonDown = 0x0201,
    kMsgLButtonUp = 0x0202,
    kMsgRButtonDown = 0x0204,
    kMsgRButtonUp = 0x0205,
    kMsgMButtonDown = 0x0207,
    kMsgMButtonUp = 0x0208,
    kMsgMouseWheel = 0x020A,
};

// Button flags carried in wParam of mouse messages.
enum : uint32_t { kMkLButton = 0x0001, kMkRButton = 0x0002, kMkShift = 0x0004, kMkControl = 0x0008, kMkMButton = 0x0010 };

// Virtual key codes used in kMsgKeyDown's wParam.
enum : uint32_t { kVkEscape = 0x1B, kVkReturn = 0x0D, kVkSpace = 0x20 };

struct Message {
    uint32_t id = kMsgNull;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

inline intptr_t MakePointParam(int x, int y) {
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
inline int ParamX(intptr_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
inline int ParamY(intptr_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }

// ---- start and stop -----------------------------------------------------------
enum class Backend { Live, Headless };

struct InitOptions {
    Backend backend = Backend::Live;
    std::string replayScript;  // headless: input script to play (may be empty)
    // When named: each presented frame adds a line to this file, the hashes of its
    // colour and of its depth (see PresentFrame), so that two runs can be compared
    // frame by frame.
    std::string frameHashes;
};

// Prints why the back end cannot start on standard error, and hands that line to
// `failure` when given (the program keeps it in its own log).
bool Init(const InitOptions& options, std::string* failure = nullptr);
void Shutdown();
Backend CurrentBackend();
bool IsHeadless();

// ---- window --------------------------------------------------------------------
// Caption in CP932.  The client area is width x height; full screen scales the
// picture to the desktop with letterboxing and maps the pointer back.
bool CreateMainWindow(const char* captionCp932, int width, int height, bool fullScreen);
void DestroyMainWindow();
bool HasMainWindow();
bool IsMainWindowActive();
void SetWindowCaption(const char* captionCp932);
int ClientWidth();
int ClientHeight();

// A part of a frame: columns [left, right) of rows [top, bottom).
struct FrameRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Shows a finished frame (32-bit ARGB, one word per pixel, `pitch` in pixels).
// Headless: kept in memory (see LastPresentedFrame) and counted as one frame.
// `changed`, when given, holds the parts outside which the frame is known to equal the
// one presented before (none: it equals it wholly); only they are compared and shown.
// `depth`, when given, is the depth buffer behind the frame (laid out as the colour),
// hashed with it when frame hashes are wanted.
bool PresentFrame(const uint32_t* argb, int width, int height, int pitch,
                  const std::vector<FrameRect>* changed = nullptr, const float* depth = nullptr);

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // ARGB
};
const Frame& LastPresentedFrame();
uint64_t PresentedFrameCount();

// ---- messages ------------------------------------------------------------------
// Takes one waiting message (pumping the system's events first); false when none.
bool PeekMessage(Message& out);
void PostMessage(const Message& message);
void PostQuitMessage(int exitCode);

// ---- pointer -------------------------------------------------------------------
bool GetCursorPos(int& x, int& y);  // client coordinates
void SetCursorPos(int x, int y);    // client coordinates
void ShowCursor(bool show);

// ---- keyboard state --------------------------------------------------------------
// 256 entries indexed by keyboard scan code (Escape 0x01, Z 0x2C, Up 0xC8 ...);
// bit 7 set while the key is held.  Kept up to date by PeekMessage's pump.
const uint8_t* KeyboardState();

// ---- clock ---------------------------------------------------------------------
uint32_t TickCount();           // milliseconds since start (wraps like a 32-bit tick)
uint64_t PerformanceCounter();  // high-resolution counter
uint64_t PerformanceFrequency();
void Sleep(uint32_t milliseconds);  // headless: advances the virtual clock

// ---- message boxes -------------------------------------------------------------
enum : unsigned { kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNo = 0x4, kMbIconError = 0x10, kMbIconQuestion = 0x20,
                  kMbIconWarning = 0x30, kMbIconInformation = 0x40 };
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Text and caption in CP932.  Headless: recorded, echoed to stderr, answered at once
// (kIdOk / kIdYes).
int MessageBox(const char* textCp932, const char* captionCp932, unsigned flags);

struct RecordedMessageBox {
    std::string text, caption;  // CP932
    unsigned flags = 0;
};
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();
// Forgets the recorded boxes (long headless runs that show many).
void ClearRecordedMessageBoxes();


// ---- window handle -----------------------------------------------------------------
// An opaque token for the main window (null while there is none); handed to code
// that keeps "the window" a message belongs to.
void* MainWindowHandle();

// ---- timer resolution ----------------------------------------------------------------
// The multimedia-timer style resolution control: the capabilities, and raising and
// lowering the resolution around the life of the program's timers.  Both clocks
// (TickCount and TimeGetTime) read the same millisecond clock on this platform.
bool GetTimerCaps(uint32_t& minPeriod, uint32_t& maxPeriod);
bool BeginTimerPeriod(uint32_t period);
void EndTimerPeriod(uint32_t period);
int RaisedTimerPeriods();  // BeginTimerPeriod calls not yet ended
uint32_t TimeGetTime();

// ---- single-instance lock --------------------------------------------------------------
// A named, system-wide lock that one process holds at a time.  The results follow the
// named-mutex convention the game checks: created, already exists, invalid handle.
enum class LockResult { Created = 0, AlreadyExists = 1, InvalidHandle = 2 };
struct NamedLock;
// Takes the lock named `name` (a file in $XDG_RUNTIME_DIR, else /tmp).  The returned
// handle is null unless the result is Created.  In headless mode the name carries the
// process id, so headless runs never meet each other.
NamedLock* OpenNamedLock(const std::string& name, LockResult& result);
// The same on an explicit lock file.
NamedLock* OpenNamedLockFile(const std::string& filePath, LockResult& result);
void CloseNamedLock(NamedLock* lock);
std::string NamedLockPath(const std::string& name);

// ---- graphics diagnostics -----------------------------------------------------------------
// The DirectX version the platform stands in for (major, minor, letter as reported by
// a diagnostics provider).  False when unknown.
bool QueryGraphicsDiagnostics(uint32_t& major, uint32_t& minor, std::string& letter);

// ---- program ------------------------------------------------------------------------------
std::string ProgramFile();  // full path of the running program

// ---- headless replay ----------------------------------------------------------------------
// True once the headless input script has no events left (always false live).
bool ReplayFinished();
// Saves the last presented frame as a PNG file.
bool SavePresentedFramePng(const std::string& path);

}  // namespace plat
