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
        EXPECT_EQ(Count(log.All(), "数であるはずの欄に数でないものが 2 個"), 1u) << log.All();
        EXPECT_NE(log.All().find("2 行目 HP 列の \"thirty\""), std::string::npos) << log.All();
        CPersonTypeTable::Clear();
    }
}

}  // namespace
