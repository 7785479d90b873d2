// The slot index "SaveIndex.dat": six summaries shown by the slot screen.
#include "fuzz_util.h"
#include "save/ArchiveManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("SaveIndex.dat", data, size);
    CArchiveManager manager;  // reads the index
    for (int slot = -1; slot <= kSaveSlotCount; ++slot) {
        SaveSlotInfo info = manager.GetSlotInfo(slot);
        (void)info;
    }
    fuzz::EndInput();
    return 0;
}
