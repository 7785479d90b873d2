// The controller's dimming, result hand-over and particle order, the shared
// matrix helpers, and the particular rules of single effects.
#include <gtest/gtest.h>

#include <cmath>

#include "effects_fixture.h"
#include "random/gvlRand.h"

namespace {

// A bare effect for the controller's rules.
class Probe : public CBattleEffectBase {
public:
    Probe(int start, bool darkens, int hitAt = -1, int endAt = 1000) : hitAt_(hitAt), endAt_(endAt) {
        m_nStartFrame = start;
        m_bDarkens = darkens;
    }
    void Update(int frame) override {
        m_nRelFrame = frame - m_nStartFrame;
        if (m_nRelFrame == hitAt_) m_vHits.insert(m_vHits.end(), batch.begin(), batch.end());
        if (m_nRelFrame > endAt_) m_bAlive = false;
        m_dwTintRequest = tint;
        m_dwFlashRequest = flash;
    }
    void Draw(gfx::Device*, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int, ParticleList& out) override {
        ++draws;
        out.insert(out.end(), particles.begin(), particles.end());
    }
    std::vector<AttackResult> batch;
    ParticleList particles;
    uint32_t tint = 0, flash = 0;
    int draws = 0;

private:
    int hitAt_, endAt_;
};

AttackResult Result(int target) {
    AttackResult r;
    r.nTarget = target;
    return r;
}

TEST(EffectController, TintRisesOneFrameAfterTheStartAndClampsAt0x60) {
    CBattleEffectController c;
    c.AddEffect(new Probe(10, true));
    c.Update(10);
    EXPECT_EQ(c.GetTint(), 0u);  // starting this frame does not count yet
    c.Update(11);
    EXPECT_EQ(c.GetTint(), 0x03000000u);
    for (int f = 12; f < 60; ++f) c.Update(f);
    EXPECT_EQ(c.GetTint(), 0x60000000u);
}

TEST(EffectController, TintFallsAfterTheLastDarkeningEffectAndStopsAtZero) {
    CBattleEffectController c;
    c.AddEffect(new Probe(0, true, -1, 3));  // alive through rel 3
    c.AddEffect(new Probe(0, false));
    std::vector<uint32_t> tints;
    for (int f = 0; f < 10; ++f) {
        c.Update(f);
        tints.push_back(c.GetTint() >> 24);
    }
    // Still in the list (rising) on the frame it finishes, falling from the next.
    EXPECT_EQ(tints, (std::vector<uint32_t>{0, 3, 6, 9, 12, 9, 6, 3, 0, 0}));
}

TEST(EffectController, NonDarkeningEffectsLeaveTheStage) {
    CBattleEffectController c;
    c.AddEffect(new CBattleEffect_MagicCircle1(0, nullptr));
    for (int f = 0; f < 20; ++f) c.Update(f);
    EXPECT_EQ(c.GetTint(), 0u);
}

TEST(EffectController, TheLaterRequestWinsUnclampedForOneFrame) {
    CBattleEffectController c;
    auto* a = new Probe(0, false);
    auto* b = new Probe(0, false);
    a->tint = 0x11000000;
    b->tint = 0x80000000;
    b->flash = 0x40FFFFFF;
    c.AddEffect(a);
    c.AddEffect(b);
    c.Update(1);
    EXPECT_EQ(c.GetTint(), 0x80000000u);
    EXPECT_EQ(c.GetFlash(), 0x40FFFFFFu);
    EXPECT_EQ(a->m_dwTintRequest, 0u);
    a->tint = b->tint = b->flash = 0;
    c.Update(2);
    EXPECT_EQ(c.GetTint(), 0x60000000u);  // one step down, then held to the strongest dimming
    EXPECT_EQ(c.GetFlash(), 0u);
}

TEST(EffectController, SmallTintsFallToZeroWithoutWrapping) {
    CBattleEffectController c;
    auto* a = new Probe(0, false);
    a->tint = 0x01000000;
    c.AddEffect(a);
    c.Update(1);
    a->tint = 0;
    c.Update(2);
    EXPECT_EQ(c.GetTint(), 0u);
}

TEST(EffectController, TheLaterEffectsResultsComeFirstAndTakeHitsPutsThemInFront) {
    CBattleEffectController c;
    auto* a = new Probe(0, false, 3);
    auto* b = new Probe(0, false, 3);
    a->batch = {Result(4), Result(5)};
    b->batch = {Result(6)};
    c.AddEffect(a);
    c.AddEffect(b);
    for (int f = 0; f <= 3; ++f) c.Update(f);
    std::vector<AttackResult> out = {Result(7)};
    c.TakeHits(out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].nTarget, 6);
    EXPECT_EQ(out[1].nTarget, 4);
    EXPECT_EQ(out[2].nTarget, 5);
    EXPECT_EQ(out[3].nTarget, 7);
    EXPECT_TRUE(c.GetHits().empty());
}

