#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"
#include "golden.h"

namespace {

using Bytes = std::vector<unsigned char>;

CSerialize Loading(const Bytes& bytes) {
    CSerialize s;
    s.GetBuffer() = bytes;
    s.SetMode(false);
    return s;
}

TEST(Serialize, IntStringBoolLayout) {
    CSerialize s;
    EXPECT_TRUE(s.IsStoring());
    int n = 1;
    std::string ab = "ab";
    bool t = true;
    s.SerializeInt(n).SerializeString(ab).SerializeBool(t);
    EXPECT_EQ(s.GetBuffer(), (Bytes{1, 0, 0, 0, 'a', 'b', 0, 1}));

    s.SetMode(false);
    int n2 = 0;
    std::string str = "junk";
    bool b = false;
    s.SerializeInt(n2).SerializeString(str).SerializeBool(b);
    EXPECT_EQ(n2, 1);
    EXPECT_EQ(str, "ab");
    EXPECT_TRUE(b);
    EXPECT_FALSE(s.HasError());
    EXPECT_EQ(s.GetPositionRef(), 8);
}

TEST(Serialize, NegativeIntsAndFixedWidthItemsAreLittleEndian) {
    CSerialize s;
    int n = -2;
    float f = 1.0f;
    uint16_t w = 0xBEEF;
    unsigned char c = 0x7F;
    s.SerializeInt(n).Serialize32(f).Serialize16(w).SerializeByte(c);
    EXPECT_EQ(s.GetBuffer(), (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0xEF, 0xBE, 0x7F}));
}

TEST(Serialize, EmptyStringAndEmptyVectors) {
    CSerialize s;
    std::string empty;
    std::vector<int> none;
    s.SerializeString(empty).SerializeIntVector(none);
    EXPECT_EQ(s.GetBuffer(), (Bytes{0, 0, 0, 0, 0}));
    s.SetMode(false);
    std::string back = "x";
    std::vector<int> filled = {1, 2, 3};
    s.SerializeString(back).SerializeIntVector(filled);
    EXPECT_EQ(back, "");
    EXPECT_TRUE(filled.empty());
}

TEST(Serialize, VectorsOfEveryKindRoundTrip) {
    std::vector<unsigned char> bytes = {1, 0, 255};
    std::vector<bool> flags = {true, false, true, true};
    std::vector<int> ints = {-1, 0, 70000};
    std::vector<uint16_t> shorts = {1, 0xFFFF};
    std::vector<float> floats = {0.5f, -2.0f};
    std::vector<std::string> strings = {"", "剣", "a b"};
    CSerialize s;
    s.SerializeByteVector(bytes).SerializeBoolVector(flags).SerializeIntVector(ints);
    s.SerializeVector16(shorts).SerializeVector32(floats).SerializeStringVector(strings);
    const Bytes& buf = s.GetBuffer();
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 15), (Bytes{3, 0, 0, 0, 1, 0, 255, 4, 0, 0, 0, 1, 0, 1, 1}));

    s.SetMode(false);
    std::vector<unsigned char> bytes2;
    std::vector<bool> flags2;
    std::vector<int> ints2;
    std::vector<uint16_t> shorts2;
    std::vector<float> floats2;
    std::vector<std::string> strings2 = {"old"};
    s.SerializeByteVector(bytes2).SerializeBoolVector(flags2).SerializeIntVector(ints2);
    s.SerializeVector16(shorts2).SerializeVector32(floats2).SerializeStringVector(strings2);
    EXPECT_EQ(bytes2, bytes);
    EXPECT_EQ(flags2, flags);
    EXPECT_EQ(ints2, ints);
    EXPECT_EQ(shorts2, shorts);
    EXPECT_EQ(floats2, floats);
    EXPECT_EQ(strings2, strings);
    EXPECT_FALSE(s.HasError());
    EXPECT_EQ(static_cast<size_t>(s.GetPositionRef()), buf.size());
}

TEST(Serialize, LoadedBoolBytesOtherThanZeroAreTrue) {
    CSerialize s = Loading({7, 2, 0, 0, 0, 0, 9});
    bool b = false;
    std::vector<bool> v;
    s.SerializeBool(b).SerializeBoolVector(v);
    EXPECT_TRUE(b);
    EXPECT_EQ(v, (std::vector<bool>{false, true}));
}

