// Stopwatch, timer-resolution guard and frame pacer.
#include "timing/gvlTimer.h"

#include "system.h"

halbrookGameSDK3rd::HTL::ref_creater<CTimeGetTimeWrapper> g_TimeGetTimeCreater;

namespace {
int g_nLiveTimers = 0;
CTimeGetTimeWrapper* g_pTimeWrapper = nullptr;
}  // namespace

// ---- CTimeGetTimeWrapper ------------------------------------------------------------------
CTimeGetTimeWrapper::CTimeGetTimeWrapper() {
    uint32_t minPeriod = 0, maxPeriod = 0;
    if (!plat::GetTimerCaps(minPeriod, maxPeriod) || minPeriod >= 10) {
        m_nPeriodMin = 1;
        m_bRaised = false;
        return;
    }
    m_nPeriodMin = minPeriod;
    m_nPeriodMax = maxPeriod;
    m_bRaised = plat::BeginTimerPeriod(m_nPeriodMin);
}

CTimeGetTimeWrapper::~CTimeGetTimeWrapper() {
    if (m_bRaised) plat::EndTimerPeriod(m_nPeriodMin);
}

// ---- CTimer -----------------------------------------------------------------------------
uint32_t CTimer::Now() {
    if (g_pTimeWrapper && g_pTimeWrapper->IsRaised()) return plat::TimeGetTime();
    return plat::TickCount();
}

int CTimer::LiveCount() { return g_nLiveTimers; }

void CTimer::Enter() {
    if (g_nLiveTimers++ == 0) g_pTimeWrapper = g_TimeGetTimeCreater.create();
}

CTimer::CTimer() {
    Enter();
    m_nStart = Now();
}

CTimer::CTimer(const CTimer& other)
    : m_nStart(other.m_nStart), m_nPauseTime(other.m_nPauseTime), m_nPauseDepth(other.m_nPauseDepth) {
    Enter();
}

CTimer::~CTimer() {
    if (--g_nLiveTimers == 0) {
        g_TimeGetTimeCreater.release();
        g_pTimeWrapper = nullptr;
    }
}

uint32_t CTimer::Reset() {
    uint32_t now = Now();
    m_nStart = now;
    m_nPauseDepth = 0;
    return now;
}

uint32_t CTimer::Get() {
    if (m_nPauseDepth > 0) return m_nPauseTime - m_nStart;
    return Now() - m_nStart;
}

void CTimer::Set(uint32_t ms) { m_nStart = (m_nPauseDepth > 0 ? m_nPauseTime : Now()) - ms; }

void CTimer::Pause() {
    if (m_nPauseDepth++ == 0) m_nPauseTime = Now();
}

void CTimer::Restart() {
    // Unpaired restarts are ignored so the depth never goes below running.
    if (m_nPauseDepth <= 0) return;
    if (--m_nPauseDepth == 0) m_nStart += Now() - m_nPauseTime;
}

// ---- CFPSTimer ---------------------------------------------------------------------------
CFPSTimer::CFPSTimer() {
    ResetTimer();
    ResetBusyTime();
    m_nFrameCount = 0;
    m_nRingCounter = 0;
    m_nFPS = 60;
    m_nFrameTime = 1092266;
    m_nAccumulator = 0;
}

CFPSTimer::~CFPSTimer() = default;

void CFPSTimer::SetFPS(uint32_t fps) {
    ResetTimer();
    ResetBusyTime();
    m_nFrameCount = 0;
    m_nRingCounter = 0;
    m_nFPS = fps;
    if (fps != 0) {
        m_nFrameTime = 65536000u / fps;
        m_nAccumulator = 0;
    }
}

uint32_t CFPSTimer::GetFPS() { return m_nFPS; }

void CFPSTimer::ResetTimer() {
    m_nBaseTime = m_Timer.Get();
    m_bSkip = false;
    m_nSkipCount = 0;
    m_nRunningSkip = 0;
}

void CFPSTimer::ResetBusyTime() { m_nBusyTotal = 0; }
uint32_t CFPSTimer::GetBusyTime() { return m_nBusyTotal; }
void CFPSTimer::ResetFrameCount() { m_nFrameCount = 0; }
uint32_t CFPSTimer::GetFrameCount() { return m_nFrameCount; }
bool CFPSTimer::ToBeSkip() { return m_bSkip; }
uint32_t CFPSTimer::GetSkipFrameCount() { return m_nSkipCount; }

void CFPSTimer::WaitFrame() {
    const uint32_t now = m_Timer.Get();
    if (m_nFPS != 0 && m_nFrameCount % m_nFPS == 0) {
        m_nSkipCount = m_nRunningSkip;
        m_nRunningSkip = 0;
    }
    const uint32_t slot = m_nRingCounter % kRingSize;
    m_TimeRing[slot] = now;
    if (++m_nRingCounter == 2 * kRingSize) m_nRingCounter = kRingSize;
    ++m_nFrameCount;
    m_nLastSleep = 0;

    if (m_nFPS == 0) {
        m_BusyRing[slot] = 0;
        return;
    }

    m_nAccumulator = m_nFrameTime + (m_nAccumulator & 0xFFFF);
    const uint32_t wait = m_nAccumulator >> 16;
    const uint32_t elapsed = now - m_nBaseTime;
    if (elapsed < wait) {
        m_nBusyTotal += elapsed;
        m_BusyRing[slot] = elapsed;
        m_bSkip = false;
        m_nLastSleep = wait - elapsed;
        plat::Sleep(wait - elapsed);
        m_nBaseTime += wait;
    } else {
        uint32_t late = elapsed - wait;
        if (late >= 250) late = 0;  // too far behind to catch up: start again from now
        m_bSkip = late >= 3 * wait;
        if (m_bSkip) ++m_nRunningSkip;
        m_nBaseTime = now - late;
        m_BusyRing[slot] = 0;
    }
}

uint32_t CFPSTimer::GetRealFPS() {
    const uint32_t c = m_nRingCounter;
    if (c < 16) return 0;
    if (c >= kRingSize) {
        uint32_t d = m_TimeRing[(c - 1) % kRingSize] - m_TimeRing[c % kRingSize];
        if (d == 0) return 0;
        return (d / 2 + 31000) / d;
    }
    uint32_t d = m_TimeRing[c - 1] - m_TimeRing[c - 16];
    if (d == 0) return 0;
    return (d / 2 + 15000) / d;
}

uint32_t CFPSTimer::GetCPUPower() {
    if (m_nRingCounter < 16) return 0;
    uint32_t sum = 0;
    for (int i = 0; i < 16; ++i) sum += m_BusyRing[i];
    return 100 - (m_nFPS * sum) / 160;
}
