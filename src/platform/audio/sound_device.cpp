// Sound buffers, the mixer, and the two outputs (the sound card through SDL, and the
// null output that is pulled by hand).
#include "audio/sound_device.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <cmath>
#include <cstring>

#include "system.h"

namespace audio {

namespace {
std::atomic<bool> g_forceNull{false};
}

std::string g_lastOpenError;

// The sound library the system's audio goes through prints its own complaints to the
// terminal (eight lines when there is no sound card); they are kept quiet here, and the
// reason the device did not open goes into one log line of the program's own.
extern "C" void QuietSoundLibraryError(const char*, int, const char*, int, const char*, ...) {}

void QuietSoundLibrary() {
    static bool done = false;
    if (done) return;
    done = true;
    void* lib = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL | RTLD_NOLOAD);
    if (!lib) lib = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(::dlsym(lib, "snd_lib_error_set_handler"))) set(QuietSoundLibraryError);
    // The library stays loaded: the handler must outlive every later use of it.
}

void SetForceNullOutput(bool force) { g_forceNull.store(force); }
const std::string& LastOutputError() { return g_lastOpenError; }
bool IsNullOutputForced() { return g_forceNull.load(); }

float VolumeToAmplitude(long hundredthsDb) {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    if (hundredthsDb >= kVolumeMax) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

// ---- mixer ------------------------------------------------------------------------

struct MixerState {
    mutable std::mutex mutex;
    std::vector<SoundBuffer*> buffers;
    uint32_t outRate = SoundDevice::kOutputRate;
    // Output frames handed to the sound card in one go: what lies between a buffer's
    // play cursor and its write cursor.  0 on the null output.
    uint32_t lagFrames = 0;
    std::vector<float> scratch;

    void Mix(int16_t* out, size_t frames) {
        std::lock_guard<std::mutex> lock(mutex);
        scratch.assign(frames * 2, 0.0f);
        for (SoundBuffer* b : buffers) {
            if (b->m_playing) b->MixInto(scratch.data(), frames, outRate);
        }
        for (size_t i = 0; i < frames * 2; ++i) {
            long v = std::lrint(scratch[i]);
            out[i] = static_cast<int16_t>(std::clamp<long>(v, -32768, 32767));
        }
    }
};

// ---- buffer -------------------------------------------------------------------------

SoundBuffer::SoundBuffer(std::shared_ptr<MixerState> mixer, const BufferDesc& desc)
    : m_mixer(std::move(mixer)),
      m_format(desc.format),
      m_flags(desc.flags),
      m_size(desc.bytes),
      m_frames(desc.bytes / desc.format.blockAlign),
      m_data(desc.bytes, desc.format.bitsPerSample == 8 ? 0x80 : 0x00) {}

SoundBuffer::~SoundBuffer() {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    auto& v = m_mixer->buffers;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

uint32_t SoundBuffer::WriteBytes() const { return m_frame * m_format.blockAlign; }

uint32_t SoundBuffer::PlayBytes() const {
    if (m_mixer->lagFrames == 0 || m_frames == 0) return WriteBytes();
    uint64_t lag = (uint64_t(m_mixer->lagFrames) * m_format.samplesPerSec + m_mixer->outRate - 1) / m_mixer->outRate;
    lag = std::min<uint64_t>(lag, m_mixedFrames);
    lag %= m_frames;
    uint32_t frame = static_cast<uint32_t>((m_frame + m_frames - lag) % m_frames);
    return frame * m_format.blockAlign;
}

void SoundBuffer::MixInto(float* acc, size_t frames, uint32_t outRate) {
    if (m_frames == 0) {
        m_playing = false;
        return;
    }
    const uint32_t align = m_format.blockAlign;
    const bool eight = m_format.bitsPerSample == 8;
    const bool mono = m_format.channels == 1;
    const uint64_t step = (uint64_t(m_format.samplesPerSec) << 32) / outRate;
    const float amp = m_amplitude;
    const uint8_t* data = m_data.data();
    auto sample = [&](uint32_t frame, int channel) -> float {
        const uint8_t* p = data + size_t(frame) * align;
        if (eight) return float((int(p[channel]) - 128) * 256);
        return float(int16_t(uint16_t(p[channel * 2]) | (uint16_t(p[channel * 2 + 1]) << 8)));
    };
    for (size_t i = 0; i < frames && m_playing; ++i) {
        const uint32_t f0 = m_frame;
        uint32_t f1 = f0 + 1;
        if (f1 >= m_frames) f1 = m_looping ? 0 : f0;
        float l = sample(f0, 0);
        float r = mono ? l : sample(f0, 1);
        if (m_fraction != 0) {
            const float t = float(double(m_fraction) * (1.0 / 4294967296.0));
            const float l1 = sample(f1, 0);
            const float r1 = mono ? l1 : sample(f1, 1);
            l += (l1 - l) * t;
            r += (r1 - r) * t;
        }
        acc[2 * i] += l * amp;
        acc[2 * i + 1] += r * amp;

        const uint64_t advance = uint64_t(m_fraction) + step;
        m_fraction = static_cast<uint32_t>(advance);
        const uint64_t whole = advance >> 32;
        m_mixedFrames += whole;
        uint64_t next = uint64_t(m_frame) + whole;
        if (next >= m_frames) {
            if (m_looping) {
                next %= m_frames;
            } else {
                // A buffer played once stops at its end and starts from the
                // beginning next time.
                m_playing = false;
                next = 0;
                m_fraction = 0;
                m_mixedFrames = 0;
            }
        }
        m_frame = static_cast<uint32_t>(next);
    }
}

HRESULT SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                          uint32_t* bytes2, uint32_t flags) {
    if (!part1 || !bytes1) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    if (m_locked) return kErrInvalidCall;
    if (flags & kLockEntireBuffer) {
        offset = 0;
        bytes = m_size;
    } else if (flags & kLockFromWriteCursor) {
        offset = WriteBytes();
    }
    if (offset >= m_size || bytes == 0 || bytes > m_size) return E_INVALIDARG;
    const uint32_t n1 = std::min(bytes, m_size - offset);
    const uint32_t n2 = part2 ? bytes - n1 : 0;
    m_staging.resize(size_t(n1) + n2);
    std::memcpy(m_staging.data(), m_data.data() + offset, n1);
    if (n2) std::memcpy(m_staging.data() + n1, m_data.data(), n2);
    *part1 = m_staging.data();
    *bytes1 = n1;
    if (part2) *part2 = n2 ? m_staging.data() + n1 : nullptr;
    if (bytes2) *bytes2 = n2;
    m_locked = true;
    m_lockOffset = offset;
    m_lockBytes1 = n1;
    m_lockBytes2 = n2;
    return S_OK;
}

HRESULT SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    if (!m_locked || part1 != m_staging.data()) return kErrInvalidCall;
    if (bytes2 && part2 != m_staging.data() + m_lockBytes1) return E_INVALIDARG;
    std::memcpy(m_data.data() + m_lockOffset, m_staging.data(), std::min(bytes1, m_lockBytes1));
    if (bytes2) std::memcpy(m_data.data(), m_staging.data() + m_lockBytes1, std::min(bytes2, m_lockBytes2));
    m_locked = false;
    return S_OK;
}

