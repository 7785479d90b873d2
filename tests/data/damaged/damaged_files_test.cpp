// Files that are there but cannot be read as what they should be: each is named in
// the log once, with what was wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "../data_test_util.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "framework/gvlIniFile.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

void Write(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

TEST(DamagedFiles, AChapterScriptOfRandomBytesIsNamedOnce) {
    datatest::LogCapture log;
    Write(log.Dir() + "script/chapter07.txt", RandomBytes(3000, 7));
    for (int i = 0; i < 3; ++i) {
        C_ScenarioScript script;
        script.LoadChapter(7);
        EXPECT_TRUE(script.GetSections().empty());
    }
    EXPECT_EQ(Count(log.All(), "chapter07.txt には Script セクションが一つもありません"), 1u) << log.All();
}

TEST(DamagedFiles, ASettingsFileOfRandomBytesIsNamedOnceAndDefaultsHold) {
    datatest::LogCapture log;
    const std::string ini = log.Dir() + "Broken.ini";
    Write(ini, RandomBytes(300, 11));
    EXPECT_EQ(CIniFile::GetInt("general", "WindowMode", ini), 10000u);
    EXPECT_EQ(CIniFile::GetInt("general", "FPS", ini), 10000u);
    EXPECT_EQ(Count(log.All(), "Broken.ini: 設定として読めない行が"), 1u) << log.All();
    // A sound file says nothing.
    const std::string good = log.Dir() + "Good.ini";
    Write(good, "; settings\r\n[general]\r\nWindowMode=1\r\n\r\nFPS = 0\r\n");
    EXPECT_EQ(CIniFile::GetInt("general", "WindowMode", good), 1u);
    EXPECT_EQ(Count(log.All(), "Good.ini"), 0u);
}

TEST(DamagedFiles, APersonTableOfRandomBytesOrWithWordsForNumbersIsNamed) {
    {
        datatest::LogCapture log;
        CPersonTypeTable::Clear();
        Write(log.Dir() + "gamedata/person.csv", RandomBytes(3000, 3));
        CPersonTypeTable::LoadCsv();
        EXPECT_EQ(CPersonTypeTable::GetCount(), 0);
        EXPECT_NE(log.All().find("gamedata/person.csv に typeID の列がありません"), std::string::npos) << log.All();
        CPersonTypeTable::Clear();
    }
    {
        datatest::LogCapture log;
        Write(log.Dir() + "gamedata/person.csv",
              datatest::GameTextFromUtf8("typeID,name,s_name,hero,HP,HPUP,str\n1,A,A,1,thirty,1.0,9\n2,B,B,0,20,x,8\n"));
        CPersonTypeTable::LoadCsv();
        EXPECT_EQ(CPersonTypeTable::GetCount(), 2);
        EXPECT_EQ(Count(log.All(), "数であるはずの欄に数として読み切れないものが 2 個"), 1u) << log.All();
        EXPECT_NE(log.All().find("2 行目 HP 列の \"thirty\" を 0 として読みました"), std::string::npos) << log.All();
        CPersonTypeTable::Clear();
    }
    // The line says what was read, and a number written in any form the column reads
    // says nothing.
    struct Case {
        const char* column;
        const char* cell;
        const char* logged;  // what the line says was taken (nullptr: no line)
    };
    const Case cases[] = {
        {"HP", "1e9", nullptr},         {"HP", " 2.5E+3 ", nullptr},    {"HP", "12abc", "12"},
        {"HP", "inf", "inf"},           {"HP", "1e999", "inf"},         {"MP", "1e9", "1"},
        {"MP", " -7 ", nullptr},        {"MP", "99999999999", "2147483647"}, {"MP", "3.5", "3"},
        {"EXPUP", "1.5", nullptr},      {"EXP", "--4", "0"},
    };
    for (const Case& c : cases) {
        datatest::LogCapture log;
        Write(log.Dir() + "gamedata/person.csv",
              datatest::GameTextFromUtf8(std::string("typeID,name,hero,") + c.column + "\n1,A,1," + c.cell + "\n"));
        CPersonTypeTable::LoadCsv();
        const size_t line = log.All().find("読み切れないもの");
        if (!c.logged) {
            EXPECT_EQ(line, std::string::npos) << c.column << " " << c.cell << ": " << log.All();
        } else {
            EXPECT_NE(log.All().find(std::string("\"") + c.cell + "\" を " + c.logged + " として読みました"),
                      std::string::npos)
                << c.column << " " << c.cell << ": " << log.All();
        }
        CPersonTypeTable::Clear();
    }
    CPersonTypeTable::Clear();
    {
        datatest::LogCapture log;
        Write(log.Dir() + "gamedata/person.csv", datatest::GameTextFromUtf8("typeID,name,hero,HP\n1,A,1,1e9\n"));
        CPersonTypeTable::LoadCsv();
        EXPECT_EQ(CPersonTypeTable::Get(1).dMaxHP, 1e9);
        CPersonTypeTable::Clear();
    }
}

}  // namespace
