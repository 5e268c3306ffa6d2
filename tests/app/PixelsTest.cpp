// What the shell looks like: every toolbar icon drawn, distinct and greyed when disabled; the
// main window's pixels show both windows side by side; the about box names program and version.
#include "AppFixture.h"
#include "app/AboutBox.h"
#include "app/ToolbarIcons.h"
#include "framework/CommandIds.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QToolBar>
#include <set>

namespace torva {
namespace {

using test::AppTest;

const int kToolbarCommands[] = {
    cmd::kFileNew,
    cmd::kFileOpen,
    cmd::kFileSave,
    cmd::kPlanView,
    cmd::kView3d,
    cmd::kAppAbout,
    cmd::kClearPattern,
    cmd::kMoveUpperFloor,
    cmd::kCopyLowerPattern,
    cmd::kMoveLowerFloor,
    cmd::kCopyUpperPattern,
    cmd::kPointForce,
    cmd::kBoundaryCondition,
    cmd::kConcreteElement,
    cmd::kXElementLength,
    cmd::kYElementLength,
    cmd::kFrameSize,
    cmd::kMovePicture,
    cmd::kZoomPicture,
    cmd::kDefaultSize,
    cmd::kActualSize,
    cmd::kAnalyze,
    cmd::kAmplifyResponse,
    cmd::kReduceResponse,
    cmd::kSaveData,
    cmd::kPrincipalStress,
    cmd::kRenderStressField,
    cmd::kShowResponseSetting,
    cmd::kPlay,
    cmd::kPause,
    cmd::kStop,
    cmd::kExportCurve,
};

QImage Render(int id, QSize size, QIcon::Mode mode = QIcon::Normal) {
    return ToolbarIcon(id).pixmap(size, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

int Opaque(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    return n;
}

TEST(ToolbarIcons, EveryButtonHasADistinctLegibleIcon) {
    std::set<QByteArray> seen;
    for (int id : kToolbarCommands) {
        const QImage icon = Render(id, QSize(16, 15));
        ASSERT_EQ(icon.size(), QSize(16, 15)) << id;
        const int inked = Opaque(icon);
        EXPECT_GE(inked, 20) << id; // something to see
        EXPECT_LE(inked, 16 * 15) << id;
        const QByteArray bytes(reinterpret_cast<const char*>(icon.constBits()), icon.sizeInBytes());
        EXPECT_TRUE(seen.insert(bytes).second) << "icon of " << id << " repeats another";

        // Scaled up, the same drawing covers about four times the pixels.
        const int big = Opaque(Render(id, QSize(32, 30)));
        EXPECT_NEAR(big, 4.0 * inked, 1.6 * inked) << id;

        // Disabled: grey and faint.
        const QImage disabled = Render(id, QSize(16, 15), QIcon::Disabled);
        for (int y = 0; y < disabled.height(); ++y) {
            for (int x = 0; x < disabled.width(); ++x) {
                const QRgb p = disabled.pixel(x, y);
                EXPECT_LE(std::abs(qRed(p) - qBlue(p)) + std::abs(qRed(p) - qGreen(p)), 4) << id;
                EXPECT_LE(qAlpha(p), 110) << id;
            }
        }
    }
    EXPECT_TRUE(ToolbarIcon(cmd::kEditUndo).isNull());
}

TEST_F(AppTest, MainWindowShowsThePlanAndAnalysisWindowsSideBySide) {
    Start();
    const QImage shot = Main()->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(940, 691));
    const QPoint area = Main()->MdiArea()->viewport()->mapTo(Main(), QPoint(0, 0));
    // Each child window appears in the main window's picture exactly where it is placed, whatever
    // its view paints.
    for (ChildFrame* frame : Frames()) {
        QMdiSubWindow* sub = frame->SubWindow();
        const QImage own = sub->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage seen = shot.copy(QRect(area + sub->geometry().topLeft(), sub->size()))
                                .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(seen.size(), own.size());
        int differ = 0;
        QPoint first(-1, -1);
        // (the frame's rounded corners show what lies behind them, so the outer 4 pixels are left out)
        for (int y = 4; y < own.height() - 4; ++y)
            for (int x = 4; x < own.width() - 4; ++x)
                if (seen.pixel(x, y) != own.pixel(x, y) && differ++ == 0) first = QPoint(x, y);
        EXPECT_EQ(differ, 0) << frame->FrameTitle().toStdString() << " first at " << first.x() << ","
                             << first.y();
    }
    // Below the 589-pixel frames the empty MDI background shows.
    const QColor below(shot.pixel(area + QPoint(230, 600)));
    EXPECT_EQ(below.rgb(), Main()->MdiArea()->background().color().rgb());
    // The main toolbar's Save button shows its blue disk.
    QToolBar* bar = Main()->MainToolBar();
    const QRect button = bar->actionGeometry(bar->actions()[2]).translated(bar->mapTo(Main(), QPoint(0, 0)));
    int blue = 0;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x) {
            const QColor c(shot.pixel(x, y));
            blue += c.blue() > 150 && c.red() < 90 ? 1 : 0;
        }
    EXPECT_GE(blue, 40);
}

TEST(AboutBox, NamesTheProgramAndItsVersion) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About TORVA_FEM");
    auto* version = about.findChild<QLabel*>("version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QString("TORVA_FEM, Version ") + TORVA_VERSION);
    EXPECT_TRUE(about.isModal());
}

} // namespace
} // namespace torva
