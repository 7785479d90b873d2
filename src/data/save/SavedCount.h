#pragma once
// Counts read back from saved records.  A count is never negative and never larger
// than what the archive can hold: every element of a saved list writes at least one
// key, so a count above the number of entries of the archive marks a damaged save.
#include <cstdint>
#include <string>

class CStringMap;

// The count stored under `key` (relative to the open group).  A missing key gives
// `missing` (taken as 0 when negative).  A negative value, or one larger than `limit`
// (-1: the number of entries of the archive), is logged with `what` and cut to
// 0 .. limit.
int ReadSavedCount(CStringMap& archive, const std::string& key, int missing, const char* what, int limit = -1);

// Appends the decimal text of a value ("-" for negatives, no leading zeros).
inline void AppendInt64(std::string& out, int64_t value) {
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out.push_back('-');
    while (n > 0) out.push_back(digits[--n]);
}
