#include "map/MapData.h"

#include <algorithm>
#include <set>

#include "log/ErrorLog.h"
#include "table/gvlTableFile.h"

CMapData::CMapData() : CMapData(true) {}

CMapData::CMapData(bool loadTables) : m_ChipTable(loadTables), m_FieldData(loadTables) {}

std::string CMapData::MapFileName(int mapNumber) {
    std::string name = "map/map";
    if (mapNumber < 10) name += "0";
    name += std::to_string(mapNumber);
    name += ".csv";
    return name;
}

bool CMapData::LoadMapCsv(int mapNumber) {
    m_nLocateCost = 0;
    num_map = mapNumber;
    m_vnSortiePos.clear();
    m_nMaxHero = 10;
    m_nMinHero = 0;

    const std::string name = MapFileName(mapNumber);
    CTableFile table;
    table.Load(name.c_str());  // a missing file is logged by the loader
    if (table.GetRowCount() == 0) return false;
    LoadGridTable(table, name);
    return true;
}

void CMapData::LoadGridTable(const CTableFile& table, const std::string& sourceName) {
    const int width = table.GetRowCount() > 0 ? table.GetColumnCount(0) : 0;
    const int height = table.GetRowCount();
    m_xSize = width;
    m_ySize = height;
    m_byMapChip.clear();
    m_byMapChip.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int cells = table.GetColumnCount(y);
        if (cells < width)
            g_ErrorLog.Printf("%s の %d 行目のマス数 %d が 1 行目の %d より少ないため、残りを 0 にしました。",
                              sourceName.c_str(), y + 1, cells, width);
        for (int x = 0; x < width; ++x)
            m_byMapChip.push_back(x < cells ? static_cast<uint8_t>(table.GetInt(y, x)) : uint8_t{0});
    }
    CheckChips(sourceName);
}

void CMapData::CheckChips(const std::string& sourceName) const {
    // Without a chip table (its missing file was logged) there is nothing to check.
    if (m_ChipTable.m_mapType.empty()) return;
    std::set<int> reported;
    for (size_t i = 0; i < m_byMapChip.size(); ++i) {
        const int chip = m_byMapChip[i];
        if (m_ChipTable.HasChip(chip) || !reported.insert(chip).second) continue;
        const int x = m_xSize > 0 ? static_cast<int>(i % m_xSize) : 0;
        const int y = m_xSize > 0 ? static_cast<int>(i / m_xSize) : 0;
        g_ErrorLog.Printf("%s のマップチップ %d (%d, %d) はマップチップ表にありません。通行できない地形として扱います。",
                          sourceName.c_str(), chip, x, y);
    }
}

float CMapData::GetMinimapScaleX() const {
    const int cells = m_xSize + m_ySize;
    return cells > 0 ? static_cast<float>(400.0 / (56.0 * cells)) : 0.0f;
}

float CMapData::GetMinimapScaleY() const {
    const int cells = m_xSize + m_ySize;
    return cells > 0 ? static_cast<float>(200.0 / (56.0 + 28.0 * cells)) : 0.0f;
}

// ---- sortie points, routes, messages ------------------------------------------------------

CSortiePosition& CMapData::GetSortiePosition(int i) {
    if (i < 0 || i >= (int)m_vnSortiePos.size()) {
        g_ErrorLog.Printf("出撃位置の番号が範囲外です。index=%d, count=%d", i, (int)m_vnSortiePos.size());
        static CSortiePosition s_Empty;
        s_Empty = CSortiePosition(-1, -1);
        return s_Empty;
    }
    return m_vnSortiePos[i];
}

int CMapData::AddSortiePosition(int x, int y) {
    m_vnSortiePos.emplace_back(x, y);
    return (int)m_vnSortiePos.size() - 1;
}

int CMapData::GetAnabasisRouteSize(int r) const {
    if (r < 0 || r >= (int)m_vAnabasisRoute.size()) {
        g_ErrorLog.Printf("進軍経路の番号が範囲外です。route=%d, count=%d", r, (int)m_vAnabasisRoute.size());
        return 0;
    }
    return (int)m_vAnabasisRoute[r].size();
}

MapPoint CMapData::GetAnabasisRoutePoint(int r, int k) const {
    if (r < 0 || r >= (int)m_vAnabasisRoute.size() || k < 0 || k >= (int)m_vAnabasisRoute[r].size()) {
        g_ErrorLog.Printf("進軍経路の地点が範囲外です。route=%d, point=%d", r, k);
        return MapPoint{-1, -1};
    }
    return m_vAnabasisRoute[r][k];
}

