#pragma once
// Pieces of vormant-replay scripts shared by the end-to-end tests: events, clicks,
// screenshots, the ways from the title to the field, and the cells of the field on
// the screen.
#include <string>

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

}  // namespace testsupport
