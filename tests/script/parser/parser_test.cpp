// Script files: comments, sections, header integers, commands with integer and string
// arguments, text blocks, and what broken scripts give.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ScenarioScript.h"
#include "golden.h"
#include "log/ErrorLog.h"

namespace {

// Lines joined with CR LF, the last one too.
std::string Crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

class ScriptParser : public ::testing::Test {
protected:
    void SetUp() override { cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path()); }
    void TearDown() override { cd_.reset(); }
    std::string Log() const {
        std::ifstream f(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
};

TEST_F(ScriptParser, KeywordTablesMapNamesToIds) {
    C_ScenarioScript s;
    EXPECT_EQ(s.LookupTrigger("Main"), 1);
    EXPECT_EQ(s.LookupTrigger("Detected"), 14);
    EXPECT_EQ(s.LookupTrigger("Flag"), 9);
    EXPECT_EQ(s.LookupCommand("Flag"), 20);
    EXPECT_EQ(s.LookupCommand("M_Erase"), 2);
    EXPECT_EQ(s.LookupCommand("MessageErase"), 2);
    EXPECT_EQ(s.LookupCommand("Sound"), 17);
    EXPECT_EQ(s.LookupCommand("NextStage"), 21);
    EXPECT_EQ(s.LookupCommand("Visual"), 0);
    EXPECT_EQ(s.LookupCommand("MissionFailedLogo"), 0);
    EXPECT_EQ(s.LookupCommand("RVTLogo"), 74);
    EXPECT_EQ(s.LookupCommand("TutorialWait"), 72);
    EXPECT_EQ(s.LookupCommand("InterMission"), 62);
    EXPECT_EQ(s.LookupCommand("message"), -1);  // case-sensitive
    EXPECT_EQ(s.LookupTrigger("main"), -1);
}

TEST_F(ScriptParser, WorkedExampleSectionWithArgumentsAndTextBlock) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "SetMarker(\"mk.png\",5,-7)", "Message()", "/", "一行目のテキスト", "二行目", "/",
                  "end"}));
    ASSERT_EQ(s.GetSections().size(), 1u);
    const ScriptSection& sec = s.GetSections()[0];
    EXPECT_EQ(sec.nTriggerID, 1);
    EXPECT_TRUE(sec.vTriggerArgs.empty());
    ASSERT_EQ(sec.vCommands.size(), 2u);
    EXPECT_EQ(sec.vCommands[0].nCommandID, 32);
    EXPECT_EQ(sec.vCommands[0].vString, std::vector<std::string>({"mk.png"}));
    EXPECT_EQ(sec.vCommands[0].vInt, std::vector<int32_t>({5, -7}));
    EXPECT_EQ(sec.vCommands[1].nCommandID, 1);
    EXPECT_TRUE(sec.vCommands[1].vInt.empty());
    EXPECT_EQ(sec.vCommands[1].vString, std::vector<std::string>({"一行目のテキスト", "二行目"}));
    EXPECT_EQ(s.GetParseErrorCount(), 0);
}

TEST_F(ScriptParser, HeaderBlanksAndSeparators) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script  Phase Start ( 1 ,  2 )Wait(1)", "end", "ScriptPhaseStart(1,2)end",
                  "Script FirstFight(12 34)end", "Script Value(3,  -4,12abc)end"}));
    ASSERT_EQ(s.GetSections().size(), 4u);
    EXPECT_EQ(s.GetSections()[0].nTriggerID, 3);
    EXPECT_EQ(s.GetSections()[0].vTriggerArgs, std::vector<int32_t>({1, 2}));
    EXPECT_EQ(s.GetSections()[0].vCommands.size(), 1u);
    EXPECT_EQ(s.GetSections()[1].vTriggerArgs, std::vector<int32_t>({1, 2}));
    EXPECT_TRUE(s.GetSections()[1].vCommands.empty());
    // Without a "," the separator takes the next argument's first character.
    EXPECT_EQ(s.GetSections()[2].vTriggerArgs, std::vector<int32_t>({12, 4}));
    EXPECT_EQ(s.GetSections()[3].vTriggerArgs, std::vector<int32_t>({3, -4, 12}));
}

TEST_F(ScriptParser, IntegersAndStringsAreCountedSeparately) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "SetPicture(\"a\", 5 ,\"b\",\"\",x7,+3)", "end"}));
    ASSERT_EQ(s.GetSections().size(), 1u);
    const ScriptCommand& c = s.GetSections()[0].vCommands.at(0);
    EXPECT_EQ(c.vString, std::vector<std::string>({"a", "b", ""}));
    EXPECT_EQ(c.vInt, std::vector<int32_t>({5, 0, 3}));
    EXPECT_EQ(c.Int(7), 0);
    EXPECT_EQ(c.Str(9), "");
}

