#include "drawing/StressField.h"

#include "analysis/ColourScale.h"
#include "analysis/Projection.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace torva {

namespace {

// Outer corner directions of the four quads, in drawing order.
constexpr int kCornerX[4] = {+1, -1, +1, -1};
constexpr int kCornerY[4] = {+1, -1, -1, +1};

} // namespace

float StressField::ColourValue(float s1, float s2) {
    return std::fabs(s2) > std::fabs(s1) ? s2 : s1;
}

const StressField::QuadBrushes& StressField::BrushesFor(int colourIndex, const ColourScale& colours) {
    if (!built_[colourIndex]) {
        const Rgb& rgb = colours.Entry(colourIndex);
        const QColor opaque = QColor::fromRgbF(rgb.r, rgb.g, rgb.b, 0.5f);
        const QColor clear = QColor::fromRgbF(rgb.r, rgb.g, rgb.b, 0.0f);
        QuadBrushes& quads = brushes_[colourIndex];
        for (int q = 0; q < 4; ++q) {
            QLinearGradient gradient(QPointF(0, 0),
                                     QPointF(kCornerX[q] * builtHalf_, kCornerY[q] * builtHalf_));
            gradient.setSpread(QGradient::PadSpread);
            gradient.setColorAt(0.0, opaque);
            gradient.setColorAt(1.0, clear);
            quads[q] = QBrush(gradient);
        }
        built_[colourIndex] = true;
    }
    return brushes_[colourIndex];
}

void StressField::Render(QPainter& painter, const StressSample* samples, int count,
                         const Projection& projection, const ColourScale& colours) {
    const float h = kHalfSize * projection.zoom;
    if (h != builtHalf_ || static_cast<int>(built_.size()) != colours.Count()) {
        brushes_.assign(colours.Count(), QuadBrushes{});
        built_.assign(colours.Count(), false);
        builtHalf_ = h;
    }
    if (count <= 0 || !(h > 0.0f)) return;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const StressSample& sample = samples[i];
        const float x = projection.ScreenX(static_cast<float>(sample.x));
        const float y = projection.ScreenY(static_cast<float>(sample.y));
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        const QuadBrushes& quads =
            BrushesFor(colours.LookupIndex(ColourValue(sample.s1, sample.s2)), colours);
        painter.setBrushOrigin(QPointF(x, y));
        const QPointF centre(x, y);
        for (int q = 0; q < 4; ++q) {
            const QRectF quad =
                QRectF(centre, QPointF(x + kCornerX[q] * h, y + kCornerY[q] * h)).normalized();
            painter.fillRect(quad, quads[q]);
        }
    }
    painter.restore();
}

} // namespace torva
