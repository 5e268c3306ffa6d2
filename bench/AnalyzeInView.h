#pragma once
// "Analyze" in an analysis view, waited for: the elastic analysis runs in the view's run thread and the
// view's analysis timer shows its end, so the event loop turns until then.
#include "analysis_view/3dView.h"
#include "framework/CommandIds.h"

#include <QCoreApplication>
#include <QElapsedTimer>

inline bool AnalyzeInView(torva::C3dView& view, int timeoutMs = 120000) {
    view.OnCommand(torva::cmd::kAnalyze);
    QElapsedTimer waited;
    waited.start();
    // Waits for events (the end of the call arrives as one) rather than turning the loop idle, which
    // would keep a core busy beside the engine's two threads.
    while (view.Analysing() && waited.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !view.Analysing() && view.State().analysisDone == 1;
}
