// Writes the fuzz seeds that are not files of the game folder, made with the game's
// own writers from the game folder's tables, maps and scripts:
//   save/     slot files of each kind (masked) and the older unmasked form, and a
//             field save whose enemy phase ends the map
//   index/    slot indexes
//   mapdata/  map and mission records as keyed-archive streams
//   xfile/    the folder's meshes in the binary form, 32- and 64-bit floats
//   image/    small pictures in the formats besides PNG: BMP, TGA, JPEG and DDS
// Usage: fuzz_seeds <game folder> <output folder>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PartyData.h"
#include "PersonData.h"
#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"
#include "field_seed.h"
#include "log/ErrorLog.h"
#include "mesh/xmesh.h"
#include "picture_files.h"
#include "save/ArchiveManager.h"

namespace fs = std::filesystem;

namespace {

fs::path g_Out;

void Write(const std::string& name, const void* data, size_t size) {
    const fs::path path = g_Out / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void Write(const std::string& name, const std::vector<unsigned char>& bytes) { Write(name, bytes.data(), bytes.size()); }

std::vector<unsigned char> ArchiveStream(CStringMap& archive) {
    CSerialize stream;
    stream.SerializeObject(archive);
    return stream.GetBuffer();
}

// A save of kind `kind` holding map `map`'s field record `field`, masked and in the
// older unmasked form, named by the kind, the map and `tag`.
void WriteFieldSave(CPartyData& party, const CStringMap& field, int map, const char* kind, const char* tag) {
    const std::vector<unsigned char> stream = fuzz::FieldSeedStream(party, field, map, kind);
    char name[64];
    std::snprintf(name, sizeof name, "save/%s%02d%s.dat", kind, map, tag);
    Write(name, CArchiveManager::MaskStream(stream));
    std::snprintf(name, sizeof name, "save/%s%02d%s_old.dat", kind, map, tag);
    Write(name, stream);
}

// The state of a map once its "FieldInitialize" has run, saved as the game saves it.
void FieldSeeds(int map, CPartyData& party) {
    CStringMap field, mapRecord;
    if (!fuzz::FieldSeedRecords(map, party, field, mapRecord)) return;
    char name[64];
    std::snprintf(name, sizeof name, "mapdata/map%02d.arc", map);
    Write(name, ArchiveStream(mapRecord));
    for (const char* kind : {FieldSave, IntermissionSave}) WriteFieldSave(party, field, map, kind, "");
}

// A 12 x 10 picture with every alpha step in each format that is read besides PNG.
void PictureSeeds() {
    using namespace picture_files;
    const int w = 12, h = 10;
    std::vector<uint32_t> argb(w * h);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = uint32_t(i * 2654435761u) ^ (uint32_t(i * 2) << 24);
    Write("image/rgb.bmp", Encode('b', argb, w, h, false));
    Write("image/argb.bmp", Encode('b', argb, w, h));
    Write("image/raw.tga", Encode('t', argb, w, h));
    Write("image/runs.tga", Encode('r', argb, w, h));
    Write("image/photo.jpg", Encode('j', argb, w, h));
    // DDS: every level of the chain, texels from the same pattern.
    const struct {
        const char* name;
        const DdsFormat& format;
        int bytesPer4x4;
    } dds[] = {{"dxt1", kDxt1, 8},         {"dxt3", kDxt3, 16},         {"dxt5", kDxt5, 16},
               {"a8r8g8b8", kA8R8G8B8, 64}, {"x8r8g8b8", kX8R8G8B8, 64}, {"r5g6b5", kR5G6B5, 32},
               {"a1r5g5b5", kA1R5G5B5, 32}, {"a4r4g4b4", kA4R4G4B4, 32}, {"r8g8b8", kR8G8B8, 48},
               {"l8", kL8, 16},             {"a8", kA8, 16}};
    const std::vector<unsigned char> rgba = Rgba(argb);
    for (const auto& d : dds) {
        std::vector<unsigned char> data(size_t(d.bytesPer4x4) * 12 + 256);
        for (size_t i = 0; i < data.size(); ++i) data[i] = rgba[i % rgba.size()];
        Write(std::string("image/") + d.name + ".dds", Dds(d.format, 8, 8, 4, data));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <game folder> <output folder>\n", argv[0]);
        return 2;
    }
    g_Out = fs::absolute(argv[2]);
    fs::create_directories(g_Out);
    // The manager is made in the output folder: it reads the slot index of the
    // folder it is made in and clears leftovers there, and the game folder is left
    // alone.
    if (::chdir(g_Out.c_str()) != 0) return 1;
    CArchiveManager::CreateInstance();
    if (::chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 1;
    }
    g_ErrorLog.SetMode(0);
    CPersonTypeTable::LoadCsv();

    CPartyData party = fuzz::SeedParty();

    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetString(SaveFileChapterKey, "1");
    manager->SetString(SaveFileDiffKey, "2");
    manager->SetString(SaveFileTypeKey, ChapterSave);
    Write("save/chapter.dat", CArchiveManager::MaskStream(manager->BuildStream()));

    for (int map = 0; map < 40; ++map) FieldSeeds(map, party);
    // A field whose enemy phase ends the map.
    CStringMap atBay, atBayMap;
    if (fuzz::FieldSeedRecords(fuzz::kHeroAtBayMap, party, atBay, atBayMap, fuzz::ArrangeHeroAtBay))
        WriteFieldSave(party, atBay, fuzz::kHeroAtBayMap, FieldSave, "_at_bay");

    SaveSlotInfo slots[kSaveSlotCount];
    Write("index/empty.dat", CArchiveManager::BuildIndexBytes(slots));
    slots[0] = SaveSlotInfo{0, ChapterSave, 2};
    slots[2] = SaveSlotInfo{3, FieldSave, 1};
    slots[5] = SaveSlotInfo{1, IntermissionSave, 3};
    Write("index/three.dat", CArchiveManager::BuildIndexBytes(slots));

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("model", ec)) {
        if (entry.path().extension() != ".x") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        xmesh::XFile file;
        if (FAILED(xmesh::ParseXFile(text.data(), text.size(), file))) continue;
        const std::string stem = entry.path().stem().string();
        const std::string bin32 = xmesh::WriteXFile(file, true, false);
        const std::string bin64 = xmesh::WriteXFile(file, true, true);
        Write("xfile/" + stem + "_bin32.x", bin32.data(), bin32.size());
        Write("xfile/" + stem + "_bin64.x", bin64.data(), bin64.size());
    }
    PictureSeeds();
    CArchiveManager::DestroyInstance();
    return 0;
}