TEST(Serialize, SetStoringAppendsAfterLoadedBytes) {
    CSerialize s = Loading({5, 0, 0, 0});
    int n = 0;
    s.SerializeInt(n);
    EXPECT_EQ(n, 5);
    s.SetStoring(true);
    unsigned char c = 9;
    s.SerializeByte(c);
    EXPECT_EQ(s.GetBuffer(), (Bytes{5, 0, 0, 0, 9}));
    EXPECT_EQ(s.GetPositionRef(), 4);
    s.SetMode(true);  // storing again empties
    EXPECT_TRUE(s.GetBuffer().empty());
}

TEST(Serialize, NestedStreamCarriesBufferModeAndPosition) {
    CSerialize inner;
    int v = 0x01020304;
    inner.SerializeInt(v);
    inner.SetStoring(false);
    inner.GetPositionRef() = 2;
    CSerialize outer;
    outer.SerializeArchive(inner);
    EXPECT_EQ(outer.GetBuffer(), (Bytes{4, 0, 0, 0, 4, 3, 2, 1, 0, 2, 0, 0, 0}));
    outer.SetMode(false);
    CSerialize back;
    outer.SerializeArchive(back);
    EXPECT_EQ(back.GetBuffer(), inner.GetBuffer());
    EXPECT_FALSE(back.IsStoring());
    EXPECT_EQ(back.GetPositionRef(), 2);

    CSerialize copy;
    copy.CopyFrom(outer);
    EXPECT_EQ(copy.GetBuffer(), outer.GetBuffer());
    EXPECT_EQ(copy.GetPositionRef(), outer.GetPositionRef());
    EXPECT_FALSE(copy.IsStoring());
}

TEST(Serialize, SetBufferKeepsModeAndPosition) {
    CSerialize s;
    s.SetMode(false);
    EXPECT_EQ(s.SetBuffer(std::string("\x02\x00\x00\x00", 4)), 0);
    int n = 0;
    s.SerializeInt(n);
    EXPECT_EQ(n, 2);
}

// ---- damaged streams --------------------------------------------------------------

TEST(SerializeDamaged, ShortReadsYieldZeroAndSetTheError) {
    CSerialize s = Loading({1, 2});
    int n = 77;
    s.SerializeInt(n);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(s.HasError());
    EXPECT_EQ(s.GetPositionRef(), 2);
    unsigned char c = 5;
    bool b = true;
    std::string str = "x";
    s.SerializeByte(c).SerializeBool(b).SerializeString(str);
    EXPECT_EQ(c, 0);
    EXPECT_FALSE(b);
    EXPECT_EQ(str, "");
    s.SetMode(false);
    EXPECT_FALSE(s.HasError());
}

TEST(SerializeDamaged, StringWithoutItsZeroStopsAtTheEnd) {
    CSerialize s = Loading({'a', 'b', 'c'});
    std::string str;
    s.SerializeString(str);
    EXPECT_EQ(str, "abc");
    EXPECT_TRUE(s.HasError());
    EXPECT_EQ(s.GetPositionRef(), 3);
}

