#pragma once
// The formation step of the preparation: the rows "出撃地点A", "出撃地点B", ... pick
// the position being edited; the sortied-unit list of that position and the troop
// formation list do the placing, and the person parameter panel above them shows
// the person the player points at.
#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "PersonData.h"
#include "menu/InstructWindow.h"
#include "sortie/LocateUnitMenuBase.h"

class C_TaskLocateUnitSortiedList2;
class C_TaskLocateUnitCreatedTroopS;

// A person's name and parameters over the panel picture.
class CPersonParamPanel {
public:
    enum Text { kName, kHP, kMP, kStr, kMag, kDex, kSpd, kMove, kGuard, kGuardArrow, kGuardMagic, kTextCount };

    CPersonParamPanel();
    // An HP of 0 shows an empty panel.
    void Fill(PersonRecord person);
    void Draw(int x, int y);
    // The texts as they were last filled (for checks).
    const std::string& GetText(int i) const { return m_Text[i].GetText(); }
    CD3DDrawTexture& GetTexture() { return m_Texture; }

    CD3DDrawTexture m_Texture;
    CD3DTextDraw m_Text[kTextCount];
};

class C_TaskLocateUnitSortie : public C_TaskLocateUnitMenuBase {
public:
    // Creates the sortied-unit list (207) and the troop formation list (208) and adds
    // them to the field's tasks.
    C_TaskLocateUnitSortie(C_FieldTaskInfo* info, C_TaskLocateUnit* driver);
    ~C_TaskLocateUnitSortie() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    void SetInstructText(const std::string& text) { m_InstructWindow.SetText(text); }

    bool m_bPanelDirty = false;
    bool m_bShownIsHero = false;  // the pointed person is a hero
    PersonRecord m_ShownPerson;   // HP 0: an empty panel
    C_TaskLocateUnitSortiedList2* m_pSortiedList = nullptr;
    C_TaskLocateUnitCreatedTroopS* m_pTroopList = nullptr;
    CPersonParamPanel m_ParamPanel;
    CInstructWindow m_InstructWindow;
    CD3DDrawSquare m_Dim;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
