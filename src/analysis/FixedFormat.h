#pragma once
// printf-style fixed-point and integer fields that ignore the process locale: the GUI sets the user's
// locale, and "input_data.txt" must still read "-9.80", never "-9,80".
#include <string>

namespace torva {

// Appends `value` with `decimals` digits after the point, right-aligned in `width` characters, as
// printf's "%<width>.<decimals>f" does in the C locale (rounding included).
void AppendFixed(std::string& out, double value, int width, int decimals);
// Appends `value` right-aligned in `width` characters, as "%<width>d".
void AppendInt(std::string& out, long value, int width);
// The same without padding.
std::string FormatFixed(double value, int decimals);

} // namespace torva
