#pragma once
// Whole numbers from doubles that may lie anywhere: tables and saves can hold absurd
// levels and growth rates, and a double outside the int range must never be cast
// as it is.
#include <cmath>
#include <cstdint>

// Truncates toward zero like a cast, but clamps to the int32 range; NaN gives 0.
inline int32_t ClampDoubleToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// A wide whole number held at the int32 limits.
inline int32_t ClampToInt32(int64_t v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v); }

// a + b held at the int32 limits instead of wrapping (money, counters read from
// saves and scripts).  `held`, when given, tells whether the sum was held.
inline int32_t SaturatingAdd(int32_t a, int32_t b, bool* held = nullptr) {
    const int64_t sum = int64_t(a) + int64_t(b);
    const int32_t result = ClampToInt32(sum);
    if (held) *held = result != sum;
    return result;
}

// a - b held at the int32 limits (hit and magic points at the table's limits).
inline int32_t SaturatingSub(int32_t a, int32_t b) { return ClampToInt32(int64_t(a) - int64_t(b)); }
