#pragma once
// The main window: menu bar, main toolbar, status bar with the message pane and the CAP, NUM and
// SCRL indicators, the accelerators, and the MDI area holding the plan and analysis windows.
#include "framework/MdiFrame.h"

class QLabel;
class QMenu;
class QToolBar;

namespace torva {

class DocTemplate;

class CMainFrame : public MdiFrame {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    // Builds menus, toolbar and status bar and places the window (940 x 691, centred on the
    // screen). Returns false when a part cannot be made.
    bool Create();

    QToolBar* MainToolBar() const { return toolBar_; }
    QMenu* FileMenu() const { return fileMenu_; }
    QLabel* MessagePane() const { return messagePane_; }

    // "Plan View" and "3D View": activate the active document's window made by `kind`, or
    // create one from that template.
    void SwitchToView(DocTemplate* kind);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    void RebuildRecentFiles();
    void UpdateTitle();

    QToolBar* toolBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr; // "Recent File", shown while the list is empty
    QAction* recentSeparator_ = nullptr;   // the separator after the recent files
    QList<QAction*> recentActions_;
    QLabel* messagePane_ = nullptr;
    QMetaObject::Connection titleConnection_; // the active document's title changes
};

} // namespace torva
