// The minimap: its pictures, its window, the glide of the camera and the fold.
#include "info/TaskMiniMap.h"

#include <algorithm>
#include <cmath>

#include "FieldTaskInfo.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"

MiniMapShared g_MiniMap;

namespace {
constexpr const char* kIconFile = "./graphics/MiniMapIcon.png";
constexpr const char* kLowerSheetFile = "./graphics/mapchip.png";
constexpr const char* kUpperSheetFile = "./graphics/mapchip2.png";
constexpr int kPictureWidth = 400;
constexpr int kPictureHeight = 200;

// The ground chips of our sheet are 64 pixels high (as the map drawing reads them).
// On the minimap an upper chip stands 28 pixels above the ground chip of its cell
// (half a cell's height), less than on the map itself.
constexpr int kLowerChipHeight = 64;
constexpr int kUpperChipRise = 28;

// The icon sheet holds the sortie marks A to F; a map with more points shows the last
// of them for the rest rather than reading past the sheet's end.
constexpr int kSortieMarkCount = 6;

// A cursor task exists: clicks on the minimap count only then.
bool CursorActive() { return g_bFieldCursorActive; }

constexpr RECT kNoMiniMap{0, 0, -1, -1};

float PictureX(const CMapData& map, float fullX) {
    return map.GetMinimapScaleX() * (fullX - 320.0f + 56.0f * float(map.m_ySize));
}
float PictureY(const CMapData& map, float fullY) { return map.GetMinimapScaleY() * (fullY - 240.0f); }
}  // namespace

// ---- shared state --------------------------------------------------------------------------


void SetMinimapGlide(int x, int y) {
    g_MiniMap.nGlideX = x;
    g_MiniMap.nGlideY = y;
    g_MiniMap.nGlideSteps = C_TaskFieldMiniMap::kGlideSteps;
    g_MiniMap.nState = kMiniMapGliding;
}

bool IsPointInMiniMap(int x, int y) {
    const RECT& rc = g_rcFieldMiniMap;
    if (rc.right <= rc.left || rc.bottom <= rc.top) return false;
    return x >= rc.left && x <= rc.right && y >= rc.top && y <= rc.bottom;
}

// ---- projection --------------------------------------------------------------------------------

int MiniMapFullX(int x, int y) { return static_cast<int>(56.0 * x + 320.0 - 56.0 * y); }
int MiniMapFullY(int x, int y) { return static_cast<int>(28.0 * x + 240.0 + 28.0 * y); }

int MinimapIconOf(const CUnitList& units, int unit) {
    if (unit < 0 || unit >= units.GetCount() || units.m_vUnit[unit].vnPerson.empty()) return 0;
    const CPersonList* persons = units.GetPersonList();
    const int person = units.m_vUnit[unit].vnPerson[0];
    if (!persons || !persons->IsValidIndex(person)) return 0;
    const PersonRecord& p = persons->m_vPerson[person];
    return 2 * (p.bFriend ? 1 : 0) + (p.hero ? 0 : 1);
}

bool MinimapPointToCell(const CMapData& map, float u, float v, int& x, int& y) {
    const float kx = map.GetMinimapScaleX(), ky = map.GetMinimapScaleY();
    if (map.m_xSize <= 0 || map.m_ySize <= 0 || kx <= 0.0f || ky <= 0.0f) return false;
    const float fu = u / (kx * C_TaskFieldMiniMap::kPictureScale);
    const float fv = v / (ky * C_TaskFieldMiniMap::kPictureScale);
    const float h56 = 56.0f * float(map.m_ySize);
    x = static_cast<int>((fu + 2.0f * fv - h56) / 112.0f);
    y = static_cast<int>((2.0f * fv - fu + h56) / 112.0f);
    x = std::clamp(x, 0, map.m_xSize - 1);
    y = std::clamp(y, 0, map.m_ySize - 1);
    return true;
}

// ---- pictures ------------------------------------------------------------------------------------

void RenderMinimapBase(CMapData& map) {
    CD3DRTSquare& target = map.m_MiniMapBase;
    target.Create(kPictureWidth, kPictureHeight, 0x00000000);
    target.BeginTarget(true);
    const float kx = map.GetMinimapScaleX(), ky = map.GetMinimapScaleY();
    if (kx > 0.0f && ky > 0.0f) {
        CD3DDrawTexture lower(kLowerSheetFile);
        CD3DDrawTexture upper(kUpperSheetFile);
        const CMapChipTable& chips = map.GetChipTable();
        for (int x = 0; x < map.m_xSize; ++x) {
            for (int y = 0; y < map.m_ySize; ++y) {
                const int chip = map.GetMapChip(x, y);
                const float X = float(MiniMapFullX(x, y)), Y = float(MiniMapFullY(x, y));
                const int under = chips.GetUnder(chip);
                if (under >= 0) {
                    const RECT src{112 * (under % 9), kLowerChipHeight * (under / 9), 112 * (under % 9) + 112,
                                   kLowerChipHeight * (under / 9) + kLowerChipHeight};
                    lower.DrawScaled(PictureX(map, X), PictureY(map, Y), kx, ky, 0, 0, 255, &src);
                }
                const int up = chips.GetUpper(chip);
                if (up >= 1) {
                    const RECT src{112 * (up % 8), 112 * (up / 8), 112 * (up % 8) + 112, 112 * (up / 8) + 112};
                    upper.DrawScaled(PictureX(map, X), PictureY(map, Y - kUpperChipRise), kx, ky, 0, 0, 255, &src);
                }
            }
        }
        EndSpriteBatch();  // the temporary sheets go at the end of this block
    }
    target.EndTarget();
}

