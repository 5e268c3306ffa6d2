#pragma once
// Paints the contours of one quantity: every plane element filled smoothly from its four corner values
// (ContourValues), and nothing else, so the field never reaches past the concrete or over an opening.
// Each element is cut into four triangles about its centre (the mean of the corners, as the bilinear
// field has it), and each pixel whose centre lies in a triangle takes the colour of the value
// interpolated there. The field is rasterised into an image of the painter's device size and drawn
// once, under whatever is painted after it (the mesh).
#include "analysis/ContourValues.h"
#include "drawing/ColourRamp.h"

#include <QImage>
#include <QPointF>
#include <QTransform>
#include <vector>

class QPainter;

namespace torva {

struct MeshView;

class ContourPainter {
public:
    // Node positions in mm (per mesh node), mapped to pixels by `toPixels`.
    void Paint(QPainter& painter, const MeshView& mesh, const double* nodeX, const double* nodeY,
               const ContourValues& values, const QTransform& toPixels);

    // The ramp of the last paint (the legend uses the same).
    static ColourRamp RampOf(const ContourValues& values) {
        return ColourRamp(values.ticks.lo, values.ticks.hi);
    }

private:
    void FillTriangle(const QPointF p[3], const double v[3], const ColourRamp& ramp);

    QImage layer_; // kept between paints: only cleared, not reallocated
    std::vector<QPointF> pixels_;
};

} // namespace torva
