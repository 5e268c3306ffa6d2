// The plan view driven like a user: synthesised mouse events and commands, checked in the model and in
// the pixels of the rendered view (partial repaints included), plus menus, messages, editors, printing.
#include "plan/PlanView.h"

#include "app/MainFrame.h"
#include "app/PlanFrame.h"
#include "app/TorvaApp.h"
#include "document/TorvaDoc.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/MessageService.h"
#include "plan/PlanTestSupport.h"
#include "plan/PlanViewFixture.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QToolBar>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace torva;
using namespace torva::test;

TEST_F(PlanViewTest, NewModelShowsGreySquaresAndNoTypeLabels) {
    const QImage screen = Screen();
    for (int x = 2; x <= 11; ++x)
        for (int y = 2; y <= 11; ++y)
            EXPECT_EQ(CountOther(screen, SquareInside(x, y), kLightGrey), 0) << x << "," << y;
    EXPECT_EQ(CountColour(screen, screen.rect(), 0xFF0000), 0);
    EXPECT_EQ(CountColour(screen, QRect(CellLeft(2) + 3, CellTop(0) + 30, 24, 1), 0x000000), 24);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0); // the 12 × 12 frame fits the window
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
}

TEST_F(PlanViewTest, ClickingASquareFlagsItAndDrawsItsLabelAndASecondClickClearsIt) {
    LeftClick(Centre(3, 4));
    EXPECT_EQ(Model().Flag(3, 4, kConcreteLayer), 1);
    EXPECT_TRUE(document->IsModified());
    EXPECT_GE(other->updates, 1);
    EXPECT_EQ(other->lastSender, view);
    QImage screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(3) + 26, CellTop(4) + 26), kBlue);
    EXPECT_GT(CountColour(screen, QRect(CellLeft(3) + 3, CellTop(4) + 6, 24, 16), kWhite), 15); // "E1"

    LeftClick(Centre(3, 4));
    EXPECT_EQ(Model().Flag(3, 4, kConcreteLayer), 0);
    screen = Screen();
    EXPECT_EQ(CountOther(screen, SquareInside(3, 4), kLightGrey), 0);
}

TEST_F(PlanViewTest, RebarLayerRefusesSquaresWithoutConcrete) {
    LeftClick(Centre(5, 5)); // concrete here only
    Command(cmd::kSteelRebarElement);
    EXPECT_EQ(Model().curLayer, kRebarLayer);
    LeftClick(Centre(3, 4));
    LeftClick(Centre(5, 5));
    EXPECT_EQ(Model().Flag(3, 4, kRebarLayer), 0);
    EXPECT_EQ(Model().Flag(5, 5, kRebarLayer), 1);
    const QImage screen = Screen();
    EXPECT_EQ(CountOther(screen, SquareInside(3, 4), kLightGrey), 0);
    EXPECT_EQ(Rgb(screen, CellLeft(5) + 26, CellTop(5) + 26), 0xFF0000); // rebar type 1: red
}

TEST_F(PlanViewTest, LabelClicksStore99) {
    LeftClick(Centre(5, 0));
    LeftClick(Centre(5, 0));
    LeftClick(Centre(0, 9));
    EXPECT_EQ(Model().Flag(5, 0, kConcreteLayer), 99);
    EXPECT_EQ(Model().Flag(0, 9, kConcreteLayer), 99);
}

TEST_F(PlanViewTest, ClicksOnAScrolledViewHitThePositionUnderTheMouse) {
    Model().nxs = 62;
    Model().nys = 62;
    view->OnUpdate(nullptr, 0);
    view->horizontalScrollBar()->setValue(1000);
    view->verticalScrollBar()->setValue(700);
    ASSERT_EQ(view->ScrollOffset(), QPoint(1000, 700));
    LeftClick(Centre(40, 30));
    EXPECT_EQ(Model().Flag(40, 30, kConcreteLayer), 1);
    const QImage screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(40) + 26 - 1000, CellTop(30) + 26 - 700), kBlue);
    EXPECT_EQ(CountOther(screen, OnScreen(SquareInside(41, 30)), kLightGrey), 0);
}