TEST(EffectController, AFinishedEffectStillHandsOverItsResultsAndIsNotDrawnAgain) {
    CBattleEffectController c;
    auto* a = new Probe(0, false, 2, 1);  // hits and finishes in the same update
    a->batch = {Result(4)};
    c.AddEffect(a);
    const vm::Matrix base;
    c.Update(0);
    c.Draw(nullptr, nullptr, nullptr, &base, 0);
    EXPECT_EQ(a->draws, 1);
    c.Update(2);
    EXPECT_EQ(c.GetHits().size(), 1u);
    EXPECT_FALSE(a->IsAlive());
    c.Draw(nullptr, nullptr, nullptr, &base, 2);
    EXPECT_EQ(a->draws, 1);
    c.Update(3);
    EXPECT_TRUE(c.GetEffects().empty());
}

TEST(EffectMaths, BillboardFacesTheCameraAndHelpersGuardDegenerateInput) {
    fx::Scene scene;
    const vm::Matrix b = MakeBillboardMatrix(g_pD3DDevice);
    const vm::Matrix view = g_pD3DDevice->GetTransform(gfx::TS_VIEW);
    // The square's normal (0, 0, 1) turned by the billboard points along the view.
    const vm::Vec3 n = vm::TransformNormal(vm::Vec3{0, 0, 1}, b * view);
    EXPECT_NEAR(n.z, 1.0f, 1e-5f);
    EXPECT_EQ(b.m[3][0], 0.0f);
    // Rotations between directions, including the ones that have no cross product.
    const vm::Vec3 to = vm::TransformNormal(vm::Vec3{0, 0, 1}, MakeRotationFromTo({0, 0, 1}, {0, 3, 0}));
    EXPECT_NEAR(to.y, 1.0f, 1e-5f);
    const vm::Vec3 same = vm::TransformNormal(vm::Vec3{0, 0, 1}, MakeRotationFromTo({0, 0, 1}, {0, 0, 2}));
    EXPECT_NEAR(same.z, 1.0f, 1e-6f);
    const vm::Vec3 back = vm::TransformNormal(vm::Vec3{0, 0, 1}, MakeRotationFromTo({0, 0, 1}, {0, 0, -2}));
    EXPECT_NEAR(back.z, -1.0f, 1e-5f);
    const vm::Matrix zero = MakeRotationFromTo({0, 0, 0}, {1, 0, 0});
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_TRUE(std::isfinite(zero.m[i][j]));
    EXPECT_DOUBLE_EQ(AngleOfXY(0, 2), 1.570796326794895);
    EXPECT_DOUBLE_EQ(AngleOfXY(0, -2), -1.570796326794895);
    EXPECT_DOUBLE_EQ(AngleOfXY(-1, -1), AngleOfXY(1, 1));
    EXPECT_TRUE(std::isfinite(AngleOfXY(0, 0)));
    // Depth along the line of sight; a point behind the eye counts its distance.
    const vm::Vec3 dir = vm::Normalize(BattleTarget - BattleEye);
    const vm::Vec3 ahead = BattleEye + dir * 4.0f, behind = BattleEye - dir * 4.0f;
    EXPECT_NEAR(ViewDepth(ahead.x, ahead.y, ahead.z), 4.0f, 1e-4f);
    EXPECT_NEAR(ViewDepth(behind.x, behind.y, behind.z), 4.0f, 1e-4f);
    EXPECT_EQ(AlphaByte(1.5), 255);
    EXPECT_EQ(AlphaByte(-0.5), 0);
    EXPECT_EQ(AlphaByte(0.5), 128);
}

