#pragma once
// What a contour drawing of one quantity needs, prepared when the results or the choice change: a value
// at each corner of each plane element (in the unit shown) and the colour range with its ticks.
//
// The corner values come from the bilinear field v = c0 + c1 ξ + c2 η + c3 ξη fitted to the element's
// nine Gauss values by least squares; on the 3 × 3 grid the four terms are orthogonal, so each
// coefficient is a weighted sum of the nine values, and a field that is bilinear over the element is
// reproduced exactly. Corner r lies at (ξ, η) = (+1, +1), (−1, +1), (−1, −1), (+1, −1) for r = 0..3 (the
// element's own shape functions). The displacement magnitude is a node value and needs no fit.
#include "analysis/ResultField.h"
#include "analysis/ScaleTicks.h"

#include <array>
#include <vector>

namespace torva {

struct MeshView;

enum class RangeMode : int { Automatic, Symmetric, Fixed };

struct ContourValues {
    Quantity quantity = Quantity::Sx;
    bool available = false;                   // the field has results and the method computes the quantity
    std::vector<std::array<float, 4>> corner; // per element; NaN for an element without the quantity
    double min = 0, max = 0;                  // of the corner values, in the unit shown
    Ticks ticks;                              // the colour range is ticks.lo .. ticks.hi
    // Values beyond the range take the colour of its end; the legend then says how far they reach.
    bool Clipped() const { return min < ticks.lo || max > ticks.hi; }
};

// The four corner values of the bilinear least-squares fit of nine Gauss values.
std::array<double, 4> CornerValuesOf(const double gauss[9]);

// Prepares the contours of q. The automatic and symmetric ranges leave out the extreme 1 % of the
// corner values (with 200 or more of them), so a lone peak does not flatten the rest of the field. mode Fixed
// uses [fixedLo, fixedHi] as given (its ticks inside it).
ContourValues PrepareContours(const ResultField& field, const MeshView& mesh, Quantity q, RangeMode mode,
                              double fixedLo = 0, double fixedHi = 0, int maxIntervals = 8);

} // namespace torva
