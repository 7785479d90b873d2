#pragma once
// The message box drawn inside the game window with the game's own font: a framed box
// over the dimmed last picture, the caption, the text (CP932) and its buttons; it is
// answered with the mouse or the keyboard (Return: OK / Yes, Escape: Cancel / No, or
// OK when that is the only button).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/backend.h"
#include "system.h"

namespace gfx {
class Font;
}

namespace plat::detail {

class WindowMessageBox {
public:
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    };

    // `width` x `height` is the picture (the window's client size).
    WindowMessageBox(const std::string& textCp932, const std::string& captionCp932, unsigned flags, int width,
                     int height);
    ~WindowMessageBox();
    WindowMessageBox(const WindowMessageBox&) = delete;
    WindowMessageBox& operator=(const WindowMessageBox&) = delete;

    // False when the game's font cannot be opened (the system's box stands in then).
    bool IsReady() const { return font_ != nullptr; }

    // The box drawn over `background` (ARGB, width x height; an empty one is black).
    void Compose(const Frame& background, std::vector<uint32_t>& out);

    // One window message; the answer (kIdOk, kIdYes ...) once the box is answered, else 0.
    int OnMessage(const Message& message);

    int ButtonCount() const { return int(buttons_.size()); }
    const Box& ButtonBox(int i) const { return buttons_[i].box; }
    const Box& FrameBox() const { return box_; }
    int HoveredButton() const { return hover_; }
    const std::vector<std::u32string>& Lines() const { return lines_; }

private:
    struct Button {
        std::u32string label;
        int answer = 0;
        Box box;
    };
    void Layout();
    int DefaultAnswer() const;
    int CancelAnswer() const;

    std::unique_ptr<gfx::Font> font_;
    std::u32string caption_;
    std::vector<std::u32string> lines_;
    std::vector<Button> buttons_;
    unsigned flags_ = 0;
    int width_ = 0, height_ = 0;
    Box box_;
    int hover_ = -1;
    int pressed_ = -1;  // the button the left button went down on
    uint32_t keyDown_ = 0;  // the key that went down inside the box (answers on its release)
};

// Runs the box modally over `background` in the window of `backend`: its own message
// loop until it is answered.  Messages waiting in `queue` are kept for the program;
// those that come while the box is up are the box's.  A close request answers it
// (Cancel / No / OK) and is passed on to the program; so is a terminate signal.
// Returns 0 when the box cannot be drawn (no font).
int RunWindowMessageBoxOn(BackendOps& backend, const Frame& background, const std::string& textCp932,
                          const std::string& captionCp932, unsigned flags, int width, int height,
                          std::deque<Message>& queue);

// A terminate or interrupt signal has arrived (set by the platform's handler).
bool TerminateRequested();
void ClearTerminateRequest();  // tests
void InstallTerminateHandler();

}  // namespace plat::detail