void CMapData::AddAnabasisRoute(const std::vector<int>& coordinates) {
    std::vector<MapPoint> route;
    for (size_t i = 0; i + 1 < coordinates.size(); i += 2) route.push_back(MapPoint{coordinates[i], coordinates[i + 1]});
    m_vAnabasisRoute.push_back(std::move(route));
}

void CMapData::AddOperationMessage(int key, const std::vector<std::string>& lines) { OperationMessage.emplace(key, lines); }

void CMapData::GetOperationMessage(int key, std::vector<std::string>& lines) const {
    const auto it = OperationMessage.find(key);
    if (it == OperationMessage.end())
        lines.clear();
    else
        lines = it->second;
}

void CMapData::SetMissionName(const std::vector<std::string>& texts) {
    MissionName[0] = texts.size() > 0 ? texts[0] : std::string();
    MissionName[1] = (texts.size() > 1 ? texts[1] : std::string()) + (texts.size() > 2 ? texts[2] : std::string());
}

std::string CMapData::GetMissionName(int i) const {
    if (i < 0 || i >= 3) {
        g_ErrorLog.Printf("作戦名の番号が範囲外です。index=%d", i);
        return std::string();
    }
    return MissionName[i];
}

// ---- cell queries ---------------------------------------------------------------------------

bool CMapData::IsValidCell(int x, int y) const {
    return x >= 0 && y >= 0 && x < m_xSize && y < m_ySize &&
           static_cast<size_t>(x) + static_cast<size_t>(m_xSize) * y < m_byMapChip.size();
}

int CMapData::CellIndex(int x, int y, const char* caller) const {
    // Only the flat index is checked: (m_xSize, 0) is the cell (0, 1).
    const int64_t index = static_cast<int64_t>(x) + static_cast<int64_t>(m_xSize) * y;
    if (index < 0 || index >= static_cast<int64_t>(m_byMapChip.size())) {
        g_ErrorLog.Printf("CMapData::%s: マス (%d, %d) はマップの外です。(%d x %d)", caller, x, y, m_xSize, m_ySize);
        return -1;
    }
    return static_cast<int>(index);
}

int CMapData::GetMapChip(int x, int y) const {
    const int i = CellIndex(x, y, "GetMapChip");
    return i < 0 ? -1 : m_byMapChip[i];
}

int CMapData::GetChipType(int x, int y) const {
    const int i = CellIndex(x, y, "GetChipType");
    return i < 0 ? -1 : m_ChipTable.GetType(m_byMapChip[i]);
}

uint8_t CMapData::GetMoveCost(int x, int y, int moveClass) const {
    return m_FieldData.GetMoveCost(GetChipType(x, y), moveClass);
}

int CMapData::GetTileDGuard(int x, int y, int moveClass) const {
    return m_FieldData.GetDGuard(GetChipType(x, y), moveClass);
}

int CMapData::GetTileIGuard(int x, int y, int moveClass) const {
    return m_FieldData.GetIGuard(GetChipType(x, y), moveClass);
}

uint8_t CMapData::GetTileHeight(int x, int y) const { return m_FieldData.GetHeight(GetChipType(x, y)); }

std::string CMapData::GetTerrainName(int x, int y) const { return m_FieldData.GetName(GetChipType(x, y)); }

int CMapData::GetChipUpper(int x, int y) const {
    const int i = CellIndex(x, y, "GetChipUpper");
    return i < 0 ? 0 : m_ChipTable.GetUpper(m_byMapChip[i]);
}

int CMapData::GetChipUnder(int x, int y) const {
    const int i = CellIndex(x, y, "GetChipUnder");
    return i < 0 ? 0 : m_ChipTable.GetUnder(m_byMapChip[i]);
}

bool CMapData::IsPassable(int x, int y) const {
    const int t = GetChipType(x, y);
    return m_FieldData.GetMoveCost(t, 0) != kImpassableCost && m_FieldData.GetMoveCost(t, 1) != kImpassableCost;
}

uint8_t CMapData::CompareTileLayers(int x, int y) const {
    const int t = GetChipType(x, y);
    return std::max(m_FieldData.GetMoveCost(t, 0), m_FieldData.GetMoveCost(t, 1));
}

void CMapData::SetMapChip(int x, int y, int chip) {
    const int i = CellIndex(x, y, "SetMapChip");
    if (i < 0) return;
    m_byMapChip[i] = static_cast<uint8_t>(chip);
    if (!m_ChipTable.HasChip(m_byMapChip[i]))
        g_ErrorLog.Printf("マス (%d, %d) に置いたマップチップ %d はマップチップ表にありません。", x, y, m_byMapChip[i]);
}
