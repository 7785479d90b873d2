#include "sound_pull.h"

#include <thread>

#include "Sound/gvlDSNPlaySound.h"
#include "audio/sound_device.h"

namespace testsupport {

namespace {

bool WaitForPolls(CDSNPlaySound& channel, uint64_t target) {
    for (int i = 0; i < 5000; ++i) {
        if (channel.GetBuffer()->CursorQueries() >= target || !channel.IsThreadRunning()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << "the feeder thread did not poll";
    return false;
}

}  // namespace

void NullSoundOutput::SetUp() {
    audio::SetForceNullOutput(true);
    g_dMasterVolume = 1.0;
    ASSERT_TRUE(InitSoundSystem(nullptr));
}

void NullSoundOutput::TearDown() { ReleaseSoundSystem(); }

audio::SoundDevice& NullSoundOutput::Device() {
    return *CDSNPlaySound::CDirectSoundWrapper::GetInstance()->GetDevice();
}

bool WaitForFeeder(CDSNPlaySound& channel, uint64_t polls) {
    return WaitForPolls(channel, channel.GetBuffer()->CursorQueries() + polls);
}

bool PullWithFeeder(CDSNPlaySound& channel, size_t frames, std::vector<int16_t>& into) {
    const auto out = NullSoundOutput::Device().Pull(frames);
    const uint64_t after = channel.GetBuffer()->CursorQueries();
    into.insert(into.end(), out.begin(), out.end());
    return WaitForPolls(channel, after + 4);
}

}  // namespace testsupport
