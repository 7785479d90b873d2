#include "save/SavedCount.h"

#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"

int ReadSavedCount(CStringMap& archive, const std::string& key, int missing, const char* what, int limit) {
    int64_t value = 0;
    const int found = archive.FindInt(key, value);
    if (found == -1) return missing < 0 ? 0 : missing;
    if (limit < 0) limit = static_cast<int>(archive.GetMap().size());
    if (found != 0 || value < 0) {
        g_ErrorLog.Printf("セーブデータの%sの数が不正です。(%s)", what, (archive.GetPrefix().empty() ? key : archive.GetPrefix() + "/" + key).c_str());
        return 0;
    }
    if (value > limit) {
        g_ErrorLog.Printf("セーブデータの%sの数 %lld がデータより多いため %d にしました。(%s)", what, (long long)value, limit,
                          (archive.GetPrefix().empty() ? key : archive.GetPrefix() + "/" + key).c_str());
        return limit;
    }
    return static_cast<int>(value);
}
