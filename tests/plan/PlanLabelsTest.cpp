// The marks of the plan kept apart and readable: node rings never reach the type labels, whatever the
// label and the zoom, and every label reads on its fill by the WCAG contrast ratio, worked out here.
#include "PlanTestSupport.h"
#include "PlanViewFixture.h"
#include "plan/CellGrid.h"
#include "plan/CellLayout.h"
#include "plan/ReadableText.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace torva {
namespace {

using test::CountColour;
using test::PlanViewTest;
using test::RenderPlan;
using test::Rgb;

// The WCAG 2 contrast ratio, from its definition.
double Channel(int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Luminance(unsigned rgb) {
    return 0.2126 * Channel((rgb >> 16) & 0xFF) + 0.7152 * Channel((rgb >> 8) & 0xFF) +
           0.0722 * Channel(rgb & 0xFF);
}
double Ratio(unsigned a, unsigned b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
unsigned RgbOf(const QColor& colour) {
    return colour.rgb() & 0xFFFFFFu;
}

// The labels the plan can show: every letter with every assignable type.
std::vector<QString> AllTypeLabels() {
    std::vector<QString> labels;
    for (int layer = kPointForceLayer; layer <= kFibreLayer; ++layer)
        for (int type = 1; type <= 10; ++type) labels.push_back(CellGrid::LabelText(layer, type));
    return labels;
}

// The rings of a square's four corner nodes.
std::vector<QRect> CornerRings(int px, int py) {
    return {NodeRingRect(px, py), NodeRingRect(px + kCellPixels, py), NodeRingRect(px, py + kCellPixels),
            NodeRingRect(px + kCellPixels, py + kCellPixels)};
}

TEST(PlanLabelLayout, TypeLabelsKeepClearOfTheFourRingsAroundTheirSquare) {
    CellGrid grid;
    const int px = CellLeft(7), py = CellTop(5);
    for (const QString& text : AllTypeLabels()) {
        const QRectF label = TypeLabelRect(px, py, grid.LabelSize(text));
        EXPECT_GE(label.height(), 10.0) << text.toStdString(); // a real measure, not an empty box
        EXPECT_TRUE(QRectF(px, py, kCellPixels, kCellPixels).contains(label)) << text.toStdString();
        for (const QRect& ring : CornerRings(px, py))
            EXPECT_FALSE(label.intersects(QRectF(ring))) << text.toStdString();
    }
    // Rings of neighbouring nodes stay apart too.
    EXPECT_FALSE(NodeRingRect(px, py).intersects(NodeRingRect(px + kCellPixels, py)));
}

TEST(PlanLabelLayout, AtEveryZoomTheTextStillFitsBetweenTheRings) {
    // The plan is drawn scaled, so the layout holds at every zoom as long as the text, laid out at the
    // zoomed size, is no taller (in plan pixels) than the room between the rings.
    CellGrid grid;
    std::vector<double> zooms;
    for (double z = 1.0; z >= CTorvaView::kMinZoom; z /= CTorvaView::kZoomStep) zooms.push_back(z);
    for (double z = 1.0; z <= CTorvaView::kMaxZoom; z *= CTorvaView::kZoomStep) zooms.push_back(z);
    zooms.push_back(CTorvaView::kMaxZoom);
    for (double zoom : zooms) {
        const int pixels = static_cast<int>(std::lround(CellGrid::kFontPixels * zoom));
        if (pixels < 6) continue; // too small to read: a blur either way
        QFont font = grid.Font();
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        for (const QString& text : AllTypeLabels()) {
            const QSizeF size(metrics.horizontalAdvance(text) / zoom, metrics.height() / zoom);
            const QRectF label = TypeLabelRect(CellLeft(3), CellTop(3), size);
            for (const QRect& ring : CornerRings(CellLeft(3), CellTop(3)))
                EXPECT_FALSE(label.intersects(QRectF(ring))) << text.toStdString() << " at zoom " << zoom;
        }
    }
}

TEST_F(PlanViewTest, RingsAroundALabelledSquareLeaveItsLabelUntouched) {
    // Square (4, 3) with a concrete type, then the same with support items at its four corner nodes:
    // the rings appear at the corners and the label's pixels stay exactly as they were.
    CFramePat& m = Model();
    m.Flag(4, 3, kConcreteLayer) = 1;
    m.Type(4, 3, kConcreteLayer) = 2;
    m.LoadCurrentLayer();
    view->OnUpdate(nullptr, 0);
    const QImage plain = Screen();
    for (int x : {4, 5})
        for (int y : {3, 4}) m.Flag(x, y, kBoundaryLayer) = 1;
    view->OnUpdate(nullptr, 0);
    const QImage ringed = Screen();

    const int px = CellLeft(4), py = CellTop(3);
    const QRect label = TypeLabelRect(px, py, view->Grid().LabelSize("E2")).toAlignedRect();
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.left(); x <= label.right(); ++x)
            ASSERT_EQ(Rgb(ringed, x, y), Rgb(plain, x, y)) << x - px << "," << y - py;
    // The label is there, and so are the rings.
    const unsigned fill = RgbOf(ColorFromRef(m.Color(kConcreteLayer, 2)));
    EXPECT_GT(label.width() * label.height() - CountColour(plain, label, fill), 20);
    const unsigned ring = RgbOf(ColorFromRef(kCellPalette[kOtherLayer]));
    for (const QRect& corner : CornerRings(px, py)) {
        EXPECT_GT(CountColour(ringed, corner, ring), 12);
        EXPECT_EQ(CountColour(plain, corner, ring), 0);
    }
}

TEST(PlanLabelContrast, BlackOrWhiteReadsOnAnyFill) {
    // Greys through the point where black and white read alike, and saturated colours.
    std::vector<unsigned> fills;
    for (unsigned v = 0; v < 256; ++v) fills.push_back(v * 0x010101u);
    for (unsigned rgb : {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u, 0x00FFFFu, 0xFF00FFu, 0xFF1493u,
                         0xB45A0Au, 0x808000u, 0x008080u, 0x767676u, 0x777777u})
        fills.push_back(rgb);
    for (unsigned fill : fills) {
        const unsigned text = RgbOf(ReadableTextOn(QColor::fromRgb(fill)));
        EXPECT_TRUE(text == 0x000000u || text == 0xFFFFFFu);
        EXPECT_GE(Ratio(text, fill), 4.5) << std::hex << fill;
        // Never the weaker of the two.
        EXPECT_GE(Ratio(text, fill), Ratio(text ^ 0xFFFFFFu, fill) - 1e-9) << std::hex << fill;
    }
}

TEST(PlanLabelContrast, EveryTypeColourAndDiscCarriesAReadableLabel) {
    // Each type of every element layer, and the node layers' discs, drawn as the plan draws them: the
    // label's own pixels contrast with the fill by at least 4.5 : 1.
    for (int layer = kPointForceLayer; layer <= kFibreLayer; ++layer)
        for (int type = 1; type <= 10; ++type) {
            CFramePat model;
            model.curLayer = layer;
            model.Flag(3, 3, layer) = 1;
            model.Type(3, 3, layer) = static_cast<uint8_t>(type);
            if (layer == kRebarLayer) model.Flag(3, 3, kConcreteLayer) = 1;
            model.LoadCurrentLayer();
            const QImage image = RenderPlan(model);
            CellGrid grid;
            const QSizeF size = grid.LabelSize(CellGrid::LabelText(layer, type));
            const int px = CellLeft(3), py = CellTop(3);
            const bool node = layer < kConcreteLayer;
            const QRect label =
                (node ? NodeLabelRect(px, py, size) : TypeLabelRect(px, py, size)).toAlignedRect();
            const unsigned fill =
                node ? Rgb(image, px + 9, py + 9) : RgbOf(ColorFromRef(model.Color(layer, type)));
            if (!node) {
                EXPECT_EQ(Rgb(image, px + 26, py + 26), fill) << layer << "/" << type;
            }
            double best = 1.0;
            for (int y = label.top(); y <= label.bottom(); ++y)
                for (int x = label.left(); x <= label.right(); ++x)
                    best = std::max(best, Ratio(Rgb(image, x, y), fill));
            EXPECT_GE(best, 4.5) << "layer " << layer << " type " << type << " fill " << std::hex << fill;
        }
}

} // namespace
} // namespace torva
