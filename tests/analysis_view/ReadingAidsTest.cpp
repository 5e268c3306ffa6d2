// The analysis view's reading aids, driven through the real window: the model fitted centred on opening
// and by a double-click, the wheel zooming about the cursor, the deformation drawn at a readable scale
// with a multiplier of the window's own, supports, the control node and the output element drawn where
// they are, the legend saying "No results" before an analysis, and "Default Size" asking before it
// discards results.
#include "AnalysisViewFixture.h"
#include "analysis/DeformationScale.h"
#include "analysis/OverlayText.h"
#include "drawing/Label.h"
#include "drawing/ModelMarks.h"
#include "drawing/Pixels.h"
#include "drawing/ResponseGraphs.h"
#include "drawing/StressLegend.h"
#include "framework/MessageService.h"

#include <QComboBox>
#include <QRadioButton>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

namespace torva {
namespace {

using test::AnalysisViewTest;
using test::Count;
using test::IsPureRed;

bool IsColour(QRgb c, const QColor& colour) {
    return (c & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF);
}

// Right of the legend, whose colour bar holds every hue.
constexpr int kPlotLeft = 100;

// The bounding box of the pixels of one class right of the legend.
QRect BoxOf(const QImage& image, const test::PixelClass& is) {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = kPlotLeft; x < image.width(); ++x)
            if (is(image.pixel(x, y))) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The centre of the pixels of one class within 20 pixels of `near`.
QPointF CentreOf(const QImage& image, QPoint near, const test::PixelClass& is) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = std::max(0, near.y() - 20); y <= std::min(image.height() - 1, near.y() + 20); ++y)
        for (int x = std::max(0, near.x() - 20); x <= std::min(image.width() - 1, near.x() + 20); ++x)
            if (is(image.pixel(x, y))) sx += x, sy += y, ++n;
    return n == 0 ? QPointF(-1, -1) : QPointF(sx / n, sy / n);
}

class ReadingAidsTest : public AnalysisViewTest {
protected:
    QPoint NodePixel(int node) const {
        const Projection& p = Scene().projection;
        const bool shown = State().analysisDone == 1;
        const Mesh& mesh = Session().GetMesh();
        const float x = float(shown ? Scene().shownX[size_t(node)] : mesh.nodeX[node]);
        const float y = float(shown ? Scene().shownY[size_t(node)] : mesh.nodeY[node]);
        return QPoint(TruncPixel(p.ScreenX(x)), TruncPixel(p.ScreenY(y)));
    }
    void Wheel(QPoint at, int delta) const {
        QWheelEvent event(QPointF(at), View()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(View(), &event);
    }
    void DoubleClick(QPoint at) const {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, at);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, at);
        Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, at);
    }
};

TEST_F(ReadingAidsTest, TheDeformedModelFillsMostOfTheViewTallOrWide) {
    // The 6 × 30 m example wall: its height decides.
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    QImage shot = Shot("tall");
    QRect red = BoxOf(shot, IsPureRed);
    EXPECT_GT(red.height(), shot.height() / 2) << red.height();
    // Drawn at 5 % of the height: the drift is about 0.05 × 30 m at the model's scale, far from a pixel.
    const Projection& p = Scene().projection;
    EXPECT_GT(red.width() - (p.ScreenX(6000) - p.ScreenX(0)), 0.6 * 0.05 * 30000 * p.baseScale);

    // A low, wide wall of 10 × 2 elements: its width decides.
    StartOn(*test::WallModel(10, 2), "wide.fem");
    ASSERT_TRUE(Analyze());
    shot = Shot("wide");
    red = BoxOf(shot, IsPureRed);
    EXPECT_GT(red.width(), shot.width() / 2) << red.width();
    // Clear of the legend at the left.
    EXPECT_GE(red.left(), Projection::kMarginLeft - 2);
}

TEST_F(ReadingAidsTest, TheScaleIsAutomaticAndTheMultiplierBelongsToTheWindow) {
    StartOn(*test::WallModel(4, 4));
    ASSERT_TRUE(Analyze());
    Shot();
    const Mesh& mesh = Session().GetMesh();
    const double largest = LargestDisplacement(Scene().shownDisp.data(), mesh.nodeCount);
    ASSERT_GT(largest, 0.0);
    // The largest displacement drawn at 5 % of the 2000-mm wall: 100 mm.
    EXPECT_NEAR(Scene().automaticScale * largest, 100.0, 1e-3);
    ASSERT_TRUE(Run(cmd::kAmplifyResponse));
    EXPECT_EQ(View()->Control().multiplier, 2.0f);
    EXPECT_EQ(ScaleText(View()->Control().multiplier, Scene().automaticScale).substr(0, 6), "\u00D7 2.0");
    // The overlay at the top right shows it: black text pixels there, none before the text's place.
    const QImage shot = Shot("scale");
    EXPECT_GT(Count(shot, QRect(shot.width() - 120, kOverlayTextY, 112, 12), test::IsBlack), 20);
}

