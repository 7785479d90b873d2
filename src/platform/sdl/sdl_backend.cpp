// The live back end on SDL2: a window whose client area is the game's 640 x 480
// picture (full screen: the desktop, the picture scaled and letterboxed), real time,
// system events turned into the window messages the game reads.
#include <SDL.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/backend.h"
#include "core/message_box.h"
#include "text.h"

#include "input/keymap.h"

namespace plat::detail {
namespace {

// Runs `ask` with libX11 (for its functions) and a connection of its own to the X
// server; false where there is neither.
template <class Ask>
bool AskXServer(Ask&& ask) {
    void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) return false;
    using Open = void* (*)(const char*);
    using Close = int (*)(void*);
    auto open = reinterpret_cast<Open>(::dlsym(x11, "XOpenDisplay"));
    auto close = reinterpret_cast<Close>(::dlsym(x11, "XCloseDisplay"));
    bool asked = false;
    if (open && close) {
        if (void* display = open(nullptr)) {
            ask(x11, display);
            asked = true;
            close(display);
        }
    }
    ::dlclose(x11);
    return asked;
}

// The desktop's own message box on X11 draws with the server's fonts; many servers
// have none with Japanese, and Japanese text then comes out as ASCII garbage.
bool SystemBoxDrawsJapanese() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return true;  // the others draw UTF-8 text
    bool japanese = true;
    AskXServer([&](void* x11, void* display) {
        using List = char** (*)(void*, const char*, int, int*);
        using FreeNames = int (*)(char**);
        auto list = reinterpret_cast<List>(::dlsym(x11, "XListFonts"));
        auto freeNames = reinterpret_cast<FreeNames>(::dlsym(x11, "XFreeFontNames"));
        if (!list || !freeNames) return;
        int count = 0;
        char** names = list(display, "-*-*-*-*-*-*-*-*-*-*-*-*-jisx0208.1983-*", 1, &count);
        japanese = names != nullptr && count > 0;
        if (names) freeNames(names);
    });
    return japanese;
}

// A graphics card's device this process could render with.
bool HasLocalGraphicsDevice() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec))
        if (entry.path().filename().string().starts_with("renderD")) return true;
    return ::access("/dev/nvidiactl", R_OK | W_OK) == 0;
}

// Whether the display has a graphics card behind its renderers. Without one, SDL's
// accelerated renderer is a software OpenGL: some 55 MB loaded and more of a core to
// copy and scale our picture than drawing it takes. Asked without making a GL context
// (that alone would load it): the X server offers direct rendering (DRI, or NVIDIA's
// own) and this machine has the card's device.
bool HardwareRendererLikely() {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return true;  // a renderer the user chose
    bool accelerated = false;
    SDL_RendererInfo info;
    for (int i = 0, n = SDL_GetNumRenderDrivers(); i < n; ++i)
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && (info.flags & SDL_RENDERER_ACCELERATED)) accelerated = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!accelerated || !driver) return false;
    const std::string name = driver;
    if (name == "dummy" || name == "offscreen") return false;
    if (name == "wayland") return HasLocalGraphicsDevice();
    if (name != "x11") return true;  // other displays keep the renderer
    if (!HasLocalGraphicsDevice()) return false;
    bool direct = false;
    AskXServer([&](void* x11, void* display) {
        using Query = int (*)(void*, const char*, int*, int*, int*);
        auto query = reinterpret_cast<Query>(::dlsym(x11, "XQueryExtension"));
        if (!query) return;
        for (const char* extension : {"DRI3", "DRI2", "NV-GLX"}) {
            int opcode = 0, event = 0, error = 0;
            direct = direct || query(display, extension, &opcode, &event, &error) != 0;
        }
    });
    return direct;
}

// The text as the system's box can show it: where it cannot draw Japanese, only the
// lines without it (the words that come in English too); the whole text when no line
// is left.
std::string TextForSystemBox(const std::string& utf8, bool japanese) {
    if (japanese) return utf8;
    std::string kept, line;
    auto flush = [&] {
        bool ascii = !line.empty();
        for (unsigned char c : line) ascii = ascii && c < 0x80;
        if (ascii) kept += (kept.empty() ? "" : "\n") + line;
        line.clear();
    };
    for (char c : utf8) {
        if (c == '\n') flush();
        else if (c != '\r') line += c;
    }
    flush();
    return kept.empty() ? utf8 : kept;
}

