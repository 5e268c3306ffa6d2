#pragma once
// The analysis view's result store: what the engine returned (elastic result, current step), what is
// displayed, the per-step histories the response graphs draw, and what every repaint prepares for the
// drawing (deformed node positions, principal-stress glyph vectors, the stress colour range).
//
// Layouts (element e, Gauss point g = 3a + b with a the first natural coordinate's index, node k):
//   displacements  ux, uy of node k at 2k, 2k + 1
//   Gauss values   first principal stress, second principal stress, angle (rad) at 27e + 3g + 0..2
//   glyphs         the two glyph components at 18e + 2g + 0..1
//   histories      row s = step s (0..60000): controlHistory (control displacement, force) at 2s, 2s + 1;
//                  outputGaussHistory[q] slot g (q-th value of Gauss point g) and g + 9 (the (q + 4)-th)
//                  at 18s + slot; outputDiscreteHistory[q] spring 1 and spring 2 at 2s, 2s + 1.
//
// The engine's result buffer is read as engine::ResultLayout lays it out for the mesh.
//
// Everything is allocated once, at construction (about 50 MB, mostly histories); nothing is allocated
// during a run. Create it on the heap.
#include "analysis/CurveAxes.h"
#include "analysis/Mesh.h"
#include "analysis/MeshView.h"
#include "analysis/Projection.h"
#include "analysis/ResultField.h"
#include "engine/ResultLayout.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace torva {

class ColourScale;

// A Gauss point of the displayed mesh for the filled stress rendering: position in mm, first and
// second displayed value.
struct StressSample {
    int x = 0, y = 0;
    float s1 = 0, s2 = 0;
};

class AnalysisScene {
public:
    // Slots for every element and node the plan can hold (the mesh's capacities, beyond what the engine
    // analyses): the colour range counts every element slot, those without an element too.
    static constexpr int kElementCapacity = Mesh::kElementCapacity; // 10,404
    static constexpr int kNodeCapacity = Mesh::kGridNodeCapacity;   // 10,609
    static constexpr int kGaussPoints = engine::kGaussPoints;
    static constexpr int kGaussValues = engine::ResultLayout::kGaussValues;
    static constexpr int kElementValues = engine::ResultLayout::kElementValues; // 27
    static constexpr int kStepCapacity = 60000;
    static constexpr int kHistoryRows = kStepCapacity + 1; // steps 0..60000
    static constexpr int kSegmentCapacity = 200;
    static constexpr int kOutputQuantities = engine::ResultLayout::kOutputQuantities;
    static constexpr int kOutputGaussSlots = 2 * kGaussPoints; // 18
    static constexpr int kOutputDiscreteSlots = 2;
    static constexpr int kOutputValuesPerPoint = engine::ResultLayout::kOutputValuesPerPoint;
    static constexpr int kPlaneOutputValues = engine::ResultLayout::kPlaneOutputValues;    // 72
    static constexpr int kDiscreteOutputValues = engine::ResultLayout::kJointOutputValues; // 8
    static constexpr float kGaussCoordinate = 0.7745967f;                                  // √0.6
    static constexpr float kTinyStress = 1e-11f;

    AnalysisScene();
    AnalysisScene(const AnalysisScene&) = delete;
    AnalysisScene& operator=(const AnalysisScene&) = delete;

    static constexpr int GaussIndex(int element, int gauss) {
        return kElementValues * element + kGaussValues * gauss;
    }
    static constexpr int GlyphIndex(int element, int gauss) { return 2 * (kGaussPoints * element + gauss); }
    static constexpr int OutputGaussIndex(int step, int slot) { return kOutputGaussSlots * step + slot; }
    static constexpr int OutputDiscreteIndex(int step, int spring) {
        return kOutputDiscreteSlots * step + spring;
    }

    // The output element whose block follows the Gauss values: the last element in mesh order with an
    // output number, or −1.
    static int OutputElementOf(const MeshView& mesh);
    // The layout of the results of this mesh (its output block: OutputElementOf's).
    static engine::ResultLayout ResultLayoutOf(const MeshView& mesh);
    // Doubles of the result buffer that the reads below use for this mesh.
    static int ResultValuesNeeded(const MeshView& mesh);

