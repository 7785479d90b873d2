#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "File/gvlFilePack.h"
#include "golden.h"
#include "packwriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Pattern(size_t n, unsigned seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
    return b;
}

TEST(PackWriter, LayoutHeaderDirectoryAndScrambledData) {
    Bytes out;
    std::string error;
    ASSERT_TRUE(packwriter::BuildPack({{"ab", {0x00, 0xE7}}, {"c", {0x41}}}, out, error)) << error;
    Bytes expected = {'V', 'P', 'K',
                      'a', 'b', 0, 2, 0, 0, 0, 25, 0, 0, 0,
                      'c', 0, 1, 0, 0, 0, 27, 0, 0, 0,
                      0,
                      0xE7, 0x00, 0x41 ^ 0xE7};
    EXPECT_EQ(out, expected);
}

TEST(PackWriter, RejectsEmptyAndFolderNames) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(packwriter::BuildPack({{"", {1}}}, out, error));
    EXPECT_FALSE(packwriter::BuildPack({{"a/b", {1}}}, out, error));
    EXPECT_FALSE(error.empty());
}

TEST(PackWriter, FolderRoundTripsThroughTheLoaderByteForByte) {
    testsupport::TempDir dir;
    std::map<std::string, Bytes> files = {
        {"big.bin", Pattern(300000, 1)}, {"Title.png", Pattern(1234, 2)}, {"empty.txt", {}}, {"skill.csv", Pattern(77, 3)}};
    for (const auto& [name, data] : files) WriteFile(dir.path() + "src/" + name, data);
    std::string error;
    ASSERT_TRUE(packwriter::PackFolder(dir.path() + "src", dir.path() + "graphics.pck", error)) << error;

    testsupport::ScopedCurrentDir cwd(dir.path());
    for (const auto& [name, data] : files) {
        Bytes out;
        EXPECT_TRUE(CFilePack::LoadFile("graphics\\" + name, out)) << name;
        EXPECT_EQ(out, data) << name;
    }
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("GRAPHICS/title.PNG", out));
    EXPECT_EQ(out, files["Title.png"]);
}

TEST(PackWriter, CommandLineWritesThePack) {
    testsupport::TempDir dir;
    Bytes data = Pattern(5000, 9);
    WriteFile(dir.path() + "sound/a.wav", data);
    std::string cmd = std::string("\"") + PACKWRITER_EXE + "\" \"" + dir.path() + "sound\" \"" + dir.path() + "sound.pck\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::filesystem::remove_all(dir.path() + "sound");
    testsupport::ScopedCurrentDir cwd(dir.path());
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("./sound/a.wav", out));
    EXPECT_EQ(out, data);
    // Wrong usage fails with a non-zero status.
    std::string bad = std::string("\"") + PACKWRITER_EXE + "\" 2>/dev/null";
    EXPECT_NE(std::system(bad.c_str()), 0);
}

}  // namespace

namespace {
TEST(PackWriter, JapaneseFileNamesAreStoredAsGameText) {
    testsupport::TempDir dir;
    Bytes data = Pattern(64, 4);
    // The file on disk carries its UTF-8 name; the game asks in code page 932.
    WriteFile(dir.path() + "src/\xE5\x89\xA3.png", data);  // "剣" in UTF-8
    std::string error;
    ASSERT_TRUE(packwriter::PackFolder(dir.path() + "src", dir.path() + "pics.pck", error)) << error;
    testsupport::ScopedCurrentDir cwd(dir.path());
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile(std::string("pics\\") + "剣.png", out));
    EXPECT_EQ(out, data);
}

TEST(PackWriter, NamesDifferingOnlyInCaseAreRefused) {
    testsupport::TempDir dir;
    WriteFile(dir.path() + "src/a.txt", {1});
    WriteFile(dir.path() + "src/A.TXT", {2});
    std::string error;
    EXPECT_FALSE(packwriter::PackFolder(dir.path() + "src", dir.path() + "x.pck", error));
    EXPECT_NE(error.find("case"), std::string::npos);
    EXPECT_FALSE(packwriter::PackFolder(dir.path() + "missing", dir.path() + "x.pck", error));
}
}  // namespace
