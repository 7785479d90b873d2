#include "effects_fixture.h"

#include "framework/gvlDXAppBase.h"
#include "preload/GlobalPreloadData.h"
#include "random/gvlRand.h"

namespace fx {

namespace {

const vm::Vec3 kEye{2.5f, -7.0f, 3.0f};
const vm::Vec3 kTarget{0.0f, 0.0f, 0.0f};

vm::Matrix Place(float x, float y, bool side1) {
    return vm::RotationX(1.5707964f) * vm::RotationZ(side1 ? 3.1415927f : 0.0f) * vm::Translation(x, y, 0);
}

}  // namespace

Stage::Stage(int targetCount) {
    const float xs[4] = {0.75f, -0.75f, 2.0f, -2.0f};
    const float ys[4] = {2.0f, 2.0f, 3.0f, 3.0f};
    for (int i = 0; i < 4; ++i) {
        members[i] = Place(-xs[i], -ys[i], false);
        members[4 + i] = Place(xs[i], ys[i], true);
    }
    for (int i = 0; i < targetCount; ++i) {
        targets.push_back(&members[4 + i]);
        AttackResult r;
        r.nAttacker = 0;
        r.nTarget = 4 + i;
        r.nSkill = 400;
        r.nAmount = 10 * (i + 1);
        results.push_back(r);
    }
}

Scene::Scene() {
    cd_ = std::make_unique<testsupport::ScopedCurrentDir>(VORMANT_GAME_DIR);
    EXPECT_EQ(CreateD3DDevice(false, kWidth, kHeight), S_OK);
    InitDrawObjects(g_pD3DDevice);
    SetFixedDeviceState(g_pD3DDevice);
    g_GlobalPreloadData.Load(1);
    g_GlobalPreloadData.Load(2);
    EXPECT_TRUE(g_GlobalPreloadData.GetFailures().empty());
    gfx::Device& d = *g_pD3DDevice;
    d.SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.7853982f, 1.3333334f, 1.0f, 20000.0f));
    d.SetTransform(gfx::TS_VIEW, vm::LookAtLH(kEye, kTarget, vm::Vec3{0, 0, 1}));
    d.SetTransform(gfx::TS_WORLD, vm::Matrix{});
    BattleEye = kEye;
    BattleTarget = kTarget;
    // One white light along the view, as in the battle.
    gfx::Light light;
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.direction = vm::Normalize(kTarget - kEye);
    light.diffuse = {1, 1, 1, 1};
    light.position = kEye;
    light.range = 10000.0f;
    d.SetLight(0, light);
    d.LightEnable(0, true);
    g_Rand.SetSeed(20240);
}

Scene::~Scene() {
    EndSpriteBatch();
    g_GlobalPreloadData.Release();
    ReleaseDrawObjects();
    ReleaseD3DDevice();
    cd_.reset();
}

void Scene::Background(uint32_t tint, const Stage& stage) {
    EndSpriteBatch();
    gfx::Device& d = *g_pD3DDevice;
    d.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF424B79, 1.0f, 0);
    d.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    CD3DDrawSquare dim;
    dim.SetSize(float(kWidth), float(kViewHeight), tint);
    dim.Draw(0, 0);
    d.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    // The members: a dark post on a lighter foot, where each one stands.
    d.SetRenderState(gfx::RS_LIGHTING, 0);
    CD3DDraw3DPolygons poly;
    const vm::Matrix billboard = MakeBillboardMatrix(&d);
    for (int i = 0; i < 8; ++i) {
        const vm::Vec3 p = GetMatrixTranslation(stage.members[i]);
        poly.SetSquare(0.8f, 0.8f, 0xFF6A7090);
        poly.DrawUntextured(vm::Translation(p.x - 0.4f, p.y - 0.4f, 0.0f));
        if (i < 4) continue;  // the near side only marks its places
        poly.SetSquare(0.3f, 1.5f, 0xFF20242E);
        const vm::Matrix post = vm::Translation(-0.15f, 0, 0) * billboard * vm::Translation(p.x, p.y, 0.0f);
        poly.DrawUntextured(post);
        poly.FlipFaces();
        poly.DrawUntextured(post);
    }
    d.SetRenderState(gfx::RS_LIGHTING, 1);
}

const uint32_t* Scene::Pixels() const {
    EndSpriteBatch();
    return g_pD3DDevice->BackBuffer();
}

Run Play(CBattleEffectBase* effect, int frames, bool draw,
         const std::function<void(int rel, CBattleEffectController&)>& each) {
    Run run;
    CBattleEffectController c;
    c.AddEffect(effect);
    const vm::Matrix base;
    for (int f = 0; f <= frames; ++f) {
        c.Update(f);
        std::vector<AttackResult> hits;
        c.TakeHits(hits);
        for (const AttackResult& h : hits) run.hits.emplace_back(f - kStart, h);
        if (!c.GetEffects().empty() && c.GetEffects()[0]->IsAlive()) run.last = f - kStart;
        if (draw) c.Draw(g_pD3DDevice, nullptr, nullptr, &base, f);
        if (each) each(f - kStart, c);
    }
    return run;
}

// ---- every effect --------------------------------------------------------------------------

