#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "golden.h"
#include "paths.h"
#include "text.h"

namespace {

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(Paths, BackslashesAndCaseAreResolvedPerComponent) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "Graphics/BastUp");
    Touch(dir.path() + "Graphics/BastUp/001.png");
    Touch(dir.path() + "Graphics/sys.png");

    EXPECT_EQ(plat::ResolvePath(dir.path() + "graphics\\bastup\\001.PNG"), dir.path() + "Graphics/BastUp/001.png");
    EXPECT_EQ(plat::ResolvePath(dir.path() + "./GRAPHICS/Sys.png"), dir.path() + "./Graphics/sys.png");
    EXPECT_TRUE(plat::FileExists(dir.path() + "graphics/SYS.PNG"));
    // A missing file keeps the found folders corrected.
    EXPECT_EQ(plat::ResolvePath(dir.path() + "graphics\\new.png"), dir.path() + "Graphics/new.png");
    EXPECT_FALSE(plat::FileExists(dir.path() + "graphics/new.png"));
}

TEST(Paths, RelativePathsResolveFromTheCurrentFolder) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "model");
    Touch(dir.path() + "model/Keyframe.csv");
    testsupport::ScopedCurrentDir cd(dir.path());
    EXPECT_EQ(plat::ResolvePath("model\\keyframe.csv"), "model/Keyframe.csv");
    EXPECT_TRUE(plat::FileExists("./MODEL/keyframe.CSV"));
}

TEST(Text, Cp932RoundTripsThroughUnicode) {
    const std::string cp932 = "エラー";  // compiled as CP932 bytes
    EXPECT_EQ(cp932, std::string("\x83\x47\x83\x89\x81\x5B"));
    EXPECT_EQ(plat::Cp932ToUtf8(cp932), std::string("\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC"));
    EXPECT_EQ(plat::Utf8ToCp932(plat::Cp932ToUtf8(cp932)), cp932);
    std::u32string u = plat::Cp932ToUtf32("Aソ");  // second byte of ソ is 0x5C
    ASSERT_EQ(u.size(), 2u);
    EXPECT_EQ(u[1], U'\u30BD');
}

}  // namespace