TEST_F(ScriptParser, BlockAndLineComments) {
    C_ScenarioScript s;
    s.Parse(Crlf({"/# header", "Script Lost() ## not here", "#/Script Main()", "Wait(1) ## comment",
                  "Wait(2)", "## /# a block opened inside a line comment", "Wait(3)", "#/", "Wait(4)", "end",
                  "/#/Script Won()end"}));
    ASSERT_EQ(s.GetSections().size(), 2u);
    const ScriptSection& main = s.GetSections()[0];
    EXPECT_EQ(main.nTriggerID, 1);
    // A line comment ends at its line break: "Wait(2)" stays its own line.  Block
    // comments go first, so the one opened inside a line comment swallowed "Wait(3)".
    ASSERT_EQ(main.vCommands.size(), 3u);
    EXPECT_EQ(main.vCommands[0].vInt, std::vector<int32_t>({1}));
    EXPECT_EQ(main.vCommands[1].vInt, std::vector<int32_t>({2}));
    EXPECT_EQ(main.vCommands[2].vInt, std::vector<int32_t>({4}));
    // "/#/" is a complete three-byte comment.
    EXPECT_EQ(s.GetSections()[1].nTriggerID, 11);
}

TEST_F(ScriptParser, OnlyCommentsOrEmptyGivesNoSections) {
    C_ScenarioScript s;
    s.Parse("");
    s.Parse(Crlf({"## nothing", "/# still", "nothing #/"}));
    s.Parse("text without the keyword\r\n");
    EXPECT_TRUE(s.GetSections().empty());
    EXPECT_EQ(s.GetParseErrorCount(), 0);
}

TEST_F(ScriptParser, EndOnlyWhereACommandNameCouldStart) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Message()", "/", "the end is near", "end", "/", "Serif(1,\"weekend\")",
                  "Wait(5)", "end", "Script Won()", "", "  end", "Script Lost()end"}));
    ASSERT_EQ(s.GetSections().size(), 3u);
    // "end" inside a text line or a quoted argument does not end the section.
    ASSERT_EQ(s.GetSections()[0].vCommands.size(), 3u);
    EXPECT_EQ(s.GetSections()[0].vCommands[0].vString, std::vector<std::string>({"the end is near", "end"}));
    EXPECT_EQ(s.GetSections()[0].vCommands[1].vString, std::vector<std::string>({"weekend"}));
    EXPECT_EQ(s.GetSections()[0].vCommands[2].vInt, std::vector<int32_t>({5}));
    // "end" after a line break and blanks ends a section without commands.
    EXPECT_EQ(s.GetSections()[1].nTriggerID, 11);
    EXPECT_TRUE(s.GetSections()[1].vCommands.empty());
    EXPECT_EQ(s.GetSections()[2].nTriggerID, 12);
    EXPECT_EQ(s.GetParseErrorCount(), 0);
}

TEST_F(ScriptParser, NextSectionBeforeEndKeepsTheCommandsAndIsReported) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Wait(1)", "Script Won()", "Wait(2)", "end"}), "x.txt");
    ASSERT_EQ(s.GetSections().size(), 2u);
    EXPECT_EQ(s.GetSections()[0].vCommands.size(), 1u);
    EXPECT_EQ(s.GetSections()[1].nTriggerID, 11);
    EXPECT_EQ(s.GetSections()[1].vCommands.at(0).vInt, std::vector<int32_t>({2}));
    EXPECT_NE(Log().find("x.txt(1):"), std::string::npos);
}

TEST_F(ScriptParser, TextLinesKeepQuotesAndEmptyLinesAndLoseLeadingBlanks) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Serif(3,\"x\")", "  /", "  \"引用\"", "", "\tabc def", "  /", "Wait(1)", "end"}));
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 2u);
    EXPECT_EQ(sec.vCommands[0].vString, std::vector<std::string>({"x", "\"引用\"", "", "abc def"}));
    EXPECT_EQ(sec.vCommands[0].vInt, std::vector<int32_t>({3}));
    EXPECT_EQ(sec.vCommands[1].nCommandID, 25);
}

