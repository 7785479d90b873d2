// Battles drawn on the software device with the demo's meshes: exchanges of blows
// (melee, bow, magic) and a cannon shot at chosen frames, the battle window and
// the damage numbers.
#include <gtest/gtest.h>

#include "../battle_scene.h"

namespace {

using battletest::BattleStage;

// Two swordsmen against a bandit and a heavy soldier; both answer.
void Melee(BattleStage& s) {
    const int a = s.AddUnit({1, 10}, {1, 1}, true);
    const int b = s.AddUnit({20, 23}, {1, 1}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {100, 101}, {0, 1});
    r0.vResult = {BattleStage::Blow(0, 4, 100, 12, false, true), BattleStage::Blow(1, 5, 101, 0, true)};
    BattleActionRecord& r1 = s.AddRecord(b, {100, 101}, {0, 1});
    r1.vResult = {BattleStage::Blow(4, 0, 100, 6), BattleStage::Blow(5, 1, 101, 9)};
}

// Two archers against a swordsman who cannot answer.
void Bow(BattleStage& s) {
    const int a = s.AddUnit({12, 21}, {1, 0}, true);
    const int b = s.AddUnit({10}, {1}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {200, 202}, {0, 0});
    r0.vResult = {BattleStage::Blow(0, 4, 200, 8), BattleStage::Blow(1, 4, 202, 5)};
    s.AddRecord(b, {}, {});
}

// A spearman throws at the front of a unit of two; the one behind is struck too.
void Spear(BattleStage& s) {
    const int a = s.AddUnit({11}, {1}, true);
    const int b = s.AddUnit({20, 21}, {1, 0}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {102}, {0});
    r0.vResult = {BattleStage::Blow(0, 4, 102, 11), BattleStage::Blow(0, 5, 102, 6)};
    s.AddRecord(b, {}, {});
}

// A light bolt and a healing light on the caster's own unit's enemy.
void Magic(BattleStage& s) {
    const int a = s.AddUnit({13, 22}, {0, 0}, true);
    const int b = s.AddUnit({20, 23, 21}, {1, 1, 0}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {300, 400}, {1, 0});
    r0.vResult = {BattleStage::Blow(0, 5, 300, 14), BattleStage::Blow(1, 4, 400, 10),
                  BattleStage::Blow(1, 5, 400, 9), BattleStage::Blow(1, 6, 400, 0, true)};
    s.AddRecord(b, {}, {});
}

// A rock fall on a unit of three.
void Cannon(BattleStage& s) {
    const int a = s.AddUnit({4}, {1}, true);
    const int b = s.AddUnit({20, 23, 21}, {1, 1, 0}, false);
    s.AddRecord(a, {414}, {});
    BattleActionRecord& r1 = s.AddRecord(b, {}, {});
    r1.vResult = {BattleStage::Blow(0, 4, 414, 15), BattleStage::Blow(0, 5, 414, 15),
                  BattleStage::Blow(0, 6, 414, 40, false, false, true)};
}

// The picture of the 3D view (rows 0 to 319), or of the whole screen.
::testing::AssertionResult Golden(const BattleStage& s, const std::string& name, bool whole = false) {
    const std::vector<uint32_t> px = s.Crop(0, 0, 640, whole ? 480 : 320);
    return testsupport::MatchesGolden("battle/scene/" + name, px.data(), 640, whole ? 480 : 320);
}

TEST(BattleScene, MeleeExchangePlaysToItsEnd) {
    BattleStage s;
    Melee(s);
    s.Start();
    s.RunTo(1);
    C_TaskBattle* t = s.Task();
    ASSERT_NE(t, nullptr);
    const int end = t->GetEndFrame();
    for (int f : {20, 58, 62, 75, 200, 215, 230}) {
        s.RunTo(f);
        s.Save("melee_" + std::to_string(f));
        // The blows land: sparks, the numbers with their texts, the window's lines.
        if (f == 62) {
            EXPECT_TRUE(Golden(s, "melee_62", true));
        }
    }
    s.RunTo(end + 10);
    EXPECT_EQ(s.Over(), 1);
    EXPECT_EQ(s.Frames(), end + 2);
}

TEST(BattleScene, AMotionWithoutAMeshShowsTheStandingMesh) {
    BattleStage s;
    Melee(s);
    s.Start();
    s.RunTo(1);
    // Motion 101 names no mesh, motion 105 one that is not loaded.
    CTableFile bad;
    bad.m_vRows = {{"101", "motion", "-1", "-1", "-1", "-1", "-1", "-1"}, {"105", "motion", "4", "4", "4", "4", "4", "4"}};
    s.Task()->GetController()->m_Keyframe.LoadRows(bad);
    s.RunTo(60);
    EXPECT_NE(s.Task()->GetController()->m_Member[0].m_nMesh, 0);
    EXPECT_NE(s.Log().find("C_TaskBattle"), std::string::npos);
    // The member is still drawn: its place is not the bare field.
    s.Save("bad_mesh_60");
}

TEST(BattleScene, BowExchange) {
    BattleStage s;
    Bow(s);
    s.Start();
    for (int f : {40, 70, 85, 100}) {
        s.RunTo(f);
        s.Save("bow_" + std::to_string(f));
        if (f == 85) {
            EXPECT_TRUE(Golden(s, "bow_85"));  // both arrows in flight
        }
    }
}

TEST(BattleScene, SpearExchange) {
    BattleStage s;
    Spear(s);
    s.Start();
    for (int f : {55, 64, 72, 80, 90}) {
        s.RunTo(f);
        s.Save("spear_" + std::to_string(f));
        if (f == 80) {
            EXPECT_TRUE(Golden(s, "spear_80"));  // the spear has struck both
        }
    }
    // Both members behind the spear's line were struck.
    C_MeshController* c = s.Task()->GetController();
    EXPECT_LT(c->m_Member[4].m_nHP, c->m_Member[4].m_WindowRow.maxHp);
    EXPECT_LT(c->m_Member[5].m_nHP, c->m_Member[5].m_WindowRow.maxHp);
}

TEST(BattleScene, MagicExchange) {
    BattleStage s;
    Magic(s);
    s.Start();
    for (int f : {30, 60, 90, 120, 150}) {
        s.RunTo(f);
        s.Save("magic_" + std::to_string(f));
        if (f == 90) {
            EXPECT_TRUE(Golden(s, "magic_90"));  // the stage dimmed under the dark storm
        }
    }
}

TEST(BattleScene, CannonShotBlanksBetweenVolleys) {
    BattleStage s;
    Cannon(s);
    s.Start();
    for (int f : {60, 123, 150, 200, 250}) {
        s.RunTo(f);
        s.Save("cannon_" + std::to_string(f));
        if (f == 200) {
            EXPECT_TRUE(Golden(s, "cannon_200"));
        }
        if (f == 123) {
            // The whole screen is black between the caster and the volley.
            const uint32_t* p = s.Pixels();
            EXPECT_EQ(p[100 * 640 + 320] & 0xFFFFFF, 0u);
            EXPECT_EQ(p[400 * 640 + 100] & 0xFFFFFF, 0u);
        }
    }
    s.RunTo(400);
    EXPECT_EQ(s.Over(), 1);
    EXPECT_EQ(s.Frames(), 307);
}

}  // namespace
