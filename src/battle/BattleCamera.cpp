// The battle camera's path.
#include "BattleCamera.h"

CBattleCamera g_BattleCamera;

CBattleCamera::CBattleCamera() = default;

void CBattleCamera::SetByFrame(int frame) {
    const float f = float(frame);
    if (frame < 60) {
        const float a = (60.0f - f) * 0.016666668f, b = f * 0.016666668f;
        m_Eye = vm::Vec3(8, 5, 2.5f) * a + vm::Vec3(9, -3, 3) * b;
        m_Target = vm::Vec3(0, 0, 1) * a + vm::Vec3(0, 0, 0.5f) * b;
    } else if (frame < 180) {
        const float a = (180.0f - f) * 0.008333334f, b = (f - 60.0f) * 0.008333334f;
        m_Eye = vm::Vec3(9, -3, 3) * a + vm::Vec3(2.5f, -7, 3) * b;
        m_Target = vm::Vec3(0, 0, 0.5f) * a;
    } else {
        m_Eye = vm::Vec3(2.5f, -7, 3);
        m_Target = vm::Vec3(0, 0, 0);
    }
}

void CBattleCamera::Apply(gfx::Device* device) const {
    if (device) device->SetTransform(gfx::TS_VIEW, GetView());
}