TEST_F(ScriptParser, TextLineEndingInSlashClosesTheBlock) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Message()", "/", "line/", "XWait(7)", "end"}));
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 2u);
    EXPECT_EQ(sec.vCommands[0].vString, std::vector<std::string>({"line/"}));
    // Reading goes on one byte into the next line.
    EXPECT_EQ(sec.vCommands[1].nCommandID, 25);
    EXPECT_EQ(sec.vCommands[1].vInt, std::vector<int32_t>({7}));
}

TEST_F(ScriptParser, SectionsAppendInFileOrderAcrossLoads) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Won()end", "Script Main()", "Wait(1)", "end"}));
    s.Parse(Crlf({"Script Lost()end"}));
    ASSERT_EQ(s.GetSections().size(), 3u);
    EXPECT_EQ(s.GetSections()[0].nTriggerID, 11);
    EXPECT_EQ(s.GetSections()[1].nTriggerID, 1);
    EXPECT_EQ(s.GetSections()[2].nTriggerID, 12);
}

TEST_F(ScriptParser, LoadScriptReadsTheScriptFolderAndChapterNames) {
    EXPECT_EQ(C_ScenarioScript::ChapterFileName(1), "chapter01.txt");
    EXPECT_EQ(C_ScenarioScript::ChapterFileName(12), "chapter12.txt");
    ASSERT_EQ(system(("mkdir -p " + dir_.path() + "script").c_str()), 0);
    {
        std::ofstream f(dir_.path() + "script/chapter03.txt", std::ios::binary);
        f << Crlf({"Script Main()", "Wait(3)", "end"});
        f.write("\0Script Won()end\r\n", 18);  // a NUL ends the text
    }
    C_ScenarioScript s;
    s.LoadChapter(3);
    ASSERT_EQ(s.GetSections().size(), 1u);
    EXPECT_EQ(s.GetSections()[0].strFile, "./script/chapter03.txt");
    s.LoadChapter(3);
    EXPECT_EQ(s.GetSections().size(), 2u);  // loading twice gives every section twice
    C_ScenarioScript missing;
    missing.LoadScript("nothere.txt");
    EXPECT_TRUE(missing.GetSections().empty());
    EXPECT_NE(Log().find("nothere.txt"), std::string::npos);
}

// ---- broken scripts: a clear line with file and line, the rest still read ----------

TEST_F(ScriptParser, UnknownTriggerSkipsItsSection) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Mian()", "Wait(1)", "end", "Script Main()", "Wait(2)", "end"}), "t.txt");
    ASSERT_EQ(s.GetSections().size(), 1u);
    EXPECT_EQ(s.GetSections()[0].vCommands.at(0).vInt[0], 2);
    EXPECT_EQ(s.GetParseErrorCount(), 1);
    EXPECT_NE(Log().find("t.txt(1):"), std::string::npos);
    EXPECT_NE(Log().find("Mian"), std::string::npos);
}

TEST_F(ScriptParser, UnknownCommandIsSkippedWithItsTextBlock) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Wait(1)", "Mesage()", "/", "Wait(9)", "/", "wait(3)", "Wait(4)", "end"}),
            "u.txt");
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 2u);
    EXPECT_EQ(sec.vCommands[0].vInt[0], 1);
    EXPECT_EQ(sec.vCommands[1].vInt[0], 4);
    EXPECT_EQ(s.GetParseErrorCount(), 2);
    EXPECT_NE(Log().find("u.txt(3):"), std::string::npos);
    EXPECT_NE(Log().find("u.txt(7):"), std::string::npos);
}

TEST_F(ScriptParser, MissingParenthesisIsReportedAndTheLineSkipped) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "M_Erase", "Wait(2)", "end", "Script Won", "end", "Script Lost()end"}), "p.txt");
    ASSERT_EQ(s.GetSections().size(), 2u);
    ASSERT_EQ(s.GetSections()[0].vCommands.size(), 1u);
    EXPECT_EQ(s.GetSections()[0].vCommands[0].nCommandID, 25);
    EXPECT_EQ(s.GetSections()[1].nTriggerID, 12);
    EXPECT_NE(Log().find("p.txt(2):"), std::string::npos);
    EXPECT_NE(Log().find("p.txt(5):"), std::string::npos);
}

TEST_F(ScriptParser, MissingParenthesisAtTheEndOfTheText) {
    C_ScenarioScript s;
    s.Parse("Script Main()\r\nWait(1)\r\nWait", "q.txt");
    s.Parse("Script Main", "q.txt");
    ASSERT_EQ(s.GetSections().size(), 1u);
    EXPECT_EQ(s.GetParseErrorCount(), 2);
}

