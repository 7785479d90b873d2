#include "PersonData.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SkillData.h"
#include "log/ErrorLog.h"
#include "random/gvlRand.h"
#include "table/gvlTableFile.h"
#include "util/ClampInt.h"

namespace {

// ---- person type table ----------------------------------------------------------

std::map<int, PersonRecord>& TypeMap() {
    static std::map<int, PersonRecord> table;
    return table;
}

int g_nCurrentDifficulty = 2;

int ListLength(const int32_t* list) {
    int n = 0;
    while (n < kPersonSkillSlots && list[n] >= 0) ++n;
    return n;
}

// Columns of "gamedata/person.csv", in the order the loader compares them.
enum PersonColumn {
    kColTypeID, kColName, kColSName, kColHero, kColHP, kColHPUP, kColMP, kColClass, kColStr,
    kColStrUP, kColGuard, kColGuardArrow, kColGuardMagic, kColMag, kColMagUP, kColDex, kColDexUP,
    kColSpd, kColSpdUP, kColMove, kColMType, kColAttrLight, kColAttrDark,
    kColSkill1,                  // skill1 .. skill12
    kColCSkill1 = kColSkill1 + 12,  // cskill1 .. cskill6
    kColPSkill1 = kColCSkill1 + 6,  // pskill1 .. pskill4
    kColMarginal = kColPSkill1 + 4, kColIcon, kColFace, kColModel, kColComment, kColLocateCost,
    kColEXP, kColEXPUP, kColCount
};

std::string PersonColumnName(int col) {
    static const char* const fixed[] = {"typeID", "name", "s_name", "hero", "HP", "HPUP", "MP",
                                        "class", "str", "strUP", "guard", "guardarrow",
                                        "guardmagic", "mag", "magUP", "dex", "dexUP", "spd",
                                        "spdUP", "move", "m_type", "attr_light", "attr_dark"};
    static const char* const tail[] = {"marginal", "icon", "face", "model", "comment",
                                       "LocateCost", "EXP", "EXPUP"};
    if (col < kColSkill1) return fixed[col];
    if (col < kColCSkill1) return "skill" + std::to_string(col - kColSkill1 + 1);
    if (col < kColPSkill1) return "cskill" + std::to_string(col - kColCSkill1 + 1);
    if (col < kColMarginal) return "pskill" + std::to_string(col - kColPSkill1 + 1);
    return tail[col - kColMarginal];
}

int FindPersonColumn(const std::string& header) {
    static std::map<std::string, int> byName = [] {
        std::map<std::string, int> m;
        for (int c = 0; c < kColCount; ++c) m.emplace(PersonColumnName(c), c);
        return m;
    }();
    auto it = byName.find(header);
    return it == byName.end() ? -1 : it->second;
}

constexpr const char* kPersonTableFile = "gamedata/person.csv";

bool IsDoubleColumn(int col) {
    switch (col) {
    case kColHP: case kColHPUP: case kColStr: case kColStrUP: case kColMag: case kColMagUP:
    case kColDex: case kColDexUP: case kColSpd: case kColSpdUP: case kColEXPUP: return true;
    default: return false;
    }
}

// What a numeric cell is read as: the number taken (written out as the field takes
// it) and whether the whole cell went into it.  Double columns read what strtod reads
// (so "1e9" is a number) as long as it is finite; whole-number columns read blanks,
// a sign and digits, the way DataTextToInt does.
struct CellReading {
    bool whole = false;
    std::string taken;
};

CellReading ReadNumberCell(int col, const std::string& cell) {
    size_t i = 0, n = cell.size();
    while (i < n && (cell[i] == ' ' || cell[i] == '\t')) ++i;
    while (n > i && (cell[n - 1] == ' ' || cell[n - 1] == '\t' || cell[n - 1] == '\r')) --n;
    const std::string text = cell.substr(i, n - i);
    CellReading r;
    char buf[64];
    if (IsDoubleColumn(col)) {
        const char* begin = text.c_str();
        char* end = nullptr;
        const double d = std::strtod(begin, &end);
        r.whole = !text.empty() && end == begin + text.size() && std::isfinite(d);
        std::snprintf(buf, sizeof buf, "%.10g", DataTextToDouble(cell));
    } else {
        // A number beyond the int range is held at its limit: not what the cell says.
        size_t k = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
        const size_t digitsFrom = k;
        long long value = 0;
        for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
            if (value <= 1LL << 32) value = value * 10 + (text[k] - '0');
        if (digitsFrom == 1 && text[0] == '-') value = -value;
        r.whole = k == text.size() && k > digitsFrom && value >= INT32_MIN && value <= INT32_MAX;
        std::snprintf(buf, sizeof buf, "%d", DataTextToInt(cell));
    }
    r.taken = buf;
    return r;
}

bool IsTextColumn(int col) { return col == kColName || col == kColSName || col == kColComment; }

// Fills one field of `p` from a cell of the person table.
void FillPersonField(PersonRecord& p, int col, const std::string& cell) {
    int n = DataTextToInt(cell);
    double d = DataTextToDouble(cell);
    if (col >= kColSkill1 && col < kColCSkill1) { p.skill[col - kColSkill1] = cell.empty() ? -1 : n; return; }
    if (col >= kColCSkill1 && col < kColPSkill1) { p.cskill[col - kColCSkill1] = cell.empty() ? -1 : n; return; }
    if (col >= kColPSkill1 && col < kColMarginal) { p.pskill[col - kColPSkill1] = cell.empty() ? -1 : n; return; }
    switch (col) {
    case kColTypeID: p.typeID = n; break;
    case kColName: p.name = cell; break;
    case kColSName: p.s_name = cell; break;
    case kColHero: p.hero = n != 0 ? 1 : 0; break;
    case kColHP: p.dMaxHP = d; break;
    case kColHPUP: p.dMaxHPUP = d; break;
    case kColMP: p.nMP = n; p.nMaxMP = n; break;
    case kColClass: p.nClass = n; break;
    case kColStr: p.dStr = d; break;
    case kColStrUP: p.dStrUP = d; break;
    case kColGuard: p.nGur = n; break;
    case kColGuardArrow: p.nGurA = n; break;
    case kColGuardMagic: p.nGurM = n; break;
    case kColMag: p.dMag = d; break;
    case kColMagUP: p.dMagUP = d; break;
    case kColDex: p.dDex = d; break;
    case kColDexUP: p.dDexUP = d; break;
    case kColSpd: p.dSpd = d; break;
    case kColSpdUP: p.dSpdUP = d; break;
    case kColMove: p.nMove = n; break;
    case kColMType: p.m_type = n; break;
    case kColAttrLight: p.nAttrLight = n; break;
    case kColAttrDark: p.nAttrDark = n; break;
    case kColMarginal: p.marginal = n; break;
    case kColIcon: p.icon = n; break;
    case kColFace: p.face = n; break;
    case kColModel: p.model = n; break;
    case kColComment: p.comment = cell; break;
    case kColLocateCost: p.LocateCost = n; break;
    case kColEXP: p.nEXP = n; break;
    case kColEXPUP: p.nEXPUP = d; break;
    default: break;
    }
}

// Drops skill ids that the skill table does not know (when it is loaded), keeping
// the order of the others and the list's -1 end.
void DropUnknownSkills(int32_t* list, const char* listName, int typeID) {
    if (g_SkillData.GetCount() == 0) return;
    int out = 0;
    for (int k = 0; k < kPersonSkillSlots && list[k] >= 0; ++k) {
        if (g_SkillData.HasSkill(list[k])) {
            list[out++] = list[k];
        } else {
            g_ErrorLog.Printf("人物表: typeID=%d の %s に未知のスキル %d があります。", typeID, listName, list[k]);
        }
    }
    for (int k = out; k < kPersonSkillSlots; ++k) {
        if (list[k] < 0) break;
        list[k] = -1;
    }
}

const PersonRecord& NeutralPerson() {
    static PersonRecord neutral;
    neutral = PersonRecord();
    neutral.bExist = 0;
    return neutral;
}

}  // namespace

