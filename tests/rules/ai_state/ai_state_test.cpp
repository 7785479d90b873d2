// The enemy AI's saved state, its plan entry reset and its grid of ints.
#include <gtest/gtest.h>

#include "../../data/data_test_util.h"
#include "ai/AIState.h"
#include "archive/gvlStringMap.h"

namespace {

AITroop Troop(std::vector<int32_t> members, std::vector<int32_t> healers, std::vector<AIMovePoint> moves) {
    AITroop t;
    t.MemberID = std::move(members);
    t.HealerID = std::move(healers);
    t.MoveList.assign(moves.begin(), moves.end());
    t.x = 5;
    t.nRetreatCount = 2;
    return t;
}

TEST(AIState, ConstructionValues) {
    C_AI ai;
    EXPECT_FALSE(ai.m_bSide);
    EXPECT_TRUE(ai.m_bPlanDone);
    EXPECT_FALSE(ai.m_bInitialized);
    EXPECT_FALSE(ai.m_bTroopsLoaded);
    EXPECT_FALSE(ai.m_bDetected);
    EXPECT_TRUE(ai.m_bUseView);
    EXPECT_EQ(ai.m_AreaMap.nWidth, 0);
    AITroop t;
    EXPECT_EQ(t.x, -1);
    EXPECT_EQ(t.y, -1);
    EXPECT_EQ(t.nContact, 0);
}

TEST(AIState, SaveAndLoadKeepTroopsInOrderButNotTheirPhaseValues) {
    datatest::LogCapture log;
    C_AI ai;
    ai.m_bDetected = true;
    ai.m_bUseView = false;
    ai.m_vTroop.push_back(Troop({1001, 1002}, {1002}, {{3, 4, 0}, {7, 8, 1}}));
    ai.m_vTroop.push_back(Troop({1010}, {}, {}));
    CStringMap a;
    a.EnterGroup("AI");
    ai.Save(a);
    a.LeaveGroup();
    EXPECT_EQ(a.GetString("AI/NumTroopList", ""), "2");
    EXPECT_EQ(a.GetString("AI/Troop0/MemberID1", ""), "1002");
    EXPECT_EQ(a.GetString("AI/Troop0/MoveList1/Type", ""), "1");
    EXPECT_EQ(a.GetString("AI/Troop1/NumMoveList", ""), "0");
    EXPECT_EQ(a.GetMap().count("AI/Troop1/MoveList0/x"), 0u);

    C_AI back;
    a.EnterGroup("AI");
    back.Load(a);
    a.LeaveGroup();
    EXPECT_TRUE(back.m_bDetected);
    EXPECT_FALSE(back.m_bUseView);
    EXPECT_TRUE(back.m_bTroopsLoaded);
    ASSERT_EQ(back.m_vTroop.size(), 2u);
    EXPECT_EQ(back.m_vTroop[0].MemberID, (std::vector<int32_t>{1001, 1002}));
    EXPECT_EQ(back.m_vTroop[0].HealerID, (std::vector<int32_t>{1002}));
    ASSERT_EQ(back.m_vTroop[0].MoveList.size(), 2u);
    EXPECT_EQ(back.m_vTroop[0].MoveList.back().x, 7);
    EXPECT_EQ(back.m_vTroop[0].MoveList.back().Type, 1);
    EXPECT_EQ(back.m_vTroop[0].x, -1);  // recomputed by the next plan
    EXPECT_EQ(back.m_vTroop[0].nRetreatCount, 0);
    EXPECT_EQ(back.m_vTroop[1].MemberID, (std::vector<int32_t>{1010}));
    EXPECT_TRUE(back.m_vTroop[1].MoveList.empty());
    EXPECT_EQ(log.All(), "");
}

TEST(AIState, MissingKeysAndAnEmptyState) {
    C_AI ai;
    ai.m_bDetected = false;
    ai.m_bUseView = true;
    CStringMap empty;
    ai.Load(empty);
    EXPECT_TRUE(ai.m_bDetected);   // a missing flag reads as detected
    EXPECT_FALSE(ai.m_bUseView);
    EXPECT_TRUE(ai.m_vTroop.empty());
    EXPECT_TRUE(ai.m_bTroopsLoaded);

    C_AI none;
    CStringMap a;
    none.Save(a);
    EXPECT_EQ(a.GetString("NumTroopList", ""), "0");
    EXPECT_EQ(a.GetMap().size(), 3u);

    // A waypoint without keys.
    CStringMap w;
    w.SetInt64("NumTroopList", 1);
    w.SetInt64("Troop0/NumMoveList", 1);
    w.SetInt64("Troop0/NumMemberID", 1);
    C_AI loaded;
    loaded.Load(w);
    ASSERT_EQ(loaded.m_vTroop.size(), 1u);
    EXPECT_EQ(loaded.m_vTroop[0].MemberID, (std::vector<int32_t>{-1}));
    ASSERT_EQ(loaded.m_vTroop[0].MoveList.size(), 1u);
    EXPECT_EQ(loaded.m_vTroop[0].MoveList.front().x, -2);
    EXPECT_EQ(loaded.m_vTroop[0].MoveList.front().Type, -1);
}

TEST(AIState, LoadAppendsAndDamagedCountsAreCut) {
    datatest::LogCapture log;
    C_AI ai;
    ai.m_vTroop.push_back(AITroop());
    CStringMap a;
    a.SetInt64("NumTroopList", 500000000);
    a.SetInt64("Troop0/NumMemberID", -7);
    ai.Load(a);
    EXPECT_LE(ai.m_vTroop.size(), 1u + a.GetMap().size());
    EXPECT_GE(ai.m_vTroop.size(), 2u);
    EXPECT_TRUE(ai.m_vTroop[1].MemberID.empty());
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(AIState, ResetAssignmentRecord) {
    AIPlanEntry e;
    e.bAct = true;
    e.x = e.y = e.destX = e.destY = e.targetX = e.targetY = 3;
    e.nOrderKey = 8;
    e.nPersonID = 1001;
    e.nTroop = 2;
    e.bFollowUp = true;
    ResetAssignmentRecord(e);
    EXPECT_FALSE(e.bAct);
    EXPECT_EQ(e.x, -1);
    EXPECT_EQ(e.destY, -1);
    EXPECT_EQ(e.nOrderKey, 0);
    EXPECT_EQ(e.targetX, -1);
    EXPECT_EQ(e.nPersonID, -1);
    EXPECT_EQ(e.nTroop, -1);
    EXPECT_FALSE(e.bFollowUp);
}

TEST(AIState, IntGridIsRowMajorAndGuardsItsEdges) {
    datatest::LogCapture log;
    IntGrid g;
    g.Resize(4, 3, -1);
    g.SetAt(1, 2, 7);
    g.SetAt(3, 0, 5);
    int v = 0;
    g.GetAt(&v, 1, 2);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(g.vnCell[1 + 4 * 2], 7);
    g.GetAt(&v, 3, 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(log.All(), "");
    g.GetAt(&v, 4, 0);
    EXPECT_EQ(v, -1);
    g.GetAt(&v, 0, -1);
    g.SetAt(9, 9, 1);
    EXPECT_EQ(log.Lines().size(), 3u);
}

}  // namespace
