#pragma once
// Running vormant-replay as the end-to-end tests play the game.
#include <string>
#include <vector>

namespace testsupport {

struct ReplayResult {
    int exitCode = -1;
    std::string output;  // what the program printed (standard output and error)
    // The colour of each presented frame, hashed (as vormant-replay --frame-hashes
    // writes it): frames that look alike have one value.
    std::vector<std::string> frames;
};

// Runs `./vormant-replay SCRIPT` in `folder` (the script's name as given, relative to
// that folder or absolute) and returns what it printed and its exit code.
//
// The run is also checked against drawing every call: it is played first with frame
// reuse off (VORMANT_FRAME_REUSE=0) in a twin of the folder - the folders and programs
// linked, the other files (saves, settings, scripts) copied - and then as asked, both
// hashing each presented frame's colour and depth; a frame whose hashes differ fails
// the calling test, naming the first such frame.  Left out when the caller has turned
// frame reuse off itself, and with VORMANT_REPLAY_REUSE_CHECK=0 (the sanitizer run).
ReplayResult RunReplay(const std::string& folder, const std::string& script);

// Runs a shell command line (its standard error joined to its output), as a player
// types it; what it printed and its exit code.
ReplayResult RunCommand(const std::string& command);

}  // namespace testsupport
