// The two keyframe tables of the battles: "model\keyframe_data.csv" (motion length
// and blow frame by column name) and "model\keyframe.csv" (the keys of each motion),
// both read from the same bytes and asked about at many times.
#include <string>

#include "KeyframeTable.h"
#include "fuzz_util.h"
#include "table/gvlTableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CTableFile table;
    table.LoadFromBytes(data, size);

    // Ids named by the table, and the ones of a base's standing motion.
    std::vector<int> ids = {-1, 0, 100, 101, 140, 2147483647, -2147483647 - 1};
    for (int r = 0; r < table.GetRowCount() && r < 16; ++r) ids.push_back(table.GetInt(r, 0));
    for (int id : ids) {
        CKeyframeTable::GetInt(table, id, "length");
        CKeyframeTable::GetInt(table, id, "atk_time");
        StandingKeyframeOf(id);
    }

    CKeyframe keys(table);
    for (int id : ids) {
        keys.Has(id);
        for (double t : {-1.0, 0.0, 0.5, 1.0, 7.0, 30.0, 1e9, -1e300, 1e300}) {
            keys.FindKey(id, t);
            keys.GetX(id, t);
            keys.GetY(id, t);
            keys.GetZ(id, t);
            keys.GetRX(id, t);
            keys.GetRY(id, t);
            keys.GetRZ(id, t);
            keys.GetMotion(id, t);
            keys.GetMTime(id, t);
        }
    }
    fuzz::EndInput();
    return 0;
}