TEST_F(PlanViewTest, DragOffersTypesAndClearAndAssignsTheRectangle) {
    menuAnswer = cmd::kPopupType1 + 3; // E4
    Send(QEvent::MouseButtonPress, At(Centre(2, 2)), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, At(Centre(6, 3)), Qt::NoButton, Qt::LeftButton);
    // The rubber band is on screen while the button is held: its edges invert the plan.
    const QRect band = view->RubberBand();
    EXPECT_EQ(band, QRect(At(Centre(2, 2)), At(Centre(6, 3))).normalized());
    QImage screen = Screen();
    int inverted = 0;
    for (int x = band.left(); x <= band.right(); ++x)
        inverted += Rgb(screen, x, band.top()) == 0x232323 ? 1 : 0;
    EXPECT_GT(inverted, band.width() / 4);
    Send(QEvent::MouseButtonRelease, At(Centre(6, 3)), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(view->RubberBand().isEmpty());

    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0].size(), 11u);
    EXPECT_EQ(menus[0][0].text, "E1");
    EXPECT_EQ(menus[0][9].text, "E10");
    EXPECT_EQ(menus[0][10].text, "Clear");
    EXPECT_EQ(menus[0][10].id, 140);
    EXPECT_EQ(menuGlobal, view->viewport()->mapToGlobal(At(Centre(6, 3))));
    // Every square the band touches: columns 2..6, rows 2..3.
    for (int x = 2; x <= 6; ++x)
        for (int y = 2; y <= 3; ++y) {
            EXPECT_EQ(Model().Flag(x, y, kConcreteLayer), 1);
            EXPECT_EQ(Model().Type(x, y, kConcreteLayer), 4);
        }
    EXPECT_EQ(Model().Flag(7, 2, kConcreteLayer), 0);
    EXPECT_EQ(Model().Flag(2, 4, kConcreteLayer), 0);
    screen = Screen();
    for (int x = 2; x <= 6; ++x) EXPECT_EQ(Rgb(screen, CellLeft(x) + 26, CellTop(3) + 26), kYellow);
}

TEST_F(PlanViewTest, RightClickMenusAndMessages) {
    MessageRecorder recorder;
    RightClick(Centre(3, 4));
    EXPECT_EQ(recorder.Texts(), QStringList{"You can't set data on this place."});
    EXPECT_TRUE(menus.empty());

    LeftClick(Centre(3, 4));
    menuAnswer = cmd::kPopupType1 + 6;
    RightClick(Centre(3, 4));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].size(), 10u);
    EXPECT_EQ(menus[0][6].text, "E7");
    EXPECT_EQ(Model().Type(3, 4, kConcreteLayer), 7);
    EXPECT_EQ(menuGlobal, view->viewport()->mapToGlobal(At(Centre(3, 4))));

    Command(cmd::kBoundaryCondition);
    Command(cmd::kCopyLowerPattern);
    EXPECT_EQ(recorder.Last(), "You have no floor to copy.");
    Command(cmd::kMoveLowerFloor);
    Command(cmd::kMoveLowerFloor);
    EXPECT_EQ(recorder.Last(), "You are already in the bottom layer.");
}

