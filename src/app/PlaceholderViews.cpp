#include "app/PlaceholderViews.h"

#include "framework/ChildFrame.h"
#include "framework/Document.h"

#include <QPainter>

namespace torva {

PlaceholderView::PlaceholderView(const QString& caption, const QColor& background)
    : caption_(caption), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(40, 40);
}

void PlaceholderView::OnInitialUpdate() {
    if (ChildFrame* frame = GetParentFrame()) frame->SetFrameTitle(caption_);
    View::OnInitialUpdate();
}

void PlaceholderView::paintEvent(QPaintEvent* /*event*/) {
    if (ChildFrame* frame = GetParentFrame()) frame->SetFrameTitle(caption_);
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(QColor(140, 140, 140));
    const QString name = GetDocument() ? GetDocument()->GetTitle() : QString();
    p.drawText(rect(), Qt::AlignCenter, name);
}

PlaceholderPlanView::PlaceholderPlanView() : PlaceholderView(QStringLiteral("PLAN"), QColor(220, 220, 220)) {}

PlaceholderAnalysisView::PlaceholderAnalysisView() : PlaceholderView(QStringLiteral("2D"), Qt::white) {}

} // namespace torva
