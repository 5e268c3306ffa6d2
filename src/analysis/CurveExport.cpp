#include "analysis/CurveExport.h"

#include "analysis/AnalysisScene.h"
#include "model/AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace torva {
namespace {

constexpr int kGaussPoints = 9;
constexpr int kPlaneSlots = 2 * kGaussPoints;
constexpr int kSprings = 2;
constexpr int kValuesPerPoint = 8;

// printf's "%.17g" in the C locale.
void AppendNumber(std::string& out, double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
    out.append(text, result.ptr);
}

void AppendStep(std::string& out, int step) {
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, step);
    out.append(text, result.ptr);
}

// Value v (1..8) of a Gauss point or spring: values 1..4 are quantities 0..3 of its first slot, values
// 5..8 the same quantities of its second slot (g + 9, or spring 2).
constexpr const char* kPlaneValueNames[kValuesPerPoint] = {
    "concrete_stress_1", "concrete_strain_1", "rebar_stress_x", "strain_x",
    "concrete_stress_2", "concrete_strain_2", "rebar_stress_y", "strain_y"};
constexpr const char* kSpringValueNames[4] = {"concrete_force", "concrete_opening", "steel_force",
                                              "steel_opening"};

} // namespace

CurveHistory CurveHistoryOf(const AnalysisScene& scene, const MeshView& mesh, int steps) {
    CurveHistory history;
    history.control = scene.controlHistory.data();
    history.steps = std::clamp(steps, 0, AnalysisScene::kStepCapacity);
    const int output = AnalysisScene::OutputElementOf(mesh);
    if (output < 0) return history;
    const bool plane = mesh.elemDiscrete[output] == 0;
    history.outputKind = plane ? OutputElementKind::Plane : OutputElementKind::Discrete;
    for (std::size_t q = 0; q < history.output.size(); ++q)
        history.output[q] =
            plane ? scene.outputGaussHistory[q].data() : scene.outputDiscreteHistory[q].data();
    return history;
}

std::string CurveCsv(const CurveHistory& history) {
    std::string out = "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n";
    const std::string method = history.method ? history.method : "classic";
    const bool classic = method == "classic";
    if (!history.control) return out;
    out.reserve(out.size() + static_cast<std::size_t>(history.steps) * 56);
    for (int step = 1; step <= history.steps; ++step) {
        AppendStep(out, step);
        out += ',';
        AppendNumber(out, history.control[2 * step]);
        out += ',';
        AppendNumber(out, history.control[2 * step + 1]);
        out += ',';
        out += method;
        out += ',';
        if (history.loadFactor) AppendNumber(out, history.loadFactor[step]);
        out += ',';
        if (history.iterations)
            AppendStep(out, history.iterations[step]);
        else if (classic)
            out += '1';
        out += '\n';
    }
    return out;
}

std::string OutputElementCsv(const CurveHistory& history) {
    if (history.outputKind == OutputElementKind::None) return {};
    for (const double* values : history.output)
        if (!values) return {};
    const bool plane = history.outputKind == OutputElementKind::Plane;
    const int points = plane ? kGaussPoints : 1; // a joint's values are one row of two springs
    const int slots = plane ? kPlaneSlots : kSprings;
    const int secondSlot = plane ? kGaussPoints : 1;

    std::string out = "step";
    for (int p = 0; p < points; ++p) {
        for (int v = 0; v < kValuesPerPoint; ++v) {
            out += ',';
            if (plane) {
                out += "gp" + std::to_string(p + 1) + "_" + kPlaneValueNames[v];
            } else {
                out += "spring" + std::to_string(v / 4 + 1) + "_" + kSpringValueNames[v % 4];
            }
        }
    }
    out += '\n';
    for (int step = 1; step <= history.steps; ++step) {
        AppendStep(out, step);
        for (int p = 0; p < points; ++p) {
            for (int v = 0; v < kValuesPerPoint; ++v) {
                const int slot = p + (v < 4 ? 0 : secondSlot);
                out += ',';
                AppendNumber(out, history.output[static_cast<std::size_t>(v % 4)][slots * step + slot]);
            }
        }
        out += '\n';
    }
    return out;
}

std::string OutputElementCsvPath(const std::string& curvePath) {
    const std::size_t slash = curvePath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = curvePath.find_last_of('.');
    // A dot that starts the name (".csv") or lies in a folder name is no extension.
    if (dot == std::string::npos || dot <= nameStart) dot = curvePath.size();
    return curvePath.substr(0, dot) + "_element" + curvePath.substr(dot);
}

bool WriteCurveExport(const CurveHistory& history, const std::string& path, std::string& error) {
    const std::string curve = CurveCsv(history);
    const std::string element = OutputElementCsv(history);
    std::vector<FileContent> files{{path, curve}};
    if (!element.empty()) files.push_back({OutputElementCsvPath(path), element});
    return WriteFilesAtomically(files, error);
}

bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& error) {
    return WriteFileAtomically(path, content, error);
}

} // namespace torva
