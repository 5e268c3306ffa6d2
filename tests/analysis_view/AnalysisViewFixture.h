#pragma once
// The desktop program started on a model, with its analysis window at hand: commands go through the
// analysis frame's router as its buttons send them, mouse events go to the real view.
#include "analysis/AnalysisState.h"
#include "analysis/Session.h"
#include "analysis_view/3dView.h"
#include "analysis_view/Resp3D.h"
#include "app/AppFixture.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QThread>
#include <functional>
#include <memory>

namespace torva::test {

inline QString ExamplePath(const char* name) {
    return qEnvironmentVariable("TORVA_SOURCE_DIR") + QStringLiteral("/examples/") +
           QString::fromLatin1(name);
}

// A new model of nx × ny concrete elements of `span` mm, pinned along its base row of nodes (unless
// `supported` is false), pushed sideways at its top-left corner, which is the control node.
inline std::unique_ptr<CFramePat> WallModel(int nx, int ny, bool supported = true, int span = 500) {
    auto model = std::make_unique<CFramePat>();
    model->nxs = nx + 2;
    model->nys = ny + 2;
    model->Reset();
    model->SpanLengthOf(kAxisX, 1) = static_cast<uint16_t>(span);
    model->SpanLengthOf(kAxisY, 1) = static_cast<uint16_t>(span);
    for (int i = 2; i < nx + 2; ++i) {
        model->SpanTypeOf(kAxisX, i) = 1;
        for (int j = 2; j < ny + 2; ++j) {
            model->Flag(i, j, kConcreteLayer) = 1;
            model->Type(i, j, kConcreteLayer) = 1;
        }
    }
    for (int j = 2; j < ny + 2; ++j) model->SpanTypeOf(kAxisY, j) = 1;
    model->Prop(kBoundaryLayer, 1, 0) = 1; // boundary type 1: a pin
    if (supported) {
        for (int i = 2; i <= nx + 2; ++i) {
            model->Flag(i, ny + 2, kBoundaryLayer) = 1;
            model->Type(i, ny + 2, kBoundaryLayer) = 1;
        }
    }
    model->Prop(kPointForceLayer, 1, 0) = 10000 * 100; // 10 kN towards +x
    model->Prop(kPointForceLayer, 1, 1) = 0;
    model->Flag(2, 2, kPointForceLayer) = 1;
    model->Type(2, 2, kPointForceLayer) = 1;
    model->controlNode = PositionCode(2, 2);
    model->segmentCount = 1;
    model->stepsPerSegment = 20;
    model->segmentPoints[0] = 0;
    model->segmentPoints[1] = 2000; // 2 mm
    return model;
}

class AnalysisViewTest : public AppTest {
protected:
    // Starts the program on a model written to the test's folder.
    void StartOn(CFramePat& model, const std::string& name = "wall.fem") {
        const std::string path = dir.file(name);
        FileError error;
        ASSERT_TRUE(SaveModelFile(path, model, error)) << error.message;
        Start({QString::fromStdString(path)});
        Prepare();
    }
    void StartOnExample(const char* name) {
        Start({ExamplePath(name)});
        Prepare();
    }
    void Prepare() {
        ASSERT_NE(Frame(), nullptr);
        ASSERT_NE(View(), nullptr);
        Frame()->ActivateFrame();
        Flush();
    }

    CResp3D* Frame() const {
        for (ChildFrame* frame : Frames())
            if (auto* analysis = dynamic_cast<CResp3D*>(frame)) return analysis;
        return nullptr;
    }
    C3dView* View() const { return Frame() ? dynamic_cast<C3dView*>(Frame()->GetActiveView()) : nullptr; }
    CTorvaDoc* Doc() const { return dynamic_cast<CTorvaDoc*>(View()->GetDocument()); }
    AnalysisState& State() const { return View()->State(); }
    AnalysisScene& Scene() const { return View()->Scene(); }
    analysis::Session& Session() const { return Doc()->AnalysisSession(); }
    // The session's result buffer on display, whole.
    std::vector<double> DisplayedValues() const {
        const ResultBuffer shown = Session().DisplayedBuffer();
        return {shown.data, shown.data + shown.size};
    }

    // An edit of the model as the plan editor makes one: the change, its undo step, the views told.
    void Edit(const std::function<void(CFramePat&)>& change) const {
        change(*Doc()->GetFramePat());
        ASSERT_TRUE(Doc()->CommitModelEdit(QStringLiteral("Test edit")));
        Doc()->UpdateAllViews(nullptr, 0);
    }

    // As the frame's buttons and bars send them.
    bool Run(int id) const { return Frame()->Router()->Execute(id); }
    CommandState Query(int id) const { return Frame()->Router()->Query(id); }
    // "Analyze" as the button sends it, then the event loop until its thread is done and the window
    // has shown the outcome.
    bool RunAnalyze() const {
        return Run(cmd::kAnalyze) && WaitFor([this] { return !View()->Analysing(); }, 60);
    }
    bool Analyze() const { return Run(cmd::kActualSize) && RunAnalyze(); }

    // Mouse events straight to the view, in view pixels.
    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint at) const {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), View()->mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(View(), &event);
    }
    void Drag(Qt::MouseButton button, QPoint from, QPoint to) const {
        Mouse(QEvent::MouseButtonPress, button, from);
        Mouse(QEvent::MouseMove, button, to);
        Mouse(QEvent::MouseButtonRelease, button, to);
    }

    // What the view shows now. With TORVA_PICTURE_DIR set it is also saved there.
    QImage Shot(const char* label = "view") const {
        const QImage image = View()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        if (const char* folder = std::getenv("TORVA_PICTURE_DIR")) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            // A parameterised test's name holds a slash.
            const QString name =
                QString::fromLatin1(test->name()).replace(QLatin1Char('/'), QLatin1Char('_'));
            image.save(QStringLiteral("%1/%2-%3.png").arg(folder, name, label));
        }
        return image;
    }

    // Runs the event loop until `done` holds or `seconds` have passed. The limit only matters when
    // the wait fails: a loaded machine can take far longer than a quiet one to run a few steps.
    template <class Done> static bool WaitFor(Done done, int seconds = 10) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 1000 * seconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return done();
    }
};

} // namespace torva::test
