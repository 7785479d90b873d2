// Sound channels on the null output: static sounds, streaming through the feeder
// thread, looping, stopping, volume and failed opens.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <random>
#include <thread>

#include "Sound/gvlDSNPlaySound.h"
#include "Sound/gvlSoundStream.h"
#include "audio/sound_device.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "sound_fixtures.h"
#include "sound_pull.h"

namespace {

using soundtest::Pcm;
using testsupport::PullWithFeeder;
using testsupport::WaitForFeeder;

int ThreadCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

// A joined thread can stay listed in /proc for a moment while the kernel reaps it,
// so a count taken right after a join is given up to a second to settle.
int SettledThreadCount(int expected) {
    int n = ThreadCount();
    for (int i = 0; i < 1000 && n != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        n = ThreadCount();
    }
    return n;
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class SoundChannels : public testsupport::NullSoundOutput {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd{dir.path()};
};

TEST_F(SoundChannels, ShortSoundPlaysFromAStaticBuffer) {
    const Pcm pcm = soundtest::Tone(1.0);
    soundtest::WriteFile("se.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("se.wav"), 0);
    EXPECT_TRUE(ch.IsLoaded());
    EXPECT_FALSE(ch.IsStreaming());
    EXPECT_EQ(ch.GetBufferSize(), 176400u);
    EXPECT_EQ(ch.GetFileName(), "se.wav");
    ch.Play(false);
    EXPECT_TRUE(ch.IsPlaying());
    EXPECT_FALSE(ch.IsThreadRunning());

    auto out = Device().Pull(100);
    // Play on a playing channel neither restarts it nor changes the loop flag.
    ch.Play(true);
    EXPECT_FALSE(ch.GetLoop());
    auto rest = Device().Pull(pcm.Frames() - 100 + 50);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_TRUE(std::equal(pcm.samples.begin(), pcm.samples.end(), out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + pcm.samples.size(), out.end(), [](int16_t s) { return s == 0; }));
    EXPECT_FALSE(ch.IsPlaying());

    // Played out: the next play starts from the beginning.
    ch.Play(false);
    out = Device().Pull(10);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), pcm.samples.begin()));
}

TEST_F(SoundChannels, ShortSoundLoops) {
    const Pcm pcm = soundtest::Counter(4410);  // 100 ms
    soundtest::WriteFile("loop.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("loop.wav"), 0);
    ch.Play(true);
    auto out = Device().Pull(10000);
    for (size_t i = 0; i < 10000; ++i) ASSERT_EQ(out[2 * i], pcm.samples[2 * (i % 4410)]) << i;
    ch.Stop();
    EXPECT_FALSE(ch.IsPlaying());
}

TEST_F(SoundChannels, ThirtySecondsIsStreamedAndAMillisecondLessIsNot) {
    soundtest::WriteFile("30000.wav", soundtest::MakeWav(soundtest::Counter(1323000)));
    soundtest::WriteFile("29999.wav", soundtest::MakeWav(soundtest::Counter(1322956)));
    CDSNPlaySound a, b;
    ASSERT_EQ(a.Open("30000.wav"), 0);
    EXPECT_EQ(a.GetStream()->GetLength(), 30000);
    EXPECT_TRUE(a.IsStreaming());
    EXPECT_EQ(a.GetBufferSize(), 176400u);  // one second
    ASSERT_EQ(b.Open("29999.wav"), 0);
    EXPECT_EQ(b.GetStream()->GetLength(), 29999);
    EXPECT_FALSE(b.IsStreaming());
    EXPECT_EQ(b.GetBufferSize(), 5291820u);  // 29999 ms of bytes, in whole frames
}

// The whole 35-second sound goes through the one-second ring: pulls of assorted
// sizes (starting with exactly the refill amount) must give every frame once, in
// order, and the end must be silence.
TEST_F(SoundChannels, LongSoundStreamsWithoutGapOrRepeatAndEndsInSilence) {
    const Pcm pcm = soundtest::Counter(35 * 44100);
    soundtest::WriteFile("long.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("long.wav"), 0);
    ASSERT_TRUE(ch.IsStreaming());
    ch.Play(false);
    EXPECT_TRUE(ch.IsThreadRunning());
    WaitForFeeder(ch, 1);  // the first half second is in

    std::vector<int16_t> out;
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> step(1, 19000);
    int pulls = 0;
    while (out.size() / 2 < pcm.Frames() + 30000) {
        size_t frames = pulls < 4 ? 2500 : pulls == 4 ? 1 : step(rng);
        PullWithFeeder(ch, frames, out);
        ++pulls;
    }
    for (int i = 0; i < 200 && ch.IsThreadRunning(); ++i) SleepMs(5);
    EXPECT_FALSE(ch.IsThreadRunning());
    EXPECT_FALSE(ch.IsPlaying());

    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        ASSERT_EQ(out[i], pcm.samples[i]) << "frame " << i / 2;
    }
    for (size_t i = pcm.samples.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0) << "after the end, frame " << i / 2;
    }
    // The feeder rewound the stream: playing again starts at the first frame.
    EXPECT_EQ(ch.GetStream()->GetPosition(), 0);
    ch.Play(false);
    WaitForFeeder(ch, 1);
    std::vector<int16_t> again;
    PullWithFeeder(ch, 3000, again);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), pcm.samples.begin()));
    ch.Stop();
}

