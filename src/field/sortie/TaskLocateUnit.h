#pragma once
// The sortie preparation that opens a chapter's battle map: it fills the field with
// the mission's units, puts the heroes that the story forces onto their sortie
// positions and totals the sortie cost, keeps the main sortie menu open, steps aside
// while the player looks at the map and, once the main menu says so, starts the
// first player turn and ends itself.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "task/TaskBase.h"
#include "util/ClampInt.h"

class C_FieldTaskInfo;
class CTableFile;

class C_TaskLocateUnit : public C_FieldTaskBase {
public:
    // `bLoaded`: the field was restored from a preparation save; its units and
    // placements come from the save.
    C_TaskLocateUnit(C_FieldTaskInfo* info, bool bLoaded);
    ~C_TaskLocateUnit() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override {}

    // The mission's own units from the map's person and unit tables.
    static void LoadMissionUnits(C_FieldTaskInfo* info);
    // The same from tables already read (row 0 of each a header).
    static void AddMissionUnits(C_FieldTaskInfo* info, CTableFile& persons, CTableFile& units,
                                const std::string& personName, const std::string& unitName);

    int32_t m_nSortieCost = 0;     // cost of everything on the sortie positions
    // A placement's cost added (or, negative, taken back), held at the int limits.
    void ChangeSortieCost(int64_t delta) { m_nSortieCost = ClampToInt32(m_nSortieCost + delta); }
    bool m_bHeroListDirty = true;  // the main menu rebuilds its hero roster
    uint8_t m_bEventDone = 0;      // the preparation tutorial event is over
    int32_t m_nState = 0;          // -1 start the turn, 0 open the main menu, 1 main menu, 2 map view
    // The unit card and its delete button, shared by the sortied-unit lists.
    CD3DDrawTexture m_UnitTexture;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
