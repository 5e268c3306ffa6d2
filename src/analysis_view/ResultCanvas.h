#pragma once
// The picture of one step's results: the contours of the chosen quantity under the mesh, or the damage
// map over it, and the legend beside them; with "Results are out of date — Analyze again" across the
// top (and no results drawn) once the model has changed since they were computed. The model is fitted
// into the widget when the data or the size change, never while painting.
#include "analysis/AnalysisState.h"
#include "analysis/ContourValues.h"
#include "analysis/DamageMarks.h"
#include "analysis/MeshView.h"
#include "drawing/ContourPainter.h"

#include <QTransform>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace torva {

enum class ResultDisplay : int { Contours, DamageMap };

// A mesh the canvas keeps a copy of: node positions (mm) and element corners.
struct CanvasMesh {
    std::vector<int32_t> nodeXi, nodeYi, elemNodes, elemDiscrete, elemOutputNo;
    std::vector<double> x, y;
    static CanvasMesh Of(const MeshView& mesh);
    MeshView View() const;
};

class ResultCanvas : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLegendWidth = 175;
    static constexpr int kMargin = 12;
    static constexpr const char* kOutOfDate = kResultsOutOfDateText;

    explicit ResultCanvas(QWidget* parent = nullptr);

    void SetMesh(const CanvasMesh& mesh);
    const CanvasMesh& Mesh() const { return mesh_; }
    // The prepared drawings of the shown step.
    void SetContours(const ContourValues& values, bool hasResults);
    void SetDamage(const DamageMarks& marks);
    void SetDisplay(ResultDisplay display);
    ResultDisplay Display() const { return display_; }
    void SetOutOfDate(bool outOfDate);
    bool OutOfDate() const { return outOfDate_; }

    // Model millimetres to widget pixels.
    const QTransform& ToPixels() const { return toPixels_; }
    // The same painting into any device of the widget's size (pictures, SVG, tests).
    void Render(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();

    CanvasMesh mesh_;
    ContourValues contours_;
    bool hasResults_ = false;
    DamageMarks damage_;
    ResultDisplay display_ = ResultDisplay::Contours;
    bool outOfDate_ = false;
    QTransform toPixels_;
    ContourPainter contourPainter_;
};

} // namespace torva