// ---- PersonRecord -------------------------------------------------------------------

int PersonRecord::CountSkills() const { return ListLength(skill); }
int PersonRecord::CountCSkills() const { return ListLength(cskill); }
int PersonRecord::CountPassiveSkills() const { return ListLength(pskill); }

int PersonRecord::GetSkillByIndex(int n) const {
    int ns = CountSkills();
    int nc = CountCSkills();
    int np = CountPassiveSkills();
    if (n >= 0 && n < ns) return skill[n];
    if (n >= ns && n < ns + nc) return cskill[n - ns];
    if (n >= ns + nc && n < ns + nc + np) return pskill[n - ns - nc];
    g_ErrorLog.Printf("スキル番号が範囲外です。typeID=%d, index=%d", typeID, n);
    return -1;
}

void PersonRecord::SetLevel(int level, uint8_t shift) {
    if (bFriend == 0 && shift != 0) level = AdjustLevelForDifficulty(level);
    if (level < 1) {
        g_ErrorLog.Printf("レベルが不正です。typeID=%d, LV=%d", typeID, level);
        level = 1;
    }
    double t = (double)(level - 1);
    nMaxHP = ClampDoubleToInt(dMaxHPUP * t + dMaxHP);
    if (nMaxHP < 1) {
        // A person is never made alive with no hit points.
        g_ErrorLog.Printf("最大HPが0以下です。typeID=%d, LV=%d", typeID, level);
        nMaxHP = 1;
    }
    nHP = nMaxHP;
    nStr = ClampDoubleToInt(dStrUP * t + dStr);
    nMag = ClampDoubleToInt(dMagUP * t + dMag);
    nDex = ClampDoubleToInt(dDexUP * t + dDex);
    nSpd = ClampDoubleToInt(dSpdUP * t + dSpd);
    nLevel = level;
}

