// Sound channels: static and streamed playback, the feeder thread, the wrapper.
#include "Sound/gvlDSNPlaySound.h"

#include <algorithm>
#include <cstring>

#include "Sound/gvlSoundEvent.h"
#include "Sound/gvlSoundStream.h"
#include "audio/sound_device.h"
#include "log/ErrorLog.h"

double g_dMasterVolume = 1.0;

namespace {
CDSNPlaySound::CDirectSoundWrapper* g_pSoundWrapper = nullptr;
}

bool InitSoundSystem(void* window) { return CDSNPlaySound::CDirectSoundWrapper::GetInstance()->Init(window); }

void ReleaseSoundSystem() { CDSNPlaySound::CDirectSoundWrapper::DeleteInstance(); }

// ---- wrapper --------------------------------------------------------------------------

CDSNPlaySound::CDirectSoundWrapper* CDSNPlaySound::CDirectSoundWrapper::GetInstance() {
    if (!g_pSoundWrapper) g_pSoundWrapper = new CDirectSoundWrapper();
    return g_pSoundWrapper;
}

void CDSNPlaySound::CDirectSoundWrapper::DeleteInstance() {
    CDirectSoundWrapper* wrapper = g_pSoundWrapper;
    g_pSoundWrapper = nullptr;
    delete wrapper;
}

CDSNPlaySound::CDirectSoundWrapper::~CDirectSoundWrapper() {
    for (CDSNPlaySound* sound : m_vSounds) sound->ReleaseResources();
    m_vSounds.clear();
    m_pDevice.reset();
}

bool CDSNPlaySound::CDirectSoundWrapper::Init(void* window) {
    if (m_pDevice) return true;
    m_pDevice = audio::SoundDevice::Create(audio::SoundDevice::Output::Auto);
    if (!m_pDevice) {
        g_ErrorLog.Printf("sound output could not be opened (%s); the program runs without sound",
                          audio::LastOutputError().empty() ? "no device" : audio::LastOutputError().c_str());
        return false;
    }
    return true;
}

void CDSNPlaySound::CDirectSoundWrapper::Register(CDSNPlaySound* sound) { m_vSounds.push_back(sound); }

bool CDSNPlaySound::HasSoundOutput() { return CDirectSoundWrapper::GetInstance()->GetDevice() != nullptr; }

void CDSNPlaySound::CDirectSoundWrapper::Unregister(CDSNPlaySound* sound) {
    m_vSounds.erase(std::remove(m_vSounds.begin(), m_vSounds.end(), sound), m_vSounds.end());
}

// ---- channel --------------------------------------------------------------------------

CDSNPlaySound::CDSNPlaySound() { CDirectSoundWrapper::GetInstance()->Register(this); }

CDSNPlaySound::~CDSNPlaySound() {
    CDirectSoundWrapper::GetInstance()->Unregister(this);
    ReleaseResources();
}

void CDSNPlaySound::ReleaseResources() {
    Stop();
    JoinFinishedThread();
    m_pBuffer.reset();
    delete m_pStream;
    m_pStream = nullptr;
    m_bStreaming = false;
    m_bLoaded = false;
    m_strFileName.clear();
}

bool CDSNPlaySound::IsPlaying() const {
    if (!m_pBuffer) return false;
    uint32_t status = 0;
    m_pBuffer->GetStatus(&status);
    return (status & audio::kStatusPlaying) != 0;
}

