// Zooming the plan view: the fit of a large frame, Ctrl+wheel about the mouse, the zoom keys and
// their limits, and a scroll area as large as the model, checked in the pixels and by clicking.
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "plan/PlanTestSupport.h"
#include "plan/PlanViewFixture.h"

#include <QDir>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>

using namespace torva;
using namespace torva::test;

namespace {

class PlanZoomTest : public PlanViewTest {
protected:
    void Resize(int nx, int ny) {
        Model().nxs = nx;
        Model().nys = ny;
        view->OnUpdate(nullptr, 0);
    }
    // Viewport point of a plan point at the current zoom.
    QPoint Shown(PlanPoint p) const {
        const double z = view->Zoom();
        return QPoint(int(std::lround(p.x * z)), int(std::lround(p.y * z))) - view->ScrollOffset();
    }
    void Wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(at), QPointF(view->viewport()->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(view, &press);
    }
    void ClickAt(QPoint at) {
        Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    bool Enabled(int id) {
        CommandState state;
        EXPECT_TRUE(view->OnUpdateCommand(id, state));
        return state.enabled;
    }
};

TEST_F(PlanZoomTest, TheScrollAreaIsAsLargeAsTheModel) {
    // The 12 × 12 frame of a new model fits the window: nothing to scroll.
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    // A 62 × 62 frame reaches its last node and half a square beyond, plus a margin.
    Resize(62, 62);
    const int extent = CellLeft(63) + kCellPixels / 2 + 1 + kCellPixels / 2;
    EXPECT_EQ(view->ScrollExtent(), QSize(extent, CellTop(63) + kCellPixels + 1));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), extent - view->viewport()->width());
    // Shrinking the frame shrinks the area.
    Resize(20, 5);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(),
              CellLeft(21) + kCellPixels + 1 - view->viewport()->width());
}

TEST_F(PlanZoomTest, FitShowsAWhole60By60GridWithoutScrolling) {
    Resize(60, 60);
    ASSERT_GT(view->verticalScrollBar()->maximum(), 0);
    Key(Qt::Key_0);
    EXPECT_LT(view->Zoom(), 0.3);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    const QImage screen = Screen();
    if (const QByteArray dir = qgetenv("TORVA_SCREENSHOT_DIR"); !dir.isEmpty())
        screen.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("plan-60x60-fit.png")));
    // The first and the last square of the frame are grey on screen, and nothing is left unpainted.
    for (const GridPos pos : {GridPos{2, 2}, GridPos{59, 59}, GridPos{59, 2}, GridPos{2, 59}}) {
        const QPoint centre = Shown(Centre(pos.x, pos.y));
        ASSERT_TRUE(screen.rect().contains(centre)) << pos.x << "," << pos.y;
        EXPECT_EQ(Rgb(screen, centre.x(), centre.y()), kLightGrey) << pos.x << "," << pos.y;
    }
    EXPECT_EQ(CountColour(screen, screen.rect(), 0xFF0000), 0);
    // A click on the zoomed plan edits the square under the mouse.
    ClickAt(Shown(Centre(57, 58)));
    EXPECT_EQ(Model().Flag(57, 58, kConcreteLayer), 1);
    EXPECT_EQ(Model().Flag(56, 58, kConcreteLayer) + Model().Flag(57, 57, kConcreteLayer), 0);
    // Blue there (blended with its label and border at this size), grey beside it.
    const QImage edited = Screen();
    const QPoint clear = Shown({CellLeft(57) + 25, CellTop(58) + 25});
    const QColor shown = edited.pixelColor(clear);
    EXPECT_TRUE(shown.blue() == 255 && shown.red() < 0x80 && shown.green() < 0x80)
        << shown.name().toStdString();
    const QPoint beside = Shown({CellLeft(56) + 25, CellTop(58) + 25});
    EXPECT_GT(edited.pixelColor(beside).red(), 0xC0);
}

TEST_F(PlanZoomTest, CtrlWheelZoomsAboutTheMouseAndThePlainWheelScrolls) {
    Resize(62, 62);
    const QPoint mouse = Shown(Centre(8, 7));
    Wheel(mouse, 120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view->Zoom(), 1.25);
    EXPECT_GT(view->ScrollOffset().x(), 0); // the point under the mouse stayed there
    ClickAt(mouse);
    EXPECT_EQ(Model().Flag(8, 7, kConcreteLayer), 1);
    Wheel(mouse, -240, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view->Zoom(), 1.25 / 1.25 / 1.25);
    // Without Ctrl the wheel scrolls and keeps the zoom.
    const int before = view->verticalScrollBar()->value();
    Wheel(QPoint(100, 100), -120, Qt::NoModifier);
    EXPECT_DOUBLE_EQ(view->Zoom(), 0.8);
    EXPECT_GT(view->verticalScrollBar()->value(), before);
}

TEST_F(PlanZoomTest, ZoomKeysAndCommandsStopAtTheirLimits) {
    Key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(view->Zoom(), 1.25);
    Key(Qt::Key_Minus);
    Key(Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(view->Zoom(), 0.8);
    for (int i = 0; i < 30; ++i) Command(cmd::kPlanZoomOut);
    EXPECT_DOUBLE_EQ(view->Zoom(), CTorvaView::kMinZoom);
    EXPECT_FALSE(Enabled(cmd::kPlanZoomOut));
    EXPECT_TRUE(Enabled(cmd::kPlanZoomIn));
    for (int i = 0; i < 30; ++i) Command(cmd::kPlanZoomIn);
    EXPECT_DOUBLE_EQ(view->Zoom(), CTorvaView::kMaxZoom);
    EXPECT_FALSE(Enabled(cmd::kPlanZoomIn));
    // Fit brings a small frame back to at most twice its size, with nothing to scroll.
    Command(cmd::kPlanZoomFit);
    EXPECT_LE(view->Zoom(), 2.0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
}

} // namespace
