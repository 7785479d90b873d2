// The shared half of the platform: the message queue, keyboard state, pointer, last
// frame and recorded message boxes, with every call handed to the chosen back end.
// Until Init is called the headless back end (virtual clock, no script) answers, so
// code that only needs a clock works without a window.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <stb_image_write.h>

#include "core/backend.h"
#include "core/message_box.h"
#include "system.h"

namespace plat {
namespace {

struct State {
    std::unique_ptr<detail::BackendOps> backend;
    Backend kind = Backend::Headless;
    std::deque<Message> queue;
    uint8_t keys[256] = {};
    int pointerX = 0, pointerY = 0;
    uint32_t buttons = 0;
    bool hasWindow = false;
    int clientWidth = 0, clientHeight = 0;
    Frame lastFrame;
    detail::FrameChanges changes;        // how lastFrame differs from the one before
    bool displayShowsLastFrame = false;  // the back end's last picture is lastFrame
    uint64_t frames = 0;
    std::vector<RecordedMessageBox> boxes;
    int raisedPeriods = 0;
    int windowToken = 0;  // its address is the window handle
    bool terminatePassedOn = false;  // a terminate signal has become a close request
    FILE* frameHashes = nullptr;     // see InitOptions::frameHashes
};

State& S() {
    // Never destroyed: a process that exits without Shutdown (the display connection
    // lost, exit() from a library) must not tear the window down on a dead
    // connection from a static destructor.  Shutdown releases everything in order.
    static State* state = new State;
    return *state;
}

detail::BackendOps& B() {
    State& s = S();
    if (!s.backend) {
        std::string error;
        s.backend = detail::CreateHeadlessBackend(InitOptions{Backend::Headless, {}}, error);
        s.kind = Backend::Headless;
    }
    return *s.backend;
}

// A 64-bit hash of `bytes` bytes continuing from `h`: four lanes of multiply and
// shift, so that hashing a frame costs about as much as copying it.
uint64_t HashBytes(const void* data, size_t bytes, uint64_t h) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const auto* p = static_cast<const unsigned char*>(data);
    uint64_t lane[4] = {h, h ^ 1, h ^ 2, h ^ 3};
    const auto mix = [](uint64_t& l, uint64_t w) {
        l = (l ^ w) * kMul;
        l ^= l >> 29;
    };
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, p + i + 8 * k, 8);
            mix(lane[k], w);
        }
    for (; i < bytes; i += 8) {
        uint64_t w = 0;
        std::memcpy(&w, p + i, std::min<size_t>(8, bytes - i));
        mix(lane[0], w);
    }
    mix(lane[0], bytes);
    return ((lane[0] * kMul ^ lane[1]) * kMul ^ lane[2]) * kMul ^ lane[3];
}

void WriteFrameHashes(FILE* out, const uint32_t* argb, const float* depth, int width, int height, int pitch) {
    uint64_t color = 0, z = 0;
    for (int y = 0; y < height; ++y) {
        color = HashBytes(argb + size_t(y) * pitch, size_t(width) * 4, color);
        if (depth) z = HashBytes(depth + size_t(y) * pitch, size_t(width) * 4, z);
    }
    std::fprintf(out, "%016llx %016llx\n", static_cast<unsigned long long>(color), static_cast<unsigned long long>(z));
}

}  // namespace

// ---- start and stop ---------------------------------------------------------------------
bool Init(const InitOptions& options, std::string* failure) {
    State& s = S();
    Shutdown();
    std::string error;
    std::unique_ptr<detail::BackendOps> backend = options.backend == Backend::Live
                                                      ? detail::CreateLiveBackend(options, error)
                                                      : detail::CreateHeadlessBackend(options, error);
    if (!backend) {
        // Still the kind of program that was asked for: a live one that logs why it
        // cannot start dates the line by the real clock, not the virtual one.
        s.kind = options.backend;
        std::fprintf(stderr, "vormant: %s\n", error.c_str());
        if (failure) *failure = error;
        return false;
    }
    if (!options.frameHashes.empty()) {
        s.frameHashes = std::fopen(options.frameHashes.c_str(), "w");
        if (!s.frameHashes) {
            std::fprintf(stderr, "platform: cannot write the frame hashes to \"%s\"\n", options.frameHashes.c_str());
            return false;
        }
    }
    s.backend = std::move(backend);
    s.kind = options.backend;
    // A terminate signal ends the live program like a close request (also while a
    // message box is up).
    if (options.backend == Backend::Live) detail::InstallTerminateHandler();
    return true;
}