int CDSNPlaySound::Open(std::string path) {
    if (m_pBuffer && IsPlaying()) m_pBuffer->Stop();
    Stop();
    JoinFinishedThread();
    m_pBuffer.reset();
    delete m_pStream;
    m_pStream = nullptr;
    m_bStreaming = false;
    m_bLoaded = false;
    m_dwBufferSize = 0;

    m_pStream = CreateSoundStream(path);
    if (!m_pStream) return kOpenNoStream;

    const WAVEFORMATEX format = *m_pStream->GetFormat();
    const int length = m_pStream->GetLength();
    m_bStreaming = length >= kStreamThresholdMs;

    audio::BufferDesc desc;
    desc.flags = audio::kCapsLocDefer | audio::kCapsCtrlVolume;
    if (m_bStreaming) desc.flags |= audio::kCapsGetCurrentPosition2 | audio::kCapsCtrlPositionNotify;
    desc.format = format;
    uint64_t bytes = m_bStreaming ? format.avgBytesPerSec
                                  : (length > 0 ? uint64_t(length) * format.avgBytesPerSec / 1000 : 0);
    if (format.blockAlign) bytes -= bytes % format.blockAlign;
    desc.bytes = static_cast<uint32_t>(std::min<uint64_t>(bytes, 0xFFFFFFFFu));

    audio::SoundDevice* device = CDirectSoundWrapper::GetInstance()->GetDevice();
    if (!device || bytes > audio::kBufferMaxBytes || FAILED(device->CreateBuffer(desc, &m_pBuffer))) {
        m_pBuffer.reset();
        // Without a sound device the program runs silent; that was said once already.
        if (device) g_ErrorLog.Printf("sound buffer not created: %s", path.c_str());
        return kOpenCreateBufferFailed;
    }
    m_dwBufferSize = desc.bytes;

    if (!m_bStreaming) {
        void* part1 = nullptr;
        uint32_t bytes1 = 0;
        if (FAILED(m_pBuffer->Lock(0, 0, &part1, &bytes1, nullptr, nullptr, audio::kLockEntireBuffer))) {
            g_ErrorLog.Printf("sound buffer not locked: %s", path.c_str());
            return kOpenLockFailed;
        }
        const unsigned got = m_pStream->Read(part1, bytes1);
        if (got > bytes1) {
            m_pBuffer->Unlock(part1, 0, nullptr, 0);
            g_ErrorLog.Printf("sound decoder overran its buffer: %s", path.c_str());
            return kOpenOverrun;
        }
        if (FAILED(m_pBuffer->Unlock(part1, bytes1, nullptr, 0))) {
            g_ErrorLog.Printf("sound buffer not unlocked: %s", path.c_str());
            return kOpenUnlockFailed;
        }
    }

    m_strFileName = path;
    m_bLoaded = true;
    SetVolume(g_dMasterVolume);
    return kOpenOk;
}

void CDSNPlaySound::JoinFinishedThread() {
    // A feeder that ended by itself (or is ending: it stops the buffer before its
    // last steps) is collected here.
    if (m_Thread.joinable()) {
        m_bStopRequest.store(true);
        m_Thread.join();
    }
    ReportFeederFailures();
}

void CDSNPlaySound::ReportFeederFailures() {
    if (const int failures = m_nRefillFailures.exchange(0)) {
        SOUND_CHECK_FAILED("Result<=0 (" + std::to_string(failures) + " refills failed): " + m_strFileName);
    }
}

void CDSNPlaySound::Play(bool loop) {
    if (!m_pBuffer || IsPlaying() || !m_bLoaded) return;
    m_bLoop = loop;
    HRESULT hr = S_OK;
    if (m_bStreaming) {
        JoinFinishedThread();
        if (m_bThreadActive.load()) {
            SOUND_CHECK_FAILED("feeder thread already running: " + m_strFileName);
            return;
        }
        if (!m_pStopEvent) m_pStopEvent = std::make_unique<CSoundEvent>();
        // The ring starts over: cursor at its beginning, nothing stale in it.
        m_pBuffer->SetCurrentPosition(0);
        SilenceRange(0, 0);
        m_bStopRequest.store(false);
        m_bThreadActive.store(true);
        try {
            m_Thread = std::thread(StreamThreadProc, this);
        } catch (...) {
            m_bThreadActive.store(false);
            SOUND_CHECK_FAILED("feeder thread not started: " + m_strFileName);
            return;
        }
        hr = m_pBuffer->Play(audio::kPlayLooping);
    } else {
        hr = m_pBuffer->Play(loop ? audio::kPlayLooping : 0);
    }
    if (hr == audio::kErrBufferLost) {
        m_pBuffer->Restore();
        if (!m_strFileName.empty()) Open(m_strFileName);
    }
}

void CDSNPlaySound::Stop() {
    if (!m_pBuffer) return;
    if (m_bStreaming) {
        while (m_bThreadActive.load()) {
            m_bStopRequest.store(true);
            if (m_pStopEvent) m_pStopEvent->Wait(kPollMs);
        }
        if (m_Thread.joinable()) m_Thread.join();
        m_pStopEvent.reset();
        ReportFeederFailures();
    }
    m_pBuffer->Stop();
    if (m_pStream) m_pStream->Seek(0);
}

