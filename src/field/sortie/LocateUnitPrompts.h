#pragma once
// The small windows of the sortie preparation: the save window (six slots, an
// inter-mission save into the chosen one), the yes/no box that runs a callback on
// "はい", and the alert box with "ＯＫ".
#include <string>

#include "save/ArchiveWindow.h"
#include "sortie/LocateUnitMenuBase.h"
#include "util/function_callback.h"
#include "util/smart_ptr.h"

class C_TaskLocateUnitSave : public C_TaskLocateUnitMenuBase {
public:
    C_TaskLocateUnitSave();
    ~C_TaskLocateUnitSave() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    CArchiveWindow m_ArchiveWindow;
    int32_t m_nLastResult = -1;  // what the slot window answered last (-1 nothing chosen)

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TaskLocateUnitMenuYesNo : public C_TaskLocateUnitMenuBase {
public:
    C_TaskLocateUnitMenuYesNo();
    ~C_TaskLocateUnitMenuYesNo() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void SetCallback(smart_ptr<function_callback> callback) { m_Callback = callback; }
    // The message goes into row 0.
    void SetMessage(const std::string& text) { SetItemText(0, text); }

    smart_ptr<function_callback> m_Callback;
    int32_t m_nAnswer = 0;  // 0 undecided, 1 "はい", 2 "いいえ" or cancelled

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TaskLocateUnitMenuAlert : public C_TaskLocateUnitMenuBase {
public:
    explicit C_TaskLocateUnitMenuAlert(bool callOnOk = false);
    ~C_TaskLocateUnitMenuAlert() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void SetCallback(smart_ptr<function_callback> callback) { m_Callback = callback; }
    void SetMessage(const std::string& text) { SetItemText(0, text); }

    smart_ptr<function_callback> m_Callback;
    bool m_bCallOnOk = false;
    bool m_bClosed = false;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

// Writes the party and the field state into save slot 0..5 as a save of the
// preparation screen.  Returns whether the slot file was written.
bool SaveInterMission(C_FieldTaskInfo* info, int slot);