class SdlBackend : public BackendOps {
public:
    ~SdlBackend() override {
        DestroyWindow();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER);
    }

    bool CreateWindow(const char* caption, int width, int height, bool fullScreen) override {
        width_ = width;
        height_ = height;
        Uint32 flags = SDL_WINDOW_SHOWN | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        // Full screen: made at the desktop's size from the start, so the window covers
        // the screen even where no window manager resizes it.
        int w = width, h = height;
        SDL_DisplayMode desktop;
        if (fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
            w = desktop.w;
            h = desktop.h;
        }
        window_ = SDL_CreateWindow(Cp932ToUtf8(caption).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w,
                                   h, flags);
        if (!window_) {
            std::fprintf(stderr, "window: %s\n", SDL_GetError());
            return false;
        }
        // Without a graphics card our frame goes on the window's own surface, scaled by us.
        if (!HardwareRendererLikely()) {
            // Not the framebuffer through a renderer either: SDL would make a GL context
            // to find out whether that is faster.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            if (SDL_GetWindowSurface(window_)) {
                active_ = true;
                return true;
            }
        }
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            std::fprintf(stderr, "renderer: %s\n", SDL_GetError());
            SDL_DestroyWindow(window_);
            window_ = nullptr;
            return false;
        }
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) {
            std::fprintf(stderr, "texture: %s\n", SDL_GetError());
            DestroyWindow();
            return false;
        }
        active_ = true;
        return true;
    }

    void DestroyWindow() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        surface_ = nullptr;
    }

    bool IsWindowActive() override {
        if (!window_) return false;
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) return false;
        return active_;
    }

    void SetCaption(const char* caption) override {
        if (window_) SDL_SetWindowTitle(window_, Cp932ToUtf8(caption).c_str());
    }

    bool Present(const uint32_t* argb, int width, int height, int pitch, const FrameChanges& changed) override {
        if (!window_ || width != width_ || height != height_) return false;
        if (!renderer_) return PresentOnSurface(argb, pitch, changed);
        if (!texture_) return false;
        // The texture keeps the frame before: the parts that changed go to it.
        for (const FrameChange& c : changed) {
            const int x0 = std::max(c.left, 0), y0 = std::max(c.top, 0);
            const SDL_Rect part{x0, y0, std::min(c.right, width_) - x0, std::min(c.bottom, height_) - y0};
            if (part.w <= 0 || part.h <= 0) continue;
            if (SDL_UpdateTexture(texture_, &part, argb + size_t(y0) * size_t(pitch) + size_t(x0), pitch * 4) != 0)
                return false;
        }
        Placement p = Place();
        SDL_Rect dst{p.x, p.y, p.w, p.h};
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
        SDL_RenderPresent(renderer_);
        return true;
    }

    void Pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) Translate(e);
    }

    void WarpPointer(int x, int y) override {
        if (!window_) return;
        // Client coordinates to output pixels, then to window points.
        Placement p = Place();
        int winW = width_, winH = height_, outW = width_, outH = height_;
        SDL_GetWindowSize(window_, &winW, &winH);
        OutputSize(outW, outH);
        double ox = p.x + (x + 0.5) * p.w / std::max(1, width_);
        double oy = p.y + (y + 0.5) * p.h / std::max(1, height_);
        SDL_WarpMouseInWindow(window_, static_cast<int>(ox * winW / std::max(1, outW)),
                              static_cast<int>(oy * winH / std::max(1, outH)));
    }
    void SetPointerVisible(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

    uint32_t Ticks() override { return static_cast<uint32_t>(SDL_GetTicks64()); }
    uint64_t Counter() override { return SDL_GetPerformanceCounter(); }
    uint64_t CounterFrequency() override { return SDL_GetPerformanceFrequency(); }
    void SleepFor(uint32_t milliseconds) override {
        if (milliseconds == 0) SDL_Delay(0);
        else SDL_Delay(milliseconds);
    }

    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        std::string t = Cp932ToUtf8(text), c = Cp932ToUtf8(caption);
        // The whole text on the terminal too, which reads UTF-8.
        std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
        const bool japanese = SystemBoxDrawsJapanese();
        t = TextForSystemBox(t, japanese);
        if (!japanese && std::any_of(c.begin(), c.end(), [](char ch) { return (unsigned char)ch >= 0x80; }))
            c = "VORMANT";
        SDL_MessageBoxData data{};
        unsigned icon = flags & 0xF0;
        data.flags = icon == kMbIconError ? SDL_MESSAGEBOX_ERROR
                     : icon == kMbIconWarning ? SDL_MESSAGEBOX_WARNING
                                              : SDL_MESSAGEBOX_INFORMATION;
        data.window = window_;
        data.title = c.c_str();
        data.message = t.c_str();
        SDL_MessageBoxButtonData buttons[2]{};
        unsigned kind = flags & 0xF;
        if (kind == kMbYesNo) {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "Yes"};
            buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdNo, "No"};
            data.numbuttons = 2;
        } else if (kind == kMbOkCancel) {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdOk, "OK"};
            buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdCancel, "Cancel"};
            data.numbuttons = 2;
        } else {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk,
                          "OK"};
            data.numbuttons = 1;
        }
        data.buttons = buttons;
        const int cancel = kind == kMbYesNo ? kIdNo : kind == kMbOkCancel ? kIdCancel : kIdOk;
        int pressed = -1;
        if (!window_) {
            // No window of ours yet: the box runs in a process of its own (group), so
            // that a terminate signal can take it down with it; the system's box may
            // itself run in a further process, which the group holds too.
            const pid_t child = ::fork();
            if (child == 0) {
                ::setpgid(0, 0);
                int answer = -1;
                if (SDL_ShowMessageBox(&data, &answer) != 0) answer = cancel;
                ::_exit(answer < 0 ? 0 : answer & 0x7F);
            }
            if (child > 0) {
                ::setpgid(child, child);
                for (;;) {
                    int status = 0;
                    const pid_t r = ::waitpid(child, &status, WNOHANG);
                    if (r == child) {
                        const int answer = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
                        return answer > 0 ? answer : cancel;
                    }
                    if (r < 0) return cancel;
                    if (TerminateRequested()) {
                        ::kill(-child, SIGKILL);
                        ::waitpid(child, &status, 0);
                        return cancel;
                    }
                    SDL_Delay(20);
                }
            }
        }
        if (SDL_ShowMessageBox(&data, &pressed) != 0) return cancel;
        if (pressed < 0) return cancel;
        return pressed;
    }

