// Loading the keyframe-data table.
#include "KeyframeTable.h"

#include "log/ErrorLog.h"

int CKeyframeTable::Load(CTableFile& table) {
    const int before = table.GetRowCount();
    const int result = table.Load("model\\keyframe_data.csv");
    if (table.GetRowCount() == before)
        g_ErrorLog.Printf("CKeyframeTable::Load: model\\keyframe_data.csv に行がありません");
    return result;
}
