#include "analysis/RunProgressText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace torva {

std::string ResidualText(double residual) {
    if (!std::isfinite(residual)) return "not finite";
    if (residual == 0.0) return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.1e", residual);
    // "3.2e-04" → "3.2e-4": the exponent without its padding.
    char* e = std::strchr(text, 'e');
    if (e == nullptr) return text;
    const int exponent = std::atoi(e + 1);
    if (exponent == 0)
        *e = '\0';
    else
        std::snprintf(e, sizeof text - size_t(e - text), "e%d", exponent);
    return text;
}

std::string IteratingText(int step, int iteration, double residual) {
    return "Step " + std::to_string(step) + " \u2014 iteration " + std::to_string(iteration) + ", residual " +
           ResidualText(residual);
}

std::string StepIterationsText(int step, int iterations, double residual) {
    return "Step " + std::to_string(step) + ": " + std::to_string(iterations) +
           (iterations == 1 ? " iteration" : " iterations") + ", residual " + ResidualText(residual);
}

std::string StoppedText(int step) {
    return "Stopped at step " + std::to_string(step) + ".";
}

} // namespace torva
