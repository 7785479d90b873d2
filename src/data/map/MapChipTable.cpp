#include "map/MapChipTable.h"

#include <cstdlib>

#include "log/ErrorLog.h"
#include "table/gvlTableFile.h"

int LookupByKey(const std::map<int, int>& map, int key, int fallback, bool* found) {
    auto it = map.find(key);
    if (found) *found = it != map.end();
    return it == map.end() ? fallback : it->second;
}

namespace {

bool Contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

int CellInt(const CTableFile& table, int row, int column) { return table.GetInt(row, column); }

// An empty line between the rows (one empty cell) is no row of data.
bool IsBlankRow(const CTableFile& table, int row) {
    const auto& cells = table.m_vRows[row];
    return cells.empty() || (cells.size() == 1 && cells[0].empty());
}

}  // namespace

// ---- CMapChipTable ---------------------------------------------------------------------

CMapChipTable::CMapChipTable() : CMapChipTable(true) {}

CMapChipTable::CMapChipTable(bool load) {
    if (!load) return;
    CTableFile table;
    table.Load("map/map_chip.csv");
    LoadTable(table);
}

void CMapChipTable::LoadTable(const CTableFile& table) {
    m_mapType.clear();
    m_mapUpper.clear();
    m_mapUnder.clear();
    if (table.GetRowCount() == 0) return;
    const int columns = table.GetColumnCount(0);
    for (int r = 1; r < table.GetRowCount(); ++r) {
        const int cells = table.GetColumnCount(r);
        if (IsBlankRow(table, r)) continue;
        if (cells < columns)
            g_ErrorLog.Printf("map/map_chip.csv の %d 行目の列が足りません。(%d/%d)", r, cells, columns);
        const int chip = CellInt(table, r, 0);
        for (int c = 1; c < columns && c < cells; ++c) {
            const std::string& header = table.m_vRows[0][c];
            const int value = CellInt(table, r, c);
            // emplace never replaces: the upper row and the leftmost column win.
            if (Contains(header, "type")) m_mapType.emplace(chip, value);
            if (Contains(header, "upper")) m_mapUpper.emplace(chip, value);
            if (Contains(header, "under")) m_mapUnder.emplace(chip, value);
        }
    }
}

// ---- CFieldDataTable -------------------------------------------------------------------

CFieldDataTable::CFieldDataTable() : CFieldDataTable(true) {}

CFieldDataTable::CFieldDataTable(bool load) {
    if (!load) return;
    CTableFile table;
    table.Load("map/field_data.csv");
    LoadTable(table);
}

void CFieldDataTable::LoadTable(const CTableFile& table) {
    const int rows = table.GetRowCount();
    m_vName.assign(rows, std::string());
    m_vRecord.assign(rows, std::vector<FieldDataRecord>(kMoveClassCount));
    if (rows == 0) return;
    const int columns = table.GetColumnCount(0);
    int terrains = 0;
    for (int r = 1; r < rows; ++r) {
        const int cells = table.GetColumnCount(r);
        if (IsBlankRow(table, r)) continue;
        ++terrains;
        const int t = CellInt(table, r, 0);
        if (t < 0 || t >= rows) {
            g_ErrorLog.Printf("map/field_data.csv の %d 行目の地形番号 %d は範囲外です。(0-%d)", r, t, rows - 1);
            continue;
        }
        if (cells < columns)
            g_ErrorLog.Printf("map/field_data.csv の %d 行目の列が足りません。(%d/%d)", r, cells, columns);
        std::vector<FieldDataRecord>& rec = m_vRecord[t];
        for (int c = 1; c < columns && c < cells; ++c) {
            const std::string& header = table.m_vRows[0][c];
            const int value = CellInt(table, r, c);
            if (Contains(header, "name")) m_vName[t] = table.m_vRows[r][c];
            if (Contains(header, "height")) rec[0].height = static_cast<uint8_t>(value);
            if (Contains(header, "i_cost")) rec[0].cost = static_cast<uint8_t>(value);
            if (Contains(header, "i_d_guard")) rec[0].d_guard = value;
            if (Contains(header, "i_i_guard")) rec[0].i_guard = value;
            if (Contains(header, "c_cost")) rec[1].cost = static_cast<uint8_t>(value);
            if (Contains(header, "c_d_guard")) rec[1].d_guard = value;
            if (Contains(header, "c_i_guard")) rec[1].i_guard = value;
        }
    }
    // A header alone leaves terrain 0 without costs: every grass cell costs nothing to enter.
    if (terrains == 0) g_ErrorLog.Printf("map/field_data.csv には見出しの行しかありません。地形 0 の移動コストは 0 になります。");
}

uint8_t CFieldDataTable::GetMoveCost(int terrain, int moveClass) const {
    return IsValid(terrain, moveClass) ? m_vRecord[terrain][moveClass].cost : kImpassableCost;
}

int CFieldDataTable::GetDGuard(int terrain, int moveClass) const {
    return IsValid(terrain, moveClass) ? m_vRecord[terrain][moveClass].d_guard : 0;
}

int CFieldDataTable::GetIGuard(int terrain, int moveClass) const {
    return IsValid(terrain, moveClass) ? m_vRecord[terrain][moveClass].i_guard : 0;
}

uint8_t CFieldDataTable::GetHeight(int terrain) const {
    return IsValid(terrain, 0) ? m_vRecord[terrain][0].height : 0;
}

std::string CFieldDataTable::GetName(int terrain) const {
    return terrain >= 0 && terrain < GetCount() ? m_vName[terrain] : std::string();
}
