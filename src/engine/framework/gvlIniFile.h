#pragma once
// Settings file reading and the program-folder path.
#include <string>

class CIniFile {
public:
    // The value of `key` in `section` of the file at `path`, read as an integer the way
    // private-profile files are read: section and key without regard to case, the value's
    // leading number (decimal, or hexadecimal after "0x"; a sign allowed) and 0 when it
    // has none; 10000 when the file, the section or the key is missing.
    static unsigned int GetInt(const char* section, const char* key, const std::string& path);
    static unsigned int GetInt(const char* section, const char* key, int defaultValue, const std::string& path);
};

// The program's folder (stepping out of a build output folder named Debug or Release)
// followed by `fileName`.
std::string GetDataPath(const std::string& fileName);
// The same for a given program file path (full path of the program).
std::string GetDataPathFor(const std::string& programFile, const std::string& fileName);
