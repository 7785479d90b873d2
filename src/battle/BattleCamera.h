#pragma once
// The battle camera: a fixed 180-frame flight over the battle field, then a still
// view.  The battle task copies its eye and target into BattleEye and BattleTarget
// every frame; billboards and the particle depth sort read those copies.
#include "gfx/device.h"
#include "math/vmath.h"

class CBattleCamera {
public:
    CBattleCamera();
    virtual ~CBattleCamera() = default;

    // Eye and target for battle frame `frame` (frames from 180 on hold the last view).
    void SetByFrame(int frame);
    // The device's view transform := LookAtLH(eye, target, up).
    void Apply(gfx::Device* device) const;
    vm::Matrix GetView() const { return vm::LookAtLH(m_Eye, m_Target, m_Up); }

    vm::Vec3 m_Eye{0, 0, 0};
    vm::Vec3 m_Target{0, 0, -0.5f};
    vm::Vec3 m_Up{0, 0, 1};
};

extern CBattleCamera g_BattleCamera;
// BattleEye and BattleTarget (the camera's copies the effects read) are declared
// with the effect base.
