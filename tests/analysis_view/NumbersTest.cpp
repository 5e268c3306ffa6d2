// The numbers of the analysis window, driven through the real view: hovering an element puts its values
// at the results window's step in the main window's status bar (the engine's own stresses, the Gauss
// point nearest the pointer); a click (not a drag) opens the element's table, which follows the step
// slider; View > Reactions shows the supports' reactions against the applied loads; results that no
// longer belong to the model give no numbers anywhere.
#include "analysis/ElementReadout.h"
#include "analysis_view/AnalysisViewFixture.h"
#include "analysis_view/NumberDocks.h"
#include "analysis_view/ReadoutTables.h"
#include "analysis_view/ResultsPane.h"

#include <QDockWidget>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::AnalysisViewTest;

class NumbersTest : public AnalysisViewTest {
protected:
    ResultsPane* Pane() const { return Frame()->Results(); }
    NumberDocks* Numbers() const { return View()->Numbers(); }
    QString StatusText() const { return Main()->statusBar()->currentMessage(); }
    // The view pixel of a point of element e, at natural coordinates (ξ, η) (n1 at +1, +1).
    QPoint InElement(int e, double xi = 0, double eta = 0) const {
        const Mesh& mesh = Session().GetMesh();
        const double cx[4] = {1, -1, -1, 1}, cy[4] = {1, 1, -1, -1};
        double x = 0, y = 0;
        for (int r = 0; r < 4; ++r) {
            const double n = (1 + cx[r] * xi) * (1 + cy[r] * eta) / 4;
            x += n * mesh.nodeX[mesh.ElementNode(e, r)];
            y += n * mesh.nodeY[mesh.ElementNode(e, r)];
        }
        const Projection& p = Scene().projection;
        return QPoint(int(std::lround(p.ScreenX(float(x)))), int(std::lround(p.ScreenY(float(y)))));
    }
    void Hover(QPoint at) const { Mouse(QEvent::MouseMove, Qt::NoButton, at); }
    void Click(QPoint at) const {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, at);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, at);
    }
    static QString Cell(const QTableWidget* table, int row, int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item ? item->text() : QString();
    }
    static QString Number(double value) { return QString::fromStdString(FormatNumber(value)); }
    void SaveScreen(QWidget* widget, const char* name) const {
        if (const char* dir = std::getenv("TORVA_SCREEN_DIR"))
            widget->grab().save(QStringLiteral("%1/%2.png").arg(dir, name));
    }
};

// 4 × 3 elements: element 6 is the third of the second row, plan position (4, 3).
constexpr int kElement = 6;

TEST_F(NumbersTest, HoverShowsTheEnginesStressesAtTheGaussPointUnderThePointer) {
    auto model = test::WallModel(4, 3);
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    test::Flush();
    ASSERT_TRUE(Pane()->Field().hasResults);

    Hover(InElement(kElement));
    const engine::ResultView results = Session().Results();
    const QString centre = StatusText();
    EXPECT_TRUE(centre.startsWith(QStringLiteral("E7 (x 4, y 3) point 5: σ1 ") +
                                  Number(results.Gauss(kElement, 4, 0)) + QStringLiteral(" N/mm², σ2 ") +
                                  Number(results.Gauss(kElement, 4, 1)) + QStringLiteral(" N/mm²")))
        << centre.toStdString();
    EXPECT_TRUE(centre.contains(QStringLiteral(", fsx "))); // the classic method's bar stresses
    // Towards n1 (ξ = η = +1) the last Gauss point, towards n3 the first.
    Hover(InElement(kElement, 0.8, 0.8));
    EXPECT_TRUE(StatusText().startsWith(QStringLiteral("E7 (x 4, y 3) point 9: σ1 ") +
                                        Number(results.Gauss(kElement, 8, 0))))
        << StatusText().toStdString();
    Hover(InElement(kElement, -0.8, -0.8));
    EXPECT_TRUE(StatusText().startsWith(QStringLiteral("E7 (x 4, y 3) point 1: ")));
    Hover(InElement(0));
    EXPECT_TRUE(StatusText().startsWith(QStringLiteral("E1 (x 2, y 2) point 5: ")));
    SaveScreen(Main(), "numbers-hover");
    // Off the model the line goes.
    Hover(QPoint(View()->width() - 2, View()->height() - 2));
    EXPECT_TRUE(StatusText().isEmpty()) << StatusText().toStdString();

    // After an edit the element still has a name, but no numbers.
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) += 100; });
    test::Flush();
    Hover(InElement(kElement));
    EXPECT_EQ(StatusText(), QStringLiteral("E7 (x 4, y 3): results are out of date — Analyze again"));
}