TEST(SerializeDamaged, CountsAreCappedByTheBytesPresent) {
    // A count of 0x7FFFFFFF with three bytes behind it.
    Bytes huge = {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    {
        CSerialize s = Loading(huge);
        std::vector<unsigned char> v;
        s.SerializeByteVector(v);
        EXPECT_EQ(v, (Bytes{1, 2, 3}));
        EXPECT_TRUE(s.HasError());
    }
    {
        CSerialize s = Loading(huge);
        std::vector<int> v;
        s.SerializeIntVector(v);
        EXPECT_TRUE(v.empty());
        EXPECT_TRUE(s.HasError());
    }
    {
        CSerialize s = Loading(huge);
        std::vector<std::string> v;
        s.SerializeStringVector(v);
        EXPECT_LE(v.size(), 3u);
        EXPECT_TRUE(s.HasError());
    }
    {
        CSerialize s = Loading(huge);
        std::vector<float> v;
        s.SerializeVector32(v);
        EXPECT_TRUE(v.empty());
    }
}

TEST(SerializeDamaged, NegativeCountsGiveEmptyVectors) {
    for (int kind = 0; kind < 4; ++kind) {
        CSerialize s = Loading({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4});
        std::vector<unsigned char> b = {1};
        std::vector<bool> f = {true};
        std::vector<int> i = {1};
        std::vector<uint16_t> w = {1};
        if (kind == 0) s.SerializeByteVector(b);
        if (kind == 1) s.SerializeBoolVector(f);
        if (kind == 2) s.SerializeIntVector(i);
        if (kind == 3) s.SerializeVector16(w);
        EXPECT_EQ(b.empty(), kind == 0);
        EXPECT_EQ(f.empty(), kind == 1);
        EXPECT_EQ(i.empty(), kind == 2);
        EXPECT_EQ(w.empty(), kind == 3);
        EXPECT_TRUE(s.HasError());
    }
}

TEST(SerializeDamaged, AWildPositionNeverReadsOutside) {
    CSerialize s = Loading({1, 2, 3, 4});
    s.GetPositionRef() = -100;
    int n = 5;
    std::vector<unsigned char> v;
    std::string str;
    s.SerializeInt(n).SerializeByteVector(v).SerializeString(str);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(s.HasError());
    s.GetPositionRef() = 1000;
    s.SerializeInt(n).SerializeByteVector(v).SerializeString(str);
    EXPECT_EQ(n, 0);
}

TEST(SerializeDamaged, EveryTruncationOfARecordLoadsSafely) {
    CSerialize s;
    std::vector<std::string> names = {"Hero", "Troop", ""};
    std::vector<int> ints = {1, -2, 3};
    std::string title = "VORMANT";
    s.SerializeStringVector(names).SerializeIntVector(ints).SerializeString(title);
    Bytes full = s.GetBuffer();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        CSerialize l = Loading(Bytes(full.begin(), full.begin() + static_cast<long>(cut)));
        std::vector<std::string> n2;
        std::vector<int> i2;
        std::string t2;
        l.SerializeStringVector(n2).SerializeIntVector(i2).SerializeString(t2);
        EXPECT_TRUE(l.HasError()) << cut;
        EXPECT_LE(static_cast<size_t>(l.GetPositionRef()), cut);
    }
}

// ---- files -------------------------------------------------------------------------

TEST(SerializeFile, SaveReplacesOrCreatesAndLoadAppends) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.path());
    std::ofstream(dir.path() + "Save0.dat", std::ios::binary) << "0123456789";
    CSerialize s;
    int n = 0x41424344;
    s.SerializeInt(n);
    EXPECT_EQ(s.SaveToFile("Save0.dat"), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.path() + "Save0.dat"), 4u);
    EXPECT_EQ(s.SaveToFile("Save1.dat"), 0);  // created

    CSerialize l;
    l.GetBuffer() = {9};
    EXPECT_EQ(l.LoadFromFile("save0.DAT"), 0);
    EXPECT_EQ(l.GetBuffer(), (Bytes{9, 0x44, 0x43, 0x42, 0x41}));
    EXPECT_TRUE(l.IsStoring());  // mode and position are left alone
    EXPECT_EQ(l.LoadFromFile("missing.dat"), -1);

    CSerialize empty;
    EXPECT_EQ(empty.SaveToFile("Empty.dat"), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.path() + "Empty.dat"), 0u);
    EXPECT_EQ(empty.SaveToFile(dir.path() + "no/such/folder/x.dat"), 1);
}

}  // namespace

#include <sys/stat.h>
#include <unistd.h>

namespace {
TEST(SerializeFile, ReplacementLeavesNoTemporaryBehind) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.path());
    std::ofstream(dir.path() + "save2.dat", std::ios::binary) << "a much longer old save file";
    CSerialize s;
    std::string text = "new";
    s.SerializeString(text);
    EXPECT_EQ(s.SaveToFile("Save2.dat"), 0);  // the existing file, matched without case
    std::ifstream in(dir.path() + "save2.dat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), std::string("new\0", 4));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "save2.dat.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "Save2.dat"));
}

TEST(SerializeFile, AFailedSaveKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "locked");
    std::ofstream(dir.path() + "locked/Save0.dat", std::ios::binary) << "old";
    ::chmod((dir.path() + "locked").c_str(), 0555);
    CSerialize s;
    int n = 1;
    s.SerializeInt(n);
    EXPECT_EQ(s.SaveToFile(dir.path() + "locked/Save0.dat"), 1);
    ::chmod((dir.path() + "locked").c_str(), 0755);
    std::ifstream in(dir.path() + "locked/Save0.dat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "old");
}
}  // namespace

namespace {
TEST(SerializeFile, ATargetThatCannotBeReplacedFailsCleanly) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() + "Save3.dat/inside");  // a folder in the way
    CSerialize s;
    int n = 7;
    s.SerializeInt(n);
    EXPECT_EQ(s.SaveToFile(dir.path() + "Save3.dat"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "Save3.dat/inside"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "Save3.dat.tmp"));
}
}  // namespace
