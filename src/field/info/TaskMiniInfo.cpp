// The information strip and the unit plates on hover.
#include "info/TaskMiniInfo.h"

#include <cstdio>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"

namespace {
constexpr int kTextHeight = 12;
constexpr uint32_t kTextColor = 0xFFFFFFFF;
constexpr int kPlateCount = 4;

// A cursor task exists (the plates and the text follow the pointer only then).
bool CursorActive(C_FieldTaskInfo*) { return g_bFieldCursorActive; }
}  // namespace

std::string GetTerrainName(const CMapData& map, int x, int y) {
    if (!map.IsValidCell(x, y)) return std::string();
    const int terrain = map.GetChipType(x, y);
    if (terrain < 0 || terrain >= map.GetFieldData().GetCount()) return std::string();
    return map.GetFieldData().GetName(terrain);
}

std::string MiniInfoPositionText(const CMapData& map, int x, int y) {
    if (x < 0 || y < 0) return "     X=   : Y=   ";
    char buf[64];
    std::snprintf(buf, sizeof buf, " X=%3d: Y=%3d", x, y);
    return GetTerrainName(map, x, y) + buf;
}

std::string MiniInfoStatusText(int turn, const CUnitList& units) {
    char buf[101];
    std::snprintf(buf, sizeof buf, "Turn:%2d  自軍被害数:%3d(%2d) 敵軍被害数%3d(%2d)", turn, units.GetDefeatedTotal(1),
                  units.GetDefeatedHeroCount(1), units.GetDefeatedTotal(0), units.GetDefeatedHeroCount(0));
    return buf;
}

UnitPlatePlace PlacePlate(int k, int s, bool left) {
    UnitPlatePlace p;
    p.x = left ? 4 * s - 10 * k - 30 : 453 + 10 * k - 4 * s;
    p.y = 70 * (k + 1);
    p.alpha = static_cast<uint8_t>(s * 255 / 15);
    return p;
}

// ---- C_TaskMiniInfo ----------------------------------------------------------------------------

C_TaskMiniInfo::C_TaskMiniInfo() : m_pPlates(new UnitPlate[kPlateCount]) {}

C_TaskMiniInfo::~C_TaskMiniInfo() {
    delete[] m_pPlates;
    m_pPlates = nullptr;
}

void C_TaskMiniInfo::Update(C_FieldTaskInfo* info) {
    if (!info) return;
    const int hx = info->m_nHoverX, hy = info->m_nHoverY;
    if (hx != m_nLastHoverX || hy != m_nLastHoverY || !CursorActive(info)) m_nHoverFrame = 0;
    m_nLastHoverX = hx;
    m_nLastHoverY = hy;
    ++m_nHoverFrame;

    const int unit = info->m_UnitList.FindUnitAt(hx, hy);
    if (m_nHoverFrame == kPlateDelay && unit >= 0) {
        IInputManager* input = info->GetInputManager();
        m_bPlatesLeft = input && input->GetX() > 320;
        for (int j = 0; j < info->m_UnitList.GetMemberCount(unit); ++j) {
            const int k = info->m_UnitList.GetSlotPosition(unit, j);
            if (k < 0 || k >= kPlateCount) continue;
            m_pPlates[k].Set(info->m_UnitList.GetMemberPerson(unit, j), 0, 0, 0);
            m_nSlide = 0;
        }
        g_GlobalResources.ResetIconSlide();
    }
    if (m_nHoverFrame > kPlateDelay && m_nSlide < kSlideFrames) ++m_nSlide;

    const bool noCell = hx < 0 || hy < 0;
    if (noCell || m_nHoverFrame == 1) {
        m_PositionText.SetText(MiniInfoPositionText(info->m_MapData, noCell ? -1 : hx, noCell ? -1 : hy), kTextHeight,
                               kTextColor);
        m_StatusText.SetText(MiniInfoStatusText(info->m_nTurn, info->m_UnitList), kTextHeight, kTextColor);
    }
}

void C_TaskMiniInfo::Draw(C_FieldTaskInfo* info) {
    if (!info) return;
    if (m_nHoverFrame >= kPlateDelay) {
        const int unit = info->m_UnitList.FindUnitAt(info->m_nHoverX, info->m_nHoverY);
        if (unit >= 0) info->DrawUnitPlates(unit, m_pPlates, m_nSlide, m_bPlatesLeft);
    }
    if (m_nHoverFrame == 1 || !m_PositionText.IsRendered()) {
        m_PositionText.Render();
        m_StatusText.Render();
    }
    g_GlobalResources.DrawWindow(0, 460, 640, 20, 0, 0x95000000);
    m_PositionText.GetRenderTarget().Draw(30, 466, 255);
    m_StatusText.GetRenderTarget().Draw(180, 466, 255);
}