// The same on an output that takes its data ahead of the play cursor: the feeder
// stops once the output has taken the last frame, and nothing is cut off.
TEST_F(SoundChannels, StreamEndsAfterItsLastFrameWhenTheOutputReadsAhead) {
    Device().SetNullOutputLag(1024);
    const Pcm pcm = soundtest::Counter(1323000);
    soundtest::WriteFile("end.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("end.wav"), 0);
    ch.Play(false);
    WaitForFeeder(ch, 1);
    std::vector<int16_t> out;
    std::mt19937 rng(3);
    std::uniform_int_distribution<size_t> step(1, 17000);
    while (out.size() / 2 < pcm.Frames() + 30000) PullWithFeeder(ch, step(rng), out);
    for (int i = 0; i < 200 && ch.IsThreadRunning(); ++i) SleepMs(5);
    EXPECT_FALSE(ch.IsThreadRunning());
    for (size_t i = 0; i < pcm.samples.size(); ++i) ASSERT_EQ(out[i], pcm.samples[i]) << "frame " << i / 2;
    for (size_t i = pcm.samples.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0) << "frame " << i / 2;
}

TEST_F(SoundChannels, LoopingStreamRestartsAtTheBeginning) {
    const Pcm pcm = soundtest::Counter(1323000);  // exactly 30 seconds
    soundtest::WriteFile("bgm.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("bgm.wav"), 0);
    ASSERT_TRUE(ch.IsStreaming());
    ch.Play(true);
    WaitForFeeder(ch, 1);
    std::vector<int16_t> out;
    std::mt19937 rng(11);
    std::uniform_int_distribution<size_t> step(4000, 19000);
    while (out.size() / 2 < pcm.Frames() + 3 * 44100) PullWithFeeder(ch, step(rng), out);
    EXPECT_TRUE(ch.IsThreadRunning());
    EXPECT_TRUE(ch.IsPlaying());
    const size_t n = pcm.samples.size();
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], pcm.samples[i % n]) << "frame " << i / 2;
    ch.Stop();
    EXPECT_FALSE(ch.IsThreadRunning());
}

