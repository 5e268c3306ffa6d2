// Pixels of the plan drawing: squares, colours, span and type labels, node markers, overlays, partial draws.
#include "plan/CellGrid.h"

#include "plan/PlanTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace torva;
using namespace torva::test;

namespace {

constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kLightGrey = 0xDCDCDC;
constexpr unsigned kGrey = 0xB4B4B4;
constexpr unsigned kMidGrey = 0x969696;
constexpr unsigned kBlack = 0x000000;
constexpr unsigned kBlue = 0x0000FF;   // concrete type 1 (stored as COLORREF 0xFF0000)
constexpr unsigned kGreen = 0x00FF00;  // concrete type 3
constexpr unsigned kYellow = 0xFFFF00; // concrete type 4 (stored as 0x00FFFF)
constexpr unsigned kPink = 0xFF1493;
constexpr unsigned kBrown = 0xB45A0A;
constexpr unsigned kOrange = 0xFF8C00;
constexpr unsigned kSkyBlue = 0x00BFFF;
constexpr unsigned kGold = 0xFFD700;

std::unique_ptr<CFramePat> NewModel() {
    return std::make_unique<CFramePat>();
}

void Set(CFramePat& m, int x, int y, int layer, int type = 1) {
    m.Flag(x, y, layer) = 1;
    m.Type(x, y, layer) = static_cast<uint8_t>(type);
    if (layer == m.curLayer) m.LoadCurrentLayer();
}

void SelectLayer(CFramePat& m, int layer) {
    m.StoreCurrentLayer();
    m.curLayer = layer;
    m.LoadCurrentLayer();
}

} // namespace

