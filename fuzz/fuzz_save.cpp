// Save files: the masked slot file "Save0.dat" (its summary, then the whole binary
// stream of keyed archives), the same bytes as the older unmasked form, and the
// records the game restores from them (the party, the field).
#include <vector>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"
#include "fuzz_util.h"
#include "save/ArchiveManager.h"

namespace {

void Restore(CArchiveManager& manager) {
    CPartyData party;
    if (manager.HasArchive(PartyDataKey)) party.Load(manager.GetArchive(PartyDataKey, false));
    C_FieldTaskInfo field;
    field.m_pPartyData = &party;
    field.RestoreFromArchiveManager(manager);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    const std::vector<unsigned char> bytes(data, data + size);

    // The slot file: the summary read at start-up, then a load.
    fuzz::WriteFile("Save0.dat", data, size);
    fuzz::RemoveFile("SaveIndex.dat");
    {
        CArchiveManager manager;
        manager.GetSlotInfo(0);
        if (manager.Load(0)) Restore(manager);
    }
    fuzz::RemoveFile("Save0.dat");

    // The older form: the stream itself.
    {
        CArchiveManager manager;
        if (manager.ReadStream(bytes, 1)) {
            Restore(manager);
            // What was read is written back and read again.
            CArchiveManager again;
            again.ReadStream(CArchiveManager::UnmaskFile(CArchiveManager::MaskStream(manager.BuildStream())), 10);
        }
    }

    // The plain stream items, the way records read them.
    CSerialize stream;
    stream.SetMode(false);
    stream.GetBuffer() = bytes;
    std::vector<std::string> texts;
    std::vector<int> numbers;
    std::vector<bool> flags;
    std::vector<unsigned char> raw;
    std::vector<float> floats;
    CStringMap map;
    stream.SerializeStringVector(texts).SerializeIntVector(numbers).SerializeBoolVector(flags);
    stream.SerializeByteVector(raw).SerializeVector32(floats).SerializeObject(map);
    CSerialize inner;
    stream.SerializeArchive(inner);
    fuzz::EndInput();
    return 0;
}
