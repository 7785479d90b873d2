// Loose-file loading (the pack reader is added beside it).
#include <fstream>
#include <iterator>

#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"
#include "paths.h"

bool CFilePack::LoadFile(std::string path, std::vector<unsigned char>& out) {
    out.clear();
    std::ifstream in(plat::ResolvePath(path), std::ios::binary);
    if (!in) {
        g_ErrorLog.Write("file not found: " + path);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::vector<unsigned char> LoadFileBytes(std::string fileName) {
    std::vector<unsigned char> bytes;
    CFilePack::LoadFile(std::move(fileName), bytes);
    return bytes;
}
