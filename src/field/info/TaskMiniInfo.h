#pragma once
// The information strip at the bottom of the map (terrain and coordinates of the cell
// under the pointer, the turn and both sides' losses) and the plates of a unit's
// members that slide in beside the map when the pointer rests on its cell for ten
// frames.  It lives as long as the map cursor that made it.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DTextDraw.h"
#include "resources/UnitPlate.h"
#include "task/TaskBase.h"

class CMapData;
class CUnitList;

// The strip's texts.
std::string MiniInfoPositionText(const CMapData& map, int x, int y);  // x < 0: no cell
std::string MiniInfoStatusText(int turn, const CUnitList& units);
// The terrain name of a cell ("" for a cell outside the map or an unknown chip).
std::string GetTerrainName(const CMapData& map, int x, int y);

// Where plate k (formation position 0 to 3) of a unit stands after s frames of
// sliding (0 to 15), and its alpha.
struct UnitPlatePlace {
    int x = 0;
    int y = 0;
    uint8_t alpha = 0;
};
UnitPlatePlace PlacePlate(int position, int slide, bool left);

class C_TaskMiniInfo : public C_FieldTaskBase {
public:
    static constexpr int kPlateDelay = 10;  // frames of rest before the plates come
    static constexpr int kSlideFrames = 15;

    C_TaskMiniInfo();
    ~C_TaskMiniInfo() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    CD3DTextDraw m_PositionText;
    CD3DTextDraw m_StatusText;
    int32_t m_nHoverFrame = 0;
    bool m_bPlatesLeft = false;
    int32_t m_nLastHoverX = -1;
    int32_t m_nLastHoverY = -1;
    UnitPlate* m_pPlates = nullptr;  // owned, 4
    int32_t m_nSlide = 0;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
