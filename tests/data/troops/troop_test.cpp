// The troop file's syntax and the party troops' archive.
#include <gtest/gtest.h>

#include "../data_test_util.h"
#include "PartyData.h"
#include "TroopData.h"
#include "archive/gvlStringMap.h"


namespace {

CTroopTypeTable Parse(const std::string& utf8) {
    CTroopTypeTable t;
    t.LoadText(datatest::GameBytes(utf8));
    return t;
}

TEST(TroopFile, EntriesWithSpacesAroundTheEquals) {
    CTroopTypeTable t = Parse("<Troop>\nTypeID = 12 ;\nLV=3;\nname =  剣士 隊 ;\n</Troop>\n");
    ASSERT_EQ(t.GetCount(), 1);
    EXPECT_EQ(t.GetEntry(0).TypeID, 12);
    EXPECT_EQ(t.GetEntry(0).nLV, 3);
    EXPECT_EQ(t.GetEntry(0).name, std::string("剣士 隊 "));  // inner and trailing spaces kept
}

TEST(TroopFile, EqualsIsOptionalAndFullWidthSpacesAreBlanks) {
    CTroopTypeTable t = Parse("　<Troop>　\n\tTypeID 7;　LV　=　4;\n</Troop>");
    ASSERT_EQ(t.GetCount(), 1);
    EXPECT_EQ(t.GetEntry(0).TypeID, 7);
    EXPECT_EQ(t.GetEntry(0).nLV, 4);
}

TEST(TroopFile, ExpGivesCostAndGrowth) {
    CTroopTypeTable t = Parse("<Troop>\nEXP=30,150;\n</Troop>\n<Troop>\nEXP = 40, 125 ;\n</Troop>\n");
    EXPECT_EQ(t.GetEntry(0).nEXP, 30);
    EXPECT_DOUBLE_EQ(t.GetEntry(0).dEXPUP, 1.5);
    EXPECT_EQ(t.GetEntry(1).nEXP, 40);
    EXPECT_DOUBLE_EQ(t.GetEntry(1).dEXPUP, 1.25);
}

TEST(TroopFile, CanUseIsZeroOnlyForTheTextZero) {
    CTroopTypeTable t = Parse(
        "<Troop>CanUse=0;</Troop>\n<Troop>CanUse=00;</Troop>\n<Troop>CanUse=no;</Troop>\n"
        "<Troop>CanUse = 0 ;</Troop>\n<Troop>CanUse=1;</Troop>\n");
    ASSERT_EQ(t.GetCount(), 5);
    EXPECT_EQ(t.GetEntry(0).m_bCanUse, 0);
    EXPECT_EQ(t.GetEntry(1).m_bCanUse, 1);
    EXPECT_EQ(t.GetEntry(2).m_bCanUse, 1);
    EXPECT_EQ(t.GetEntry(3).m_bCanUse, 0);
    EXPECT_EQ(t.GetEntry(4).m_bCanUse, 1);
}

TEST(TroopFile, IntegersStopAtTheFirstOtherCharacter) {
    CTroopTypeTable t = Parse("<Troop>TypeID=12ab;LV=x3;</Troop>\n<Troop>TypeID=-4;</Troop>\n");
    EXPECT_EQ(t.GetEntry(0).TypeID, 12);
    EXPECT_EQ(t.GetEntry(0).nLV, 0);
    EXPECT_EQ(t.GetEntry(1).TypeID, -4);
}

TEST(TroopFile, CommentsNestAndLineCommentsEndTheLine) {
    CTroopTypeTable t = Parse(
        "// a heading <Troop>\n"
        "/* outer /* inner */ still a comment <Troop> */\n"
        "<Troop> // the first troop\n"
        "TypeID=1; /* // not a line comment */ LV=2;\n"
        "/* spans\n lines <Troop>\n */ name=A;\n"
        "</Troop>\n");
    ASSERT_EQ(t.GetCount(), 1);
    EXPECT_EQ(t.GetEntry(0).TypeID, 1);
    EXPECT_EQ(t.GetEntry(0).nLV, 2);
    EXPECT_EQ(t.GetEntry(0).name, "A");
}

TEST(TroopFile, BranchEntriesArePairs) {
    CTroopTypeTable t = Parse(
        "<Troop>\nTypeID=1;\n<Branch>\n3,7;\n 5,9; 8;\n</Branch>\nLV=6;\n</Troop>\n");
    ASSERT_EQ(t.GetCount(), 1);
    const auto& b = t.GetEntry(0).m_vBranch;
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0], std::make_pair(3, 7));
    EXPECT_EQ(b[1], std::make_pair(5, 9));
    EXPECT_EQ(b[2], std::make_pair(8, 8));  // without a comma both values are the number
    EXPECT_EQ(t.GetEntry(0).nLV, 6);
}