TEST(EffectController, ParticlesAreDrawnFarToNearAfterTheEffectsAndNullTexturesAreSkipped) {
    fx::Scene scene;
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    CD3DDrawTexture* ball = FindEffectTexture("ball4");
    ASSERT_NE(ball, nullptr);
    const vm::Matrix b = MakeBillboardMatrix(g_pD3DDevice);
    const vm::Vec3 dir = vm::Normalize(BattleTarget - BattleEye);
    auto particle = [&](float depth, uint32_t colour, const CD3DDrawTexture* t) {
        CAddDraw_Particle p;
        p.world = CentredBillboard(b, 1.0f, BattleEye + dir * depth);
        p.texture = t;
        p.width = p.height = 1.0f;
        p.source = RECT{0, 0, 63, 63};
        p.colour = colour;
        return p;
    };
    auto* e = new Probe(0, false);
    // Near red appended before far green, and a null-texture particle nearest of all.
    e->particles = {particle(5, 0xFFFF0000, ball), particle(8, 0xFF00FF00, ball), particle(3, 0xFF0000FF, nullptr)};
    CBattleEffectController c;
    c.AddEffect(e);
    c.Update(0);
    g_pD3DDevice->SetRenderState(gfx::RS_ZENABLE, 0);
    const vm::Matrix base;
    c.Draw(g_pD3DDevice, nullptr, nullptr, &base, 0);
    const uint32_t centre = scene.Px(fx::Scene::kWidth / 2, fx::Scene::kHeight / 2);
    EXPECT_GT((centre >> 16) & 0xFF, 200u) << std::hex << centre;  // red over green
    EXPECT_LT((centre >> 8) & 0xFF, 40u) << std::hex << centre;
    EXPECT_LT(centre & 0xFF, 40u) << std::hex << centre;
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_LIGHTING), 1u);
}

// ---- single effects ---------------------------------------------------------------------------

class EffectRules : public ::testing::Test {
protected:
    fx::Scene scene_;
    fx::Stage stage_;
};

TEST_F(EffectRules, ArrowReleaseTableAndSpear) {
    CBattleEffect_Arrow unknown(0, stage_.caster(), stage_.target(), 999, &stage_.results[0]);
    EXPECT_EQ(unknown.GetReleaseFrame(), 54);
    EXPECT_NEAR(unknown.GetReleaseOffset().z, 1.3f, 1e-6f);
    EXPECT_FALSE(unknown.Darkens());
    CBattleEffect_Arrow turned(0, stage_.caster(), stage_.target(), 314, &stage_.results[0]);
    EXPECT_EQ(turned.GetReleaseFrame(), 57);
    // (0.25, 0.8) turned by +30 degrees about z.
    EXPECT_NEAR(turned.GetReleaseOffset().x, 0.25f * std::cos(0.5235988f) - 0.8f * std::sin(0.5235988f), 1e-5f);
    EXPECT_NEAR(turned.GetReleaseOffset().y, 0.25f * std::sin(0.5235988f) + 0.8f * std::cos(0.5235988f), 1e-5f);
    CBattleEffect_Spear spear(0, stage_.caster(), stage_.target(), 190, &stage_.results[0]);
    EXPECT_EQ(spear.GetReleaseFrame(), 35);
    EXPECT_EQ(spear.GetMeshIndex(), 3);
    EXPECT_NEAR(spear.GetReleaseOffset().y, 1.55f, 1e-6f);
    // In flight from R to R + 11, 10 % past the end on the last step; the start and
    // end do not follow members that move afterwards.
    vm::Matrix shooter = stage_.members[0], aim = stage_.members[4];
    CBattleEffect_Arrow a(0, &shooter, &aim, 190, nullptr);
    for (int f = 0; f <= 53; ++f) a.Update(f);
    EXPECT_FALSE(a.IsVisible());
    shooter.m[3][0] += 5;
    aim.m[3][1] += 5;
    a.Update(54);
    EXPECT_TRUE(a.IsVisible());
    const vm::Vec3 s = GetMatrixTranslation(stage_.members[0]) + vm::Vec3{0.2f, 0.8f, 0.95f};
    EXPECT_NEAR(a.GetCurrent().x, s.x, 1e-5f);
    for (int f = 55; f <= 65; ++f) a.Update(f);
    const vm::Vec3 e = GetMatrixTranslation(stage_.members[4]) + vm::Vec3{0, 0, 1.3f};
    EXPECT_NEAR(a.GetCurrent().y, s.y + (e.y - s.y) * 1.1f, 1e-4f);
    EXPECT_TRUE(a.m_vHits.empty());  // no result given: none released
    a.Update(66);
    EXPECT_FALSE(a.IsVisible());
    EXPECT_FALSE(a.IsAlive());
}

