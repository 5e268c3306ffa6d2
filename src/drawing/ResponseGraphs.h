#pragma once
// The response graphs of a push-over run, drawn into the 220-pixel strip below the analysis view's
// plot (the painter's origin is the strip's top-left corner, width is the client width):
//
//   kind 0  force-deformation: control displacement (mm, across) against control force (N, up), with
//           full scales of 2 mm and 1e5 N units that grow while the curve passes them; or, given the
//           prepared curve and its axes (the view's reading aids), the capacity curve in mm and kN on
//           round ticks, drawn as the results window draws it, with a marker at the step shown;
//   kind 1  concrete stress-strain (blue) and
//   kind 2  rebar stress-strain (red) of the output plane element: eighteen small plots, laid out like
//           the element's Gauss points (x component left, y component right of each);
//   kind 3  the two springs of the output discrete element: concrete (blue), then steel (red).
//
// The histories hold one row per step (row s = step s, row 0 the unloaded state); a graph runs from
// the axis origin through rows firstRow .. firstRow + count − 1. Stresses, strains, spring forces and
// openings are normalised, so 1 lands on the end of a small plot's axis; larger values run past it.
// Pixel positions are truncated toward zero.
#include "analysis/CurveAxes.h"
#include "analysis/GraphScale.h"

#include <QString>
#include <cstdint>
#include <span>

class QPainter;
class QPoint;
class QRect;

namespace torva {

enum GraphKind : int {
    kGraphForceDeformation = 0,
    kGraphConcreteStressStrain = 1,
    kGraphRebarStressStrain = 2,
    kGraphDiscreteForceDeformation = 3,
};

// Quantities of the output element histories.
enum OutputQuantity : int {
    kConcreteStress = 0, // plane element; for a joint: concrete spring force
    kConcreteStrain = 1, //                             concrete spring opening
    kRebarStress = 2,    //                             steel spring force
    kRebarStrain = 3,    //                             steel spring opening
};

struct GraphHistories {
    const float* control = nullptr; // control displacement, force at 2s, 2s + 1
    const double* gauss[4] = {};    // per OutputQuantity: 18 per row, slot g − 1 x, g + 8 y (g 1..9)
    const double* discrete[4] = {}; // per OutputQuantity: 2 per row, spring 1, spring 2
};

inline constexpr const char* kNoOutputElementText =
    "Choose an output element (Member \u25B8 Check Output Element)";

// The output element whose histories kinds 1..3 draw, for their title and hint. Unknown (the default),
// the graphs are drawn without either.
struct OutputElementTitle {
    bool known = false;
    int element = -1; // mesh element, −1: none chosen
    int number = 0;   // its output number
    int discrete = 0; // 0 plane, 1 vertical joint, 2 horizontal joint
    int x = 0, y = 0; // its first node, mm
};

// The title of kind 1..3 for a known output element ("" for none or kind 0).
QString OutputGraphTitle(int kind, const OutputElementTitle& output);

struct GraphInput {
    int analysisMode = 1; // 2 = push-over: the only mode with a graph
    int kind = kGraphForceDeformation;
    int width = 0; // client width, pixels
    GraphHistories histories;
    int firstRow = 1;
    int count = 0;
    OutputElementTitle output;
    // Kind 0 as a capacity curve (both prepared; no axes: the classic graph).
    std::span<const CapacityPoint> curve;
    const CurveAxes* axes = nullptr;
};

inline constexpr const char* kStripCurveTitle = "Force\u2013deformation of the control node";

class ResponseGraphs {
public:
    static constexpr int kStripHeight = 220;
    static constexpr float kDisplacementUnit = GraphScale::kDisplacementUnit; // mm per counter step
    static constexpr float kForceUnit = GraphScale::kForceUnit;               // N per counter step

    // The graph of input.kind, only in push-over mode; counterX, counterY are the full-scale counters
    // of the force-deformation graph (GraphScale).
    static void Draw(QPainter& painter, const GraphInput& input, int counterX, int counterY);

    // Kind 0. The labels show the scales the counters give; a point beyond the current scale widens it
    // by one unit for the points after it (never, with counters GraphScale::Settle has grown).
    static void DrawForceDeformation(QPainter& painter, int width, const float* control, int firstRow,
                                     int count, int counterX, int counterY);
    // Kind 0 as the capacity curve, in a frame centred in the strip (at most kStripCurveWidth wide).
    static constexpr int kStripCurveWidth = 640;
    static QRect StripCurveFrame(int width);
    static void DrawCapacityCurve(QPainter& painter, int width, std::span<const CapacityPoint> curve,
                                  const CurveAxes& axes);
    // Kinds 1 (concrete, blue) and 2 (rebar, red).
    static void DrawStressStrain(QPainter& painter, bool rebar, const GraphHistories& histories, int firstRow,
                                 int count);
    // Kind 3.
    static void DrawDiscrete(QPainter& painter, const GraphHistories& histories, int firstRow, int count);

    // Centre of the small plot of Gauss point g (1..9), component 0 (x) or 1 (y).
    static QPoint StressStrainCentre(int gauss, int component);
};

} // namespace torva