TEST_F(SoundChannels, StopEndsTheFeederAndRewinds) {
    const Pcm pcm = soundtest::Counter(31 * 44100);
    soundtest::WriteFile("bgm.wav", soundtest::MakeWav(pcm));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("bgm.wav"), 0);
    const int threadsBefore = ThreadCount();
    ch.Play(true);
    WaitForFeeder(ch, 1);
    EXPECT_EQ(SettledThreadCount(threadsBefore + 1), threadsBefore + 1);
    std::vector<int16_t> out;
    for (int i = 0; i < 5; ++i) PullWithFeeder(ch, 10000, out);
    EXPECT_GT(ch.GetStream()->GetPosition(), 0);

    ch.Stop();
    EXPECT_FALSE(ch.IsThreadRunning());
    EXPECT_FALSE(ch.IsPlaying());
    EXPECT_EQ(ch.GetStream()->GetPosition(), 0);
    EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);
    auto quiet = Device().Pull(1000);
    EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](int16_t s) { return s == 0; }));

    // Played again: from the first frame, with nothing of the old ring left.
    ch.Play(false);
    WaitForFeeder(ch, 1);
    std::vector<int16_t> again;
    for (int i = 0; i < 5; ++i) PullWithFeeder(ch, 10000, again);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), pcm.samples.begin()));
    ch.Stop();
    EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);

    // Stop on a channel that is not playing returns at once and rewinds.
    std::vector<uint8_t> skip(10000);
    ch.GetStream()->Read(skip.data(), 10000);
    ch.Stop();
    EXPECT_EQ(ch.GetStream()->GetPosition(), 0);
}

TEST_F(SoundChannels, StopRightAfterPlayIsNotLost) {
    soundtest::WriteFile("bgm.wav", soundtest::MakeWav(soundtest::Counter(31 * 44100)));
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("bgm.wav"), 0);
    const int threadsBefore = ThreadCount();
    for (int i = 0; i < 20; ++i) {
        ch.Play(i % 2 == 0);
        ch.Stop();
        ASSERT_FALSE(ch.IsThreadRunning());
        ASSERT_FALSE(ch.IsPlaying());
    }
    EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);
}

TEST_F(SoundChannels, OpenWhileStreamingStopsTheFeederFirst) {
    soundtest::WriteFile("bgm.wav", soundtest::MakeWav(soundtest::Counter(31 * 44100)));
    const Pcm shortPcm = soundtest::Counter(441);
    soundtest::WriteFile("se.wav", soundtest::MakeWav(shortPcm));
    const int threadsBefore = ThreadCount();
    {
        CDSNPlaySound ch;
        ASSERT_EQ(ch.Open("bgm.wav"), 0);
        ch.Play(true);
        WaitForFeeder(ch, 2);
        ASSERT_EQ(ch.Open("se.wav"), 0);
        EXPECT_FALSE(ch.IsThreadRunning());
        EXPECT_FALSE(ch.IsStreaming());
        EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);
        ch.Play(false);
        auto out = Device().Pull(441);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), shortPcm.samples.begin()));

        // A channel destroyed while streaming ends its feeder too.
        ASSERT_EQ(ch.Open("bgm.wav"), 0);
        ch.Play(true);
        WaitForFeeder(ch, 1);
    }
    EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);
}

TEST_F(SoundChannels, ReleasingTheSystemStopsEveryChannel) {
    soundtest::WriteFile("bgm.wav", soundtest::MakeWav(soundtest::Counter(31 * 44100)));
    const int threadsBefore = ThreadCount();
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("bgm.wav"), 0);
    ch.Play(true);
    WaitForFeeder(ch, 1);
    ReleaseSoundSystem();
    EXPECT_EQ(SettledThreadCount(threadsBefore), threadsBefore);
    EXPECT_FALSE(ch.IsLoaded());
    EXPECT_EQ(ch.GetBuffer(), nullptr);
    ch.Play(true);  // nothing left: does nothing
    // Without a device a channel cannot open (the wrapper made anew has none).
    EXPECT_EQ(ch.Open("bgm.wav"), CDSNPlaySound::kOpenCreateBufferFailed);
    ASSERT_TRUE(InitSoundSystem(nullptr));
}