TEST(CellGrid, PaletteConvertsColorRefByteOrder) {
    EXPECT_EQ(ColorFromRef(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColorFromRef(0x9314FF), QColor(0xFF, 0x14, 0x93));
    EXPECT_EQ(ColorFromRef(0x0A5AB4), QColor(0xB4, 0x5A, 0x0A));
    EXPECT_EQ(ColorFromRef(0x00123456), QColor(0x56, 0x34, 0x12));
}

TEST(CellGrid, OneCellObjectForEveryPositionRebuiltPerModel) {
    CellGrid grid;
    EXPECT_EQ(grid.CellCount(), 0);
    EXPECT_FALSE(grid.HasCell(2, 2));
    auto m = NewModel();
    grid.Rebuild(m.get());
    EXPECT_EQ(grid.CellCount(), 10404);
    EXPECT_TRUE(grid.HasCell(0, 0));
    EXPECT_TRUE(grid.HasCell(101, 101));
    EXPECT_FALSE(grid.HasCell(102, 5));
    EXPECT_FALSE(grid.HasCell(-1, 5));
    grid.Rebuild(nullptr);
    EXPECT_EQ(grid.CellCount(), 0);
}

TEST(CellGrid, NewModelShowsTenByTenLightGreySquaresWithSpanLabelsAndNoTypeLabels) {
    auto m = NewModel();
    const QImage image = RenderPlan(*m);
    for (int x = 2; x <= 11; ++x)
        for (int y = 2; y <= 11; ++y) {
            SCOPED_TRACE(testing::Message() << "square " << x << ", " << y);
            EXPECT_EQ(CountOther(image, SquareInside(x, y), kLightGrey), 0); // plain grey, no label
            EXPECT_EQ(Rgb(image, CellLeft(x), CellTop(y) + 10), kWhite);     // border
            EXPECT_EQ(Rgb(image, CellLeft(x) + 29, CellTop(y) + 10), kWhite);
        }
    // The node line after the last element carries no square, and nothing was left undrawn.
    EXPECT_EQ(CountOther(image, QRect(CellLeft(12), CellTop(2), 60, 300), kWhite), 0);
    EXPECT_EQ(CountColour(image, image.rect(), 0xFF0000), 0);

    // X labels over columns 2..11: an underline from px + 3 to px + 26 and black text; none over 12.
    for (int x = 2; x <= 11; ++x) {
        SCOPED_TRACE(testing::Message() << "column " << x);
        const int px = CellLeft(x), line = CellTop(0) + 30;
        EXPECT_EQ(CountColour(image, QRect(px + 3, line, 24, 1), kBlack), 24);
        EXPECT_EQ(Rgb(image, px + 2, line), kWhite);
        EXPECT_EQ(Rgb(image, px + 27, line), kWhite);
        EXPECT_GT(CountColour(image, QRect(px + 3, CellTop(0) + 6, 24, 16), kBlack), 10);
    }
    EXPECT_EQ(CountOther(image, QRect(CellLeft(12), 0, 60, CellTop(2) - 16), kWhite), 0);
    // Y labels beside rows 2..11, a vertical line at px + 30.
    for (int y = 2; y <= 11; ++y) {
        SCOPED_TRACE(testing::Message() << "row " << y);
        const int py = CellTop(y), line = CellLeft(0) + 30;
        EXPECT_EQ(CountColour(image, QRect(line, py + 3, 1, 24), kBlack), 24);
        EXPECT_GT(CountColour(image, QRect(CellLeft(0) + 3, py + 6, 24, 16), kBlack), 10);
    }
    // Line 1 and the corner stay empty.
    EXPECT_EQ(CountOther(image, QRect(0, 0, CellLeft(1) + 29, CellTop(1) - 1), kWhite), 0);
}

TEST(CellGrid, SpanLabelShowsItsSpanTypeNumber) {
    auto m = NewModel();
    const QImage before = RenderPlan(*m);
    m->SpanTypeOf(kAxisX, 5) = 7;
    const QImage after = RenderPlan(*m);
    const QRect label5(CellLeft(5), 0, 30, CellTop(1));
    const QRect label4(CellLeft(4), 0, 30, CellTop(1));
    EXPECT_NE(before.copy(label5), after.copy(label5));
    EXPECT_EQ(before.copy(label4), after.copy(label4));
    EXPECT_EQ(after.copy(label4), after.copy(label4.translated(CellLeft(6) - CellLeft(4), 0)));
}

TEST(CellGrid, ConcreteSquaresTakeTheirTypeColourAndLabel) {
    auto m = NewModel();
    Set(*m, 3, 4, kConcreteLayer, 1);
    Set(*m, 5, 6, kConcreteLayer, 3);
    Set(*m, 7, 8, kConcreteLayer, 4);
    const QImage image = RenderPlan(*m);
    EXPECT_EQ(Rgb(image, CellLeft(3) + 25, CellTop(4) + 25), kBlue);
    EXPECT_EQ(Rgb(image, CellLeft(5) + 25, CellTop(6) + 25), kGreen);
    EXPECT_EQ(Rgb(image, CellLeft(7) + 25, CellTop(8) + 25), kYellow);
    // "E1" in white inside the square, starting 3 pixels in and 6 down.
    EXPECT_GT(CountColour(image, QRect(CellLeft(3) + 3, CellTop(4) + 6, 24, 16), kWhite), 15);
    EXPECT_EQ(CountOther(image, QRect(CellLeft(3) + 1, CellTop(4) + 1, 28, 5), kBlue), 0);

    // On light colours the white label gets a dark shadow; on dark ones it stands alone.
    auto dark = [&](const QRect& r) {
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = QColor::fromRgb(image.pixel(x, y));
                if (c.red() + c.green() + c.blue() < 200) ++count;
            }
        return count;
    };
    EXPECT_GT(dark(SquareInside(7, 8)), 10);
    EXPECT_GT(dark(SquareInside(5, 6)), 10);
    EXPECT_EQ(dark(SquareInside(3, 4)), 0);

    // Different type numbers draw different labels.
    const QRect e3 = SquareInside(5, 6), e1 = SquareInside(3, 4);
    auto mask = [&](const QRect& r) {
        QImage out(r.size(), QImage::Format_Mono);
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                out.setPixel(x, y, Rgb(image, r.left() + x, r.top() + y) == kWhite ? 1 : 0);
        return out;
    };
    EXPECT_NE(mask(e1), mask(e3));
}

TEST(CellGrid, ElementOfAnotherLayerIsGreyAndStorageLayerIsBlack) {
    auto m = NewModel();
    Set(*m, 3, 3, kConcreteLayer);
    Set(*m, 4, 4, kConcreteLayer);
    Set(*m, 4, 4, kRebarLayer, 2);
    SelectLayer(*m, kRebarLayer);
    QImage image = RenderPlan(*m);
    EXPECT_EQ(CountOther(image, SquareInside(3, 3), kGrey), 0);
    EXPECT_EQ(Rgb(image, CellLeft(4) + 25, CellTop(4) + 25), 0x0000FF); // rebar type 2: palette[0]
    EXPECT_EQ(CountOther(image, SquareInside(5, 5), kLightGrey), 0);

    Set(*m, 6, 6, kFirstStorageLayer);
    SelectLayer(*m, kFirstStorageLayer);
    image = RenderPlan(*m);
    EXPECT_EQ(Rgb(image, CellLeft(6) + 25, CellTop(6) + 25), kBlack);
    // layersShown is 4: the storage layer's own flag does not mark the square for other layers.
    SelectLayer(*m, 6);
    Set(*m, 6, 6, 6);
    image = RenderPlan(*m);
    EXPECT_EQ(Rgb(image, CellLeft(3) + 25, CellTop(3) + 25), kGrey);
    EXPECT_EQ(Rgb(image, CellLeft(6) + 25, CellTop(6) + 25), kLightGrey);
}

