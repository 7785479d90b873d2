#pragma once
// The game's one random generator: MT19937 with the 1998 initialisation (the seed
// spread by the 69069 linear congruential rule).  Never seeded, it starts as if
// seeded with 4357.
#include <cstdint>

class CRand {
public:
    static constexpr int kN = 624;

    CRand() = default;
    virtual ~CRand() = default;

    void SetSeed(uint32_t seed);
    uint32_t Get();

    // The whole generator state (for replays and tests): the 624 words and the
    // index of the next word (624 regenerates first, 625 means never seeded).
    void GetState(uint32_t (&words)[kN], int& index) const;
    void SetState(const uint32_t (&words)[kN], int index);

private:
    void Generate();

    uint32_t m_State[kN] = {};
    int m_nIndex = kN + 1;  // 625: never seeded
};

extern CRand g_Rand;

// mean + sigma * sqrt(-2 ln u1) * cos(2 pi u2) from two or more draws of g_Rand
// (u1 is drawn again while it is exactly 0).
double RandomNormal(double mean, double sigma);
