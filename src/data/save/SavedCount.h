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