TEST_F(PlanViewTest, OutputElementsAreListedDrawnAndLimitedToTwentyFive) {
    MessageRecorder recorder;
    menuAnswer = cmd::kPopupType1;
    Drag(Centre(2, 2), Centre(8, 7)); // concrete over 6 × 5 squares
    Command(cmd::kCheckOutputElement);
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 6; ++x) LeftClick(Centre(x, y));
    EXPECT_EQ(Model().outputCount, 25);
    EXPECT_TRUE(recorder.Texts().isEmpty());
    LeftClick(Centre(7, 2));
    EXPECT_EQ(recorder.Texts(), QStringList{"ERROR: too many OUTPUT elements."});
    EXPECT_EQ(Model().outputCount, 25);

    QImage screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(2) - 1, CellTop(2) + 15), 0x00BFFF); // the active one
    EXPECT_EQ(Rgb(screen, CellLeft(3) - 1, CellTop(2) + 15), 0x00FF00);

    RightClick(Centre(2, 2)); // removed: the list moves up and nothing is active
    EXPECT_EQ(Model().outputElements[0], PositionCode(3, 2));
    EXPECT_EQ(Model().outputCount, 24);
    EXPECT_EQ(Model().activeOutput, -1);
    screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(2) + 26, CellTop(2) + 26), kBlue);
    EXPECT_NE(Rgb(screen, CellLeft(2) - 1, CellTop(2) + 15), 0x00FF00);

    Command(cmd::kCheckOutputElement); // off: still shown, with the thinner frame
    screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(3), CellTop(2) + 15), 0x00FF00u);
    EXPECT_NE(Rgb(screen, CellLeft(3) + 1, CellTop(2) + 15), 0x00FF00u);
}

TEST_F(PlanViewTest, ControlNodeIsShownInItsCheckMode) {
    Command(cmd::kCheckControlNode);
    LeftClick(NodePoint(5, 6));
    EXPECT_EQ(Model().controlNode, PositionCode(5, 6));
    QImage screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(5) + 6, CellTop(6) + 6), 0xFF8C00);
    CommandState state;
    ASSERT_TRUE(view->OnUpdateCommand(cmd::kCheckControlNode, state));
    EXPECT_TRUE(state.checked);
    Command(cmd::kCheckOutputElement);
    screen = Screen();
    EXPECT_EQ(Rgb(screen, CellLeft(5) + 6, CellTop(6) + 6), kLightGrey);
}

TEST_F(PlanViewTest, PartialRepaintsEqualTheFullRepaint) {
    CFramePat& m = Model();
    m.nxs = 40;
    m.nys = 40;
    std::mt19937 random(11);
    for (int layer = 0; layer <= kFibreLayer; ++layer)
        for (int i = 0; i < 400; ++i) {
            const int x = 2 + random() % 39, y = 2 + random() % 39;
            if (layer >= kRebarLayer && !m.Flag(x, y, kConcreteLayer)) continue;
            m.Flag(x, y, layer) = 1;
            m.Type(x, y, layer) = 1 + random() % 10;
        }
    m.LoadCurrentLayer();
    for (int s = 0; s < 10; ++s) m.outputElements[s] = PositionCode(5 + s, 6 + 2 * s);
    m.outputCount = 10;
    m.activeOutput = m.outputElements[4];
    view->OnUpdate(nullptr, 0);
    Command(cmd::kCheckOutputElement);

    for (QPoint scroll : {QPoint(0, 0), QPoint(137, 211)}) {
        view->horizontalScrollBar()->setValue(scroll.x());
        view->verticalScrollBar()->setValue(scroll.y());
        const QImage whole = Screen();
        QImage pieces(whole.size(), QImage::Format_RGB32);
        pieces.fill(Qt::red);
        for (int top = 0; top < pieces.height(); top += 41)
            for (int left = 0; left < pieces.width(); left += 59) {
                const QRect tile(left, top, 59, 41);
                view->viewport()->render(&pieces, tile.topLeft(), QRegion(tile));
            }
        EXPECT_TRUE(pieces == whole) << scroll.x() << "," << scroll.y();
    }
}

TEST_F(PlanViewTest, MemberCommandsOpenTheirEditorsOnACopy) {
    std::vector<int> kinds;
    bool answer = false;
    CTorvaView::Hooks().typeEditor = [&](int kind, CFramePat& copy, QWidget* parent) {
        kinds.push_back(kind);
        EXPECT_EQ(parent, view);
        EXPECT_NE(&copy, &Model());
        copy.Color(kind, 1) = 0x123456;
        return answer;
    };
    Command(cmd::kConcreteElement); // already in layer 2: the editor
    EXPECT_EQ(kinds, std::vector<int>{2});
    EXPECT_EQ(Model().Color(2, 1), 0xFF0000);
    EXPECT_FALSE(document->IsModified());

    answer = true;
    const int updates = other->updates;
    Command(cmd::kConcreteElement);
    EXPECT_EQ(Model().Color(2, 1), 0x123456);
    EXPECT_TRUE(document->IsModified());
    EXPECT_GT(other->updates, updates);

    Command(cmd::kFiberElement); // selects the layer only
    EXPECT_EQ(kinds.size(), 2u);
    EXPECT_EQ(Model().curLayer, kFibreLayer);
}

