// The demo's skills in real battles: every skill of the content reaches the effect
// its id chooses (with the casting aura under every spell), and the effect's blows
// land on the members they name.
#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

#include "../battle_scene.h"
#include "PersonData.h"
#include "effects/BattleEffects.h"

namespace {

using battletest::BattleStage;

enum Kind { kSingle, kAll, kCannon, kWeapon };

struct SkillCase {
    int skill;
    Kind kind;
    int attackerType;  // a demo person who knows the skill
    std::function<bool(const CBattleEffectBase&)> is;
    std::string name;
};

template <class T>
std::function<bool(const CBattleEffectBase&)> Exactly() {
    return [](const CBattleEffectBase& e) { return typeid(e) == typeid(T); };
}
std::function<bool(const CBattleEffectBase&)> DarkLightAll1(bool dark) {
    return [dark](const CBattleEffectBase& e) {
        auto* c = dynamic_cast<const CBattleEffect_DarkLightAll1*>(&e);
        return c && c->IsDark() == dark;
    };
}
std::function<bool(const CBattleEffectBase&)> DarkLightAll4(uint8_t look) {
    return [look](const CBattleEffectBase& e) {
        auto* c = dynamic_cast<const CBattleEffect_DarkLightAll4*>(&e);
        return c && c->GetLook() == look;
    };
}

std::vector<SkillCase> Cases() {
    return {
        {100, kWeapon, 1, Exactly<CBattleEffect_Damage3>(), "Sword_Damage3"},
        {102, kWeapon, 4, Exactly<CBattleEffect_Spear>(), "Spear"},
        {200, kWeapon, 3, Exactly<CBattleEffect_Arrow>(), "Bow_Arrow"},
        {300, kSingle, 2, Exactly<CBattleEffect_Beam4>(), "Beam4"},
        {301, kSingle, 13, Exactly<CBattleEffect_Dark1>(), "Dark1"},
        {302, kSingle, 13, Exactly<CBattleEffect_Beam4b>(), "Beam4b"},
        {303, kSingle, 2, Exactly<CBattleEffect_Recover1>(), "Recover1"},
        {304, kSingle, 31, Exactly<CBattleEffect_Thunder1>(), "Thunder1"},
        {306, kSingle, 2, Exactly<CBattleEffect_Light1>(), "Light1"},
        {307, kSingle, 2, Exactly<CBattleEffect_Recover2>(), "Recover2"},
        {308, kSingle, 2, Exactly<CBattleEffect_Beam3>(), "Beam3"},
        {311, kSingle, 2, Exactly<CBattleEffect_Recover3>(), "Recover3"},
        {312, kSingle, 2, Exactly<CBattleEffect_Light1>(), "Light1_312"},
        {405, kSingle, 2, Exactly<CBattleEffect_Beam5>(), "Beam5"},
        {400, kAll, 22, Exactly<CBattleEffect_DarkAll5>(), "DarkAll5"},
        {402, kAll, 31, Exactly<CBattleEffect_PoisonAll1>(), "PoisonAll1"},
        {406, kAll, 31, DarkLightAll1(true), "DarkAll1"},
        {407, kAll, 30, Exactly<CBattleEffect_BladeAll1>(), "BladeAll1"},
        {408, kAll, 2, DarkLightAll1(false), "LightAll1"},
        {411, kAll, 22, Exactly<CBattleEffect_FireAll1>(), "FireAll1"},
        {412, kAll, 13, Exactly<CBattleEffect_WaterAll1>(), "WaterAll1"},
        {413, kAll, 13, Exactly<CBattleEffect_ThunderAll1>(), "ThunderAll1"},
        {415, kAll, 15, Exactly<CBattleEffect_RecoverAll1>(), "RecoverAll1"},
        {401, kCannon, 30, Exactly<CBattleEffect_DarkLightAll3>(), "DarkLightAll3"},
        {404, kCannon, 31, Exactly<CBattleEffect_PoisonAll2>(), "PoisonAll2"},
        {409, kCannon, 2, DarkLightAll4(0), "LightAll4"},
        {410, kCannon, 1, Exactly<CBattleEffect_DarkLightAll2>(), "DarkLightAll2"},
        {414, kCannon, 31, Exactly<CBattleEffect_RockAll1>(), "RockAll1"},
        {417, kCannon, 31, DarkLightAll4(1), "DarkAll4"},
    };
}

bool Knows(int type, int skill) {
    const PersonRecord& p = CPersonTypeTable::Get(type);
    for (int k = 0; k < p.CountSkills(); ++k)
        if (p.skill[k] == skill) return true;
    for (int k = 0; k < p.CountCSkills(); ++k)
        if (p.cskill[k] == skill) return true;
    return false;
}

class SkillEffects : public ::testing::TestWithParam<SkillCase> {};

TEST_P(SkillEffects, TheSkillPlaysItsEffectAndItsBlowsLand) {
    const SkillCase& c = GetParam();
    BattleStage s;
    const int category = GetSkillCategory(&c.skill);
    const int expected[] = {4, 5, 6, -1};
    if (c.kind != kWeapon) {
        EXPECT_EQ(category, expected[c.kind]) << c.skill;
    }
    EXPECT_TRUE(Knows(c.attackerType, c.skill)) << "no demo person knows skill " << c.skill;

    const int a = s.AddUnit({c.attackerType}, {1}, true);
    const int b = s.AddUnit({20, 23, 21, 22}, {1, 1, 0, 0}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {c.skill}, {0});
    if (c.kind == kCannon) {
        BattleActionRecord& r1 = s.AddRecord(b, {-1, -1, -1, -1}, {-1, -1, -1, -1});
        for (int i = 0; i < 4; ++i) r1.vResult.push_back(BattleStage::Blow(0, 4 + i, c.skill, 3));
    } else {
        const int count = c.kind == kAll ? 4 : 1;
        for (int i = 0; i < count; ++i) r0.vResult.push_back(BattleStage::Blow(0, 4 + i, c.skill, 3));
        s.AddRecord(b, {-1, -1, -1, -1}, {-1, -1, -1, -1});
    }
    s.Start();

    bool seen = false, circle = false;
    int hpHigh[4] = {-1, -1, -1, -1}, hpLow[4] = {100000, 100000, 100000, 100000};
    while (C_TaskBattle* task = s.Task()) {
        s.Frame();
        task = s.Task();
        if (!task) break;
        C_MeshController* m = task->GetController();
        if (!m) continue;
        for (const CBattleEffectBase* e : m->m_Effects.GetEffects()) {
            seen = seen || c.is(*e);
            circle = circle || typeid(*e) == typeid(CBattleEffect_MagicCircle1);
        }
        for (int i = 0; i < 4; ++i) {
            const BattleMember& t = m->m_Member[4 + i];
            if (!t.m_bActive) continue;
            hpHigh[i] = std::max(hpHigh[i], t.m_nHP);
            hpLow[i] = std::min(hpLow[i], t.m_nHP);
        }
        if (s.Frames() > 1200) break;
    }
    EXPECT_TRUE(seen) << c.name;
    if (c.kind != kWeapon) {
        EXPECT_TRUE(circle || c.kind == kCannon);
    }
    const int struck = c.kind == kSingle || c.kind == kWeapon ? 1 : 4;
    for (int i = 0; i < struck; ++i) EXPECT_EQ(hpHigh[i] - hpLow[i], 3) << "member " << 4 + i;
    EXPECT_EQ(s.Over(), 1);
}

std::string CaseName(const ::testing::TestParamInfo<SkillCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(DemoSkills, SkillEffects, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
