#pragma once
// Small program-wide helpers of the application.

// A message box owned by the main window with the caption "エラー" and the error icon.
int ShowErrorMessage(const char* text);

// upper when value > upper, lower when value < lower, else value (note the order:
// value, upper bound, lower bound).
double Clamp(double value, double upper, double lower);
