#pragma once
// The priority-ordered task list of a scene.
#include <list>

#include "task/TaskBase.h"

class C_TaskController {
public:
    C_TaskController() = default;
    virtual ~C_TaskController();
    C_TaskController(const C_TaskController&) = delete;
    C_TaskController& operator=(const C_TaskController&) = delete;

    // Inserts before the first task of a greater priority; the controller owns it.
    void AddTask(C_TaskBase* task, int priority);
    void Update(void* info);
    void Draw(void* info);
    // The task being called asks to end; it is deleted right after its call returns.
    void EndCurrentTask();
    // Deletes every task of exactly this priority.
    void KillTask(int priority);
    // Deletes every task whose priority p is lo <= p < hi.
    void KillTaskRange(int lo, int hi);

    void SetDumpFlag(bool dump) { m_bDump = dump; }
    bool GetDumpFlag() const { return m_bDump; }
    int GetTaskCount() const { return static_cast<int>(m_Tasks.size()); }
    bool HasTask(int priority) const;
    // Whether the list holds this task (the same object, built with that serial).
    bool HoldsTask(const C_TaskBase* task, uint64_t serial) const;
    // Whether the list holds the task built with that serial.
    bool HoldsSerial(uint64_t serial) const;
    const std::list<C_TaskBase*>& GetTasks() const { return m_Tasks; }

    // The controller whose pass is calling a task right now (null outside a pass).
    static C_TaskController* GetRunning();

private:
    void Pass(void* info, bool update);
    // Removes the entry at `it` and deletes its task, keeping the walk's position valid.
    std::list<C_TaskBase*>::iterator Erase(std::list<C_TaskBase*>::iterator it);

    std::list<C_TaskBase*> m_Tasks;
    bool m_bEndCurrent = false;
    bool m_bDump = false;

    // The walk in progress: the running task's entry, and whether the running task was
    // removed from the list during its own call.
    bool m_bWalking = false;
    std::list<C_TaskBase*>::iterator m_itCurrent;
    bool m_bCurrentRemoved = false;
    std::list<C_TaskBase*>::iterator m_itAfterCurrent;
    int m_nRunningPriority = 0;
};
