// The person list of a field in the keyed archive.  The current form stores the
// list column-wise: one text per field with every person's value followed by a
// space; doubles as value x 10000 cut toward zero.  Persons are rebuilt from their
// type at the saved level and the saved values are laid over them, so names,
// skills, pictures and comments always come from the person type table.
#include <algorithm>
#include <string>

#include "PersonData.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "save/SavedCount.h"

namespace {

enum class Kind { Int, Flag, Condition, Double };

struct Column {
    const char* key;
    Kind kind;
    int32_t PersonRecord::*i = nullptr;
    uint8_t PersonRecord::*b = nullptr;
    uint16_t PersonRecord::*c = nullptr;
    double PersonRecord::*d = nullptr;
};

constexpr Column IntColumn(const char* key, int32_t PersonRecord::*field) { return {key, Kind::Int, field}; }
constexpr Column FlagColumn(const char* key, uint8_t PersonRecord::*field) {
    return {key, Kind::Flag, nullptr, field};
}
constexpr Column DoubleColumn(const char* key, double PersonRecord::*field) {
    return {key, Kind::Double, nullptr, nullptr, nullptr, field};
}

// The columns in the order in which the save writes them.
const Column kColumns[] = {
    IntColumn("ID", &PersonRecord::nID),
    IntColumn("ptype", &PersonRecord::typeID),
    FlagColumn("bForward", &PersonRecord::bForward),
    FlagColumn("bExist", &PersonRecord::bExist),
    FlagColumn("bOperate", &PersonRecord::bOperate),
    FlagColumn("bFriend", &PersonRecord::bFriend),
    IntColumn("nLv", &PersonRecord::nLevel),
    IntColumn("nHP", &PersonRecord::nHP),
    IntColumn("nMaxHP", &PersonRecord::nMaxHP),
    IntColumn("nMP", &PersonRecord::nMP),
    IntColumn("nMaxMP", &PersonRecord::nMaxMP),
    {"nCondition", Kind::Condition, nullptr, nullptr, &PersonRecord::nCondition},
    IntColumn("nRestMove", &PersonRecord::nRestMove),
    IntColumn("xStart", &PersonRecord::xStart),
    IntColumn("yStart", &PersonRecord::yStart),
    IntColumn("nStr", &PersonRecord::nStr),
    IntColumn("nGur", &PersonRecord::nGur),
    IntColumn("nGurA", &PersonRecord::nGurA),
    IntColumn("nMag", &PersonRecord::nMag),
    IntColumn("nGurM", &PersonRecord::nGurM),
    IntColumn("nDex", &PersonRecord::nDex),
    IntColumn("nSpd", &PersonRecord::nSpd),
    IntColumn("nMove", &PersonRecord::nMove),
    IntColumn("nAttrLight", &PersonRecord::nAttrLight),
    IntColumn("nAttrDark", &PersonRecord::nAttrDark),
    IntColumn("nEXP", &PersonRecord::nEXP),
    DoubleColumn("dMaxHP", &PersonRecord::dMaxHP),
    DoubleColumn("dMaxHPUP", &PersonRecord::dMaxHPUP),
    DoubleColumn("dStr", &PersonRecord::dStr),
    DoubleColumn("dStrUP", &PersonRecord::dStrUP),
    DoubleColumn("dMag", &PersonRecord::dMag),
    DoubleColumn("dMagUP", &PersonRecord::dMagUP),
    DoubleColumn("dDex", &PersonRecord::dDex),
    DoubleColumn("dDexUP", &PersonRecord::dDexUP),
    DoubleColumn("dSpd", &PersonRecord::dSpd),
    DoubleColumn("dSpdUP", &PersonRecord::dSpdUP),
    DoubleColumn("nEXPUP", &PersonRecord::nEXPUP),
};

const Column& FindColumn(const char* key) {
    for (const Column& c : kColumns)
        if (std::string(c.key) == key) return c;
    return kColumns[0];
}

int64_t ToSaved(double value) { return static_cast<int64_t>(value * 10000.0); }  // cut toward zero

int64_t ValueOf(const PersonRecord& p, const Column& c) {
    switch (c.kind) {
        case Kind::Int: return p.*(c.i);
        case Kind::Flag: return p.*(c.b);
        case Kind::Condition: return p.*(c.c);
        case Kind::Double: return ToSaved(p.*(c.d));
    }
    return 0;
}

void Assign(PersonRecord& p, const Column& c, int64_t v) {
    switch (c.kind) {
        case Kind::Int: p.*(c.i) = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); break;
        case Kind::Flag: p.*(c.b) = v != 0 ? 1 : 0; break;
        case Kind::Condition: p.*(c.c) = static_cast<uint16_t>(static_cast<uint64_t>(v)); break;
        case Kind::Double: p.*(c.d) = static_cast<double>(v) / 10000.0; break;
    }
}