void CDSNPlaySound::SetVolume(double volume) {
    if (!m_pBuffer) return;
    if (volume < 0.0) volume = 0.0;
    if (volume > 1.0) volume = 1.0;
    m_pBuffer->SetVolume(static_cast<long>(volume * 10000.0 - 10000.0));
}

void CDSNPlaySound::SilenceRange(uint32_t from, uint32_t to) {
    const uint32_t size = m_dwBufferSize;
    if (!m_pBuffer || size == 0) return;
    from %= size;
    to %= size;
    const uint32_t bytes = to > from ? to - from : size - from + to;  // from == to: the whole ring
    void *part1 = nullptr, *part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (FAILED(m_pBuffer->Lock(from, bytes, &part1, &bytes1, &part2, &bytes2, 0))) return;
    const uint8_t silence = m_pBuffer->GetFormat().bitsPerSample == 8 ? 0x80 : 0x00;
    std::memset(part1, silence, bytes1);
    if (part2) std::memset(part2, silence, bytes2);
    m_pBuffer->Unlock(part1, bytes1, part2, bytes2);
}

int CDSNPlaySound::FillBuffer(uint32_t& writePos, uint32_t bytes) {
    const uint32_t align = std::max<uint32_t>(1, m_pBuffer->GetFormat().blockAlign);
    uint32_t n = std::min(bytes, m_dwBufferSize / 2);
    n -= n % align;
    if (n == 0) return 0;
    std::vector<uint8_t> block(n);
    unsigned got = m_pStream->Read(block.data(), n);
    if (got > n) return 1;
    if (got == 0) {
        if (!m_bLoop) return -1;
        m_pStream->Seek(0);
        got = m_pStream->Read(block.data(), n);
        if (got > n) return 1;
        if (got == 0) return -1;  // nothing to loop over
    }
    void *part1 = nullptr, *part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (FAILED(m_pBuffer->Lock(writePos % m_dwBufferSize, got, &part1, &bytes1, &part2, &bytes2, 0))) return 2;
    std::memcpy(part1, block.data(), bytes1);
    if (part2 && bytes2) std::memcpy(part2, block.data() + bytes1, bytes2);
    m_pBuffer->Unlock(part1, bytes1, part2, bytes2);
    writePos += got;
    return 0;
}

unsigned CDSNPlaySound::StreamThreadProc(CDSNPlaySound* self) {
    audio::SoundBuffer* buffer = self->m_pBuffer.get();
    CSoundEvent* stopEvent = self->m_pStopEvent.get();
    const uint32_t size = self->m_dwBufferSize;
    stopEvent->Reset();

    uint32_t writePos = 0;
    if (self->FillBuffer(writePos, size) == 0) {
        bool ended = false;
        uint32_t remaining = 0;  // valid bytes still ahead of the play cursor once ended
        uint32_t lastPlay = 0;
        uint32_t played = 0;
        while (!self->m_bStopRequest.load()) {
            if (writePos >= size) writePos -= size;
            uint32_t play = 0, write = 0;
            buffer->GetCurrentPosition(&play, &write);
            const uint32_t moved = play >= lastPlay ? play - lastPlay : size + play - lastPlay;
            lastPlay = play;

            if (ended) {
                // Stop once the output has taken in the last valid byte.  Counting
                // what has played (rather than comparing cursors) cannot miss the
                // moment between two polls.
                remaining = moved >= remaining ? 0 : remaining - moved;
                const uint32_t held = write >= play ? write - play : size + write - play;
                if (remaining <= held) break;
            }

            played += moved;
            if (!ended && played > kRefillThreshold) {
                const uint32_t before = writePos;
                const int result = self->FillBuffer(writePos, played);
                played -= std::min(played, writePos - before);
                if (result == -1) {
                    ended = true;
                    const uint32_t end = writePos % size;
                    remaining = end >= play ? end - play : size + end - play;
                    // Whatever the output reads past the end is silence, not old data.
                    self->SilenceRange(end, play);
                } else if (result > 0) {
                    self->m_nRefillFailures.fetch_add(1);  // playback goes on
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }

    buffer->Stop();
    self->m_pStream->Seek(0);
    stopEvent->Set();
    self->m_bThreadActive.store(false);
    return 0;
}
