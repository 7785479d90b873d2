#pragma once
// Battle effects on the software device: the game folder's effect textures and
// meshes, the held battle camera, eight member positions and a table of every
// effect with the frames at which it must land its blows and end.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "effects/BattleEffects.h"
#include "golden.h"
#include "math/vmath.h"

namespace fx {

// Member slots 0..7 at their places on the field (side 0 at y -2 / -3 facing side 1).
struct Stage {
    vm::Matrix members[8];
    std::vector<const vm::Matrix*> targets;  // slots 4 .. 4 + n - 1
    std::vector<AttackResult> results;       // one per target, slot 0 striking
    explicit Stage(int targetCount = 4);
    const vm::Matrix* caster() const { return &members[0]; }
    const vm::Matrix* target() const { return &members[4]; }
};

using Maker = std::function<CBattleEffectBase*(int start, Stage& stage)>;

struct Case {
    std::string name;
    Maker make;
    std::vector<int> hits;  // relative frames of every released result, in order
    int last;               // the last relative frame with the alive flag set
    int shots[3];           // relative frames of the golden's three panels
};

// Every effect class (both looks of those that have two).
const std::vector<Case>& AllCases();

// A headless device with the camera of a running battle, the effect textures and
// meshes preloaded from the game folder, and the game folder as the current folder.
class Scene {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr int kViewHeight = 160;  // the 3D view: the top two thirds
    // The part of the view the pictures keep: around the answering side.
    static constexpr int kCropX = 40, kCropY = 12, kCropW = 240, kCropH = 120;

    Scene();
    ~Scene();
    // Clears, dims by the tint as the battle does and draws stand-ins for the members.
    void Background(uint32_t tint, const Stage& stage);
    const uint32_t* Pixels() const;
    uint32_t Px(int x, int y) const { return Pixels()[size_t(y) * kWidth + x]; }

private:
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
};

// Runs `effect` under a controller from frame 0 to `frames`, calling `each` after
// every update with the relative frame.
struct Run {
    std::vector<std::pair<int, AttackResult>> hits;  // relative frame and result
    int last = -1000;
};
Run Play(CBattleEffectBase* effect, int frames, bool draw,
         const std::function<void(int rel, CBattleEffectController&)>& each = nullptr);

constexpr int kStart = 5;  // battle frame at which the effects of the tests start

}  // namespace fx
