#include "analysis/FixedFormat.h"

#include <charconv>

namespace torva {
namespace {

void AppendPadded(std::string& out, const char* first, const char* last, int width) {
    const int length = static_cast<int>(last - first);
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(first, last);
}

} // namespace

void AppendFixed(std::string& out, double value, int width, int decimals) {
    char text[400]; // room for any double in fixed notation
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    AppendPadded(out, text, result.ptr, width);
}

void AppendInt(std::string& out, long value, int width) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    AppendPadded(out, text, result.ptr, width);
}

std::string FormatFixed(double value, int decimals) {
    std::string out;
    AppendFixed(out, value, 0, decimals);
    return out;
}

} // namespace torva
