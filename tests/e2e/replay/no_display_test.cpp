// The game started where no window can be shown (a server, a bare root): it says so
// in one line, with the way to play under a virtual display, and ends with an error
// instead of running unseen.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "game_copy.h"

TEST(NoDisplay, TheGameSaysSoInOneLineAndEnds) {
    // A graphics card of this machine could give SDL a console display of its own.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec))
        if (entry.path().filename().string().starts_with("card")) GTEST_SKIP() << "this machine has a console display";
    // The variables the game starts with (env's unsettings before its settings). An
    // empty SDL_VIDEODRIVER names no driver: the same as none named.
    const struct { const char* env; const char* reason; } cases[] = {
        {"-u SDL_VIDEODRIVER -u DISPLAY", "no display (DISPLAY and WAYLAND_DISPLAY are not set)"},
        {"-u SDL_VIDEODRIVER DISPLAY=:1999", "no display answers at DISPLAY=:1999"},
        {"-u DISPLAY SDL_VIDEODRIVER=", "no display (DISPLAY and WAYLAND_DISPLAY are not set)"},
    };
    for (const auto& c : cases) {
        // Started by its whole path from an empty folder, as a launcher does: the game
        // goes to its own folder (a copy of the game's files here), and says so from there.
        testsupport::GameCopy game;
        testsupport::TempDir away;
        const testsupport::ReplayResult r =
            testsupport::RunCommand("cd '" + away.path() + "' && timeout 30 env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR " +
                                    c.env + " '" + game.path() + "vormant'");
        const std::string text = std::string(c.reason) + "; to play under a virtual one: cd " +
                                 game.path().substr(0, game.path().size() - 1) +
                                 " && xvfb-run -s \"-screen 0 800x600x24\" ./vormant";
        EXPECT_EQ(r.exitCode, 1) << c.env;
        EXPECT_EQ(r.output, "vormant: " + text + "\n") << c.env;
        // The log's line "MM/DD/YY HH:MM:SS : text" is dated today, as every live one.
        const std::string logged = game.ErrorLog();
        std::time_t now = std::time(nullptr);
        char today[16];
        std::strftime(today, sizeof today, "%m/%d/%y", std::localtime(&now));
        EXPECT_EQ(logged.substr(0, 8) + logged.substr(std::min<size_t>(logged.size(), 17)), today + (" : " + text + "\r\n"));
        EXPECT_FALSE(std::filesystem::exists(away.path() + "ErrorLog.txt"));
    }
}