void Shutdown() {
    State& s = S();
    if (s.backend) {
        if (s.hasWindow) s.backend->DestroyWindow();
        s.backend.reset();
    }
    s.kind = Backend::Headless;
    s.queue.clear();
    std::memset(s.keys, 0, sizeof s.keys);
    s.pointerX = s.pointerY = 0;
    s.buttons = 0;
    s.hasWindow = false;
    s.displayShowsLastFrame = false;
    s.clientWidth = s.clientHeight = 0;
    s.lastFrame = Frame{};
    s.frames = 0;
    s.boxes.clear();
    s.terminatePassedOn = false;
    if (s.frameHashes) std::fclose(s.frameHashes);
    s.frameHashes = nullptr;
}

Backend CurrentBackend() { return S().kind; }
bool IsHeadless() { return S().kind == Backend::Headless; }

// ---- window ---------------------------------------------------------------------------------
bool CreateMainWindow(const char* captionCp932, int width, int height, bool fullScreen) {
    State& s = S();
    if (s.hasWindow) return true;
    if (!B().CreateWindow(captionCp932 ? captionCp932 : "", width, height, fullScreen)) return false;
    s.hasWindow = true;
    s.displayShowsLastFrame = false;
    s.clientWidth = width;
    s.clientHeight = height;
    return true;
}

void DestroyMainWindow() {
    State& s = S();
    if (!s.hasWindow) return;
    B().DestroyWindow();
    s.hasWindow = false;
}

bool HasMainWindow() { return S().hasWindow; }
bool IsMainWindowActive() { return S().hasWindow && B().IsWindowActive(); }
void SetWindowCaption(const char* captionCp932) {
    if (S().hasWindow) B().SetCaption(captionCp932 ? captionCp932 : "");
}
int ClientWidth() { return S().clientWidth; }
int ClientHeight() { return S().clientHeight; }
void* MainWindowHandle() { return S().hasWindow ? &S().windowToken : nullptr; }

bool PresentFrame(const uint32_t* argb, int width, int height, int pitch, const std::vector<FrameRect>* changed,
                  const float* depth) {
    if (!argb || width <= 0 || height <= 0 || pitch < width) return false;
    State& s = S();
    if (s.frameHashes) WriteFrameHashes(s.frameHashes, argb, depth, width, height, pitch);
    detail::StoreFrame(argb, width, height, pitch, s.changes, changed);
    ++s.frames;
    if (!s.hasWindow) return true;
    // After a message box the display shows the box's picture, not the frame before.
    if (!s.displayShowsLastFrame) s.changes.assign(1, detail::kWholeFrame);
    s.displayShowsLastFrame = B().Present(argb, width, height, pitch, s.changes);
    return s.displayShowsLastFrame;
}

const Frame& LastPresentedFrame() { return S().lastFrame; }
uint64_t PresentedFrameCount() { return S().frames; }

bool SavePresentedFramePng(const std::string& path) {
    const Frame& f = S().lastFrame;
    if (f.width <= 0 || f.height <= 0) return false;
    std::vector<unsigned char> rgba(size_t(f.width) * f.height * 4);
    for (size_t i = 0; i < size_t(f.width) * f.height; ++i) {
        uint32_t p = f.pixels[i];
        rgba[i * 4 + 0] = (p >> 16) & 0xFF;
        rgba[i * 4 + 1] = (p >> 8) & 0xFF;
        rgba[i * 4 + 2] = p & 0xFF;
        rgba[i * 4 + 3] = 0xFF;  // the screen has no transparency
    }
    return stbi_write_png(path.c_str(), f.width, f.height, 4, rgba.data(), f.width * 4) != 0;
}

// ---- messages -------------------------------------------------------------------------------
bool PeekMessage(Message& out) {
    State& s = S();
    B().Pump();
    if (!s.terminatePassedOn && s.kind == Backend::Live && detail::TerminateRequested()) {
        s.terminatePassedOn = true;
        s.queue.push_back(Message{kMsgClose, 0, 0});
    }
    if (s.queue.empty()) return false;
    out = s.queue.front();
    s.queue.pop_front();
    return true;
}

void PostMessage(const Message& message) { S().queue.push_back(message); }
void PostQuitMessage(int exitCode) {
    PostMessage(Message{kMsgQuit, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0});
}