PersonRecord PersonRecord::RandomizeStats(PersonRecord p, double s0, double s1, double s2, double s3,
                                          double s4, double s5, double s6, double s7, double s8) {
    if (p.nMaxMP == 0) s1 = 0.0;
    auto spread = [](int32_t& stat, double sigma) {
        int v = ClampDoubleToInt(RandomNormal((double)stat, sigma) + 0.5);
        stat = v < 0 ? 0 : v;
    };
    spread(p.nMaxHP, s0);
    spread(p.nMaxMP, s1);
    spread(p.nStr, s2);
    spread(p.nMag, s3);
    spread(p.nDex, s4);
    spread(p.nSpd, s5);
    spread(p.nGur, s6);
    spread(p.nGurA, s7);
    spread(p.nGurM, s8);
    // The spread never leaves a living person without hit points.
    if (p.nMaxHP < 1) p.nMaxHP = 1;
    p.nHP = p.nMaxHP;
    p.nMP = p.nMaxMP;
    return p;
}

PersonRecord PersonRecord::CreateFromType(int typeID, int level, uint8_t bFriend, uint8_t bOperate,
                                          uint8_t bForward, uint8_t shift) {
    CPersonTypeTable::LoadCsv();
    if (!CPersonTypeTable::Has(typeID))
        g_ErrorLog.Printf("人物表にない typeID=%d から人物を作ろうとした。", typeID);
    PersonRecord p = CPersonTypeTable::Get(typeID);
    p.typeID = typeID;
    p.bOperate = bOperate;
    p.bForward = bForward;
    p.bFriend = bFriend;
    p.nRestMove = p.nMove;
    p.SetLevel(level, shift);
    return p;
}

