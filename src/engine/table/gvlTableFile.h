#pragma once
// A comma-separated text table held as rows of raw text cells.  Commas split cells,
// CR LF ends a row; there is no quoting, trimming or header handling.
#include <string>
#include <vector>

class CTableFile {
public:
    CTableFile() = default;
    explicit CTableFile(const char* path);  // an empty table, then Load(path)

    // Appends the rows of the file read through CFilePack::LoadFile.  Returns 1
    // (a missing file appends nothing; the loader has logged it).
    int Load(const char* path);
    // Appends the rows split from bytes already in memory.
    void LoadFromBytes(const unsigned char* data, size_t size);

    // Out-of-range cells read as empty (the access is logged).
    std::string GetCell(int row, int column) const;
    int GetColumnCount(int row) const;        // 0 for a row out of range
    int GetInt(int row, int column) const;    // atol rule: blanks, sign, digits; 0 when none
    double GetCellDouble(int row, int column) const;  // atof rule
    // The program-wide helper form: the cell of `table` by the atoi rule.
    static int GetInt(const CTableFile& table, int row, int column) { return table.GetInt(row, column); }
    int GetRowCount() const { return static_cast<int>(m_vRows.size()); }

    std::vector<std::vector<std::string>> m_vRows;
};
