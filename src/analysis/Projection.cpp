#include "analysis/Projection.h"

#include <algorithm>

namespace torva {

void Projection::MeasureClient(int width, int height) {
    clientWidth = width;
    plotHeight = height;
    originX = clientWidth / kOriginDivisor;
    originY = plotHeight / kOriginDivisor;
}

void Projection::Fit(float w, float h) {
    const float plot = static_cast<float>(plotHeight);
    // A zero-length axis would make its quotient infinite (or 0/0 with an empty plot).
    const bool hasX = w > 0.0f;
    const bool hasY = h > 0.0f;
    float quotient = 0.0f;
    if (hasX && hasY)
        quotient = std::min(plot / w, plot / h);
    else if (hasX)
        quotient = plot / w;
    else if (hasY)
        quotient = plot / h;
    baseScale = (hasX || hasY) ? static_cast<float>(kFitFraction * quotient) : 1.0f;
    zoom = 1.0f;
}

void Projection::Drag(int mouseMode, int dx, int dy) {
    if (mouseMode == 0) {
        zoom = zoom + static_cast<float>(dx + dy) / 100.0f;
        if (zoom < kMinZoom) zoom = kMinZoom;
    } else {
        originX += dx;
        originY += dy;
    }
}

PaintBands Projection::Layout(int width, int height, bool separation) {
    const int plot = (separation && height - kStripHeight > 0) ? height - kStripHeight : height;
    if (plot != plotHeight || width != clientWidth) {
        plotHeight = plot;
        clientWidth = width;
        originX = clientWidth / kOriginDivisor;
        originY = plotHeight / kOriginDivisor;
    }
    return Bands();
}

PaintBands Projection::Bands() const {
    PaintBands bands;
    bands.plot = {0, 0, clientWidth, plotHeight};
    bands.bar = {0, plotHeight, clientWidth, kBarHeight};
    bands.graph = {0, plotHeight + kBarHeight, clientWidth, kGraphHeight};
    return bands;
}

} // namespace torva
