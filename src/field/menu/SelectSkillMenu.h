#pragma once
// The skill list of one member, with a help panel for the row under the pointer.
// In normal mode (from the battle confirmation) row 0 is "待機" and the rows offer
// the skills usable against the target unit; in cannon mode (from the unit
// operation) row 0 is "チャージ" and only cannon magic can be chosen.
#include <cstdint>
#include <string>
#include <vector>

#include "Draw/gvlD3DRTSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "menu/TaskMenuBase.h"

class CSkillData;

class C_TaskSelectSkillMenu : public C_TaskMenuBase {
public:
    // Row texts of the list: row 0 and up to 31 skills, more than a person's three
    // skill lists hold (12 + 6 + 4).  The window shows rows 0 to 12; the rows below
    // are built, drawn into the picture and pointed at like the others, past the
    // window's lower edge.
    static constexpr int kMaxRows = 32;

    // result is 0 while the list is open, 1 when a row was chosen (chosenRow answers
    // it) and -1 for a cancel (also when the list is removed before it answers).
    C_TaskSelectSkillMenu(C_FieldTaskInfo* info, const C_TaskReply<int32_t>& result, int unit, int member,
                          int targetUnit, const C_TaskReply<int32_t>& chosenRow, bool cannonMode);
    ~C_TaskSelectSkillMenu() override;

    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The row under (px, py), -1 for none.
    int RowAt(int px, int py) const;
    // The help text of a row (unwrapped), "" for -1.
    std::string GetRowHelp(C_FieldTaskInfo* info, int row) const;
    bool IsRowEnabled(int row) const { return row >= 0 && row < (int)m_vbRowEnable.size() && m_vbRowEnable[row]; }
    int GetRowSkill(int row) const { return row >= 0 && row < (int)m_vnRowSkill.size() ? m_vnRowSkill[row] : -1; }
    const std::string& GetHelpSource() const { return m_strHelp; }

    CD3DRTSquare m_ListTarget;
    CD3DDrawTexture m_PanelTexture;
    CD3DTextDraw m_HelpText;
    C_TaskReply<int32_t> m_Result;
    int32_t m_nUnit = -1;
    int32_t m_nTargetUnit = -1;
    C_TaskReply<int32_t> m_ChosenRow;
    int32_t m_nMember = 0;
    std::vector<int32_t> m_vnRowSkill;
    std::vector<uint8_t> m_vbRowEnable;
    bool m_bHelpChanged = false;
    bool m_bCannonMode = false;
    // Row texts of the list picture and the help text as it was set.
    CD3DTextDraw m_RowText[kMaxRows];
    std::string m_strHelp;
    CD3DDrawSquare m_Square;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void ComputeRows(C_FieldTaskInfo* info);
    void SetHelp(C_FieldTaskInfo* info);
    void BuildListPicture();
};

// The label of a skill's kind: "斬撃", "槍投", "直射", "放射", "直魔", "放魔".  A value
// outside what the table knows is logged and takes the nearest label of its group.
int GetSkillKindLabelIndex(int skill);
std::string GetSkillKindLabel(int skill);
// The kind icon of a skill (small icons 0 to 9).
int GetSkillKindIcon(int skill);
// The numbers of a skill row: power (6), mp (4), range1-range2 (2 each), (region2).
std::string FormatSkillNumbers(int skill);
// The text padded with blanks to `width` bytes; with `cut`, a longer text is cut to
// `width` bytes without splitting a double-byte character (and padded again).
std::string PadBytes(const std::string& text, int width, bool cut);
// The help text broken into lines of 36 bytes ("/" also breaks a line).
std::string WrapHelpText(const std::string& text);
// The skill's "name".
std::string GetSkillNameById(const int* skill);