const std::vector<Case>& AllCases() {
    using V = std::vector<int>;
    static const std::vector<Case> cases = [] {
        auto four = [](int f) { return V{f, f, f, f}; };
        std::vector<Case> c;
        auto single = [](auto type) {
            return [type](int s, Stage& st) -> CBattleEffectBase* {
                using T = typename decltype(type)::type;
                return new T(s, st.caster(), st.target(), st.results[0]);
            };
        };
        auto area = [](auto type) {
            return [type](int s, Stage& st) -> CBattleEffectBase* {
                using T = typename decltype(type)::type;
                return new T(s, st.caster(), st.targets, st.results);
            };
        };
        auto cannon = [](auto type) {
            return [type](int s, Stage& st) -> CBattleEffectBase* {
                using T = typename decltype(type)::type;
                return new T(s, st.targets, st.results);
            };
        };
        auto look = [](auto type, uint8_t flag) {
            return [type, flag](int s, Stage& st) -> CBattleEffectBase* {
                using T = typename decltype(type)::type;
                return new T(s, st.targets, st.results, flag);
            };
        };
        c.push_back({"Arrow", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_Arrow(s, st.caster(), st.target(), 190, &st.results[0]);
                     }, V{64}, 65, {54, 60, 64}});
        c.push_back({"ArrowOtherMotion", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_Arrow(s, st.caster(), st.target(), 630, &st.results[0]);
                     }, V{77}, 78, {67, 72, 78}});
        c.push_back({"Spear", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_Spear(s, st.caster(), st.target(), 390, &st.results[0]);
                     }, V{45}, 46, {35, 40, 45}});
        c.push_back({"Damage3", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_Damage3(s, st.caster(), st.target());
                     }, V{}, 38, {0, 10, 30}});
        c.push_back({"Thunder1", single(std::type_identity<CBattleEffect_Thunder1>{}), V{20}, 200, {20, 23, 45}});
        c.push_back({"Beam3", single(std::type_identity<CBattleEffect_Beam3>{}), V{30}, 90, {10, 30, 60}});
        c.push_back({"MagicCircle1", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_MagicCircle1(s, &st.members[5]);  // a caster in the picture
                     }, V{}, 100, {25, 60, 95}});
        c.push_back({"Beam4", single(std::type_identity<CBattleEffect_Beam4>{}), V{30}, 90, {15, 30, 40}});
        c.push_back({"Beam4b", single(std::type_identity<CBattleEffect_Beam4b>{}), V{30}, 90, {15, 30, 40}});
        c.push_back({"Beam5", single(std::type_identity<CBattleEffect_Beam5>{}), V{50}, 90, {25, 50, 60}});
        c.push_back({"Dark1", single(std::type_identity<CBattleEffect_Dark1>{}), V{45}, 120, {20, 45, 60}});
        c.push_back({"Light1", single(std::type_identity<CBattleEffect_Light1>{}), V{45}, 120, {20, 45, 60}});
        c.push_back({"Poison1", single(std::type_identity<CBattleEffect_Poison1>{}), V{90}, 100, {20, 45, 90}});
        c.push_back({"Recover1", single(std::type_identity<CBattleEffect_Recover1>{}), V{60}, 100, {30, 60, 90}});
        c.push_back({"Recover2", single(std::type_identity<CBattleEffect_Recover2>{}), V{60}, 100, {30, 60, 90}});
        c.push_back({"Recover3", single(std::type_identity<CBattleEffect_Recover3>{}), V{60}, 120, {30, 60, 110}});
        c.push_back({"DarkAll1", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_DarkLightAll1(s, st.caster(), st.targets, st.results, true);
                     }, V{45, 55, 65, 75}, 200, {20, 45, 80}});
        c.push_back({"LightAll1", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_DarkLightAll1(s, st.caster(), st.targets, st.results, false);
                     }, V{45, 55, 65, 75}, 200, {20, 45, 80}});
        c.push_back({"PoisonAll1", [](int s, Stage& st) -> CBattleEffectBase* {
                         return new CBattleEffect_PoisonAll1(s, st.targets, st.results);
                     }, V{90, 100, 110, 120}, 200, {30, 90, 130}});
        c.push_back({"RecoverAll1", area(std::type_identity<CBattleEffect_RecoverAll1>{}), V{60, 70, 80, 90}, 200,
                     {30, 60, 100}});
        c.push_back({"FireAll1", area(std::type_identity<CBattleEffect_FireAll1>{}), four(30), 200, {12, 30, 45}});
        c.push_back({"WaterAll1", area(std::type_identity<CBattleEffect_WaterAll1>{}), four(100), 200, {15, 28, 45}});
        c.push_back({"ThunderAll1", area(std::type_identity<CBattleEffect_ThunderAll1>{}), four(20), 200,
                     {20, 22, 40}});
        c.push_back({"RockAll1", cannon(std::type_identity<CBattleEffect_RockAll1>{}), four(40), 120, {15, 40, 80}});
        c.push_back({"BladeAll1", cannon(std::type_identity<CBattleEffect_BladeAll1>{}), four(32), 130, {25, 32, 45}});
        c.push_back({"DarkAll5", cannon(std::type_identity<CBattleEffect_DarkAll5>{}), four(60), 115, {20, 60, 80}});
        c.push_back({"DarkLightAll2", look(std::type_identity<CBattleEffect_DarkLightAll2>{}, 0), four(100), 120,
                     {45, 60, 100}});
        c.push_back({"DarkLightAll3", look(std::type_identity<CBattleEffect_DarkLightAll3>{}, 1), four(30), 130,
                     {15, 30, 45}});
        c.push_back({"LightAll4", look(std::type_identity<CBattleEffect_DarkLightAll4>{}, 0), four(100), 130,
                     {20, 60, 100}});
        c.push_back({"DarkAll4", look(std::type_identity<CBattleEffect_DarkLightAll4>{}, 1), four(100), 130,
                     {20, 60, 100}});
        c.push_back({"PoisonAll2", cannon(std::type_identity<CBattleEffect_PoisonAll2>{}), four(120), 210,
                     {60, 120, 170}});
        return c;
    }();
    return cases;
}

}  // namespace fx
