#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "File/gvlFilePack.h"
#include "golden.h"
#include "log/ErrorLog.h"

namespace {

using Bytes = std::vector<unsigned char>;

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) { WriteFile(path, Bytes(text.begin(), text.end())); }

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

struct RawEntry {
    std::string name;
    Bytes data;
};

// A pack written by hand, independent of the pack writer: header "abc", the
// directory, its closing 0, then the scrambled data in order.
Bytes HandPack(const std::vector<RawEntry>& entries) {
    size_t dirSize = 1;
    for (const RawEntry& e : entries) dirSize += e.name.size() + 1 + 8;
    uint32_t offset = static_cast<uint32_t>(3 + dirSize);
    Bytes out = Text("abc");
    for (const RawEntry& e : entries) {
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(0);
        PutU32(out, static_cast<uint32_t>(e.data.size()));
        PutU32(out, offset);
        offset += static_cast<uint32_t>(e.data.size());
    }
    out.push_back(0);
    for (const RawEntry& e : entries)
        for (unsigned char b : e.data) out.push_back(b ^ 0xE7);
    return out;
}

class FilePackTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.path()};
};

TEST_F(FilePackTest, LooseFileIsReadPlainWithEitherSeparator) {
    WriteText(dir.path() + "model/keyframe.csv", "1,2\r\n");
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("model\\keyframe.csv", out));
    EXPECT_EQ(out, Text("1,2\r\n"));
    EXPECT_TRUE(CFilePack::LoadFile("./Model/KEYFRAME.csv", out));
    EXPECT_EQ(out, Text("1,2\r\n"));
    EXPECT_EQ(LoadFileBytes(dir.path() + "model/keyframe.csv"), Text("1,2\r\n"));
}

TEST_F(FilePackTest, PackMemberIsFoundIgnoringCaseOfAtoZAndUnscrambled) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x00, 0xE7, 0xFF};
    WriteFile(dir.path() + "graphics.pck", HandPack({{"sys.png", Text("zz")}, {"title.png", png}}));
    std::filesystem::create_directories(dir.path() + "graphics");
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("graphics/Title.PNG", out));
    EXPECT_EQ(out, png);
    EXPECT_TRUE(CFilePack::LoadFile("./graphics/sys.png", out));  // pack "./graphics.pck"
    EXPECT_EQ(out, Text("zz"));
}

TEST_F(FilePackTest, OnlyAtoZAreFoldedInMemberNames) {
    // "ＡＢ" in code page 932 is 82 60 82 61; half-width katakana 0xC1 must not meet 0xE1.
    std::string wide = "\x82\x60\x82\x61.png";
    WriteFile(dir.path() + "pic.pck", HandPack({{wide, Text("wide")}, {"\xC1.png", Text("c1")}}));
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("pic/\x82\x60\x82\x61.PNG", out));
    EXPECT_EQ(out, Text("wide"));
    EXPECT_TRUE(CFilePack::LoadFile("pic/\xC1.PNG", out));
    EXPECT_EQ(out, Text("c1"));
    g_ErrorLog.SetMode(0);
    EXPECT_FALSE(CFilePack::LoadFile("pic/\xE1.png", out));
    EXPECT_FALSE(CFilePack::LoadFile("pic/\x82\x40\x82\x41.png", out));
    g_ErrorLog.SetMode(1);
    EXPECT_EQ(CFilePack::FoldCase("AZaz@[\x82\x60\xC1"), "azaz@[\x82\x60\xC1");
}

TEST_F(FilePackTest, LooseFileWinsOverPackMember) {
    WriteFile(dir.path() + "data.pck", HandPack({{"a.txt", Text("packed")}}));
    WriteText(dir.path() + "data/A.TXT", "loose");
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("data/a.txt", out));
    EXPECT_EQ(out, Text("loose"));
}

TEST_F(FilePackTest, FirstOfTwoEqualNamesIsUsed) {
    WriteFile(dir.path() + "d.pck", HandPack({{"x.bin", Text("first")}, {"X.BIN", Text("second")}}));
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("d/x.bin", out));
    EXPECT_EQ(out, Text("first"));
}

TEST_F(FilePackTest, EmptyDirectoryHasNoMembers) {
    WriteFile(dir.path() + "e.pck", HandPack({}));
    Bytes out = Text("stale");
    EXPECT_FALSE(CFilePack::LoadFile("e/anything", out));
    EXPECT_TRUE(out.empty());
}

TEST_F(FilePackTest, ZeroByteFilesGiveEmptyVectors) {
    WriteFile(dir.path() + "z/empty.txt", {});
    WriteFile(dir.path() + "p.pck", HandPack({{"empty.txt", {}}}));
    Bytes out = Text("stale");
    EXPECT_TRUE(CFilePack::LoadFile("z/empty.txt", out));
    EXPECT_TRUE(out.empty());
    out = Text("stale");
    EXPECT_TRUE(CFilePack::LoadFile("p/empty.txt", out));
    EXPECT_TRUE(out.empty());
}

