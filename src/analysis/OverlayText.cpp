#include "analysis/OverlayText.h"

#include <cstdio>

namespace torva {

std::string AmpText(float responseScale) {
    char text[64];
    std::snprintf(text, sizeof text, "Amp %5.2f", static_cast<double>(responseScale));
    return text;
}

std::string ScaleText(float multiplier, float automatic) {
    char factor[32], readable[32], text[80];
    // Whole steps of the multiplier read with one decimal, halvings with the digits they need.
    std::snprintf(factor, sizeof factor, multiplier >= 1.0f ? "%.1f" : "%.3g",
                  static_cast<double>(multiplier));
    if (!(automatic > 0.0f)) {
        std::snprintf(text, sizeof text, "\u00D7 %s", factor);
        return text;
    }
    // Large scales as whole numbers, never in exponent form.
    std::snprintf(readable, sizeof readable, automatic >= 100.0f ? "%.0f" : "%.3g",
                  static_cast<double>(automatic));
    std::snprintf(text, sizeof text, "\u00D7 %s (auto %s)", factor, readable);
    return text;
}

std::string StepText(int step, long long total) {
    char text[64];
    std::snprintf(text, sizeof text, "%d / %lld", step, total);
    return text;
}

} // namespace torva
