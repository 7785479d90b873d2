#pragma once
// The single-instance guard: a named lock that only one running copy can hold.
#include <memory>
#include <string>

class IMutex {
public:
    virtual int Open(const std::string& name) = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual ~IMutex() = default;
};

// Where CMutex takes its named locks from (the system-wide one by default; tests
// give their own).
class INamedLockSource {
public:
    virtual ~INamedLockSource() = default;
    // Results: 0 created, 1 already exists, 2 invalid handle.  `handle` is set when one
    // is held afterwards (null otherwise).
    virtual int Create(const std::string& name, void*& handle) = 0;
    virtual void Close(void* handle) = 0;
};

INamedLockSource& SystemNamedLockSource();

class CMutex : public IMutex {
public:
    CMutex();
    explicit CMutex(INamedLockSource* source);
    ~CMutex() override;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    enum : int { kCreated = 0, kAlreadyExists = 1, kInvalidHandle = 2 };

    // 0 created, 1 another holder exists, 2 the lock could not be made.
    int Open(const std::string& name) override;
    // The lock is held from Open on; waiting adds nothing.
    void Lock() override;
    void Unlock() override;

    bool IsHeld() const { return m_hMutex != nullptr; }

private:
    INamedLockSource* m_pSource = nullptr;
    void* m_hMutex = nullptr;
};
