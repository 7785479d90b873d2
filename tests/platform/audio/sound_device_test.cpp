// The sound device on the null output: buffers, cursors, locking, mixing, volume.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/sound_device.h"

namespace {

using audio::SoundBuffer;
using audio::SoundDevice;

std::shared_ptr<SoundDevice> NullDevice() {
    auto device = SoundDevice::Create(SoundDevice::Output::Null);
    EXPECT_TRUE(device);
    EXPECT_TRUE(device->IsNullOutput());
    return device;
}

std::shared_ptr<SoundBuffer> MakeBuffer(SoundDevice& device, uint32_t bytes, uint16_t channels = 2,
                                        uint32_t rate = 44100, uint16_t bits = 16) {
    audio::BufferDesc desc;
    desc.flags = audio::kCapsCtrlVolume;
    desc.bytes = bytes;
    desc.format = audio::MakePcmFormat(channels, rate, bits);
    std::shared_ptr<SoundBuffer> buffer;
    EXPECT_EQ(device.CreateBuffer(desc, &buffer), S_OK);
    return buffer;
}

// Writes 16-bit stereo frames whose left sample is the frame index and right its negative.
void FillRamp(SoundBuffer& buffer) {
    void* p1 = nullptr;
    uint32_t n1 = 0;
    ASSERT_EQ(buffer.Lock(0, 0, &p1, &n1, nullptr, nullptr, audio::kLockEntireBuffer), S_OK);
    auto* s = static_cast<int16_t*>(p1);
    for (uint32_t i = 0; i < n1 / 4; ++i) {
        s[2 * i] = static_cast<int16_t>(i);
        s[2 * i + 1] = static_cast<int16_t>(-int(i));
    }
    ASSERT_EQ(buffer.Unlock(p1, n1, nullptr, 0), S_OK);
}

TEST(SoundDevice, RefusesFormatsAndSizesItCannotPlay) {
    auto device = NullDevice();
    std::shared_ptr<SoundBuffer> buffer;
    audio::BufferDesc desc;
    desc.bytes = 4000;
    desc.format = audio::MakePcmFormat(2, 44100, 24);
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), E_INVALIDARG);
    desc.format = audio::MakePcmFormat(2, 44100, 16);
    desc.format.avgBytesPerSec = 1234;  // inconsistent with rate and block size
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), E_INVALIDARG);
    desc.format = audio::MakePcmFormat(2, 44100, 16);
    desc.format.formatTag = audio::kFormatMpegLayer3;
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), E_INVALIDARG);
    desc.format = audio::MakePcmFormat(1, 22050, 8);
    desc.bytes = 0;
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), E_INVALIDARG);
    EXPECT_FALSE(buffer);
    desc.bytes = 3;
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), E_INVALIDARG);
    desc.bytes = 4;
    EXPECT_EQ(device->CreateBuffer(desc, &buffer), S_OK);
}

TEST(SoundDevice, LockWrapsIntoTwoRegionsAndUnlockCommitsThem) {
    auto device = NullDevice();
    auto buffer = MakeBuffer(*device, 400);
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(300, 200, &p1, &n1, &p2, &n2, 0), S_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 100u);
    ASSERT_NE(p2, nullptr);
    // A second lock while one is open is refused.
    void* q = nullptr;
    uint32_t qn = 0;
    EXPECT_NE(buffer->Lock(0, 4, &q, &qn, nullptr, nullptr, 0), S_OK);
    std::memset(p1, 0x11, n1);
    std::memset(p2, 0x22, n2);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), S_OK);

    ASSERT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, audio::kLockEntireBuffer), S_OK);
    EXPECT_EQ(n1, 400u);
    EXPECT_EQ(n2, 0u);
    const auto* b = static_cast<const uint8_t*>(p1);
    EXPECT_EQ(b[0], 0x22);
    EXPECT_EQ(b[99], 0x22);
    EXPECT_EQ(b[100], 0x00);
    EXPECT_EQ(b[299], 0x00);
    EXPECT_EQ(b[300], 0x11);
    EXPECT_EQ(b[399], 0x11);
    ASSERT_EQ(buffer->Unlock(p1, 0, nullptr, 0), S_OK);

    EXPECT_EQ(buffer->Lock(400, 4, &p1, &n1, nullptr, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(buffer->Lock(0, 401, &p1, &n1, nullptr, nullptr, 0), E_INVALIDARG);
}

TEST(SoundDevice, SameRateBufferIsCopiedSampleForSampleAndStopsAtItsEnd) {
    auto device = NullDevice();
    auto buffer = MakeBuffer(*device, 1000 * 4);
    FillRamp(*buffer);
    ASSERT_EQ(buffer->Play(0), S_OK);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, audio::kStatusPlaying);

    auto out = device->Pull(600);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(out[2 * i], i);
        ASSERT_EQ(out[2 * i + 1], -i);
    }
    uint32_t play = 0, write = 0;
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 600u * 4);
    EXPECT_EQ(write, play);

    out = device->Pull(600);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(out[2 * i], 600 + i);
    for (int i = 400; i < 600; ++i) ASSERT_EQ(out[2 * i], 0) << "silence after the end";
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    // Played out: the next Play starts from the beginning.
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(device->PlayingBufferCount(), 0u);
}

