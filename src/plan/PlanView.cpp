#include "plan/PlanView.h"

#include "document/TorvaDoc.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/MessageService.h"
#include "plan/Editors.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

using namespace torva;

namespace {

int DefaultPopupMenu(const std::vector<PlanMenuItem>& items, const QPoint& globalPos, QWidget* parent) {
    QMenu menu(parent);
    for (const PlanMenuItem& item : items)
        menu.addAction(QString::fromStdString(item.text))->setData(item.id);
    const QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

bool DefaultPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void DefaultPrintPreview(QPrinter& printer, QWidget* parent) {
    auto* view = qobject_cast<CTorvaView*>(parent);
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, parent, [view](QPrinter* target) {
        if (view) view->PrintTo(*target);
    });
    dialog.exec();
}

PlanViewHooks DefaultHooks() {
    PlanViewHooks hooks;
    hooks.popupMenu = DefaultPopupMenu;
    hooks.typeEditor = RunTypeEditor;
    hooks.spanEditor = RunSpanEditor;
    hooks.frameEditor = RunFrameEditor;
    hooks.printDialog = DefaultPrintDialog;
    hooks.printPreview = DefaultPrintPreview;
    return hooks;
}

// The four one-pixel edges of a rectangle, as the rubber band covers them.
QRegion EdgeRegion(const QRect& r) {
    if (r.isEmpty()) return {};
    QRegion region(r.left(), r.top(), r.width(), 1);
    region += QRect(r.left(), r.bottom(), r.width(), 1);
    region += QRect(r.left(), r.top(), 1, r.height());
    region += QRect(r.right(), r.top(), 1, r.height());
    return region;
}

} // namespace

PlanViewHooks& CTorvaView::Hooks() {
    static PlanViewHooks hooks = DefaultHooks();
    return hooks;
}

void CTorvaView::ResetHooks() {
    Hooks() = DefaultHooks();
}

CTorvaView::CTorvaView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent); // every exposed pixel is painted
    viewport()->setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBars();
}

CTorvaView::~CTorvaView() = default;

CFramePat* CTorvaView::Model() const {
    return editor_.Model();
}

void CTorvaView::TakeModel() {
    auto* document = dynamic_cast<CTorvaDoc*>(GetDocument());
    CFramePat* model = document ? document->GetFramePat() : nullptr;
    // The document replaces its model on New and Open: always draw and edit the current one.
    grid_.Rebuild(model);
    editor_.SetModel(model);
    UpdateScrollBars();
}

void CTorvaView::OnInitialUpdate() {
    TakeModel();
    editor_.ResetState();
    band_ = {};
    viewport()->update();
}

void CTorvaView::OnUpdate(View* /*sender*/, int /*hint*/) {
    TakeModel();
    viewport()->update();
}

// ---- commands ------------------------------------------------------------------------------------

bool CTorvaView::OnCommand(int id) {
    switch (id) {
    case cmd::kFilePrint:
        Print(true);
        return true;
    case cmd::kFilePrintDirect:
        Print(false);
        return true;
    case cmd::kFilePrintPreview:
        Preview();
        return true;
    case cmd::kPlanZoomIn:
        SetZoom(zoom_ * kZoomStep, viewport()->rect().center());
        return true;
    case cmd::kPlanZoomOut:
        SetZoom(zoom_ / kZoomStep, viewport()->rect().center());
        return true;
    case cmd::kPlanZoomFit:
        SetZoom(FitZoom(), {});
        return true;
    default:
        return editor_.OnCommand(id);
    }
}

bool CTorvaView::OnUpdateCommand(int id, CommandState& state) {
    if (id == cmd::kFilePrint || id == cmd::kFilePrintDirect || id == cmd::kFilePrintPreview) {
        state.enabled = Model() != nullptr;
        return true;
    }
    if (id == cmd::kPlanZoomIn || id == cmd::kPlanZoomOut || id == cmd::kPlanZoomFit) {
        state.enabled = Model() != nullptr && (id != cmd::kPlanZoomIn || zoom_ < kMaxZoom) &&
                        (id != cmd::kPlanZoomOut || zoom_ > kMinZoom);
        return true;
    }
    return editor_.OnUpdateCommand(id, state);
}

// ---- geometry and painting -----------------------------------------------------------------------

QPoint CTorvaView::ScrollOffset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

PlanPoint CTorvaView::Logical(const QPoint& viewportPos) const {
    const QPoint p = viewportPos + ScrollOffset();
    return {static_cast<int>(std::floor(p.x() / zoom_)), static_cast<int>(std::floor(p.y() / zoom_))};
}