    // Zeroes the first two displayed Gauss values and the glyphs, the elastic, step and displayed
    // displacements, the displayed positions, the graph counters and every history row, and sets the
    // segment bounds of segments 0..segments − 1 from segmentPoints (0.001 mm, pointCount entries).
    void ClearRun(int segments, const int32_t* segmentPoints, int pointCount);

    // Copy the engine's result buffer (count doubles). They refuse, changing nothing, when the mesh
    // exceeds the store's capacities or the buffer is shorter than ResultValuesNeeded.
    bool ReadElasticResults(const MeshView& mesh, const double* results, int count);
    // The current step into the step arrays and, at row step (skipped outside 0..60000), the histories.
    bool ReadStepResults(const MeshView& mesh, const double* results, int count, int step);
    // Only the histories of a step (one followed by a later step before anything is displayed).
    bool ReadStepHistory(const MeshView& mesh, const double* results, int count, int step);

    // The step arrays from a field of the session's history (what another view of the same session
    // read from the engine): displacements and each Gauss point's principal stresses and angle. Refuses,
    // changing nothing, like the reads above.
    bool ReadStepField(const MeshView& mesh, const ResultField& field);
    // The control history's rows from held states of a run (step, displacement mm, force kN); rows
    // between two held steps (a thinned history) lie on the straight line between them.
    void ReadControlCurve(std::span<const int> steps, std::span<const CapacityPoint> points);

    // Displayed = stored, as floats.
    void FillDisplayFromElastic();
    void FillDisplayFromStep();

    // The preparation of a repaint, after the mesh scan: the colour range (smallest and largest of the
    // first two displayed values over every element slot) into the colour scale, the displayed
    // positions (node + responseScale × displayed displacement, truncated), the smallest plane element
    // extent, the largest stress magnitude m (1 when below 1e-11) and the glyph vectors
    // (minExtent / 5 / m × value), so that the longest glyph is a fifth of the smallest element.
    void PrepareDisplay(const MeshView& mesh, float responseScale, ColourScale& colours);
    void PrepareStressRange(ColourScale& colours);
    void PrepareDeformedAndGlyphs(const MeshView& mesh, float responseScale);

    // Gauss point g of element e on the displayed mesh, mm: the shape-function sum over the corners,
    // truncated after each term.
    void GaussPointPosition(const MeshView& mesh, int element, int gauss, int& x, int& y) const;
    // Every Gauss point of every plane element, in element and Gauss order.
    void CollectStressSamples(const MeshView& mesh, std::vector<StressSample>& samples) const;

    int viewKind = 0; // the "View" list selection, 0..3
    Projection projection;

    std::vector<double> elasticDisp;  // 2 per node
    std::vector<double> elasticGauss; // 27 per element
    std::vector<double> stepDisp;
    std::vector<double> stepGauss;
    std::vector<float> shownDisp;
    std::vector<float> shownGauss;

    std::vector<float> controlHistory;                                        // 2 per row
    std::array<std::vector<double>, kOutputQuantities> outputGaussHistory;    // 18 per row
    std::array<std::vector<double>, kOutputQuantities> outputDiscreteHistory; // 2 per row
    float segmentStart[kSegmentCapacity] = {};                                // mm
    float segmentEnd[kSegmentCapacity] = {};
    int graphCounterX = 0; // scale counters of the force-deformation graph
    int graphCounterY = 0;
    // With the view's reading aids the force-deformation graph is the capacity curve of the rows read
    // so far (row 0, the unloaded state, first; mm and kN) on axes that only grow during a run.
    std::vector<CapacityPoint> graphCurve;
    CurveAxes graphAxes;

    std::vector<int32_t> shownX; // displayed node positions, mm
    std::vector<int32_t> shownY;
    std::vector<float> glyph; // 2 per element per Gauss point
    float minExtent = 0.0f;
    float largestStress = 1.0f;
    float glyphScale = 0.0f; // minExtent / 5 / largestStress
    float automaticScale =
        1.0f; // the readable scale of the shown state (DeformationScale), with reading aids
    float stressMin = 0.0f;
    float stressMax = 0.0f;

    // Shape function of corner r (element node r + 1) at Gauss point g.
    float gaussShape[4][kGaussPoints];
};

} // namespace torva
