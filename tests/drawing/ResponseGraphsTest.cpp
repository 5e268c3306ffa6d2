// The four response graphs: mode rule, full-scale growth, plot layout, colours and empty histories.
#include "drawing/ResponseGraphs.h"

#include "Pixels.h"
#include "analysis/GraphScale.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <vector>

using namespace torva;
using namespace torva::test;

namespace {

constexpr int kWidth = 800;
constexpr int kRows = 8;

struct Histories {
    std::vector<float> control = std::vector<float>(2 * kRows, 0.0f);
    std::vector<double> gauss[4];
    std::vector<double> discrete[4];
    Histories() {
        for (auto& h : gauss) h.assign(18 * kRows, 0.0);
        for (auto& h : discrete) h.assign(2 * kRows, 0.0);
    }
    GraphHistories View() const {
        GraphHistories view;
        view.control = control.data();
        for (int q = 0; q < 4; ++q) {
            view.gauss[q] = gauss[q].data();
            view.discrete[q] = discrete[q].data();
        }
        return view;
    }
};

struct Drawn {
    QImage image;
    int counterX = 0;
    int counterY = 0;
};

Drawn Draw(const Histories& h, int kind, int count, int mode = 2, int counterX = 0, int counterY = 0) {
    Drawn drawn{WhiteImage(kWidth, ResponseGraphs::kStripHeight), counterX, counterY};
    GraphInput input;
    input.analysisMode = mode;
    input.kind = kind;
    input.width = kWidth;
    input.histories = h.View();
    input.firstRow = 1;
    input.count = count;
    QPainter painter(&drawn.image);
    ResponseGraphs::Draw(painter, input, drawn.counterX, drawn.counterY);
    // The scales the curve grows to, ready for the next paint, as the frame preparation finds them.
    if (mode == 2 && kind == kGraphForceDeformation)
        GraphScale::Settle(input.histories.control, input.firstRow, count, drawn.counterX, drawn.counterY);
    return drawn;
}

// Pixels of a class off the given horizontal and vertical axis lines.
int CountOffLines(const QImage& image, const PixelClass& is, const std::vector<int>& rows,
                  const std::vector<int>& columns) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!is(image.pixel(x, y))) continue;
            bool onLine = false;
            for (int r : rows) onLine |= y == r;
            for (int c : columns) onLine |= x == c;
            if (!onLine) ++n;
        }
    return n;
}

} // namespace

TEST(ResponseGraphs, ElasticModeLeavesTheStripWhiteWhateverTheKind) {
    Histories h;
    for (int i = 0; i < 2 * kRows; ++i) h.control[i] = 1.0f + i;
    for (auto& q : h.gauss) q.assign(q.size(), 0.5);
    for (auto& q : h.discrete) q.assign(q.size(), 0.5);
    for (int kind = 0; kind < 4; ++kind) {
        const Drawn drawn = Draw(h, kind, 5, /*mode*/ 1);
        EXPECT_EQ(Count(drawn.image, IsWhite), kWidth * ResponseGraphs::kStripHeight) << "kind " << kind;
        EXPECT_EQ(drawn.counterX, 0);
    }
}

