#include "drawing/ContourPainter.h"

#include "analysis/MeshView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace torva {

void ContourPainter::Paint(QPainter& painter, const MeshView& mesh, const double* nodeX, const double* nodeY,
                           const ContourValues& values, const QTransform& toPixels) {
    if (!values.available || !painter.device()) return;
    const QSize size(painter.device()->width(), painter.device()->height());
    if (layer_.size() != size) layer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    layer_.fill(Qt::transparent);

    pixels_.resize(size_t(std::max(mesh.nodeCount, 0)));
    for (int k = 0; k < mesh.nodeCount; ++k) pixels_[size_t(k)] = toPixels.map(QPointF(nodeX[k], nodeY[k]));

    const ColourRamp ramp = RampOf(values);
    const int elements = std::min(mesh.elementCount, static_cast<int>(values.corner.size()));
    for (int e = 0; e < elements; ++e) {
        const auto& corner = values.corner[size_t(e)];
        if (std::isnan(corner[0])) continue;
        QPointF p[4];
        for (int r = 0; r < 4; ++r) p[r] = pixels_[size_t(mesh.Node(e, r))];
        const QPointF centre = (p[0] + p[1] + p[2] + p[3]) / 4;
        const double mean = (double(corner[0]) + corner[1] + corner[2] + corner[3]) / 4;
        for (int r = 0; r < 4; ++r) {
            const int s = (r + 1) % 4;
            const QPointF tri[3] = {p[r], p[s], centre};
            const double v[3] = {corner[size_t(r)], corner[size_t(s)], mean};
            FillTriangle(tri, v, ramp);
        }
    }
    painter.drawImage(QPoint(0, 0), layer_);
}

void ContourPainter::FillTriangle(const QPointF p[3], const double v[3], const ColourRamp& ramp) {
    const double area =
        (p[1].x() - p[0].x()) * (p[2].y() - p[0].y()) - (p[2].x() - p[0].x()) * (p[1].y() - p[0].y());
    if (std::fabs(area) < 1e-12) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].x(), p[1].x(), p[2].x()}))));
    const int x1 =
        std::min(layer_.width() - 1, static_cast<int>(std::ceil(std::max({p[0].x(), p[1].x(), p[2].x()}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].y(), p[1].y(), p[2].y()}))));
    const int y1 =
        std::min(layer_.height() - 1, static_cast<int>(std::ceil(std::max({p[0].y(), p[1].y(), p[2].y()}))));
    // A pixel belongs to the triangle when its centre does; the small tolerance closes the seams
    // between triangles and elements without reaching a pixel beyond the element's edge.
    constexpr double kSeam = 1e-7;
    for (int y = y0; y <= y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer_.scanLine(y));
        const double py = y + 0.5;
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5;
            const double w0 = ((p[1].x() - px) * (p[2].y() - py) - (p[2].x() - px) * (p[1].y() - py)) / area;
            const double w1 = ((p[2].x() - px) * (p[0].y() - py) - (p[0].x() - px) * (p[2].y() - py)) / area;
            const double w2 = 1 - w0 - w1;
            if (w0 < -kSeam || w1 < -kSeam || w2 < -kSeam) continue;
            line[x] = ramp.At(w0 * v[0] + w1 * v[1] + w2 * v[2]);
        }
    }
}

} // namespace torva
