#include "analysis/OverlayText.h"

#include <cstdio>

namespace torva {

std::string AmpText(float responseScale) {
    char text[64];
    std::snprintf(text, sizeof text, "Amp %5.2f", static_cast<double>(responseScale));
    return text;
}

std::string StepText(int step, long long total) {
    char text[64];
    std::snprintf(text, sizeof text, "%d / %lld", step, total);
    return text;
}

} // namespace torva
