#include "plan/ScaledValue.h"

#include <cmath>
#include <limits>

namespace torva {

int64_t MaxStored(ValueRule rule) {
    switch (rule) {
    case ValueRule::Poisson:
        return 5000;
    case ValueRule::SpanLength:
        return 65535;
    case ValueRule::Gravity:
        return std::numeric_limits<int16_t>::max();
    default:
        return std::numeric_limits<int32_t>::max();
    }
}

ScaledValue ToStored(double value, int scale, ValueRule rule) {
    ScaledValue result;
    const double product = value * scale;
    const double sign = value > 0 ? 1.0 : (value < 0 ? -1.0 : 0.0);
    const double shifted = product + (rule == ValueRule::Force ? 0.1 * sign : 0.1);
    // Guard the conversion: a value beyond the integer range never reaches the cast.
    if (std::fabs(shifted) >= 2147483648.0) {
        result.problem =
            rule != ValueRule::Force && value < 0 ? ValueProblem::Negative : ValueProblem::TooLarge;
        return result;
    }
    result.stored = static_cast<int64_t>(std::trunc(shifted));

    if (rule == ValueRule::Force) return result;
    if (value < 0)
        result.problem = ValueProblem::Negative;
    else if (result.stored > MaxStored(rule))
        result.problem = ValueProblem::TooLarge;
    else if (rule == ValueRule::Positive && result.stored == 0)
        result.problem = ValueProblem::Zero;
    return result;
}

double ToShown(int32_t stored, int scale) {
    return static_cast<double>(stored) / scale;
}

} // namespace torva