TEST_F(FilePackTest, MissingFileIsReportedAndNeverReturnedAsData) {
    g_ErrorLog.SetMode(0);
    Bytes out = Text("stale");
    EXPECT_FALSE(CFilePack::LoadFile("nowhere/missing.png", out));
    EXPECT_TRUE(out.empty());
    EXPECT_NE(g_ErrorLog.GetLastText().find("nowhere/missing.png"), std::string::npos);
    // A pack without the member is the same.
    WriteFile(dir.path() + "nowhere.pck", HandPack({{"other.png", Text("o")}}));
    EXPECT_FALSE(CFilePack::LoadFile("nowhere/missing.png", out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(LoadFileBytes("nowhere/missing.png").empty());
    g_ErrorLog.SetMode(1);
}

TEST_F(FilePackTest, DirectoryRunningOffTheEndIsReportedNotLoopedOn) {
    g_ErrorLog.SetMode(0);
    Bytes good = HandPack({{"abc.txt", Text("hello")}});
    // Cut inside the name, inside the numbers and right before the closing 0.
    for (size_t cut : {size_t(3), size_t(5), size_t(3 + 8 + 2), size_t(3 + 8 + 8)}) {
        Bytes broken(good.begin(), good.begin() + static_cast<long>(cut));
        WriteFile(dir.path() + "cut.pck", broken);
        Bytes out = Text("stale");
        EXPECT_FALSE(CFilePack::LoadFile("cut/abc.txt", out)) << cut;
        EXPECT_TRUE(out.empty());
        std::vector<PackEntry> entries;
        std::string error;
        EXPECT_FALSE(CFilePack::ParseDirectory(broken.data(), broken.size(), entries, error)) << cut;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(g_ErrorLog.GetLastText().find("cut.pck"), std::string::npos);
    g_ErrorLog.SetMode(1);
}

TEST_F(FilePackTest, MemberBeyondTheFileIsReported) {
    g_ErrorLog.SetMode(0);
    Bytes pack = HandPack({{"a.bin", Text("abcd")}, {"b.bin", Text("ok")}});
    // Stretch a.bin's size past the end of the pack; b.bin stays readable.
    pack[3 + 6] = 0xFF;
    pack[3 + 6 + 3] = 0x7F;
    WriteFile(dir.path() + "m.pck", pack);
    Bytes out;
    EXPECT_FALSE(CFilePack::LoadFile("m/a.bin", out));
    EXPECT_TRUE(out.empty());
    EXPECT_NE(g_ErrorLog.GetLastText().find("beyond"), std::string::npos);
    EXPECT_TRUE(CFilePack::LoadFile("m/b.bin", out));
    EXPECT_EQ(out, Text("ok"));
    std::vector<PackEntry> entries;
    std::string error;
    EXPECT_FALSE(CFilePack::ParseDirectory(pack.data(), pack.size(), entries, error));
    g_ErrorLog.SetMode(1);
}

// Has answers as LoadFile finds, loose or packed, and says nothing in the log.
TEST_F(FilePackTest, HasFindsWhatLoadFileReadsWithoutLogging) {
    WriteText(dir.path() + "loose/Shader.vsh", "vs");
    WriteText(dir.path() + "empty/none.txt", "");
    WriteFile(dir.path() + "packed.pck", HandPack({{"Effect.FX", Text("fx")}}));
    Bytes cut = HandPack({{"cut.bin", Text("abc")}});
    cut.resize(6);
    WriteFile(dir.path() + "cut.pck", cut);
    Bytes beyond = HandPack({{"far.bin", Text("abcd")}});
    beyond[3 + 8 + 3] = 0x7F;  // its size past the end of the pack
    WriteFile(dir.path() + "beyond.pck", beyond);
    const struct {
        const char* path;
        bool found;
    } cases[] = {
        {"loose\\Shader.vsh", true},     // loose, either separator
        {"LOOSE/shader.VSH", true},      // letters in any case, as the file system is searched
        {"empty/none.txt", true},        // an empty file is a file
        {"packed/effect.fx", true},      // a member of the folder's pack
        {"packed\\other.fx", false},     // a pack without the member
        {"nowhere/x.fx", false},         // neither loose nor packed
        {"cut/cut.bin", false},          // a directory running off the end
        {"beyond/far.bin", false},       // a member beyond the end of its pack
        {"loose/", false},               // a folder names no file
    };
    Bytes out;
    for (const auto& c : cases) {
        g_ErrorLog.SetMode(0);
        g_ErrorLog.Write("before");
        EXPECT_EQ(CFilePack::Has(c.path), c.found) << c.path;
        EXPECT_EQ(g_ErrorLog.GetLastText(), "before") << c.path;
        EXPECT_EQ(CFilePack::LoadFile(c.path, out), c.found) << c.path;
        EXPECT_EQ(CFilePack::Has(dir.path() + c.path), c.found) << "whole path " << c.path;
    }
    g_ErrorLog.SetMode(1);
}

TEST_F(FilePackTest, ParseDirectoryReadsSizeBeforeOffset) {
    Bytes pack = HandPack({{"one", Text("1")}, {"two", Text("22")}});
    std::vector<PackEntry> entries;
    std::string error;
    ASSERT_TRUE(CFilePack::ParseDirectory(pack.data(), pack.size(), entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "one");
    EXPECT_EQ(entries[0].size, 1u);
    EXPECT_EQ(entries[0].offset, 3u + 2 * (4 + 8) + 1);
    EXPECT_EQ(entries[1].size, 2u);
    EXPECT_EQ(entries[1].offset, entries[0].offset + 1);
}

TEST_F(FilePackTest, AbsolutePathsAreUsedAsGiven) {
    WriteText(dir.path() + "abs/x.csv", "x");
    Bytes out;
    testsupport::ScopedCurrentDir elsewhere("/");
    EXPECT_TRUE(CFilePack::LoadFile(dir.path() + "abs\\x.csv", out));
    EXPECT_EQ(out, Text("x"));
}

// ---- COpenFile --------------------------------------------------------------------

TEST_F(FilePackTest, ReadLineSplitsAtCrLf) {
    WriteText(dir.path() + "lines.txt", "ab\r\ncd");
    COpenFile f;
    ASSERT_TRUE(f.Open("lines.txt", true, OPEN_EXISTING));
    std::string line;
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, "ab");
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, "cd");
    EXPECT_EQ(f.ReadLine(line), 1);
    EXPECT_EQ(line, "");
}

TEST_F(FilePackTest, ReadLineReturnsLongLinesWholeAndKeepsLoneBytes) {
    std::string longLine(600, 'q');
    longLine[300] = '\n';  // a lone LF is part of the line
    std::string exact(255, 'e');  // exactly fills one chunk, then the end of the file
    WriteText(dir.path() + "long.txt", longLine + "\r\n\r\nx\ry\r\n" + exact);
    COpenFile f;
    ASSERT_TRUE(f.Open("long.txt", true, OPEN_EXISTING));
    std::string line;
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, longLine);
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, "");
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, "x\ry");
    EXPECT_EQ(f.ReadLine(line), 0);
    EXPECT_EQ(line, exact);
    EXPECT_EQ(f.ReadLine(line), 1);
}

