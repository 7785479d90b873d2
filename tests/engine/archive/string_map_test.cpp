#include <gtest/gtest.h>

#include <climits>

#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(NumberText, Int64ToStringForms) {
    EXPECT_EQ(Int64ToString(0), "0");
    EXPECT_EQ(Int64ToString(-5), "-5");
    EXPECT_EQ(Int64ToString(1234567890123LL), "1234567890123");
    EXPECT_EQ(Int64ToString(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(Int64ToString(LLONG_MAX), "9223372036854775807");
    std::string out = "stale";
    Int64ToStringInto(42, out);
    EXPECT_EQ(out, "42");
}

TEST(NumberText, ParseInt64Rules) {
    int64_t v = 9;
    EXPECT_EQ(ParseInt64("12ab", v), 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(ParseInt64("-17x", v), 0);
    EXPECT_EQ(v, -17);
    EXPECT_EQ(ParseInt64("-9223372036854775808", v), 0);
    EXPECT_EQ(v, LLONG_MIN);
    for (const char* bad : {"", "-", "+5", " 5", "abc", "--1"}) {
        v = 9;
        EXPECT_EQ(ParseInt64(bad, v), 1) << bad;
        EXPECT_EQ(v, 0) << bad;
    }
}

TEST(StringMap, KeysJoinOpenGroupsWithSlash) {
    CStringMap m;
    m.EnterGroup("a");
    m.EnterGroup("b");
    m.EnterGroup("c");
    m.SetInt64("f", 3);
    EXPECT_EQ(m.GetPrefix(), "a/b/c");
    m.LeaveGroup();
    EXPECT_EQ(m.GetPrefix(), "a/b");
    m.LeaveGroup();
    m.LeaveGroup();
    m.LeaveGroup();  // with an empty prefix it stays empty
    EXPECT_EQ(m.GetPrefix(), "");
    EXPECT_EQ(m.GetMap().at("a/b/c/f"), "3");
    EXPECT_EQ(m.GetInt("a/b/c/f", -1), 3);
}

TEST(StringMap, GettersAndTheirDefaults) {
    CStringMap m;
    m.SetString("word", "abc");
    m.SetString("num", "-17x");
    m.SetString("empty", "");
    m.SetInt64("zero", 0);
    m.SetInt64("neg", -5);
    m.SetInt64("big", 0x100000005LL);
    EXPECT_EQ(m.GetInt("word", 8), 8);
    EXPECT_EQ(m.GetInt("num", 8), -17);
    EXPECT_EQ(m.GetInt("empty", 8), 8);
    EXPECT_EQ(m.GetInt("missing", 8), 8);
    EXPECT_EQ(m.GetMap().at("zero"), "0");
    EXPECT_EQ(m.GetMap().at("neg"), "-5");
    EXPECT_EQ(m.GetInt("big", 0), 5);  // the low 32 bits
    EXPECT_EQ(m.GetInt64("big", 0), 0x100000005LL);
    EXPECT_EQ(m.GetInt64("word", -3), -3);
    EXPECT_EQ(m.GetString("empty", "def"), "def");
    EXPECT_EQ(m.GetString("word", "def"), "abc");
    EXPECT_EQ(m.GetString("missing", "def"), "def");

    int64_t v = 5;
    EXPECT_EQ(m.FindInt("missing", v), -1);
    EXPECT_EQ(v, 0);
    v = 5;
    EXPECT_EQ(m.FindInt("word", v), 1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(m.FindInt("neg", v), 0);
    EXPECT_EQ(v, -5);
    std::string s = "stale";
    EXPECT_EQ(m.FindString("missing", s), -1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(m.FindString("empty", s), 0);
    EXPECT_EQ(s, "");
}

TEST(StringMap, AppendEraseAndClear) {
    CStringMap m;
    m.EnterGroup("g");
    m.AppendString("x", "a");
    m.AppendString("x", "b");
    EXPECT_EQ(m.GetString("x", ""), "ab");
    m.LeaveGroup();
    m.SetString("x", "top");
    m.EnterGroup("g");
    EXPECT_TRUE(m.EraseKey("x"));  // the key as given, not g/x
    EXPECT_FALSE(m.EraseKey("x"));
    EXPECT_EQ(m.GetString("x", ""), "ab");
    m.Clear();
    EXPECT_TRUE(m.GetMap().empty());
    EXPECT_EQ(m.GetPrefix(), "g");
}

TEST(StringMap, KeysSortByteWise) {
    CStringMap m;
    m.SetString("b", "2");
    m.SetString("a", "1");
    m.SetString("B", "3");
    m.SetString("ab", "4");
    m.SetString("\x82\xa0", "5");  // bytes above 0x7F come after ASCII
    std::vector<std::string> keys;
    for (const auto& kv : m.GetMap()) keys.push_back(kv.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "ab", "b", "\x82\xa0"}));
}

TEST(StringMap, StreamFormIsCountThenPairsInKeyOrder) {
    CStringMap m;
    m.SetString("b", "x");
    m.SetString("a", "");
    CSerialize s;
    s.SerializeObject(m);
    EXPECT_EQ(s.GetBuffer(), (Bytes{2, 0, 0, 0, 'a', 0, 0, 'b', 0, 'x', 0}));

    CStringMap back;
    back.SetString("old", "gone");
    back.EnterGroup("keep");
    s.SetMode(false);
    s.SerializeObject(back);
    EXPECT_EQ(back.GetMap(), m.GetMap());
    EXPECT_EQ(back.GetPrefix(), "keep");
}

TEST(StringMap, EmptyMapIsFourZeroBytes) {
    CStringMap m;
    CSerialize s;
    m.Serialize(s);
    EXPECT_EQ(s.GetBuffer(), (Bytes{0, 0, 0, 0}));
    CStringMap full;
    full.SetString("k", "v");
    s.SetMode(false);
    full.Serialize(s);
    EXPECT_TRUE(full.GetMap().empty());
}

TEST(StringMap, RepeatedKeyInAStreamKeepsTheFirstValue) {
    CSerialize s;
    s.SetBuffer(std::string("\x02\x00\x00\x00k\0one\0k\0two\0", 16));
    s.SetMode(false);
    CStringMap m;
    m.Serialize(s);
    EXPECT_EQ(m.GetMap().size(), 1u);
    EXPECT_EQ(m.GetString("k", ""), "one");
}

TEST(StringMap, DamagedStreamKeepsWholePairsOnly) {
    CStringMap m;
    for (int i = 0; i < 5; ++i) m.SetInt64("Key" + Int64ToString(i), i * 11);
    CSerialize s;
    m.Serialize(s);
    Bytes full = s.GetBuffer();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        CSerialize l;
        l.GetBuffer().assign(full.begin(), full.begin() + static_cast<long>(cut));
        l.SetMode(false);
        CStringMap back;
        back.Serialize(l);
        EXPECT_TRUE(l.HasError()) << cut;
        EXPECT_LT(back.GetMap().size(), 5u);
        for (const auto& [k, v] : back.GetMap()) EXPECT_EQ(m.GetMap().at(k), v);
    }
    // A count far beyond the bytes present.
    CSerialize l;
    l.SetBuffer(std::string("\xFF\xFF\xFF\x7F" "a\0b\0", 8));
    l.SetMode(false);
    CStringMap back;
    back.Serialize(l);
    EXPECT_EQ(back.GetMap().size(), 1u);
    EXPECT_TRUE(l.HasError());
}

TEST(StringMap, CopiesCarryEntriesAndPrefix) {
    CStringMap m;
    m.EnterGroup("p");
    m.SetString("k", "v");
    CStringMap c(m);
    EXPECT_EQ(c.GetPrefix(), "p");
    EXPECT_EQ(c.GetString("k", ""), "v");
    CStringMap d;
    d = m;
    EXPECT_EQ(d.GetMap(), m.GetMap());
}

TEST(ReplaceText, ReplacesAllNonOverlapping) {
    std::string t = "aaa-AAA";
    ReplaceAllInText(t, "aa", "b", 1);
    EXPECT_EQ(t, "ba-AAA");
    t = "aaa-AAA";
    ReplaceAllInText(t, "aa", "b", 0);
    EXPECT_EQ(t, "ba-bA");
    t = "";
    ReplaceAllInText(t, "a", "b", 0);
    EXPECT_EQ(t, "");
    t = "abc";
    ReplaceAllInText(t, "", "x", 0);
    EXPECT_EQ(t, "abc");
}

TEST(ReplaceText, TwoByteCharactersAreSteppedOverWhole) {
    // "ア" is 83 41: its second byte must not be taken for the letter A.
    std::string t = "\x83\x41" "A";
    ReplaceAllInText(t, "A", "Z", 0);
    EXPECT_EQ(t, "\x83\x41Z");
    // Folding does not apply to a trail byte: 83 61 does not match 83 41.
    t = "\x83\x61";
    ReplaceAllInText(t, "\x83\x41", "X", 0);
    EXPECT_EQ(t, "\x83\x61");
    t = "\x83\x41";
    ReplaceAllInText(t, "\x83\x41", "X", 0);
    EXPECT_EQ(t, "X");
}

TEST(ReplaceText, ReplaceKeysUsesKeyOrder) {
    CStringMap m;
    m.SetString("$B", "b");
    m.SetString("$A", "$B");
    std::string t = "$A $B";
    m.ReplaceKeys(t, 1);
    EXPECT_EQ(t, "b b");  // $A first gives "$B $B", then $B
}

}  // namespace