TEST(ResponseGraphs, ForceDeformationScaleGrowsOneUnitPerPointBeyondIt) {
    Histories h;
    // Rows 1..3: 1 mm, 3 mm (beyond 2 mm), 5 mm (beyond 4 mm); the last force passes 1e5 N.
    const float d[3] = {1.0f, 3.0f, 5.0f};
    const float f[3] = {20000.0f, 50000.0f, 150000.0f};
    for (int k = 0; k < 3; ++k) {
        h.control[2 * (k + 1)] = d[k];
        h.control[2 * (k + 1) + 1] = f[k];
    }
    const Drawn first = Draw(h, kGraphForceDeformation, 3);
    EXPECT_EQ(first.counterX, 2); // 2 -> 4 -> 6 mm
    EXPECT_EQ(first.counterY, 1); // 1e5 -> 2e5 N

    // Each point is placed on the scale in force when it is reached: a = 400, origin (275, 180).
    // 1 mm of 2: x = 275 + 125; 3 mm of 2: x = 275 + 375; 5 mm of 4: x = 275 + 312.
    // 2e4 N of 1e5: y = 180 - 26; 5e4: y = 180 - 65; 1.5e5 of 1e5: y = 180 - 195.
    EXPECT_TRUE(Near(first.image, 400, 154, IsPureBlue));
    EXPECT_TRUE(Near(first.image, 650, 115, IsPureBlue));
    // The last point lies above the strip (y = -15): the segment towards it leaves through the top.
    EXPECT_GT(Count(first.image, QRect(580, 0, 80, 3), IsPureBlue), 0);

    // The next paint starts from the grown scales, which the same curve no longer passes.
    const Drawn second = Draw(h, kGraphForceDeformation, 3, 2, first.counterX, first.counterY);
    EXPECT_EQ(second.counterX, 2);
    EXPECT_EQ(second.counterY, 1);
    // 1 mm of 6: x = 275 + 41; 2e4 N of 2e5: y = 180 - 13.
    EXPECT_TRUE(Near(second.image, 316, 167, IsPureBlue));
    // Its labels differ from the first paint's (6.0 and 3.0 instead of 2.0 and 1.0).
    EXPECT_NE(first.image.copy(0, 185, kWidth, 20), second.image.copy(0, 185, kWidth, 20));

    // Negative values never grow the scales.
    h.control[2] = -9.0f;
    h.control[3] = -5e5f;
    const Drawn negative = Draw(h, kGraphForceDeformation, 1);
    EXPECT_EQ(negative.counterX, 0);
    EXPECT_EQ(negative.counterY, 0);
}

TEST(ResponseGraphs, AStepCounterOfZeroDrawsOnlyAxesAndLabels) {
    Histories h;
    for (int i = 0; i < 2 * kRows; ++i) h.control[i] = 0.7f * i;
    for (auto& q : h.gauss) q.assign(q.size(), 0.6);
    for (auto& q : h.discrete) q.assign(q.size(), -0.6);

    // Kind 0: blue only on the axes and ticks; the black labels are there.
    const Drawn forces = Draw(h, kGraphForceDeformation, 0);
    EXPECT_EQ(CountOffLines(forces.image, IsPureBlue, {180, 115, 50}, {275, 400, 525}), 0);
    EXPECT_GT(Count(forces.image, IsBlack), 50);
    EXPECT_EQ(forces.counterX, 0);

    // Kinds 1..3: nothing but the axis crosses, and for kind 3 its two labels.
    const Drawn concrete = Draw(h, kGraphConcreteStressStrain, 0);
    EXPECT_EQ(CountOffLines(concrete.image, IsPureBlue, {40, 110, 180}, {40, 110, 190, 260, 340, 410}), 0);
    EXPECT_EQ(Count(concrete.image, IsBlack), 0);
    const QImage joint = Draw(h, kGraphDiscreteForceDeformation, 0).image.copy(0, 0, kWidth, 160);
    EXPECT_EQ(CountOffLines(joint, IsPureBlue, {100}, {70, 170}), 0);
    EXPECT_EQ(CountOffLines(joint, IsPureRed, {100}, {280, 380}), 0);
    EXPECT_EQ(Count(joint, IsPureBlue), 2 * (91 + 91 - 1));
}

