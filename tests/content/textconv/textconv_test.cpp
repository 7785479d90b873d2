// The UTF-8 LF -> CP932 CR LF step that every text file of the game goes through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "golden.h"
#include "textconv.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TEST(TextConv, AsciiAndJapaneseBecomeCp932WithCrLf) {
    // "あ" is 82 A0, "ー" 81 5B, "表" 95 5C (a trail byte that is a backslash), "ｱ" B1.
    std::string in = "id,name\n1,\xE3\x81\x82\xE3\x83\xBC\xE8\xA1\xA8\xEF\xBD\xB1\n";
    textconv::Result r = textconv::Utf8ToCp932CrLf(in);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.bytes, std::string("id,name\r\n1,\x82\xA0\x81\x5B\x95\x5C\xB1\r\n"));
}

TEST(TextConv, AgreesWithTheCompilersCodePage) {
    // The game's own literals are compiled to CP932; the data files must match them.
    const std::string utf8 = U8(u8"不正なセーブファイルです。ＶＯＲＭＡＮＴ「製作」～①");
    textconv::Result r = textconv::Utf8ToCp932CrLf(utf8);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.bytes, std::string("不正なセーブファイルです。ＶＯＲＭＡＮＴ「製作」～①"));
}

TEST(TextConv, LineEnds) {
    EXPECT_EQ(textconv::Utf8ToCp932CrLf("a\nb").bytes, "a\r\nb");
    EXPECT_EQ(textconv::Utf8ToCp932CrLf("a\r\nb\r\n").bytes, "a\r\nb\r\n");  // no doubled CR
    EXPECT_EQ(textconv::Utf8ToCp932CrLf("\n\n").bytes, "\r\n\r\n");
    EXPECT_EQ(textconv::Utf8ToCp932CrLf("x\ry").bytes, "x\ry");  // a lone CR is kept as it is
    textconv::Result empty = textconv::Utf8ToCp932CrLf("");
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.bytes, "");
}

TEST(TextConv, ByteOrderMarkIsDropped) {
    EXPECT_EQ(textconv::Utf8ToCp932CrLf("\xEF\xBB\xBFkey=1\n").bytes, "key=1\r\n");
}

TEST(TextConv, CharacterWithoutCp932FormFailsWithItsPlace) {
    // U+00E9 and an emoji have no CP932 form.
    textconv::Result r = textconv::Utf8ToCp932CrLf("ok\nab\xC3\xA9\n");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("line 2, column 3"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("U+00E9"), std::string::npos) << r.error;

    textconv::Result e = textconv::Utf8ToCp932CrLf("\xE3\x81\x82\xF0\x9F\x98\x80");
    EXPECT_FALSE(e.ok);
    EXPECT_NE(e.error.find("line 1, column 2"), std::string::npos) << e.error;
    EXPECT_NE(e.error.find("U+1F600"), std::string::npos) << e.error;
}

TEST(TextConv, MalformedUtf8Fails) {
    for (const char* bad : {"\x82\xA0", "a\xE3\x81", "\xC0\xAF", "\xED\xA0\x80"}) {
        textconv::Result r = textconv::Utf8ToCp932CrLf(bad);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_NE(r.error.find("not valid UTF-8"), std::string::npos) << r.error;
    }
}

TEST(TextConv, ConvertFileWritesIntoNewFoldersAndNothingOnError) {
    testsupport::TempDir dir;
    std::string in = dir.path() + "in.csv";
    std::ofstream(in, std::ios::binary) << "a,\xE3\x81\x82\n";
    std::string out = dir.path() + "deep/er/out.csv";
    ASSERT_TRUE(textconv::ConvertFile(in, out));
    EXPECT_EQ(ReadAll(out), "a,\x82\xA0\r\n");

    std::ofstream(in, std::ios::binary | std::ios::trunc) << "\xC3\xA9\n";
    std::string out2 = dir.path() + "bad.csv";
    EXPECT_FALSE(textconv::ConvertFile(in, out2));
    EXPECT_FALSE(std::filesystem::exists(out2));
    EXPECT_FALSE(textconv::ConvertFile(dir.path() + "missing.csv", out2));
}

}  // namespace
