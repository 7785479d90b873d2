#pragma once
// An event of the chapter script raised on the field: the task runs the script's
// matching sections, one step per frame, while the task that raised it waits for
// its completion byte (a member of the raiser, named with the raiser's handle).
// It runs at priority 220 (102 when the turn end raises it), after the other field
// tasks of the frame.
#include <cstdint>
#include <string>

#include "ScenarioScript.h"
#include "task/TaskBase.h"

class C_TaskEvent : public C_FieldTaskBase {
public:
    // Loads the chapter script of the party's map, keeps the flag and the event
    // name and clears the flag.
    C_TaskEvent(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done, const std::string& eventName);
    // An event removed before its end still releases its raiser (the flag is set,
    // unless the raiser is gone).
    ~C_TaskEvent() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    const std::string& GetEventName() const { return m_strEvent; }
    bool IsFinished() const { return m_bFinished; }

    C_ScenarioScript m_Script;
    C_TaskReply<uint8_t> m_Done;
    std::string m_strEvent;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    bool m_bFinished = false;
};