private:
    // The output's size in pixels: the renderer's, or the window's surface.
    void OutputSize(int& w, int& h) const {
        w = width_;
        h = height_;
        if (renderer_) SDL_GetRendererOutputSize(renderer_, &w, &h);
        else if (window_) SDL_GetWindowSizeInPixels(window_, &w, &h);
    }

    // Where the picture lands in the output.
    Placement Place() const {
        int ow, oh;
        OutputSize(ow, oh);
        return FitPicture(ow, oh, width_, height_);
    }

    // Window coordinates (in window points) to client coordinates of the picture.
    void ToClient(int wx, int wy, int& cx, int& cy) const {
        int winW = width_, winH = height_, outW = width_, outH = height_;
        if (window_) SDL_GetWindowSize(window_, &winW, &winH);
        OutputSize(outW, outH);
        // Window points to output pixels (high-density displays differ).
        double px = winW > 0 ? double(wx) * outW / winW : wx;
        double py = winH > 0 ? double(wy) * outH / winH : wy;
        OutputToPicture(FitPicture(outW, outH, width_, height_), width_, height_, px, py, cx, cy);
    }

    // The frame on the window's own surface. Only the parts that changed since the last
    // frame are scaled and sent to the display; the whole surface (bars included) when
    // it is new or the display lost what it showed.
    bool PresentOnSurface(const uint32_t* argb, int pitch, const FrameChanges& changed) {
        SDL_Surface* s = SDL_GetWindowSurface(window_);
        if (!s) return false;
        if (s != surface_ || s->w != surfaceW_ || s->h != surfaceH_) {
            surface_ = s;
            surfaceW_ = s->w;
            surfaceH_ = s->h;
            redrawAll_ = true;
        }
        const FrameChanges whole{kWholeFrame};
        const FrameChanges& parts = redrawAll_ ? whole : changed;
        if (parts.empty()) return true;  // the display still shows this frame
        const Placement p = FitPicture(s->w, s->h, width_, height_);
        const SDL_PixelFormat* f = s->format;
        const bool direct = f->BytesPerPixel == 4 && f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u &&
                            f->Bmask == 0xFFu && f->Amask == 0;
        if (redrawAll_) SDL_FillRect(s, nullptr, SDL_MapRGB(f, 0, 0, 0));
        rects_.clear();
        if (direct) {
            if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
            for (const FrameChange& c : parts) {
                const Placement w = ScalePicture(argb, width_, height_, pitch, p, c, static_cast<uint32_t*>(s->pixels),
                                                 s->w, s->h, s->pitch / 4);
                if (w.w > 0) rects_.push_back(SDL_Rect{w.x, w.y, w.w, w.h});
            }
            if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
        } else if (SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
                       const_cast<uint32_t*>(argb), width_, height_, 32, pitch * 4, SDL_PIXELFORMAT_RGB888)) {
            // A display of another pixel format: SDL converts while it scales.
            SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
            SDL_Rect dst{p.x, p.y, p.w, p.h};
            SDL_BlitScaled(picture, nullptr, s, &dst);
            SDL_FreeSurface(picture);
            rects_.push_back(dst);
        }
        const int n = int(rects_.size());
        const bool sent = redrawAll_ ? SDL_UpdateWindowSurface(window_) == 0
                          : n > 0    ? SDL_UpdateWindowSurfaceRects(window_, rects_.data(), n) == 0
                                     : true;
        redrawAll_ = !sent;
        return sent;
    }

    bool LookUpKey(SDL_Scancode sc, KeyInfo& key) const {
        key.scanCode = ScanCodeFromSdl(static_cast<int>(sc));
        key.virtualKey = VirtualKeyFromSdl(static_cast<int>(sc));
        key.extended = key.scanCode >= 0x80;
        return key.scanCode != 0 || key.virtualKey != 0;
    }

    void Translate(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT:
            QueueMessage(Message{kMsgClose, 0, 0});
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                QueueMessage(Message{kMsgClose, 0, 0});
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                       e.window.event == SDL_WINDOWEVENT_RESTORED ||
                       e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                redrawAll_ = true;  // the display lost (part of) what it showed
            } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                active_ = true;
                QueueMessage(Message{kMsgActivateApp, 1, 0});
            } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                active_ = false;
                ClearKeyStates();
                QueueMessage(Message{kMsgActivateApp, 0, 0});
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            KeyInfo key;
            if (!LookUpKey(e.key.keysym.scancode, key)) break;
            bool down = e.type == SDL_KEYDOWN;
            SetKeyState(key.scanCode, down);
            intptr_t lParam = KeyMessageParam(key, down);
            if (down && e.key.repeat) lParam |= intptr_t(1) << 30;
            QueueMessage(Message{down ? kMsgKeyDown : kMsgKeyUp, key.virtualKey, lParam});
            break;
        }
        case SDL_MOUSEMOTION: {
            int x, y;
            ToClient(e.motion.x, e.motion.y, x, y);
            SetPointer(x, y);
            // A move carries the buttons really held, as the system reports them, so a
            // release that happened away from the window (and never reached it) does not
            // leave a button stuck down.
            uint32_t held = 0;
            if (e.motion.state & SDL_BUTTON_LMASK) held |= kMkLButton;
            if (e.motion.state & SDL_BUTTON_RMASK) held |= kMkRButton;
            if (e.motion.state & SDL_BUTTON_MMASK) held |= kMkMButton;
            SetHeldButtons(held);
            QueueMessage(Message{kMsgMouseMove, HeldButtons(), MakePointParam(x, y)});
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            uint32_t flag = 0, downId = 0, upId = 0;
            if (e.button.button == SDL_BUTTON_LEFT) flag = kMkLButton, downId = kMsgLButtonDown, upId = kMsgLButtonUp;
            else if (e.button.button == SDL_BUTTON_RIGHT)
                flag = kMkRButton, downId = kMsgRButtonDown, upId = kMsgRButtonUp;
            else if (e.button.button == SDL_BUTTON_MIDDLE)
                flag = kMkMButton, downId = kMsgMButtonDown, upId = kMsgMButtonUp;
            else break;
            int x, y;
            ToClient(e.button.x, e.button.y, x, y);
            SetPointer(x, y);
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            SetHeldButtons(down ? (HeldButtons() | flag) : (HeldButtons() & ~flag));
            QueueMessage(Message{down ? downId : upId, HeldButtons(), MakePointParam(x, y)});
            break;
        }
        case SDL_MOUSEWHEEL: {
            int x, y;
            GetPointer(x, y);
            uintptr_t w = (uintptr_t(uint16_t(int16_t(e.wheel.y * 120))) << 16) | HeldButtons();
            QueueMessage(Message{kMsgMouseWheel, w, MakePointParam(x, y)});
            break;
        }
        default:
            break;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    // Without a renderer: the window's surface as last seen.
    SDL_Surface* surface_ = nullptr;
    int surfaceW_ = 0, surfaceH_ = 0;
    bool redrawAll_ = true;
    std::vector<SDL_Rect> rects_;  // the parts of the surface sent to the display
    int width_ = 640, height_ = 480;
    bool active_ = true;
};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// SDL's display drivers that can show a window, in SDL's order. The off-screen and
// dummy drivers draw into memory only: a player without a display would get a game
// running where nobody sees it. Wayland is left out where there is no compositor to
// ask for (no socket named, no runtime folder to find the usual one in), so that its
// library does not print a complaint of its own.
std::string VisibleDrivers() {
    const bool wayland = !Environment("WAYLAND_DISPLAY").empty() || !Environment("XDG_RUNTIME_DIR").empty();
    std::string list;
    for (int i = 0, n = SDL_GetNumVideoDrivers(); i < n; ++i) {
        const std::string name = SDL_GetVideoDriver(i);
        if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
        if (name == "wayland" && !wayland) continue;
        list += (list.empty() ? "" : ",") + name;
    }
    return list;
}