TEST_F(ScriptParser, UnclosedQuoteReadsAsZeroAndIsReported) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "SetPicture(1,0,0,100,255,10,\"pic.png)", "Serif(2,\"a b\")", "/", "text", "/",
                  "Wait(2)", "end"}),
            "q.txt");
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 3u);
    EXPECT_EQ(sec.vCommands[0].nCommandID, 29);
    EXPECT_EQ(sec.vCommands[0].vInt, std::vector<int32_t>({1, 0, 0, 100, 255, 10, 0}));
    EXPECT_TRUE(sec.vCommands[0].vString.empty());
    // A blank inside quotes ends the token: its first half is the number 0 and the rest,
    // with no "," before the ")", is not read; the text block stays.
    EXPECT_EQ(sec.vCommands[1].vInt, std::vector<int32_t>({2, 0}));
    EXPECT_EQ(sec.vCommands[1].vString, std::vector<std::string>({"text"}));
    EXPECT_EQ(sec.vCommands[2].nCommandID, 25);
    EXPECT_EQ(s.GetParseErrorCount(), 2);
    EXPECT_NE(Log().find("q.txt(2):"), std::string::npos);
    EXPECT_NE(Log().find("q.txt(3):"), std::string::npos);
}

TEST_F(ScriptParser, MissingEndKeepsTheSectionWithoutCommands) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Wait(1)", "Wait(2)"}), "e.txt");
    ASSERT_EQ(s.GetSections().size(), 1u);
    EXPECT_TRUE(s.GetSections()[0].vCommands.empty());
    EXPECT_NE(Log().find("e.txt(1):"), std::string::npos);
}

TEST_F(ScriptParser, LastLineWithoutLineBreakIsDroppedAndReported) {
    C_ScenarioScript s;
    s.Parse("Script Main()\r\nWait(1)\r\nWait(2)end", "l.txt");
    ASSERT_EQ(s.GetSections().size(), 1u);
    EXPECT_EQ(s.GetSections()[0].vCommands.size(), 1u);
    EXPECT_EQ(s.GetParseErrorCount(), 1);
}

TEST_F(ScriptParser, UnclosedTextBlockGivesNoLinesAndReadsThemAsCommands) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Message()", "/", "Wait(8)", "end"}), "b.txt");
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 2u);
    EXPECT_TRUE(sec.vCommands[0].vString.empty());
    EXPECT_EQ(sec.vCommands[1].vInt, std::vector<int32_t>({8}));
    EXPECT_NE(Log().find("b.txt(3):"), std::string::npos);
}

TEST_F(ScriptParser, BlankBeforeTheClosingParenthesisLosesNothing) {
    C_ScenarioScript s;
    s.Parse(Crlf({"Script Main()", "Wait(30 )", "Wait(1)", "PlusMoney(5, 6)", "end"}));
    const ScriptSection& sec = s.GetSections().at(0);
    ASSERT_EQ(sec.vCommands.size(), 3u);
    EXPECT_EQ(sec.vCommands[0].vInt, std::vector<int32_t>({30}));
    EXPECT_EQ(sec.vCommands[1].vInt, std::vector<int32_t>({1}));
    EXPECT_EQ(sec.vCommands[2].vInt, std::vector<int32_t>({5, 6}));
}

TEST_F(ScriptParser, LineNumbersCountFromTheFileBeforeComments) {
    C_ScenarioScript s;
    s.Parse(Crlf({"/# one", "two", "three #/", "Script Main()", "## five", "Bogus(1)", "end"}), "n.txt");
    EXPECT_NE(Log().find("n.txt(6):"), std::string::npos);
}

TEST_F(ScriptParser, GarbageNeverHangsOrCrashes) {
    const std::vector<std::string> samples = {
        "Script", "Script(", "Script Main(", "Script Main()", "Script Main()\r\n(", "Script Main()\r\n/\r\n",
        "Script Main()\r\nMessage(\r\n/\r\n/", "Script Main()\r\nWait(\"\r\nend", "ScriptScriptScript()end",
        "Script Main()\r\nMessage()\r\n/\r\n\r\n", "end end end Script Main() end", "\"\"\"()()(),,,\r\n\r\n"};
    for (const std::string& t : samples) {
        C_ScenarioScript s;
        s.Parse(t, "g.txt");
        SUCCEED();
    }
    // Every byte prefix of a real script.
    const std::string full = Crlf({"Script Main()", "Serif(1,\"a\")", "/", "text", "/", "Wait(2)", "end"});
    for (size_t n = 0; n <= full.size(); ++n) {
        C_ScenarioScript s;
        s.Parse(full.substr(0, n), "g.txt");
    }
}

}  // namespace