TEST_F(ReadingAidsTest, ADoubleClickFitsTheModelAgainAfterAZoomAndAPan) {
    StartOn(*test::WallModel(3, 3));
    ASSERT_TRUE(Run(cmd::kActualSize));
    Shot();
    const Projection fitted = Scene().projection;
    Drag(Qt::LeftButton, {200, 200}, {230, 230}); // zoom by 0.6
    Drag(Qt::RightButton, {200, 200}, {150, 260});
    ASSERT_NE(Scene().projection.originX, fitted.originX);
    DoubleClick({250, 250});
    Shot("refitted");
    const Projection& p = Scene().projection;
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    EXPECT_FLOAT_EQ(p.baseScale, fitted.baseScale);
    EXPECT_EQ(p.originX, fitted.originX);
    EXPECT_EQ(p.originY, fitted.originY);
    // The double-click ended the drag its press began: a later move changes nothing.
    Mouse(QEvent::MouseMove, Qt::NoButton, {320, 330});
    EXPECT_FLOAT_EQ(Scene().projection.zoom, 1.0f);
    EXPECT_EQ(Scene().projection.originX, fitted.originX);
}

TEST_F(ReadingAidsTest, TheWheelZoomsAboutTheCursor) {
    StartOn(*test::WallModel(4, 4));
    ASSERT_TRUE(Analyze());
    const Mesh& mesh = Session().GetMesh();
    const int control = mesh.controlNodeIndex;
    ASSERT_GE(control, 0);
    QImage before = Shot("before");
    const auto orange = [](QRgb c) { return IsColour(c, ModelMarkColours::ControlNode()); };
    const QPoint cursor = NodePixel(control);
    const QPointF ring = CentreOf(before, cursor, orange);
    ASSERT_NEAR(ring.x(), cursor.x(), 1.5);
    ASSERT_NEAR(ring.y(), cursor.y(), 1.5);

    const int support = mesh.restraintNode[mesh.restraintCount - 1];
    const QPoint farBefore = NodePixel(support) - cursor;

    // Two notches in with the cursor on the control node: it stays under the cursor.
    const float zoom = Scene().projection.zoom;
    Wheel(cursor, 240);
    EXPECT_FLOAT_EQ(Scene().projection.zoom, zoom * 1.44f);
    QImage zoomed = Shot("zoomed");
    EXPECT_LE(std::abs(NodePixel(control).x() - cursor.x()), 1);
    EXPECT_LE(std::abs(NodePixel(control).y() - cursor.y()), 1);
    const QPointF after = CentreOf(zoomed, cursor, orange);
    EXPECT_NEAR(after.x(), ring.x(), 1.5);
    EXPECT_NEAR(after.y(), ring.y(), 1.5);
    // The rest of the model grew about it: a support is 1.44 times as far from the cursor.
    const QPoint far = NodePixel(support) - cursor;
    EXPECT_NEAR(far.x(), 1.44 * farBefore.x(), 2.0);
    EXPECT_NEAR(far.y(), 1.44 * farBefore.y(), 2.0);

    // Elsewhere: the model point under a corner of the view stays there too.
    const QPoint corner(View()->width() - 30, View()->height() - 30);
    const Projection& p = Scene().projection;
    const float mx = (corner.x() - p.originX) / (p.zoom * p.baseScale);
    Wheel(corner, -120);
    EXPECT_NEAR(Scene().projection.ScreenX(mx), corner.x(), 1.0);
}

TEST_F(ReadingAidsTest, SupportsControlNodeAndOutputElementAreDrawnWhereTheyAre) {
    auto model = test::WallModel(4, 3);
    // The base row keeps its pins; one roller in x on the right.
    model->Prop(kBoundaryLayer, 2, 0) = 2; // type 2: fixed in y only
    model->Flag(6, 3, kBoundaryLayer) = 1;
    model->Type(6, 3, kBoundaryLayer) = 2;
    StartOn(*model);
    // Output element 1 at plan position (3, 3) (a .fem file does not keep output elements).
    Edit([](CFramePat& shown) {
        shown.outputElements[0] = PositionCode(3, 3);
        shown.outputCount = 1;
        shown.activeOutput = PositionCode(3, 3);
    });
    ASSERT_TRUE(Run(cmd::kActualSize));
    const QImage shot = Shot("marks");
    const Mesh& mesh = Session().GetMesh();
    ASSERT_GE(mesh.restraintCount, 6);
    const auto brown = [](QRgb c) { return IsColour(c, ModelMarkColours::Support()); };
    for (int i = 0; i < mesh.restraintCount; ++i) {
        const QPoint node = NodePixel(mesh.restraintNode[i]);
        const int s = ModelMarks::kSupportSize;
        // Below the node for a pin or a roller in x.
        EXPECT_GT(Count(shot, QRect(node.x() - s, node.y(), 2 * s + 1, s + 4), brown), 10) << i;
        // The hollow roller differs from a filled pin: white inside its triangle.
        const QRgb inside = shot.pixel(node + QPoint(0, s - 2));
        if (mesh.restraintDir[i] == kFixedY)
            EXPECT_FALSE(brown(inside)) << i;
        else
            EXPECT_TRUE(brown(inside)) << i;
    }
    // No brown away from the supports: the top-left quarter of the model.
    EXPECT_EQ(Count(shot, QRect(NodePixel(mesh.controlNodeIndex) + QPoint(15, 15), QSize(30, 30)), brown), 0);

    // The control node's ring is centred on it.
    const QPoint control = NodePixel(mesh.controlNodeIndex);
    const QPointF ring =
        CentreOf(shot, control, [](QRgb c) { return IsColour(c, ModelMarkColours::ControlNode()); });
    EXPECT_NEAR(ring.x(), control.x(), 1.5);
    EXPECT_NEAR(ring.y(), control.y(), 1.5);

    // The output element's frame runs along its outline, in the active colour.
    const int element = AnalysisScene::OutputElementOf(MeshViewOf(mesh));
    ASSERT_GE(element, 0);
    const QPoint a = NodePixel(mesh.ElementNode(element, 0)), b = NodePixel(mesh.ElementNode(element, 2));
    const QRect frame = QRect(a, b).normalized();
    const auto blue = [](QRgb c) { return IsColour(c, ModelMarkColours::ActiveOutput()); };
    EXPECT_GT(Count(shot, QRect(frame.left() - 1, frame.top() - 1, frame.width() + 2, 3), blue),
              frame.width() * 2);
    EXPECT_EQ(Count(shot, frame.adjusted(4, 4, -4, -4), blue), 0);
}

