// The pack reader: a ".pck" file standing in for a folder, its directory parsed
// from memory and its members read through the file loader.
#include <string>
#include <vector>

#include "File/gvlFilePack.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    std::vector<PackEntry> entries;
    std::string error;
    CFilePack::ParseDirectory(data, size, entries, error);

    fuzz::WriteFile("pk.pck", data, size);
    std::vector<unsigned char> out;
    // Every member the directory names (a few at most), then a name it lacks, then
    // the same member asked for with another letter case.
    size_t tried = 0;
    for (const PackEntry& e : entries) {
        if (++tried > 8) break;
        if (e.name.find('/') != std::string::npos || e.name.find('\\') != std::string::npos) continue;
        CFilePack::LoadFile("pk/" + e.name, out);
    }
    CFilePack::LoadFile("pk\\NoSuchMember.csv", out);
    if (!entries.empty()) CFilePack::LoadFile("PK/" + CFilePack::FoldCase(entries[0].name), out);
    fuzz::EndInput();
    return 0;
}
