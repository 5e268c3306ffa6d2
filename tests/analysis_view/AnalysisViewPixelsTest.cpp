// What the analysis window shows: the black mesh before Analyze and the red one with the stress
// crosses after it, the response strip of the push-over display, the one-shot stress field with its
// busy window, and "Save Picture..." writing exactly the picture on the screen.
#include "AnalysisViewFixture.h"
#include "drawing/Pixels.h"
#include "framework/MessageService.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QWidget>

namespace torva {
namespace {

using test::AnalysisViewTest;
using test::Count;
using test::IsBlack;
using test::IsPureBlue;
using test::IsPureGreen;
using test::IsPureRed;
using test::IsWhite;

// The plot without the legend (its colour bar and tick values stand left of the fitted model) and
// without the axes glyph and overlays along the top.
QRect MeshArea(const QImage& shot, int plotHeight) {
    return QRect(Projection::kMarginLeft, 60, shot.width() - Projection::kMarginLeft, plotHeight - 60);
}

bool IsFieldColour(QRgb c) {
    return !IsWhite(c) && !IsBlack(c) && !IsPureRed(c) && !IsPureBlue(c) && !IsPureGreen(c);
}

QDialog* BusyWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->property("dialogId").toInt() == 103) return qobject_cast<QDialog*>(widget);
    return nullptr;
}

TEST_F(AnalysisViewTest, BeforeAnalyzeOnlyTheBlackMeshAndAfterItTheRedMeshWithItsCrosses) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Run(cmd::kActualSize));
    const QImage before = Shot("before");
    const QRect mesh = MeshArea(before, View()->height());
    EXPECT_GT(Count(before, mesh, IsBlack), 500);
    EXPECT_EQ(Count(before, mesh, IsPureRed), 0);
    EXPECT_EQ(Count(before, mesh, IsPureBlue), 0);
    EXPECT_GT(Count(before, IsPureGreen), 30); // the ten storey loads

    ASSERT_TRUE(RunAnalyze());
    const QImage after = Shot("after");
    const int red = Count(after, mesh, IsPureRed);
    // The red mesh leans away from the black one: the drift is drawn at a readable scale.
    EXPECT_GT(red, 500);
    EXPECT_GT(Count(after, mesh, IsBlack), 100);
    EXPECT_GT(Count(after, mesh, IsPureBlue), 20); // tension crosses

    // Without the crosses, fewer red and no blue pixels.
    ASSERT_TRUE(Run(cmd::kPrincipalStress));
    const QImage plain = Shot("plain");
    EXPECT_EQ(Count(plain, mesh, IsPureBlue), 0);
    EXPECT_LT(Count(plain, mesh, IsPureRed), red);

    // Reduced 2^6 times, the red mesh covers the black one.
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(Run(cmd::kReduceResponse));
    const QImage reduced = Shot("reduced");
    EXPECT_LT(Count(reduced, mesh, IsBlack), Count(before, mesh, IsBlack) / 4);
}

TEST_F(AnalysisViewTest, PushoverDisplayShowsTheBarAndTheResponseStrip) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    const QImage elastic = Shot("elastic");
    const int h = View()->height();
    ASSERT_GT(h, 225);
    // Elastic: the plot reaches the bottom of the view (no black bar across it).
    EXPECT_LT(Count(elastic, QRect(0, h - 225, elastic.width(), 5), IsBlack), elastic.width());

    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(
        WaitFor([&] { return !View()->StepTimerRunning(); }, 30)); // a whole run, on a loaded machine too
    const QImage pushover = Shot("pushover");
    const int w = pushover.width();
    // The 5-pixel black bar below a plot 225 pixels shorter, the white strip with the graph below it.
    EXPECT_EQ(Count(pushover, QRect(0, h - 225, w, 5), IsBlack), 5 * w);
    // The model is fitted into the shorter plot: no mesh line reaches the rows above the bar.
    const QRect aboveBar(0, h - 225 - Projection::kMarginBottom / 2, w, Projection::kMarginBottom / 2);
    EXPECT_EQ(Count(pushover, aboveBar, IsBlack), 0);
    EXPECT_EQ(Count(pushover, aboveBar, IsPureRed), 0);
    // Graph 1, the capacity curve in its blue.
    EXPECT_GT(Count(pushover, QRect(0, h - 220, w, 220),
                    [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 80 && qGreen(c) < 120; }),
              250);
    // The progress bar: the run went through all its 100 steps, so the bar is blue from end to end.
    EXPECT_EQ(Count(pushover, QRect(w - 300, 25, 80, 10), IsPureBlue), 800);
}

