// The game: the live platform (window, sound, input) around the shared entry.
#include <cstdio>
#include <string>

#include "app/D3DApp.h"
#include "log/ErrorLog.h"
#include "system.h"

int main(int argc, char** argv) {
    // Started from another folder (a desktop launcher, a whole path typed), the game
    // still plays in its own folder; its log goes there from the first line.
    EnterGameFolder(argc > 0 ? argv[0] : nullptr);
    plat::InitOptions options;
    options.backend = plat::Backend::Live;
    std::string failure;
    if (!plat::Init(options, &failure)) {
        // No display (or none that answers): said on standard error and in the log,
        // since there is no window to show a box in.
        g_ErrorLog.Write(failure);
        return 1;
    }
    static int instanceToken = 0;
    int result = GameMain(&instanceToken, 1);
    plat::Shutdown();
    return result;
}