void RenderMinimapUnits(CMapData& map, const CUnitList& units, CD3DDrawTexture& iconTexture) {
    CD3DRTSquare& target = map.m_MiniMapUnits;
    target.Create(kPictureWidth, kPictureHeight, 0x00000000);
    target.BeginTarget(true);
    for (int i = 0; i < units.GetCount(); ++i)
        DrawMinimapIcon(map, iconTexture, units.GetX(i), units.GetY(i), MinimapIconOf(units, i), 0, 0, 1.0f);
    target.EndTarget();
}

void RenderSortieMarkers(CMapData& map, CD3DDrawTexture& iconTexture) {
    CD3DRTSquare& target = map.m_MiniMapSortie;
    target.Create(kPictureWidth, kPictureHeight, 0x00000000);
    target.BeginTarget(true);
    const float kx = map.GetMinimapScaleX(), ky = map.GetMinimapScaleY();
    if (kx > 0.0f && ky > 0.0f) {
        for (int i = 0; i < (int)map.m_vnSortiePos.size(); ++i) {
            const CSortiePosition& p = map.m_vnSortiePos[i];
            const float X = float(MiniMapFullX(p.x, p.y)), Y = float(MiniMapFullY(p.x, p.y));
            const int mark = std::min(i, kSortieMarkCount - 1);
            const RECT src{64 + 32 * mark, 0, 96 + 32 * mark, 32};
            iconTexture.DrawScaled(PictureX(map, X - 55.0f), PictureY(map, Y - 34.0f), 6.0 * kx, 6.0 * ky, 0, 0,
                                   255, &src);
        }
    }
    target.EndTarget();
}

void DrawMinimapIcon(const CMapData& map, CD3DDrawTexture& iconTexture, int x, int y, int icon, float offsetX,
                     float offsetY, float zoom) {
    const float kx = map.GetMinimapScaleX(), ky = map.GetMinimapScaleY();
    if (kx <= 0.0f || ky <= 0.0f) return;
    const float X = float(MiniMapFullX(x, y)), Y = float(MiniMapFullY(x, y));
    const RECT src{16 * icon, 0, 16 * icon + 16, 16};
    iconTexture.DrawScaled(PictureX(map, X + 6.0f) * zoom + offsetX, PictureY(map, Y + 16.0f) * zoom + offsetY,
                           6.0 * kx * zoom, 6.0 * ky * zoom, 0, 0, 255, &src);
}

// ---- C_TaskCreateMinimap ---------------------------------------------------------------------

C_TaskCreateMinimap::C_TaskCreateMinimap() : m_IconTexture(kIconFile) {}

void C_TaskCreateMinimap::Update(C_FieldTaskInfo* info) {
    if (m_bDone) KillSelf(info);
}

void C_TaskCreateMinimap::Draw(C_FieldTaskInfo* info) {
    if (m_bDone || !info) return;
    RenderMinimapBase(info->m_MapData);
    RenderMinimapUnits(info->m_MapData, info->m_UnitList, m_IconTexture);
    RenderSortieMarkers(info->m_MapData, m_IconTexture);
    m_bDone = true;
}

// ---- C_TaskFieldMiniMap ------------------------------------------------------------------------

C_TaskFieldMiniMap::C_TaskFieldMiniMap() : m_IconTexture(kIconFile) {
    g_MiniMap = MiniMapShared{};
    g_rcFieldMiniMap = RECT{370, 310, 610, 430};
    Layout();
}

C_TaskFieldMiniMap::~C_TaskFieldMiniMap() {
    // Without a minimap the cursor has no region to avoid; a glide in progress ends.
    g_MiniMap = MiniMapShared{};
    g_rcFieldMiniMap = kNoMiniMap;
}

void C_TaskFieldMiniMap::Layout() {
    m_rcImage.left = m_nX + 6;
    m_rcImage.top = static_cast<int>(float(m_nY) + 6.0f + 12.0f * float(m_nFold));
    m_rcImage.right = m_nX + 252;
    m_rcImage.bottom = m_nY + 126;
    g_rcFieldMiniMap = RECT{m_rcImage.left - 6, m_rcImage.top - 6, m_rcImage.right + 6, m_rcImage.bottom + 6};
}

