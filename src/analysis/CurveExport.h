#pragma once
// "Export Curve...": the recorded push-over history as CSV, numbers in "%.17g" whatever the locale,
// lines ending in "\n".
//
//   curve file     step,control_displacement_mm,control_force_N,      one row per step
//                  method,load_factor,iterations                      ("classic,,1" for the classic
//                                                                     method: no load factor, one pass)
//   element file   step, then the output element's eight values per Gauss point (a plane element) or
//                  per spring (a joint element), in the order the engine writes them; written beside the
//                  curve file as <name>_element.csv when an output element is selected
//
// The element values are normalised as the engine writes them: concrete stress / fc, concrete strain /
// (5·eps0), rebar stress / (rho·fy), total strain / (5·fy / Es) of a Gauss point (direction 1 and x
// first, then direction 2 and y); spring force and opening over their scales for the concrete and the
// steel spring of a joint. A second file keeps the curve file's columns fixed for whatever reads them.
#include <array>
#include <string>

namespace torva {

class AnalysisScene;
struct MeshView;

enum class OutputElementKind { None, Plane, Discrete };

// The histories as the analysis view records them, row s = step s.
struct CurveHistory {
    const float* control = nullptr; // 2 a row: control displacement (mm), control force (N)
    int steps = 0;                  // rows 1..steps are written (row 0 is the start, not a step)
    OutputElementKind outputKind = OutputElementKind::None;
    // The four quantity arrays of the output element: 18 slots a row for a plane element (value q + 1
    // of Gauss point g in slot g, value q + 5 in slot g + 9), 2 for a joint (spring 1, spring 2).
    std::array<const double*, 4> output{};
    // The method of the run (its key) and, row s = step s, its load factors and iterations; a column
    // whose rows are not given is empty. The classic method's step scheme makes one pass a step and has
    // no load factor of the pattern: its iterations are 1 unless given.
    const char* method = "classic";
    const double* loadFactor = nullptr; // row s = step s
    const int* iterations = nullptr;
};

// The histories of a scene for a run of `steps` steps; the output element is the scene's (the last
// element of the mesh with an output number), none when there is none.
CurveHistory CurveHistoryOf(const AnalysisScene& scene, const MeshView& mesh, int steps);

// The file contents.
std::string CurveCsv(const CurveHistory& history);
std::string OutputElementCsv(const CurveHistory& history); // "" without an output element

// Where the element file of a curve file goes: "dir/run.csv" → "dir/run_element.csv".
std::string OutputElementCsvPath(const std::string& curvePath);

// Writes the curve file and, with an output element, the element file, both replaced only when both
// are complete (model/AtomicFile.h), so a failure leaves any previous file as it was. On failure returns
// false with error = "Cannot write <path>: <reason>".
bool WriteCurveExport(const CurveHistory& history, const std::string& path, std::string& error);

// The same for one file of any content.
bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& error);

} // namespace torva