// A word for the shell: as it is, or in single quotes.
std::string ForShell(const std::string& word) {
    const bool plain = std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+:@", c);
    });
    if (plain && !word.empty()) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// One line for a player whose machine shows no window, with the command that starts
// this program the same way (in the folder it plays in, where its data is) under a
// virtual display.
std::string NoDisplayText() {
    const std::string x11 = Environment("DISPLAY"), wayland = Environment("WAYLAND_DISPLAY");
    std::string why = "no display";
    if (x11.empty() && wayland.empty()) why += " (DISPLAY and WAYLAND_DISPLAY are not set)";
    else why += " answers at " + (x11.empty() ? "WAYLAND_DISPLAY=" + wayland : "DISPLAY=" + x11);
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    const std::filesystem::path program = plat::ProgramFile();
    std::string run = "./vormant";
    // The program as found in that folder (itself, or a link to it), else by its whole path.
    if (!program.empty())
        run = std::filesystem::equivalent(here / program.filename(), program, ec) ? "./" + program.filename().string()
                                                                                 : program.string();
    return why + "; to play under a virtual one: cd " + ForShell(here.string()) +
           " && xvfb-run -s \"-screen 0 800x600x24\" " + ForShell(run);
}

}  // namespace

std::unique_ptr<BackendOps> CreateLiveBackend(const InitOptions&, std::string& error) {
    // A driver the user named (SDL_VIDEODRIVER) is taken as asked, even one that
    // draws off screen. An empty one names none: SDL would still read it over a hint
    // of ordinary priority (and then try every driver it has, the off-screen one too),
    // so the list overrides it.
    const bool chosen = !Environment("SDL_VIDEODRIVER").empty();
    if (!chosen) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, VisibleDrivers().c_str(), SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        error = chosen ? std::string("cannot start the display: ") + SDL_GetError() : NoDisplayText();
        return nullptr;
    }
    return std::make_unique<SdlBackend>();
}

}  // namespace plat::detail