TEST(CellGrid, PointForceNodeShowsRingElsewhereAndPinkDiscWithLabelInItsLayer) {
    auto m = NewModel();
    Set(*m, 4, 5, kPointForceLayer);
    const int px = CellLeft(4), py = CellTop(5);

    QImage image = RenderPlan(*m); // concrete layer: a small grey ring around the node
    EXPECT_GT(CountColour(image, QRect(px + 4, py - 2, 3, 5), kGrey), 0);
    EXPECT_GT(CountColour(image, QRect(px - 2, py + 4, 5, 3), kGrey), 0);
    EXPECT_GT(CountColour(image, QRect(px - 6, py - 2, 3, 5), kGrey), 0);
    EXPECT_EQ(Rgb(image, px + 2, py + 2), kLightGrey); // hollow
    EXPECT_EQ(Rgb(image, px + 8, py + 8), kLightGrey); // and no bigger
    EXPECT_EQ(CountColour(image, QRect(px - 15, py - 15, 31, 31), kPink), 0);

    SelectLayer(*m, kPointForceLayer);
    image = RenderPlan(*m);
    EXPECT_EQ(Rgb(image, px + 9, py + 9), kPink); // disc, around the label
    EXPECT_EQ(Rgb(image, px - 9, py + 9), kPink);
    // "P1" centred on the node, in black: white reads worse on deep pink.
    EXPECT_GT(CountColour(image, QRect(px - 8, py - 7, 16, 14), kBlack), 10);
    EXPECT_EQ(CountColour(image, QRect(px - 8, py - 7, 16, 14), kWhite), 0);
    // Node layers draw the span labels in mid grey.
    EXPECT_EQ(Rgb(image, CellLeft(3) + 10, CellTop(0) + 30), kMidGrey);
    EXPECT_EQ(Rgb(image, CellLeft(0) + 30, CellTop(3) + 10), kMidGrey);

    SelectLayer(*m, kBoundaryLayer);
    Set(*m, 8, 8, kBoundaryLayer);
    image = RenderPlan(*m);
    EXPECT_EQ(Rgb(image, CellLeft(8) + 8, CellTop(8) + 8), kBrown);
    EXPECT_EQ(Rgb(image, px + 5, py + 5), kLightGrey); // the force node is only a ring here
}

TEST(CellGrid, NodesOnTheLastLineAreDrawnWithoutSquares) {
    auto m = NewModel();
    Set(*m, 12, 12, kBoundaryLayer); // the corner node after the last element
    const QImage image = RenderPlan(*m);
    const int px = CellLeft(12), py = CellTop(12);
    EXPECT_EQ(Rgb(image, px + 5, py + 5), kWhite); // no square
    EXPECT_GT(CountColour(image, QRect(px - 15, py - 15, 31, 31), kGrey), 10);
}