PersonRecord PersonRecord::CreateFromMissionRow(CTableFile& table, int row, bool* ok) {
    CPersonTypeTable::LoadCsv();
    if (ok) *ok = false;
    PersonRecord p;
    int typeID = 0, level = 1;
    uint8_t bOperate = 0, bFriend = 0;
    bool hasType = false, hasLevel = false, hasOperate = false, hasFriend = false;
    int columns = table.GetColumnCount(0);
    for (int c = 0; c < columns; ++c) {
        std::string header = table.GetCell(0, c);
        if (c >= table.GetColumnCount(row)) continue;
        if (header == "ptype") {
            typeID = table.GetInt(row, c);
            hasType = true;
        } else if (header == "LV") {
            level = table.GetInt(row, c);
            hasLevel = true;
        } else if (header == "operate") {
            bOperate = table.GetInt(row, c) != 0 ? 1 : 0;
            hasOperate = true;
        } else if (header == "friend") {
            bFriend = table.GetInt(row, c) != 0 ? 1 : 0;
            hasFriend = true;
        }
    }
    if (!hasType || !hasLevel || !hasOperate || !hasFriend) {
        g_ErrorLog.Printf("配置人物表の %d 行目に ptype, LV, operate, friend のいずれかがありません。", row);
        p.bExist = 0;
        return p;
    }
    if (!CPersonTypeTable::Has(typeID)) {
        g_ErrorLog.Printf("配置人物表の %d 行目の ptype=%d は人物表にありません。", row, typeID);
        p.bExist = 0;
        return p;
    }
    p = CPersonTypeTable::Get(typeID);
    p.nLevel = 1;
    if (p.nAttrDark == 2 || p.nAttrLight == 2) {
        // An attribute of 2 makes each person light or dark by an even chance.
        if (g_Rand.Get() & 1u) {
            p.nAttrDark = 1;
            p.nAttrLight = 0;
        } else {
            p.nAttrDark = 0;
            p.nAttrLight = 1;
        }
    }
    p.bFriend = bFriend;
    p.bOperate = bOperate;
    p.nRestMove = p.nMove;
    p.SetLevel(level, 1);
    if (p.hero == 0) p = RandomizeStats(p, 4.0, 0.0, 0.95, 0.95, 0.95, 0.95, 1.2, 1.2, 1.2);
    if (ok) *ok = true;
    return p;
}

// ---- CPersonTypeTable --------------------------------------------------------------

void CPersonTypeTable::LoadCsv() {
    if (!TypeMap().empty()) return;
    CTableFile table;
    table.Load(kPersonTableFile);
    LoadRows(table.m_vRows);
}

void CPersonTypeTable::LoadRows(const std::vector<std::vector<std::string>>& rows) {
    std::map<int, PersonRecord>& types = TypeMap();
    if (!types.empty() || rows.empty()) return;

    const std::vector<std::string>& header = rows[0];
    std::vector<int> columnOf(header.size());
    bool hasTypeID = false;
    for (size_t c = 0; c < header.size(); ++c) {
        columnOf[c] = FindPersonColumn(header[c]);
        if (columnOf[c] == kColTypeID) hasTypeID = true;
    }
    if (!hasTypeID) {
        g_ErrorLog.Printf("人物表 %s に typeID の列がありません (%d 行)。人物表として読めません。", kPersonTableFile,
                          int(rows.size()));
        return;
    }
    int notNumbers = 0;
    std::string firstNotNumber;

    PersonRecord work;
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::string>& row = rows[r];
        if (row.size() == 1 && row[0].empty()) continue;  // a blank line
        for (int k = 0; k < kPersonSkillSlots; ++k) {
            work.skill[k] = -1;
            work.cskill[k] = -1;
        }
        std::string emptyCells;
        bool typeGiven = false;
        for (size_t c = 0; c < header.size(); ++c) {
            int col = columnOf[c];
            if (col < 0) continue;
            const std::string cell = c < row.size() ? row[c] : std::string();
            if (cell.empty() && !IsTextColumn(col)) {
                emptyCells += emptyCells.empty() ? "" : ",";
                emptyCells += header[c];
            }
            if (col == kColTypeID && !cell.empty()) typeGiven = true;
            if (!cell.empty() && !IsTextColumn(col)) {
                const CellReading reading = ReadNumberCell(col, cell);
                if (!reading.whole && notNumbers++ == 0)
                    firstNotNumber = std::to_string(r + 1) + " 行目 " + header[c] + " 列の \"" + cell + "\" を " +
                                     reading.taken;
            }
            FillPersonField(work, col, cell);
        }
        if (!typeGiven) {
            g_ErrorLog.Printf("人物表の %d 行目に typeID がありません。読み飛ばします。", (int)r + 1);
            continue;
        }
        if (!emptyCells.empty())
            g_ErrorLog.Printf("人物表: typeID=%d の空欄 (%s)", work.typeID, emptyCells.c_str());
        // The type is kept: its level may still give it hit points, and the level
        // formula never makes a person alive with fewer than 1.
        if (ClampDoubleToInt(work.dMaxHP) < 1) g_ErrorLog.Printf("人物表: typeID=%d のHPが0以下です。", work.typeID);
        PersonRecord stored = work;
        DropUnknownSkills(stored.skill, "skill", stored.typeID);
        DropUnknownSkills(stored.cskill, "cskill", stored.typeID);
        DropUnknownSkills(stored.pskill, "pskill", stored.typeID);
        types.emplace(stored.typeID, stored);  // the first row of an id counts
    }
    if (notNumbers > 0)
        g_ErrorLog.Printf("人物表 %s: 数であるはずの欄に数として読み切れないものが %d 個あります (最初は %s として読みました)。",
                          kPersonTableFile, notNumbers, firstNotNumber.c_str());
}

