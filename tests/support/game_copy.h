#pragma once
// A folder that sees the runnable game's files (linked) and keeps its own saves and
// pictures: the end-to-end tests play the real program in it through vormant-replay.
// Header-only, because the game folder's place is known to the test programs alone.
#include <stb_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "golden.h"
#include "replay_run.h"

namespace testsupport {

// Pixels that differ between two pictures of one size (-1 when the sizes differ).
inline int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

struct CopyOptions {
    std::string goldens;            // folder below tests/golden/ of Shot's goldens, e.g. "e2e/turn/"
    const char* keepVar = nullptr;  // names an environment variable: the folder it names
                                    // gets the copy's pictures and saves (for looking)
    std::string tag;                // put before the names of the files kept
};

class GameCopy {
public:
    explicit GameCopy(CopyOptions options = {}) : options_(std::move(options)) {
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
    }
    ~GameCopy() {
        namespace fs = std::filesystem;
        const char* keep = options_.keepVar ? std::getenv(options_.keepVar) : nullptr;
        if (!keep) return;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_.path(), ec))
            if (e.path().extension() == ".png" || e.path().extension() == ".dat")
                fs::copy_file(e.path(), fs::path(keep) / (options_.tag + e.path().filename().string()),
                              fs::copy_options::overwrite_existing, ec);
    }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;

    const std::string& path() const { return dir_.path(); }
    bool Has(const std::string& file) const { return std::filesystem::exists(dir_.path() + file); }

    // Plays the script with vormant-replay in this folder (checked against drawing
    // every call, see RunReplay).
    ReplayResult Replay(const std::string& scriptText) const {
        std::ofstream(dir_.path() + "input.txt") << scriptText;
        return RunReplay(dir_.path(), "input.txt");
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

    // The part (x, y, w, h) of a picture the replay wrote, as opaque ARGB; empty when
    // it cannot be read or the part does not lie inside it.
    std::vector<uint32_t> Crop(const std::string& file, int x, int y, int w, int h) const {
        int iw = 0, ih = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &iw, &ih, &n, 4);
        std::vector<uint32_t> out;
        if (!rgba) return out;
        if (x >= 0 && y >= 0 && w >= 0 && h >= 0 && x + w <= iw && y + h <= ih)
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    const unsigned char* p = rgba + 4 * (size_t(y + j) * iw + (x + i));
                    out.push_back(0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]));
                }
        stbi_image_free(rgba);
        return out;
    }
    // The whole picture as opaque ARGB (empty when it cannot be read).
    std::vector<uint32_t> Whole(const std::string& file) const {
        int iw = 0, ih = 0, n = 0;
        if (!stbi_info((dir_.path() + file).c_str(), &iw, &ih, &n)) return {};
        return Crop(file, 0, 0, iw, ih);
    }
    // The part (x, y, w, h) of a picture compared with the golden `golden` of the
    // options' folder.
    ::testing::AssertionResult Shot(const std::string& file, int x, int y, int w, int h,
                                    const std::string& golden) const {
        const std::vector<uint32_t> p = Crop(file, x, y, w, h);
        if (p.empty()) return ::testing::AssertionFailure() << "no picture " << file;
        return MatchesGolden(options_.goldens + golden, p.data(), w, h);
    }

    std::string ErrorLog() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    std::vector<unsigned char> Bytes(const std::string& file) const {
        std::ifstream in(dir_.path() + file, std::ios::binary);
        return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
    }

protected:
    CopyOptions options_;
    TempDir dir_;
};

}  // namespace testsupport
