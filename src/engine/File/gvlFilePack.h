#pragma once
// Whole-file loading, loose or from the folder's pack file, and a thin file handle.
#include <cstdint>
#include <string>
#include <vector>

class CFilePack {
public:
    // Reads the whole file named by `path` (game form: "\\" or "/" separators,
    // relative to the current folder) into `out`.  A loose file is preferred; else
    // the member of the folder's ".pck".  Returns false (and logs the path) when
    // the file is not found anywhere; `out` is then empty.
    static bool LoadFile(std::string path, std::vector<unsigned char>& out);
};

// The whole file read through CFilePack::LoadFile (empty when missing).
std::vector<unsigned char> LoadFileBytes(std::string fileName);
