#pragma once
// The published panel tests of the validation suite: one CSV file per series, one panel a line, with
// '#' lines naming the source. Every input of the panel analysis comes from the file; where the
// source gives no peak strain or concrete modulus, the relations in PanelMaterial() supply them.
#include "PanelAnalysis.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace torva::validation {

struct PanelTest {
    std::string series; // the file's name
    std::string panel;
    std::vector<std::string> trends; // groups along which one reinforcement ratio varies
    double fc = 0, eps0 = 0, thickness = 0, layers = 0, aggregate = 0, Es = 0;
    double barDiameter[2] = {0, 0}, spacing[2] = {0, 0}, fy[2] = {0, 0};
    PanelPath path;
    std::optional<double> testedStrength; // N/mm2
    std::string testedMode;               // "YXY", "YX", "YY", "C" or empty

    double Ratio(int direction) const;
    engine::McftMaterial Material() const;
};

// Reads every *.csv of `folder`, in name order. Throws std::runtime_error on a malformed line.
std::vector<PanelTest> ReadPanelTests(const std::filesystem::path& folder);

// Strain at the peak compressive stress and initial modulus where a test reports none (N/mm2):
// Ec = 3320 sqrt(fc) + 6900, n = 0.8 + fc / 17, eps0 = fc / Ec · n / (n - 1).
double DefaultPeakStrain(double fc);
double DefaultModulus(double fc);

} // namespace torva::validation
