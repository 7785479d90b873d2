#pragma once
// Saving the running battle from the field menu: the six-slot save window, then a
// save of kind "FieldSave" with the party data and the whole field state, then back
// to unit selection.
#include "save/ArchiveWindow.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

class C_TaskFieldSave : public C_FieldTaskBase {
public:
    C_TaskFieldSave();
    // The constructor the field menu may use; the state is handed to every update.
    explicit C_TaskFieldSave(C_FieldTaskInfo*) : C_TaskFieldSave() {}
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Writes the field save into the slot; false when the slot file was not written.
    static bool SaveToSlot(C_FieldTaskInfo* info, int slot);

    CArchiveWindow m_Window;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};