QSize CTorvaView::ScrollExtent() const {
    // The frame with a square's margin beyond its last nodes, so the last labels are not at the edge.
    const QRect used = grid_.UsedRect();
    if (used.isEmpty()) return {};
    return QSize(static_cast<int>(std::ceil((used.width() + kCellPixels / 2) * zoom_)),
                 static_cast<int>(std::ceil((used.height() + kCellPixels / 2) * zoom_)));
}

double CTorvaView::FitZoom() const {
    const QRect used = grid_.UsedRect();
    const QSize page = viewport()->size();
    if (used.isEmpty() || page.isEmpty()) return 1.0;
    const double fit = std::min(double(page.width()) / (used.width() + kCellPixels / 2),
                                double(page.height()) / (used.height() + kCellPixels / 2));
    return std::clamp(fit, kMinZoom, 2.0);
}

void CTorvaView::SetZoom(double zoom, QPoint anchor) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == zoom_) return;
    // The plan point under the anchor, in unzoomed pixels, stays under it.
    const QPointF planPoint = QPointF(anchor + ScrollOffset()) / zoom_;
    CancelDrag();
    zoom_ = zoom;
    UpdateScrollBars();
    const QPointF scrolled = planPoint * zoom_ - QPointF(anchor);
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(scrolled.x())));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(scrolled.y())));
    viewport()->update();
    CommandRouter::RequestRefresh();
}

PlanOverlay CTorvaView::Overlay() const {
    return {editor_.ControlMode(), editor_.OutputMode()};
}

void CTorvaView::UpdateScrollBars() {
    const QSize page = viewport()->size();
    const QSize extent = ScrollExtent();
    horizontalScrollBar()->setRange(0, std::max(0, extent.width() - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, extent.height() - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setSingleStep(std::max(1, page.width() / 10));
    verticalScrollBar()->setSingleStep(std::max(1, page.height() / 10));
}

void CTorvaView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CTorvaView::scrollContentsBy(int dx, int dy) {
    // Moves what is on screen and repaints only the strip that scrolls into view; a rubber band
    // on screen would move with it, so then everything is repainted.
    if (!band_.isEmpty()) {
        band_ = {};
        viewport()->update();
        return;
    }
    viewport()->scroll(dx, dy);
}

void CTorvaView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint offset = ScrollOffset();
    if (zoom_ == 1.0) {
        painter.translate(-offset);
        for (const QRect& rect : event->region()) grid_.Draw(painter, rect.translated(offset), Overlay());
    } else {
        // Each exposed rectangle is drawn clipped to itself on screen, from the plan part it shows.
        for (const QRect& rect : event->region()) {
            painter.save();
            painter.setClipRect(rect);
            painter.translate(-offset);
            painter.scale(zoom_, zoom_);
            // Zoomed out, the one-pixel borders blend in instead of coming and going with the scale.
            painter.setRenderHint(QPainter::Antialiasing, zoom_ < 1.0);
            const QRectF shown(rect.translated(offset));
            const QRectF plan(shown.topLeft() / zoom_, shown.size() / zoom_);
            grid_.Draw(painter, plan.toAlignedRect(), Overlay());
            painter.restore();
        }
    }
    if (!band_.isEmpty()) {
        // The rubber band inverts what lies beneath its dotted edges.
        painter.resetTransform();
        painter.setClipRegion(event->region());
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(band_.adjusted(0, 0, -1, -1));
    }
    painter.end();
    UpdateFrameBars();
}

void CTorvaView::UpdateFrameBars() {
    ChildFrame* frame = GetParentFrame();
    if (!frame) return;
    if (auto* edit = qobject_cast<QLineEdit*>(frame->BarControl(cmd::kLayerNameEdit))) {
        const QString name = Model() ? QString::fromStdString(LayerName(Model()->curLayer)) : QString();
        if (edit->text() != name) edit->setText(name);
    }
}

// ---- mouse ---------------------------------------------------------------------------------------

void CTorvaView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        editor_.LeftButtonDown(Logical(pos));
        if (editor_.Dragging()) {
            bandStart_ = pos;
            UpdateBand({});
        }
    } else if (event->button() == Qt::RightButton) {
        if (editor_.Dragging())
            CancelDrag();
        else
            editor_.RightButtonDown(Logical(pos));
    }
    CommandRouter::RequestRefresh();
}