TEST_F(SoundChannels, VolumeMapsLinearlyOntoHundredthsOfADecibel) {
    const Pcm pcm = soundtest::Counter(4410);
    soundtest::WriteFile("se.wav", soundtest::MakeWav(pcm));
    long mB = 1;
    {
        g_dMasterVolume = 0.5;
        CDSNPlaySound ch;
        ASSERT_EQ(ch.Open("se.wav"), 0);
        ch.GetBuffer()->GetVolume(&mB);
        EXPECT_EQ(mB, -5000);
    }
    g_dMasterVolume = 1.0;
    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("se.wav"), 0);
    ch.GetBuffer()->GetVolume(&mB);
    EXPECT_EQ(mB, 0);
    ch.SetVolume(1.5);
    ch.GetBuffer()->GetVolume(&mB);
    EXPECT_EQ(mB, 0);
    ch.SetVolume(-1.0);
    ch.GetBuffer()->GetVolume(&mB);
    EXPECT_EQ(mB, -10000);
    ch.SetVolume(0.25);
    ch.GetBuffer()->GetVolume(&mB);
    EXPECT_EQ(mB, -7500);

    ch.SetVolume(0.0);
    ch.Play(true);
    auto out = Device().Pull(1000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    ch.SetVolume(1.0);
    out = Device().Pull(1000);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), pcm.samples.begin() + 2000));
}

TEST_F(SoundChannels, FailedOpensLeaveTheChannelSilentAndAreLogged) {
    CDSNPlaySound ch;
    EXPECT_EQ(ch.Open("./sound/none.wav"), CDSNPlaySound::kOpenNoStream);
    EXPECT_FALSE(ch.IsLoaded());
    ch.Play(false);
    EXPECT_FALSE(ch.IsPlaying());

    const std::vector<uint8_t> good = soundtest::MakeWav(soundtest::Counter(1000));
    soundtest::WriteFile("cut.wav", std::vector<uint8_t>(good.begin(), good.begin() + 30));
    EXPECT_EQ(ch.Open("cut.wav"), CDSNPlaySound::kOpenNoStream);
    EXPECT_NE(g_ErrorLog.GetLastText().find("cut.wav"), std::string::npos);

    soundtest::WriteFile("notes.mp3", std::vector<uint8_t>(1000, 'n'));
    EXPECT_EQ(ch.Open("notes.mp3"), CDSNPlaySound::kOpenNoStream);
    EXPECT_NE(g_ErrorLog.GetLastText().find("notes.mp3"), std::string::npos);

    // A playing channel that fails to open something else is silent afterwards.
    soundtest::WriteFile("ok.wav", good);
    ASSERT_EQ(ch.Open("ok.wav"), 0);
    ch.Play(true);
    EXPECT_EQ(ch.Open("cut.wav"), CDSNPlaySound::kOpenNoStream);
    EXPECT_FALSE(ch.IsPlaying());
    auto out = Device().Pull(100);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(SoundChannels, StreamedMp3PlaysWhatTheDecoderGives) {
    const Pcm pcm = soundtest::Tone(30.5, 2, 44100);
    soundtest::WriteFile("bgm.mp3", soundtest::EncodeMp3(pcm, 96));
    std::unique_ptr<ISoundStream> reference(CreateSoundStream("bgm.mp3"));
    ASSERT_TRUE(reference);
    std::vector<int16_t> decoded(44100 * 2 * 3);
    ASSERT_EQ(reference->Read(decoded.data(), unsigned(decoded.size() * 2)), decoded.size() * 2);

    CDSNPlaySound ch;
    ASSERT_EQ(ch.Open("bgm.mp3"), 0);
    ASSERT_TRUE(ch.IsStreaming());
    EXPECT_EQ(ch.GetBufferSize(), 176400u);
    ch.Play(true);
    WaitForFeeder(ch, 1);
    std::vector<int16_t> out;
    for (int i = 0; i < 20; ++i) PullWithFeeder(ch, 6000, out);  // 2.7 s
    ch.Stop();
    ASSERT_LE(out.size(), decoded.size());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], decoded[i]) << "frame " << i / 2;
}

}  // namespace
