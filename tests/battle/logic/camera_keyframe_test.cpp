// The battle camera's path and the two keyframe tables, with their checks of bad data.
#include <gtest/gtest.h>

#include "../../data/data_test_util.h"
#include "BattleCamera.h"
#include "KeyframeTable.h"

namespace {

void ExpectVec(vm::Vec3 v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(BattleCamera, FliesThroughThreeStagesAndHolds) {
    CBattleCamera c;
    struct Case { int frame; float eye[3]; float target[3]; } cases[] = {
        {0, {8, 5, 2.5f}, {0, 0, 1}},
        {30, {8.5f, 1, 2.75f}, {0, 0, 0.75f}},
        {60, {9, -3, 3}, {0, 0, 0.5f}},
        {120, {5.75f, -5, 3}, {0, 0, 0.25f}},
        {179, {2.5541668f, -6.9666667f, 3}, {0, 0, 0.004166667f}},
        {180, {2.5f, -7, 3}, {0, 0, 0}},
        {1000, {2.5f, -7, 3}, {0, 0, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.frame);
        c.SetByFrame(k.frame);
        ExpectVec(c.m_Eye, k.eye[0], k.eye[1], k.eye[2]);
        ExpectVec(c.m_Target, k.target[0], k.target[1], k.target[2]);
        ExpectVec(c.m_Up, 0, 0, 1);
    }
}

TEST(BattleCamera, GlobalStartsLookingDown) {
    ExpectVec(g_BattleCamera.m_Target, 0, 0, -0.5f);
    ExpectVec(g_BattleCamera.m_Up, 0, 0, 1);
}

CTableFile Data() {
    return datatest::Table("id,length,atk_time\n100,60,0\n101,66,29\n101,99,99\n105,74\n140,61,5\n");
}

TEST(KeyframeData, ReadsByColumnNameFromTheFirstRowOfAnId) {
    const CTableFile t = Data();
    EXPECT_EQ(CKeyframeTable::GetInt(t, 101, "length"), 66);
    EXPECT_EQ(CKeyframeTable::GetInt(t, 101, "atk_time"), 29);
    EXPECT_EQ(CKeyframeTable::GetInt(t, 140, "atk_time"), 5);
}

TEST(KeyframeData, BadRowsAnswerZeroAndAreLogged) {
    datatest::LogCapture log;
    const CTableFile t = Data();
    // A missing id answers 0, also when its standing motion is there.
    EXPECT_EQ(CKeyframeTable::GetInt(t, 103, "length"), 0);
    EXPECT_EQ(CKeyframeTable::GetInt(t, 143, "atk_time"), 0);
    EXPECT_EQ(CKeyframeTable::GetInt(t, 263, "length"), 0);
    // A missing column and a short row.
    EXPECT_EQ(CKeyframeTable::GetInt(t, 101, "speed"), 0);
    EXPECT_EQ(CKeyframeTable::GetInt(t, 105, "atk_time"), 0);
    EXPECT_EQ(CKeyframeTable::GetInt(CTableFile{}, 100, "length"), 0);
    const std::string text = log.All();
    EXPECT_NE(text.find("103"), std::string::npos);
    EXPECT_NE(text.find("speed"), std::string::npos);
    EXPECT_NE(text.find("105"), std::string::npos);
}

CTableFile Keys() {
    return datatest::Table(
        "120,time,0,10,20\n120,x,0,0.5,0.5\n120,motion,3,3,5\n120,m_time,0,25,25\n120,rz,0,90,-90\n"
        "100,time,0,60\n100,motion,7,7\n"
        "131,nonsense\n");
}

TEST(Keyframe, InterpolatesChannelsBetweenKeys) {
    CKeyframe k(Keys());
    EXPECT_EQ(k.FindKey(120, -1), 0);
    EXPECT_EQ(k.FindKey(120, 0), 1);   // a time equal to a key's starts its interval
    EXPECT_EQ(k.FindKey(120, 10), 2);
    EXPECT_EQ(k.FindKey(120, 20), 3);
    EXPECT_DOUBLE_EQ(k.GetX(120, -5), 0.0);
    EXPECT_DOUBLE_EQ(k.GetX(120, 5), 0.25);
    EXPECT_DOUBLE_EQ(k.GetX(120, 40), 0.5);
    EXPECT_DOUBLE_EQ(k.GetRZ(120, 15), 0.0);
    EXPECT_EQ(k.GetMotion(120, 9.9), 3);
    EXPECT_EQ(k.GetMotion(120, 20), 5);
    EXPECT_EQ(k.GetMotion(120, -3), 3);
    // The animation time steps by a whole slope: 25 / 10 gives 2.
    EXPECT_DOUBLE_EQ(k.GetMTime(120, 5), 10.0);
    EXPECT_DOUBLE_EQ(k.GetMTime(120, 99), 25.0);
}

TEST(Keyframe, BadRowsAreCheckedAndLogged) {
    datatest::LogCapture log;
    CKeyframe k(datatest::Table("100,time,0,60\n100,motion,7,7\n330,time,0,10\n330,y,1,2,3,4\n330,bogus,9,9\n"
                                "331,nonsense\n"));
    // A later row longer than the id's first row keeps only the first row's keys.
    EXPECT_EQ(k.FindKey(330, 100), 2);
    EXPECT_DOUBLE_EQ(k.GetY(330, 100), 2.0);
    // An id without keys and a missing id use their standing motion.
    EXPECT_FALSE(k.Has(331));
    EXPECT_EQ(k.GetMotion(331, 0), 0);  // no standing motion 300 either: a zero key
    EXPECT_EQ(k.GetMotion(109, 0), 7);
    // Not even a standing motion: one zero key.
    EXPECT_EQ(k.GetMotion(909, 0), 0);
    EXPECT_DOUBLE_EQ(k.GetX(909, 3), 0.0);
    const std::string text = log.All();
    EXPECT_NE(text.find("330"), std::string::npos);
    EXPECT_NE(text.find("109"), std::string::npos);
}

TEST(Keyframe, StandingMotionOfAnId) {
    EXPECT_EQ(StandingKeyframeOf(100), 100);
    EXPECT_EQ(StandingKeyframeOf(111), 100);
    EXPECT_EQ(StandingKeyframeOf(152), 140);
    EXPECT_EQ(StandingKeyframeOf(5), 100);
}

}  // namespace
