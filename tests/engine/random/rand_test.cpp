#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "random/gvlRand.h"

namespace {

// The 1998 reference generator (sgenrand / genrand), written out independently of
// the game's class so the two can be compared output for output.
class ReferenceMT1998 {
public:
    explicit ReferenceMT1998(uint32_t seed) { sgenrand(seed); }

    uint32_t genrand() {
        static const uint32_t mag01[2] = {0x0u, 0x9908b0dfu};
        uint32_t y;
        if (mti >= N) {
            int kk;
            for (kk = 0; kk < N - M; kk++) {
                y = (mt[kk] & UPPER_MASK) | (mt[kk + 1] & LOWER_MASK);
                mt[kk] = mt[kk + M] ^ (y >> 1) ^ mag01[y & 0x1];
            }
            for (; kk < N - 1; kk++) {
                y = (mt[kk] & UPPER_MASK) | (mt[kk + 1] & LOWER_MASK);
                mt[kk] = mt[kk + (M - N)] ^ (y >> 1) ^ mag01[y & 0x1];
            }
            y = (mt[N - 1] & UPPER_MASK) | (mt[0] & LOWER_MASK);
            mt[N - 1] = mt[M - 1] ^ (y >> 1) ^ mag01[y & 0x1];
            mti = 0;
        }
        y = mt[mti++];
        y ^= (y >> 11);
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= (y >> 18);
        return y;
    }

private:
    static constexpr int N = 624, M = 397;
    static constexpr uint32_t UPPER_MASK = 0x80000000u, LOWER_MASK = 0x7fffffffu;

    void sgenrand(uint32_t seed) {
        for (int i = 0; i < N; i++) {
            mt[i] = seed & 0xffff0000u;
            seed = 69069 * seed + 1;
            mt[i] |= (seed & 0xffff0000u) >> 16;
            seed = 69069 * seed + 1;
        }
        mti = N;
    }

    uint32_t mt[N];
    int mti = N + 1;
};

TEST(Rand, NeverSeededGeneratorFollowsSeed4357) {
    CRand r;
    ReferenceMT1998 ref(4357);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(r.Get(), ref.genrand()) << i;
}

TEST(Rand, GivenSeedsMatchTheReferenceAcrossRegenerations) {
    for (uint32_t seed : {1u, 1000u, 1400u, 0u, 0xFFFFFFFFu}) {
        CRand r;
        r.SetSeed(seed);
        ReferenceMT1998 ref(seed);
        for (int i = 0; i < 1500; ++i) ASSERT_EQ(r.Get(), ref.genrand()) << seed << " " << i;
    }
}

TEST(Rand, Seed5489IsNotThe2002Sequence) {
    CRand r;
    r.SetSeed(5489);
    ReferenceMT1998 ref(5489);
    uint32_t first = r.Get();
    EXPECT_EQ(first, ref.genrand());
    std::mt19937 later(5489);  // the 2002 initialisation
    EXPECT_NE(first, later());
}

TEST(Rand, ReseedingRestartsTheSequence) {
    CRand r;
    r.SetSeed(77);
    std::vector<uint32_t> a;
    for (int i = 0; i < 700; ++i) a.push_back(r.Get());
    r.SetSeed(77);
    for (int i = 0; i < 700; ++i) ASSERT_EQ(r.Get(), a[static_cast<size_t>(i)]);
}

// RandomNormal draws from the global generator.
TEST(Rand, RandomNormalWithSigmaZeroReturnsTheMeanAndDrawsTwo) {
    g_Rand.SetSeed(123);
    double v = RandomNormal(42.5, 0.0);
    EXPECT_EQ(v, 42.5);
    ReferenceMT1998 ref(123);
    ref.genrand();
    ref.genrand();
    EXPECT_EQ(g_Rand.Get(), ref.genrand());
}

TEST(Rand, RandomNormalFollowsBoxMuller) {
    g_Rand.SetSeed(9);
    ReferenceMT1998 ref(9);
    for (int i = 0; i < 50; ++i) {
        double u1 = ref.genrand() / 4294967296.0;
        double u2 = ref.genrand() / 4294967296.0;
        double expected = std::sqrt(std::log(u1) * -2.0) * std::cos(6.28318530717958 * u2) * 10.0 + 100.0;
        EXPECT_EQ(RandomNormal(100.0, 10.0), expected);
    }
}

uint32_t Temper(uint32_t y) {
    y ^= (y >> 11);
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= (y >> 18);
    return y;
}

TEST(Rand, ZeroU1IsSkippedAndU2ComesAfterIt) {
    // A state word of 0 tempers to the output 0.
    uint32_t words[CRand::kN] = {};
    words[0] = 0;
    words[1] = 0x12345678u;
    words[2] = 0x9ABCDEF0u;
    words[3] = 0x0F0F0F0Fu;
    g_Rand.SetState(words, 0);
    double u1 = Temper(words[1]) / 4294967296.0;
    double u2 = Temper(words[2]) / 4294967296.0;
    double expected = std::sqrt(std::log(u1) * -2.0) * std::cos(6.28318530717958 * u2) * 3.0 + 1.0;
    EXPECT_EQ(RandomNormal(1.0, 3.0), expected);
    EXPECT_EQ(g_Rand.Get(), Temper(words[3]));

    // Two zeros in a row are both skipped.
    words[1] = 0;
    g_Rand.SetState(words, 0);
    u1 = Temper(words[2]) / 4294967296.0;
    u2 = Temper(words[3]) / 4294967296.0;
    EXPECT_EQ(RandomNormal(0.0, 1.0), std::sqrt(std::log(u1) * -2.0) * std::cos(6.28318530717958 * u2));
}

TEST(Rand, StateRoundTrips) {
    CRand a;
    a.SetSeed(31);
    for (int i = 0; i < 100; ++i) a.Get();
    uint32_t words[CRand::kN];
    int index = 0;
    a.GetState(words, index);
    EXPECT_EQ(index, 100);
    CRand b;
    b.SetState(words, index);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.Get(), b.Get());
}

}  // namespace
