// Graphics-runtime version probe: diagnostics first, then library file versions.
#include "framework/gvlDXVersion.h"

#include <cctype>

#include "system.h"

namespace {

class CPlatformDXVersionSource : public IDXVersionSource {
public:
    bool OpenDiagnostics() override { return true; }
    DiagResult ReadDiagnostics(uint32_t& major, uint32_t& minor, std::string& letter) override {
        DiagResult r;
        uint32_t ma = 0, mi = 0;
        std::string le;
        if (!plat::QueryGraphicsDiagnostics(ma, mi, le)) return r;
        major = ma;
        minor = mi;
        r.haveMajor = r.haveMinor = true;
        if (!le.empty()) {
            letter = le;
            r.haveLetter = true;
        }
        return r;
    }
    bool SystemFolder(std::string&) override { return false; }
    bool FileVersion(const std::string&, uint64_t&) override { return false; }
};

IDXVersionSource* g_pDXVersionSource = nullptr;

IDXVersionSource& Source() { return g_pDXVersionSource ? *g_pDXVersionSource : DefaultDXVersionSource(); }

// One row of the file table: a library and the version(s) from which it counts.
struct VersionRow {
    const char* file;
    uint64_t since4;  // for a file whose major version part is 4 (0: none)
    uint64_t since5;  // for a file whose major version part is 5 (0: none)
    bool anyVersion;  // any readable version matches
    uint32_t major, minor;
    char letter;
};

constexpr uint64_t V(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return MakeFileVersion(a, b, c, d); }

const VersionRow kVersionRows[16] = {
    {"\\ddraw.dll", V(4, 2, 0, 95), 0, false, 1, 0, ' '},
    {"\\ddraw.dll", V(4, 3, 0, 1096), 0, false, 2, 0, ' '},
    {"\\ddraw.dll", V(4, 4, 0, 68), 0, false, 3, 0, ' '},
    {"\\d3drg8x.dll", V(4, 4, 0, 70), 0, false, 3, 0, 'a'},
    {"\\ddraw.dll", V(4, 5, 0, 155), 0, false, 5, 0, ' '},
    {"\\ddraw.dll", V(4, 6, 0, 318), 0, false, 6, 0, ' '},
    {"\\ddraw.dll", V(4, 6, 0, 436), 0, false, 6, 1, ' '},
    {"\\dplayx.dll", V(4, 6, 3, 518), 0, false, 6, 1, 'a'},
    {"\\ddraw.dll", V(4, 7, 0, 700), 0, false, 7, 0, ' '},
    {"\\dinput.dll", V(4, 7, 0, 716), 0, false, 7, 0, 'a'},
    {"\\ddraw.dll", V(4, 8, 0, 400), V(5, 1, 2258, 400), false, 8, 0, ' '},
    {"\\d3d8.dll", V(4, 8, 1, 881), V(5, 1, 2600, 881), false, 8, 1, ' '},
    {"\\d3d8.dll", V(4, 8, 1, 901), V(5, 1, 2600, 901), false, 8, 1, 'a'},
    {"\\mpg2splt.ax", V(6, 3, 1, 885), 0, false, 8, 1, 'b'},
    {"\\dpnet.dll", V(4, 9, 0, 134), V(5, 2, 3677, 134), false, 8, 2, ' '},
    {"\\d3d9.dll", 0, 0, true, 9, 0, ' '},
};

bool RowMatches(const VersionRow& row, uint64_t version) {
    if (row.anyVersion) return true;
    if (!row.since5) return CompareFileVersion(version, row.since4) >= 0;
    uint32_t fileMajor = static_cast<uint32_t>(version >> 48);
    if (fileMajor == 4) return CompareFileVersion(version, row.since4) >= 0;
    if (fileMajor == 5) return CompareFileVersion(version, row.since5) >= 0;
    return false;
}

}  // namespace

IDXVersionSource& DefaultDXVersionSource() {
    static CPlatformDXVersionSource source;
    return source;
}

void SetDXVersionSource(IDXVersionSource* source) { g_pDXVersionSource = source; }

int CompareFileVersion(uint64_t a, uint64_t b) {
    uint32_t ah = static_cast<uint32_t>(a >> 32), bh = static_cast<uint32_t>(b >> 32);
    if (ah != bh) return ah > bh ? 1 : -1;
    uint32_t al = static_cast<uint32_t>(a), bl = static_cast<uint32_t>(b);
    if (al != bl) return al > bl ? 1 : -1;
    return 0;
}

HRESULT GetFileVersion(const char* path, uint64_t* version) {
    if (!path || !version) return E_INVALIDARG;
    uint64_t v = 0;
    if (!Source().FileVersion(path, v)) return E_FAIL;
    *version = v;
    return S_OK;
}

HRESULT GetDXVersionFromDxDiag(uint32_t* major, uint32_t* minor, char* letter) {
    IDXVersionSource& src = Source();
    if (!src.OpenDiagnostics()) return E_FAIL;
    uint32_t ma = 0, mi = 0;
    std::string le;
    IDXVersionSource::DiagResult r = src.ReadDiagnostics(ma, mi, le);
    if (r.haveMajor && major) *major = ma;
    if (r.haveMinor && minor) *minor = mi;
    bool letterOk = r.haveLetter && !le.empty();
    if (letterOk && letter) *letter = le[0];
    return (r.haveMajor && r.haveMinor && letterOk) ? S_OK : E_FAIL;
}

HRESULT GetDXVersionFromFiles(uint32_t* major, uint32_t* minor, char* letter) {
    uint32_t ma = 0, mi = 0;
    char le = ' ';
    std::string folder;
    if (Source().SystemFolder(folder)) {
        for (const VersionRow& row : kVersionRows) {
            uint64_t version = 0;
            if (FAILED(GetFileVersion((folder + row.file).c_str(), &version))) continue;
            if (!RowMatches(row, version)) continue;
            ma = row.major;
            mi = row.minor;
            le = row.letter;
        }
    }
    if (major) *major = ma;
    if (minor) *minor = mi;
    if (letter) *letter = le;
    return S_OK;
}

HRESULT GetDXVersion(uint32_t* major, uint32_t* minor, char* letter) {
    uint32_t ma = 0, mi = 0;
    char le = ' ';
    if (major) *major = 0;
    if (minor) *minor = 0;
    if (letter) *letter = ' ';
    HRESULT hr = GetDXVersionFromDxDiag(&ma, &mi, &le);
    if (FAILED(hr)) hr = GetDXVersionFromFiles(&ma, &mi, &le);
    if (FAILED(hr)) return E_FAIL;
    if (major) *major = ma;
    if (minor) *minor = mi;
    if (letter) *letter = static_cast<char>(std::tolower(static_cast<unsigned char>(le)));
    return S_OK;
}