TEST_F(AnalysisViewTest, TheStressFieldIsDrawnOnceWhileTheBusyWindowShows) {
    StartOn(*test::WallModel(6, 6));
    ASSERT_TRUE(Analyze());
    const QImage plain = Shot("plain"); // supports and the control node have colours of their own
    QImage during;
    bool busyShown = false;
    MessageService::SetHandler([&](const QString& text, MessageButtons) {
        if (text == "Drawing Finished.") {
            QDialog* busy = BusyWindow();
            busyShown = busy && busy->isVisible();
            during = Shot("during");
        }
        return MessageAnswer::Ok;
    });
    ASSERT_TRUE(Run(cmd::kRenderStressField));
    MessageService::SetHandler(nullptr);
    EXPECT_TRUE(busyShown);
    ASSERT_FALSE(during.isNull());
    const QRect mesh = MeshArea(during, View()->height());
    EXPECT_GT(Count(during, mesh, IsFieldColour), 5000);

    EXPECT_EQ(View()->Control().renderOnce, 0);
    QDialog* busy = BusyWindow();
    EXPECT_TRUE(!busy || !busy->isVisible());
    const QImage later = Shot("later");
    EXPECT_LT(Count(later, mesh, IsFieldColour), Count(plain, mesh, IsFieldColour) + 50);
}

TEST_F(AnalysisViewTest, NoStressFieldBeforeAnalyze) {
    StartOn(*test::WallModel(3, 3));
    ASSERT_TRUE(Run(cmd::kActualSize));
    const QImage plain = Shot("plain");
    QImage during;
    MessageService::SetHandler([&](const QString&, MessageButtons) {
        during = Shot();
        return MessageAnswer::Ok;
    });
    ASSERT_TRUE(Run(cmd::kRenderStressField));
    MessageService::SetHandler(nullptr);
    ASSERT_FALSE(during.isNull());
    const QRect mesh = MeshArea(during, View()->height());
    EXPECT_EQ(Count(during, mesh, IsFieldColour), Count(plain, mesh, IsFieldColour));
}

TEST_F(AnalysisViewTest, SavePictureWritesThePictureOnTheScreen) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    fileAnswer = QString::fromStdString(dir.file("wall"));
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    QImage saved(fileAnswer + ".png");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_ARGB32), Shot());

    // Cancelled: nothing written.
    fileAnswer.clear();
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(messages.Texts().isEmpty());

    // A folder that does not exist.
    fileAnswer = QString::fromStdString(dir.file("missing/wall.png"));
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(messages.Last().contains("missing/wall.png")) << messages.Last().toStdString();
}

TEST_F(AnalysisViewTest, SavePictureWritesTheFormatTheNameAsksFor) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    auto head = [](const QString& path, int bytes) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
    };
    fileAnswer = QString::fromStdString(dir.file("wall.jpg"));
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(head(fileAnswer, 3), QByteArray("\xff\xd8\xff"));
    fileAnswer = QString::fromStdString(dir.file("wall.svg"));
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(head(fileAnswer, 4096).contains("<svg"));
    // A name of no picture format is refused with the reason, and nothing is written.
    fileAnswer = QString::fromStdString(dir.file("wall.gif"));
    ASSERT_TRUE(Run(cmd::kSavePicture));
    EXPECT_TRUE(messages.Last().contains("a picture file ends in .png, .jpg, .jpeg or .svg"))
        << messages.Last().toStdString();
    EXPECT_FALSE(QFile::exists(fileAnswer));
}

TEST_F(AnalysisViewTest, MainWindowAfterAnalyze) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    const QImage shot = Main()->grab().toImage();
    if (const char* folder = std::getenv("TORVA_PICTURE_DIR"))
        shot.save(QString(folder) + "/main-window.png");
    // The analysis window shows its picture inside the main window: red mesh pixels in its area.
    const QRect area(Frame()->SubWindow()->mapTo(Main(), QPoint(0, 0)), Frame()->SubWindow()->size());
    EXPECT_GT(Count(shot.convertToFormat(QImage::Format_ARGB32), area, IsPureRed), 500);
}

} // namespace
} // namespace torva
