// The skill table: header and id rules, cell conversions, flags.
#include <gtest/gtest.h>

#include "../data_test_util.h"
#include "SkillData.h"

using datatest::Rows;

namespace {

CSkillData Make(const std::string& csv) {
    CSkillData s;
    s.LoadRows(Rows(csv));
    return s;
}

TEST(SkillTable, ReadsEveryColumnByHeaderName) {
    CSkillData s = Make(datatest::kSkillCsv);
    EXPECT_EQ(s.GetName(3), std::string("火球"));
    EXPECT_EQ(s.GetComment(3), std::string("燃やす"));
    EXPECT_EQ(s.GetType(3), 2);
    EXPECT_EQ(s.GetPath(2), 1);
    EXPECT_EQ(s.GetPower(5), 30);
    EXPECT_EQ(s.GetEffect(6), 10);
    EXPECT_EQ(s.GetMp(3), 5);
    EXPECT_EQ(s.GetRange1(2), 2);
    EXPECT_EQ(s.GetRange2(5), 9);
    EXPECT_EQ(s.GetRegion1(5), 1);
    EXPECT_EQ(s.GetRegion2(5), 1);
    EXPECT_TRUE(s.GetBackAtk(2));
    EXPECT_FALSE(s.GetBackAtk(1));
    EXPECT_EQ(s.GetCharge(5), 2);
    EXPECT_EQ(s.GetCritical(7), 3);
    EXPECT_EQ(s.GetAttr(3), 1);
    EXPECT_TRUE(s.IsPassive(6));
    EXPECT_EQ(s.GetCount(), 10);
}

TEST(SkillTable, ColumnOrderIsFreeAndUnknownColumnsAreIgnored) {
    CSkillData s = Make("mp,extra,skillID,name\n7,x,42,Z\n");
    EXPECT_EQ(s.GetMp(42), 7);
    EXPECT_EQ(s.GetName(42), "Z");
}

TEST(SkillTable, LeftmostOfTwoEqualHeadersAnswers) {
    CSkillData s = Make("skillID,power,power\n1,10,20\n");
    EXPECT_EQ(s.GetPower(1), 10);
}

TEST(SkillTable, UpperOfTwoEqualIdsAnswers) {
    CSkillData s = Make("skillID,name,power\n4,first,1\n4,second,2\n");
    EXPECT_EQ(s.GetName(4), "first");
    EXPECT_EQ(s.GetPower(4), 1);
    EXPECT_EQ(s.GetCount(), 1);
}

TEST(SkillTable, IdWithoutDigitsIsSkillZeroAndHeaderIsNoSkill) {
    CSkillData none = Make("skillID,name\n5,five\n");
    EXPECT_EQ(none.GetName(0), "NoData!");
    CSkillData s = Make("skillID,name\nabc,zero\n");
    EXPECT_EQ(s.GetName(0), "zero");
}

TEST(SkillTable, NameIsTheCellUnchanged) {
    CSkillData s = Make("skillID,name\n1,  spaced name \n");
    EXPECT_EQ(s.GetName(1), "  spaced name ");
    EXPECT_EQ(s.GetName(99), "NoData!");
}

TEST(SkillTable, NumbersFollowTheAtoiRule) {
    CSkillData s = Make("skillID,power,mp,range2,charge,critical\n1, 12x,-3,,+4,abc\n");
    EXPECT_EQ(s.GetPower(1), 12);
    EXPECT_EQ(s.GetMp(1), -3);
    EXPECT_EQ(s.GetRange2(1), 0);
    EXPECT_EQ(s.GetCharge(1), 4);
    EXPECT_EQ(s.GetCritical(1), 0);
}

TEST(SkillTable, FlagIsTrueOnlyForTheNumberOne) {
    CSkillData s = Make(
        "skillID,passive\n1,1\n2, 1\n3,01\n4,1.5\n5,2\n6,-1\n7,yes\n8,\n");
    EXPECT_TRUE(s.IsPassive(1));
    EXPECT_TRUE(s.IsPassive(2));
    EXPECT_TRUE(s.IsPassive(3));
    EXPECT_TRUE(s.IsPassive(4));
    EXPECT_FALSE(s.IsPassive(5));
    EXPECT_FALSE(s.IsPassive(6));
    EXPECT_FALSE(s.IsPassive(7));
    EXPECT_FALSE(s.IsPassive(8));
}

TEST(SkillTable, CannonSkillsStrikeTheWholeUnit) {
    CSkillData s = Make("skillID,cannon,allatk\n1,1,0\n2,0,1\n3,0,0\n");
    EXPECT_TRUE(s.IsAllAttack(1));
    EXPECT_TRUE(s.IsCannon(1));
    EXPECT_TRUE(s.IsAllAttack(2));
    EXPECT_FALSE(s.IsCannon(2));
    EXPECT_FALSE(s.IsAllAttack(3));
}

TEST(SkillTable, MissingSkillColumnOrCellIsLoggedOnceAndReadsZero) {
    datatest::LogCapture log;
    CSkillData s = Make("skillID,name,power\n1,a\n");
    EXPECT_EQ(s.GetPower(1), 0);   // row shorter than the header
    EXPECT_EQ(s.GetPower(1), 0);
    EXPECT_EQ(s.GetMp(1), 0);      // no such column
    EXPECT_EQ(s.GetType(77), 0);   // no such skill
    EXPECT_EQ(s.GetType(-1), 0);   // the empty skill-list entry
    EXPECT_EQ(log.Lines().size(), 4u) << log.All();
}

TEST(SkillTable, HeaderWithoutIdColumnGivesAnEmptyTable) {
    datatest::LogCapture log;
    CSkillData s = Make("name,power\nx,1\n");
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetName(0), "NoData!");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("skillID"), std::string::npos);
}

TEST(SkillTable, MissingFileIsLoggedAndLeavesAnEmptyTable) {
    datatest::LogCapture log;
    CSkillData s;
    s.Load("gamedata/skill.csv");
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_FALSE(log.Lines().empty());
}

TEST(SkillTable, LoadsThroughTheFileLayer) {
    datatest::LogCapture log;
    std::filesystem::create_directories(log.Dir() + "gamedata");
    std::ofstream(log.Dir() + "gamedata/skill.csv", std::ios::binary) << datatest::GameText(datatest::kSkillCsv);
    CSkillData s;
    s.Load("gamedata\\skill.csv");
    EXPECT_EQ(s.GetCount(), 10);
    EXPECT_EQ(s.GetName(9), std::string("遠雷"));
    EXPECT_TRUE(log.Lines().empty()) << log.All();
}

}  // namespace

namespace {

TEST(TableNumbers, IntegersFollowAtoiAndNeverOverflow) {
    EXPECT_EQ(DataTextToInt(" \t12x"), 12);
    EXPECT_EQ(DataTextToInt("-0"), 0);
    EXPECT_EQ(DataTextToInt("+7"), 7);
    EXPECT_EQ(DataTextToInt("- 7"), 0);
    EXPECT_EQ(DataTextToInt(""), 0);
    EXPECT_EQ(DataTextToInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(DataTextToInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(TableNumbers, DoublesFollowAtof) {
    EXPECT_DOUBLE_EQ(DataTextToDouble("30.5"), 30.5);
    EXPECT_DOUBLE_EQ(DataTextToDouble(" 2.5abc"), 2.5);
    EXPECT_DOUBLE_EQ(DataTextToDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(DataTextToDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(DataTextToDouble("-1.5"), -1.5);
}

}  // namespace
