// Each effect at three moments (as it starts, when it lands, late in its life),
// side by side in one picture of the 3D view over the dimmed stage.
#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace {

class EffectPictures : public ::testing::TestWithParam<fx::Case> {
protected:
    fx::Scene scene_;
};

TEST_P(EffectPictures, StartHitAndLateFrames) {
    const fx::Case& c = GetParam();
    constexpr int W = fx::Scene::kCropW, H = fx::Scene::kCropH;
    std::vector<uint32_t> strip(size_t(3 * W) * H, 0);
    fx::Stage stage;
    const vm::Matrix base;
    int last = 0;
    for (int s : c.shots) last = std::max(last, s);
    int taken = 0;
    fx::Play(c.make(fx::kStart, stage), fx::kStart + last, false, [&](int rel, CBattleEffectController& ctl) {
        scene_.Background(ctl.GetTint(), stage);
        ctl.Draw(g_pD3DDevice, nullptr, nullptr, &base, rel + fx::kStart);
        for (int k = 0; k < 3; ++k) {
            if (c.shots[k] != rel) continue;
            ++taken;
            const uint32_t* px = scene_.Pixels();
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) strip[size_t(y) * 3 * W + k * W + x] =
                        px[size_t(y + fx::Scene::kCropY) * fx::Scene::kWidth + x + fx::Scene::kCropX] | 0xFF000000;
        }
    });
    EXPECT_EQ(taken, 3);
    EXPECT_TRUE(testsupport::MatchesGolden("battle/effects/" + c.name, strip.data(), 3 * W, H));
}

std::string CaseName(const ::testing::TestParamInfo<fx::Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(AllEffects, EffectPictures, ::testing::ValuesIn(fx::AllCases()), CaseName);

}  // namespace
