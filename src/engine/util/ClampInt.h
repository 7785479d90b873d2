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
