#pragma once
// Our sound device: secondary sound buffers mixed into one output.
//
// A buffer holds PCM samples (8-bit unsigned or 16-bit signed, any channel count,
// any rate) and is played once or looping.  The play cursor is where the mixer reads
// next; the write cursor is where writing becomes safe again (everything between the
// two may already have been handed to the output).  Writing goes through Lock /
// Unlock of one region or two when the region wraps past the buffer's end.  Volume
// is in hundredths of a decibel, -10000 (silence) to 0 (unchanged); the amplitude
// factor is 10^(mB / 2000).
//
// The mixer sums every playing buffer, resampling each to the output rate (linear
// interpolation; a buffer at the output rate is copied sample for sample), into
// 16-bit stereo.  The live output feeds the system's sound card from its own
// callback; the null output (headless mode, tests) produces nothing until Pull is
// called, so whoever pulls owns the play cursors.  Every call is thread-safe.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <mutex>
#include <vector>

#include "audio/wave_format.h"
#include "hresult.h"

namespace audio {

// Buffer status bits.
enum : uint32_t { kStatusPlaying = 0x1, kStatusBufferLost = 0x2, kStatusLooping = 0x4 };
// Play flags.
enum : uint32_t { kPlayLooping = 0x1 };
// Lock flags.
enum : uint32_t { kLockFromWriteCursor = 0x1, kLockEntireBuffer = 0x2 };
// Buffer capabilities (accepted and kept; the device honours volume on every buffer).
enum : uint32_t {
    kCapsStatic = 0x2,
    kCapsCtrlVolume = 0x80,
    kCapsCtrlPositionNotify = 0x100,
    kCapsGetCurrentPosition2 = 0x10000,
    kCapsLocDefer = 0x40000,
};

constexpr long kVolumeMin = -10000;
constexpr long kVolumeMax = 0;
constexpr uint32_t kBufferMinBytes = 4;
constexpr uint32_t kBufferMaxBytes = 0x0FFFFFFF;

// Reported by Play when the buffer's memory was lost (never happens on our device,
// kept so callers can handle it the usual way).
constexpr HRESULT kErrBufferLost = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT kErrInvalidCall = static_cast<HRESULT>(0x88780032u);

// Amplitude factor of a volume in hundredths of a decibel (0 at -10000 or below).
float VolumeToAmplitude(long hundredthsDb);

struct BufferDesc {
    uint32_t flags = 0;
    uint32_t bytes = 0;
    WaveFormat format;
};

struct MixerState;

class SoundBuffer {
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Locks `bytes` at `offset` (or from the write cursor, or the whole buffer).
    // The regions show the buffer's current contents; what is written there takes
    // effect at Unlock.  One lock at a time.
    HRESULT Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
                 uint32_t flags);
    // Commits the written regions (the counts may be smaller than locked).
    HRESULT Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

    HRESULT Play(uint32_t flags);
    // Stops; the play cursor stays where it is, so the next Play continues there.
    HRESULT Stop();
    HRESULT GetStatus(uint32_t* status) const;
    HRESULT GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) const;
    HRESULT SetCurrentPosition(uint32_t playCursor);
    HRESULT SetVolume(long hundredthsDb);
    HRESULT GetVolume(long* hundredthsDb) const;
    HRESULT Restore() { return S_OK; }

    uint32_t GetSize() const { return m_size; }
    const WaveFormat& GetFormat() const { return m_format; }
    uint32_t GetFlags() const { return m_flags; }
    // How many times GetCurrentPosition has been called (lets a test that pulls the
    // null output wait until a poller has looked at the new position).
    uint64_t CursorQueries() const { return m_cursorQueries.load(); }

private:
    friend class SoundDevice;
    friend struct MixerState;
    SoundBuffer(std::shared_ptr<MixerState> mixer, const BufferDesc& desc);

    // Under the mixer's lock.
    uint32_t PlayBytes() const;
    uint32_t WriteBytes() const;
    void MixInto(float* acc, size_t frames, uint32_t outRate);

    std::shared_ptr<MixerState> m_mixer;
    const WaveFormat m_format;
    const uint32_t m_flags;
    const uint32_t m_size;
    const uint32_t m_frames;  // whole sample frames in the buffer
    std::vector<uint8_t> m_data;

    bool m_playing = false;
    bool m_looping = false;
    uint32_t m_frame = 0;        // next frame the mixer reads
    uint32_t m_fraction = 0;     // position between m_frame and the next, in 1/2^32
    uint64_t m_mixedFrames = 0;  // frames read since the last Play or position change
    long m_volume = 0;
    float m_amplitude = 1.0f;

    bool m_locked = false;
    uint32_t m_lockOffset = 0, m_lockBytes1 = 0, m_lockBytes2 = 0;
    std::vector<uint8_t> m_staging;
    mutable std::atomic<uint64_t> m_cursorQueries{0};
};

class SoundDevice {
public:
    enum class Output {
        Auto,  // the null output in headless mode (or when forced), else the sound card
        Live,
        Null,
    };
    static constexpr uint32_t kOutputRate = 44100;

    // Null when the requested output cannot be opened.
    static std::shared_ptr<SoundDevice> Create(Output output = Output::Auto);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // E_INVALIDARG for a format the mixer cannot play or a size out of range.
    HRESULT CreateBuffer(const BufferDesc& desc, std::shared_ptr<SoundBuffer>* out);

    bool IsNullOutput() const { return m_live == nullptr; }
    uint32_t OutputRate() const;
    size_t PlayingBufferCount() const;

    // Null output: mixes the next `frames` stereo frames (interleaved left, right)
    // and advances every playing buffer by them.  On the live output this does
    // nothing and gives silence.
    void Pull(int16_t* out, size_t frames);
    std::vector<int16_t> Pull(size_t frames);
    // Null output: how many output frames each buffer's play cursor trails its write
    // cursor (0 by default), as on a sound card that takes its data in blocks.
    void SetNullOutputLag(uint32_t frames);

private:
    struct Live;
    SoundDevice() = default;
    std::shared_ptr<MixerState> m_mixer;
    std::unique_ptr<Live> m_live;
};

// Makes Output::Auto choose the null output even with a window (tests, tools).
void SetForceNullOutput(bool force);
bool IsNullOutputForced();
// Why the last live output could not be opened ("" when it opened).
const std::string& LastOutputError();

}  // namespace audio
