#pragma once
// The application object: registers the plan and analysis templates (in this order), creates the
// main frame and opens the document named on the command line (or a new one).
#include "framework/Application.h"

#include <QStringList>
#include <functional>

namespace torva {

class CMainFrame;
class DocTemplate;
class View;

class CTorvaApp : public Application {
public:
    CTorvaApp();
    ~CTorvaApp() override;

    // Start-up, in order: settings and the four recent files, the two templates, the main frame,
    // the command line (`arguments` without the program name), then the main window is shown.
    // Returns false when the main frame cannot be made.
    bool InitInstance(const QStringList& arguments);

    void OnAppAbout() override;

    DocTemplate* planTemplate = nullptr;
    DocTemplate* analysisTemplate = nullptr;

    CMainFrame* MainWindow() const { return mainWindow_; }

    // The view each template makes; the real views replace the placeholders here.
    static std::function<View*()> PlanViewFactory();
    static std::function<View*()> AnalysisViewFactory();

private:
    CMainFrame* mainWindow_ = nullptr;
};

} // namespace torva