TEST(TroopFile, SectionsInFileOrderAndReloadingReplaces) {
    std::string text = "<Troop>TypeID=1;</Troop>\n<Troop>TypeID=2;</Troop>\n";
    CTroopTypeTable t = Parse(text);
    t.LoadText(datatest::GameBytes(text));
    ASSERT_EQ(t.GetCount(), 2);
    EXPECT_EQ(t.GetEntry(0).TypeID, 1);
    EXPECT_EQ(t.GetEntry(1).TypeID, 2);
}

TEST(TroopFile, FieldsNotGivenAreZero) {
    CTroopTypeTable t = Parse("<Troop></Troop>\n");
    ASSERT_EQ(t.GetCount(), 1);
    const CTroopType& e = t.GetEntry(0);
    EXPECT_EQ(e.TypeID, 0);
    EXPECT_EQ(e.nLV, 0);
    EXPECT_EQ(e.m_bCanUse, 0);
    EXPECT_TRUE(e.name.empty());
    EXPECT_TRUE(e.m_vBranch.empty());
    EXPECT_EQ(e.nEXP, 0);
}

TEST(TroopFile, FileWithoutTroopsIsEmptyAndSilent) {
    datatest::LogCapture log;
    CTroopTypeTable t = Parse("// nothing here\n/* at all */\n");
    EXPECT_EQ(t.GetCount(), 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(TroopFile, UnknownTextIsLoggedAndSkippedToTheNextSemicolon) {
    datatest::LogCapture log;
    CTroopTypeTable t = Parse(
        "stray;\n<Troop>\nColour=red; TypeID=5;\nLV=3\nname=B;\n<Branch>\n1,2\n</Branch>\n</Troop>\n"
        "<Branch>\n</Branch>\n");
    ASSERT_EQ(t.GetCount(), 1);
    EXPECT_EQ(t.GetEntry(0).TypeID, 5);
    EXPECT_EQ(t.GetEntry(0).nLV, 0);  // the entry without ";" is dropped
    EXPECT_EQ(t.GetEntry(0).name, "B");
    EXPECT_TRUE(t.GetEntry(0).m_vBranch.empty());
    EXPECT_EQ(log.Lines().size(), 5u) << log.All();
}

TEST(TroopFile, UnclosedCommentIsLogged) {
    datatest::LogCapture log;
    CTroopTypeTable t = Parse("<Troop>TypeID=1;</Troop>\n/* open\n");
    EXPECT_EQ(t.GetCount(), 1);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(TroopFile, EntryOutOfRangeIsLoggedAndEmpty) {
    CTroopTypeTable t = Parse("<Troop>TypeID=1;</Troop>\n");
    datatest::LogCapture log;
    EXPECT_EQ(t.GetEntry(3).TypeID, 0);
    EXPECT_EQ(t.GetEntry(-1).m_bCanUse, 0);
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(TroopFile, LoadsThroughTheFileLayer) {
    datatest::LogCapture log;
    std::filesystem::create_directories(log.Dir() + "gamedata");
    std::ofstream(log.Dir() + "gamedata/Troop.txt", std::ios::binary)
        << datatest::GameText("<Troop>\nTypeID=3;\nname=弓兵隊;\n</Troop>\n");
    CTroopTypeTable t;
    t.LoadFile();
    ASSERT_EQ(t.GetCount(), 1);
    EXPECT_EQ(t.GetEntry(0).name, std::string("弓兵隊"));
    EXPECT_TRUE(log.Lines().empty()) << log.All();
}

const char* kTwoTroops =
    "<Troop>TypeID=1;name=剣;LV=1;CanUse=1;</Troop>\n"
    "<Troop>TypeID=2;name=弓;LV=2;CanUse=0;</Troop>\n"
    "<Troop>TypeID=3;name=槍;LV=3;CanUse=0;</Troop>\n";

TEST(TroopArchive, RoundTripKeepsLevelsAndUsableFlags) {
    CTroopTypeTable t = Parse(kTwoTroops);
    t.GetEntry(0).nLV = 9;
    t.GetEntry(1).m_bCanUse = 1;
    t.GetEntry(1).nLV = 5;
    CStringMap archive;
    t.SaveToArchive(archive);
    EXPECT_EQ(archive.GetString("m_Troops/size", ""), "3");
    EXPECT_EQ(archive.GetString("m_Troops/0/nLV", ""), "9");
    EXPECT_EQ(archive.GetString("m_Troops/1/TypeID", ""), "2");
    EXPECT_EQ(archive.GetString("m_Troops/1/m_bCanUse", ""), "1");

    CTroopTypeTable fresh = Parse(kTwoTroops);
    fresh.LoadFromArchive(archive);
    EXPECT_EQ(fresh.GetEntry(0).nLV, 9);
    EXPECT_EQ(fresh.GetEntry(1).m_bCanUse, 1);
    EXPECT_EQ(fresh.GetEntry(1).nLV, 5);
    EXPECT_EQ(fresh.GetEntry(2).nLV, 3);
    EXPECT_EQ(archive.GetPrefix(), "");
}

TEST(TroopArchive, UnusableTroopKeepsTheFileLevel) {
    CStringMap archive;
    archive.SetInt64("m_Troops/size", 1);
    archive.SetInt64("m_Troops/0/TypeID", 3);
    archive.SetInt64("m_Troops/0/nLV", 12);
    archive.SetInt64("m_Troops/0/m_bCanUse", 0);
    CTroopTypeTable t = Parse(kTwoTroops);
    t.LoadFromArchive(archive);
    EXPECT_EQ(t.GetEntry(2).nLV, 3);
    EXPECT_EQ(t.GetEntry(2).m_bCanUse, 0);
}

TEST(TroopArchive, OlderSavesMatchByExactName) {
    CStringMap archive;
    archive.SetInt64("m_Troops/size", 3);
    archive.SetString("m_Troops/0/name", std::string("弓"));
    archive.SetInt64("m_Troops/0/nLV", 7);
    archive.SetInt64("m_Troops/0/m_bCanUse", 1);
    archive.SetString("m_Troops/1/name", std::string("弓 "));  // no exact match: skipped
    archive.SetInt64("m_Troops/1/nLV", 8);
    archive.SetInt64("m_Troops/1/m_bCanUse", 1);
    archive.SetInt64("m_Troops/2/TypeID", 99);  // not in the table: skipped
    archive.SetInt64("m_Troops/2/m_bCanUse", 1);
    CTroopTypeTable t = Parse(kTwoTroops);
    t.LoadFromArchive(archive);
    EXPECT_EQ(t.GetEntry(1).nLV, 7);
    EXPECT_EQ(t.GetEntry(1).m_bCanUse, 1);
    EXPECT_EQ(t.GetEntry(0).nLV, 1);
    EXPECT_EQ(t.GetEntry(2).m_bCanUse, 0);
    // A table troop that the save lacks keeps the file's values, here usable with LV 1.
    EXPECT_EQ(t.GetEntry(0).m_bCanUse, 1);
}

TEST(PartyTroops, UsedPersonsAndHeroes) {
    CPartyData party;
    EXPECT_EQ(party.Difficulty, 2);
    party.AddUsedPerson(4);
    party.AddUsedPerson(4);
    party.AddUsedPerson(6);
    EXPECT_EQ(party.m_mapUsedPerson[4], 2);
    EXPECT_EQ(party.m_mapUsedPerson[6], 1);
    party.AddHero(1, 3);
    party.AddHero(1, 5);
    ASSERT_EQ(party.m_Heros.size(), 2u);
    EXPECT_EQ(party.m_Heros[1].m_LV, 5);
    EXPECT_EQ(party.m_Heros[1].m_nPlaced, -1);
    EXPECT_TRUE(party.m_Heros[1].m_bCanUse);
    EXPECT_FALSE(party.m_Heros[1].m_bForcePlaced);
}

}  // namespace

namespace {

TEST(PartyHeroes, HeroEntryArchiveRoundTrip) {
    HeroEntry h;
    h.m_typeID = 4;
    h.m_LV = 9;
    h.m_nPlaced = 2;
    h.m_bCanUse = true;
    h.m_bForcePlaced = true;
    CStringMap archive;
    archive.EnterGroup("m_Heros0");
    h.Save(archive);
    EXPECT_EQ(archive.GetString("m_typeID", ""), "4");
    HeroEntry back;
    back.Load(archive);
    archive.LeaveGroup();
    EXPECT_EQ(archive.GetString("m_Heros0/m_nPlaced", ""), "2");
    EXPECT_EQ(back.m_typeID, 4);
    EXPECT_EQ(back.m_LV, 9);
    EXPECT_EQ(back.m_nPlaced, 2);
    EXPECT_TRUE(back.m_bCanUse);
    EXPECT_TRUE(back.m_bForcePlaced);
}

TEST(PartyHeroes, MissingOrBrokenPlacementMeansNotPlaced) {
    CStringMap archive;
    HeroEntry h;
    h.Load(archive);
    EXPECT_EQ(h.m_typeID, -1);
    EXPECT_EQ(h.m_LV, 0);
    EXPECT_EQ(h.m_nPlaced, -1);
    EXPECT_FALSE(h.m_bCanUse);
    archive.SetInt64("m_nPlaced", -2147483648LL);
    h.Load(archive);
    EXPECT_EQ(h.m_nPlaced, -1);
}

}  // namespace
