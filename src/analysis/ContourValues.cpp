#include "analysis/ContourValues.h"

#include "analysis/MeshView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torva {

namespace {

constexpr double kP = 0.7745966692414834; // √0.6
constexpr double kXi[3] = {-kP, 0.0, kP};
constexpr double kCornerXi[4] = {1, -1, -1, 1};
constexpr double kCornerEta[4] = {1, 1, -1, -1};

// The automatic range leaves out the extreme 1 % of the corner values at either end, so that one peak
// under a point load does not turn the rest of the wall into one colour; the legend says how far the
// field goes beyond the range.
void TrimPeaks(const std::vector<std::array<float, 4>>& corner, double& lo, double& hi) {
    std::vector<float> values;
    values.reserve(4 * corner.size());
    for (const auto& c : corner)
        for (float v : c)
            if (!std::isnan(v)) values.push_back(v);
    if (values.size() < 200) return; // too few to call any of them a peak
    const size_t cut = values.size() / 100;
    std::nth_element(values.begin(), values.begin() + long(cut), values.end());
    lo = values[cut];
    std::nth_element(values.begin(), values.end() - 1 - long(cut), values.end());
    hi = values[values.size() - 1 - cut];
}

} // namespace

std::array<double, 4> CornerValuesOf(const double gauss[9]) {
    // Σ1 = 9, Σξ² = Ση² = 6·0.6 = 3.6, Σξ²η² = 4·0.36 = 1.44 over the grid.
    double c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const double v = gauss[3 * a + b], xi = kXi[a], eta = kXi[b];
            c0 += v;
            c1 += v * xi;
            c2 += v * eta;
            c3 += v * xi * eta;
        }
    c0 /= 9;
    c1 /= 3.6;
    c2 /= 3.6;
    c3 /= 1.44;
    std::array<double, 4> corner{};
    for (int r = 0; r < 4; ++r)
        corner[size_t(r)] = c0 + c1 * kCornerXi[r] + c2 * kCornerEta[r] + c3 * kCornerXi[r] * kCornerEta[r];
    return corner;
}

ContourValues PrepareContours(const ResultField& field, const MeshView& mesh, Quantity q, RangeMode mode,
                              double fixedLo, double fixedHi, int maxIntervals) {
    ContourValues out;
    out.quantity = q;
    out.available = field.Has(q);
    const int elements = std::min(mesh.elementCount, field.elements);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    out.corner.assign(size_t(std::max(elements, 0)), {nan, nan, nan, nan});
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    if (out.available) {
        const double factor = QuantityFactor(q);
        for (int e = 0; e < elements; ++e) {
            if (mesh.elemDiscrete[e] != 0 || !field.plane[size_t(e)]) continue;
            std::array<double, 4> corner{};
            if (q == Quantity::DisplacementMagnitude) {
                for (int r = 0; r < 4; ++r) {
                    const auto n = size_t(mesh.Node(e, r));
                    corner[size_t(r)] = n < field.ux.size() ? std::hypot(field.ux[n], field.uy[n]) : 0.0;
                }
            } else {
                double gauss[9];
                for (int g = 0; g < 9; ++g) gauss[g] = PointValue(field.Point(e, g), q) * factor;
                corner = CornerValuesOf(gauss);
                // A width or magnitude is never negative: the fit may undershoot near a lone crack.
                if (q == Quantity::CrackWidth)
                    for (double& v : corner) v = std::max(v, 0.0);
            }
            for (int r = 0; r < 4; ++r) {
                out.corner[size_t(e)][size_t(r)] = static_cast<float>(corner[size_t(r)]);
                lo = std::min(lo, corner[size_t(r)]);
                hi = std::max(hi, corner[size_t(r)]);
            }
        }
    }
    if (!(lo <= hi)) lo = hi = 0;
    out.min = lo;
    out.max = hi;
    if (mode != RangeMode::Fixed) TrimPeaks(out.corner, lo, hi);
    if (mode == RangeMode::Fixed && fixedHi > fixedLo) {
        out.ticks = RoundTicks(fixedLo, fixedHi, maxIntervals);
        // The user's range is kept as given; the ticks that fall outside it go.
        std::erase_if(out.ticks.values, [&](double v) {
            const double slack = 1e-9 * (fixedHi - fixedLo);
            return v < fixedLo - slack || v > fixedHi + slack;
        });
        out.ticks.lo = fixedLo;
        out.ticks.hi = fixedHi;
    } else {
        out.ticks = RoundTicks(lo, hi, maxIntervals, mode == RangeMode::Symmetric);
    }
    return out;
}

} // namespace torva
