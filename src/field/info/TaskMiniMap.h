#pragma once
// The minimap: a small picture of the whole battle map in the lower right corner of
// the screen with an icon per unit and the rectangle the screen shows.  A left click
// on the picture glides the camera there over ten frames; a click on its frame folds
// it away, a further click unfolds it.
//
// C_TaskCreateMinimap (priority 701) renders the pictures of the map data once when
// the field starts; C_TaskFieldMiniMap (priority 11) shows the minimap and takes the
// clicks.  The ground-layer map task creates and removes the latter.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "task/TaskBase.h"

class CMapData;
class CUnitList;

// ---- program-wide minimap state -----------------------------------------------------------
enum MiniMapState : int32_t {
    kMiniMapIdle = 0,
    kMiniMapGliding = 1,
    kMiniMapFolding = 2,
    kMiniMapFolded = 3,
    kMiniMapUnfolding = 4,
};

struct MiniMapShared {
    int32_t nState = kMiniMapIdle;
    int32_t nGlideX = 0;  // glide target cell
    int32_t nGlideY = 0;
    int32_t nGlideSteps = 0;  // steps left
};
extern MiniMapShared g_MiniMap;

// The camera glides to the cell (x, y) in ten frames (also the enemy phase's view).
void SetMinimapGlide(int x, int y);
// The pointer lies inside the minimap rectangle (edges included); the rectangle is the
// field's g_rcFieldMiniMap, which the map cursor avoids (none while no minimap shows).
bool IsPointInMiniMap(int x, int y);

// ---- projection of the whole map into the 400 x 200 pictures ---------------------------------
// A cell's full-map screen point (the map drawing's projection with the camera at 0, 0).
int MiniMapFullX(int x, int y);
int MiniMapFullY(int x, int y);

// The three pictures of the map data: the ground and scenery, the unit icons and the
// sortie markers.  `iconTexture` is "./graphics/MiniMapIcon.png".
void RenderMinimapBase(CMapData& map);
void RenderMinimapUnits(CMapData& map, const CUnitList& units, CD3DDrawTexture& iconTexture);
void RenderSortieMarkers(CMapData& map, CD3DDrawTexture& iconTexture);
// Unit icon n (0 enemy hero, 1 enemy, 2 friendly hero, 3 friendly) of cell (x, y),
// scaled by `zoom` and moved by (offsetX, offsetY).
void DrawMinimapIcon(const CMapData& map, CD3DDrawTexture& iconTexture, int x, int y, int icon, float offsetX,
                     float offsetY, float zoom);
// The icon of unit i: 2 x side of its first member + 1 when that member is not a hero.
int MinimapIconOf(const CUnitList& units, int unit);

// The cell a point of the shown picture stands for (u, v in screen pixels from the
// picture's top-left), clamped into the map.  False for a map without cells.
bool MinimapPointToCell(const CMapData& map, float u, float v, int& x, int& y);

// ---- tasks -------------------------------------------------------------------------------------
class C_TaskCreateMinimap : public C_FieldTaskBase {
public:
    C_TaskCreateMinimap();
    ~C_TaskCreateMinimap() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    bool m_bDone = false;
    CD3DDrawTexture m_IconTexture;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TaskFieldMiniMap : public C_FieldTaskBase {
public:
    static constexpr int kFoldSteps = 10;
    static constexpr int kGlideSteps = 10;
    static constexpr float kPictureScale = 0.6f;

    C_TaskFieldMiniMap();
    ~C_TaskFieldMiniMap() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Places the picture and the minimap rectangle for the current fold step.
    void Layout();

    CD3DDrawTexture m_IconTexture;
    int32_t m_nX = 370;
    int32_t m_nY = 310;
    bool m_bHover = false;
    RECT m_rcImage{0, 0, 0, 0};
    int32_t m_nFold = 0;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    CD3DDrawSquare m_Square;
};