TEST_F(ReadingAidsTest, TheLegendSaysNoResultsBeforeAnAnalysisAndHasRoundTicksAfter) {
    StartOn(*test::WallModel(4, 4));
    ASSERT_TRUE(Run(cmd::kActualSize));
    const QRect bar(ColourScale::kLegendX, ColourScale::kLegendTop + 20, ColourScale::kLegendWidth, 100);
    const auto coloured = [](QRgb c) { return qRed(c) != qGreen(c) || qGreen(c) != qBlue(c); };
    const QImage before = Shot("before");
    EXPECT_EQ(Count(before, bar, coloured), 0);
    // "No results" written where the bar will be.
    EXPECT_GT(Count(before, QRect(ColourScale::kLoTextX, ColourScale::kLegendTop, 60, 14), test::IsBlack),
              20);
    ASSERT_TRUE(RunAnalyze());
    const QImage after = Shot("after");
    EXPECT_EQ(Count(after, bar, coloured), bar.width() * bar.height());
    // Every tick mark stands beside the bar at its value's row.
    const ColourScale& colours = *View()->CurrentPaintInput().colours;
    const auto ticks =
        StressLegend::Ticks(colours.Lo(), colours.Hi(), StressLegend::BarRows(View()->height()));
    ASSERT_GE(ticks.size(), 2u);
    for (const LegendTick& tick : ticks)
        EXPECT_TRUE(test::IsBlack(after.pixel(StressLegend::kTickX - 1, tick.row))) << tick.value;
}

TEST_F(ReadingAidsTest, TheStressStrainViewWithoutAnOutputElementSaysHowToChooseOne) {
    StartOn(*test::WallModel(3, 3));
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 30));
    Frame()->ViewList()->setCurrentIndex(kGraphConcreteStressStrain);
    ASSERT_TRUE(Run(cmd::kViewCombo));
    const QImage shot = Shot("no-output-element");
    const int h = View()->height();
    const QRect strip(0, h - ResponseGraphs::kStripHeight, shot.width(), ResponseGraphs::kStripHeight);
    // No empty plots in the strip, the hint across its middle.
    EXPECT_EQ(Count(shot, strip, test::IsPureBlue), 0);
    const int middle = strip.top() + ResponseGraphs::kStripHeight / 2;
    EXPECT_GT(Count(shot, QRect(0, middle - 8, shot.width(), 16), test::IsBlack), 100);
    EXPECT_EQ(Count(shot, QRect(0, strip.top(), shot.width(), 90), test::IsBlack), 0);
}

TEST_F(ReadingAidsTest, DefaultSizeAsksBeforeItDiscardsTheResults) {
    StartOn(*test::WallModel(3, 3));
    // Without results it asks nothing.
    ASSERT_TRUE(Run(cmd::kDefaultSize));
    EXPECT_TRUE(messages.Texts().isEmpty());
    ASSERT_TRUE(Analyze());
    messages.Clear();

    messages.QueueAnswer(MessageAnswer::No);
    ASSERT_TRUE(Run(cmd::kDefaultSize));
    EXPECT_EQ(messages.Last(), QString::fromLatin1(kDefaultSizeDiscardsText));
    EXPECT_EQ(State().analysisDone, 1);
    EXPECT_EQ(State().sizeMode, 1);
    EXPECT_GT(Count(Shot("kept"), IsPureRed), 100);

    messages.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(Run(cmd::kDefaultSize));
    EXPECT_EQ(messages.Texts().size(), 2);
    EXPECT_EQ(State().analysisDone, 0);
    EXPECT_EQ(State().sizeMode, 0);
    EXPECT_EQ(Count(Shot("discarded"), IsPureRed), 0);
}

} // namespace
} // namespace torva
