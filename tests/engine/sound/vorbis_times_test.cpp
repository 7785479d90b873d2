// Times that the Vorbis decoder reports for a damaged file (infinities, NaN, error
// codes, absurd lengths) become milliseconds within the int range.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "Sound/gvlVorbisStream.h"
#include "golden.h"
#include "sound_fixtures.h"

namespace {

double g_Reported = 0;
double ReportTotal(OggVorbis_File*, int) { return g_Reported; }
double ReportTell(OggVorbis_File*) { return g_Reported; }

TEST(VorbisTimes, WhateverTheDecoderReportsIsAWholeNumberOfMilliseconds) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd{dir.path()};
    soundtest::WriteFile("tone.ogg", soundtest::EncodeOgg(soundtest::Tone(0.3)));
    VorbisLibrary library("libvorbisfile.so.3", false);
    ASSERT_TRUE(library.IsLoaded());
    CVorbisStream stream(&library);
    ASSERT_EQ(stream.Open("tone.ogg"), 0);
    library.ov_time_total = ReportTotal;
    library.ov_time_tell = ReportTell;
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        int ms;
    } cases[] = {
        {2.5, 2500},   {0.0, 0},          {-131.0, 0},       {-inf, 0},
        {inf, INT_MAX}, {1e300, INT_MAX}, {std::numeric_limits<double>::quiet_NaN(), 0},
        {2147483.647, 2147483647},
    };
    for (const auto& c : cases) {
        g_Reported = c.seconds;
        EXPECT_EQ(stream.GetLength(), c.ms) << c.seconds;
        EXPECT_EQ(stream.GetPosition(), c.ms) << c.seconds;
    }
}

}  // namespace
