// The game played headless from an input script: the same application, the same
// frame loop, with a virtual clock and scripted input.  Prints the number of
// presented frames and exits with the program's own result.
#include <cstdio>

#include "app/D3DApp.h"
#include "system.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vormant-replay SCRIPT\n(run it in the game folder; see the README)\n");
        return 2;
    }
    plat::InitOptions options;
    options.backend = plat::Backend::Headless;
    options.replayScript = argv[1];
    if (!plat::Init(options)) return 2;
    static int instanceToken = 0;
    int result = GameMain(&instanceToken, 1);
    std::printf("frames: %llu\n", static_cast<unsigned long long>(plat::PresentedFrameCount()));
    plat::Shutdown();
    return result;
}
