#include "TroopData.h"

#include <string>
#include <string_view>

#include "File/gvlFilePack.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"

namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40";  // code page 932 "　"

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

// Spaces and tabs in front of a number are passed over.
std::string_view SkipBlanks(std::string_view s) {
    for (;;) {
        if (!s.empty() && IsBlankByte(s[0])) {
            s.remove_prefix(1);
        } else if (s.substr(0, 2) == kFullWidthSpace) {
            s.remove_prefix(2);
        } else {
            return s;
        }
    }
}

std::string_view TrimTrailingBlanks(std::string_view s) {
    for (;;) {
        if (!s.empty() && IsBlankByte(s.back())) {
            s.remove_suffix(1);
        } else if (s.size() >= 2 && s.substr(s.size() - 2) == kFullWidthSpace) {
            s.remove_suffix(2);
        } else {
            return s;
        }
    }
}

// Optional "-", then decimal digits up to the first other character; 0 when the
// text does not begin with a digit.
int ParseTroopInt(std::string_view s) {
    s = SkipBlanks(s);
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        if (v < 10000000000LL) v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    if (v < -2147483648LL) v = -2147483648LL;
    return (int)v;
}

// Splits "a,b" at the first comma; without a comma both halves are the whole text.
void SplitPair(std::string_view s, int& first, int& second) {
    size_t comma = s.find(',');
    if (comma == std::string_view::npos) {
        first = second = ParseTroopInt(s);
        return;
    }
    first = ParseTroopInt(s.substr(0, comma));
    second = ParseTroopInt(s.substr(comma + 1));
}

enum class Section { None, Troop, Branch };

const char* const kTroopKeys[] = {"TypeID", "name", "LV", "CanUse", "EXP"};

const CTroopType& NeutralTroop() {
    static CTroopType* neutral = new CTroopType();
    *neutral = CTroopType();
    return *neutral;
}

}  // namespace

void CTroopTypeTable::LoadFile(const char* path) {
    LoadText(LoadFileBytes(path), path);
}

void CTroopTypeTable::LoadText(const std::vector<unsigned char>& bytes, const char* sourceName) {
    m_vTroop.clear();
    const std::string text(bytes.begin(), bytes.end());

    Section section = Section::None;
    int pendingKey = -1;
    int depth = 0;
    int lineNumber = 0;

    auto report = [&](const char* what, std::string_view at) {
        std::string shown(at.substr(0, 40));
        g_ErrorLog.Printf("%s(%d): %s: %s", sourceName, lineNumber, what, shown.c_str());
    };

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = next;
        ++lineNumber;

        std::string_view s = line;
        while (!s.empty()) {
            if (s.substr(0, 2) == "/*") {
                ++depth;
                s.remove_prefix(2);
                continue;
            }
            if (depth > 0) {
                if (s.substr(0, 2) == "*/") {
                    --depth;
                    s.remove_prefix(2);
                } else {
                    s.remove_prefix(1);
                }
                continue;
            }
            if (IsBlankByte(s[0])) {
                s.remove_prefix(1);
                continue;
            }
            if (s.substr(0, 2) == kFullWidthSpace) {
                s.remove_prefix(2);
                continue;
            }
            if (s.substr(0, 2) == "//") break;
            if (s.substr(0, 7) == "<Troop>") {
                m_vTroop.push_back(CTroopType());
                section = Section::Troop;
                pendingKey = -1;
                s.remove_prefix(7);
                continue;
            }
            if (s.substr(0, 8) == "</Troop>") {
                section = Section::None;
                pendingKey = -1;
                s.remove_prefix(8);
                continue;
            }
            if (s.substr(0, 8) == "<Branch>") {
                if (section == Section::None || m_vTroop.empty())
                    report("<Troop> の外の <Branch>", s);
                else
                    section = Section::Branch;
                s.remove_prefix(8);
                continue;
            }
            if (s.substr(0, 9) == "</Branch>") {
                if (section == Section::Branch) section = Section::Troop;
                s.remove_prefix(9);
                continue;
            }

            size_t semicolon = s.find(';');
            if (section == Section::Branch) {
                if (semicolon == std::string_view::npos) {
                    report("分岐の行に ; がありません", s);
                    break;
                }
                int first = 0, second = 0;
                SplitPair(s.substr(0, semicolon), first, second);
                m_vTroop.back().m_vBranch.emplace_back(first, second);
                s.remove_prefix(semicolon + 1);
                continue;
            }
            if (section == Section::Troop && pendingKey < 0) {
                for (int k = 0; k < 5; ++k) {
                    std::string_view key = kTroopKeys[k];
                    if (s.substr(0, key.size()) == key) {
                        pendingKey = k;
                        s.remove_prefix(key.size());
                        break;
                    }
                }
                if (pendingKey >= 0) continue;
            } else if (section == Section::Troop) {
                if (s[0] == '=') {
                    s.remove_prefix(1);
                    continue;
                }
                if (semicolon == std::string_view::npos) {
                    report("値の行に ; がありません", s);
                    pendingKey = -1;
                    break;
                }
                std::string_view value = s.substr(0, semicolon);
                CTroopType& troop = m_vTroop.back();
                switch (pendingKey) {
                case 0: troop.TypeID = ParseTroopInt(value); break;
                case 1: troop.name = std::string(value); break;
                case 2: troop.nLV = ParseTroopInt(value); break;
                case 3: troop.m_bCanUse = TrimTrailingBlanks(value) == "0" ? 0 : 1; break;
                case 4: {
                    int exp = 0, up = 0;
                    size_t comma = value.find(',');
                    exp = ParseTroopInt(value.substr(0, comma));
                    up = comma == std::string_view::npos ? 0 : ParseTroopInt(value.substr(comma + 1));
                    troop.nEXP = exp;
                    troop.dEXPUP = up / 100.0;
                    break;
                }
                default: break;
                }
                pendingKey = -1;
                s.remove_prefix(semicolon + 1);
                continue;
            }
            // Nothing this format knows: report it and go on after the next ";".
            report("解釈できない記述", s);
            if (semicolon == std::string_view::npos) break;
            s.remove_prefix(semicolon + 1);
        }
    }
    if (depth > 0) g_ErrorLog.Printf("%s: 閉じていないコメントがあります。", sourceName);
}

