// The keyed text archive and its number texts.
#include "archive/gvlStringMap.h"

#include <cstring>

// ---- number texts -----------------------------------------------------------------

void AppendInt64(std::string& out, int64_t value) {
    // Digits of the magnitude taken as unsigned, so the most negative value is whole.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out.push_back('-');
    while (n > 0) out.push_back(digits[--n]);
}

void Int64ToStringInto(int64_t value, std::string& out) {
    out.clear();
    AppendInt64(out, value);
}

std::string Int64ToString(int64_t value) {
    std::string s;
    Int64ToStringInto(value, s);
    return s;
}

int ParseInt64(std::string text, int64_t& out) {
    out = 0;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return 1;
    uint64_t v = 0;  // wraps on overflow like the 64-bit arithmetic it stands for
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (negative) v = 0 - v;
    out = static_cast<int64_t>(v);
    return 0;
}

namespace {
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

unsigned char Fold(unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b - 'A' + 'a') : b; }

// Whether find matches text at pos; single-byte characters fold A-Z unless exact,
// the second byte of a two-byte character is always compared as it is.
bool MatchesAt(const std::string& text, size_t pos, const std::string& find, bool exact) {
    if (text.size() - pos < find.size()) return false;
    for (size_t k = 0; k < find.size(); ++k) {
        unsigned char a = static_cast<unsigned char>(text[pos + k]);
        unsigned char b = static_cast<unsigned char>(find[k]);
        if (IsLeadByte(a)) {
            if (a != b) return false;
            if (k + 1 < find.size()) {
                ++k;
                if (text[pos + k] != find[k]) return false;
            }
            continue;
        }
        if (exact ? a != b : Fold(a) != Fold(b)) return false;
    }
    return true;
}
}  // namespace

void ReplaceAllInText(std::string& text, const char* find, const char* replacement, int exact) {
    if (text.empty() || find == nullptr || *find == '\0') return;
    std::string f = find;
    std::string r = replacement ? replacement : "";
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    bool changed = false;
    while (i < text.size()) {
        if (MatchesAt(text, i, f, exact != 0)) {
            out += r;
            i += f.size();
            changed = true;
            continue;
        }
        // Step over a two-byte character whole.
        size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        out.append(text, i, step);
        i += step;
    }
    if (changed) text.swap(out);
}

// ---- CStringMap ------------------------------------------------------------------------

std::string CStringMap::FullKey(const std::string& key) const {
    if (m_strPrefix.empty()) return key;
    return m_strPrefix + "/" + key;
}

void CStringMap::SetInt64(const std::string& key, int64_t value) { SetString(key, Int64ToString(value)); }

void CStringMap::SetString(const std::string& key, const std::string& value) { m_Map[FullKey(key)] = value; }

void CStringMap::AppendString(const std::string& key, const std::string& value) { m_Map[FullKey(key)] += value; }

int CStringMap::FindInt(const std::string& key, int64_t& out) {
    out = 0;
    auto it = m_Map.find(FullKey(key));
    if (it == m_Map.end()) return -1;
    return ParseInt64(it->second, out) == 0 ? 0 : 1;
}

int CStringMap::FindString(const std::string& key, std::string& out) {
    auto it = m_Map.find(FullKey(key));
    if (it == m_Map.end()) {
        out.clear();
        return -1;
    }
    out = it->second;
    return 0;
}

std::string CStringMap::GetString(const std::string& key, const std::string& defaultValue) {
    auto it = m_Map.find(FullKey(key));
    if (it == m_Map.end() || it->second.empty()) return defaultValue;
    return it->second;
}

int CStringMap::GetInt(const std::string& key, int defaultValue) {
    int64_t v = 0;
    if (FindInt(key, v) != 0) return defaultValue;
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

int64_t CStringMap::GetInt64(const std::string& key, int64_t defaultValue) {
    int64_t v = 0;
    if (FindInt(key, v) != 0) return defaultValue;
    return v;
}

bool CStringMap::EraseKey(const std::string& key) { return m_Map.erase(key) != 0; }

void CStringMap::Clear() { m_Map.clear(); }

void CStringMap::ReplaceKeys(std::string& text, int exact) {
    for (const auto& [key, value] : m_Map) ReplaceAllInText(text, key.c_str(), value.c_str(), exact);
}

void CStringMap::EnterGroup(std::string name) {
    if (m_strPrefix.empty()) m_strPrefix = std::move(name);
    else m_strPrefix += "/" + name;
}

void CStringMap::LeaveGroup() {
    size_t slash = m_strPrefix.rfind('/');
    if (slash == std::string::npos) m_strPrefix.clear();
    else m_strPrefix.erase(slash);
}

void CStringMap::Serialize(ISerialize& stream) {
    if (stream.IsStoring()) {
        int count = static_cast<int>(m_Map.size());
        stream.SerializeInt(count);
        for (auto& [key, value] : m_Map) {
            std::string k = key;
            stream.SerializeString(k);
            stream.SerializeString(value);
        }
        return;
    }
    int count = 0;
    stream.SerializeInt(count);
    // Each pair takes at least its two 0 bytes.
    count = stream.CheckCount(count, 2);
    m_Map.clear();
    for (int i = 0; i < count; ++i) {
        std::string key, value;
        int before = stream.GetPositionRef();
        stream.SerializeString(key);
        stream.SerializeString(value);
        // A whole pair takes both texts and their two 0 bytes; a pair cut short by
        // the end of the stream is not kept.
        if (static_cast<size_t>(stream.GetPositionRef() - before) != key.size() + value.size() + 2) break;
        m_Map.emplace(std::move(key), std::move(value));
    }
}