TEST_F(EffectRules, HitSparksFlyAwayFromTheCameraAndFade) {
    CBattleEffect_Damage3 d(0, stage_.caster(), stage_.target());
    ParticleList out;
    d.Update(0);
    const vm::Vec3 view = vm::Normalize(d.GetCentre() - BattleEye);
    for (int i = 0; i < CBattleEffect_Damage3::kSparks; ++i) {
        const HitSpark& s = d.GetSparks()[i];
        EXPECT_GT(s.x * view.x + s.y * view.y + s.z * view.z, std::cos(70.5 * kEffectPi / 180)) << i;
        EXPECT_GE(s.size, 0.1f);
        EXPECT_LE(s.size, 0.291f);
    }
    std::vector<uint32_t> alpha;
    for (int f = 0; f <= 39; ++f) {
        if (f) d.Update(f);
        out.clear();
        d.Draw(g_pD3DDevice, nullptr, nullptr, nullptr, f, out);
        if (!out.empty()) alpha.push_back(out[0].colour >> 24);
        if (f <= 38) {
            EXPECT_EQ(out.size(), 10u);
        }
    }
    EXPECT_EQ(alpha[19], 255u);
    EXPECT_EQ(alpha[20], 255u);
    EXPECT_EQ(alpha[38], 3u);
    EXPECT_FALSE(d.IsAlive());
    EXPECT_TRUE(d.m_vHits.empty());
}

TEST_F(EffectRules, ThunderMakes64SparksAndNoneOutlivesFrame61) {
    CBattleEffect_Thunder1 t(0, stage_.caster(), stage_.target(), stage_.results[0]);
    size_t most = 0;
    for (int f = 0; f <= 62; ++f) {
        t.Update(f);
        EXPECT_EQ(t.IsBoltVisible(), f >= 20 && f < 25) << f;
        most = std::max(most, t.GetSparks().size());
        if (f == 61) {
            EXPECT_FALSE(t.GetSparks().empty());
        }
    }
    EXPECT_EQ(most, 64u);
    EXPECT_TRUE(t.GetSparks().empty());
}

TEST_F(EffectRules, TheStreamMakes401DropletsThatRestThreeUpdates) {
    CBattleEffect_Beam3 b(0, stage_.caster(), stage_.target(), stage_.results[0]);
    b.Update(0);
    EXPECT_EQ(b.GetDroplets()[0].size, 0.1f);
    EXPECT_EQ(b.GetDroplets()[0].alpha, 255);
    for (int f = 1; f <= 90; ++f) b.Update(f);
    EXPECT_EQ(b.GetDropletsMade(), 401);
    EXPECT_TRUE(b.GetDroplets().empty());
}

TEST_F(EffectRules, CurtainsRiseAndFade) {
    CBattleEffect_MagicCircle1 m(0, stage_.caster());
    m.Update(0);
    const auto& v = m.GetCurtain(0).m_vertices;
    ASSERT_EQ(v.size(), 42u);
    EXPECT_EQ(v[0].z, 0.0f);
    EXPECT_EQ(v[1].diffuse, 0x7FFFFFFFu);
    EXPECT_NEAR(v[0].x, GetMatrixTranslation(stage_.members[0]).x + 0.7f, 1e-5f);
    for (int f = 1; f <= 91; ++f) m.Update(f);
    EXPECT_EQ(m.GetCurtain(1).m_vertices[0].z, 2.0f);
    EXPECT_EQ(m.GetCurtain(1).m_vertices[1].diffuse >> 24, 112u);
    EXPECT_EQ(m.GetCurtain(0).m_vertices[40].x, m.GetCurtain(0).m_vertices[0].x);  // the ring closes
}

