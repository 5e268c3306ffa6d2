#pragma once
// Conversion between the numbers typed into the model dialogs and the scaled integers the model stores,
// and the ranges the rest of the program can use. Stored = trunc(value × scale + 0.1), towards zero;
// forces round symmetrically about zero (+0.1 × sign). Qt-free so the rules are tested on their own.
#include <cstdint>

namespace torva {

enum class ValueRule {
    Force,       // any sign (point forces)
    NonNegative, // areas, densities, strengths, moduli the analysis does not divide by
    Positive,    // thickness, spacing, moduli the analysis divides by: stored value at least 1
    Poisson,     // Poisson ratio 0..0.5 (stored 0..5000)
    SpanLength,  // whole millimetres 0..65535 (16-bit storage)
    Gravity,     // m/sec2 0..327.67 (16-bit storage, ×100)
};

enum class ValueProblem {
    None,
    Negative, // below 0 where the rule forbids it
    Zero,     // the stored value would be 0 where the rule needs at least 1
    TooLarge, // does not fit the rule's range or the stored integer
};

struct ScaledValue {
    int64_t stored = 0;
    ValueProblem problem = ValueProblem::None;
};

// value must be finite.
ScaledValue ToStored(double value, int scale, ValueRule rule);

// The dialog value of a stored integer.
double ToShown(int32_t stored, int scale);

// The largest stored value a rule accepts (for messages and range checks).
int64_t MaxStored(ValueRule rule);

} // namespace torva
