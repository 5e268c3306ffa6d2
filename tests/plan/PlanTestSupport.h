#pragma once
// Shared helpers of the plan tests: points on the plan and pixel reading of rendered images.
#include "plan/CellGrid.h"
#include "plan/PlanGeometry.h"

#include <QImage>
#include <QPainter>

namespace torva::test {

inline PlanPoint operator+(PlanPoint a, PlanPoint b) {
    return {a.x + b.x, a.y + b.y};
}

// The centre of the square of position (x, y), and the node point (its upper left corner).
inline PlanPoint Centre(int x, int y) {
    return {CellLeft(x) + 15, CellTop(y) + 15};
}
inline PlanPoint NodePoint(int x, int y) {
    return {CellLeft(x), CellTop(y)};
}

// 0xRRGGBB of a pixel (written as RGB in the tests, independently of the COLORREF order).
inline unsigned Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

// Renders a model as the plan view draws it, the whole of `area` at once.
inline QImage RenderPlan(const CFramePat& model, PlanOverlay overlay = {}, QSize size = {600, 600}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red); // anything the drawing fails to cover stands out
    CellGrid grid;
    grid.Rebuild(&model);
    QPainter painter(&image);
    grid.Draw(painter, QRect(QPoint(0, 0), size), overlay);
    return image;
}

// Number of pixels of the rectangle whose colour is `rgb`.
inline int CountColour(const QImage& image, const QRect& rect, unsigned rgb) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (Rgb(image, x, y) == rgb) ++count;
    return count;
}

// Number of pixels of the rectangle that differ from `rgb`.
inline int CountOther(const QImage& image, const QRect& rect, unsigned rgb) {
    return rect.width() * rect.height() - CountColour(image, rect, rgb);
}

// The inside of the square of position (x, y), without its white border.
inline QRect SquareInside(int x, int y) {
    return QRect(CellLeft(x) + 1, CellTop(y) + 1, 28, 28);
}

} // namespace torva::test