TEST_F(NumbersTest, AClickOpensTheElementTableWhichFollowsTheStepSlider) {
    auto model = test::WallModel(4, 3);
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 60));
    test::Flush();
    ASSERT_GE(Pane()->Slider()->maximum(), 5);

    // A drag zooms and opens nothing.
    Drag(Qt::LeftButton, InElement(kElement), InElement(kElement) + QPoint(30, 30));
    ASSERT_NE(Numbers(), nullptr);
    EXPECT_EQ(Numbers()->ElementDock(), nullptr);
    Run(cmd::kActualSize); // back to the fitted picture
    test::Flush();

    Click(InElement(kElement));
    test::Flush();
    ASSERT_NE(Numbers()->ElementDock(), nullptr);
    EXPECT_TRUE(Numbers()->ElementDock()->isVisible());
    EXPECT_EQ(Numbers()->Element(), kElement);
    const ElementTablePane* table = Numbers()->ElementTable();
    const auto expectStep = [&](int shown) {
        const FieldHistory& history = Session().History();
        const ResultField& field = history.Field(shown);
        const Mesh& mesh = Session().GetMesh();
        EXPECT_EQ(table->Title()->text(),
                  QStringLiteral("E7 (x 4, y 3) at step %1").arg(history.StepOf(shown)));
        ASSERT_EQ(table->Nodes()->rowCount(), 4);
        for (int r = 0; r < 4; ++r) {
            const int node = mesh.ElementNode(kElement, r);
            EXPECT_EQ(Cell(table->Nodes(), r, 1), QString::number(node + 1));
            EXPECT_EQ(Cell(table->Nodes(), r, 4), Number(field.ux[size_t(node)])) << "corner " << r;
            EXPECT_EQ(Cell(table->Nodes(), r, 5), Number(field.uy[size_t(node)]));
        }
        ASSERT_EQ(table->GaussPoints()->rowCount(), 9);
        for (int g = 0; g < 9; ++g) {
            EXPECT_EQ(Cell(table->GaussPoints(), g, 4), Number(field.Point(kElement, g).s1)) << "point " << g;
            EXPECT_EQ(Cell(table->GaussPoints(), g, 6), Number(1000 * field.Point(kElement, g).e1));
        }
    };
    expectStep(Pane()->ShownStep());
    const QString last = Cell(table->Nodes(), 0, 4);
    SaveScreen(Numbers()->ElementDock(), "numbers-element-table");
    Pane()->ShowStep(2);
    test::Flush();
    expectStep(2);
    EXPECT_NE(Cell(table->Nodes(), 0, 4), last); // the wall moves between step 2 and the end

    // Its pixels: the numbers are drawn (dark text on the table's white).
    const QImage shot = Numbers()->ElementDock()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) dark += qGray(shot.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_GT(dark, 500);

    // Another click moves the table to that element; an edit empties it.
    Click(InElement(0));
    test::Flush();
    EXPECT_EQ(Numbers()->Element(), 0);
    EXPECT_TRUE(table->Title()->text().startsWith(QStringLiteral("E1 (x 2, y 2) at step ")));
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) += 100; });
    test::Flush();
    EXPECT_EQ(table->Title()->text(),
              QStringLiteral("E1 (x 2, y 2): Results are out of date — Analyze again"));
    EXPECT_EQ(table->GaussPoints()->rowCount(), 0);
}

TEST_F(NumbersTest, ReactionsTableBalancesThePushAndTheWeight) {
    auto model = test::WallModel(4, 3); // 10 kN towards +x at the top-left node, five pins at the base
    StartOn(*model);
    EXPECT_TRUE(Query(cmd::kShowReactions).enabled);
    ASSERT_TRUE(Run(cmd::kShowReactions));
    ReactionsPane* pane = Numbers()->Reactions();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->Title()->text(), QStringLiteral("No results"));
    ASSERT_TRUE(Analyze());
    test::Flush();
    QTableWidget* table = pane->Table();
    ASSERT_EQ(table->rowCount(), 5 + 5);
    const Mesh& mesh = Session().GetMesh();
    for (int r = 0; r < 5; ++r) EXPECT_EQ(Cell(table, r, 2), QString::number(mesh.nodeY[mesh.nodeCount - 1]));
    EXPECT_EQ(Cell(table, 5, 0), QStringLiteral("sum of reactions"));
    EXPECT_EQ(Cell(table, 5, 3), QStringLiteral("−10.0"));
    EXPECT_EQ(Cell(table, 8, 0), QStringLiteral("applied loads"));
    EXPECT_EQ(Cell(table, 8, 3), QStringLiteral("10.0"));
    const QString weight = Cell(table, 8, 4);
    ASSERT_FALSE(weight.isEmpty());
    EXPECT_EQ(Cell(table, 5, 4),
              weight.startsWith(QStringLiteral("−")) ? weight.mid(1) : QStringLiteral("−") + weight);
    EXPECT_TRUE(Cell(table, 9, 3) == QStringLiteral("0.00") || Cell(table, 9, 3) == QStringLiteral("0.000"));
    SaveScreen(Numbers()->ReactionsDock(), "numbers-reactions");

    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) += 100; });
    test::Flush();
    EXPECT_EQ(pane->Title()->text(), QStringLiteral("Results are out of date — Analyze again"));
    EXPECT_EQ(table->rowCount(), 0);
}

