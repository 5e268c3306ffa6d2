#include "analysis_view/CapacityCurveView.h"

#include "drawing/CapacityCurvePainter.h"

#include <QMouseEvent>
#include <QPainter>

namespace torva {

CapacityCurveView::CapacityCurveView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
}

void CapacityCurveView::SetCurve(std::vector<CapacityPoint> points) {
    if (points.size() < points_.size()) axes_.Reset();
    points_ = std::move(points);
    axes_.Hold(points_);
    update();
}

void CapacityCurveView::SetShownStep(int step) {
    shown_ = step;
    update();
}

void CapacityCurveView::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void CapacityCurveView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    CapacityCurvePainter::Paint(painter, rect(), points_, axes_, shown_, title_);
}

void CapacityCurveView::mousePressEvent(QMouseEvent* event) {
    const int step = CapacityCurvePainter::StepAt(rect(), points_, axes_, event->position(), title_);
    if (step >= 0) emit StepClicked(step);
}

} // namespace torva