// The ParseInt64 rule on one token: optional "-", digits up to the first other
// character; 0 when no digit follows.  Wraps like 64-bit arithmetic.
int64_t ParseToken(const char* s, const char* end) {
    bool negative = false;
    if (s < end && *s == '-') {
        negative = true;
        ++s;
    }
    uint64_t v = 0;
    for (; s < end && *s >= '0' && *s <= '9'; ++s) v = v * 10 + static_cast<uint64_t>(*s - '0');
    return static_cast<int64_t>(negative ? 0 - v : v);
}

int CountTokens(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), ' ')); }

// Lays one column over every person.  A column with fewer tokens than persons
// leaves the rest as they are (logged once).
void ReadColumn(CStringMap& archive, std::vector<PersonRecord>& persons, const Column& c) {
    const std::string text = archive.GetString(c.key, "");
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < persons.size(); ++i) {
        const char* space = std::find(pos, end, ' ');
        if (space == end) {
            g_ErrorLog.Printf("セーブデータの人物の列 %s が %d 人分しかありません。(%d 人)", c.key, (int)i,
                              (int)persons.size());
            return;
        }
        Assign(persons[i], c, ParseToken(pos, space));
        pos = space + 1;
    }
}

}  // namespace

void CPersonList::Save(CStringMap& archive) const {
    archive.SetInt64("nNextID", nNextID);
    archive.SetInt64("NumPerson", (int64_t)m_vPerson.size());
    archive.EnterGroup("Person");
    std::string text;
    for (const Column& c : kColumns) {
        text.clear();
        text.reserve(m_vPerson.size() * 8);
        for (const PersonRecord& p : m_vPerson) {
            AppendInt64(text, ValueOf(p, c));
            text += ' ';
        }
        archive.SetString(c.key, text);
    }
    archive.LeaveGroup();
}

void CPersonList::Load(CStringMap& archive) {
    nNextID = archive.GetInt("nNextID", nNextID);
    m_vPerson.clear();
    int64_t n = 0;
    if (archive.FindInt("NumPerson", n) != 0) n = 0;
    archive.EnterGroup("Person");
    // There are never more persons than type ids stored for them.
    const int present = CountTokens(archive.GetString("ptype", ""));
    if (n < 0 || n > present) {
        g_ErrorLog.Printf("セーブデータの人数 %lld が保存された人物 %d 人と合いません。", (long long)n, present);
        n = n < 0 ? 0 : present;
    }
    m_vPerson.assign(static_cast<size_t>(n), PersonRecord());
    for (const char* key : {"ptype", "nLv", "bExist", "bForward", "bOperate", "bFriend"})
        ReadColumn(archive, m_vPerson, FindColumn(key));
    for (PersonRecord& p : m_vPerson) {
        const uint8_t exist = p.bExist;
        p = PersonRecord::CreateFromType(p.typeID, p.nLevel, p.bFriend, p.bOperate, p.bForward, 0);
        p.bExist = exist;
    }
    for (const char* key : {"ID", "nHP", "nMaxHP", "nMP", "nMaxMP", "nCondition", "nRestMove", "xStart", "yStart",
                            "nStr", "nGur", "nGurA", "nMag", "nGurM", "nDex", "nSpd", "nMove", "nAttrLight",
                            "nAttrDark", "nEXP", "dMaxHP", "dMaxHPUP", "dStr", "dStrUP", "dMag", "dMagUP", "dDex",
                            "dDexUP", "dSpd", "dSpdUP", "nEXPUP"})
        ReadColumn(archive, m_vPerson, FindColumn(key));
    archive.LeaveGroup();
}

