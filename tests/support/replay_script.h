#pragma once
// Pieces of vormant-replay scripts shared by the end-to-end tests: events, clicks,
// screenshots, the ways from the title to the field, and the cells of the field on
// the screen.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One event on frame `frame`.
inline std::string At(int frame, const std::string& event) { return std::to_string(frame) + " " + event + "\n"; }
inline std::string Move(int frame, int x, int y) {
    return At(frame, "move " + std::to_string(x) + " " + std::to_string(y));
}
// The pointer to (x, y) on frame `frame`, the button pressed 10 frames later.
inline std::string Click(int frame, int x, int y, const char* button = "left") {
    return Move(frame, x, y) + At(frame + 10, std::string("down ") + button) +
           At(frame + 11, std::string("up ") + button);
}
inline std::string RightClick(int frame, int x, int y) { return Click(frame, x, y, "right"); }
inline std::string Shot(int frame, const std::string& file) { return At(frame, "screenshot " + file); }

// Through the opening (cut short) to the title menu, "LOAD GAME", file `file` (1 to 6)
// and "resume" rather than the chapter's start; the field from frame 150 on.
inline std::string LoadFirstSlot(int file = 1) {
    return "60 move 300 300\n61 down left\n62 up left\n"
           "90 move 500 330\n100 down left\n101 up left\n"
           "120 move 320 " + std::to_string(100 + 66 * (file - 1)) + "\n121 down left\n122 up left\n"
           "140 move 215 200\n141 down left\n142 up left\n"
           "150 move 320 240\n";
}

// Through the opening to the title menu; a new game of difficulty "Expert" with the
// story fast-forwarded; the player's phase of turn 1 from frame 430 on.
inline std::string NewGameToField() {
    return "60 move 300 300\n61 down left\n62 up left\n"
           "90 move 520 285\n100 down left\n101 up left\n"
           "130 move 80 100\n140 down left\n141 up left\n"
           "150 keydown LControl\n420 keyup LControl\n"
           "430 move 320 240\n";
}

// The centre of the field's cell (x, y) on the screen with the camera on (cx, cy).
inline int CellX(int x, int y, int cx, int cy) { return 320 + 56 * (x - cx) - 56 * (y - cy); }
inline int CellY(int x, int y, int cx, int cy) { return 240 + 28 * (x - cx) + 28 * (y - cy) + 28; }

// A script written as play goes, one call per step.
class Script {
public:
    Script& Event(int frame, const std::string& what) {
        text_ += At(frame, what);
        return *this;
    }
    // A click at (x, y) on frame f, the pointer moved there ten frames before.
    Script& Click(int f, int x, int y, const char* button = "left") {
        text_ += testsupport::Click(f - 10, x, y, button);
        return *this;
    }
    Script& RightClick(int f, int x, int y) { return Click(f, x, y, "right"); }
    Script& Shot(int f, const std::string& file) { return Event(f, "screenshot " + file); }
    // The unit at (ux, uy) chosen on frame f, sent to (dx, dy), ATTACK, the target at
    // (tx, ty), OK: the battle begins.
    Script& Attack(int f, int ux, int uy, int dx, int dy, int tx, int ty) {
        Click(f, ux, uy).Click(f + 40, dx, dy).Click(f + 170, 242, 279).Click(f + 230, tx, ty);
        return Click(f + 340, 359, 296);
    }
    // The save between chapters into the slot row at y `slotY` on frame f, a picture
    // of the slot screen, the end of the replay.
    Script& SaveAndQuit(int f, int slotY, const std::string& file) {
        Click(f, 320, slotY).Shot(f + 20, file);
        return Event(f + 30, "quit");
    }
    // A right click on a cell without a unit opens the field menu; its last item
    // ends the turn.
    Script& EndTurn(int f, int x = 200, int y = 150) {
        RightClick(f, x, y);
        return Click(f + 50, 80, 96);
    }
    std::string Text() const { return text_; }

private:
    std::string text_;
};

// The replay takes its events in frame order; a script is written as play goes (a
// click's pointer move falls before the frame of the click), so it is sorted by frame,
// events of one frame keeping their order.
inline std::string Sorted(const std::string& text) {
    size_t at = 0;
    int order = 0;
    std::vector<std::pair<std::pair<int, int>, std::string>> keyed;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.empty()) continue;
        keyed.push_back({{std::stoi(line), order++}, line});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (const auto& k : keyed) out += k.second + "\n";
    return out;
}

}  // namespace testsupport