// The classic method's tables on the example wall, its rebar type 1 stripped of its x bars: an element
// with x bars gives its bar stress (the engine's, not 0), one without gives "—" and says why; every
// point says how far its concrete has gone; the reactions' out-of-balance row says what it is.
TEST_F(NumbersTest, ClassicTablesGiveBarStressesOnlyWhereThereAreBarsAndExplainTheBalance) {
    CFramePat model;
    FileError error;
    ASSERT_TRUE(LoadModelFile(test::ExamplePath("shear-wall.fem").toStdString(), model, error));
    model.Prop(kRebarLayer, 1, 0) = 0; // type 1: no area in x
    model.stepsPerSegment = 20;        // into the cracked range, quickly
    StartOn(model);
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 120));
    test::Flush();

    const Mesh& mesh = Session().GetMesh();
    int noX = -1, withX = -1;
    for (int e = 0; e < mesh.elementCount && (noX < 0 || withX < 0); ++e) {
        const int type = mesh.elemRebarType[e];
        if (type == 1 && noX < 0) noX = e;
        if (type > 1 && withX < 0) withX = e;
    }
    ASSERT_GE(noX, 0);
    ASSERT_GE(withX, 0);
    const ResultField& field = Pane()->Field();
    ASSERT_TRUE(field.hasBars);

    Click(InElement(withX));
    test::Flush();
    const QTableWidget* gauss = Numbers()->ElementTable()->GaussPoints();
    ASSERT_EQ(gauss->rowCount(), 9);
    ASSERT_EQ(gauss->horizontalHeaderItem(9)->text(), QStringLiteral("concrete"));
    EXPECT_FALSE(gauss->horizontalHeaderItem(9)->toolTip().isEmpty());
    ASSERT_EQ(gauss->horizontalHeaderItem(10)->text(), QStringLiteral("fsx (N/mm²)"));
    int stressed = 0;
    for (int g = 0; g < 9; ++g) {
        const PointResult& p = field.Point(Numbers()->Element(), g);
        EXPECT_FALSE(Cell(gauss, g, 9).isEmpty()) << "point " << g + 1;
        EXPECT_TRUE(Cell(gauss, g, 10).startsWith(Number(p.barStress[0]))) << "point " << g + 1;
        EXPECT_TRUE(gauss->item(g, 10)->toolTip().isEmpty());
        stressed += std::fabs(p.barStress[0]) >= 0.01;
    }
    EXPECT_GT(stressed, 0); // the wall is strained: its x bars carry stress
    SaveScreen(Numbers()->ElementDock(), "numbers-classic-with-bars");

    Click(InElement(noX));
    test::Flush();
    for (int g = 0; g < 9; ++g) {
        EXPECT_EQ(Cell(gauss, g, 10), QStringLiteral("—")) << "point " << g + 1;
        EXPECT_TRUE(gauss->item(g, 10)->toolTip().contains(QStringLiteral("no bars in x")));
        EXPECT_NE(Cell(gauss, g, 11), QStringLiteral("—")); // its y bars are there
    }
    SaveScreen(Numbers()->ElementDock(), "numbers-classic-no-x-bars");

    ASSERT_TRUE(Run(cmd::kShowReactions));
    test::Flush();
    QTableWidget* reactions = Numbers()->Reactions()->Table();
    const int last = reactions->rowCount() - 1;
    ASSERT_GT(last, 4);
    EXPECT_EQ(Cell(reactions, last, 0), QStringLiteral("out of balance *"));
    // The starred note under the table says what the number is, without a pointer over it.
    const QLabel* note = Numbers()->Reactions()->Note();
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("* ")));
    EXPECT_TRUE(note->text().contains(QStringLiteral("without equilibrium iterations")));
    EXPECT_TRUE(note->text().contains(QStringLiteral("iterative method")));
    EXPECT_FALSE(Cell(reactions, last, 3).isEmpty()); // the number stays: it is true
    EXPECT_TRUE(reactions->item(last, 3)->toolTip().contains(QStringLiteral("iterative method")));
    EXPECT_TRUE(
        reactions->item(last, 0)->toolTip().contains(QStringLiteral("without equilibrium iterations")));
    SaveScreen(Numbers()->ReactionsDock(), "numbers-classic-reactions");
}

} // namespace
} // namespace torva
