#pragma once
// Text that reads on any fill: black or white, whichever contrasts more with the fill by the WCAG
// contrast ratio (relative luminances L1 >= L2: (L1 + 0.05) / (L2 + 0.05)). One of the two always
// reaches at least 4.58 : 1, above the 4.5 : 1 asked of normal text.
#include <QColor>

namespace torva {

// WCAG 2 relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever contrasts more with `fill` (white on a tie).
QColor ReadableTextOn(const QColor& fill);

} // namespace torva
