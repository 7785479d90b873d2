#include "app/AppUtil.h"

#include "system.h"

int ShowErrorMessage(const char* text) { return plat::MessageBox(text, "エラー", plat::kMbIconError); }

double Clamp(double value, double upper, double lower) {
    if (value > upper) return upper;
    if (value < lower) return lower;
    return value;
}