TEST(ResponseGraphs, StressStrainPlotsLieLikeTheGaussPoints) {
    Histories h;
    // Gauss point 9, x component (slot 8): strain 0.5, stress 1 at row 1.
    h.gauss[kConcreteStrain][18 + 8] = 0.5;
    h.gauss[kConcreteStress][18 + 8] = 1.0;
    // Gauss point 1, y component (slot 9): strain -1, stress -0.5.
    h.gauss[kConcreteStrain][18 + 9] = -1.0;
    h.gauss[kConcreteStress][18 + 9] = -0.5;
    const Drawn drawn = Draw(h, kGraphConcreteStressStrain, 1);
    // Plot (40, 40): line to (55, 10). Plot (410, 180): line to (380, 195).
    EXPECT_TRUE(Near(drawn.image, 55, 10, IsPureBlue));
    EXPECT_TRUE(Near(drawn.image, 47, 26, IsPureBlue));
    EXPECT_TRUE(Near(drawn.image, 380, 195, IsPureBlue));
    // Every other plot has only its cross: nothing off the axes but the two curves.
    const int offAxes = CountOffLines(drawn.image, IsPureBlue, {40, 110, 180}, {40, 110, 190, 260, 340, 410});
    EXPECT_GT(offAxes, 40);
    EXPECT_LT(offAxes, 70);
    EXPECT_EQ(ResponseGraphs::StressStrainCentre(6, 0), QPoint(190, 40));
    EXPECT_EQ(ResponseGraphs::StressStrainCentre(5, 1), QPoint(260, 110));
    EXPECT_EQ(ResponseGraphs::StressStrainCentre(3, 1), QPoint(410, 40));
    EXPECT_EQ(ResponseGraphs::StressStrainCentre(7, 0), QPoint(40, 180));
}

TEST(ResponseGraphs, ConcreteAndRebarDifferOnlyInColourAndData) {
    Histories a, b;
    for (int row = 1; row <= 4; ++row)
        for (int slot = 0; slot < 18; ++slot) {
            const double s = 0.2 * row * ((slot % 3) - 1);
            const double e = 0.15 * row * ((slot % 5) - 2);
            a.gauss[kConcreteStress][18 * row + slot] = s;
            a.gauss[kConcreteStrain][18 * row + slot] = e;
            a.gauss[kRebarStress][18 * row + slot] = -e; // what kind 2 would show of a
            b.gauss[kRebarStress][18 * row + slot] = s;
            b.gauss[kRebarStrain][18 * row + slot] = e;
        }
    const QImage concrete = Draw(a, kGraphConcreteStressStrain, 4).image;
    const QImage rebar = Draw(b, kGraphRebarStressStrain, 4).image;
    EXPECT_EQ(Count(rebar, IsPureBlue), 0);
    EXPECT_EQ(Count(concrete, IsPureRed), 0);
    int compared = 0;
    for (int y = 0; y < concrete.height(); ++y)
        for (int x = 0; x < concrete.width(); ++x) {
            ASSERT_EQ(IsPureBlue(concrete.pixel(x, y)), IsPureRed(rebar.pixel(x, y))) << x << "," << y;
            compared += IsPureBlue(concrete.pixel(x, y));
        }
    EXPECT_GT(compared, 18 * 120);
    // Kind 2 of a shows a's rebar data, not its concrete data.
    EXPECT_NE(Draw(a, kGraphRebarStressStrain, 4).image, rebar);
}

TEST(ResponseGraphs, DiscretePlotsShowConcreteInBlueAndSteelInRed) {
    Histories h;
    // Spring 2 at row 1: concrete force 1 at opening 0; steel force -1 at opening 0.5.
    h.discrete[kConcreteStress][2 + 1] = 1.0;
    h.discrete[kRebarStress][2 + 1] = -1.0;
    h.discrete[kRebarStrain][2 + 1] = 0.5;
    const QImage image = Draw(h, kGraphDiscreteForceDeformation, 1).image;
    // Concrete spring 2 (centre 170): up the axis to y = 55, already the axis; steel spring 2 (380):
    // from (380, 100) to (402, 145).
    EXPECT_TRUE(Near(image, 402, 145, IsPureRed));
    EXPECT_TRUE(Near(image, 391, 122, IsPureRed));
    EXPECT_TRUE(Near(image, 170, 55, IsPureBlue));
    // Spring 1 plots (70, 280) keep only their crosses.
    EXPECT_EQ(Count(image, QRect(25, 55, 91, 91), IsPureBlue), 91 + 91 - 1);
    EXPECT_EQ(Count(image, QRect(235, 55, 91, 91), IsPureRed), 91 + 91 - 1);
    // The labels: "Concrete" in blue under the concrete plots, "Steel" in red under the steel ones.
    EXPECT_GT(Count(image, QRect(88, 168, 70, 20), IsPureBlue), 20);
    EXPECT_GT(Count(image, QRect(308, 168, 50, 20), IsPureRed), 15);
}

