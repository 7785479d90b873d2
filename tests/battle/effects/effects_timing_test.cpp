// Every effect lands its blows and ends on the frames of its table; composite
// children start ten frames apart.
#include <gtest/gtest.h>

#include "effects_fixture.h"
#include "random/gvlRand.h"

namespace {

class EffectTiming : public ::testing::TestWithParam<fx::Case> {
protected:
    fx::Scene scene_;
};

TEST_P(EffectTiming, HitsAndLastFrameFollowTheTable) {
    const fx::Case& c = GetParam();
    fx::Stage stage;
    const fx::Run run = fx::Play(c.make(fx::kStart, stage), fx::kStart + 260, true);
    std::vector<int> frames;
    for (const auto& h : run.hits) frames.push_back(h.first);
    EXPECT_EQ(frames, c.hits);
    EXPECT_EQ(run.last, c.last);
    // One result per target, in target order.
    for (size_t i = 0; i < run.hits.size(); ++i) EXPECT_EQ(run.hits[i].second.nTarget, 4 + int(i % 4)) << i;
}

TEST_P(EffectTiming, NothingHappensBeforeTheStartFrame) {
    const fx::Case& c = GetParam();
    fx::Stage stage;
    CBattleEffectController controller;
    controller.AddEffect(c.make(40, stage));
    const vm::Matrix base;
    for (int f = 0; f < 40; ++f) {
        controller.Update(f);
        controller.Draw(g_pD3DDevice, nullptr, nullptr, &base, f);
        EXPECT_TRUE(controller.GetHits().empty());
        EXPECT_TRUE(controller.GetLastParticles().empty()) << f;
        EXPECT_EQ(controller.GetTint(), 0u);
    }
}

std::string CaseName(const ::testing::TestParamInfo<fx::Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(AllEffects, EffectTiming, ::testing::ValuesIn(fx::AllCases()), CaseName);

class Composite : public ::testing::Test {
protected:
    fx::Scene scene_;
};

TEST_F(Composite, ChildrenStartTenFramesApartAndLiveUntilTheEnd) {
    fx::Stage stage;
    auto* e = new CBattleEffect_DarkLightAll1(fx::kStart, stage.caster(), stage.targets, stage.results, true);
    std::vector<int> started(4, -1);
    fx::Play(e, fx::kStart + 150, false, [&](int rel, CBattleEffectController&) {
        for (int i = 0; i < 4; ++i)
            if (e->GetChild(i) && started[i] < 0) {
                started[i] = rel;
                EXPECT_EQ(e->GetChild(i)->GetStartFrame(), fx::kStart + 10 * i);
                EXPECT_NE(dynamic_cast<const CBattleEffect_Dark1*>(e->GetChild(i)), nullptr);
            }
    });
    EXPECT_EQ(started, (std::vector<int>{0, 10, 20, 30}));
}

TEST_F(Composite, ChildKindsFollowTheFlagAndTheClass) {
    fx::Stage stage(2);
    auto* light = new CBattleEffect_DarkLightAll1(0, stage.caster(), stage.targets, stage.results, false);
    auto* poison = new CBattleEffect_PoisonAll1(0, stage.targets, stage.results);
    auto* heal = new CBattleEffect_RecoverAll1(0, stage.caster(), stage.targets, stage.results);
    CBattleEffectController c;
    c.AddEffect(light);
    c.AddEffect(poison);
    c.AddEffect(heal);
    for (int f = 0; f <= 10; ++f) c.Update(f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(dynamic_cast<const CBattleEffect_Light1*>(light->GetChild(i)), nullptr);
        EXPECT_NE(dynamic_cast<const CBattleEffect_Poison1*>(poison->GetChild(i)), nullptr);
        EXPECT_NE(dynamic_cast<const CBattleEffect_Recover1*>(heal->GetChild(i)), nullptr);
    }
    EXPECT_EQ(light->GetChild(2), nullptr);
}

TEST_F(Composite, OneTargetPlaysLikeItsChildButLivesTo200) {
    fx::Stage stage(1);
    const fx::Run run = fx::Play(new CBattleEffect_RecoverAll1(fx::kStart, stage.caster(), stage.targets, stage.results),
                                 fx::kStart + 240, false);
    ASSERT_EQ(run.hits.size(), 1u);
    EXPECT_EQ(run.hits[0].first, 60);
    EXPECT_EQ(run.last, 200);
}

TEST_F(Composite, NoTargetsMakesNothingAndStillEnds) {
    fx::Stage stage(0);
    auto* e = new CBattleEffect_PoisonAll1(fx::kStart, stage.targets, stage.results);
    const fx::Run run = fx::Play(e, fx::kStart + 240, true, [&](int, CBattleEffectController& c) {
        EXPECT_TRUE(c.GetLastParticles().empty());
        if (!c.GetEffects().empty()) {
            EXPECT_EQ(e->GetChild(0), nullptr);
        }
    });
    EXPECT_TRUE(run.hits.empty());
    EXPECT_EQ(run.last, 200);
}

TEST_F(Composite, FewerResultsThanTargetsSkipsTheMissingChildren) {
    fx::Stage stage(3);
    stage.results.resize(1);
    const fx::Run run = fx::Play(new CBattleEffect_DarkLightAll1(fx::kStart, stage.caster(), stage.targets,
                                                                 stage.results, true),
                                 fx::kStart + 240, false);
    ASSERT_EQ(run.hits.size(), 1u);
    EXPECT_EQ(run.hits[0].first, 45);
}

TEST_F(Composite, AreaEffectsWithoutEnoughResultsReleaseWhatThereIs) {
    fx::Stage stage(4);
    stage.results.resize(2);
    const fx::Run fire = fx::Play(new CBattleEffect_FireAll1(fx::kStart, stage.caster(), stage.targets, stage.results),
                                  fx::kStart + 60, false);
    EXPECT_EQ(fire.hits.size(), 2u);
    fx::Stage none(0);
    none.results = fx::Stage(4).results;  // results without targets: the poison cannon still hits every one
    const fx::Run poison = fx::Play(new CBattleEffect_PoisonAll2(fx::kStart, none.targets, none.results),
                                    fx::kStart + 230, false, [](int rel, CBattleEffectController& c) {
                                        if (rel == 160) {
                                            auto* e = static_cast<CBattleEffect_PoisonAll2*>(c.GetEffects()[0]);
                                            EXPECT_TRUE(e->GetBurst().empty());
                                        }
                                    });
    EXPECT_EQ(poison.hits.size(), 4u);
}

}  // namespace
