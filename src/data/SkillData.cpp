#include "SkillData.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <set>
#include <string_view>
#include <utility>

#include "log/ErrorLog.h"
#include "table/gvlTableFile.h"

CSkillData g_SkillData;

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Each missing skill or column is reported once, so a query made every frame does
// not flood the log.
std::set<std::pair<int, std::string>>& ReportedMisses() {
    static std::set<std::pair<int, std::string>> reported;
    return reported;
}

void ReportMiss(int skillID, const char* column, const char* what) {
    if (ReportedMisses().insert({skillID, column}).second)
        g_ErrorLog.Printf("スキル表: %s (skillID=%d, column=%s)", what, skillID, column);
}

// The columns the game reads, in the order of the getters' column numbers.
enum SkillColumn {
    kName, kType, kPath, kPower, kEffect, kMp, kRange1, kRange2, kRegion1, kRegion2, kBackAtk,
    kCharge, kTarget, kCritical, kCannon, kAllAtk, kPassive, kAttr, kComment, kColumnCount
};
const char* const kColumnNames[kColumnCount] = {
    "name", "type", "path", "power", "effect", "mp", "range1", "range2", "region1", "region2",
    "back_atk", "charge", "target", "critical", "cannon", "allatk", "passive", "attr", "comment"};

}  // namespace

int DataTextToInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank((unsigned char)text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value <= (long long)INT_MAX + 1) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return (int)value;
}

double DataTextToDouble(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

CSkillData::CSkillData() : m_KnownColumn(kColumnCount, -1) {}

void CSkillData::Load(const char* path) {
    CTableFile table;
    table.Load(path);
    std::vector<std::vector<std::string>> rows = std::move(table.m_vRows);
    if (rows.empty()) g_ErrorLog.Printf("スキル表が空です: %s", path);
    LoadRows(std::move(rows));
}

void CSkillData::LoadRows(std::vector<std::vector<std::string>> rows) {
    m_Rows = std::move(rows);
    m_ColumnIndex.clear();
    m_RowIndex.clear();
    m_KnownColumn.assign(kColumnCount, -1);
    ReportedMisses().clear();
    if (m_Rows.empty()) return;

    // The leftmost of two equal header names wins.
    for (int c = 0; c < (int)m_Rows[0].size(); ++c) m_ColumnIndex.emplace(m_Rows[0][c], c);
    for (int k = 0; k < kColumnCount; ++k) {
        auto it = m_ColumnIndex.find(std::string_view(kColumnNames[k]));
        if (it != m_ColumnIndex.end()) m_KnownColumn[k] = it->second;
    }

    auto idColumn = m_ColumnIndex.find("skillID");
    if (idColumn == m_ColumnIndex.end()) {
        g_ErrorLog.Write("スキル表に skillID の列がありません。");
        return;
    }
    for (int r = 1; r < (int)m_Rows.size(); ++r) {
        const std::vector<std::string>& row = m_Rows[r];
        if (idColumn->second >= (int)row.size()) {
            // A row that ends before the id column (a blank line, say) is no skill.
            if (!(row.size() == 1 && row[0].empty()))
                g_ErrorLog.Printf("スキル表の %d 行目に skillID がありません。", r + 1);
            continue;
        }
        // The upper of two rows with the same id wins.
        m_RowIndex.emplace(DataTextToInt(row[idColumn->second]), r);
    }
}

bool CSkillData::HasSkill(int skillID) const { return m_RowIndex.count(skillID) != 0; }

std::vector<int> CSkillData::GetIds() const {
    std::vector<int> ids;
    ids.reserve(m_RowIndex.size());
    for (const auto& [id, row] : m_RowIndex) ids.push_back(id);
    return ids;
}

const std::string* CSkillData::FindCell(int skillID, int column) const {
    const char* name = kColumnNames[column];
    int c = m_KnownColumn[column];
    if (c < 0) {
        ReportMiss(skillID, name, "列がありません");
        return nullptr;
    }
    auto r = m_RowIndex.find(skillID);
    if (r == m_RowIndex.end()) {
        ReportMiss(skillID, name, "スキルがありません");
        return nullptr;
    }
    const std::vector<std::string>& row = m_Rows[r->second];
    if (c >= (int)row.size()) {
        ReportMiss(skillID, name, "セルがありません");
        return nullptr;
    }
    return &row[c];
}

std::string CSkillData::GetCellText(int skillID, int column) const {
    const std::string* cell = FindCell(skillID, column);
    return cell ? *cell : std::string();
}

int CSkillData::GetCellInt(int skillID, int column) const {
    const std::string* cell = FindCell(skillID, column);
    return cell ? DataTextToInt(*cell) : 0;
}

bool CSkillData::GetCellFlag(int skillID, int column) const { return GetCellInt(skillID, column) == 1; }

std::string CSkillData::GetName(int skillID) const {
    if (!HasSkill(skillID)) return "NoData!";
    return GetCellText(skillID, kName);
}

std::string CSkillData::GetComment(int skillID) const { return GetCellText(skillID, kComment); }

int CSkillData::GetType(int skillID) const { return GetCellInt(skillID, kType); }
int CSkillData::GetPath(int skillID) const { return GetCellInt(skillID, kPath); }
int CSkillData::GetPower(int skillID) const { return GetCellInt(skillID, kPower); }
int CSkillData::GetEffect(int skillID) const { return GetCellInt(skillID, kEffect); }
int CSkillData::GetMp(int skillID) const { return GetCellInt(skillID, kMp); }
int CSkillData::GetRange1(int skillID) const { return GetCellInt(skillID, kRange1); }
int CSkillData::GetRange2(int skillID) const { return GetCellInt(skillID, kRange2); }
int CSkillData::GetRegion1(int skillID) const { return GetCellInt(skillID, kRegion1); }
int CSkillData::GetRegion2(int skillID) const { return GetCellInt(skillID, kRegion2); }
int CSkillData::GetCharge(int skillID) const { return GetCellInt(skillID, kCharge); }
int CSkillData::GetTarget(int skillID) const { return GetCellInt(skillID, kTarget); }
int CSkillData::GetCritical(int skillID) const { return GetCellInt(skillID, kCritical); }
int CSkillData::GetAttr(int skillID) const { return GetCellInt(skillID, kAttr); }

bool CSkillData::GetBackAtk(int skillID) const { return GetCellFlag(skillID, kBackAtk); }
bool CSkillData::IsCannon(int skillID) const { return GetCellFlag(skillID, kCannon); }
bool CSkillData::IsAllAttack(int skillID) const {
    if (GetCellFlag(skillID, kAllAtk)) return true;
    return IsCannon(skillID);
}
bool CSkillData::IsPassive(int skillID) const { return GetCellFlag(skillID, kPassive); }
