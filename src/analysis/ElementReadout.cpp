#include "analysis/ElementReadout.h"

#include "engine/ConvergenceTest.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace torva {

namespace {

const char* const kMinus = "\u2212";

std::string WithUnit(double value, const char* unit) {
    return FormatNumber(value) + " " + unit;
}

// The table's header carries the unit: its cells are bare numbers.
std::string CrackText(const ResultField& field, const PointResult& point) {
    if (field.hasCrackWidths) return point.cracked ? FormatNumber(point.crackWidth) : "none";
    if (!point.cracked) return "none";
    return point.crackOpen ? "open" : "closed";
}

std::string BarText(const ResultField& field, int element, const PointResult& point, int direction) {
    if (!field.HasBar(element, direction)) return kNoValueText;
    std::string text = FormatNumber(point.barStress[direction]);
    if (point.yielded[direction]) text += " yielded";
    return text;
}

std::string NoBarTip(int direction) {
    return std::string("This element has no bars in ") + (direction == 0 ? "x" : "y") +
           " (no rebar type, or one without bars in that direction), so there is no bar stress.";
}

// Compression states only, for the status line (where cracking has its own words).
const char* CompressionText(PointCondition condition) {
    switch (condition) {
    case PointCondition::Crushed:
        return "crushed";
    case PointCondition::PastPeak:
        return "past peak";
    default:
        return nullptr;
    }
}

const char* ConditionText(PointCondition condition) {
    if (const char* compression = CompressionText(condition)) return compression;
    return condition == PointCondition::Cracked ? "cracked" : "intact";
}

const char* ConditionTip(bool iterated) {
    return iterated ? "The worst state the concrete has reached: cracked once the principal tensile strain "
                      "passed the cracking strain, past peak once the compressive strain passed the peak "
                      "strain, crushed past twice the peak strain."
                    : "How far the concrete has gone: cracked while a crack is open (the classic method "
                      "keeps no mark of a crack that has closed), past peak once a direction's equivalent "
                      "uniaxial strain passed its peak strain, crushed past twice the peak strain.";
}

} // namespace

const std::string& ReadoutTable::Tip(size_t row, size_t column) const {
    static const std::string none;
    if (row >= tips.size() || column >= tips[row].size()) return none;
    return tips[row][column];
}

std::string FormatNumber(double value) {
    if (!std::isfinite(value)) return "—";
    const double magnitude = std::fabs(value);
    // Decimals by size: 3 below 0.1, 2 below 10, 1 below 100, none above; a value that rounds up
    // into the next size (9.999 to "10.00") takes that size's decimals ("10.0").
    const double upper[4] = {INFINITY, 100, 10, 0.1};
    int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 0.1 || magnitude == 0 ? 2 : 3;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, magnitude);
    if (decimals > 0 && std::strtod(text, nullptr) >= upper[decimals])
        std::snprintf(text, sizeof text, "%.*f", --decimals, magnitude);
    // A value that rounds to zero has no sign.
    const bool zero = std::string(text).find_first_not_of("0.") == std::string::npos;
    return (value < 0 && !zero ? std::string(kMinus) : std::string()) + text;
}

std::string ElementLabel(int element, int planX, int planY) {
    char text[64];
    std::snprintf(text, sizeof text, "E%d (x %d, y %d)", element + 1, planX, planY);
    return text;
}

std::string ProbeText(const ResultField& field, int element, int gauss, const std::string& label,
                      bool outOfDate) {
    if (outOfDate) return label + ": results are out of date \u2014 Analyze again";
    if (!field.hasResults || element < 0 || element >= field.elements || !field.plane[size_t(element)])
        return label + ": no results";
    const PointResult& p = field.Point(element, gauss);
    std::string text = label + " point " + std::to_string(gauss + 1) + ": σ1 " + WithUnit(p.s1, "N/mm²") +
                       ", σ2 " + WithUnit(p.s2, "N/mm²");
    if (field.hasCrackWidths)
        text += ", crack " + (p.cracked ? WithUnit(p.crackWidth, "mm") : std::string("none"));
    else if (field.hasStrains)
        text += ", crack " + std::string(!p.cracked ? "none" : p.crackOpen ? "open" : "closed");
    if (const char* condition = CompressionText(p.condition)) text += std::string(", ") + condition;
    if (field.hasBars)
        for (int d = 0; d < 2; ++d)
            text += std::string(d == 0 ? ", fsx " : ", fsy ") +
                    (field.HasBar(element, d) ? BarText(field, element, p, d) + " N/mm²"
                                              : std::string("— (no bars in ") + (d == 0 ? "x)" : "y)"));
    return text;
}

ReadoutTable NodeTable(const ResultField& field, const MeshView& mesh, const double* x, const double* y,
                       int element) {
    ReadoutTable table;
    table.header = {"corner", "node", "x (mm)", "y (mm)", "ux (mm)", "uy (mm)"};
    if (element < 0 || element >= mesh.elementCount) return table;
    for (int r = 0; r < 4; ++r) {
        const int node = mesh.Node(element, r);
        const bool known = field.hasResults && node < static_cast<int>(field.ux.size());
        char corner[8];
        std::snprintf(corner, sizeof corner, "n%d", r + 1);
        table.rows.push_back({corner, std::to_string(node + 1), FormatNumber(x[node]), FormatNumber(y[node]),
                              known ? FormatNumber(field.ux[size_t(node)]) : "",
                              known ? FormatNumber(field.uy[size_t(node)]) : ""});
    }
    return table;
}

