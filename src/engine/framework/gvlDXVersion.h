#pragma once
// The graphics-runtime version probe used by the start-up check: a diagnostics
// provider is asked first; without a complete answer the version is inferred from the
// file versions of system libraries.
#include <cstdint>
#include <string>

#include "hresult.h"

// Where the probe reads from.  The default source asks the platform's diagnostics,
// which report 9.0c, and knows no system libraries; tests inject their own.
class IDXVersionSource {
public:
    virtual ~IDXVersionSource() = default;
    // Each output is filled only when it was read; the result says which were read.
    struct DiagResult {
        bool haveMajor = false, haveMinor = false, haveLetter = false;
    };
    virtual bool OpenDiagnostics() = 0;  // false: the provider is unavailable
    virtual DiagResult ReadDiagnostics(uint32_t& major, uint32_t& minor, std::string& letter) = 0;
    // The system library folder (without a trailing separator); false when unknown.
    virtual bool SystemFolder(std::string& folder) = 0;
    // The file version of a library (most significant word major.minor, least
    // significant build.revision); false when the file or its version is missing.
    virtual bool FileVersion(const std::string& path, uint64_t& version) = 0;
};

IDXVersionSource& DefaultDXVersionSource();
// Replaces the source the probe uses (null: the default).
void SetDXVersionSource(IDXVersionSource* source);

HRESULT GetDXVersion(uint32_t* major, uint32_t* minor, char* letter);
HRESULT GetDXVersionFromDxDiag(uint32_t* major, uint32_t* minor, char* letter);
HRESULT GetDXVersionFromFiles(uint32_t* major, uint32_t* minor, char* letter);
HRESULT GetFileVersion(const char* path, uint64_t* version);
int CompareFileVersion(uint64_t a, uint64_t b);

constexpr uint64_t MakeFileVersion(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return (uint64_t(a & 0xFFFF) << 48) | (uint64_t(b & 0xFFFF) << 32) | (uint64_t(c & 0xFFFF) << 16) |
           uint64_t(d & 0xFFFF);
}
