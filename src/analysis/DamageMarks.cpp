#include "analysis/DamageMarks.h"

#include "analysis/MeshView.h"

#include <algorithm>
#include <cmath>

namespace torva {

namespace {

constexpr double kP = 0.7745966692414834; // √0.6
constexpr double kXi[3] = {-kP, 0.0, kP};
constexpr double kCornerXi[4] = {1, -1, -1, 1};
constexpr double kCornerEta[4] = {1, 1, -1, -1};

double ShorterSide(const MeshView& mesh, const double* x, const double* y, int e) {
    double shortest = INFINITY;
    for (int r = 0; r < 4; ++r) {
        const int a = mesh.Node(e, r), b = mesh.Node(e, (r + 1) % 4);
        shortest = std::min(shortest, std::hypot(x[b] - x[a], y[b] - y[a]));
    }
    return shortest;
}

} // namespace

int CrackGrade(double width) {
    int grade = 0;
    while (grade < 3 && width >= DamageMarks::kGradeLimits[grade]) ++grade;
    return grade;
}

void GaussPosition(const MeshView& mesh, const double* x, const double* y, int element, int gauss, double& gx,
                   double& gy) {
    const double xi = kXi[gauss / 3], eta = kXi[gauss % 3];
    gx = gy = 0;
    for (int r = 0; r < 4; ++r) {
        const double n = (1 + kCornerXi[r] * xi) * (1 + kCornerEta[r] * eta) / 4;
        const int node = mesh.Node(element, r);
        gx += n * x[node];
        gy += n * y[node];
    }
}

DamageMarks PrepareDamageMarks(const ResultField& field, const MeshView& mesh, const double* nodeX,
                               const double* nodeY) {
    DamageMarks marks;
    marks.hasResults = field.hasResults;
    marks.byWidth = field.hasCrackWidths;
    if (!field.hasResults) return marks;
    const int elements = std::min(field.elements, mesh.elementCount);
    for (int e = 0; e < elements; ++e) {
        if (!field.plane[size_t(e)] || mesh.elemDiscrete[e] != 0) continue;
        const double side = ShorterSide(mesh, nodeX, nodeY, e);
        const double half = DamageMarks::kCrackLength * side / 2;
        const size_t marksBefore = marks.cracks.size() + marks.conditions.size() + marks.yields.size();
        for (int g = 0; g < 9; ++g) {
            const PointResult& p = field.Point(e, g);
            double x, y;
            GaussPosition(mesh, nodeX, nodeY, e, g, x, y);
            if (p.cracked) {
                CrackMark crack{x, y, half * std::cos(p.crackAngle), half * std::sin(p.crackAngle), 0};
                crack.grade = marks.byWidth ? CrackGrade(p.crackWidth) : (p.crackOpen ? 1 : 0);
                marks.cracks.push_back(crack);
            }
            if (p.condition >= PointCondition::PastPeak) {
                marks.conditions.push_back({x, y, p.condition});
                ++(p.condition == PointCondition::Crushed ? marks.crushed : marks.pastPeak);
            }
            if (field.hasBars)
                for (int d = 0; d < 2; ++d)
                    if (p.yielded[d]) marks.yields.push_back({x, y, d});
        }
        // Neighbouring Gauss points lie √0.6 / 2 of the side apart.
        const double spacing = kXi[2] / 2 * side;
        if (marks.cracks.size() + marks.conditions.size() + marks.yields.size() > marksBefore)
            marks.pointSpacing = marks.pointSpacing > 0 ? std::min(marks.pointSpacing, spacing) : spacing;
    }
    return marks;
}

} // namespace torva
