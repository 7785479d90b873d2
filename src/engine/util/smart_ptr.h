#pragma once
// The shared owning pointer.  The owners of one object form a doubly linked ring
// through the pointer objects themselves (no separate count); the last owner to let
// go deletes the object through its virtual destructor.  A pointer may also refer
// to an object without owning it (both links null).
//
//   empty:    object null, links null
//   unowned:  object set,  links null  - never deletes
//   owning:   links set; a sole owner links to itself
//
// Not thread-safe.
#include <cstddef>
#include <utility>

class smart_obj {
public:
    virtual ~smart_obj() = default;
};

template <class T>
class smart_ptr : public smart_obj {
public:
    smart_ptr() = default;
    // Takes ownership of a new object (a ring of one).
    explicit smart_ptr(T* object) { Set(object); }

    // Joins the source's ring right before the source; a copy of an unowned or
    // empty pointer is unowned or empty too.
    smart_ptr(const smart_ptr& source) : m_pObject(source.m_pObject) { JoinBefore(source); }

    // Takes the source's place in its ring; the source becomes empty.
    smart_ptr(smart_ptr&& source) noexcept { TakePlaceOf(source); }

    // Releases the old object, then shares the source's.
    smart_ptr& operator=(const smart_ptr& source) {
        if (this == &source) return *this;
        // Already an owner in the source's ring: nothing changes.
        if (source.m_pNext != nullptr && InSameRing(source)) return *this;
        Release();
        m_pObject = source.m_pObject;
        JoinBefore(source);
        return *this;
    }

    smart_ptr& operator=(smart_ptr&& source) noexcept {
        if (this == &source) return *this;
        if (source.m_pNext != nullptr && InSameRing(source)) {
            source.Release();  // the object stays with this pointer
            return *this;
        }
        Release();
        TakePlaceOf(source);
        return *this;
    }

    ~smart_ptr() override { ReleaseSteps(); }

    // Leaves the ring (deleting the object when this was its last owner) and
    // becomes empty.  Releasing an empty pointer does nothing.
    virtual void Release() { ReleaseSteps(); }

    // Releases what the pointer held and takes `object` as its sole owner.
    void Set(T* object) {
        Release();
        m_pObject = object;
        m_pNext = this;
        m_pPrev = this;
    }

    // Releases what the pointer held and refers to `object` without owning it.
    void SetUnowned(T* object) {
        Release();
        m_pObject = object;
        m_pNext = nullptr;
        m_pPrev = nullptr;
    }

    T* Get() const { return m_pObject; }
    T* operator->() const { return m_pObject; }
    T& operator*() const { return *m_pObject; }
    explicit operator bool() const { return m_pObject != nullptr; }
    bool operator==(std::nullptr_t) const { return m_pObject == nullptr; }
    bool IsOwning() const { return m_pNext != nullptr; }

    // Number of owners in the ring (0 when empty or unowned).
    int OwnerCount() const {
        if (m_pNext == nullptr) return 0;
        int n = 1;
        for (const smart_ptr* p = m_pNext; p != this; p = p->m_pNext) ++n;
        return n;
    }

private:
    void JoinBefore(const smart_ptr& source) {
        if (source.m_pNext == nullptr) {
            m_pNext = nullptr;
            m_pPrev = nullptr;
            return;
        }
        smart_ptr& src = const_cast<smart_ptr&>(source);
        m_pNext = &src;
        m_pPrev = src.m_pPrev;
        src.m_pPrev->m_pNext = this;
        src.m_pPrev = this;
    }

    void TakePlaceOf(smart_ptr& source) {
        m_pObject = source.m_pObject;
        if (source.m_pNext == nullptr) {
            m_pNext = m_pPrev = nullptr;
        } else if (source.m_pNext == &source) {
            m_pNext = m_pPrev = this;
        } else {
            m_pNext = source.m_pNext;
            m_pPrev = source.m_pPrev;
            m_pNext->m_pPrev = this;
            m_pPrev->m_pNext = this;
        }
        source.m_pObject = nullptr;
        source.m_pNext = source.m_pPrev = nullptr;
    }

    bool InSameRing(const smart_ptr& other) const {
        if (m_pNext == nullptr) return false;
        for (const smart_ptr* p = m_pNext; p != this; p = p->m_pNext)
            if (p == &other) return true;
        return false;
    }

    void ReleaseSteps() {
        if (m_pNext != nullptr) {
            if (m_pNext != this) {
                m_pNext->m_pPrev = m_pPrev;
                m_pPrev->m_pNext = m_pNext;
            } else if (m_pObject != nullptr) {
                T* object = m_pObject;
                m_pObject = nullptr;
                m_pNext = m_pPrev = nullptr;
                delete object;
            }
        }
        m_pNext = nullptr;
        m_pPrev = nullptr;
        m_pObject = nullptr;
    }

    T* m_pObject = nullptr;
    smart_ptr* m_pNext = nullptr;
    smart_ptr* m_pPrev = nullptr;
};
