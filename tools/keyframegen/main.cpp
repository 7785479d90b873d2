// keyframegen KEYFRAME_DATA.csv OUT.csv: writes the battle's keyframe animation table.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "keyframegen.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: keyframegen keyframe_data.csv keyframe.csv\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "keyframegen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const auto motions = keyframegen::ReadMotions(text.str());
    if (motions.empty()) {
        std::fprintf(stderr, "keyframegen: no motions in %s\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << keyframegen::TableText(motions);
    if (!out) {
        std::fprintf(stderr, "keyframegen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
