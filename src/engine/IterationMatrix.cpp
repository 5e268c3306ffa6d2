#include "engine/IterationMatrix.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

constexpr double kBarTangentFloor = 0.01; // of Es: a yielded bar's modulus in the iteration matrix
constexpr double kCoincident = 1e-12;     // principal strains this close share every axis

} // namespace

double RotationShearModulus(const McftPoint& point) {
    const double spread = point.e1 - point.e2;
    if (!(spread > kCoincident)) return point.G;
    const double rotation = (point.f1 - point.f2) / (2.0 * spread);
    return std::isfinite(rotation) && rotation > 0.0 ? rotation : point.G;
}

void IterationMatrix(const McftPoint& point, const McftMaterial& material, double D[9]) {
    std::copy_n(point.D, 9, D);
    const double shear = RotationShearModulus(point) - point.G;
    if (shear != 0.0) {
        // The engineering shear strain about the principal axes, as a row over (ex, ey, gxy).
        const double c = std::cos(point.theta), s = std::sin(point.theta);
        const double r3[3] = {-2.0 * c * s, 2.0 * c * s, c * c - s * s};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) D[3 * i + j] += shear * r3[i] * r3[j];
    }
    for (int k = 0; k < 2; ++k) {
        const McftBars& bars = material.bars[k];
        if (!point.yielded[k] || bars.rho <= 0.0 || point.barStrain[k] == 0.0) continue;
        const double secant = bars.rho * point.barStress[k] / point.barStrain[k];
        const double tangent = bars.rho * std::max(bars.Esh, kBarTangentFloor * bars.Es);
        D[4 * k] += tangent - secant;
    }
}

} // namespace torva::engine
