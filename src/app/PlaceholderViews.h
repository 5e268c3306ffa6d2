#pragma once
// Stand-in views for the plan window and the analysis window, used by the templates until the
// real views are wired in. They show the frame's caption the real views set and a quiet hint.
#include "framework/View.h"

#include <QWidget>

namespace torva {

class PlaceholderView : public QWidget, public View {
    Q_OBJECT
public:
    // `caption`: what the view writes into its frame's title ("PLAN", "2D").
    PlaceholderView(const QString& caption, const QColor& background);
    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QColor background_;
};

// The plan window's placeholder: "PLAN" on light grey.
class PlaceholderPlanView : public PlaceholderView {
    Q_OBJECT
public:
    PlaceholderPlanView();
};

// The analysis window's placeholder: "2D" on white.
class PlaceholderAnalysisView : public PlaceholderView {
    Q_OBJECT
public:
    PlaceholderAnalysisView();
};

} // namespace torva
