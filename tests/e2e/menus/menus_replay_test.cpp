// The menus played in the real program: the field menu's two views, the unit's
// command panel, a member's status window with a skill's reach on the map, and the
// way back, each step seen on the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_copy.h"
#include "replay_script.h"

namespace {

using testsupport::Differing;
using testsupport::GameCopy;

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
    // Through the opening and the story to the player's first phase (from frame 430).
    const testsupport::ReplayResult r =
        game.Replay(testsupport::NewGameToField() + testsupport::Shot(450, "field.png") + kMenus);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 740"), std::string::npos) << r.output;
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
