#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "File/gvlFilePack.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "table/gvlTableFile.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Split(const std::string& bytes) {
    CTableFile t;
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return t.m_vRows;
}

TEST(TableFile, RowsAndCellsSplitAtCommasAndCrLf) {
    EXPECT_EQ(Split("a,b\r\nc\r\n"), (Rows{{"a", "b"}, {"c"}}));
    EXPECT_EQ(Split("a,,b\r\n"), (Rows{{"a", "", "b"}}));
    EXPECT_EQ(Split("a,b,\r\n"), (Rows{{"a", "b", ""}}));
    EXPECT_EQ(Split("no line end"), (Rows{{"no line end"}}));
    EXPECT_EQ(Split(""), Rows{});
}

TEST(TableFile, EmptyLinesOnlyTheLastIsDropped) {
    EXPECT_EQ(Split("\r\n\r\n"), (Rows{{""}}));
    EXPECT_EQ(Split("a\r\n\r\nb\r\n"), (Rows{{"a"}, {""}, {"b"}}));
}

TEST(TableFile, NoQuotingNoTrimming) {
    EXPECT_EQ(Split("\"x,y\" , z\t\r\n"), (Rows{{"\"x", "y\" ", " z\t"}}));
}

TEST(TableFile, LoneLineFeedsStayInCells) {
    EXPECT_EQ(Split("a,b\nc,d\n"), (Rows{{"a", "b\nc", "d\n"}}));
}

TEST(TableFile, TheByteAfterACrIsAlwaysSwallowed) {
    EXPECT_EQ(Split("a\rXb\r\n"), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(Split("a,b\r"), (Rows{{"a", "b"}}));
}

TEST(TableFile, JapaneseCellsKeepTheirBytes) {
    // The second byte of "ソ" (83 5C) is a backslash and of "ー" (81 5B) a bracket; both stay.
    std::string text = "ソード,ポーション\r\n";
    Rows rows = Split(text);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "ソード");
    EXPECT_EQ(rows[0][1], "ポーション");
}

TEST(TableFile, IntegerAndDoubleConversions) {
    CTableFile t;
    std::string text = " 12x,,-7,+3,abc,\t42,3.25e1,-.5,99999999999,-99999999999\r\n";
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    EXPECT_EQ(t.GetInt(0, 0), 12);
    EXPECT_EQ(t.GetInt(0, 1), 0);
    EXPECT_EQ(t.GetInt(0, 2), -7);
    EXPECT_EQ(t.GetInt(0, 3), 3);
    EXPECT_EQ(t.GetInt(0, 4), 0);
    EXPECT_EQ(t.GetInt(0, 5), 42);
    EXPECT_EQ(t.GetInt(0, 6), 3);
    EXPECT_DOUBLE_EQ(t.GetCellDouble(0, 6), 32.5);
    EXPECT_DOUBLE_EQ(t.GetCellDouble(0, 7), -0.5);
    EXPECT_DOUBLE_EQ(t.GetCellDouble(0, 4), 0.0);
    // Beyond a 32-bit long the value sticks at the range's ends.
    EXPECT_EQ(t.GetInt(0, 8), 2147483647);
    EXPECT_EQ(t.GetInt(0, 9), -2147483647 - 1);
}

TEST(TableFile, OutOfRangeAccessIsEmptyAndLogged) {
    g_ErrorLog.SetMode(0);
    CTableFile t;
    std::string text = "a,b\r\nc\r\n";
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    EXPECT_EQ(t.GetRowCount(), 2);
    EXPECT_EQ(t.GetColumnCount(0), 2);
    EXPECT_EQ(t.GetColumnCount(1), 1);
    EXPECT_EQ(t.GetColumnCount(2), 0);
    EXPECT_EQ(t.GetColumnCount(-1), 0);
    EXPECT_EQ(t.GetCell(1, 1), "");
    EXPECT_NE(g_ErrorLog.GetLastText().find("row 1, column 1"), std::string::npos);
    EXPECT_EQ(t.GetCell(-1, 0), "");
    EXPECT_EQ(t.GetInt(5, 5), 0);
    EXPECT_EQ(t.GetCellDouble(0, 9), 0.0);
    g_ErrorLog.SetMode(1);
}

TEST(TableFile, LoadsThroughTheFileLoaderAndAppends) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.path());
    std::filesystem::create_directories(dir.path() + "gamedata");
    std::ofstream(dir.path() + "gamedata/a.csv", std::ios::binary) << "id,name\r\n1,x\r\n";
    std::ofstream(dir.path() + "gamedata/b.csv", std::ios::binary) << "2,y\r\n";
    CTableFile t("gamedata\\a.csv");
    EXPECT_EQ(t.Load("GameData/B.csv"), 1);
    EXPECT_EQ(t.m_vRows, (Rows{{"id", "name"}, {"1", "x"}, {"2", "y"}}));
    g_ErrorLog.SetMode(0);
    EXPECT_EQ(t.Load("gamedata/missing.csv"), 1);  // logged by the loader, nothing appended
    g_ErrorLog.SetMode(1);
    EXPECT_EQ(t.GetRowCount(), 3);
}

}  // namespace

namespace {
TEST(TableFile, HelperFormOfGetInt) {
    CTableFile t;
    std::string text = "5,-6\r\n";
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    EXPECT_EQ(CTableFile::GetInt(t, 0, 1), -6);
}
}  // namespace
