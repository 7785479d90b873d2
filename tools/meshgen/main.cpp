// meshgen <game folder>            writes the demo meshes and textures to <game folder>/model/
// meshgen --humanoid <out.x>       one humanoid (text)
// meshgen --binary <in.x> <out.x>  converts a .x file to the binary form
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "meshgen.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--humanoid") {
        std::ofstream(argv[2], std::ios::binary) << meshgen::HumanoidX({});
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--binary") {
        std::ifstream in(argv[2], std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string bin = meshgen::ToBinaryX(text);
        if (bin.empty()) {
            std::fprintf(stderr, "meshgen: %s is not a readable .x file\n", argv[2]);
            return 1;
        }
        std::ofstream(argv[3], std::ios::binary) << bin;
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: meshgen <game folder> | --humanoid <out.x> | --binary <in.x> <out.x>\n");
        return 2;
    }
    int n = meshgen::GenerateGameMeshes(argv[1]);
    if (n < 0) {
        std::fprintf(stderr, "meshgen: cannot write into %s/model\n", argv[1]);
        return 1;
    }
    std::printf("meshgen: %d files written\n", n);
    return 0;
}
