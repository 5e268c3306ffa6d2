#pragma once
// The filled rendering of the stress field. Every Gauss point of the displayed mesh becomes a square
// of half-size h = 10 × zoom pixels around the point, made of four quads (one per quadrant), each
// filled with a linear gradient that runs from the point (the colour at half opacity) to the quad's
// outer corner (transparent). Overlapping squares blend into a continuous field.
//
// A point is coloured by the one of its two values with the larger magnitude (the first on a tie),
// looked up in the colour scale. All points are painted through one active painter; the four brushes
// of a colour are built once per rendering and placed at each point by the brush origin.
#include "analysis/AnalysisScene.h"

#include <QBrush>
#include <array>
#include <vector>

class QPainter;

namespace torva {

class ColourScale;
class Projection;

class StressField {
public:
    static constexpr float kHalfSize = 10.0f; // pixels at zoom 1

    // The value that colours a point: s2 when |s2| > |s1|, otherwise s1.
    static float ColourValue(float s1, float s2);

    // Paints the samples (positions in mm on the displayed mesh) over what the painter's device holds,
    // clipped to the painter's clip.
    void Render(QPainter& painter, const StressSample* samples, int count, const Projection& projection,
                const ColourScale& colours);
    void Render(QPainter& painter, const std::vector<StressSample>& samples, const Projection& projection,
                const ColourScale& colours) {
        Render(painter, samples.data(), static_cast<int>(samples.size()), projection, colours);
    }

private:
    // The four quads' brushes of one colour for half-size h, gradients set out from the point (0, 0):
    // towards (+h, +h), (−h, −h), (+h, −h), (−h, +h).
    using QuadBrushes = std::array<QBrush, 4>;
    const QuadBrushes& BrushesFor(int colourIndex, const ColourScale& colours);

    std::vector<QuadBrushes> brushes_;
    std::vector<bool> built_;
    float builtHalf_ = -1.0f;
};

} // namespace torva
