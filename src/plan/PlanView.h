#pragma once
// The plan view: the current layer of the document's model as a scrollable grid of 30-pixel
// squares, edited with the mouse and the plan commands. Drawing is the cell grid's, the editing
// rules are PlanEditor's; this class turns events into calls and answers the editor's requests
// with widgets (message boxes, context menus, editors, printing).
#include "framework/View.h"
#include "plan/CellGrid.h"
#include "plan/PlanEditor.h"

#include <QAbstractScrollArea>
#include <QRect>
#include <functional>
#include <vector>

class QPrinter;

namespace torva {

// Replaceable call points of the plan view: tests answer them instead of running modal windows.
struct PlanViewHooks {
    // A context menu at a global screen point; returns the chosen command id or 0. Default: QMenu.
    std::function<int(const std::vector<PlanMenuItem>& items, const QPoint& globalPos, QWidget* parent)>
        popupMenu;
    // Editors on a copy of the model; true for OK. Default: the model dialogs.
    std::function<bool(int kind, torva::CFramePat& copy, QWidget* parent)> typeEditor;
    std::function<bool(int axis, torva::CFramePat& copy, QWidget* parent)> spanEditor;
    std::function<bool(torva::CFramePat& copy, QWidget* parent)> frameEditor;
    // Print (57607) asks for a printer here; Print Preview (57609) shows the preview here.
    std::function<bool(QPrinter& printer, QWidget* parent)> printDialog;
    std::function<void(QPrinter& printer, QWidget* parent)> printPreview;
};

} // namespace torva

class CTorvaView : public QAbstractScrollArea, public torva::View, private torva::PlanHost {
    Q_OBJECT
public:
    explicit CTorvaView(QWidget* parent = nullptr);
    ~CTorvaView() override;

    // The call points every plan view uses (process-wide).
    static torva::PlanViewHooks& Hooks();
    // Restores the default call points.
    static void ResetHooks();

    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override;
    void OnUpdate(torva::View* sender, int hint) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, torva::CommandState& state) override;

    // The model shown (the document's), or nullptr.
    torva::CFramePat* Model() const;
    const torva::PlanEditor& Editor() const { return editor_; }
    torva::PlanEditor& Editor() { return editor_; }
    const torva::CellGrid& Grid() const { return grid_; }
    // Scroll position: the logical point shown at the viewport's upper left corner.
    QPoint ScrollOffset() const;
    // Screen pixels per plan pixel (1 at actual size).
    double Zoom() const { return zoom_; }
    // Zooms about a viewport point, which keeps showing the same plan point (clamped to the limits).
    void SetZoom(double zoom, QPoint anchor);
    // The zoom at which the model's whole frame fits the window (never above actual size twice).
    double FitZoom() const;
    // The size of the scrollable area: the model's frame at the current zoom.
    QSize ScrollExtent() const;
    static constexpr double kMinZoom = 0.1;
    static constexpr double kMaxZoom = 4.0;
    static constexpr double kZoomStep = 1.25;
    // The rubber band as last drawn, in viewport coordinates (empty when none).
    QRect RubberBand() const { return band_; }

    // The plan (its used part) drawn to fit `page`, as printing does.
    void RenderForPrint(QPainter& painter, const QRect& page);
    void PrintTo(QPrinter& printer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // PlanHost.
    void ShowMessage(const std::string& text) override;
    void Commit(const std::string& name) override;
    bool Confirm(const std::string& question) override;
    void Repaint() override;
    void NotifyOtherViews() override;
    void NotifyAllViews() override;
    int PopupMenu(const std::vector<torva::PlanMenuItem>& items, torva::PlanPoint at) override;
    bool RunTypeEditor(int kind, torva::CFramePat& copy) override;
    bool RunSpanEditor(int axis, torva::CFramePat& copy) override;
    bool RunFrameEditor(torva::CFramePat& copy) override;

    void TakeModel();
    void UpdateScrollBars();
    torva::PlanPoint Logical(const QPoint& viewportPos) const;
    torva::PlanOverlay Overlay() const;
    void UpdateFrameBars();
    void UpdateBand(const QRect& band);
    void CancelDrag();
    void Print(bool askPrinter);
    void Preview();

    torva::CellGrid grid_;
    torva::PlanEditor editor_{*this};
    double zoom_ = 1.0;
    QPoint bandStart_;
    QRect band_;
};