TEST_F(PlanViewTest, SpanAndFrameEditorsAndTheViewsTheyNotify) {
    std::vector<int> axes;
    CTorvaView::Hooks().spanEditor = [&](int axis, CFramePat& copy, QWidget*) {
        axes.push_back(axis);
        copy.SpanLengthOf(axis, 1) = 250;
        return true;
    };
    CTorvaView::Hooks().frameEditor = [&](CFramePat& copy, QWidget*) {
        copy.nxs = 22;
        return true;
    };
    Command(cmd::kXElementLength);
    Command(cmd::kYElementLength);
    EXPECT_EQ(axes, (std::vector<int>{0, 1}));
    EXPECT_EQ(Model().SpanLengthOf(kAxisX, 1), 250);
    EXPECT_EQ(Model().SpanLengthOf(kAxisY, 1), 250);

    EXPECT_EQ(CountOther(Screen(), SquareInside(15, 5), kWhite), 0);
    other->updates = 0;
    Command(cmd::kFrameSize);
    EXPECT_EQ(Model().nxs, 22);
    EXPECT_EQ(other->updates, 1);
    EXPECT_EQ(other->lastSender, nullptr);
    // The plan view follows: 20 columns of squares now.
    EXPECT_EQ(CountOther(Screen(), SquareInside(15, 5), kLightGrey), 0);

    // Without an editor the command does nothing.
    CTorvaView::Hooks().frameEditor = nullptr;
    Command(cmd::kFrameSize);
    EXPECT_EQ(Model().nxs, 22);
}

TEST_F(PlanViewTest, FrameShowsPlanTitleAndTheLayerName) {
    ChildFrame frame;
    auto* bar = new QToolBar(&frame);
    auto* edit = new QLineEdit(bar);
    edit->setReadOnly(true);
    edit->setProperty("controlId", cmd::kLayerNameEdit);
    bar->addWidget(edit);
    frame.addToolBar(Qt::BottomToolBarArea, bar);
    frame.SetView(view);
    Screen();
    EXPECT_EQ(edit->text(), "Element");
    Command(cmd::kPointForce);
    Screen();
    EXPECT_EQ(edit->text(), "Point Force");
    Command(cmd::kFiberElement);
    Screen();
    EXPECT_EQ(edit->text(), "Fiber Sheet");
    for (int i = 0; i < 3; ++i) Command(cmd::kMoveUpperFloor);
    Screen();
    EXPECT_EQ(edit->text(), "");
    frame.SetView(nullptr);
    frame.takeCentralWidget()->setParent(nullptr);
}

TEST_F(PlanViewTest, PrintingScalesThePlanToThePage) {
    LeftClick(Centre(2, 2));
    LeftClick(Centre(11, 11));
    const QRect used = view->Grid().UsedRect();
    QImage page(1000, 1400, QImage::Format_RGB32);
    page.fill(Qt::red);
    QPainter painter(&page);
    view->RenderForPrint(painter, page.rect());
    painter.end();
    const double scale = 1000.0 / used.width();
    auto at = [&](double x, double y) { return Rgb(page, int(x * scale), int(y * scale)); };
    EXPECT_EQ(at(CellLeft(2) + 15, CellTop(2) + 25), kBlue);
    EXPECT_EQ(at(CellLeft(11) + 15, CellTop(11) + 25), kBlue);
    EXPECT_EQ(at(CellLeft(6) + 15, CellTop(6) + 15), kLightGrey);
    EXPECT_EQ(CountColour(page, QRect(0, 0, 1000, int(used.height() * scale) - 1), 0xFF0000), 0);

    // The print commands go through their call points; the printer draws the same plan.
    TempDir dir;
    const QString pdf = QString::fromStdString(dir.file("plan.pdf"));
    int dialogs = 0, previews = 0;
    CTorvaView::Hooks().printDialog = [&](QPrinter& printer, QWidget*) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    CTorvaView::Hooks().printPreview = [&](QPrinter&, QWidget*) { ++previews; };
    Command(cmd::kFilePrint);
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(std::filesystem::exists(dir.file("plan.pdf")));
    EXPECT_GT(std::filesystem::file_size(dir.file("plan.pdf")), 1000u);
    Command(cmd::kFilePrintPreview);
    EXPECT_EQ(previews, 1);
    CommandState state;
    ASSERT_TRUE(view->OnUpdateCommand(cmd::kFilePrint, state));
    EXPECT_TRUE(state.enabled);
}

