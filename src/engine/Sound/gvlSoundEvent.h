#pragma once
// An auto-reset event: Set wakes one waiter (or the next one to wait) and clears
// itself as it does.
#include <condition_variable>  // (not <chrono>: its unit names do not fit the game's code page)
#include <mutex>

class CSoundEvent {
public:
    void Set() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bSignalled = true;
        m_cv.notify_one();
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bSignalled = false;
    }
    // True when signalled within `milliseconds`.
    bool Wait(unsigned milliseconds) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_cv.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bSignalled; }))
            return false;
        m_bSignalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bSignalled = false;
};
