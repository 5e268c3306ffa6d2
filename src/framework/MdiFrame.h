#pragma once
// The main frame base: a QMainWindow around a QMdiArea holding the child frames. Its router
// serves the main menu, the main toolbar and the accelerators along the route active view ->
// document -> active child frame -> main frame -> application. Handles the window commands
// ("Cascade", "Tile Horizontal", "Tile Vertical") and asks to save modified documents on close.
#include "framework/CommandTarget.h"

#include <QMainWindow>
#include <QPointer>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace torva {

class ChildFrame;
class CommandRouter;

class MdiFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit MdiFrame(QWidget* parent = nullptr);
    ~MdiFrame() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    CommandRouter* Router() const { return router_; }

    // The active (current) child frame, or nullptr when there is none.
    ChildFrame* ActiveChild() const;
    // Every child frame, in creation order.
    std::vector<ChildFrame*> Children() const;
    // Puts a frame into the MDI area (hidden) at `geometry` (null: the area's placement).
    QMdiSubWindow* AddChild(ChildFrame* frame, const QRect& geometry);

    void Cascade();
    // Children one above the other, each the area's full width.
    void TileHorizontal() { Tile(Qt::Vertical); }
    // Children side by side, each the area's full height.
    void TileVertical() { Tile(Qt::Horizontal); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Splits the area evenly among the arrangeable children, stacked along `stacking`.
    void Tile(Qt::Orientation stacking);
    void OnSubWindowActivated(QMdiSubWindow* window);

    QMdiArea* mdiArea_ = nullptr;
    CommandRouter* router_ = nullptr;
    QPointer<ChildFrame> lastActive_;
};

} // namespace torva