// ---- pointer ---------------------------------------------------------------------------------
bool GetCursorPos(int& x, int& y) {
    x = S().pointerX;
    y = S().pointerY;
    return true;
}
void SetCursorPos(int x, int y) {
    S().pointerX = x;
    S().pointerY = y;
    if (S().hasWindow) B().WarpPointer(x, y);
}
void ShowCursor(bool show) {
    if (S().hasWindow) B().SetPointerVisible(show);
}

const uint8_t* KeyboardState() { return S().keys; }

// ---- clock ---------------------------------------------------------------------------------------
uint32_t TickCount() { return B().Ticks(); }
uint32_t TimeGetTime() { return B().Ticks(); }
uint64_t PerformanceCounter() { return B().Counter(); }
uint64_t PerformanceFrequency() { return B().CounterFrequency(); }
void Sleep(uint32_t milliseconds) { B().SleepFor(milliseconds); }

bool GetTimerCaps(uint32_t& minPeriod, uint32_t& maxPeriod) {
    minPeriod = 1;
    maxPeriod = 1000000;
    return true;
}
bool BeginTimerPeriod(uint32_t period) {
    if (period == 0) return false;
    ++S().raisedPeriods;
    return true;
}
void EndTimerPeriod(uint32_t period) {
    if (period != 0 && S().raisedPeriods > 0) --S().raisedPeriods;
}
int RaisedTimerPeriods() { return S().raisedPeriods; }

// ---- message boxes ------------------------------------------------------------------------------
int MessageBox(const char* textCp932, const char* captionCp932, unsigned flags) {
    std::string text = textCp932 ? textCp932 : "";
    std::string caption = captionCp932 ? captionCp932 : "";
    State& s = S();
    s.boxes.push_back(RecordedMessageBox{text, caption, flags});
    // In the game window, drawn with the game's own font.
    if (s.kind == Backend::Live && s.hasWindow) {
        const int answer = detail::RunWindowMessageBoxOn(B(), s.lastFrame, text, caption, flags, s.clientWidth,
                                                         s.clientHeight, s.queue);
        s.displayShowsLastFrame = false;
        if (answer != 0) return answer;
    }
    // Before a window exists (or headless, where it is answered at once): the system's,
    // which ends with the program on a terminate signal.
    return B().ShowMessageBox(text, caption, flags);
}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes() { return S().boxes; }
void ClearRecordedMessageBoxes() { S().boxes.clear(); }

// ---- single-instance lock ------------------------------------------------------------------------
struct NamedLock {
    int fd = -1;
    std::string path;
    bool removeOnClose = false;  // a lock file that only this process ever names
};

std::string NamedLockPath(const std::string& name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = (dir && *dir) ? dir : "/tmp";
    if (folder.back() != '/') folder += '/';
    // Keep the name a single file name.
    std::string file;
    for (char c : name) file += (c == '/' || c == '\\') ? '_' : c;
    if (IsHeadless()) file += "." + std::to_string(::getpid());
    return folder + file + ".lock";
}

NamedLock* OpenNamedLockFile(const std::string& filePath, LockResult& result) {
    int fd = ::open(filePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        result = LockResult::InvalidHandle;
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Read before close(), which may change errno even when it succeeds.
        const int lockError = errno;
        ::close(fd);
        result = (lockError == EWOULDBLOCK) ? LockResult::AlreadyExists : LockResult::InvalidHandle;
        return nullptr;
    }
    result = LockResult::Created;
    return new NamedLock{fd, filePath, false};
}

NamedLock* OpenNamedLock(const std::string& name, LockResult& result) {
    std::string path = NamedLockPath(name);
    NamedLock* lock = OpenNamedLockFile(path, result);
    // Headless lock files carry the process id: nobody else can meet them, so they
    // are removed again instead of piling up.
    if (lock && IsHeadless()) lock->removeOnClose = true;
    return lock;
}

void CloseNamedLock(NamedLock* lock) {
    if (!lock) return;
    if (lock->fd >= 0) {
        if (lock->removeOnClose) ::unlink(lock->path.c_str());
        ::flock(lock->fd, LOCK_UN);
        ::close(lock->fd);
    }
    delete lock;
}

