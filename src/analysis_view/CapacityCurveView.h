#pragma once
// The capacity curve as a widget: the run's curve on axes that only grow, a marker at the shown step,
// and a click that picks the step nearest to it (StepClicked).
#include "analysis/CurveAxes.h"

#include <QString>
#include <QWidget>
#include <vector>

namespace torva {

class CapacityCurveView : public QWidget {
    Q_OBJECT
public:
    explicit CapacityCurveView(QWidget* parent = nullptr);

    // The run's curve (one point per step, step 0 the unloaded state); a shorter curve than before (a
    // new run) starts the axes afresh.
    void SetCurve(std::vector<CapacityPoint> points);
    const std::vector<CapacityPoint>& Curve() const { return points_; }
    const CurveAxes& Axes() const { return axes_; }
    void SetShownStep(int step);
    int ShownStep() const { return shown_; }
    void SetTitle(const QString& title);
    const QString& Title() const { return title_; }

signals:
    void StepClicked(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<CapacityPoint> points_;
    CurveAxes axes_;
    int shown_ = -1;
    QString title_ = QStringLiteral("Capacity curve");
};

} // namespace torva
