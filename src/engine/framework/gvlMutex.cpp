// Single-instance guard on the platform's named locks.
#include "framework/gvlMutex.h"

#include "system.h"

namespace {

class CSystemNamedLockSource : public INamedLockSource {
public:
    int Create(const std::string& name, void*& handle) override {
        plat::LockResult result = plat::LockResult::InvalidHandle;
        plat::NamedLock* lock = plat::OpenNamedLock(name, result);
        handle = lock;
        switch (result) {
        case plat::LockResult::AlreadyExists: return CMutex::kAlreadyExists;
        case plat::LockResult::InvalidHandle: return CMutex::kInvalidHandle;
        default: return CMutex::kCreated;
        }
    }
    void Close(void* handle) override { plat::CloseNamedLock(static_cast<plat::NamedLock*>(handle)); }
};

}  // namespace

INamedLockSource& SystemNamedLockSource() {
    static CSystemNamedLockSource source;
    return source;
}

CMutex::CMutex() : m_pSource(&SystemNamedLockSource()) {}
CMutex::CMutex(INamedLockSource* source) : m_pSource(source ? source : &SystemNamedLockSource()) {}
CMutex::~CMutex() { Unlock(); }

int CMutex::Open(const std::string& name) {
    Unlock();
    void* handle = nullptr;
    int result = m_pSource->Create(name, handle);
    m_hMutex = handle;
    if (result == kAlreadyExists || result == kInvalidHandle) return result;
    return kCreated;  // any other outcome counts as created
}

void CMutex::Lock() {}

void CMutex::Unlock() {
    if (!m_hMutex) return;
    m_pSource->Close(m_hMutex);
    m_hMutex = nullptr;
}
