#pragma once
// Millisecond timers and the frame pacer.
//
// CTimer: a stopwatch with nested pause.  CTimeGetTimeWrapper: raises the system
// timer's resolution while any CTimer exists.  CFPSTimer: paces the frame loop to a
// fixed rate with a 16.16 fixed-point frame time, forgets lateness it cannot catch
// up, marks frames to skip, and measures the real frame rate and the idle share.
#include <cstdint>

namespace halbrookGameSDK3rd {
namespace HTL {

// Holds at most one object of T, made on first request.
template <class T>
class ref_creater {
public:
    ref_creater() = default;
    ref_creater(const ref_creater&) = delete;
    ref_creater& operator=(const ref_creater&) = delete;
    virtual T* create() {
        if (!m_pObject) m_pObject = new T;
        return m_pObject;
    }
    virtual ~ref_creater() { release(); }
    void release() {
        delete m_pObject;
        m_pObject = nullptr;
    }
    T* get() const { return m_pObject; }

private:
    T* m_pObject = nullptr;
};

}  // namespace HTL
}  // namespace halbrookGameSDK3rd

class CTimeGetTimeWrapper {
public:
    CTimeGetTimeWrapper();
    virtual ~CTimeGetTimeWrapper();
    CTimeGetTimeWrapper(const CTimeGetTimeWrapper&) = delete;
    CTimeGetTimeWrapper& operator=(const CTimeGetTimeWrapper&) = delete;

    bool IsRaised() const { return m_bRaised; }
    uint32_t GetPeriod() const { return m_nPeriodMin; }

private:
    bool m_bRaised = false;
    uint32_t m_nPeriodMin = 1;
    uint32_t m_nPeriodMax = 0;
};

// The one wrapper of the program (held while any CTimer lives).
extern halbrookGameSDK3rd::HTL::ref_creater<CTimeGetTimeWrapper> g_TimeGetTimeCreater;

class CTimer {
public:
    CTimer();
    virtual ~CTimer();
    CTimer(const CTimer& other);
    CTimer& operator=(const CTimer& other) = default;

    virtual uint32_t Reset();
    virtual uint32_t Get();
    virtual void Set(uint32_t ms);
    virtual void Pause();
    virtual void Restart();

    bool IsPaused() const { return m_nPauseDepth > 0; }

    // The clock the timers read (milliseconds).
    static uint32_t Now();
    static int LiveCount();

private:
    void Enter();

    uint32_t m_nStart = 0;
    uint32_t m_nPauseTime = 0;
    int32_t m_nPauseDepth = 0;
};

class CFPSTimer {
public:
    static constexpr int kRingSize = 32;

    CFPSTimer();
    virtual ~CFPSTimer();

    virtual void SetFPS(uint32_t fps);
    virtual uint32_t GetFPS();
    virtual uint32_t GetRealFPS();
    virtual uint32_t GetCPUPower();
    virtual uint32_t GetSkipFrameCount();
    virtual void ResetTimer();
    virtual void WaitFrame();
    virtual bool ToBeSkip();
    virtual void ResetBusyTime();
    virtual uint32_t GetBusyTime();
    virtual void ResetFrameCount();
    virtual uint32_t GetFrameCount();

    uint32_t GetFrameTime() const { return m_nFrameTime; }
    uint32_t GetRingCounter() const { return m_nRingCounter; }
    // How long the last WaitFrame slept (milliseconds; 0 for a late frame).
    uint32_t GetLastWait() const { return m_nLastSleep; }

private:
    uint32_t m_nFPS = 60;
    uint32_t m_nFrameTime = 1092266;
    uint32_t m_nBaseTime = 0;
    uint32_t m_nAccumulator = 0;
    uint32_t m_nBusyTotal = 0;
    uint32_t m_TimeRing[kRingSize] = {};
    uint32_t m_BusyRing[kRingSize] = {};
    uint32_t m_nRingCounter = 0;
    uint32_t m_nFrameCount = 0;
    bool m_bSkip = false;
    uint32_t m_nSkipCount = 0;
    uint32_t m_nRunningSkip = 0;
    CTimer m_Timer;
    uint32_t m_nLastSleep = 0;
};
