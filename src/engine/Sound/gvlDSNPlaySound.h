#pragma once
// Sound channels: one open sound each, played from a static buffer (short sounds)
// or streamed through a one-second ring that a feeder thread keeps filling (sounds
// of 30 seconds or more).  One program-wide wrapper owns the output device and knows
// every channel.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace audio {
class SoundDevice;
class SoundBuffer;
}  // namespace audio

class ISoundStream;
class CSoundEvent;

// Master volume, 0.0 to 1.0; the application sets it from its settings before any
// sound is opened, and every open applies it.
extern double g_dMasterVolume;

// Starts the sound system (creates the wrapper and its output device).  `window` is
// the main window or null; the output does not depend on it.  False leaves the
// program without sound: channels then fail to open.
bool InitSoundSystem(void* window);
// Stops and releases every channel and the device, and deletes the wrapper.
void ReleaseSoundSystem();

class CDSNPlaySound {
public:
    // Open results.
    enum : int {
        kOpenOk = 0,
        kOpenNoStream = 1,
        kOpenCreateBufferFailed = 2,
        kOpenNoBuffer8 = 3,
        kOpenLockFailed = 4,
        kOpenOverrun = 5,
        kOpenUnlockFailed = 6,
    };
    // A sound output is open (without one the program runs silent).
    static bool HasSoundOutput();

    // Sounds this long (milliseconds) or longer are streamed.
    static constexpr int kStreamThresholdMs = 30000;
    // The feeder thread's poll period and the played amount that triggers a refill.
    static constexpr unsigned kPollMs = 20;
    static constexpr uint32_t kRefillThreshold = 10000;

    class CDirectSoundWrapper {
    public:
        // The one wrapper, made on first use (without a device until Init).
        static CDirectSoundWrapper* GetInstance();
        // Deletes the wrapper (stopping and releasing every channel) and clears it.
        static void DeleteInstance();

        virtual ~CDirectSoundWrapper();

        bool Init(void* window);
        audio::SoundDevice* GetDevice() const { return m_pDevice.get(); }
        const std::vector<CDSNPlaySound*>& GetSounds() const { return m_vSounds; }

        void Register(CDSNPlaySound* sound);
        void Unregister(CDSNPlaySound* sound);

    private:
        CDirectSoundWrapper() = default;
        std::shared_ptr<audio::SoundDevice> m_pDevice;
        std::vector<CDSNPlaySound*> m_vSounds;
    };

    CDSNPlaySound();
    virtual ~CDSNPlaySound();
    CDSNPlaySound(const CDSNPlaySound&) = delete;
    CDSNPlaySound& operator=(const CDSNPlaySound&) = delete;

    // 0 on success, else one of the open results above.
    int Open(std::string path);
    // Starts playback from the stream's current position; nothing happens without
    // a buffer, while already playing, or when nothing is loaded.
    void Play(bool loop);
    // Stops playback, ends the feeder thread and rewinds the stream to 0.
    void Stop();
    // 0.0 to 1.0 (clamped), mapped linearly onto -10000 to 0 hundredths of a dB.
    void SetVolume(double volume);

    // State, for callers and checks.
    bool IsLoaded() const { return m_bLoaded; }
    bool IsStreaming() const { return m_bStreaming; }
    bool IsPlaying() const;
    bool IsThreadRunning() const { return m_bThreadActive.load(); }
    bool GetLoop() const { return m_bLoop; }
    const std::string& GetFileName() const { return m_strFileName; }
    uint32_t GetBufferSize() const { return m_dwBufferSize; }
    audio::SoundBuffer* GetBuffer() const { return m_pBuffer.get(); }
    ISoundStream* GetStream() const { return m_pStream; }

private:
    friend class CDirectSoundWrapper;

    // Refills `bytes` (at most half the buffer) at `writePos` and advances it.
    // 0 done, -1 the stream has ended (not looping), 1 overrun, 2 lock failed.
    int FillBuffer(uint32_t& writePos, uint32_t bytes);
    // Writes silence over the ring from `from` up to (not including) `to`.
    void SilenceRange(uint32_t from, uint32_t to);
    static unsigned StreamThreadProc(CDSNPlaySound* self);
    // Stops and releases the buffer and the stream (the wrapper's shutdown).
    void ReleaseResources();
    void JoinFinishedThread();
    void ReportFeederFailures();

    std::shared_ptr<audio::SoundBuffer> m_pBuffer;
    ISoundStream* m_pStream = nullptr;
    std::string m_strFileName;
    bool m_bStreaming = false;
    uint32_t m_dwBufferSize = 0;
    std::atomic<bool> m_bStopRequest{false};
    bool m_bLoop = false;
    std::thread m_Thread;                      // joined by Stop / the next Play
    std::atomic<bool> m_bThreadActive{false};  // cleared by the feeder as its last act
    std::unique_ptr<CSoundEvent> m_pStopEvent;
    bool m_bLoaded = false;
    // Refills the feeder could not do; reported by the main thread once the feeder
    // has ended (the error log is the main thread's).
    std::atomic<int> m_nRefillFailures{0};
};