void CPersonList::LoadVersion1(CStringMap& archive) {
    nNextID = archive.GetInt("nNextID", nNextID);
    m_vPerson.clear();
    const int n = ReadSavedCount(archive, "NumPerson", 0, "人物");
    for (int i = 0; i < n; ++i) {
        archive.EnterGroup("Person" + Int64ToString(i));
        const int type = archive.GetInt("ptype", -1);
        const int level = archive.GetInt("nLv", 0);
        const uint8_t bFriend = archive.GetInt("bFriend", 0) == 1 ? 1 : 0;
        const uint8_t bOperate = archive.GetInt("bOperate", 0) == 1 ? 1 : 0;
        const uint8_t bForward = archive.GetInt("bForward", 0) == 1 ? 1 : 0;
        m_vPerson.push_back(PersonRecord::CreateFromType(type, level, bFriend, bOperate, bForward, 0));
        m_vPerson.back().LoadVersion1(archive);
        archive.LeaveGroup();
    }
}

void PersonRecord::LoadVersion1(CStringMap& archive) {
    auto d = [&](const char* key) { return static_cast<double>(archive.GetInt64(key, 0)) / 10000.0; };
    nID = archive.GetInt("ID", -1);
    bExist = archive.GetInt("bExist", 0) != 0 ? 1 : 0;
    nHP = archive.GetInt("nHP", nHP);
    nMaxHP = archive.GetInt("nMaxHP", nMaxHP);
    if (nMaxHP < nHP) nMaxHP = nHP;
    nMP = archive.GetInt("nMP", nMP);
    nMaxMP = archive.GetInt("nMaxMP", nMaxMP);
    nRestMove = archive.GetInt("nRestMove", -1);
    nCondition = static_cast<uint16_t>(archive.GetInt("nCondition", 0xFFFF));
    xStart = archive.GetInt("xStart", -1);
    yStart = archive.GetInt("yStart", -1);
    // Early saves stop here: the stats keep their values from the type.
    if (archive.GetInt("nStr", -1) == -1) return;
    dMaxHP = d("dMaxHP");
    dMaxHPUP = d("dMaxHPUP");
    nStr = archive.GetInt("nStr", -1);
    dStr = d("dStr");
    dStrUP = d("dStrUP");
    nGur = archive.GetInt("nGur", -1);
    nGurA = archive.GetInt("nGurA", -1);
    nMag = archive.GetInt("nMag", -1);
    dMag = d("dMag");
    dMagUP = d("dMagUP");
    nGurM = archive.GetInt("nGurM", -1);
    nDex = archive.GetInt("nDex", -1);
    dDex = d("dDex");
    dDexUP = d("dDexUP");
    nSpd = archive.GetInt("nSpd", -1);
    dSpd = d("dSpd");
    dSpdUP = d("dSpdUP");
    nMove = archive.GetInt("nMove", -1);
    nAttrLight = archive.GetInt("nAttrLight", -1);
    nAttrDark = archive.GetInt("nAttrDark", -1);
    nEXP = archive.GetInt("nEXP", 0);
    nEXPUP = static_cast<double>(archive.GetInt("nEXPUP", 0)) / 100.0;
}
