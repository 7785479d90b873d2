// Private-profile integer reading and the data-folder rule.
#include "framework/gvlIniFile.h"

#include <cctype>
#include <fstream>
#include <set>

#include "log/ErrorLog.h"
#include "system.h"

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

bool SameText(const std::string& a, const char* b) {
    std::string bb = b ? b : "";
    if (a.size() != bb.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(bb[i])))
            return false;
    return true;
}

// The leading number of a value: optional sign, then "0x" and hex digits or decimal
// digits; 0 when there are none.
unsigned int LeadingNumber(const std::string& v) {
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    unsigned long long value = 0;
    if (i + 1 < v.size() && v[i] == '0' && (v[i + 1] == 'x' || v[i + 1] == 'X')) {
        i += 2;
        while (i < v.size() && std::isxdigit(static_cast<unsigned char>(v[i]))) {
            int c = std::tolower(static_cast<unsigned char>(v[i++]));
            value = (value * 16 + (c <= '9' ? c - '0' : c - 'a' + 10)) & 0xFFFFFFFFull;
        }
    } else {
        while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])))
            value = (value * 10 + (v[i++] - '0')) & 0xFFFFFFFFull;
    }
    uint32_t r = static_cast<uint32_t>(value);
    return negative ? 0u - r : r;
}

// A settings file that is there but is not a settings file (or has lines that are not
// settings) is named in the log, once per file.
void CheckSettingsFile(const std::string& path) {
    static std::set<std::string> checked;
    if (!checked.insert(path).second) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string line;
    int number = 0, bad = 0, firstBad = 0;
    bool first = true;
    while (std::getline(in, line)) {
        ++number;
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        first = false;
        std::string t = Trim(line);
        bool ok = t.empty() || t[0] == ';' || t[0] == '#' || (t[0] == '[' && t.find(']') != std::string::npos) ||
                  (t.find('=') != std::string::npos && t[0] != '=');
        for (unsigned char c : t)
            if (c < 0x20 && c != '\t') ok = false;
        if (!ok && bad++ == 0) firstBad = number;
    }
    if (bad > 0)
        g_ErrorLog.Printf("%s: 設定として読めない行が %d 行あります (最初は %d 行目)。読めた設定だけを使います。",
                          path.c_str(), bad, firstBad);
}

}  // namespace

unsigned int CIniFile::GetInt(const char* section, const char* key, const std::string& path) {
    return GetInt(section, key, 10000, path);
}

unsigned int CIniFile::GetInt(const char* section, const char* key, int defaultValue, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return static_cast<unsigned int>(defaultValue);
    CheckSettingsFile(path);
    std::string line;
    bool inSection = false;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // a UTF-8 mark
        first = false;
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            size_t close = t.find(']');
            std::string name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = SameText(name, section);
            continue;
        }
        if (!inSection) continue;
        size_t eq = t.find('=');
        if (eq == std::string::npos) continue;
        if (!SameText(Trim(t.substr(0, eq)), key)) continue;
        std::string value = Trim(t.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.empty()) return static_cast<unsigned int>(defaultValue);
        return LeadingNumber(value);
    }
    return static_cast<unsigned int>(defaultValue);
}

std::string GetDataPathFor(const std::string& programFile, const std::string& fileName) {
    std::string folder;
    size_t slash = programFile.rfind('/');
    if (slash != std::string::npos) folder = programFile.substr(0, slash + 1);
    // A build output folder named Debug or Release (any case) stands for its parent.
    // Only the last folder itself is checked, so "Debugger" or "Releases" stay.
    if (folder.size() > 1) {
        size_t prev = folder.rfind('/', folder.size() - 2);
        std::string last = folder.substr(prev == std::string::npos ? 0 : prev + 1);
        last.pop_back();  // the trailing '/'
        std::string lower;
        for (char c : last) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((lower == "debug" || lower == "release") && prev != std::string::npos) folder.resize(prev + 1);
    }
    return folder + fileName;
}

std::string GetDataPath(const std::string& fileName) { return GetDataPathFor(plat::ProgramFile(), fileName); }
