#include "turn/TaskChargeAnime.h"

#include <algorithm>
#include <cmath>

#include "FieldTaskInfo.h"
#include "random/gvlRand.h"
#include "turn/TurnBridge.h"

using namespace turnflow;

C_TaskChargeAnime::C_TaskChargeAnime(C_FieldTaskInfo* info, int unit, const C_TaskReply<uint8_t>& done) : m_Done(done) {
    m_Done.Start(0);
    const CUnitList& units = info->m_UnitList;
    const int x = units.IsValidUnit(unit) ? units.GetX(unit) : 0;
    const int y = units.IsValidUnit(unit) ? units.GetY(unit) : 0;
    SetCamera(info, x, y);
    m_nCenterX = info->GetScreenX((float)x, (float)y);
    m_nCenterY = info->GetScreenY((float)x, (float)y);
    PlaySE("warp01");
}

void C_TaskChargeAnime::Update(C_FieldTaskInfo* info) {
    ++m_nFrame;
    for (Line& l : m_vLine) --l.nLife;
    m_vLine.erase(std::remove_if(m_vLine.begin(), m_vLine.end(), [](const Line& l) { return l.nLife <= 0; }),
                  m_vLine.end());
    if (m_nFrame < kLastBirth && m_nFrame % 2 == 0) {
        const double r1 = g_Rand.Get() / 4294967295.0;
        const double r2 = g_Rand.Get() / 4294967295.0;
        const double r3 = g_Rand.Get() / 4294967295.0;
        const double a = 10 + 50 * r1, b = 50 + 50 * r2;
        Line l;
        l.nLife = 10;
        l.fAngle = (float)(6.28318530717958 * r3);
        l.fOuter = (float)(a + b);
        l.fInner = (float)a;
        m_vLine.push_back(l);
    }
    if (m_nFrame > kEndFrame) {
        m_Done.Set(1);
        KillSelf(info);
    }
}

void C_TaskChargeAnime::Draw(C_FieldTaskInfo*) {
    if (m_vLine.empty()) return;
    EndSpriteBatch();
    if (g_pD3DDevice != nullptr) {
        gfx::Device& d = *g_pD3DDevice;
        d.SetTexture(0, nullptr);
        d.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
        d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    }
    for (const Line& l : m_vLine) {
        const double c = std::cos(l.fAngle), s = std::sin(l.fAngle), k = l.nLife / 10.0;
        m_Line.SetPoint(0, (int)(m_nCenterX + l.fInner * c * k), (int)(m_nCenterY + l.fInner * s * k), 0xFFFFFFFF);
        m_Line.SetPoint(1, (int)(m_nCenterX + l.fOuter * c * k), (int)(m_nCenterY + l.fOuter * s * k), 0xFFFFFFFF);
        m_Line.Draw();
    }
}