TEST(SoundDevice, LoopingWrapsAndStopKeepsThePosition) {
    auto device = NullDevice();
    auto buffer = MakeBuffer(*device, 100 * 4);
    FillRamp(*buffer);
    buffer->Play(audio::kPlayLooping);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, audio::kStatusPlaying | audio::kStatusLooping);
    auto out = device->Pull(250);
    for (int i = 0; i < 250; ++i) ASSERT_EQ(out[2 * i], i % 100);
    buffer->Stop();
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 50u * 4);
    out = device->Pull(10);
    for (int16_t s : out) ASSERT_EQ(s, 0);
    buffer->Play(0);
    out = device->Pull(10);
    EXPECT_EQ(out[0], 50);
    ASSERT_EQ(buffer->SetCurrentPosition(8), S_OK);
    out = device->Pull(1);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(buffer->SetCurrentPosition(400), E_INVALIDARG);
}

TEST(SoundDevice, VolumeScalesByHundredthsOfADecibel) {
    EXPECT_EQ(audio::VolumeToAmplitude(0), 1.0f);
    EXPECT_EQ(audio::VolumeToAmplitude(-10000), 0.0f);
    EXPECT_NEAR(audio::VolumeToAmplitude(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(audio::VolumeToAmplitude(-600), 0.501187f, 1e-5);

    auto device = NullDevice();
    auto buffer = MakeBuffer(*device, 100 * 4);
    {
        void* p1 = nullptr;
        uint32_t n1 = 0;
        buffer->Lock(0, 0, &p1, &n1, nullptr, nullptr, audio::kLockEntireBuffer);
        auto* s = static_cast<int16_t*>(p1);
        for (uint32_t i = 0; i < n1 / 2; ++i) s[i] = static_cast<int16_t>(i % 2 ? -20000 : 30000);
        buffer->Unlock(p1, n1, nullptr, 0);
    }
    EXPECT_EQ(buffer->SetVolume(-10001), E_INVALIDARG);
    EXPECT_EQ(buffer->SetVolume(1), E_INVALIDARG);

    buffer->SetVolume(0);
    buffer->Play(audio::kPlayLooping);
    auto out = device->Pull(100);
    EXPECT_EQ(out[0], 30000);
    EXPECT_EQ(out[1], -20000);

    buffer->SetVolume(-10000);
    out = device->Pull(100);
    for (int16_t s : out) ASSERT_EQ(s, 0);

    buffer->SetVolume(-2000);
    long volume = 0;
    buffer->GetVolume(&volume);
    EXPECT_EQ(volume, -2000);
    out = device->Pull(2);
    EXPECT_EQ(out[0], 3000);
    EXPECT_EQ(out[1], -2000);
}

TEST(SoundDevice, BuffersAreSummedAndClipped) {
    auto device = NullDevice();
    auto a = MakeBuffer(*device, 4 * 4);
    auto b = MakeBuffer(*device, 4 * 4);
    for (auto* buf : {a.get(), b.get()}) {
        void* p1 = nullptr;
        uint32_t n1 = 0;
        buf->Lock(0, 0, &p1, &n1, nullptr, nullptr, audio::kLockEntireBuffer);
        auto* s = static_cast<int16_t*>(p1);
        s[0] = 20000;
        s[1] = -20000;
        s[2] = 100;
        s[3] = 7;
        buf->Unlock(p1, n1, nullptr, 0);
        buf->Play(0);
    }
    auto out = device->Pull(2);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(out[2], 200);
    EXPECT_EQ(out[3], 14);
}

TEST(SoundDevice, OtherRatesAndLayoutsAreConvertedToTheOutput) {
    auto device = NullDevice();
    // 22050 Hz mono 8-bit: every source frame covers two output frames, the second
    // halfway to the next sample; mono goes to both sides.
    auto buffer = MakeBuffer(*device, 8, 1, 22050, 8);
    {
        void* p1 = nullptr;
        uint32_t n1 = 0;
        buffer->Lock(0, 0, &p1, &n1, nullptr, nullptr, audio::kLockEntireBuffer);
        auto* s = static_cast<uint8_t*>(p1);
        const uint8_t v[8] = {128, 144, 160, 176, 192, 208, 224, 240};
        std::memcpy(s, v, 8);
        buffer->Unlock(p1, n1, nullptr, 0);
    }
    buffer->Play(0);
    auto out = device->Pull(20);
    for (int i = 0; i < 14; ++i) {
        const int expected = (i / 2) * 16 * 256 + (i % 2) * 8 * 256;
        ASSERT_EQ(out[2 * i], expected) << i;
        ASSERT_EQ(out[2 * i + 1], expected) << i;
    }
    EXPECT_EQ(out[2 * 14], 7 * 16 * 256);  // the last frame is held, not blended with the first
    EXPECT_EQ(out[2 * 16], 0);
    uint32_t status = 1;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);

    // 48000 Hz into 44100 Hz: one second of source lasts one second of output.
    auto fast = MakeBuffer(*device, 48000 * 4, 2, 48000, 16);
    fast->Play(0);
    device->Pull(44099);
    fast->GetStatus(&status);
    EXPECT_EQ(status, audio::kStatusPlaying);
    device->Pull(2);
    fast->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST(SoundDevice, CursorQueriesAreCounted) {
    auto device = NullDevice();
    auto buffer = MakeBuffer(*device, 400);
    EXPECT_EQ(buffer->CursorQueries(), 0u);
    uint32_t p = 0, w = 0;
    buffer->GetCurrentPosition(&p, &w);
    buffer->GetCurrentPosition(&p, nullptr);
    EXPECT_EQ(buffer->CursorQueries(), 2u);
}

}  // namespace

namespace {

TEST(SoundDevice, PlayCursorTrailsTheWriteCursorByTheOutputLag) {
    auto device = SoundDevice::Create(SoundDevice::Output::Null);
    device->SetNullOutputLag(100);
    audio::BufferDesc desc;
    desc.bytes = 1000 * 4;
    desc.format = audio::MakePcmFormat(2, 44100, 16);
    std::shared_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer(desc, &buffer), S_OK);
    buffer->Play(audio::kPlayLooping);
    uint32_t play = 1, write = 1;
    device->Pull(60);
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(write, 60u * 4);
    EXPECT_EQ(play, 0u);  // not further back than where it started
    device->Pull(990);    // wraps: 1050 frames mixed
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(write, 50u * 4);
    EXPECT_EQ(play, 950u * 4);
}

TEST(SoundDevice, LiveOutputFeedsTheSoundCardFromItsCallback) {
    if (!getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto device = SoundDevice::Create(SoundDevice::Output::Live);
    if (!device) GTEST_SKIP() << "no sound output here";
    EXPECT_FALSE(device->IsNullOutput());
    audio::BufferDesc desc;
    desc.bytes = 44100 * 4;
    desc.format = audio::MakePcmFormat(2, 44100, 16);
    std::shared_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer(desc, &buffer), S_OK);
    buffer->Play(audio::kPlayLooping);
    uint32_t play = 0, write = 0;
    for (int i = 0; i < 300 && write == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        buffer->GetCurrentPosition(&play, &write);
    }
    EXPECT_GT(write, 0u);
    buffer->Stop();
    device.reset();  // the buffer may outlive its device
    EXPECT_EQ(buffer->Play(0), S_OK);
}

}  // namespace