TEST_F(FilePackTest, ReadLineChunkReportsFullBuffersAndMissingFiles) {
    COpenFile f;
    char buf[8];
    std::string line;
    EXPECT_EQ(f.ReadLineChunk(buf, sizeof buf), 3);
    EXPECT_EQ(f.ReadLine(line), 3);
    WriteText(dir.path() + "c.txt", "abcdef\r\n");
    ASSERT_TRUE(f.Open("c.txt", true, OPEN_EXISTING));
    EXPECT_EQ(f.ReadLineChunk(buf, 4), 2);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(f.ReadLineChunk(buf, 1), 2);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(f.ReadLineChunk(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "def");
    EXPECT_EQ(f.ReadLineChunk(buf, sizeof buf), 1);
}

TEST_F(FilePackTest, ReadWordIsLittleEndianAndZeroPastTheEnd) {
    WriteFile(dir.path() + "w.bin", {0x34, 0x12, 0xAB});
    COpenFile f;
    ASSERT_TRUE(f.Open("w.bin", true, OPEN_EXISTING));
    EXPECT_EQ(f.ReadWord(0), 0x1234);
    EXPECT_EQ(f.ReadWord(2), 0x00AB);
    EXPECT_EQ(f.ReadWord(5), 0);
}

TEST_F(FilePackTest, WriteAtAndDispositions) {
    COpenFile f;
    EXPECT_FALSE(f.Open("new.bin", false, OPEN_EXISTING));
    EXPECT_FALSE(f.IsOpen());
    ASSERT_TRUE(f.Open("new.bin", false, OPEN_ALWAYS));
    EXPECT_EQ(f.GetSize(nullptr), 0u);
    EXPECT_TRUE(f.WriteAt("hello", 5, 0));
    EXPECT_EQ(f.GetLastCount(), 5u);
    DWORD high = 99;
    EXPECT_EQ(f.GetSize(&high), 5u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(f.WriteAt("!", 1, 5));
    EXPECT_FALSE(f.Open("new.bin", false, CREATE_NEW));  // exists; the old handle is closed either way
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(f.GetFileName().empty());
    Bytes out;
    EXPECT_TRUE(CFilePack::LoadFile("new.bin", out));
    EXPECT_EQ(out, Text("hello!"));
    ASSERT_TRUE(f.Open("NEW.BIN", false, TRUNCATE_EXISTING));
    EXPECT_EQ(f.GetSize(nullptr), 0u);
}

}  // namespace

namespace {
TEST(FilePackArgs, OutputFirstFormReadsTheSameFile) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.path());
    std::ofstream(dir.path() + "a.txt", std::ios::binary) << "same";
    std::vector<unsigned char> out;
    EXPECT_TRUE(CFilePack::LoadFile(out, "A.TXT"));
    EXPECT_EQ(std::string(out.begin(), out.end()), "same");
}
}  // namespace
