// Running vormant-replay, checked frame by frame against drawing every call.
#include "replay_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "golden.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;

// The command that runs the script in `folder`, writing the frame hashes to `hashes`
// when named.
std::string Command(const std::string& folder, const std::string& script, const std::string& hashes, bool reuse) {
    std::string cmd = "cd '" + folder + "' && ";
    if (!reuse) cmd += "VORMANT_FRAME_REUSE=0 ";
    cmd += "./vormant-replay ";
    if (!hashes.empty()) cmd += "--frame-hashes '" + hashes + "' ";
    return cmd + "'" + script + "'";
}

ReplayResult Finish(FILE* p) {
    ReplayResult r;
    if (!p) return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) r.output += buf;
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A folder that plays like `folder`: its folders and programs linked, since the game
// only reads them, and its other files copied, since the game may write them.
void MakeTwin(const std::string& folder, const std::string& twin) {
    for (const auto& e : fs::directory_iterator(folder)) {
        const fs::path to = fs::path(twin) / e.path().filename();
        if (e.is_symlink()) fs::create_symlink(fs::read_symlink(e.path()), to);
        else if (e.is_directory() || (e.status().permissions() & fs::perms::owner_exec) != fs::perms::none)
            fs::create_symlink(fs::absolute(e.path()), to);
        else fs::copy_file(e.path(), to);
    }
}

std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Wanted() {
    const char* check = std::getenv("VORMANT_REPLAY_REUSE_CHECK");
    const char* reuse = std::getenv("VORMANT_FRAME_REUSE");
    return !(check && check[0] == '0') && !(reuse && reuse[0] == '0');
}

// The colour hash of each line of a hash file.
std::vector<std::string> Colours(const std::vector<std::string>& lines) {
    std::vector<std::string> colours;
    for (const std::string& line : lines) colours.push_back(line.substr(0, line.find(' ')));
    return colours;
}

}  // namespace

ReplayResult RunCommand(const std::string& command) { return Finish(::popen((command + " 2>&1").c_str(), "r")); }

ReplayResult RunReplay(const std::string& folder, const std::string& script) {
    if (!Wanted()) {
        TempDir hashes;
        const std::string file = hashes.path() + "kept.hashes";
        ReplayResult r = RunCommand(Command(folder, script, file, true));
        r.frames = Colours(Lines(file));
        return r;
    }
    TempDir twin;
    MakeTwin(folder, twin.path());
    const std::string drawnHashes = twin.path() + "drawn.hashes", keptHashes = twin.path() + "kept.hashes";
    // The two runs side by side; the one drawing every call prints to a file. (Pictures
    // a script names by full path are written by both, the same when the check passes.)
    FILE* drawnRun = ::popen((Command(twin.path(), script, drawnHashes, false) + " >output.txt 2>&1").c_str(), "r");
    ReplayResult r = RunCommand(Command(folder, script, keptHashes, true));
    const ReplayResult drawn = Finish(drawnRun);
    const std::vector<std::string> a = Lines(keptHashes), b = Lines(drawnHashes);
    r.frames = Colours(a);
    size_t differing = 0, first = 0;
    for (size_t i = std::min(a.size(), b.size()); i-- > 0;)
        if (a[i] != b[i]) {
            ++differing;
            first = i;
        }
    if (differing || a.size() != b.size() || r.exitCode != drawn.exitCode)
        ADD_FAILURE() << "the replay " << script << " in " << folder << " differs with frame reuse on and off: "
                      << a.size() << " and " << b.size() << " frames, exit codes " << r.exitCode << " and "
                      << drawn.exitCode << ", " << differing << " frames with other colour or depth"
                      << (differing ? ", the first frame " + std::to_string(first + 1) + " (" + a[first] + " against " +
                                          b[first] + ")"
                                    : std::string());
    return r;
}

}  // namespace testsupport
