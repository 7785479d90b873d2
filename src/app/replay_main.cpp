// The game played headless from an input script: the same application, the same
// frame loop, with a virtual clock and scripted input.  Prints the number of
// presented frames and exits with the program's own result.  With --frame-hashes
// each presented frame's colour and depth are hashed into FILE, a line a frame.
#include <cstdio>
#include <cstring>

#include "app/D3DApp.h"
#include "system.h"

int main(int argc, char** argv) {
    plat::InitOptions options;
    options.backend = plat::Backend::Headless;
    int at = 1;
    if (argc == 4 && std::strcmp(argv[1], "--frame-hashes") == 0) {
        options.frameHashes = argv[2];
        at = 3;
    }
    if (argc != at + 1) {
        std::fprintf(stderr,
                     "usage: vormant-replay [--frame-hashes FILE] SCRIPT\n(see the README)\n");
        return 2;
    }
    options.replayScript = argv[at];
    // The script, the frame hashes and the script's screenshots are named from the
    // folder the replay is started in; then the game goes to its own folder.
    if (!plat::Init(options)) return 2;
    EnterGameFolder(argv[0]);
    static int instanceToken = 0;
    int result = GameMain(&instanceToken, 1);
    std::printf("frames: %llu\n", static_cast<unsigned long long>(plat::PresentedFrameCount()));
    plat::Shutdown();
    return result;
}
