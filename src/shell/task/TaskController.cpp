// The task list and its update and draw passes.
#include "task/TaskController.h"

#include <cxxabi.h>

#include <cstdlib>
#include <string>
#include <typeinfo>

#include "log/ErrorLog.h"

void* g_pTaskUpdateArg = nullptr;

namespace {
C_TaskController* g_pRunningController = nullptr;
uint64_t g_nLastSerial = 0;
}  // namespace

// ---- tasks -------------------------------------------------------------------------------------
C_TaskBase::C_TaskBase() : m_nSerial(++g_nLastSerial) {}

bool C_TaskHandle::IsLive() const { return m_pController && m_nSerial != 0 && m_pController->HoldsSerial(m_nSerial); }

void C_TitleTaskBase::KillSelf(C_TitleTaskInfo* info) {
    if (info && info->pTaskController) info->pTaskController->EndCurrentTask();
    else if (C_TaskController* c = C_TaskController::GetRunning()) c->EndCurrentTask();
}

void C_FieldTaskBase::KillSelf(C_FieldTaskInfo*) {
    // The controller that is calling this task is the one that owns it.
    if (C_TaskController* c = C_TaskController::GetRunning()) c->EndCurrentTask();
}

void C_FieldTaskBase::DumpName() {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && readable) ? readable : mangled;
    std::free(readable);
    g_ErrorLog.WriteDump(name, reinterpret_cast<const unsigned char*>(this), DumpSize());
}

// ---- controller -----------------------------------------------------------------------------------
C_TaskController* C_TaskController::GetRunning() { return g_pRunningController; }

C_TaskController::~C_TaskController() {
    // A task's destructor may kill others; take each from the list before deleting it.
    while (!m_Tasks.empty()) {
        C_TaskBase* task = m_Tasks.front();
        m_Tasks.pop_front();
        delete task;
    }
}

void C_TaskController::AddTask(C_TaskBase* task, int priority) {
    if (!task) return;
    task->m_nPriority = priority;
    auto it = m_Tasks.begin();
    while (it != m_Tasks.end() && (*it)->m_nPriority <= priority) ++it;
    auto inserted = m_Tasks.insert(it, task);
    // The running task has already left the list (killed by priority inside its own
    // call): a successor that lies after it still runs in this pass.
    if (m_bWalking && m_bCurrentRemoved && it == m_itAfterCurrent && priority >= m_nRunningPriority)
        m_itAfterCurrent = inserted;
}

bool C_TaskController::HasTask(int priority) const {
    for (C_TaskBase* t : m_Tasks)
        if (t->m_nPriority == priority) return true;
    return false;
}

bool C_TaskController::HoldsTask(const C_TaskBase* task, uint64_t serial) const {
    for (const C_TaskBase* t : m_Tasks)
        if (t == task && t->m_nSerial == serial) return true;
    return false;
}

bool C_TaskController::HoldsSerial(uint64_t serial) const {
    for (const C_TaskBase* t : m_Tasks)
        if (t->m_nSerial == serial) return true;
    return false;
}

void C_TaskController::EndCurrentTask() { m_bEndCurrent = true; }

std::list<C_TaskBase*>::iterator C_TaskController::Erase(std::list<C_TaskBase*>::iterator it) {
    C_TaskBase* task = *it;
    if (m_bWalking && !m_bCurrentRemoved && it == m_itCurrent) {
        // The running task is being killed from inside its own call: take it out of the
        // list now, delete it once the call has returned.
        m_bCurrentRemoved = true;
        m_itAfterCurrent = m_Tasks.erase(it);
        return m_itAfterCurrent;
    }
    if (m_bWalking && m_bCurrentRemoved && it == m_itAfterCurrent) ++m_itAfterCurrent;
    auto next = m_Tasks.erase(it);
    delete task;  // unlinked first: its destructor sees a consistent list
    return next;
}

void C_TaskController::KillTask(int priority) {
    // Searched again after every deletion, since a destructor may change the list.
    for (;;) {
        auto it = m_Tasks.begin();
        while (it != m_Tasks.end() && (*it)->m_nPriority < priority) ++it;
        if (it == m_Tasks.end() || (*it)->m_nPriority != priority) return;
        Erase(it);
    }
}

void C_TaskController::KillTaskRange(int lo, int hi) {
    for (;;) {
        auto it = m_Tasks.begin();
        while (it != m_Tasks.end() && (*it)->m_nPriority < lo) ++it;
        if (it == m_Tasks.end() || (*it)->m_nPriority >= hi) return;
        Erase(it);
    }
}

void C_TaskController::Update(void* info) {
    g_pTaskUpdateArg = info;
    Pass(info, true);
    m_bDump = false;
}

void C_TaskController::Draw(void* info) { Pass(info, false); }

void C_TaskController::Pass(void* info, bool update) {
    // A pass may run inside another controller's pass; keep the outer walk.
    C_TaskController* outerRunning = g_pRunningController;
    const bool outerWalking = m_bWalking;
    const auto outerCurrent = m_itCurrent;
    const bool outerRemoved = m_bCurrentRemoved;
    const auto outerAfter = m_itAfterCurrent;
    const int outerPriority = m_nRunningPriority;

    m_bEndCurrent = false;
    m_bWalking = true;
    auto it = m_Tasks.begin();
    while (it != m_Tasks.end()) {
        C_TaskBase* task = *it;
        m_itCurrent = it;
        m_nRunningPriority = task->m_nPriority;
        m_bCurrentRemoved = false;
        g_pRunningController = this;
        if (update) task->Update(info);
        else task->Draw(info);
        g_pRunningController = outerRunning;

        if (!m_bCurrentRemoved && update && m_bDump) task->DumpName();
        if (!m_bCurrentRemoved && m_bEndCurrent) {
            m_bCurrentRemoved = true;
            m_itAfterCurrent = m_Tasks.erase(it);
        }
        m_bEndCurrent = false;
        if (m_bCurrentRemoved) {
            // Ended or killed during its own call: unlinked already, deleted now.  Its
            // destructor may kill further tasks; the walk's next entry follows that.
            m_itCurrent = m_Tasks.end();
            delete task;
            m_bCurrentRemoved = false;
            it = m_itAfterCurrent;
            continue;
        }
        ++it;
    }

    m_bWalking = outerWalking;
    m_itCurrent = outerCurrent;
    m_bCurrentRemoved = outerRemoved;
    m_itAfterCurrent = outerAfter;
    m_nRunningPriority = outerPriority;
    g_pRunningController = outerRunning;
}
