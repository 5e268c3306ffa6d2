#pragma once
// The marks of a damage map at one step, in model millimetres, prepared when the results change:
//   a crack line per cracked Gauss point, centred on the point along the crack, graded by width
//   (iterative method) or open/closed (classic method);
//   a mark per Gauss point whose concrete is past its peak or crushed;
//   a mark per Gauss point whose bars have yielded, one for x and one for y.
// Gauss point positions follow the element's shape functions over the given node positions (the
// undeformed or the displayed mesh).
#include "analysis/ResultField.h"

#include <vector>

namespace torva {

struct MeshView;

struct CrackMark {
    double x = 0, y = 0;   // centre, mm
    double hx = 0, hy = 0; // half the line, mm
    int grade = 0;         // width grade 0..3, or 0 closed / 1 open without widths
};

struct ConditionMark {
    double x = 0, y = 0;
    PointCondition condition = PointCondition::PastPeak;
};

struct YieldMark {
    double x = 0, y = 0;
    int direction = 0; // 0 bars in x, 1 bars in y
};

struct DamageMarks {
    // Upper ends of width grades 0..2, mm; grade 3 is anything wider.
    static constexpr double kGradeLimits[3] = {0.1, 0.3, 1.0};
    // A crack line's length as a fraction of the element's shorter side (Gauss points lie 0.39 apart).
    static constexpr double kCrackLength = 0.3;

    bool hasResults = false;
    bool byWidth = false; // grades are width grades
    std::vector<CrackMark> cracks;
    std::vector<ConditionMark> conditions;
    std::vector<YieldMark> yields;
    int crushed = 0, pastPeak = 0; // counts, for the legend
    // The distance between neighbouring Gauss points of the smallest marked element, mm (0 without
    // marks): the painter keeps its concrete and yield marks smaller than that, so that on a small
    // picture they stay apart instead of merging into blots.
    double pointSpacing = 0;
};

// The width grade of a crack (0..3).
int CrackGrade(double width);

// Gauss point g of element e at the node positions x, y (mm, per mesh node).
void GaussPosition(const MeshView& mesh, const double* x, const double* y, int element, int gauss, double& gx,
                   double& gy);

DamageMarks PrepareDamageMarks(const ResultField& field, const MeshView& mesh, const double* nodeX,
                               const double* nodeY);

} // namespace torva
