// Writes the predicted shear stress–shear strain curves of the validation panels as SVG pictures,
// one per series: `panel_curves OUTPUT_FOLDER` (reads validation/panels of the source tree).
#include "PanelData.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

using namespace torva::validation;

namespace {

constexpr double kWidth = 640, kHeight = 420, kLeft = 60, kRight = 150, kTop = 20, kBottom = 50;
const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                          "#ff7f0e", "#8c564b", "#17becf", "#7f7f7f"};

void WriteSeries(const std::string& file, const std::string& title, const std::vector<PanelTest>& tests) {
    std::vector<PanelResult> results;
    double maxStrain = 0, maxShear = 0;
    for (const PanelTest& t : tests) {
        results.push_back(AnalysePanel(t.Material(), t.path, 2e-5, 0.02));
        for (const CurvePoint& p : results.back().curve) {
            maxStrain = std::max(maxStrain, p.gxy);
            maxShear = std::max(maxShear, p.shear);
        }
    }
    const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    auto X = [&](double g) { return kLeft + plotW * g / maxStrain; };
    auto Y = [&](double v) { return kTop + plotH * (1 - v / maxShear); };
    std::ofstream out(file);
    out.precision(4);
    out << "<svg xmlns='http://www.w3.org/2000/svg' width='" << kWidth << "' height='" << kHeight
        << "' font-family='sans-serif' font-size='12'>\n<rect width='100%' height='100%' fill='white'/>\n";
    out << "<text x='" << kLeft << "' y='14'>" << title << "</text>\n";
    out << "<polyline fill='none' stroke='black' points='" << kLeft << "," << kTop << " " << kLeft << ","
        << kTop + plotH << " " << kLeft + plotW << "," << kTop + plotH << "'/>\n";
    out << "<text x='" << kLeft + plotW / 2 - 60 << "' y='" << kHeight - 12 << "'>shear strain gxy (max "
        << maxStrain << ")</text>\n";
    out << "<text x='4' y='" << kTop + 10 << "'>" << maxShear << "</text><text x='4' y='" << kTop + plotH
        << "'>0</text><text x='4' y='" << kTop + plotH / 2 << "'>v, N/mm2</text>\n";
    for (size_t i = 0; i < tests.size(); ++i) {
        const char* colour = kColours[i % 8];
        out << "<polyline fill='none' stroke='" << colour << "' stroke-width='1.5' points='";
        const auto& curve = results[i].curve;
        for (size_t k = 0; k < curve.size(); k += 5)
            out << X(curve[k].gxy) << "," << Y(curve[k].shear) << " ";
        out << "'/>\n<text x='" << kLeft + plotW + 10 << "' y='" << kTop + 16 * (i + 1) << "' fill='"
            << colour << "'>" << tests[i].panel << " (" << results[i].Mode() << ")</text>\n";
    }
    out << "</svg>\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: panel_curves OUTPUT_FOLDER\n";
        return 1;
    }
    std::map<std::string, std::vector<PanelTest>> series;
    for (const PanelTest& t :
         ReadPanelTests(std::filesystem::path(TORVA_VALIDATION_SOURCE_DIR) / "validation" / "panels"))
        series[t.series].push_back(t);
    for (const auto& [name, tests] : series) {
        const std::string file = (std::filesystem::path(argv[1]) / (name + ".svg")).string();
        WriteSeries(file, name + ": predicted shear stress against shear strain", tests);
        std::cout << file << "\n";
    }
    return 0;
}
