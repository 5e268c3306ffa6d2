#pragma once
// The state of every Gauss point at one step, in a form every drawing of results reads, whichever
// method computed it: stresses, strains, cracks, bars and the node displacements. Element e's Gauss
// point g (0..8, g = 3a + b with ξ = p[a], η = p[b], p = −√0.6, 0, √0.6) is points[9e + g]. Units N, mm;
// stresses in N/mm², tension positive; angles in rad from x, anticlockwise.
#include "analysis/SupportReactions.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torva {

enum class Quantity : int {
    Sx,
    Sy,
    Txy,
    S1,
    S2,
    E1,
    E2,
    CrackWidth,
    BarStressX,
    BarStressY,
    DisplacementMagnitude,
};
inline constexpr int kQuantityCount = 11;

// "σx", "ε1", "crack width", ...: UTF-8.
const char* QuantityName(Quantity q);
// "N/mm²", "‰" or "mm": UTF-8.
const char* QuantityUnit(Quantity q);
// Factor from the stored value to the value shown in QuantityUnit (strains are shown in ‰).
double QuantityFactor(Quantity q);

// How far the concrete of a point has gone: compression states take precedence over cracking.
enum class PointCondition : int8_t { Intact = 0, Cracked = 1, PastPeak = 2, Crushed = 3 };

struct PointResult {
    double s1 = 0, s2 = 0; // principal concrete stresses, s1 >= s2 (as the method reports them)
    double angle = 0;      // direction of s1
    double e1 = 0, e2 = 0; // principal strains
    bool cracked = false;  // a crack has opened (now or before)
    bool crackOpen = false;
    double crackAngle = 0; // direction of the crack line
    double crackWidth = 0; // mm
    PointCondition condition = PointCondition::Intact;
    double barStress[2] = {0, 0}; // x, y: stress in the bars
    bool yielded[2] = {false, false};
};

struct ResultField {
    static constexpr int kGaussPoints = 9;

    int elements = 0;
    std::vector<PointResult> points; // 9 per element
    std::vector<uint8_t> plane;      // 1 for a plane element with concrete results, per element
    std::vector<double> ux, uy;      // per mesh node, mm
    bool hasResults = false;         // false before the first analysis: "no results"
    bool hasStrains = false;         // e1, e2 filled
    bool hasCrackWidths = false;     // crackWidth filled (the iterative method)
    bool hasBars = false;            // barStress, yielded filled
    std::vector<uint8_t> bars;       // per element: bit 0 bars in x, bit 1 bars in y (with hasBars)
    bool iterated = false;           // each step iterated to equilibrium (the iterative method)
    SupportReactions reactions;      // the supports' forces and the loads they balance, N
    bool hasReactions = false;

    void Resize(int elementCount, int nodeCount);
    PointResult& Point(int element, int gauss) { return points[size_t(kGaussPoints * element + gauss)]; }
    const PointResult& Point(int element, int gauss) const {
        return points[size_t(kGaussPoints * element + gauss)];
    }
    // Whether the method that filled the field computes q.
    bool Has(Quantity q) const;
    // Whether the element has bars in direction 0 (x) or 1 (y): without, its bar stress is no value.
    bool HasBar(int element, int direction) const {
        return hasBars && size_t(element) < bars.size() && (bars[size_t(element)] >> direction & 1) != 0;
    }
};

// The value of q at a Gauss point, in stored units (σx, σy, τxy turned from the principal stresses).
double PointValue(const PointResult& point, Quantity q);

} // namespace torva
