#include "analysis/ElementReadout.h"

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

std::string BarText(const PointResult& point, int direction) {
    std::string text = FormatNumber(point.barStress[direction]);
    if (point.yielded[direction]) text += " yielded";
    return text;
}

const char* ConditionText(PointCondition condition) {
    switch (condition) {
    case PointCondition::Crushed:
        return "crushed";
    case PointCondition::PastPeak:
        return "past peak";
    default:
        return nullptr;
    }
}

} // namespace

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
    if (const char* condition = ConditionText(p.condition)) text += std::string(", ") + condition;
    if (field.hasBars) {
        text += ", fsx " + BarText(p, 0) + " N/mm²";
        text += ", fsy " + BarText(p, 1) + " N/mm²";
    }
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
            const char* condition = ConditionText(p.condition);
            row.push_back(condition ? condition : "");
        }
        if (field.hasBars) row.insert(row.end(), {BarText(p, 0), BarText(p, 1)});
        table.rows.push_back(std::move(row));
    }
    return table;
}

ReadoutTable ReactionTable(const SupportReactions& reactions, const MeshView& mesh) {
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
    table.rows.push_back({"unbalanced", "", "", kN(reactions.sum[0] + reactions.Applied(0)),
                          kN(reactions.sum[1] + reactions.Applied(1))});
    return table;
}

} // namespace torva
