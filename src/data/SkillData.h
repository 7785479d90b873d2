#pragma once
// The skill table: every skill's parameters, read once from "gamedata/skill.csv".
// Cells are kept as text and converted at each query; skills are named by id.
#include <map>
#include <string>
#include <vector>

class CSkillData {
public:
    CSkillData();

    // Reads the table and builds the column and row indexes.  Called once at
    // start-up; a later call replaces what an earlier one read.  A missing file,
    // an empty file or a header without "skillID" leaves an empty table and a
    // line in the error log.
    void Load(const char* path = "gamedata/skill.csv");
    // Builds the table from rows already split into cells (row 0 is the header).
    void LoadRows(std::vector<std::vector<std::string>> rows);

    // "NoData!" for an id that is not in the table.
    std::string GetName(int skillID) const;
    std::string GetComment(int skillID) const;

    int GetType(int skillID) const;
    int GetPath(int skillID) const;
    int GetPower(int skillID) const;
    int GetEffect(int skillID) const;
    int GetMp(int skillID) const;
    int GetRange1(int skillID) const;
    int GetRange2(int skillID) const;
    int GetRegion1(int skillID) const;
    int GetRegion2(int skillID) const;
    int GetCharge(int skillID) const;
    int GetTarget(int skillID) const;
    int GetCritical(int skillID) const;
    int GetAttr(int skillID) const;

    bool GetBackAtk(int skillID) const;
    bool IsCannon(int skillID) const;
    // "allatk" is 1, or the skill is cannon magic.
    bool IsAllAttack(int skillID) const;
    bool IsPassive(int skillID) const;

    // Whether the id names a row of the table.
    bool HasSkill(int skillID) const;
    // Number of skills (distinct ids) in the table.
    int GetCount() const { return (int)m_RowIndex.size(); }
    // Every skill id in ascending order.
    std::vector<int> GetIds() const;

private:
    // The cell of `column` in the skill's row; null (and a log line) when the
    // skill, the column or the cell is missing.
    const std::string* FindCell(int skillID, int column) const;
    std::string GetCellText(int skillID, int column) const;
    int GetCellInt(int skillID, int column) const;
    bool GetCellFlag(int skillID, int column) const;

    std::vector<std::vector<std::string>> m_Rows;  // the whole table, header row first
    std::map<std::string, int, std::less<>> m_ColumnIndex;  // header text -> column number
    std::map<int, int> m_RowIndex;                   // skill id -> row number
    // Column numbers of the columns the game reads, found once per load (-1: absent).
    std::vector<int> m_KnownColumn;
};

// The program's one skill table.
extern CSkillData g_SkillData;

// The C library's atoi rule: blanks, optional sign, digits up to the first other
// character; 0 when there are none.  Never overflows (saturates at the int range).
int DataTextToInt(const std::string& text);
// The C library's atof rule; 0.0 when the text does not begin with a number.
double DataTextToDouble(const std::string& text);
