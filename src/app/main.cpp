// The game: the live platform (window, sound, input) around the shared entry.
#include <cstdio>

#include "app/D3DApp.h"
#include "system.h"

int main() {
    plat::InitOptions options;
    options.backend = plat::Backend::Live;
    if (!plat::Init(options)) return 1;
    static int instanceToken = 0;
    int result = GameMain(&instanceToken, 1);
    plat::Shutdown();
    return result;
}
