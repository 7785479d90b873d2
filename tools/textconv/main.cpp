// textconv <in> <out>: one UTF-8 source text -> the game's CP932 CR LF form.
#include <cstdio>

#include "textconv.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: textconv <in.utf8> <out>\n");
        return 2;
    }
    return textconv::ConvertFile(argv[1], argv[2]) ? 0 : 1;
}
