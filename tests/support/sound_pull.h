#pragma once
// Playing sound channels on the null output: the test pulls the output by hand while
// a streamed channel's feeder thread keeps its one-second ring filled.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class CDSNPlaySound;
namespace audio {
class SoundDevice;
}

namespace testsupport {

// A test whose sound system plays into the null output at full master volume.
class NullSoundOutput : public ::testing::Test {
public:
    static audio::SoundDevice& Device();

protected:
    void SetUp() override;
    void TearDown() override;
};

// Waits until the channel's feeder has looked at the play cursor `polls` more times,
// or has ended; when it did neither within five seconds, the test fails and false.
bool WaitForFeeder(CDSNPlaySound& channel, uint64_t polls);

// Pulls `frames` output frames into `into`, then lets the feeder see the new position
// and refill.  Counted from after the pull, the first poll may still have read the
// old cursor, the second reads the new one, the third starts only after its refill,
// and the fourth after one more refill, which a refill cut short at the end of a
// looping sound needs (on a loaded machine the next pull can follow at once).  When
// the feeder stopped polling while it still ran, the test fails and false.
bool PullWithFeeder(CDSNPlaySound& channel, size_t frames, std::vector<int16_t>& into);

}  // namespace testsupport
