#pragma once
// Tasks: small objects with an update and a draw, run by a C_TaskController in the
// order of an integer priority that also names the task's kind.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <type_traits>

class C_TaskController;
class IInputManager;
class C_FieldTaskInfo;  // the field state, handed to every field task

class C_TaskBase {
public:
    C_TaskBase();
    virtual ~C_TaskBase() = default;
    virtual void Update(void* info) = 0;
    virtual void Draw(void* info) = 0;
    virtual void DumpName() {}

    int32_t GetPriority() const { return m_nPriority; }
    // A number given when the task is built, never given twice in one run: it tells a
    // task apart from a later one built at the same address.
    uint64_t GetSerial() const { return m_nSerial; }

private:
    friend class C_TaskController;
    int32_t m_nPriority = 0;
    uint64_t m_nSerial = 0;
};

// Names a task of a controller.  It reads as live while the controller's list holds
// that task, and as gone once the task has left it (ended or removed) or before it
// was added; it never reads a task's memory.
class C_TaskHandle {
public:
    C_TaskHandle() = default;
    C_TaskHandle(const C_TaskController* controller, const C_TaskBase* task)
        : m_pController(controller), m_nSerial(task ? task->GetSerial() : 0) {}
    bool IsLive() const;

private:
    const C_TaskController* m_pController = nullptr;
    uint64_t m_nSerial = 0;
};

// Where a task answers the task that waits on it: a member of the waiter, named with
// the waiter's handle, written only while the waiter lives.  Built from a bare
// pointer, the waiter is no task (code that keeps the value for as long as the
// answering task lives).  The member may be an array (a plan of several entries),
// written whole.
template <class T>
class C_TaskReply {
public:
    C_TaskReply() = default;
    C_TaskReply(T* target) : m_pTarget(target) {}  // NOLINT: a waiter that is no task
    C_TaskReply(const C_TaskHandle& waiter, T* target) : m_pTarget(target), m_Waiter(waiter), m_bTask(true) {}

    // The answer, when the waiter is still there.
    void Set(const T& value) {
        m_bAnswered = true;
        if (m_pTarget && (!m_bTask || m_Waiter.IsLive())) Store(*m_pTarget, value);
    }
    // The answer of a partner that goes before it has answered (removed from outside):
    // the waiter reads it as finished instead of waiting for ever.
    void SetUnlessAnswered(const T& value) {
        if (!m_bAnswered) Set(value);
    }
    // Written while the waiter is building its partner (it runs, so it is there).
    void Start(const T& value) const {
        if (m_pTarget) Store(*m_pTarget, value);
    }
    // The member as the waiter holds it while building its partner, for a partner
    // that starts from the waiter's value; false (nothing copied) without a member.
    bool ReadAtStart(T& into) const {
        if (!m_pTarget) return false;
        Store(into, *m_pTarget);
        return true;
    }
    bool Empty() const { return m_pTarget == nullptr; }
    // The task that waits for the answer; null when the waiter is no task.
    const C_TaskHandle* Waiter() const { return m_bTask ? &m_Waiter : nullptr; }

private:
    static void Store(T& to, const T& from) {
        if constexpr (std::is_array_v<T>)
            std::copy(std::begin(from), std::end(from), std::begin(to));
        else
            to = from;
    }

    T* m_pTarget = nullptr;
    C_TaskHandle m_Waiter;
    bool m_bTask = false;
    bool m_bAnswered = false;
};

// What the title scene hands to its tasks.  The first member of every task info is
// the controller that runs the tasks.
struct C_TitleTaskInfo {
    C_TaskController* pTaskController = nullptr;
    IInputManager* pInputManager = nullptr;
    int32_t nExitCode = 0;
};

// Tasks of the title scene.
class C_TitleTaskBase : public C_TaskBase {
public:
    void Update(void* info) override { Update(static_cast<C_TitleTaskInfo*>(info)); }
    void Draw(void* info) override { Draw(static_cast<C_TitleTaskInfo*>(info)); }
    virtual void Update(C_TitleTaskInfo* info) = 0;
    virtual void Draw(C_TitleTaskInfo* info) {}
    // Ends the calling task (deleted right after the running call returns).
    virtual void KillSelf(C_TitleTaskInfo* info);
};

// Tasks of the field.  The field state's first member is its task controller.
class C_FieldTaskBase : public C_TaskBase {
public:
    void Update(void* info) override { Update(static_cast<C_FieldTaskInfo*>(info)); }
    void Draw(void* info) override { Draw(static_cast<C_FieldTaskInfo*>(info)); }
    // Writes the task's class name and a dump of the task object to the error log.
    void DumpName() override;
    virtual void Update(C_FieldTaskInfo* info) = 0;
    virtual void Draw(C_FieldTaskInfo* info) = 0;
    virtual void KillSelf(C_FieldTaskInfo* info);

protected:
    // Size of the most derived object, for the dump (tasks may report theirs).
    virtual int DumpSize() const { return static_cast<int>(sizeof(*this)); }
};

// The info of the latest update pass; code that runs outside a task call (a task's
// destructor) reaches the owner's state through it.
extern void* g_pTaskUpdateArg;
