#pragma once
// The command panel of an operated unit: the members' plates in their four formation
// places (two clicks exchange places, a second click on the same place shows the
// member's status) and six command buttons.  The chosen command is the answer to
// the task that opened the panel; a panel removed before a choice answers kCancel.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DRTSquare.h"
#include "menu/InstructWindow.h"
#include "menu/TaskMenuBase.h"
#include "resources/UnitPlate.h"

class CUnitList;

class CTaskOperateUnitMenu : public C_TaskMenuBase {
public:
    // The answers.
    enum Result {
        kOpen = 0,
        kMoveAll = 1,
        kMove = 2,
        kAttack = 3,
        kCannon = 4,
        kSupport = 5,
        kClose = 6,
        kCancel = -1,
    };
    // Panel items: 0..3 the formation places, 4..9 the buttons.
    enum Item { kPlaceFirst = 0, kButtonMoveAll = 4, kButtonMove, kButtonAttack, kButtonCannon, kButtonSupport, kButtonClose };

    CTaskOperateUnitMenu(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info, int unit);
    ~CTaskOperateUnitMenu() override;

    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The item under (px, py) in screen pixels, -1 for none (inclusive rectangles).
    int HitTest(int px, int py) const;
    // The rectangle of an item (left, top, right, bottom; inclusive).
    void GetItemRect(int item, int& left, int& top, int& right, int& bottom) const;
    // Works out the six command entries for the unit's present members.
    void ComputeCommands(C_FieldTaskInfo* info);
    // The help text of an item.
    static std::string GetHelpText(int item);

    CD3DRTSquare m_PanelTarget;
    C_TaskReply<int32_t> m_Result;
    int32_t m_nUnit = -1;
    int32_t m_nState = 0;
    int32_t m_bStatusClosed = 0;
    int32_t m_nHold = -1;
    bool m_bAreaEnable[10] = {true, true, true, true, true, true, true, true, true, true};
    bool m_bPlateDirty = true;
    CInstructWindow m_Instruct;
    // The panel picture and the plates composed into the panel.
    CD3DDrawTexture m_PanelImage;
    UnitPlate m_Plate[4];
    CD3DDrawSquare m_Square;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    bool CanReorder(C_FieldTaskInfo* info) const;
    void Reorder(C_FieldTaskInfo* info);
    void ShowStatus(C_FieldTaskInfo* info);
    void ComposePanel(C_FieldTaskInfo* info);
};