TEST(CellGrid, CheckModeOverlaysShowControlNodeAndNumberedOutputs) {
    auto m = NewModel();
    for (int x = 2; x < 6; ++x) Set(*m, x, 3, kConcreteLayer);
    m->controlNode = PositionCode(6, 7);
    m->outputElements[0] = PositionCode(2, 3);
    m->outputElements[1] = PositionCode(4, 3);
    m->outputCount = 2;
    m->activeOutput = PositionCode(4, 3);

    // Outside the check modes both are drawn all the same, in a lighter style: an orange ring that
    // leaves the node's middle alone and a two-pixel frame.
    const QImage plain = RenderPlan(*m);
    EXPECT_EQ(Rgb(plain, CellLeft(6) + 12, CellTop(7)), kOrange);
    EXPECT_EQ(Rgb(plain, CellLeft(6), CellTop(7) - 12), kOrange);
    EXPECT_NE(Rgb(plain, CellLeft(6) + 5, CellTop(7) + 5), kOrange);
    EXPECT_EQ(Rgb(plain, CellLeft(2) - 1, CellTop(3) + 15), 0x00FF00u);
    EXPECT_EQ(Rgb(plain, CellLeft(2), CellTop(3) + 15), 0x00FF00u);
    EXPECT_NE(Rgb(plain, CellLeft(2) + 1, CellTop(3) + 15), 0x00FF00u);
    EXPECT_EQ(Rgb(plain, CellLeft(4), CellTop(3) + 15), kSkyBlue);
    EXPECT_GT(CountColour(plain, QRect(CellLeft(2) + 20, CellTop(3), 12, 14), kGold), 3);

    const QImage image = RenderPlan(*m, {true, true});
    EXPECT_EQ(Rgb(image, CellLeft(6) + 5, CellTop(7) + 5), kOrange);
    EXPECT_EQ(Rgb(image, CellLeft(6) - 5, CellTop(7) - 5), kOrange);
    // Outputs: a 4-pixel frame, green, the active one sky blue, and the slot number in gold.
    const int px = CellLeft(2), py = CellTop(3);
    for (int d = -2; d <= 1; ++d) EXPECT_EQ(Rgb(image, px + d, py + 15), 0x00FF00) << d;
    EXPECT_EQ(Rgb(image, px + 2, py + 15), kBlue);
    EXPECT_EQ(Rgb(image, CellLeft(4), CellTop(3) + 15), kSkyBlue);
    EXPECT_GT(CountColour(image, QRect(px + 20, py, 12, 14), kGold), 3);
    EXPECT_GT(CountColour(image, QRect(CellLeft(4) + 20, py, 12, 14), kGold), 3);

    // A control node on a label line is not drawn.
    m->controlNode = PositionCode(0, 7);
    EXPECT_EQ(CountColour(RenderPlan(*m, {true, false}), QRect(0, 0, 600, 600), kOrange), 0);
}

TEST(CellGrid, DrawingInPiecesEqualsDrawingTheWhole) {
    auto m = NewModel();
    m->nxs = 22;
    m->nys = 20;
    std::mt19937 random(7);
    for (int layer = 0; layer <= kFibreLayer; ++layer)
        for (int i = 0; i < 150; ++i) {
            const int x = 2 + random() % 21, y = 2 + random() % 19;
            if (layer >= kRebarLayer && !m->Flag(x, y, kConcreteLayer)) continue;
            m->Flag(x, y, layer) = 1;
            m->Type(x, y, layer) = 1 + random() % 10;
        }
    for (int slot = 0; slot < 6; ++slot) {
        m->outputElements[slot] = PositionCode(3 + 3 * slot, 4 + slot);
    }
    m->outputCount = 6;
    m->activeOutput = m->outputElements[2];
    m->controlNode = PositionCode(9, 9);
    const QSize size(760, 700);

    for (int layer : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(testing::Message() << "layer " << layer);
        SelectLayer(*m, layer);
        const PlanOverlay overlay{layer == 1, layer == 2};
        const QImage whole = RenderPlan(*m, overlay, size);

        CellGrid grid;
        grid.Rebuild(m.get());
        QImage pieces(size, QImage::Format_RGB32);
        pieces.fill(Qt::red);
        QPainter painter(&pieces);
        // Tiles of awkward sizes that cut through squares, nodes and labels.
        for (int top = 0; top < size.height(); top += 37)
            for (int left = 0; left < size.width(); left += 53)
                grid.Draw(painter, QRect(left, top, 53, 37), overlay);
        // And a few overlapping exposures on top.
        for (int i = 0; i < 20; ++i)
            grid.Draw(painter, QRect(random() % 700, random() % 650, 1 + random() % 90, 1 + random() % 90),
                      overlay);
        painter.end();
        EXPECT_TRUE(pieces == whole);
    }
}

TEST(CellGrid, UsedRectCoversTheDrawnPlan) {
    auto m = NewModel();
    CellGrid grid;
    grid.Rebuild(m.get());
    const QRect used = grid.UsedRect();
    Set(*m, 13, 13, kPointForceLayer); // the furthest position ever drawn: line nxs + 1
    const QImage image = RenderPlan(*m, {}, QSize(700, 700));
    EXPECT_EQ(CountOther(image, QRect(used.right() + 1, 0, 700 - used.right() - 1, 700), kWhite), 0);
    EXPECT_EQ(CountOther(image, QRect(0, used.bottom() + 1, 700, 700 - used.bottom() - 1), kWhite), 0);
    EXPECT_LT(used.width(), 520);
}
