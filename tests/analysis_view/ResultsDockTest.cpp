// The results window docks beside the model instead of over it: in a 1280 × 800 main window, after
// Analyze the view and the results window share the analysis frame without overlapping, each with room
// to read, the frame inside the window area; a place the user chooses is kept for the next start.
#include "analysis_view/AnalysisViewFixture.h"
#include "analysis_view/NumberDocks.h"
#include "analysis_view/ResultsPane.h"
#include "framework/Settings.h"

#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::AnalysisViewTest;

class ResultsDockTest : public AnalysisViewTest {
protected:
    void StartAnalysed() {
        StartOnExample("shear-wall.fem");
        Main()->resize(1280, 800);
        test::Flush();
        ASSERT_TRUE(Analyze());
        test::Flush();
        ASSERT_TRUE(Frame()->ResultsDock()->isVisible());
    }
    static QRect Global(const QWidget* widget) { return {widget->mapToGlobal(QPoint(0, 0)), widget->size()}; }
    // Nothing of the model's view under the results window, both large enough to read, and the frame
    // wholly inside the main window's window area.
    void ExpectSideBySide() const {
        const QDockWidget* dock = Frame()->ResultsDock();
        EXPECT_FALSE(dock->isFloating());
        EXPECT_FALSE(Global(View()).intersects(Global(dock)))
            << "view " << View()->width() << " x " << View()->height() << ", results " << dock->width()
            << " x " << dock->height();
        EXPECT_GE(View()->width(), 400);
        EXPECT_GE(View()->height(), 250);
        EXPECT_GE(dock->width(), 400);
        EXPECT_GE(dock->height(), 250);
        const QMdiSubWindow* sub = Frame()->SubWindow();
        EXPECT_TRUE(sub->mdiArea()->viewport()->rect().contains(sub->geometry()));
    }
};

TEST_F(ResultsDockTest, TheResultsDockBesideTheModelAndKeepTheirPlace) {
    // The results window is narrow enough to sit beside a model.
    StartOnExample("shear-wall.fem");
    EXPECT_LE(Frame()->Results()->minimumSizeHint().width(), 440);
    app.reset();
    test::Flush();

    StartAnalysed();
    QDockWidget* dock = Frame()->ResultsDock();
    EXPECT_EQ(Frame()->dockWidgetArea(Frame()->ResultsDock()), Qt::RightDockWidgetArea);
    EXPECT_FALSE(Frame()->Results()->Wide()); // the curve under the picture
    ExpectSideBySide();
    // The model is drawn in the view: the fitted, displaced mesh in red.
    const QImage shot = Shot("docked");
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            red += qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0;
        }
    EXPECT_GT(red, 300);
    if (const char* folder = std::getenv("TORVA_SCREEN_DIR"))
        Main()->grab().save(QStringLiteral("%1/results-docked-right.png").arg(folder));

    // A click on an element opens its table as a tab beside the results, not over the model.
    const QPoint centre = View()->rect().center();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, centre);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, centre);
    test::Flush();
    ASSERT_NE(View()->Numbers(), nullptr);
    const QDockWidget* table = View()->Numbers()->ElementDock();
    ASSERT_NE(table, nullptr) << "no element under the view's centre";
    EXPECT_TRUE(table->isVisible());
    EXPECT_FALSE(table->isFloating());
    EXPECT_TRUE(Frame()->tabifiedDockWidgets(dock).contains(const_cast<QDockWidget*>(table)));
    EXPECT_FALSE(Global(View()).intersects(Global(table)));

    // Moved below the model: the picture and the curve side by side, and the place remembered.
    Frame()->addDockWidget(Qt::BottomDockWidgetArea, Frame()->ResultsDock());
    test::Flush();
    EXPECT_EQ(Frame()->dockWidgetArea(dock), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(Frame()->Results()->Wide());
    EXPECT_EQ(Settings::ResultsPlace(), QStringLiteral("bottom"));
    app.reset();
    test::Flush();

    StartAnalysed();
    EXPECT_EQ(Frame()->dockWidgetArea(Frame()->ResultsDock()), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(Frame()->Results()->Wide());
    ExpectSideBySide();
    if (const char* folder = std::getenv("TORVA_SCREEN_DIR"))
        Main()->grab().save(QStringLiteral("%1/results-docked-bottom.png").arg(folder));

    // Floating stays floating at the next start.
    Frame()->ResultsDock()->setFloating(true);
    test::Flush();
    EXPECT_EQ(Settings::ResultsPlace(), QStringLiteral("floating"));
    app.reset();
    test::Flush();
    StartAnalysed();
    EXPECT_TRUE(Frame()->ResultsDock()->isFloating());
}

} // namespace
} // namespace torva
