#include "analysis/FieldCsv.h"

#include "analysis/DamageMarks.h"
#include "analysis/MeshView.h"
#include "model/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace torva {

namespace {

// Column names: ASCII, with the unit after an underscore, so spreadsheets and scripts read them alike.
constexpr const char* kColumns[kQuantityCount] = {
    "sx_MPa",      "sy_MPa",         "txy_MPa",          "s1_MPa",           "s2_MPa",          "e1_permille",
    "e2_permille", "crack_width_mm", "bar_stress_x_MPa", "bar_stress_y_MPa", "displacement_mm",
};

void Append(std::string& out, double v) {
    char text[40];
    std::snprintf(text, sizeof text, ",%.9g", v);
    out += text;
}

} // namespace

std::string FieldCsvHeader() {
    std::string header = "element,point,x_mm,y_mm";
    for (const char* column : kColumns) (header += ',') += column;
    return header;
}

std::string FieldCsv(const ResultField& field, const MeshView& mesh, const double* nodeX,
                     const double* nodeY) {
    std::string out = FieldCsvHeader() + "\n";
    if (!field.hasResults) return out;
    const int elements = std::min(field.elements, mesh.elementCount);
    for (int e = 0; e < elements; ++e) {
        if (!field.plane[size_t(e)] || mesh.elemDiscrete[e] != 0) continue;
        double magnitude = 0;
        for (int r = 0; r < 4; ++r) {
            const auto n = size_t(mesh.Node(e, r));
            if (n < field.ux.size()) magnitude += std::hypot(field.ux[n], field.uy[n]) / 4;
        }
        for (int g = 0; g < 9; ++g) {
            double x, y;
            GaussPosition(mesh, nodeX, nodeY, e, g, x, y);
            out += std::to_string(e + 1) + ',' + std::to_string(g + 1);
            Append(out, x);
            Append(out, y);
            for (int q = 0; q < kQuantityCount; ++q) {
                const auto quantity = static_cast<Quantity>(q);
                if (!field.Has(quantity)) {
                    out += ',';
                } else if (quantity == Quantity::DisplacementMagnitude) {
                    Append(out, magnitude);
                } else {
                    Append(out, PointValue(field.Point(e, g), quantity) * QuantityFactor(quantity));
                }
            }
            out += '\n';
        }
    }
    return out;
}

bool WriteFieldCsv(const std::string& path, const ResultField& field, const MeshView& mesh,
                   const double* nodeX, const double* nodeY, std::string& error) {
    return WriteFileAtomically(path, FieldCsv(field, mesh, nodeX, nodeY), error);
}

} // namespace torva