void CTorvaView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && editor_.Dragging()) {
        CancelDrag();
        return;
    }
    // The zoom keys, for a plan view without the main window's accelerators.
    if (event->modifiers() & Qt::ControlModifier) {
        const int key = event->key();
        const int id = key == Qt::Key_0                              ? cmd::kPlanZoomFit
                       : key == Qt::Key_Plus || key == Qt::Key_Equal ? cmd::kPlanZoomIn
                       : key == Qt::Key_Minus                        ? cmd::kPlanZoomOut
                                                                     : 0;
        if (id != 0) {
            OnCommand(id);
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CTorvaView::CancelDrag() {
    UpdateBand({});
    if (editor_.Dragging()) editor_.CancelDrag();
}

void CTorvaView::wheelEvent(QWheelEvent* event) {
    // Ctrl with the wheel zooms about the mouse; the wheel alone scrolls.
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) SetZoom(zoom_ * std::pow(kZoomStep, steps), event->position().toPoint());
    event->accept();
}

void CTorvaView::mouseMoveEvent(QMouseEvent* event) {
    if (editor_.Dragging() && (event->buttons() & Qt::LeftButton))
        UpdateBand(QRect(bandStart_, event->position().toPoint()).normalized());
}

void CTorvaView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    UpdateBand({});
    editor_.LeftButtonUp(Logical(event->position().toPoint()));
    CommandRouter::RequestRefresh();
}

void CTorvaView::UpdateBand(const QRect& band) {
    if (band == band_) return;
    viewport()->update(EdgeRegion(band_) + EdgeRegion(band));
    band_ = band;
}

// ---- the editor's requests -----------------------------------------------------------------------

void CTorvaView::ShowMessage(const std::string& text) {
    const QString message = QString::fromStdString(text);
    if (message.startsWith(QStringLiteral("ERROR")))
        MessageService::Error(message, this);
    else
        MessageService::Info(message, this);
}

void CTorvaView::Commit(const std::string& name) {
    if (auto* document = dynamic_cast<CTorvaDoc*>(GetDocument())) {
        document->CommitModelEdit(QString::fromStdString(name));
    } else if (Document* other = GetDocument()) {
        other->SetModifiedFlag(true);
    }
}

bool CTorvaView::Confirm(const std::string& question) {
    return MessageService::Show(QString::fromStdString(question), MessageButtons::YesNo,
                                MessageIcon::Question, this) == MessageAnswer::Yes;
}

void CTorvaView::Repaint() {
    viewport()->update();
}

void CTorvaView::NotifyOtherViews() {
    if (Document* document = GetDocument()) document->UpdateAllViews(this, 0);
}

void CTorvaView::NotifyAllViews() {
    if (Document* document = GetDocument())
        document->UpdateAllViews(nullptr, 0);
    else
        OnUpdate(nullptr, 0);
}

int CTorvaView::PopupMenu(const std::vector<PlanMenuItem>& items, PlanPoint at) {
    const QPoint onPlan(static_cast<int>(std::lround(at.x * zoom_)),
                        static_cast<int>(std::lround(at.y * zoom_)));
    const QPoint global = viewport()->mapToGlobal(onPlan - ScrollOffset());
    return Hooks().popupMenu ? Hooks().popupMenu(items, global, this) : 0;
}

bool CTorvaView::RunTypeEditor(int kind, CFramePat& copy) {
    return Hooks().typeEditor && Hooks().typeEditor(kind, copy, this);
}

bool CTorvaView::RunSpanEditor(int axis, CFramePat& copy) {
    return Hooks().spanEditor && Hooks().spanEditor(axis, copy, this);
}

bool CTorvaView::RunFrameEditor(CFramePat& copy) {
    return Hooks().frameEditor && Hooks().frameEditor(copy, this);
}

// ---- printing ------------------------------------------------------------------------------------

void CTorvaView::RenderForPrint(QPainter& painter, const QRect& page) {
    const QRect used = grid_.UsedRect();
    if (used.isEmpty() || page.isEmpty()) return;
    const double scale = std::min(double(page.width()) / used.width(), double(page.height()) / used.height());
    painter.save();
    painter.translate(page.topLeft());
    painter.scale(scale, scale);
    grid_.Draw(painter, used, Overlay());
    painter.restore();
}

void CTorvaView::PrintTo(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        MessageService::Error(QStringLiteral("The plan could not be printed."), this);
        return;
    }
    const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    RenderForPrint(painter, page);
}

void CTorvaView::Print(bool askPrinter) {
    if (!Model()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (askPrinter && !(Hooks().printDialog && Hooks().printDialog(printer, this))) return;
    PrintTo(printer);
}

void CTorvaView::Preview() {
    if (!Model()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (Hooks().printPreview) Hooks().printPreview(printer, this);
}
