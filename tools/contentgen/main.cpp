// contentgen <game folder>: draws the demo pictures and synthesises its music and
// sound effects into the runnable folder.
#include <cstdio>

#include "generate.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: contentgen <game folder>\n");
        return 2;
    }
    std::vector<std::string> files;
    int failures = cg::GenerateAll(argv[1], &files);
    if (failures) {
        std::fprintf(stderr, "contentgen: %d file(s) could not be made\n", failures);
        return 1;
    }
    std::printf("contentgen: %zu files in %s\n", files.size(), argv[1]);
    return 0;
}
