// packwriter <folder> <out.pck>: packs the files directly inside a folder.
#include <cstdio>
#include <string>

#include "packwriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: packwriter <folder> <out.pck>\n");
        return 2;
    }
    std::string error;
    if (!packwriter::PackFolder(argv[1], argv[2], error)) {
        std::fprintf(stderr, "packwriter: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
