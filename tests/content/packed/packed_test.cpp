// The packed variant of the runnable folder (built with VORMANT_PACK_CONTENT=ON):
// every file of a packed folder comes back from its pack with the loose file's bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "File/gvlFilePack.h"
#include "golden.h"

namespace fs = std::filesystem;

namespace {

const char* const kPackedFolders[] = {"gamedata", "map", "script", "model", "graphics", "graphics/BastUp",
                                      "graphics/BackGround"};

std::vector<unsigned char> ReadAll(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TEST(PackedGameFolder, PackedFilesReadBackAsTheLooseOnes) {
    const fs::path game = VORMANT_GAME_DIR;
    const fs::path packed = fs::path(VORMANT_BINARY_DIR) / "game-packed";
    if (!fs::exists(packed)) GTEST_SKIP() << "configure with -DVORMANT_PACK_CONTENT=ON to lay out " << packed;

    testsupport::ScopedCurrentDir cwd(packed.string());
    int checked = 0;
    for (const char* folder : kPackedFolders) {
        if (!fs::is_directory(game / folder)) continue;
        EXPECT_TRUE(fs::exists(packed / (std::string(folder) + ".pck"))) << folder;
        for (const auto& e : fs::directory_iterator(game / folder)) {
            if (!e.is_regular_file()) continue;
            std::string name = e.path().filename().string();
            // Nothing of a packed folder stays loose.
            EXPECT_FALSE(fs::exists(packed / folder / name)) << folder << "/" << name;
            // The game's own spelling: back slashes and any case of the folder.
            std::string gamePath = std::string(folder) + "\\" + name;
            for (char& c : gamePath)
                if (c == '/') c = '\\';
            std::vector<unsigned char> bytes;
            ASSERT_TRUE(CFilePack::LoadFile(gamePath, bytes)) << gamePath;
            EXPECT_TRUE(bytes == ReadAll(e.path())) << gamePath;
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);
    // Music and sounds stay loose.
    EXPECT_TRUE(fs::exists(packed / "BGM" / "demo_long.ogg"));
    EXPECT_TRUE(fs::exists(packed / "sound" / "BladeHit.wav"));
    EXPECT_TRUE(fs::exists(packed / "Zov.ini"));
}

}  // namespace
