// The in-window message box and the terminate signal.
#include "core/message_box.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/backend.h"
#include "gfx/device.h"
#include "gfx/font.h"
#include "text.h"

namespace plat::detail {
namespace {

constexpr int kTextHeight = 16;
constexpr int kLineStep = 22;
constexpr int kCaptionHeight = 28;
constexpr int kPadding = 20;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 16;
constexpr int kMinWidth = 300;
constexpr int kMaxTextWidth = 560;

constexpr uint32_t kBody = 0xF0141C2C;
constexpr uint32_t kEdge = 0xFFC8A040;
constexpr uint32_t kInk = 0xFF000000;
constexpr uint32_t kText = 0xFFFFFFFF;
constexpr uint32_t kButtonBody = 0xFF2C3444;
constexpr uint32_t kButtonHover = 0xFF4C6488;

std::atomic<bool> g_bTerminate{false};

void OnTerminate(int) { g_bTerminate = true; }

uint32_t Blend(uint32_t dst, uint32_t src, unsigned coverage = 255) {
    const unsigned a = ((src >> 24) * coverage + 127) / 255;
    if (a == 0) return dst;
    auto ch = [&](int shift) {
        const unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return ((s * a + d * (255 - a) + 127) / 255) << shift;
    };
    return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

void FillRect(std::vector<uint32_t>& px, int w, int h, int l, int t, int r, int b, uint32_t color) {
    l = std::max(l, 0), t = std::max(t, 0), r = std::min(r, w), b = std::min(b, h);
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) px[size_t(y) * w + x] = Blend(px[size_t(y) * w + x], color);
}

void FrameRect(std::vector<uint32_t>& px, int w, int h, int l, int t, int r, int b, uint32_t color) {
    FillRect(px, w, h, l, t, r, t + 1, color);
    FillRect(px, w, h, l, b - 1, r, b, color);
    FillRect(px, w, h, l, t, l + 1, b, color);
    FillRect(px, w, h, r - 1, t, r, b, color);
}

// Lines of the text: broken at line ends (CR LF, CR or LF) and, where a line is wider
// than the box allows, between characters.
std::vector<std::u32string> BreakLines(gfx::Font& font, const std::u32string& text, int maxWidth) {
    std::vector<std::u32string> lines;
    std::u32string cur;
    auto flush = [&] {
        lines.push_back(cur);
        cur.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U'\r' || c == U'\n') {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            flush();
            continue;
        }
        std::u32string next = cur + c;
        int w = 0, h = 0;
        font.MeasureLine(next, w, h);
        if (w > maxWidth && !cur.empty()) {
            flush();
            next = std::u32string(1, c);
        }
        cur = next;
    }
    if (!cur.empty() || lines.empty()) flush();
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

int Width(gfx::Font& font, const std::u32string& s) {
    int w = 0, h = 0;
    font.MeasureLine(s, w, h);
    return w;
}

}  // namespace

// ---- the box -----------------------------------------------------------------------------

WindowMessageBox::WindowMessageBox(const std::string& text, const std::string& caption, unsigned flags, int width,
                                   int height)
    : flags_(flags), width_(std::max(width, 1)), height_(std::max(height, 1)) {
    font_ = gfx::Font::Create(reinterpret_cast<const char*>(u8"ＭＳ ゴシック"), kTextHeight);
    caption_ = Cp932ToUtf32(caption);
    switch (flags & 0xF) {
    case kMbYesNo:
        buttons_ = {Button{U"はい", kIdYes, {}}, Button{U"いいえ", kIdNo, {}}};
        break;
    case kMbOkCancel:
        buttons_ = {Button{U"OK", kIdOk, {}}, Button{U"キャンセル", kIdCancel, {}}};
        break;
    default:
        buttons_ = {Button{U"OK", kIdOk, {}}};
        break;
    }
    if (!font_) return;
    lines_ = BreakLines(*font_, Cp932ToUtf32(text), std::min(kMaxTextWidth, width_ - 2 * kPadding - 16));
    Layout();
}

WindowMessageBox::~WindowMessageBox() = default;

void WindowMessageBox::Layout() {
    int textW = Width(*font_, caption_) + 24;
    for (const auto& l : lines_) textW = std::max(textW, Width(*font_, l));
    const int buttonsW = int(buttons_.size()) * kButtonWidth + (int(buttons_.size()) - 1) * kButtonGap;
    const int w = std::min(std::max({textW + 2 * kPadding, buttonsW + 2 * kPadding, kMinWidth}), width_ - 8);
    const int h = kCaptionHeight + kPadding + int(lines_.size()) * kLineStep + kPadding + kButtonHeight + kPadding;
    box_.left = (width_ - w) / 2;
    box_.top = std::max(4, (height_ - h) / 2);
    box_.right = box_.left + w;
    box_.bottom = box_.top + h;
    int x = (box_.left + box_.right - buttonsW) / 2;
    const int y = box_.bottom - kPadding - kButtonHeight;
    for (Button& b : buttons_) {
        b.box = Box{x, y, x + kButtonWidth, y + kButtonHeight};
        x += kButtonWidth + kButtonGap;
    }
}

int WindowMessageBox::DefaultAnswer() const { return buttons_.front().answer; }
int WindowMessageBox::CancelAnswer() const { return buttons_.back().answer; }

void WindowMessageBox::Compose(const plat::Frame& background, std::vector<uint32_t>& out) {
    out.assign(size_t(width_) * height_, 0xFF000000u);
    if (background.width == width_ && background.height == height_ && !background.pixels.empty()) {
        // The game's last picture, dimmed.
        for (size_t i = 0; i < out.size(); ++i) {
            const uint32_t p = background.pixels[i];
            out[i] = 0xFF000000u | ((p >> 1) & 0x7F7F7Fu);
        }
    }
    if (!font_) return;
    const unsigned icon = flags_ & 0xF0;
    const uint32_t bar = icon == kMbIconError     ? 0xFF7A1E1E
                         : icon == kMbIconWarning ? 0xFF7A5A1A
                                                  : 0xFF1E3A6A;
    const Box& b = box_;
    FillRect(out, width_, height_, b.left + 3, b.top + 3, b.right + 3, b.bottom + 3, 0x80000000);  // shadow
    FillRect(out, width_, height_, b.left, b.top, b.right, b.bottom, kBody);
    FillRect(out, width_, height_, b.left, b.top, b.right, b.top + kCaptionHeight, bar);
    FrameRect(out, width_, height_, b.left, b.top, b.right, b.bottom, kInk);
    FrameRect(out, width_, height_, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1, kEdge);
    FillRect(out, width_, height_, b.left + 1, b.top + kCaptionHeight, b.right - 1, b.top + kCaptionHeight + 1, kEdge);
    for (int i = 0; i < int(buttons_.size()); ++i) {
        const Box& k = buttons_[i].box;
        FillRect(out, width_, height_, k.left, k.top, k.right, k.bottom, i == hover_ ? kButtonHover : kButtonBody);
        FrameRect(out, width_, height_, k.left, k.top, k.right, k.bottom, kEdge);
    }

    // The texts: white on black through the game's own glyph drawing, then laid over
    // the box by their coverage.
    gfx::Device device(width_, height_);
    device.BeginScene();
    device.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    device.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    const int textTop = (kCaptionHeight - kTextHeight) / 2;
    font_->DrawLine(&device, caption_, b.left + 12, b.top + textTop, 0xFFFFFFFF);
    int y = b.top + kCaptionHeight + kPadding;
    for (const auto& line : lines_) {
        font_->DrawLine(&device, line, b.left + kPadding, y, 0xFFFFFFFF);
        y += kLineStep;
    }
    for (const Button& k : buttons_) {
        const int w = Width(*font_, k.label);
        font_->DrawLine(&device, k.label, (k.box.left + k.box.right - w) / 2,
                        k.box.top + (kButtonHeight - kTextHeight) / 2, 0xFFFFFFFF);
    }
    device.EndScene();
    const uint32_t* mask = device.BackBuffer();
    for (int py = b.top; py < std::min(b.bottom, height_); ++py)
        for (int px = std::max(b.left, 0); px < std::min(b.right, width_); ++px) {
            const unsigned coverage = (mask[size_t(py) * width_ + px] >> 16) & 0xFF;
            if (coverage) out[size_t(py) * width_ + px] = Blend(out[size_t(py) * width_ + px], kText, coverage);
        }
}

int WindowMessageBox::OnMessage(const Message& m) {
    auto buttonAt = [&](int x, int y) {
        for (int i = 0; i < int(buttons_.size()); ++i)
            if (buttons_[i].box.Contains(x, y)) return i;
        return -1;
    };
    switch (m.id) {
    case kMsgMouseMove:
        hover_ = buttonAt(ParamX(m.lParam), ParamY(m.lParam));
        return 0;
    case kMsgLButtonDown:
        pressed_ = hover_ = buttonAt(ParamX(m.lParam), ParamY(m.lParam));
        return 0;
    case kMsgLButtonUp: {
        // A button counts when the press and the release are both on it.
        const int i = buttonAt(ParamX(m.lParam), ParamY(m.lParam));
        const int was = pressed_;
        pressed_ = -1;
        if (i >= 0 && i == was) return buttons_[i].answer;
        return 0;
    }
    case kMsgKeyDown:
        // Answered on the key's release, so that the game never sees the key go down
        // or come up on its own (Escape would end it).
        if (m.wParam == kVkReturn || m.wParam == kVkSpace || m.wParam == kVkEscape) keyDown_ = uint32_t(m.wParam);
        return 0;
    case kMsgKeyUp: {
        const uint32_t key = uint32_t(m.wParam);
        if (key != keyDown_) return 0;
        keyDown_ = 0;
        if (key == kVkEscape) return CancelAnswer();
        return hover_ >= 0 ? buttons_[hover_].answer : DefaultAnswer();
    }
    case kMsgClose:
        return CancelAnswer();
    default:
        return 0;
    }
}

// ---- the modal loop ---------------------------------------------------------------------------

int RunWindowMessageBoxOn(BackendOps& backend, const Frame& background, const std::string& text,
                          const std::string& caption, unsigned flags, int width, int height,
                          std::deque<Message>& queue) {
    WindowMessageBox box(text, caption, flags, width, height);
    if (!box.IsReady()) return 0;
    // The pointer where it rests already hovers its button.
    int px = 0, py = 0;
    GetPointer(px, py);
    box.OnMessage(Message{kMsgMouseMove, 0, MakePointParam(px, py)});
    // Messages that were waiting belong to the game; those that come while the box is
    // up belong to the box.
    std::deque<Message> kept;
    kept.swap(queue);
    std::vector<uint32_t> picture;
    int shownHover = -2;
    int answer = 0;
    bool closeRequested = false;
    while (answer == 0) {
        if (TerminateRequested()) {
            closeRequested = true;
            answer = box.OnMessage(Message{kMsgClose, 0, 0});
            break;
        }
        if (box.HoveredButton() != shownHover) {
            box.Compose(background, picture);
            backend.Present(picture.data(), width, height, width);
            shownHover = box.HoveredButton();
        }
        backend.Pump();
        while (!queue.empty() && answer == 0) {
            const Message m = queue.front();
            queue.pop_front();
            if (m.id == kMsgClose) closeRequested = true;
            answer = box.OnMessage(m);
        }
        if (answer == 0) backend.SleepFor(10);
    }
    // The picture under the box comes back; the rest of the box's messages are
    // dropped, the game's own are kept, and a close request reaches the game.
    queue.swap(kept);
    if (closeRequested) queue.push_back(Message{kMsgClose, 0, 0});
    if (!background.pixels.empty() && background.width == width && background.height == height)
        backend.Present(background.pixels.data(), width, height, width);
    return answer;
}

bool TerminateRequested() { return g_bTerminate; }
void ClearTerminateRequest() { g_bTerminate = false; }

void InstallTerminateHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnTerminate;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace plat::detail
