#pragma once
// Strengthening: the list of the party's heroes and usable troop types with their
// levels and the price of the next level, and the preview of the chosen row at its
// current and next level.  Leaving the preview asks "強化を行います。よろしいですか？";
// on yes the money is paid and the level rises by one everywhere it is used.
#include <cstdint>

#include "sortie/LocateUnitMenuBase.h"
#include "TroopData.h"
#include "sortie/LocateUnitSortie.h"

class C_TaskLocateUnitLVUPStatus;

class C_TaskLocateUnitLVUP : public C_TaskLocateUnitMenuBase {
public:
    // Creates the preview (hidden) and adds it at 208.
    explicit C_TaskLocateUnitLVUP(C_FieldTaskInfo* info);
    ~C_TaskLocateUnitLVUP() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Pays for and raises the row in m_nSelected (never beyond the funds).
    void DoLevelUp(C_FieldTaskInfo* info);
    void BuildRows(C_FieldTaskInfo* info);
    // The selected value of list row `row`: the hero index, or heroes + the troop
    // type's index in the whole table; -1 for no row.
    static int SelectedValueOfRow(C_FieldTaskInfo* info, int row);
    // The price of a selected value (sortie::kNoPrice when it has none).
    static int PriceOf(C_FieldTaskInfo* info, int selected);

    bool m_bRebuild = true;
    int32_t m_nSelected = 0;
    CInstructWindow m_InstructWindow;
    C_TaskLocateUnitLVUPStatus* m_pStatus = nullptr;
    CD3DDrawSquare m_Dim;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TaskLocateUnitLVUPStatus : public C_TaskLocateUnitMenuBase {
public:
    explicit C_TaskLocateUnitLVUPStatus(C_FieldTaskInfo* info);
    ~C_TaskLocateUnitLVUPStatus() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The branch entry previewed for soldier row `row` of troop type `troop`:
    // the row-th entry among those unlocked at the type's level; -1 when none.
    static int UnlockedBranch(const CTroopType& troop, int row);

    bool m_bRebuild = false;
    bool m_bVisible = false;
    bool m_bConfirmRequest = false;
    int32_t m_nSelected = -1;
    CPersonParamPanel m_Panel[2];
    bool m_bIsHero = false;
    bool m_bPanelsDirty = false;
    int32_t m_nShownSoldier = 0;
    CD3DDrawSquare m_Dim;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