TEST_F(EffectRules, HealingSpritesFadeInAndOutOver32Frames) {
    CBattleEffect_Recover1 r(0, stage_.caster(), stage_.target(), stage_.results[0]);
    // Follow the first sprite made: alpha 0, 16, ... 240, 254, 238 ... 14.
    std::vector<int> alphas;
    int born = -1;
    for (int f = 0; f < 100 && alphas.size() < 40; ++f) {
        r.Update(f);
        if (born < 0 && !r.GetSprites().empty()) born = f;
        if (born >= 0 && !r.GetSprites().empty() && r.GetSprites()[0].age == f - born + 1)
            alphas.push_back(r.GetSprites()[0].alpha);
    }
    ASSERT_EQ(alphas.size(), 32u);
    EXPECT_EQ(alphas[0], 0);
    EXPECT_EQ(alphas[15], 240);
    EXPECT_EQ(alphas[16], 254);
    EXPECT_EQ(alphas[31], 14);
    const vm::Vec3 p = GetMatrixTranslation(stage_.members[4]);
    for (const RecoverParticle& s : r.GetSprites()) {
        EXPECT_LT(std::hypot(s.x - p.x, s.y - p.y), 0.8f);
        EXPECT_GE(s.z, 0.5f);
        EXPECT_LE(s.z, 1.5f);
    }
}

TEST_F(EffectRules, RingsAgeWithEveryDrawAndFollowTheirAlphaTable) {
    CBattleEffect_Dark1 d(0, stage_.caster(), stage_.target(), stage_.results[0]);
    ParticleList out;
    for (int f = 0; f <= 40; ++f) d.Update(f);
    EXPECT_EQ(d.GetRingAge(7), -28);
    d.Draw(g_pD3DDevice, nullptr, nullptr, nullptr, 40, out);
    d.Draw(g_pD3DDevice, nullptr, nullptr, nullptr, 40, out);
    EXPECT_EQ(d.GetRingAge(0), 2);
    EXPECT_EQ(d.GetRingAge(7), -26);
    CBattleEffect_Light1 l(0, stage_.caster(), stage_.target(), stage_.results[0]);
    EXPECT_EQ(l.GetTextureName(), "LightBall");
    EXPECT_EQ(l.GetRingColour(), 0xFFFFFFu);
    EXPECT_EQ(d.GetTextureName(), "DarkBall");
    // The ball starts 1.0 above the attacker at full size.
    CBattleEffect_Dark1 b(0, stage_.caster(), stage_.target(), stage_.results[0]);
    b.Update(0);
    EXPECT_EQ(b.GetBallSize(), 0.8f);
    const vm::Vec3 a = GetMatrixTranslation(stage_.members[0]);
    const vm::Vec3 c = GetMatrixTranslation(b.GetBallMatrix());
    const vm::Matrix bb = MakeBillboardMatrix(g_pD3DDevice);
    EXPECT_NEAR(c.x, a.x - 0.4f * (bb.m[0][0] + bb.m[1][0]), 1e-5f);
    EXPECT_NEAR(c.z, 1.0f - 0.4f * (bb.m[0][2] + bb.m[1][2]), 1e-5f);
}

TEST_F(EffectRules, DarkBallsReseedFromTheClockOnceTheyBurst) {
    auto draws = [&] {
        CBattleEffect_Dark1 d(0, stage_.caster(), stage_.target(), stage_.results[0]);
        for (int f = 0; f <= 40; ++f) d.Update(f);
        return g_Rand.Get();
    };
    // The headless clock stands still: the same tick gives the same numbers.
    EXPECT_EQ(draws(), draws());
}

