#include "analysis_view/ResultCanvas.h"

#include "drawing/DamageMapPainter.h"
#include "drawing/Label.h"
#include "drawing/Legend.h"
#include "drawing/OutOfDateNote.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <limits>

namespace torva {

CanvasMesh CanvasMesh::Of(const MeshView& mesh) {
    CanvasMesh copy;
    copy.nodeXi.assign(mesh.nodeX, mesh.nodeX + mesh.nodeCount);
    copy.nodeYi.assign(mesh.nodeY, mesh.nodeY + mesh.nodeCount);
    copy.x.assign(mesh.nodeX, mesh.nodeX + mesh.nodeCount);
    copy.y.assign(mesh.nodeY, mesh.nodeY + mesh.nodeCount);
    copy.elemNodes.assign(mesh.elemNodes, mesh.elemNodes + 4 * mesh.elementCount);
    copy.elemDiscrete.assign(mesh.elemDiscrete, mesh.elemDiscrete + mesh.elementCount);
    copy.elemOutputNo.assign(mesh.elemOutputNo, mesh.elemOutputNo + mesh.elementCount);
    return copy;
}

MeshView CanvasMesh::View() const {
    return {static_cast<int>(x.size()),
            static_cast<int>(elemDiscrete.size()),
            nodeXi.data(),
            nodeYi.data(),
            elemNodes.data(),
            elemDiscrete.data(),
            elemOutputNo.data()};
}

ResultCanvas::ResultCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 180);
}

void ResultCanvas::SetMesh(const CanvasMesh& mesh) {
    mesh_ = mesh;
    Fit();
    update();
}

void ResultCanvas::SetContours(const ContourValues& values, bool hasResults) {
    contours_ = values;
    hasResults_ = hasResults;
    update();
}

void ResultCanvas::SetDamage(const DamageMarks& marks) {
    damage_ = marks;
    update();
}

void ResultCanvas::SetDisplay(ResultDisplay display) {
    display_ = display;
    update();
}

void ResultCanvas::SetOutOfDate(bool outOfDate) {
    outOfDate_ = outOfDate;
    update();
}

void ResultCanvas::resizeEvent(QResizeEvent*) {
    Fit();
}

void ResultCanvas::Fit() {
    // The model's extent fills the area left of the legend, whole, with the same scale both ways.
    const auto [xMin, xMax] = std::minmax_element(mesh_.x.begin(), mesh_.x.end());
    const auto [yMin, yMax] = std::minmax_element(mesh_.y.begin(), mesh_.y.end());
    if (mesh_.x.empty()) {
        toPixels_ = QTransform();
        return;
    }
    const double w = std::max(*xMax - *xMin, 1.0), h = std::max(*yMax - *yMin, 1.0);
    const double areaW = std::max(1, width() - kLegendWidth - 2 * kMargin);
    const double areaH = std::max(1, height() - 2 * kMargin - 20); // room for the out-of-date note
    const double scale = std::min(areaW / w, areaH / h);
    const double left = kMargin + (areaW - scale * w) / 2, top = kMargin + 20 + (areaH - scale * h) / 2;
    toPixels_ = QTransform::fromTranslate(left - scale * *xMin, top - scale * *yMin).scale(scale, scale);
}

void ResultCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Render(painter);
}

void ResultCanvas::Render(QPainter& painter) {
    painter.fillRect(QRect(0, 0, width(), height()), Qt::white);
    const MeshView mesh = mesh_.View();
    const bool showResults = !outOfDate_;
    if (showResults && display_ == ResultDisplay::Contours)
        contourPainter_.Paint(painter, mesh, mesh_.x.data(), mesh_.y.data(), contours_, toPixels_);

    // The mesh over the contours, under the damage marks.
    QPainterPath lines;
    for (int e = 0; e < mesh.elementCount; ++e) {
        lines.moveTo(
            toPixels_.map(QPointF(mesh_.x[size_t(mesh.Node(e, 0))], mesh_.y[size_t(mesh.Node(e, 0))])));
        for (int r = 1; r <= 4; ++r) {
            const auto n = size_t(mesh.Node(e, r % 4));
            lines.lineTo(toPixels_.map(QPointF(mesh_.x[n], mesh_.y[n])));
        }
    }
    painter.setPen(QPen(QColor(90, 90, 90), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(lines);

    const QRect legend(width() - kLegendWidth, kMargin + 20, kLegendWidth - kMargin,
                       height() - 2 * kMargin - 20);
    if (display_ == ResultDisplay::DamageMap) {
        if (showResults) DamageMapPainter::Paint(painter, damage_, toPixels_);
        DamageMapPainter::PaintLegend(painter, legend, showResults ? damage_ : DamageMarks{});
    } else {
        PaintContourLegend(painter, legend, contours_, showResults && hasResults_);
    }
    if (outOfDate_) PaintOutOfDateNote(painter, QRect(0, 2, width(), kOutOfDateNoteHeight));
}

} // namespace torva