HRESULT SoundBuffer::Play(uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    if (!m_playing) m_mixedFrames = 0;
    m_playing = true;
    m_looping = (flags & kPlayLooping) != 0;
    return S_OK;
}

HRESULT SoundBuffer::Stop() {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    m_playing = false;
    return S_OK;
}

HRESULT SoundBuffer::GetStatus(uint32_t* status) const {
    if (!status) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    *status = (m_playing ? kStatusPlaying : 0) | (m_playing && m_looping ? kStatusLooping : 0);
    return S_OK;
}

HRESULT SoundBuffer::GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) const {
    {
        std::lock_guard<std::mutex> lock(m_mixer->mutex);
        if (playCursor) *playCursor = PlayBytes();
        if (writeCursor) *writeCursor = WriteBytes();
    }
    m_cursorQueries.fetch_add(1);
    return S_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(uint32_t playCursor) {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    if (playCursor >= m_size) return E_INVALIDARG;
    m_frame = playCursor / m_format.blockAlign;
    m_fraction = 0;
    m_mixedFrames = 0;
    return S_OK;
}

HRESULT SoundBuffer::SetVolume(long hundredthsDb) {
    if (hundredthsDb < kVolumeMin || hundredthsDb > kVolumeMax) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    m_volume = hundredthsDb;
    m_amplitude = VolumeToAmplitude(hundredthsDb);
    return S_OK;
}

HRESULT SoundBuffer::GetVolume(long* hundredthsDb) const {
    if (!hundredthsDb) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    *hundredthsDb = m_volume;
    return S_OK;
}

// ---- device ------------------------------------------------------------------------

struct SoundDevice::Live {
    SDL_AudioDeviceID id = 0;
};

namespace {
void SDLCALL FillOutput(void* userdata, Uint8* stream, int len) {
    auto* mixer = static_cast<MixerState*>(userdata);
    mixer->Mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / 4);
}
}  // namespace

