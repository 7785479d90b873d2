// The headless back end: no window, a virtual clock that moves only when the program
// sleeps, no audio device, and input played from a script through the same message
// queue and keyboard state that live input fills.
#include <cstdio>

#include "core/backend.h"
#include "core/replay_script.h"
#include "text.h"

namespace plat::detail {
namespace {

// Where the virtual clock starts (milliseconds); any fixed value keeps runs repeatable.
constexpr uint64_t kVirtualClockStartMs = 1000000;

class HeadlessBackend : public BackendOps {
public:
    explicit HeadlessBackend(std::vector<ReplayEvent> events, bool scripted)
        : events_(std::move(events)), scripted_(scripted) {}

    bool CreateWindow(const char*, int, int, bool) override { return true; }
    void DestroyWindow() override {}
    bool IsWindowActive() override { return true; }
    void SetCaption(const char*) override {}
    bool Present(const uint32_t*, int, int, int, const FrameChanges&) override { return true; }

    void Pump() override {
        const uint64_t presented = PresentedFrameCount();
        while (next_ < events_.size() && events_[next_].frame <= presented) Play(events_[next_++]);
        if (scripted_ && next_ == events_.size() && !closeSent_) {
            // The script has run out without a quit: end the run as the close box would.
            closeSent_ = true;
            if (!quitSeen_) QueueMessage(Message{kMsgClose, 0, 0});
        }
    }

    void WarpPointer(int, int) override {}
    void SetPointerVisible(bool) override {}
    uint32_t Ticks() override { return static_cast<uint32_t>(clockMs_); }
    uint64_t Counter() override { return clockMs_ * 1000; }
    uint64_t CounterFrequency() override { return 1000000; }
    void SleepFor(uint32_t milliseconds) override { clockMs_ += milliseconds; }

    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        std::fprintf(stderr, "[message box] %s: %s\n", Cp932ToUtf8(caption).c_str(), Cp932ToUtf8(text).c_str());
        return (flags & 0xF) == kMbYesNo ? kIdYes : kIdOk;
    }

    bool Finished() override { return next_ >= events_.size(); }

private:
    static uint32_t ButtonFlag(int button) {
        return button == 0 ? kMkLButton : button == 1 ? kMkRButton : kMkMButton;
    }

    void Play(const ReplayEvent& ev) {
        int x = 0, y = 0;
        GetPointer(x, y);
        switch (ev.kind) {
        case ReplayEvent::Move:
            SetPointer(ev.x, ev.y);
            QueueMessage(Message{kMsgMouseMove, HeldButtons(), MakePointParam(ev.x, ev.y)});
            break;
        case ReplayEvent::ButtonDown: {
            static constexpr uint32_t ids[] = {kMsgLButtonDown, kMsgRButtonDown, kMsgMButtonDown};
            SetHeldButtons(HeldButtons() | ButtonFlag(ev.button));
            QueueMessage(Message{ids[ev.button], HeldButtons(), MakePointParam(x, y)});
            break;
        }
        case ReplayEvent::ButtonUp: {
            static constexpr uint32_t ids[] = {kMsgLButtonUp, kMsgRButtonUp, kMsgMButtonUp};
            SetHeldButtons(HeldButtons() & ~ButtonFlag(ev.button));
            QueueMessage(Message{ids[ev.button], HeldButtons(), MakePointParam(x, y)});
            break;
        }
        case ReplayEvent::KeyDown:
        case ReplayEvent::KeyUp: {
            bool down = ev.kind == ReplayEvent::KeyDown;
            KeyInfo key{ev.scanCode, ev.virtualKey, ev.extended};
            SetKeyState(ev.scanCode, down);
            QueueMessage(Message{down ? kMsgKeyDown : kMsgKeyUp, ev.virtualKey, KeyMessageParam(key, down)});
            break;
        }
        case ReplayEvent::Screenshot:
            if (!SavePresentedFramePng(ev.path))
                std::fprintf(stderr, "replay: line %d: could not write the screenshot \"%s\"\n", ev.line,
                             ev.path.c_str());
            break;
        case ReplayEvent::Quit:
            quitSeen_ = true;
            QueueMessage(Message{kMsgClose, 0, 0});
            break;
        }
    }

    std::vector<ReplayEvent> events_;
    size_t next_ = 0;
    bool scripted_ = false;
    bool closeSent_ = false;
    bool quitSeen_ = false;
    uint64_t clockMs_ = kVirtualClockStartMs;
};

}  // namespace

std::unique_ptr<BackendOps> CreateHeadlessBackend(const InitOptions& options, std::string& error) {
    std::vector<ReplayEvent> events;
    if (!options.replayScript.empty() && !LoadReplayScript(options.replayScript, events, error)) return nullptr;
    return std::make_unique<HeadlessBackend>(std::move(events), !options.replayScript.empty());
}

}  // namespace plat::detail
