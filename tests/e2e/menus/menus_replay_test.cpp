// The menus played in the real program: the field menu's two views, the unit's
// command panel, a member's status window with a skill's reach on the map, and the
// way back, each step seen on the screen.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "golden.h"

namespace {

namespace fs = std::filesystem;

class GameCopy {
public:
    GameCopy() {
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
    }
    // Runs the script; returns the program's output, *code its exit code.
    std::string Replay(const std::string& script, int* code) const {
        std::ofstream(dir_.path() + "input.txt") << script;
        const std::string cmd = "cd '" + dir_.path() + "' && ./vormant-replay input.txt 2>&1";
        std::string out;
        FILE* p = ::popen(cmd.c_str(), "r");
        if (!p) return out;
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        const int status = ::pclose(p);
        *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return out;
    }
    // The part (x, y, w, h) of a screenshot as opaque ARGB; empty when unreadable.
    std::vector<uint32_t> Crop(const std::string& file, int x, int y, int w, int h) const {
        int iw = 0, ih = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &iw, &ih, &n, 4);
        std::vector<uint32_t> out;
        if (!rgba) return out;
        if (x >= 0 && y >= 0 && x + w <= iw && y + h <= ih)
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    const unsigned char* q = rgba + 4 * (size_t(y + j) * iw + (x + i));
                    out.push_back(0xFF000000u | uint32_t(q[0]) << 16 | uint32_t(q[1]) << 8 | uint32_t(q[2]));
                }
        stbi_image_free(rgba);
        return out;
    }
    std::string ErrorLog() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

private:
    testsupport::TempDir dir_;
};

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// Through the opening and the story to the player's first phase (from frame 430).
const char kNewGameToField[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 520 285\n"
    "100 down left\n"
    "101 up left\n"
    "130 move 80 100\n"
    "140 down left\n"
    "141 up left\n"
    "150 keydown LControl\n"
    "420 keyup LControl\n"
    "430 move 320 240\n"
    "450 screenshot field.png\n";

// A right click on an empty cell (a grass cell right of the units) opens the field menu on the terrain window; its
// first item switches to the operation information; a right click leaves.  Then a
// right click on the leader's unit opens its command panel; two clicks on the
// leader's place show the status window (a hero: the first click already does);
// a skill row shows its reach; the right button brings the window back and closes
// it; the panel's close button ends the operation.
const char kMenus[] =
    "460 move 460 200\n"
    "470 down right\n"
    "471 up right\n"
    "490 move 80 60\n"
    "495 screenshot terrain.png\n"
    "500 down left\n"
    "501 up left\n"
    "510 screenshot operation.png\n"
    "520 down right\n"
    "521 up right\n"
    "535 screenshot closed.png\n"
    "540 move 320 268\n"
    "550 down right\n"
    "551 up right\n"
    "570 move 100 110\n"
    "580 screenshot panel.png\n"
    "590 down left\n"
    "591 up left\n"
    "600 move 400 258\n"
    "610 screenshot status.png\n"
    "620 down left\n"
    "621 up left\n"
    "640 screenshot reach.png\n"
    "650 down right\n"
    "651 up right\n"
    "660 screenshot status_again.png\n"
    "670 down right\n"
    "671 up right\n"
    "680 move 100 110\n"
    "690 screenshot panel_again.png\n"
    "700 move 320 305\n"
    "710 down left\n"
    "711 up left\n"
    "730 screenshot after_close.png\n"
    "740 quit\n";

TEST(MenusReplay, FieldMenuViewsCommandPanelAndStatusWindow) {
    GameCopy game;
    int code = -1;
    const std::string out = game.Replay(std::string(kNewGameToField) + kMenus, &code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("frames: 740"), std::string::npos) << out;
    // The menu and its window over the field: the terrain window, then the
    // operation information in another place.
    const auto field = game.Crop("field.png", 0, 0, 640, 480), terrain = game.Crop("terrain.png", 0, 0, 640, 480);
    ASSERT_EQ(terrain.size(), 640u * 480u);
    EXPECT_GT(Differing(field, terrain), 20000);
    EXPECT_GT(Differing(game.Crop("terrain.png", 350, 30, 280, 232), game.Crop("operation.png", 350, 30, 280, 232)),
              5000);
    // The operation information's text (chapter 0 has its lines) stands in its window.
    EXPECT_GT(Differing(game.Crop("operation.png", 230, 40, 200, 100), game.Crop("field.png", 230, 40, 200, 100)),
              5000);
    EXPECT_LT(Differing(game.Crop("field.png", 30, 30, 160, 100), game.Crop("closed.png", 30, 30, 160, 100)), 1500)
        << "the menu is gone";
    // The command panel, the status window, the reach on the map, and back.
    const auto panel = game.Crop("panel.png", 30, 40, 353, 301), status = game.Crop("status.png", 0, 0, 640, 480),
               reach = game.Crop("reach.png", 0, 0, 640, 480), again = game.Crop("status_again.png", 0, 0, 640, 480);
    EXPECT_GT(Differing(game.Crop("closed.png", 30, 40, 353, 301), panel), 50000);
    EXPECT_GT(Differing(status, reach), 100000) << "the window gives way to the map";
    EXPECT_LT(Differing(status, again), 20000) << "the window comes back";
    // (The map moves faintly behind the panel's translucent body.)
    EXPECT_LT(Differing(panel, game.Crop("panel_again.png", 30, 40, 353, 301)), 5000) << "the panel comes back";
    EXPECT_GT(Differing(panel, game.Crop("after_close.png", 30, 40, 353, 301)), 50000) << "closed";
    const std::string log = game.ErrorLog();
    EXPECT_EQ(log.find(".png"), std::string::npos) << log;
}

}  // namespace