TEST_F(EffectRules, PoisonPuffsFadeAndTheHitComesWhenTheCloudIsGone) {
    CBattleEffect_Poison1 p(0, nullptr, stage_.target(), stage_.results[0]);
    std::vector<int> last;
    for (int f = 0; f <= 90; ++f) {
        p.Update(f);
        if (f >= 31 && f <= 39) last.push_back(p.GetPuffs()[0].alpha);
        if (f == 0) {
            EXPECT_EQ(p.GetPuffs()[0].alpha, 0);
        }
    }
    EXPECT_EQ(last, (std::vector<int>{231, 205, 180, 154, 129, 103, 78, 52, 27}));
    EXPECT_TRUE(p.GetPuffs().empty());
    EXPECT_EQ(p.m_vHits.size(), 1u);
}

TEST_F(EffectRules, BeamSparksAndRings) {
    CBattleEffect_Beam4 b(0, stage_.caster(), stage_.target(), stage_.results[0]);
    for (int f = 0; f <= 59; ++f) {
        b.Update(f);
        if (f == 29) {
            EXPECT_EQ(b.GetSparks().size(), 90u);  // three a frame, the first still alive at age 30
        }
        if (f == 30) {
            EXPECT_NEAR(b.GetHead().y, b.GetEnd().y, 1e-5f);
        }
    }
    EXPECT_TRUE(b.GetSparks().empty());  // the spark of rel 29 goes at 59
    // The curved head leaves the straight line even between members at one height.
    CBattleEffect_Beam4 straight(0, stage_.caster(), stage_.target(), stage_.results[0]);
    CBattleEffect_Beam4b curved(0, stage_.caster(), stage_.target(), stage_.results[0]);
    for (int f = 0; f <= 15; ++f) {
        straight.Update(f);
        curved.Update(f);
    }
    EXPECT_GT(curved.GetHead().z - straight.GetHead().z, 0.5f);
    CBattleEffect_Beam5 five(0, stage_.caster(), stage_.target(), stage_.results[0]);
    for (int f = 0; f <= 50; ++f) five.Update(f);
    EXPECT_EQ(five.GetOrbitSparks().size(), 10u);
    EXPECT_EQ(five.GetRays().size(), 20u);
    for (int f = 51; f <= 80; ++f) five.Update(f);
    EXPECT_TRUE(five.GetRays().empty());
}

TEST_F(EffectRules, RocksBounceOnceWithLossThenWithout) {
    fx::Stage one(1);
    CBattleEffect_RockAll1 r(0, one.targets, one.results);
    for (int f = 0; f <= 10; ++f) r.Update(f);
    ASSERT_EQ(r.GetRocks().size(), 3u);
    float lastVz = r.GetRocks()[0].vz;
    int bounces = 0;
    for (int f = 11; f <= 90 && !r.GetRocks().empty(); ++f) {
        r.Update(f);
        const FallingRock& now = r.GetRocks()[0];
        if (lastVz < 0 && now.vz - now.gravity > 0) {
            ++bounces;
            EXPECT_NEAR(now.vz - now.gravity, -lastVz * (bounces == 1 ? 0.6f : 1.0f), 1e-6f) << f;
            EXPECT_TRUE(now.bounced);
        }
        lastVz = now.vz;
        EXPECT_NEAR(now.angle, -now.age * 2 * kEffectPi / 40, 1e-4);
    }
    EXPECT_GE(bounces, 2);
}

TEST_F(EffectRules, BladesResetTheGeneratorAndCutFiveTimesPerTarget) {
    auto play = [&] {
        CBattleEffect_BladeAll1 b(0, stage_.targets, stage_.results);
        for (int f = 0; f <= 32; ++f) b.Update(f);
        EXPECT_EQ(b.GetSlashes().size(), 20u);
        EXPECT_EQ(b.GetDiscs().size(), 40u);
        return std::make_pair(b.GetDiscs()[7].spin, b.GetSlashes()[13].offset.x);
    };
    g_Rand.Get();
    const auto first = play();
    g_Rand.Get();
    g_Rand.Get();
    EXPECT_EQ(play(), first);
}