PersonRecord& CPersonTypeTable::Get(int typeID) {
    std::map<int, PersonRecord>& types = TypeMap();
    auto it = types.find(typeID);
    if (it != types.end()) return it->second;
    return types.emplace(typeID, PersonRecord()).first->second;
}

bool CPersonTypeTable::Has(int typeID) { return TypeMap().count(typeID) != 0; }
const std::map<int, PersonRecord>& CPersonTypeTable::GetMap() { return TypeMap(); }
int CPersonTypeTable::GetCount() { return (int)TypeMap().size(); }
void CPersonTypeTable::Clear() { TypeMap().clear(); }

// ---- CPersonList ---------------------------------------------------------------------

#define PERSON_OR(i, neutral)                                                              \
    if (!IsValidIndex(i)) {                                                                \
        g_ErrorLog.Printf("人物番号が範囲外です。%s: person=%d, count=%d", __func__, (int)(i), \
                          GetCount());                                                     \
        return neutral;                                                                    \
    }

CPersonList::CPersonList() { CPersonTypeTable::LoadCsv(); }

int CPersonList::AddPerson(const PersonRecord& person) {
    m_vPerson.push_back(person);
    ++nNextID;
    m_vPerson.back().nID = nNextID;
    return (int)m_vPerson.size() - 1;
}

int CPersonList::FindIndexById(int id) const {
    for (int i = 0; i < (int)m_vPerson.size(); ++i)
        if (m_vPerson[i].nID == id) return i;
    return -1;
}

void CPersonList::Clear() {
    m_vPerson.clear();
    nNextID = 1000;
}

void CPersonList::SetHP(int i, int value) {
    PERSON_OR(i, );
    PersonRecord& p = m_vPerson[i];
    int v = value;
    if (v > p.nMaxHP) v = p.nMaxHP;
    if (v < 0) v = 0;
    p.nHP = v;
    if (value <= 0) p.bExist = 0;
}

int CPersonList::SetMP(int i, int value) {
    PERSON_OR(i, 0);
    PersonRecord& p = m_vPerson[i];
    int v = value;
    if (v > p.nMaxMP) v = p.nMaxMP;
    if (v < 0) v = 0;
    p.nMP = v;
    return v;
}

void CPersonList::SetForward(int i, uint8_t flag) {
    PERSON_OR(i, );
    m_vPerson[i].bForward = flag;
}

void CPersonList::SetCondition(int i, int c, uint8_t flag) {
    PERSON_OR(i, );
    if (c < 1 || c > 16) {
        g_ErrorLog.Printf("状態番号が範囲外です。person=%d, condition=%d", i, c);
        return;
    }
    uint16_t bit = (uint16_t)(1u << (c - 1));
    if (flag)
        m_vPerson[i].nCondition |= bit;
    else
        m_vPerson[i].nCondition &= (uint16_t)~bit;
}

bool CPersonList::HasCondition(int i, int c) const {
    PERSON_OR(i, false);
    if (c < 1 || c > 16) return false;
    return (m_vPerson[i].nCondition >> (c - 1)) & 1u;
}

void CPersonList::SetRestMove(int i, int value) {
    PERSON_OR(i, );
    m_vPerson[i].nRestMove = value;
}