std::shared_ptr<SoundDevice> SoundDevice::Create(Output output) {
    if (output == Output::Auto) output = (g_forceNull.load() || plat::IsHeadless()) ? Output::Null : Output::Live;
    std::shared_ptr<SoundDevice> device(new SoundDevice());
    device->m_mixer = std::make_shared<MixerState>();
    if (output == Output::Null) return device;

    QuietSoundLibrary();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        g_lastOpenError = SDL_GetError();
        return nullptr;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = FillOutput;
    want.userdata = device->m_mixer.get();
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        g_lastOpenError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    device->m_mixer->lagFrames = have.samples ? have.samples : want.samples;
    device->m_live = std::make_unique<Live>();
    device->m_live->id = id;
    SDL_PauseAudioDevice(id, 0);
    return device;
}

SoundDevice::~SoundDevice() {
    if (m_live) {
        SDL_CloseAudioDevice(m_live->id);  // waits for a running callback
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

HRESULT SoundDevice::CreateBuffer(const BufferDesc& desc, std::shared_ptr<SoundBuffer>* out) {
    if (!out) return E_INVALIDARG;
    out->reset();
    const WaveFormat& f = desc.format;
    if (f.formatTag != kFormatPcm) return E_INVALIDARG;
    if (f.channels == 0 || f.channels > 8) return E_INVALIDARG;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return E_INVALIDARG;
    if (f.blockAlign != f.channels * (f.bitsPerSample / 8)) return E_INVALIDARG;
    if (f.samplesPerSec < 100 || f.samplesPerSec > 200000) return E_INVALIDARG;
    if (f.avgBytesPerSec != f.samplesPerSec * f.blockAlign) return E_INVALIDARG;
    if (desc.bytes < kBufferMinBytes || desc.bytes > kBufferMaxBytes || desc.bytes < f.blockAlign) return E_INVALIDARG;
    std::shared_ptr<SoundBuffer> buffer(new SoundBuffer(m_mixer, desc));
    {
        std::lock_guard<std::mutex> lock(m_mixer->mutex);
        m_mixer->buffers.push_back(buffer.get());
    }
    *out = std::move(buffer);
    return S_OK;
}

uint32_t SoundDevice::OutputRate() const { return m_mixer->outRate; }

size_t SoundDevice::PlayingBufferCount() const {
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    size_t n = 0;
    for (SoundBuffer* b : m_mixer->buffers) n += b->m_playing ? 1 : 0;
    return n;
}

void SoundDevice::Pull(int16_t* out, size_t frames) {
    if (m_live) {
        std::memset(out, 0, frames * 4);
        return;
    }
    m_mixer->Mix(out, frames);
}

void SoundDevice::SetNullOutputLag(uint32_t frames) {
    if (m_live) return;
    std::lock_guard<std::mutex> lock(m_mixer->mutex);
    m_mixer->lagFrames = frames;
}

std::vector<int16_t> SoundDevice::Pull(size_t frames) {
    std::vector<int16_t> out(frames * 2);
    Pull(out.data(), frames);
    return out;
}

}  // namespace audio