TEST_F(EffectRules, DarkAll5SmokeIsTheSameEveryTime) {
    auto smoke = [&] {
        CBattleEffect_DarkAll5 d(0, stage_.targets, stage_.results);
        for (int f = 0; f <= 50; ++f) d.Update(f);
        EXPECT_EQ(d.GetSmoke().size(), 50u);
        return d.GetSmoke()[17].x;
    };
    const float a = smoke();
    g_Rand.Get();
    EXPECT_EQ(smoke(), a);
    CBattleEffect_DarkAll5 d(0, stage_.targets, stage_.results);
    for (int f = 0; f <= 15; ++f) d.Update(f);
    EXPECT_EQ(d.GetRingSparks().size(), 48u);
    for (int f = 16; f <= 75; ++f) d.Update(f);
    EXPECT_TRUE(d.GetRingSparks().empty());
    for (int f = 76; f <= 91; ++f) d.Update(f);
    EXPECT_TRUE(d.GetSmoke().empty());
}

TEST_F(EffectRules, CannonAreasRecordsAndFlash) {
    CBattleEffect_DarkLightAll2 two(0, stage_.targets, stage_.results, 0);
    two.Update(0);
    for (const Vertex3D& v : two.GetBand().m_vertices) EXPECT_EQ(v.diffuse >> 24, 0u);
    for (int f = 1; f <= 60; ++f) two.Update(f);
    EXPECT_EQ(two.GetSparks().size(), 96u);
    EXPECT_EQ(two.GetBand().m_vertices[33].diffuse >> 24, 240u);
    CBattleEffect_DarkLightAll3 three(0, stage_.targets, stage_.results, 1);
    for (int f = 0; f <= 29; ++f) three.Update(f);
    ASSERT_EQ(three.GetMarkers().size(), 4u);
    EXPECT_NEAR(three.GetMarkers()[0].current.x, 0.75f, 1e-5f);
    for (int f = 30; f <= 49; ++f) three.Update(f);
    EXPECT_EQ(three.GetFlames().size(), 240u);  // 3 a frame for each of 4 targets, none burnt out yet
    CBattleEffect_DarkLightAll4 four(0, stage_.targets, stage_.results, 0);
    std::vector<uint32_t> flash;
    CBattleEffectController c;
    c.AddEffect(new CBattleEffect_DarkLightAll4(0, stage_.targets, stage_.results, 0));
    for (int f = 0; f <= 131; ++f) {
        c.Update(f);
        if (f == 60 || f == 70 || f == 90 || f == 97 || f == 98 || f == 130) flash.push_back(c.GetFlash());
    }
    EXPECT_EQ(flash, (std::vector<uint32_t>{0x00FFFFFF, 0xA0FFFFFF, 0xFFFFFFFF, 0x1FFFFFFF, 0x00FFFFFF, 0}));
    for (int f = 0; f <= 29; ++f) four.Update(f);
    EXPECT_EQ(four.GetSparks().size(), 90u);
}

TEST_F(EffectRules, PoisonCannonStreamsAndBurst) {
    CBattleEffect_PoisonAll2 p(0, stage_.targets, stage_.results);
    p.Update(0);
    ASSERT_EQ(p.GetOrbit().size(), 2u);
    EXPECT_EQ(p.GetOrbit()[0].alpha, 0);
    for (int f = 1; f <= 150; ++f) p.Update(f);
    EXPECT_EQ(p.GetBurst().size(), 40u);
    float lowest = 1;
    for (int f = 151; f <= 209; ++f) {
        p.Update(f);
        for (const PoisonBurstPuff& b : p.GetBurst()) lowest = std::min(lowest, b.verticalSpeed);
    }
    EXPECT_GE(lowest, -0.02f);
    EXPECT_TRUE(p.GetOrbit().empty());
    p.Update(210);
    EXPECT_TRUE(p.GetBurst().empty());
}

}  // namespace

namespace {

TEST(EffectController, LightingIsOnAfterTheDrawEvenWithoutParticles) {
    fx::Scene scene;
    fx::Stage stage;
    CBattleEffectController c;
    c.AddEffect(new CBattleEffect_PoisonAll2(0, stage.targets, stage.results));  // leaves lighting off
    const vm::Matrix base;
    for (int f = 0; f <= 30; ++f) c.Update(f);
    c.Draw(g_pD3DDevice, nullptr, nullptr, &base, 30);
    EXPECT_TRUE(c.GetLastParticles().empty());
    EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_LIGHTING), 1u);
}

}  // namespace
