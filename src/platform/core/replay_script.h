#pragma once
// The headless input script: one event per line, each at a frame number (the count of
// frames presented so far).
//
//   # comment
//   <frame> move <x> <y>               pointer to client coordinates x, y
//   <frame> down left|right|middle     button pressed at the pointer
//   <frame> up left|right|middle       button released
//   <frame> keydown <key>              key pressed (held until keyup)
//   <frame> keyup <key>                key released
//   <frame> key <key>                  pressed at <frame>, released at <frame> + 1
//   <frame> screenshot <file.png>      the frame presented last, as PNG
//   <frame> quit                       close request (as the window's close box)
//
// Keys are named as in FindKeyByName ("Escape", "Return", "Space", "Up", "Z", "F5",
// "LControl" ...) or given as a hexadecimal scan code ("0x2C").  Events of the same
// frame keep their order in the file.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct ReplayEvent {
    enum Kind { Move, ButtonDown, ButtonUp, KeyDown, KeyUp, Screenshot, Quit };
    uint64_t frame = 0;
    Kind kind = Move;
    int x = 0, y = 0;      // Move
    int button = 0;        // 0 left, 1 right, 2 middle
    int scanCode = 0;      // KeyDown / KeyUp
    uint32_t virtualKey = 0;
    bool extended = false;
    std::string path;      // Screenshot
    int line = 0;          // source line, for messages
};

// Parses a whole script; on a bad line returns false with `error` naming the line.
// The events come back sorted by frame (stable).
bool ParseReplayScript(const std::string& text, std::vector<ReplayEvent>& out, std::string& error);
// The same from a file; relative screenshot names are made whole from the current
// folder at loading.
bool LoadReplayScript(const std::string& path, std::vector<ReplayEvent>& out, std::string& error);

}  // namespace plat
