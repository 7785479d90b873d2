// The comma-separated table: rows of raw cells split at commas and CR LF.
#include "table/gvlTableFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"

CTableFile::CTableFile(const char* path) { Load(path); }

int CTableFile::Load(const char* path) {
    if (path == nullptr) return 1;
    std::vector<unsigned char> bytes;
    CFilePack::LoadFile(path, bytes);  // a missing file has been logged; it adds no rows
    LoadFromBytes(bytes.data(), bytes.size());
    return 1;
}

void CTableFile::LoadFromBytes(const unsigned char* data, size_t size) {
    if (data == nullptr || size == 0) return;
    size_t i = 0;
    size_t lastCells = 1;
    while (i < size) {
        m_vRows.emplace_back();
        std::vector<std::string>& row = m_vRows.back();
        row.reserve(lastCells);  // rows of one table mostly have the same width
        row.emplace_back();
        // Cells grow by runs of ordinary bytes rather than one byte at a time.
        while (i < size) {
            unsigned char b = data[i];
            if (b == 0x0D) {
                i += 2;  // the CR and the byte after it, taken to be the LF
                break;
            }
            if (b == ',') {
                row.emplace_back();
                ++i;
                continue;
            }
            size_t start = i;
            while (i < size && data[i] != 0x0D && data[i] != ',') ++i;
            row.back().append(reinterpret_cast<const char*>(data + start), i - start);
        }
        lastCells = row.size();
    }
    if (!m_vRows.empty() && m_vRows.back().size() == 1 && m_vRows.back()[0].empty()) m_vRows.pop_back();
}

namespace {
void LogOutOfRange(const char* what, int row, int column) {
    g_ErrorLog.Printf("CTableFile::%s: cell (row %d, column %d) is outside the table", what, row, column);
}
}  // namespace

std::string CTableFile::GetCell(int row, int column) const {
    if (row < 0 || row >= GetRowCount() || column < 0 ||
        column >= static_cast<int>(m_vRows[static_cast<size_t>(row)].size())) {
        LogOutOfRange("GetCell", row, column);
        return std::string();
    }
    return m_vRows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int CTableFile::GetColumnCount(int row) const {
    if (row < 0 || row >= GetRowCount()) {
        LogOutOfRange("GetColumnCount", row, 0);
        return 0;
    }
    return static_cast<int>(m_vRows[static_cast<size_t>(row)].size());
}

int CTableFile::GetInt(int row, int column) const {
    std::string cell = GetCell(row, column);
    // atol with a 32-bit long: values beyond the range stick at its ends.
    errno = 0;
    long long v = std::strtoll(cell.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double CTableFile::GetCellDouble(int row, int column) const {
    std::string cell = GetCell(row, column);
    return std::atof(cell.c_str());
}
