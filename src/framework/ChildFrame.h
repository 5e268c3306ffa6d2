#pragma once
// A child frame: a QMainWindow (so it can carry toolbars and bars of its own) hosted by a
// QMdiSubWindow in the main frame's MDI area, showing one view as its central widget. Its own
// toolbar buttons are routed from its view: view -> document -> this frame -> main frame -> app.
#include "framework/CommandTarget.h"

#include <QMainWindow>
#include <QRect>

class QMdiSubWindow;
class QToolBar;

namespace torva {

class CommandRouter;
class DocTemplate;
class Document;
class View;

class ChildFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit ChildFrame(QWidget* parent = nullptr);
    ~ChildFrame() override;

    // --- Creation (called by the template once the view is in place).
    // Builds toolbars and bars. Returns false when that fails; the frame is then discarded.
    virtual bool OnCreate() { return true; }
    // Where the frame appears in the MDI area (a null rectangle: the area's default placement).
    virtual QRect InitialGeometry() const { return {}; }
    // Whether the caption shows the document title (the frame may set its own caption instead).
    virtual bool AddsTitle() const { return true; }
    // What the window is for ("Plan"): the caption is then "wall.fem — Plan".
    virtual QString FrameRole() const { return {}; }

    // The template that made the frame (its kind of window), or nullptr.
    DocTemplate* GetDocTemplate() const { return template_; }
    void SetDocTemplate(DocTemplate* docTemplate) { template_ = docTemplate; }

    // --- View, document, window.
    View* GetActiveView() const { return view_; }
    void SetView(View* view);
    Document* GetActiveDocument() const;
    // The MDI sub-window holding the frame (nullptr before it is added to the main frame).
    QMdiSubWindow* SubWindow() const;
    // Shows the frame and makes it the active child of the MDI area.
    void ActivateFrame();
    // The caption of the sub-window.
    void SetFrameTitle(const QString& title);
    QString FrameTitle() const;
    // Sets the caption from the document title when AddsTitle().
    void UpdateFrameTitle();
    // Asks the frame to close as a user would (the document may ask to save). Posted: it takes
    // effect from the event loop.
    void PostClose();

    // The router of this frame's own toolbars and bars.
    CommandRouter* Router() const { return router_; }
    // A flat toolbar of 16 x 15 buttons whose actions are routed by this frame. `buttons` lists
    // command ids, 0 for a separator; texts and icons come from the command table.
    QToolBar* CreateCommandToolBar(const QString& title, const QList<int>& buttons, Qt::ToolBarArea area);
    // A control of one of the frame's bars, found by its id (property "controlId"), or nullptr.
    QWidget* BarControl(int id) const;

    // Frames handle no command of their own by default.
    bool OnCommand(int /*id*/) override { return false; }
    bool OnUpdateCommand(int /*id*/, CommandState& /*state*/) override { return false; }

    // Closes the frame without asking (its document is closing).
    void CloseNow();
    // True once the frame has agreed to close.
    bool IsClosing() const { return closing_; }

protected:
    // Asks the document (the last frame of a modified document brings the save prompt); when the
    // frame may close its view is deleted at once and the frame from the event loop.
    void closeEvent(QCloseEvent* event) override;

private:
    View* view_ = nullptr;
    DocTemplate* template_ = nullptr;
    CommandRouter* router_ = nullptr;
    bool closing_ = false;
};

} // namespace torva