ReadoutTable GaussTable(const ResultField& field, int element) {
    ReadoutTable table;
    table.header = {"point"};
    const Quantity stresses[] = {Quantity::Sx, Quantity::Sy, Quantity::Txy, Quantity::S1, Quantity::S2};
    for (Quantity q : stresses) table.header.push_back(std::string(QuantityName(q)) + " (N/mm²)");
    if (field.hasStrains) table.header.insert(table.header.end(), {"ε1 (‰)", "ε2 (‰)"});
    const bool crack = field.hasCrackWidths || field.hasStrains;
    if (crack) table.header.push_back(field.hasCrackWidths ? "crack (mm)" : "crack");
    if (crack) table.header.push_back("concrete");
    if (field.hasBars) table.header.insert(table.header.end(), {"fsx (N/mm²)", "fsy (N/mm²)"});
    table.headerTips.assign(table.header.size(), "");
    const size_t concreteColumn = crack ? table.header.size() - (field.hasBars ? 3 : 1) : 0;
    if (crack) table.headerTips[concreteColumn] = ConditionTip(field.iterated);
    if (!field.hasResults || element < 0 || element >= field.elements || !field.plane[size_t(element)])
        return table;
    for (int g = 0; g < ResultField::kGaussPoints; ++g) {
        const PointResult& p = field.Point(element, g);
        std::vector<std::string> row = {std::to_string(g + 1)};
        for (Quantity q : stresses) row.push_back(FormatNumber(PointValue(p, q)));
        if (field.hasStrains) {
            row.push_back(FormatNumber(PointValue(p, Quantity::E1) * QuantityFactor(Quantity::E1)));
            row.push_back(FormatNumber(PointValue(p, Quantity::E2) * QuantityFactor(Quantity::E2)));
        }
        if (crack) {
            row.push_back(CrackText(field, p));
            row.push_back(ConditionText(p.condition));
        }
        std::vector<std::string> tips(row.size());
        if (field.hasBars)
            for (int d = 0; d < 2; ++d) {
                row.push_back(BarText(field, element, p, d));
                tips.push_back(field.HasBar(element, d) ? "" : NoBarTip(d));
            }
        table.rows.push_back(std::move(row));
        table.tips.push_back(std::move(tips));
    }
    return table;
}

ReadoutTable ReactionTable(const SupportReactions& reactions, const MeshView& mesh, bool iterated) {
    ReadoutTable table;
    table.header = {"node", "x (mm)", "y (mm)", "Rx (kN)", "Ry (kN)"};
    const auto kN = [](double newtons) { return FormatNumber(newtons / 1000.0); };
    for (const NodeReaction& r : reactions.nodes) {
        const bool placed = r.node >= 0 && r.node < mesh.nodeCount;
        table.rows.push_back({std::to_string(r.node + 1), placed ? std::to_string(mesh.nodeX[r.node]) : "",
                              placed ? std::to_string(mesh.nodeY[r.node]) : "",
                              r.fixed[0] ? kN(r.force[0]) : "", r.fixed[1] ? kN(r.force[1]) : ""});
    }
    table.rows.push_back({"sum of reactions", "", "", kN(reactions.sum[0]), kN(reactions.sum[1])});
    table.rows.push_back({"gravity", "", "", kN(reactions.gravity[0]), kN(reactions.gravity[1])});
    table.rows.push_back({"point loads × " + FormatNumber(reactions.loadFactor), "", "",
                          kN(reactions.pointLoads[0]), kN(reactions.pointLoads[1])});
    table.rows.push_back({"applied loads", "", "", kN(reactions.Applied(0)), kN(reactions.Applied(1))});
    table.rows.push_back({iterated ? kOutOfBalanceText : kOutOfBalanceClassicText, "", "",
                          kN(reactions.sum[0] + reactions.Applied(0)),
                          kN(reactions.sum[1] + reactions.Applied(1))});
    // The out-of-balance force of a step is true, and large only where the method lets it be.
    const std::string iteration = "iterates every step until the out-of-balance force over all the nodes is "
                                  "below " +
                                  FormatNumber(100 * engine::ConvergenceTest{}.forceTolerance) +
                                  " % of the applied force.";
    const std::string tip =
        iterated ? "The force the reactions and the applied loads leave unbalanced. The iterative method " +
                       iteration
                 : "The force the reactions and the applied loads leave unbalanced. The classic step-by-step "
                   "method makes one pass a step, without equilibrium iterations, so once the wall cracks or "
                   "its bars yield the stresses it reaches need not balance the loads: this is the "
                   "difference. The iterative method (Option \u25B8 Loading\u2026, Analysis method) " +
                       iteration;
    table.tips.assign(table.rows.size(), {});
    table.tips.back().assign(table.header.size(), tip);
    // Under the table, where it is read without a pointer over it.
    table.note = std::string(iterated ? "" : "* ") + tip;
    return table;
}

} // namespace torva
