#pragma once
// The status window of one person: portrait, name, values, condition, every skill
// with its numbers and kind, the unit's charge and a help line for the person or the
// skill under the pointer.  Opened for a unit on the map, a left click on a skill
// row shows the skill's reach there until the cursor is clicked.  The right button
// closes it.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "PersonData.h"
#include "task/TaskBase.h"

class C_TaskDispStatus : public C_FieldTaskBase {
public:
    // The skill row texts of the window.  Rows 0 to 13 stand on the screen and row 14
    // at its lower edge; the rest are drawn and pointed at below it.  A person's
    // three skill lists hold up to 22 skills: those past 20 are logged and left out.
    static constexpr int kMaxRows = 20;
    enum Value { kHP, kMP, kMaxHP, kMaxMP, kStr, kMag, kDex, kSpd, kMove, kGuard, kGuardArrow, kGuardMagic, kValueCount };

    // `closed` answers 0 now and 1 when the window closes (or is removed); (cellX,
    // cellY) is the unit's cell, -1 when the window is not tied to the map.
    C_TaskDispStatus(C_FieldTaskInfo* info, const PersonRecord& person, int charge, const C_TaskReply<int32_t>& closed,
                     int cellX, int cellY);
    ~C_TaskDispStatus() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The row under (px, py), -1 for none.
    int RowAt(int px, int py) const;
    // The x positions of the charge marks.
    static int ChargeMarkX(int charge, int i);
    // The help source of a row (unwrapped).
    std::string GetRowHelp(int row) const;
    const std::string& GetHelpSource() const { return m_strHelp; }
    bool IsRangeShown() const { return m_bRangeShown; }

    PersonRecord m_Person;
    CD3DDrawTexture m_PanelTexture;
    CD3DTextDraw m_NameText;
    CD3DTextDraw m_ValueText[kValueCount];
    CD3DTextDraw m_HelpText;
    CD3DTextDraw m_ConditionText;
    CD3DTextDraw m_RowText[kMaxRows];
    int32_t m_nRowIcon[kMaxRows] = {};
    int32_t m_nCellX = -1;
    int32_t m_nCellY = -1;
    bool m_bTextChanged = false;
    bool m_bHelpChanged = false;
    int32_t m_nCharge = 0;
    int32_t m_nRowCount = 0;
    int32_t m_nSelected = -1;
    C_TaskReply<int32_t> m_Closed;
    bool m_bRangeShown = false;
    int32_t m_nRangeClosed = 0;
    std::string m_strHelp;
    int32_t m_nRowSkill[kMaxRows] = {};
    CD3DDrawSquare m_Square;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void SetHelp(int row);
    void ShowReach(C_FieldTaskInfo* info, int skill);
};

// "LV." + level + ": Sleep" ("/Sealed", "/Poison", "/Dazzle" for each further
// condition), or ": Good" without one.
std::string MakeConditionText(const PersonRecord& person);
// One skill row of the status window: the name padded to 24 bytes, the numbers and
// the kind (none for a passive skill).
std::string MakeStatusSkillRow(int skill);
