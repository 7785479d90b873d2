#pragma once
// Persons: the person record (one layout for a person type and a person on the
// field), the global person type table, the person list of one field, the
// difficulty and its level shift.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CTableFile;
class CStringMap;

constexpr int kPersonSkillSlots = 12;

struct PersonRecord {
    int32_t nID = 0;              // instance id from CPersonList::AddPerson (1001 upward)
    std::string name;             // display name
    std::string s_name;           // short name
    uint8_t bOperate = 0;         // the player operates this person's unit
    uint8_t bFriend = 0;          // 1 the player's side, 0 the enemy side
    uint8_t hero = 0;             // heroes keep their level stats and never join other units
    int32_t nClass = 0;
    int32_t nLevel = 1;
    uint16_t nCondition = 0;      // bit c-1 set: condition c held
    int32_t nHP = 0;
    int32_t nMP = 0;
    int32_t nMaxHP = 0;
    int32_t nMaxMP = 0;
    double dMaxHP = 0.0;          // base at level 1
    double dMaxHPUP = 0.0;        // growth per level
    int32_t nStr = 0;
    int32_t nGur = 0;             // guard
    int32_t nGurA = 0;            // guard against arrows
    double dStr = 0.0;
    double dStrUP = 0.0;
    int32_t nMag = 0;
    int32_t nGurM = 0;            // guard against magic
    double dMag = 0.0;
    double dMagUP = 0.0;
    int32_t nDex = 0;
    int32_t nSpd = 0;
    double dDex = 0.0;
    double dDexUP = 0.0;
    double dSpd = 0.0;
    double dSpdUP = 0.0;
    int32_t nMove = 0;
    int32_t m_type = 0;           // movement class: 0 "i_" terrain columns, 1 "c_"
    int32_t nRestMove = 0;
    int32_t nAttrLight = 0;
    int32_t nAttrDark = 0;
    int32_t skill[kPersonSkillSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t cskill[kPersonSkillSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t pskill[kPersonSkillSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t marginal = 0;
    uint8_t bForward = 0;         // 1 front row, 0 back row
    uint8_t bExist = 1;           // alive and on the field
    int32_t xStart = 0;
    int32_t yStart = 0;
    int32_t icon = 0;
    int32_t face = 0;
    int32_t model = 0;
    std::string comment;
    int32_t typeID = 0;
    int32_t LocateCost = 0;
    int32_t nEXP = 0;
    double nEXPUP = 0.0;

    PersonRecord() = default;

    // Lengths of the three skill lists (entries before the first negative one).
    int CountSkills() const;
    int CountCSkills() const;
    int CountPassiveSkills() const;
    // The skill at running index n over skill, then cskill, then pskill.  An index
    // past the three lists is logged and answers -1.
    int GetSkillByIndex(int n) const;

    // Level L (shifted by the difficulty for the enemy side when `shift` is set):
    // max HP, HP, str, mag, dex and spd from base + growth x (L - 1).
    void SetLevel(int level, uint8_t shift);

    // A copy of `p` whose nine stats are drawn around their values with the given
    // deviations (max HP, max MP, str, mag, dex, spd, guard, guard arrow, guard magic).
    static PersonRecord RandomizeStats(PersonRecord p, double s0, double s1, double s2, double s3,
                                       double s4, double s5, double s6, double s7, double s8);
    // A person of the type at the level, with the three flags; no stat spread.
    static PersonRecord CreateFromType(int typeID, int level, uint8_t bFriend, uint8_t bOperate,
                                       uint8_t bForward, uint8_t shift);
    // A person from row `row` of a mission person table (columns "ptype", "LV",
    // "operate", "friend"); non-heroes get the stat spread.  `ok` (when given) is
    // set false for a row that names no known type or lacks a column; such a row
    // is logged and gives a constructed record with bExist 0.
    static PersonRecord CreateFromMissionRow(CTableFile& table, int row, bool* ok = nullptr);

    // Reads one person of the older save form (its group open) over a record that
    // CreateFromType has just made.  Defined with the person-list archive.
    void LoadVersion1(CStringMap& archive);
};

// The global person types by typeID, read once from "gamedata/person.csv".
class CPersonTypeTable {
public:
    // Fills the table unless it already holds a record.
    static void LoadCsv();
    // Fills the table from rows already split into cells (row 0 the header), unless
    // it already holds a record.
    static void LoadRows(const std::vector<std::vector<std::string>>& rows);
    // The type record; a type id that the table lacks gets a constructed record.
    static PersonRecord& Get(int typeID);
    // Whether the table holds the id (no record is added).
    static bool Has(int typeID);
    static const std::map<int, PersonRecord>& GetMap();
    static int GetCount();
    // Empties the table (tests; the game never empties it).
    static void Clear();
};

// Person instances of one field, named by their index.
class CPersonList {
public:
    CPersonList();

    int AddPerson(const PersonRecord& person);
    int FindIndexById(int id) const;
    int GetCount() const { return (int)m_vPerson.size(); }
    // Empties the list and starts the ids again at 1001.
    void Clear();

    void SetHP(int i, int value);
    int SetMP(int i, int value);
    void SetForward(int i, uint8_t flag);
    // Flag 0 clears condition c, flag 1 sets it.
    void SetCondition(int i, int c, uint8_t flag);
    bool HasCondition(int i, int c) const;
    void SetRestMove(int i, int value);
    bool HasAffordableType3Skill(int i) const;
    bool HasPassiveSkillEffect(int i, int effect) const;

    // The record itself.  An index out of range is logged and answers a shared
    // neutral record (bExist 0).
    PersonRecord& GetPerson(int i);
    const PersonRecord& GetPerson(int i) const;
    int GetID(int i) const;
    int GetTypeID(int i) const;
    int GetHP(int i) const;
    int GetMaxHP(int i) const;
    int GetMP(int i) const;
    int GetMag(int i) const;
    int GetDex(int i) const;
    int GetSpd(int i) const;
    std::string GetName(int i) const;
    std::string GetShortName(int i) const;
    int CountSkills(int i) const;
    int CountPassiveSkills(int i) const;
    int GetSkill(int i, int k) const;
    int GetPassiveSkill(int i, int k) const;

    // Archive of the whole list under the group the caller has opened (current
    // form, and the older form read only).  Defined with the person-list archive.
    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
    void LoadVersion1(CStringMap& archive);

    int GetNextID() const { return nNextID; }
    void SetNextID(int id) { nNextID = id; }
    bool IsValidIndex(int i) const { return i >= 0 && i < (int)m_vPerson.size(); }

    std::vector<PersonRecord> m_vPerson;
    int32_t nNextID = 1000;
};

// The current difficulty (1 to 5, 2 at start).  Stores `value` clamped to 1..5 in
// `field` and in the current difficulty; returns the stored value.
int SetDifficulty(int& field, int value);
int GetValue(const int& field);
int GetCurrentDifficulty();
// The level an enemy of level L is created at under the current difficulty.
int AdjustLevelForDifficulty(int level);
// One draw of the global generator: true with probability p.
bool RandomChance(double p);