bool CPersonList::HasAffordableType3Skill(int i) const {
    PERSON_OR(i, false);
    const PersonRecord& p = m_vPerson[i];
    int n = p.CountSkills();
    for (int k = 0; k < n; ++k)
        if (g_SkillData.GetType(p.skill[k]) == 3 && g_SkillData.GetMp(p.skill[k]) <= p.nMP) return true;
    return false;
}

bool CPersonList::HasPassiveSkillEffect(int i, int effect) const {
    PERSON_OR(i, false);
    const PersonRecord& p = m_vPerson[i];
    int n = p.CountPassiveSkills();
    for (int k = 0; k < n; ++k)
        if (g_SkillData.GetEffect(p.pskill[k]) == effect) return true;
    return false;
}

PersonRecord& CPersonList::GetPerson(int i) {
    PERSON_OR(i, const_cast<PersonRecord&>(NeutralPerson()));
    return m_vPerson[i];
}

const PersonRecord& CPersonList::GetPerson(int i) const {
    PERSON_OR(i, NeutralPerson());
    return m_vPerson[i];
}

int CPersonList::GetID(int i) const { PERSON_OR(i, -1); return m_vPerson[i].nID; }
int CPersonList::GetTypeID(int i) const { PERSON_OR(i, -1); return m_vPerson[i].typeID; }
int CPersonList::GetHP(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nHP; }
int CPersonList::GetMaxHP(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nMaxHP; }
int CPersonList::GetMP(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nMP; }
int CPersonList::GetMag(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nMag; }
int CPersonList::GetDex(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nDex; }
int CPersonList::GetSpd(int i) const { PERSON_OR(i, 0); return m_vPerson[i].nSpd; }
std::string CPersonList::GetName(int i) const { PERSON_OR(i, std::string()); return m_vPerson[i].name; }
std::string CPersonList::GetShortName(int i) const { PERSON_OR(i, std::string()); return m_vPerson[i].s_name; }
int CPersonList::CountSkills(int i) const { PERSON_OR(i, 0); return m_vPerson[i].CountSkills(); }
int CPersonList::CountPassiveSkills(int i) const { PERSON_OR(i, 0); return m_vPerson[i].CountPassiveSkills(); }

int CPersonList::GetSkill(int i, int k) const {
    PERSON_OR(i, -1);
    if (k < 0 || k >= kPersonSkillSlots) {
        g_ErrorLog.Printf("スキル番号が範囲外です。person=%d, k=%d", i, k);
        return -1;
    }
    return m_vPerson[i].skill[k];
}

int CPersonList::GetPassiveSkill(int i, int k) const {
    PERSON_OR(i, -1);
    if (k < 0 || k >= kPersonSkillSlots) {
        g_ErrorLog.Printf("スキル番号が範囲外です。person=%d, k=%d", i, k);
        return -1;
    }
    return m_vPerson[i].pskill[k];
}

// ---- difficulty and chance -------------------------------------------------------------

int SetDifficulty(int& field, int value) {
    if (value > 5) value = 5;
    if (value < 1) value = 1;
    field = value;
    g_nCurrentDifficulty = value;
    return value;
}

int GetValue(const int& field) { return field; }

int GetCurrentDifficulty() { return g_nCurrentDifficulty; }

int AdjustLevelForDifficulty(int level) {
    static const double kFactor[6] = {0.0, -0.1, 0.0, 0.1, 0.2, 0.3};
    static const int kLeastShift[6] = {0, -1, 0, 1, 1, 2};
    int d = g_nCurrentDifficulty;
    if (d < 1 || d > 5) d = 2;
    double delta = (double)level * kFactor[d];
    int least = kLeastShift[d];
    int shift;
    if (delta >= 0.0)
        shift = (double)least > delta ? least : ClampDoubleToInt(std::ceil(delta));
    else
        shift = (double)least < delta ? least : ClampDoubleToInt(std::floor(delta));
    const int64_t result = int64_t(level) + shift;
    return result <= 1 ? 1 : (result > INT32_MAX ? INT32_MAX : int(result));
}

bool RandomChance(double p) {
    uint32_t u = g_Rand.Get();
    return (double)u / 4294967295.0 <= p;
}
