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

namespace {

struct NoDisplayCase {
    const char* display;   // DISPLAY as the player's shell has it ("" unset)
    const char* reason;    // what the line says is wrong
};

TEST(NoDisplay, TheGameSaysSoInOneLineAndEnds) {
    // A graphics card of this machine could give SDL a console display of its own.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec))
        if (entry.path().filename().string().starts_with("card")) GTEST_SKIP() << "this machine has a console display";
    const NoDisplayCase cases[] = {
        {"", "no display (DISPLAY and WAYLAND_DISPLAY are not set)"},
        {":1999", "no display answers at DISPLAY=:1999"},
    };
    for (const NoDisplayCase& c : cases) {
        testsupport::TempDir dir;
        std::string env = "env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER ";
        env += *c.display ? std::string("DISPLAY=") + c.display : std::string("-u DISPLAY");
        std::string cmd = "cd '" + dir.path() + "' && timeout 30 " + env + " '" + VORMANT_GAME_DIR + "/vormant' 2>&1";
        std::string output;
        FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) output += buf;
        int status = ::pclose(p);
        // The command given runs this program in this folder, as it was started.
        std::string folder = dir.path().substr(0, dir.path().size() - 1);
        std::string line = std::string("vormant: ") + c.reason + "; to play under a virtual one: cd " + folder +
                           " && xvfb-run -s \"-screen 0 800x600x24\" " + VORMANT_GAME_DIR + "/vormant\n";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.display << ": " << status;
        EXPECT_EQ(output, line);
        std::ifstream log(dir.path() + "ErrorLog.txt");
        std::string logged((std::istreambuf_iterator<char>(log)), {});
        // Dated today, as every line of the live program's log.
        std::time_t now = std::time(nullptr);
        char today[16];
        std::strftime(today, sizeof today, "%m/%d/%y", std::localtime(&now));
        EXPECT_EQ(logged.substr(0, 8), today) << logged;
        EXPECT_NE(logged.find(line.substr(9, line.size() - 10)), std::string::npos) << logged;
    }
}

}  // namespace
