#include "analysis/Projection.h"

#include <algorithm>
#include <cmath>

namespace torva {

void Projection::MeasureClient(int width, int height) {
    clientWidth = width;
    plotHeight = height;
    originX = clientWidth / kOriginDivisor;
    originY = plotHeight / kOriginDivisor;
}

void Projection::Fit(float w, float h) {
    fitWidth_ = w;
    fitHeight_ = h;
    if (centred) return FitCentred(w, h);
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

void Projection::FitCentred(float w, float h) {
    const float room = static_cast<float>(std::max(1, clientWidth - kMarginLeft - kMarginRight));
    const float tall = static_cast<float>(std::max(1, plotHeight - kMarginTop - kMarginBottom));
    // A model without width or height is fitted by its other axis; without either, 1 px per mm.
    float scale = 1.0f;
    if (w > 0.0f && h > 0.0f)
        scale = std::min(room / w, tall / h);
    else if (w > 0.0f)
        scale = room / w;
    else if (h > 0.0f)
        scale = tall / h;
    baseScale = scale;
    zoom = 1.0f;
    originX = kMarginLeft + static_cast<int>((room - scale * w) / 2.0f);
    originY = kMarginTop + static_cast<int>((tall - scale * h) / 2.0f);
}

void Projection::ZoomAbout(float factor, int px, int py) {
    const float perMm = zoom * baseScale;
    if (!(factor > 0.0f) || !(perMm > 0.0f)) return;
    const float modelX = (static_cast<float>(px - originX)) / perMm;
    const float modelY = (static_cast<float>(py - originY)) / perMm;
    zoom = std::max(kMinZoom, zoom * factor);
    originX = static_cast<int>(std::lround(static_cast<float>(px) - zoom * baseScale * modelX));
    originY = static_cast<int>(std::lround(static_cast<float>(py) - zoom * baseScale * modelY));
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
        if (centred) FitCentred(fitWidth_, fitHeight_);
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
