// The game started where no window can be shown (a server, a bare root): it says so
// in one line, with the way to play under a virtual display, and ends with an error
// instead of running unseen.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "golden.h"

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
        testsupport::TempDir dir;
        std::string output, cmd = "cd '" + dir.path() + "' && timeout 30 env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR " +
                                  c.env + " '" + VORMANT_GAME_DIR + "/vormant' 2>&1";
        FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) output += buf;
        int status = ::pclose(p);
        // The command given starts this program in this folder, as it was started.
        std::string text = std::string(c.reason) + "; to play under a virtual one: cd " +
                           dir.path().substr(0, dir.path().size() - 1) + " && xvfb-run -s \"-screen 0 800x600x24\" " +
                           VORMANT_GAME_DIR + "/vormant";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.env << ": " << status;
        EXPECT_EQ(output, "vormant: " + text + "\n") << c.env;
        // The log's line "MM/DD/YY HH:MM:SS : text" is dated today, as every live one.
        std::ifstream log(dir.path() + "ErrorLog.txt");
        std::string logged((std::istreambuf_iterator<char>(log)), {});
        std::time_t now = std::time(nullptr);
        char today[16];
        std::strftime(today, sizeof today, "%m/%d/%y", std::localtime(&now));
        EXPECT_EQ(logged.substr(0, 8) + logged.substr(std::min<size_t>(logged.size(), 17)), today + (" : " + text + "\r\n"));
    }
}