CTroopType& CTroopTypeTable::GetEntry(int i) {
    if (!IsValidIndex(i)) {
        g_ErrorLog.Printf("部隊番号が範囲外です。index=%d, count=%d", i, GetCount());
        return const_cast<CTroopType&>(NeutralTroop());
    }
    return m_vTroop[i];
}

const CTroopType& CTroopTypeTable::GetEntry(int i) const {
    return const_cast<CTroopTypeTable*>(this)->GetEntry(i);
}

int CTroopTypeTable::FindByTypeID(int typeID) const {
    for (int i = 0; i < (int)m_vTroop.size(); ++i)
        if (m_vTroop[i].TypeID == typeID) return i;
    return -1;
}

void CTroopTypeTable::SaveToArchive(CStringMap& archive) const {
    archive.EnterGroup("m_Troops");
    archive.SetInt64("size", (int64_t)m_vTroop.size());
    for (int i = 0; i < (int)m_vTroop.size(); ++i) {
        archive.EnterGroup(Int64ToString(i));
        archive.SetInt64("TypeID", m_vTroop[i].TypeID);
        archive.SetInt64("nLV", m_vTroop[i].nLV);
        archive.SetInt64("m_bCanUse", m_vTroop[i].m_bCanUse ? 1 : 0);
        archive.LeaveGroup();
    }
    archive.LeaveGroup();
}

void CTroopTypeTable::LoadFromArchive(CStringMap& archive) {
    archive.EnterGroup("m_Troops");
    int n = archive.GetInt("size", 0);
    if (n < 0 || n > 100000) {
        g_ErrorLog.Printf("セーブデータの部隊数が不正です。%d", n);
        n = 0;
    }
    for (int i = 0; i < n; ++i) {
        archive.EnterGroup(Int64ToString(i));
        int typeID = archive.GetInt("TypeID", -1);
        CTroopType* troop = nullptr;
        if (typeID != -1) {
            int found = FindByTypeID(typeID);
            if (found >= 0) troop = &m_vTroop[found];
        } else {
            // Older saves name their troops instead of giving the type id.
            std::string name;
            if (archive.FindString("name", name) == 0) {
                for (CTroopType& t : m_vTroop) {
                    if (t.name == name) {
                        troop = &t;
                        break;
                    }
                }
            }
        }
        if (troop != nullptr) {
            troop->m_bCanUse = archive.GetInt("m_bCanUse", 0) != 0 ? 1 : 0;
            if (troop->m_bCanUse) troop->nLV = archive.GetInt("nLV", 0);
        }
        archive.LeaveGroup();
    }
    archive.LeaveGroup();
}
