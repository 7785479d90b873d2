#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "fs/fs.h"
#include "golden.h"
#include "log/ErrorLog.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override { plat::SetFixedDateTime("12/07/26", "09:15:30"); }
    void TearDown() override { plat::SetFixedDateTime("", ""); }
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.path()};
    CErrorLog log;
    std::string Log() { return ReadAll(dir.path() + "ErrorLog.txt"); }
};

TEST_F(ErrorLogTest, LinesAreDatedAndAppendedInOrder) {
    std::ofstream(dir.path() + "ErrorLog.txt", std::ios::binary) << "old\r\n";
    EXPECT_EQ(log.Write("first"), 0);
    EXPECT_EQ(log.Write("二番目"), 0);
    EXPECT_EQ(Log(), "old\r\n12/07/26 09:15:30 : first\r\n12/07/26 09:15:30 : \x93\xf1\x94\xd4\x96\xda\r\n");
    EXPECT_EQ(log.GetLastText(), "二番目");
}

TEST_F(ErrorLogTest, LiveClockPrefixHasTheDateAndTimeForms) {
    plat::SetFixedDateTime("", "");
    log.Write("x");
    EXPECT_TRUE(std::regex_match(Log(), std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d : x\r\n)"))) << Log();
}

TEST_F(ErrorLogTest, ModeZeroOnlyKeepsTheLastText) {
    log.SetMode(0);
    log.Write("quiet");
    EXPECT_EQ(log.GetLastText(), "quiet");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "ErrorLog.txt"));
}

TEST_F(ErrorLogTest, PrintfAndWriteNumber) {
    log.Printf("テクスチャサイズ(x:%d, 7:%d)", 640, 480);
    log.WriteNumber(-2005530516);
    EXPECT_EQ(Log(), "12/07/26 09:15:30 : " + std::string("テクスチャサイズ(x:640, 7:480)") +
                         "\r\n12/07/26 09:15:30 : -2005530516\r\n");
}

TEST_F(ErrorLogTest, LongPrintfIsCutAt511Characters) {
    std::string big(2000, 'w');
    log.Printf("%s%s", big.c_str(), "tail");
    EXPECT_EQ(log.GetLastText(), std::string(511, 'w'));
}

TEST_F(ErrorLogTest, DumpOf20BytesHasTwoLinesWithBlankColumns) {
    unsigned char data[20];
    for (int i = 0; i < 20; ++i) data[i] = static_cast<unsigned char>(i * 17);
    log.WriteDump("C_TaskCursol", data, 20);
    // Four bytes, then 12 blank columns of three spaces each.
    std::string expected = "C_TaskCursol\r\n00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff \r\n10 21 32 43 " +
                           std::string(12 * 3, ' ');
    EXPECT_EQ(log.GetLastText(), expected);
    EXPECT_EQ(Log(), "12/07/26 09:15:30 : " + expected + "\r\n");
}

TEST_F(ErrorLogTest, DumpLineCountsAtSixteenAndSeventeen) {
    unsigned char data[17] = {};
    std::string full;
    for (int i = 0; i < 16; ++i) full += "00 ";
    log.WriteDump("t", data, 16);
    EXPECT_EQ(log.GetLastText(), "t\r\n" + full);
    log.WriteDump("t", data, 17);
    EXPECT_EQ(log.GetLastText(), "t\r\n" + full + "\r\n00 " + std::string(15 * 3, ' '));
}

TEST_F(ErrorLogTest, DumpOfNothingWritesTheTitleOnly) {
    unsigned char one = 0xAB;
    log.WriteDump("empty", &one, 0);
    EXPECT_EQ(log.GetLastText(), "empty");
    log.WriteDump("negative", &one, -5);
    EXPECT_EQ(log.GetLastText(), "negative");
    log.WriteDump("null", static_cast<const unsigned char*>(nullptr), 4);
    EXPECT_EQ(log.GetLastText(), "null");
}

TEST_F(ErrorLogTest, UnwritableLogLosesTheLineSilently) {
    std::filesystem::create_directory(dir.path() + "ErrorLog.txt");  // a folder in the way
    EXPECT_EQ(log.Write("lost"), 0);
    EXPECT_EQ(log.GetLastText(), "lost");
}

}  // namespace

namespace {
TEST(ErrorLogDump, ObjectBytesThroughTheVoidForm) {
    CErrorLog log;
    log.SetMode(0);
    struct { unsigned char a = 0xC3, b = 0x0A; } obj;
    log.WriteDump("obj", &obj, 2);
    EXPECT_EQ(log.GetLastText(), "obj\r\nc3 0a " + std::string(14 * 3, ' '));
}
}  // namespace

#include "system.h"

namespace {
TEST(ErrorLogHeadless, LinesAreDatedFromTheVirtualClock) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.path());
    plat::InitOptions options;
    options.backend = plat::Backend::Headless;
    ASSERT_TRUE(plat::Init(options));
    auto clockText = [] {
        uint32_t sec = plat::TickCount() / 1000;
        char buf[32];
        std::snprintf(buf, sizeof buf, "01/01/00 %02u:%02u:%02u : ", sec / 3600 % 24, sec / 60 % 60, sec % 60);
        return std::string(buf);
    };
    CErrorLog log;
    std::string first = clockText() + "a\r\n";
    log.Write("a");
    plat::Sleep(3661 * 1000 + 500);
    std::string second = clockText() + "b\r\n";
    log.Write("b");
    plat::Shutdown();
    EXPECT_NE(first.substr(9, 8), second.substr(9, 8));
    EXPECT_EQ(ReadAll(dir.path() + "ErrorLog.txt"), first + second);
}
}  // namespace
