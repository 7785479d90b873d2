// contentgen <game folder> [list file]: draws the demo pictures and synthesises its
// music and sound effects into the runnable folder; the list file (when given)
// receives the files written, one relative path a line.
#include <cstdio>
#include <fstream>

#include "generate.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: contentgen <game folder> [list file]\n");
        return 2;
    }
    std::vector<std::string> files;
    int failures = cg::GenerateAll(argv[1], &files);
    if (failures) {
        std::fprintf(stderr, "contentgen: %d file(s) could not be made\n", failures);
        return 1;
    }
    if (argc == 3) {
        std::ofstream list(argv[2], std::ios::trunc);
        for (const std::string& f : files) list << f << "\n";
    }
    std::printf("contentgen: %zu files in %s\n", files.size(), argv[1]);
    return 0;
}
