#include "app/TorvaApp.h"

#include "analysis_view/3dView.h"
#include "analysis_view/Resp3D.h"
#include "app/AboutBox.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/PlanFrame.h"
#include "app/ToolbarIcons.h"
#include "document/TorvaDoc.h"
#include "framework/CommandIds.h"
#include "framework/DocTemplate.h"
#include "framework/MessageService.h"
#include "plan/Editors.h"
#include "plan/PlanView.h"

#include <QApplication>

namespace torva {

CTorvaApp::CTorvaApp() = default;

CTorvaApp::~CTorvaApp() {
    // Documents and frames go before the templates they refer to.
    CloseAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete mainWindow_;
}

std::function<View*()> CTorvaApp::PlanViewFactory() {
    return [] { return new CTorvaView; };
}

std::function<View*()> CTorvaApp::AnalysisViewFactory() {
    return [] { return new C3dView; };
}

bool CTorvaApp::InitInstance(const QStringList& arguments) {
    MessageService::SetTitle(QStringLiteral("TORVA_FEM"));
    RegisterTorvaCommands();
    CTorvaDoc::SetStructureEditor(&RunStructureOptions);
    CTorvaDoc::SetModelEditor(cmd::kOptionLoading, &RunLoadingEditor);
    QApplication::setWindowIcon(ToolbarIcon(cmd::kView3d));
    LoadStdProfileSettings(4);

    planTemplate = AddDocTemplate(std::make_unique<CMultiViewSingleDocTemplate>(
        129,
        QStringLiteral(
            "\nFEM\nFEM\nFEM Files (*.fem);;JSON Models (*.json)\n.fem\nFEM.Document\nFEM Document"),
        [] { return new CTorvaDoc; }, [] { return new CTorvaFrame; }, PlanViewFactory()));
    analysisTemplate = AddDocTemplate(std::make_unique<CMultiViewSingleDocTemplate>(
        130, QStringLiteral("PopUp Window 1"), [] { return new CTorvaDoc; }, [] { return new CResp3D; },
        AnalysisViewFactory()));

    mainWindow_ = new CMainFrame;
    SetMainFrame(mainWindow_);
    if (!mainWindow_->Create()) return false;

    // A file that cannot be opened has been reported; the program goes on with a new document.
    const QString path = arguments.isEmpty() ? QString() : arguments.front();
    if (path.isEmpty() || !OpenDocumentFile(path)) {
        if (!OnFileNew()) return false;
    }

    mainWindow_->show();
    return true;
}

void CTorvaApp::OnAppAbout() {
    CAboutDlg about(MainFrame());
    about.exec();
}

} // namespace torva
