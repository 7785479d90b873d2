#pragma once
// The list from which a new unit is formed at the sortie position being edited:
// the party's heroes (a hero forms a unit alone), every soldier type the party's
// troop types have unlocked, and "(空白)" that leaves a place empty.  Soldiers are
// picked place by place; a right click takes back the last pick.
#include <cstdint>

#include "sortie/LocateUnitMenuBase.h"

class C_TaskLocateUnitSortie;
struct CTroopType;

class C_TaskLocateUnitCreatedTroopS : public C_TaskLocateUnitMenuBase {
public:
    C_TaskLocateUnitCreatedTroopS(C_FieldTaskInfo* info, C_TaskLocateUnit* driver, C_TaskLocateUnitSortie* owner);
    ~C_TaskLocateUnitCreatedTroopS() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The rows: heroes, unlocked soldiers, "(空白)".
    void BuildRows(C_FieldTaskInfo* info);
    // The troop type and its branch entry of soldier row `row` (counted from the
    // first soldier row); false when there is none.
    static bool FindSoldier(C_FieldTaskInfo* info, int row, int* troopIndex, int* branch);

    bool m_bVisible = false;
    bool m_bRebuild = true;
    bool m_bStatusRefresh = false;
    C_TaskLocateUnitSortie* m_pOwner = nullptr;
    int32_t m_nNextPosition = 0;  // the formation position the next soldier fills

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void Finish();
    int SortieCost() const;
};