// The plan window of the running program: its frame, toolbars, menu marks and accelerator reach the view.
TEST(PlanWindow, TheProgramsPlanWindowHoldsThePlanView) {
    CTorvaView::ResetHooks();
    CTorvaApp app;
    ASSERT_TRUE(app.InitInstance({}));
    const auto views = app.MainWindow()->findChildren<CTorvaView*>();
    ASSERT_EQ(views.size(), 1);
    CTorvaView* view = views.front();
    auto* frame = dynamic_cast<CTorvaFrame*>(view->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(view->Model(), nullptr);
    EXPECT_EQ(view->Model(), dynamic_cast<CTorvaDoc*>(view->GetDocument())->GetFramePat());

    QImage image(view->viewport()->size(), QImage::Format_RGB32);
    view->viewport()->render(&image);
    EXPECT_EQ(frame->FrameTitle(), view->GetDocument()->GetTitle() + QStringLiteral(" \u2014 Plan"));
    EXPECT_EQ(frame->LayerNameEdit()->text(), "Element");

    // The member toolbar offers every layer and both check modes, with radio marks.
    QList<int> ids;
    for (QAction* action : frame->MemberToolBar()->actions())
        if (CommandIdOf(action) > 0) ids.push_back(CommandIdOf(action));
    for (int id : {cmd::kPointForce, cmd::kBoundaryCondition, cmd::kConcreteElement, cmd::kSteelRebarElement,
                   cmd::kFiberElement, cmd::kCheckControlNode, cmd::kCheckOutputElement})
        EXPECT_TRUE(ids.contains(id)) << id;
    auto checked = [&](int id) {
        for (QAction* action : frame->MemberToolBar()->actions())
            if (CommandIdOf(action) == id) return action->isChecked();
        return false;
    };
    CommandRouter::RefreshAll();
    EXPECT_TRUE(checked(cmd::kConcreteElement));
    EXPECT_FALSE(checked(cmd::kSteelRebarElement));
    EXPECT_TRUE(frame->Router()->Execute(cmd::kSteelRebarElement));
    EXPECT_EQ(view->Model()->curLayer, kRebarLayer);
    EXPECT_TRUE(checked(cmd::kSteelRebarElement));
    EXPECT_FALSE(checked(cmd::kConcreteElement));
    EXPECT_TRUE(frame->Router()->Execute(cmd::kCheckOutputElement));
    EXPECT_TRUE(checked(cmd::kCheckOutputElement));
    EXPECT_FALSE(checked(cmd::kCheckControlNode));
    view->viewport()->render(&image);
    EXPECT_EQ(frame->LayerNameEdit()->text(), "Steel Rebar");

    // Ctrl+P in the main window reaches the plan view when its window is active.
    frame->ActivateFrame();
    int dialogs = 0;
    CTorvaView::Hooks().printDialog = [&](QPrinter&, QWidget*) {
        ++dialogs;
        return false;
    };
    ASSERT_NE(CommandRouter::Main(), nullptr);
    EXPECT_TRUE(CommandRouter::Main()->Execute(cmd::kFilePrint));
    EXPECT_EQ(dialogs, 1);
    CTorvaView::ResetHooks();
}
