#include "analysis/ResultField.h"

#include <cmath>

namespace torva {

const char* QuantityName(Quantity q) {
    switch (q) {
    case Quantity::Sx:
        return "σx";
    case Quantity::Sy:
        return "σy";
    case Quantity::Txy:
        return "τxy";
    case Quantity::S1:
        return "σ1";
    case Quantity::S2:
        return "σ2";
    case Quantity::E1:
        return "ε1";
    case Quantity::E2:
        return "ε2";
    case Quantity::CrackWidth:
        return "crack width";
    case Quantity::BarStressX:
        return "bar stress x";
    case Quantity::BarStressY:
        return "bar stress y";
    case Quantity::DisplacementMagnitude:
        return "displacement";
    }
    return "";
}

const char* QuantityUnit(Quantity q) {
    switch (q) {
    case Quantity::E1:
    case Quantity::E2:
        return "‰";
    case Quantity::CrackWidth:
    case Quantity::DisplacementMagnitude:
        return "mm";
    default:
        return "N/mm²";
    }
}

double QuantityFactor(Quantity q) {
    return q == Quantity::E1 || q == Quantity::E2 ? 1000.0 : 1.0;
}

void ResultField::Resize(int elementCount, int nodeCount) {
    elements = elementCount;
    points.assign(size_t(kGaussPoints) * size_t(elementCount), PointResult{});
    plane.assign(size_t(elementCount), 0);
    bars.assign(size_t(elementCount), 0);
    ux.assign(size_t(nodeCount), 0.0);
    uy.assign(size_t(nodeCount), 0.0);
}

bool ResultField::Has(Quantity q) const {
    if (!hasResults) return false;
    switch (q) {
    case Quantity::E1:
    case Quantity::E2:
        return hasStrains;
    case Quantity::CrackWidth:
        return hasCrackWidths;
    case Quantity::BarStressX:
    case Quantity::BarStressY:
        return hasBars;
    default:
        return true;
    }
}

double PointValue(const PointResult& p, Quantity q) {
    // Mohr's circle: the stress components on x, y from the principal stresses and the angle of s1.
    const double mean = (p.s1 + p.s2) / 2, radius = (p.s1 - p.s2) / 2;
    switch (q) {
    case Quantity::Sx:
        return mean + radius * std::cos(2 * p.angle);
    case Quantity::Sy:
        return mean - radius * std::cos(2 * p.angle);
    case Quantity::Txy:
        return radius * std::sin(2 * p.angle);
    case Quantity::S1:
        return p.s1;
    case Quantity::S2:
        return p.s2;
    case Quantity::E1:
        return p.e1;
    case Quantity::E2:
        return p.e2;
    case Quantity::CrackWidth:
        return p.crackWidth;
    case Quantity::BarStressX:
        return p.barStress[0];
    case Quantity::BarStressY:
        return p.barStress[1];
    case Quantity::DisplacementMagnitude:
        return 0; // a node value: see ContourValues
    }
    return 0;
}

} // namespace torva
