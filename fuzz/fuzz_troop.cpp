// The troop file "gamedata/Troop.txt", and the troop records kept in a save.
#include <vector>

#include "TroopData.h"
#include "archive/gvlStringMap.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CTroopTypeTable troops;
    troops.LoadText(std::vector<unsigned char>(data, data + size));
    for (int i = -1; i <= troops.GetCount() && i < 64; ++i) {
        const CTroopType& t = troops.GetEntry(i);
        troops.FindByTypeID(t.TypeID);
    }
    CStringMap archive;
    troops.SaveToArchive(archive);
    CTroopTypeTable again;
    again.LoadText(std::vector<unsigned char>(data, data + size));
    again.LoadFromArchive(archive);
    fuzz::EndInput();
    return 0;
}