void C_TaskFieldMiniMap::Update(C_FieldTaskInfo* info) {
    if (!info) return;
    IInputManager* input = info->GetInputManager();
    int px = 0, py = 0;
    bool click = false;
    if (input) {
        px = input->GetX();
        py = input->GetY();
        click = input->IsLButtonPush() && CursorActive();
    }
    const bool inWindow = IsPointInMiniMap(px, py);
    const bool inImage =
        px >= m_rcImage.left && px <= m_rcImage.right && py >= m_rcImage.top && py <= m_rcImage.bottom;

    switch (g_MiniMap.nState) {
    case kMiniMapIdle:
        m_bHover = false;
        if (click && inWindow) {
            if (!inImage) {
                m_nFold = 0;
                g_MiniMap.nState = kMiniMapFolding;
            } else {
                int x = 0, y = 0;
                if (MinimapPointToCell(info->m_MapData, float(px - m_rcImage.left), float(py - m_rcImage.top), x, y))
                    SetMinimapGlide(x, y);
            }
        }
        break;
    case kMiniMapGliding:
        if (g_MiniMap.nGlideSteps > 0) {
            info->m_fCameraX += (float(g_MiniMap.nGlideX) - info->m_fCameraX) / float(g_MiniMap.nGlideSteps);
            info->m_fCameraY += (float(g_MiniMap.nGlideY) - info->m_fCameraY) / float(g_MiniMap.nGlideSteps);
            --g_MiniMap.nGlideSteps;
        }
        if (g_MiniMap.nGlideSteps <= 0) g_MiniMap.nState = kMiniMapIdle;
        break;
    case kMiniMapFolding:
        ++m_nFold;
        if (m_nFold > kFoldSteps - 1) {
            m_nFold = kFoldSteps;
            g_MiniMap.nState = kMiniMapFolded;
        }
        break;
    case kMiniMapFolded:
        if (click && inWindow) g_MiniMap.nState = kMiniMapUnfolding;
        break;
    case kMiniMapUnfolding:
        --m_nFold;
        if (m_nFold <= 0) {
            m_nFold = 0;
            g_MiniMap.nState = kMiniMapIdle;
        }
        break;
    default:
        g_MiniMap.nState = kMiniMapIdle;
        break;
    }
    m_bHover = inWindow && !inImage;
    Layout();
}

void C_TaskFieldMiniMap::Draw(C_FieldTaskInfo* info) {
    if (!info) return;
    const RECT& rc = g_rcFieldMiniMap;
    g_GlobalResources.DrawWindowEx(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 1.0f, 0x95000000, 0);

    const int imageW = m_rcImage.right - m_rcImage.left, imageH = m_rcImage.bottom - m_rcImage.top;
    if (imageH > 0) {
        m_Square.SetSize(float(imageW), float(imageH), 0xFF000000);
        m_Square.Draw(float(m_rcImage.left), float(m_rcImage.top));
    }
    CMapData& map = info->m_MapData;
    const int srcBottom = static_cast<int>(200.0f * (1.0f - 0.1f * float(m_nFold)));
    if (srcBottom > 0 && map.m_MiniMapBase.GetTexture()) {
        const RECT src{0, 0, kPictureWidth, srcBottom};
        map.m_MiniMapBase.DrawScaled(m_rcImage.left, m_rcImage.top, kPictureScale, kPictureScale, 0, 0, 255, &src);
    }
    if (m_nFold != 0) {
        if (m_bHover) {
            m_Square.SetSize(float(rc.right - rc.left), float(rc.bottom - rc.top), 0x40FFFFFF);
            m_Square.Draw(float(rc.left), float(rc.top));
        }
        return;
    }

    const float kx = map.GetMinimapScaleX(), ky = map.GetMinimapScaleY();
    for (int i = 0; i < info->m_UnitList.GetCount(); ++i)
        DrawMinimapIcon(map, m_IconTexture, info->m_UnitList.GetX(i), info->m_UnitList.GetY(i),
                        MinimapIconOf(info->m_UnitList, i), float(m_rcImage.left), float(m_rcImage.top),
                        kPictureScale);
    if (kx > 0.0f && ky > 0.0f) {
        const float h = float(map.m_ySize);
        int left = static_cast<int>(float(m_rcImage.left) +
                                    kPictureScale * kx * (56.0f * (info->m_fCameraX - info->m_fCameraY + h) - 320.0f));
        int top = static_cast<int>(float(m_rcImage.top) +
                                   kPictureScale * ky * (28.0f * (info->m_fCameraX + info->m_fCameraY) - 240.0f));
        // Each corner kept inside the picture: the left and top first, then the size,
        // cut at the right and bottom.
        left = std::max(left, int(m_rcImage.left));
        top = std::max(top, int(m_rcImage.top));
        const int right = std::min(left + static_cast<int>(640.0f * kPictureScale * kx), int(m_rcImage.right));
        const int bottom = std::min(top + static_cast<int>(480.0f * kPictureScale * ky), int(m_rcImage.bottom));
        if (right > left && bottom > top) {
            m_Square.SetSize(float(right - left), float(bottom - top), 0x4000FFFF);
            m_Square.Draw(float(left), float(top));
        }
    }
    EndSpriteBatch();
    if (m_bHover) {
        m_Square.SetSize(float(rc.right - rc.left), float(rc.bottom - rc.top), 0x40FFFFFF);
        m_Square.Draw(float(rc.left), float(rc.top));
    }
}
