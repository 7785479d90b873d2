#pragma once
// A folder that sees the runnable game's files (linked) and keeps its own saves and
// pictures: the end-to-end tests play the real program in it through vormant-replay.
// Header-only, because the game folder's place is known to the test programs alone.
#include <stb_image.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "golden.h"

namespace testsupport {

struct ReplayResult {
    int exitCode = -1;
    std::string output;  // what the program printed (standard output and error)
};

class GameCopy {
public:
    GameCopy() {
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
    }
    const std::string& path() const { return dir_.path(); }
    bool Has(const std::string& file) const { return std::filesystem::exists(dir_.path() + file); }

    // Plays the script with vormant-replay in this folder.
    ReplayResult Replay(const std::string& scriptText) const {
        std::ofstream(dir_.path() + "input.txt") << scriptText;
        const std::string cmd = "cd '" + dir_.path() + "' && ./vormant-replay input.txt 2>&1";
        ReplayResult r;
        FILE* p = ::popen(cmd.c_str(), "r");
        if (!p) return r;
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) r.output += buf;
        const int status = ::pclose(p);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }

    // A picture the replay wrote, as 0xRRGGBB values (empty when it cannot be read).
    std::vector<uint32_t> Pixels(const std::string& file) const {
        int w = 0, h = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &w, &h, &n, 4);
        std::vector<uint32_t> rgb;
        if (!rgba) return rgb;
        rgb.resize(size_t(w) * h);
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = uint32_t(rgba[4 * i]) << 16 | uint32_t(rgba[4 * i + 1]) << 8 | uint32_t(rgba[4 * i + 2]);
        stbi_image_free(rgba);
        return rgb;
    }

    std::string ErrorLog() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

protected:
    TempDir dir_;
};

}  // namespace testsupport