// ---- diagnostics and program ----------------------------------------------------------------------
bool QueryGraphicsDiagnostics(uint32_t& major, uint32_t& minor, std::string& letter) {
    // Our renderer provides everything the game asks of version 9.0c.
    major = 9;
    minor = 0;
    letter = "c";
    return true;
}

std::string ProgramFile() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

bool ReplayFinished() { return B().Finished(); }

// ---- helpers for the back ends ----------------------------------------------------------------------
namespace detail {

void QueueMessage(const Message& message) { S().queue.push_back(message); }
void SetKeyState(int scanCode, bool down) {
    if (scanCode <= 0 || scanCode > 255) return;
    S().keys[scanCode] = down ? 0x80 : 0x00;
}
void ClearKeyStates() { std::memset(S().keys, 0, sizeof S().keys); }
void SetPointer(int x, int y) {
    S().pointerX = x;
    S().pointerY = y;
}
void GetPointer(int& x, int& y) {
    x = S().pointerX;
    y = S().pointerY;
}
uint32_t HeldButtons() { return S().buttons; }
void SetHeldButtons(uint32_t flags) { S().buttons = flags; }

namespace {
// `part` shrunk to the box around its pixels where the frame differs from the one kept
// (`keptFrame`, `width` words to a row), those pixels copied into it; false when none
// differ.
bool StorePart(const uint32_t* argb, int pitch, uint32_t* keptFrame, int width, FrameChange& part) {
    FrameChange box{part.right, part.bottom, part.left, part.top};
    for (int y = part.top; y < part.bottom; ++y) {
        int left = part.left, right = part.right;
        uint32_t* kept = keptFrame + size_t(y) * width;
        const uint32_t* row = argb + size_t(y) * pitch;
        if (std::memcmp(kept + left, row + left, sizeof(uint32_t) * size_t(right - left)) == 0) continue;
        // The first and last pixels that differ, found a block at a time.
        constexpr int kBlock = 16;
        while (left + kBlock <= right && std::memcmp(kept + left, row + left, sizeof(uint32_t) * kBlock) == 0)
            left += kBlock;
        while (kept[left] == row[left]) ++left;
        while (right - kBlock >= left &&
               std::memcmp(kept + right - kBlock, row + right - kBlock, sizeof(uint32_t) * kBlock) == 0)
            right -= kBlock;
        while (kept[right - 1] == row[right - 1]) --right;
        std::memcpy(kept + left, row + left, sizeof(uint32_t) * size_t(right - left));
        box.left = std::min(box.left, left);
        box.right = std::max(box.right, right);
        box.top = std::min(box.top, y);
        box.bottom = y + 1;
    }
    part = box;
    return box.left < box.right;
}
}  // namespace

void StoreFrame(const uint32_t* argb, int width, int height, int pitch, FrameChanges& changed,
                const std::vector<FrameRect>* told) {
    Frame& f = S().lastFrame;
    changed.clear();
    if (f.width != width || f.height != height || f.pixels.size() != size_t(width) * height) {
        f.width = width;
        f.height = height;
        f.pixels.resize(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(&f.pixels[size_t(y) * width], argb + size_t(y) * pitch, sizeof(uint32_t) * size_t(width));
        changed.push_back(FrameChange{0, 0, width, height});
        return;
    }
    const auto store = [&](FrameChange part) {
        part.left = std::clamp(part.left, 0, width);
        part.right = std::clamp(part.right, part.left, width);
        part.top = std::clamp(part.top, 0, height);
        part.bottom = std::clamp(part.bottom, part.top, height);
        if (part.left < part.right && StorePart(argb, pitch, f.pixels.data(), width, part)) changed.push_back(part);
    };
    if (!told) store(FrameChange{0, 0, width, height});
    else
        for (const FrameRect& r : *told) store(r);
}

namespace {
struct NamedKey {
    const char* name;
    int scan;
    uint32_t vk;
    bool extended;
};
// Scan codes in the keyboard-device numbering; virtual keys as in key messages.
constexpr NamedKey kKeys[] = {
    {"Escape", 0x01, 0x1B, false},   {"Esc", 0x01, 0x1B, false},        {"1", 0x02, '1', false},
    {"2", 0x03, '2', false},         {"3", 0x04, '3', false},           {"4", 0x05, '4', false},
    {"5", 0x06, '5', false},         {"6", 0x07, '6', false},           {"7", 0x08, '7', false},
    {"8", 0x09, '8', false},         {"9", 0x0A, '9', false},           {"0", 0x0B, '0', false},
    {"Minus", 0x0C, 0xBD, false},    {"Backspace", 0x0E, 0x08, false},  {"Tab", 0x0F, 0x09, false},
    {"Q", 0x10, 'Q', false},         {"W", 0x11, 'W', false},           {"E", 0x12, 'E', false},
    {"R", 0x13, 'R', false},         {"T", 0x14, 'T', false},           {"Y", 0x15, 'Y', false},
    {"U", 0x16, 'U', false},         {"I", 0x17, 'I', false},           {"O", 0x18, 'O', false},
    {"P", 0x19, 'P', false},         {"Return", 0x1C, 0x0D, false},     {"Enter", 0x1C, 0x0D, false},
    {"LControl", 0x1D, 0x11, false}, {"Left Ctrl", 0x1D, 0x11, false},  {"Ctrl", 0x1D, 0x11, false},
    {"A", 0x1E, 'A', false},         {"S", 0x1F, 'S', false},           {"D", 0x20, 'D', false},
    {"F", 0x21, 'F', false},         {"G", 0x22, 'G', false},           {"H", 0x23, 'H', false},
    {"J", 0x24, 'J', false},         {"K", 0x25, 'K', false},           {"L", 0x26, 'L', false},
    {"LShift", 0x2A, 0x10, false},   {"Left Shift", 0x2A, 0x10, false}, {"Shift", 0x2A, 0x10, false},
    {"Z", 0x2C, 'Z', false},         {"X", 0x2D, 'X', false},           {"C", 0x2E, 'C', false},
    {"V", 0x2F, 'V', false},         {"B", 0x30, 'B', false},           {"N", 0x31, 'N', false},
    {"M", 0x32, 'M', false},         {"RShift", 0x36, 0x10, false},     {"Right Shift", 0x36, 0x10, false},
    {"LAlt", 0x38, 0x12, false},     {"Left Alt", 0x38, 0x12, false},   {"Space", 0x39, 0x20, false},
    {"F1", 0x3B, 0x70, false},       {"F2", 0x3C, 0x71, false},         {"F3", 0x3D, 0x72, false},
    {"F4", 0x3E, 0x73, false},       {"F5", 0x3F, 0x74, false},         {"F6", 0x40, 0x75, false},
    {"F7", 0x41, 0x76, false},       {"F8", 0x42, 0x77, false},         {"F9", 0x43, 0x78, false},
    {"F10", 0x44, 0x79, false},      {"F11", 0x57, 0x7A, false},        {"F12", 0x58, 0x7B, false},
    {"RControl", 0x9D, 0x11, true},  {"Right Ctrl", 0x9D, 0x11, true},  {"RAlt", 0xB8, 0x12, true},
    {"Right Alt", 0xB8, 0x12, true}, {"Home", 0xC7, 0x24, true},        {"Up", 0xC8, 0x26, true},
    {"PageUp", 0xC9, 0x21, true},    {"Left", 0xCB, 0x25, true},        {"Right", 0xCD, 0x27, true},
    {"End", 0xCF, 0x23, true},       {"Down", 0xD0, 0x28, true},        {"PageDown", 0xD1, 0x22, true},
    {"Insert", 0xD2, 0x2D, true},    {"Delete", 0xD3, 0x2E, true},
};

bool SameName(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
}  // namespace

bool FindKeyByName(const std::string& name, KeyInfo& out) {
    for (const NamedKey& k : kKeys) {
        if (SameName(name, k.name)) {
            out = KeyInfo{k.scan, k.vk, k.extended};
            return true;
        }
    }
    if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        char* end = nullptr;
        long v = std::strtol(name.c_str() + 2, &end, 16);
        if (end && *end == 0 && v > 0 && v < 256) {
            out = KeyInfo{int(v), 0, v >= 0x80};
            for (const NamedKey& k : kKeys)
                if (k.scan == v) {
                    out.virtualKey = k.vk;
                    break;
                }
            return true;
        }
    }
    return false;
}

intptr_t KeyMessageParam(const KeyInfo& key, bool down) {
    uint32_t p = 1u | (uint32_t(key.scanCode & 0xFF) << 16);
    if (key.extended) p |= 1u << 24;
    if (!down) p |= (1u << 30) | (1u << 31);
    return static_cast<intptr_t>(p);
}

}  // namespace detail
}  // namespace plat
