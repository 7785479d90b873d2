// MT19937 with the 1998 initialisation.
#include "random/gvlRand.h"

#include <cmath>

constinit CRand g_Rand;

namespace {
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
}  // namespace

void CRand::SetSeed(uint32_t seed) {
    for (int i = 0; i < kN; ++i) {
        m_State[i] = seed & 0xFFFF0000u;
        seed = 69069u * seed + 1u;
        m_State[i] |= (seed & 0xFFFF0000u) >> 16;
        seed = 69069u * seed + 1u;
    }
    m_nIndex = kN;
}

void CRand::Generate() {
    if (m_nIndex == kN + 1) SetSeed(4357u);
    int k = 0;
    for (; k < kN - kM; ++k) {
        uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
        m_State[k] = m_State[k + kM] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
    for (; k < kN - 1; ++k) {
        uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
        m_State[k] = m_State[k + (kM - kN)] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
    uint32_t y = (m_State[kN - 1] & kUpperMask) | (m_State[0] & kLowerMask);
    m_State[kN - 1] = m_State[kM - 1] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    m_nIndex = 0;
}

uint32_t CRand::Get() {
    if (m_nIndex >= kN) Generate();
    uint32_t y = m_State[m_nIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

void CRand::GetState(uint32_t (&words)[kN], int& index) const {
    for (int i = 0; i < kN; ++i) words[i] = m_State[i];
    index = m_nIndex;
}

void CRand::SetState(const uint32_t (&words)[kN], int index) {
    for (int i = 0; i < kN; ++i) m_State[i] = words[i];
    m_nIndex = index < 0 ? 0 : (index > kN + 1 ? kN + 1 : index);
}

double RandomNormal(double mean, double sigma) {
    const double kScale = 1.0 / 4294967296.0;  // 2 to the power -32
    double u1;
    do {
        u1 = static_cast<double>(g_Rand.Get()) * kScale;
    } while (u1 == 0.0);
    double u2 = static_cast<double>(g_Rand.Get()) * kScale;
    return std::sqrt(std::log(u1) * -2.0) * std::cos(6.28318530717958 * u2) * sigma + mean;
}
