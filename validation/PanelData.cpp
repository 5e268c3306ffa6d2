#include "PanelData.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace torva::validation {
namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, separator)) fields.push_back(field);
    if (!line.empty() && line.back() == separator) fields.emplace_back();
    return fields;
}

double Number(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        const double value = std::stod(text, &used);
        if (used != text.size()) throw std::invalid_argument(text);
        return value;
    } catch (const std::exception&) {
        throw std::runtime_error("not a number for " + what + ": '" + text + "'");
    }
}

} // namespace

double DefaultModulus(double fc) {
    return 3320 * std::sqrt(fc) + 6900;
}

double DefaultPeakStrain(double fc) {
    const double n = 0.8 + fc / 17;
    return fc / DefaultModulus(fc) * n / (n - 1);
}

double PanelTest::Ratio(int i) const {
    return layers * std::numbers::pi * barDiameter[i] * barDiameter[i] / 4 / (spacing[i] * thickness);
}

engine::McftMaterial PanelTest::Material() const {
    engine::McftMaterial m;
    m.fc = fc;
    m.eps0 = eps0 > 0 ? eps0 : DefaultPeakStrain(fc);
    m.Ec = DefaultModulus(fc);
    m.ft = 0; // 0.33 sqrt(fc)
    m.aggregate = aggregate;
    for (int i = 0; i < 2; ++i) m.bars[i] = {Ratio(i), fy[i], Es, 0, spacing[i]};
    return m;
}

std::vector<PanelTest> ReadPanelTests(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".csv") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<PanelTest> tests;
    for (const auto& file : files) {
        std::ifstream in(file);
        std::string line;
        std::vector<std::string> header;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            const std::vector<std::string> fields = Split(line, ',');
            if (header.empty()) {
                header = fields;
                continue;
            }
            if (fields.size() != header.size())
                throw std::runtime_error(file.filename().string() + ": wrong field count in '" + line + "'");
            auto field = [&](const std::string& name) -> const std::string& {
                const auto it = std::find(header.begin(), header.end(), name);
                if (it == header.end())
                    throw std::runtime_error(file.filename().string() + ": no column " + name);
                return fields[it - header.begin()];
            };
            auto number = [&](const std::string& name) { return Number(field(name), name); };
            PanelTest t;
            t.series = file.stem().string();
            t.panel = field("panel");
            if (!field("trend").empty()) t.trends = Split(field("trend"), ';');
            t.fc = number("fc");
            t.eps0 = field("eps0").empty() ? 0 : number("eps0");
            t.thickness = number("thickness");
            t.layers = number("layers");
            t.Es = number("Es");
            t.aggregate = number("aggregate");
            const char* axis[2] = {"x", "y"};
            for (int i = 0; i < 2; ++i) {
                t.barDiameter[i] = number(std::string("db_") + axis[i]);
                t.spacing[i] = number(std::string("s_") + axis[i]);
                t.fy[i] = number(std::string("fy_") + axis[i]);
            }
            t.path.normalPerShear[0] = number("sx_per_v");
            t.path.normalPerShear[1] = number("sy_per_v");
            if (!field("v_test").empty()) t.testedStrength = number("v_test");
            t.testedMode = field("mode_test");
            tests.push_back(t);
        }
    }
    return tests;
}

} // namespace torva::validation
