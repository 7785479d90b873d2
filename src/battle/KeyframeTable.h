#pragma once
// The keyframe-data table "model\keyframe_data.csv": per motion (keyframe id in
// column 0) its length and the frame at which its blow lands.
#include "table/gvlTableFile.h"

class CKeyframeTable {
public:
    // Reads "model\keyframe_data.csv" into `table` (rows appended).  A missing or
    // empty file is logged and leaves the table as it was.
    static int Load(CTableFile& table);
};