TEST(ResponseGraphs, WithoutAnOutputElementTheStripSaysHowToChooseOne) {
    Histories h;
    for (int kind : {kGraphConcreteStressStrain, kGraphRebarStressStrain, kGraphDiscreteForceDeformation}) {
        QImage image = WhiteImage(kWidth, ResponseGraphs::kStripHeight);
        GraphInput input;
        input.analysisMode = 2;
        input.kind = kind;
        input.width = kWidth;
        input.histories = h.View();
        input.count = 1;
        input.output.known = true; // and none chosen
        QPainter painter(&image);
        ResponseGraphs::Draw(painter, input, 0, 0);
        painter.end();
        // No empty plots: only the hint's black text, in the strip's middle band.
        EXPECT_EQ(Count(image, IsPureBlue) + Count(image, IsPureRed), 0) << kind;
        const int middle = ResponseGraphs::kStripHeight / 2;
        EXPECT_GT(Count(image, QRect(0, middle - 8, kWidth, 16), IsBlack), 100) << kind;
        EXPECT_EQ(Count(image, QRect(0, 0, kWidth, middle - 10), IsBlack), 0) << kind;
    }
}

TEST(ResponseGraphs, TheOutputElementsGraphsAreTitledAndStayInsideTheirFrames) {
    Histories h;
    // Gauss point 9, x component: stress 3 and strain 2, far past the plot's end.
    h.gauss[kConcreteStrain][18 + 8] = 2.0;
    h.gauss[kConcreteStress][18 + 8] = 3.0;
    QImage image = WhiteImage(kWidth, ResponseGraphs::kStripHeight);
    GraphInput input;
    input.analysisMode = 2;
    input.kind = kGraphConcreteStressStrain;
    input.width = kWidth;
    input.histories = h.View();
    input.count = 1;
    input.output = {true, 7, 1, 0, 500, 1000};
    {
        QPainter painter(&image);
        ResponseGraphs::Draw(painter, input, 0, 0);
    }
    EXPECT_EQ(
        OutputGraphTitle(kGraphConcreteStressStrain, input.output),
        QString::fromUtf8("Concrete σ/fc against ε/5ε0 — output element 1, plane element at (500, 1000) mm"));
    EXPECT_EQ(OutputGraphTitle(kGraphDiscreteForceDeformation, {true, 3, 2, 1, 0, 250}),
              QString::fromUtf8(
                  "Springs F/Fc, F/Fy against opening — output element 2, vertical joint at (0, 250) mm"));
    EXPECT_TRUE(OutputGraphTitle(kGraphForceDeformation, input.output).isEmpty());
    // The curve of plot (40, 40) towards (100, -50) leaves its frame at (60, 10) and stops there: nothing
    // blue above the plots' top edge, where the title is.
    EXPECT_EQ(Count(image, QRect(0, 0, kWidth, 10), IsPureBlue), 0);
    EXPECT_TRUE(Near(image, 56, 16, IsPureBlue)); // (the title covers the top rows)
    // The title in black along the top.
    EXPECT_GT(Count(image, QRect(0, 0, 400, 13), IsBlack), 100);
}
