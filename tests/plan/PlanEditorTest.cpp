// Editing rules of the plan over the model: picking, toggling, rectangles, context menus, layers,
// output list, control node, editors on a copy, and when the document is marked modified.
#include "plan/PlanEditor.h"

#include "framework/CommandIds.h"
#include "plan/PlanTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace torva;
using namespace torva::test;

namespace {

// Records what the editor asks for and answers menus and editors from the test.
class FakeHost : public PlanHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void Commit(const std::string& name) override {
        commits.push_back(name);
        modified = true;
    }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        return confirmAnswer;
    }
    void Repaint() override { ++repaints; }
    void NotifyOtherViews() override { ++otherNotifies; }
    void NotifyAllViews() override { ++allNotifies; }
    int PopupMenu(const std::vector<PlanMenuItem>& items, PlanPoint at) override {
        menus.push_back(items);
        menuPoints.push_back(at);
        return menuAnswer;
    }
    bool RunTypeEditor(int kind, CFramePat& copy) override {
        editorCalls.push_back("type " + std::to_string(kind));
        return Edit(copy);
    }
    bool RunSpanEditor(int axis, CFramePat& copy) override {
        editorCalls.push_back("span " + std::to_string(axis));
        return Edit(copy);
    }
    bool RunFrameEditor(CFramePat& copy) override {
        editorCalls.push_back("frame");
        return Edit(copy);
    }

    bool Edit(CFramePat& copy) {
        copy.gravity = 1234; // what the editor changes
        copy.activeOutput = 999;
        return editorAnswer;
    }

    std::vector<std::string> messages;
    std::vector<std::vector<PlanMenuItem>> menus;
    std::vector<PlanPoint> menuPoints;
    std::vector<std::string> editorCalls;
    std::vector<std::string> commits;
    std::vector<std::string> questions;
    bool confirmAnswer = true;
    int menuAnswer = 0;
    bool editorAnswer = true;
    bool modified = false;
    int repaints = 0, otherNotifies = 0, allNotifies = 0;
};

class PlanEditorTest : public testing::Test {
protected:
    void SetUp() override { editor.SetModel(model.get()); }

    void Click(PlanPoint p) {
        editor.LeftButtonDown(p);
        editor.LeftButtonUp(p);
    }
    void Drag(PlanPoint from, PlanPoint to) {
        editor.LeftButtonDown(from);
        editor.LeftButtonUp(to);
    }
    void Command(int id) { ASSERT_TRUE(editor.OnCommand(id)); }
    void GoToLayer(int layer) {
        while (model->curLayer < layer) Command(cmd::kMoveUpperFloor);
        while (model->curLayer > layer) Command(cmd::kMoveLowerFloor);
    }
    std::vector<std::string> MenuTexts(size_t index = 0) const {
        std::vector<std::string> texts;
        for (const auto& item : host.menus.at(index)) texts.push_back(item.text);
        return texts;
    }
    void Concrete(int x, int y) {
        model->Flag(x, y, kConcreteLayer) = 1;
        model->LoadCurrentLayer();
    }
    std::vector<int> Outputs() const {
        return std::vector<int>(model->outputElements, model->outputElements + kOutputSlots);
    }

    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    FakeHost host;
    PlanEditor editor{host};
};

std::vector<int> Slots(std::initializer_list<int> filled) {
    std::vector<int> list(filled);
    list.resize(kOutputSlots, -1);
    return list;
}

} // namespace

TEST(PlanGeometry, PickBoundaries) {
    EXPECT_EQ(PickPosition({30, 29}), (GridPos{0, 0}));
    EXPECT_EQ(PickPosition({3089, 29}), (GridPos{101, 0}));
    EXPECT_EQ(PickPosition({3090, 29}), std::nullopt);
    EXPECT_EQ(PickPosition({29, 29}), std::nullopt);
    EXPECT_EQ(PickPosition({30, 28}), std::nullopt);
    EXPECT_EQ(PickPosition({3089, 3088}), (GridPos{101, 101}));
    EXPECT_EQ(PickPosition({30, 3089}), std::nullopt);
    EXPECT_EQ(PickPosition({59, 58}), (GridPos{0, 0}));
    EXPECT_EQ(PickPosition({60, 59}), (GridPos{1, 1}));
    // Square (3, 4) spans 120..149 × 149..178.
    EXPECT_EQ(PickPosition({120, 149}), (GridPos{3, 4}));
    EXPECT_EQ(PickPosition({149, 178}), (GridPos{3, 4}));
    EXPECT_EQ(PickPosition({150, 178}), (GridPos{4, 4}));
    // Node picking takes the nearest node: node (3, 4) at (120, 149) owns 105..134 × 134..163.
    EXPECT_EQ(PickNode({105, 134}), (GridPos{3, 4}));
    EXPECT_EQ(PickNode({134, 163}), (GridPos{3, 4}));
    EXPECT_EQ(PickNode({104, 134}), (GridPos{2, 4}));
    EXPECT_EQ(PickNode({135, 163}), (GridPos{4, 4}));
    EXPECT_EQ(PickNode({15, 14}), (GridPos{0, 0}));
    EXPECT_EQ(PickNode({14, 14}), std::nullopt);
    EXPECT_EQ(PickNode({3074, 3073}), (GridPos{101, 101}));
    EXPECT_EQ(PickNode({3075, 3073}), std::nullopt);
    EXPECT_EQ(PickNode({3074, 3074}), std::nullopt);
    EXPECT_EQ(PickForLayer({104, 134}, kBoundaryLayer), (GridPos{2, 4}));
    EXPECT_EQ(PickForLayer({104, 134}, kConcreteLayer), (GridPos{2, 3}));
}

TEST(PlanGeometry, LayerLettersAndNames) {
    EXPECT_EQ(LayerLetter(0) + LayerLetter(1) + LayerLetter(2) + LayerLetter(3) + LayerLetter(4), "PBESF");
    EXPECT_EQ(LayerLetter(5), "");
    EXPECT_EQ(LayerName(0), "Point Force");
    EXPECT_EQ(LayerName(1), "Boundary Condition");
    EXPECT_EQ(LayerName(2), "Element");
    EXPECT_EQ(LayerName(3), "Steel Rebar");
    EXPECT_EQ(LayerName(4), "Fiber Sheet");
    EXPECT_EQ(LayerName(5), "");
    EXPECT_EQ(LayerName(10), "");
}

TEST_F(PlanEditorTest, LeftClickTogglesASquareAndMarksModified) {
    Click(Centre(3, 4));
    EXPECT_EQ(model->Flag(3, 4, kConcreteLayer), 1);
    EXPECT_EQ(model->curFlag[PosIndex(3, 4)], 1);
    EXPECT_TRUE(host.modified);
    EXPECT_GE(host.repaints, 1);
    EXPECT_GE(host.otherNotifies, 1);
    Click({CellLeft(3) + 29, CellTop(4) + 29}); // the square's last pixel
    EXPECT_EQ(model->Flag(3, 4, kConcreteLayer), 0);
    EXPECT_TRUE(host.menus.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PlanEditorTest, ElementLayersRespectTheGridLimits) {
    Click(Centre(11, 11)); // the last element
    EXPECT_EQ(model->Flag(11, 11, kConcreteLayer), 1);
    Click(Centre(12, 5)); // the last node line has no element
    Click(Centre(5, 12));
    Click(Centre(1, 5)); // line 1 is never set
    Click(Centre(5, 1));
    Click({10, 10}); // outside the grid
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 2; y < kGridSize; ++y)
            if (!(x == 11 && y == 11) && x > 0) {
                EXPECT_EQ(model->Flag(x, y, kConcreteLayer), 0) << x << "," << y;
            }
}

TEST_F(PlanEditorTest, RebarAndFibreOnlyWhereThereIsConcrete) {
    GoToLayer(kRebarLayer);
    Click(Centre(3, 4));
    EXPECT_EQ(model->Flag(3, 4, kRebarLayer), 0);
    Concrete(3, 4);
    Click(Centre(3, 4));
    EXPECT_EQ(model->Flag(3, 4, kRebarLayer), 1);
    GoToLayer(kFibreLayer);
    Click(Centre(3, 4));
    Click(Centre(3, 5));
    EXPECT_EQ(model->Flag(3, 4, kFibreLayer), 1);
    EXPECT_EQ(model->Flag(3, 5, kFibreLayer), 0);
    // Switching off needs no concrete.
    model->Flag(3, 4, kConcreteLayer) = 0;
    Click(Centre(3, 4));
    EXPECT_EQ(model->Flag(3, 4, kFibreLayer), 0);
}

TEST_F(PlanEditorTest, SpanLabelClicksStore99) {
    Click(Centre(5, 0));
    EXPECT_EQ(model->Flag(5, 0, kConcreteLayer), 99);
    Click(Centre(5, 0));
    EXPECT_EQ(model->Flag(5, 0, kConcreteLayer), 99);
    Click(Centre(0, 7));
    EXPECT_EQ(model->Flag(0, 7, kConcreteLayer), 99);
    Click(Centre(12, 0)); // past the last column: ignored
    EXPECT_EQ(model->Flag(12, 0, kConcreteLayer), 1);
    Click(Centre(0, 0)); // the corner is no label: it toggles like any position
    EXPECT_EQ(model->Flag(0, 0, kConcreteLayer), 1);
}

TEST_F(PlanEditorTest, NodeLayersPickTheNearestNodeUpToTheLastNodeLine) {
    GoToLayer(kBoundaryLayer);
    Click(NodePoint(4, 5) + PlanPoint{-14, 14});
    EXPECT_EQ(model->Flag(4, 5, kBoundaryLayer), 1);
    Click(NodePoint(12, 12) + PlanPoint{5, -5}); // the far corner node
    EXPECT_EQ(model->Flag(12, 12, kBoundaryLayer), 1);
    Click(NodePoint(13, 5)); // beyond the last node line
    EXPECT_EQ(model->Flag(13, 5, kBoundaryLayer), 0);
    Click(NodePoint(1, 5)); // line 1 stays clear
    EXPECT_EQ(model->Flag(1, 5, kBoundaryLayer), 0);
    EXPECT_EQ(model->Flag(4, 5, kConcreteLayer), 0);
}

TEST_F(PlanEditorTest, ClearingConcreteRemovesTheOutputElementAndCompactsTheList) {
    for (int x = 2; x <= 5; ++x) Concrete(x, 3);
    Command(cmd::kCheckOutputElement);
    for (int x = 2; x <= 5; ++x) Click(Centre(x, 3));
    EXPECT_EQ(Outputs(), Slots({302, 303, 304, 305}));
    EXPECT_EQ(model->activeOutput, 302);
    Click(Centre(4, 3)); // make 304 the active one
    EXPECT_EQ(model->activeOutput, 304);
    Command(cmd::kCheckOutputElement); // back to normal mode

    Click(Centre(3, 3)); // concrete off: 303 leaves, the others move up
    EXPECT_EQ(Outputs(), Slots({302, 304, 305}));
    EXPECT_EQ(model->outputCount, 3);
    EXPECT_EQ(model->activeOutput, 304);
    Click(Centre(4, 3));
    EXPECT_EQ(Outputs(), Slots({302, 305}));
    EXPECT_EQ(model->activeOutput, -1);
    Click(Centre(5, 3));
    EXPECT_EQ(Outputs(), Slots({302}));
    EXPECT_EQ(model->outputCount, 1);

    // Clearing rebar over concrete keeps the output element.
    GoToLayer(kRebarLayer);
    Click(Centre(2, 3));
    Click(Centre(2, 3));
    EXPECT_EQ(Outputs(), Slots({302}));
}

TEST_F(PlanEditorTest, OutputListActivationAndTheTwentySixthRefusal) {
    for (int x = 2; x <= 7; ++x)
        for (int y = 2; y <= 6; ++y) Concrete(x, y);
    Command(cmd::kCheckOutputElement);
    EXPECT_TRUE(editor.OutputMode());
    Click(Centre(8, 8)); // no concrete: nothing
    Click(Centre(3, 0)); // a span label: nothing
    EXPECT_EQ(model->outputCount, 0);
    std::vector<int> expected;
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 6; ++x) {
            Click(Centre(x, y));
            expected.push_back(PositionCode(x, y));
        }
    EXPECT_EQ(model->outputCount, 25);
    EXPECT_EQ(Outputs(), expected);
    EXPECT_EQ(model->activeOutput, 202);
    EXPECT_TRUE(host.messages.empty());
    // Every change of the list is an undo step of its own.
    ASSERT_EQ(host.commits.size(), 25u);
    EXPECT_EQ(host.commits.back(), "Add Output Element");

    Click(Centre(7, 2));
    EXPECT_EQ(host.messages, std::vector<std::string>{"ERROR: too many OUTPUT elements."});
    EXPECT_EQ(model->outputCount, 25);
    EXPECT_EQ(Outputs(), expected);

    Click(Centre(4, 5)); // already listed: becomes the active one
    EXPECT_EQ(model->activeOutput, 504);
    Click(Centre(4, 5)); // the active one again: none active
    EXPECT_EQ(model->activeOutput, -1);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.commits.size(), 27u);
    EXPECT_EQ(host.commits.back(), "Choose Active Output Element");

    // Right click removes and compacts; the freed slot takes the next element.
    editor.RightButtonDown(Centre(2, 2));
    EXPECT_EQ(model->outputCount, 24);
    EXPECT_EQ(model->outputElements[0], 203);
    EXPECT_EQ(model->outputElements[24], -1);
    Click(Centre(7, 2));
    EXPECT_EQ(model->outputElements[24], 207);
    EXPECT_EQ(model->Flag(2, 2, kConcreteLayer), 1); // output clicks never toggle
    EXPECT_TRUE(host.menus.empty());
}

TEST_F(PlanEditorTest, ControlNodeIsChosenWithLeftAndClearedWithRightClick) {
    Command(cmd::kCheckControlNode);
    EXPECT_TRUE(editor.ControlMode());
    editor.LeftButtonDown(NodePoint(6, 7) + PlanPoint{10, -10});
    editor.LeftButtonUp(NodePoint(6, 7));
    EXPECT_EQ(model->controlNode, 706);
    EXPECT_FALSE(editor.Dragging());
    EXPECT_EQ(model->Flag(6, 7, kConcreteLayer), 0);
    editor.LeftButtonDown(NodePoint(13, 7)); // beyond the last node line
    EXPECT_EQ(model->controlNode, 706);
    editor.LeftButtonDown(NodePoint(12, 12));
    EXPECT_EQ(model->controlNode, 1212);
    editor.RightButtonDown(NodePoint(6, 7)); // not the control node
    EXPECT_EQ(model->controlNode, 1212);
    editor.RightButtonDown(NodePoint(12, 12));
    EXPECT_EQ(model->controlNode, 0);
    EXPECT_TRUE(host.menus.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PlanEditorTest, CheckModesExcludeEachOtherAndShowRadioMarks) {
    CommandState state;
    Command(cmd::kCheckControlNode);
    Command(cmd::kCheckOutputElement);
    EXPECT_TRUE(editor.OutputMode());
    EXPECT_FALSE(editor.ControlMode());
    ASSERT_TRUE(editor.OnUpdateCommand(cmd::kCheckOutputElement, state));
    EXPECT_TRUE(state.checked && state.radio);
    ASSERT_TRUE(editor.OnUpdateCommand(cmd::kCheckControlNode, state));
    EXPECT_FALSE(state.checked);
    Command(cmd::kCheckControlNode);
    EXPECT_TRUE(editor.ControlMode());
    EXPECT_FALSE(editor.OutputMode());
    Command(cmd::kCheckControlNode);
    EXPECT_FALSE(editor.ControlMode());
    EXPECT_FALSE(editor.OutputMode());
    editor.OnUpdateCommand(cmd::kCheckControlNode, state);
    EXPECT_FALSE(state.checked);
}

TEST_F(PlanEditorTest, RightClickOffersTheTypesOfThePickedKind) {
    editor.RightButtonDown(Centre(3, 4)); // unflagged square
    EXPECT_EQ(host.messages, std::vector<std::string>{"You can't set data on this place."});
    EXPECT_TRUE(host.menus.empty());

    Click(Centre(3, 4));
    host.menuAnswer = cmd::kPopupType1 + 2; // E3
    editor.RightButtonDown(Centre(3, 4));
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(MenuTexts(),
              (std::vector<std::string>{"E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8", "E9", "E10"}));
    EXPECT_EQ(host.menus[0].front().id, 130);
    EXPECT_EQ(host.menus[0].back().id, 139);
    EXPECT_EQ(host.menuPoints[0], Centre(3, 4));
    EXPECT_EQ(model->Type(3, 4, kConcreteLayer), 3);
    EXPECT_EQ(model->curType[PosIndex(3, 4)], 3);
    EXPECT_EQ(model->Flag(3, 4, kConcreteLayer), 1);

    // A span label takes the type into the span table.
    host.menuAnswer = cmd::kPopupType1 + 3; // X4
    editor.RightButtonDown(Centre(5, 0));
    EXPECT_EQ(MenuTexts(1).front(), "X1");
    EXPECT_EQ(model->SpanTypeOf(kAxisX, 5), 4);
    EXPECT_EQ(model->Type(5, 0, kConcreteLayer), 4);
    host.menuAnswer = cmd::kPopupType1 + 6; // Y7
    editor.RightButtonDown(Centre(0, 8));
    EXPECT_EQ(MenuTexts(2).back(), "Y10");
    EXPECT_EQ(model->SpanTypeOf(kAxisY, 8), 7);
    EXPECT_EQ(model->SpanTypeOf(kAxisX, 8), 1);

    // Dismissing the menu changes nothing.
    host.menuAnswer = 0;
    editor.RightButtonDown(Centre(3, 4));
    EXPECT_EQ(model->Type(3, 4, kConcreteLayer), 3);
}

TEST_F(PlanEditorTest, RightClickInTheNodeLayersAndAboveTheFibreLayer) {
    GoToLayer(kPointForceLayer);
    editor.RightButtonDown(Centre(5, 0)); // labels take no type in node layers
    EXPECT_EQ(host.messages.size(), 1u);
    Click(NodePoint(4, 5));
    host.menuAnswer = cmd::kPopupType10;
    editor.RightButtonDown(NodePoint(4, 5) + PlanPoint{-12, 12});
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(MenuTexts().front(), "P1");
    EXPECT_EQ(model->Type(4, 5, kPointForceLayer), 10);

    GoToLayer(kFibreLayer);
    Concrete(4, 5);
    Click(Centre(4, 5));
    editor.RightButtonDown(Centre(4, 5));
    EXPECT_EQ(MenuTexts(1).front(), "F1");

    GoToLayer(6);
    Click(Centre(4, 5));
    EXPECT_EQ(model->Flag(4, 5, 6), 1);
    editor.RightButtonDown(Centre(4, 5));
    EXPECT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(host.messages.back(), "You can't set data on this place.");
}

TEST_F(PlanEditorTest, DragAssignsATypeToEverySquareTheBandTouches) {
    host.menuAnswer = cmd::kPopupType1 + 3; // E4
    Drag(Centre(2, 2), Centre(6, 3));
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8", "E9",
                                                     "E10", "Clear"}));
    EXPECT_EQ(host.menus[0].back().id, 140);
    EXPECT_EQ(host.menuPoints[0], Centre(6, 3));
    EXPECT_TRUE(editor.RectMode());
    EXPECT_EQ(editor.PopupType(), 4);
    // Both end squares belong to the rectangle: columns 2..6, rows 2..3.
    EXPECT_EQ(editor.RectX0(), 2);
    EXPECT_EQ(editor.RectX1(), 7);
    EXPECT_EQ(editor.RectY0(), 2);
    EXPECT_EQ(editor.RectY1(), 4);
    int flagged = 0;
    for (int x = 2; x < kGridSize; ++x)
        for (int y = 2; y < kGridSize; ++y)
            if (model->Flag(x, y, kConcreteLayer)) {
                ++flagged;
                EXPECT_EQ(model->Type(x, y, kConcreteLayer), 4);
                EXPECT_LE(y, 3);
                EXPECT_LE(x, 6);
            }
    EXPECT_EQ(flagged, 10);
    EXPECT_EQ(model->curType[PosIndex(6, 3)], 4); // the working copy follows
    EXPECT_EQ(host.commits, std::vector<std::string>{"Set E4 on 10 cells"});

    // Upwards and leftwards gives the same rectangle; "Clear" empties it again, the start square
    // included (the press toggled it, the drag put it back before clearing).
    host.menuAnswer = cmd::kPopupClear;
    Drag(Centre(6, 3), Centre(2, 2));
    for (int x = 2; x <= 6; ++x)
        for (int y = 2; y <= 3; ++y) {
            EXPECT_EQ(model->Flag(x, y, kConcreteLayer), 0);
            EXPECT_EQ(model->Type(x, y, kConcreteLayer), 1);
            EXPECT_EQ(model->curFlag[PosIndex(x, y)], 0);
        }
    EXPECT_EQ(host.commits.back(), "Clear E on 10 cells");
}

TEST_F(PlanEditorTest, ADragOfOneSquareInEitherDirectionIsARectangle) {
    host.menuAnswer = cmd::kPopupType1 + 1;
    Drag(Centre(5, 5), Centre(6, 5)); // one column to the right
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(model->Flag(5, 5, kConcreteLayer), 1);
    EXPECT_EQ(model->Flag(6, 5, kConcreteLayer), 1);
    EXPECT_EQ(model->Type(5, 5, kConcreteLayer), 2);
    Drag(Centre(8, 9), Centre(8, 2)); // one column, upwards
    ASSERT_EQ(host.menus.size(), 2u);
    for (int y = 2; y <= 9; ++y) EXPECT_EQ(model->Flag(8, y, kConcreteLayer), 1) << y;
    EXPECT_EQ(host.commits.back(), "Set E2 on 8 cells");

    // A press and release in one square is a click, even with a little movement.
    Drag(Centre(3, 3), Centre(3, 3) + PlanPoint{10, 10});
    EXPECT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(model->Flag(3, 3, kConcreteLayer), 1);
    EXPECT_EQ(host.commits.back(), "Add E at 3,3");
    // Across a border by less than the drag distance: still a click on the start square.
    Drag({CellLeft(4) + 28, CellTop(4) + 15}, {CellLeft(5) + 1, CellTop(4) + 15});
    EXPECT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(model->Flag(4, 4, kConcreteLayer), 1);
    EXPECT_EQ(model->Flag(5, 4, kConcreteLayer), 0);
}

TEST_F(PlanEditorTest, ADismissedMenuOrACancelledDragLeavesTheModelAsItWas) {
    Concrete(4, 4);
    const CFramePat before = *model;
    host.menuAnswer = 0;
    Drag(Centre(4, 4), Centre(7, 7));
    EXPECT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(std::memcmp(model.get(), &before, sizeof before), 0);

    editor.LeftButtonDown(Centre(4, 4));
    EXPECT_TRUE(editor.Dragging());
    EXPECT_EQ(model->Flag(4, 4, kConcreteLayer), 0); // the press shows the toggle at once
    editor.CancelDrag();
    EXPECT_FALSE(editor.Dragging());
    EXPECT_EQ(model->Flag(4, 4, kConcreteLayer), 1);
    EXPECT_EQ(model->curFlag[PosIndex(4, 4)], 1);
    editor.LeftButtonUp(Centre(9, 9)); // the release after a cancel does nothing
    EXPECT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(std::memcmp(model.get(), &before, sizeof before), 0);
    EXPECT_TRUE(host.commits.empty());
}

TEST_F(PlanEditorTest, DragRectangleIsClampedToTheGrid) {
    host.menuAnswer = cmd::kPopupType1;
    Drag({5, 5}, {2000, 2000});
    EXPECT_EQ(editor.RectX0(), 2);
    EXPECT_EQ(editor.RectY0(), 2);
    EXPECT_EQ(editor.RectX1(), 12);
    EXPECT_EQ(editor.RectY1(), 12);
    int flagged = 0;
    for (int x = 2; x < kGridSize; ++x)
        for (int y = 2; y < kGridSize; ++y) flagged += model->Flag(x, y, kConcreteLayer) ? 1 : 0;
    EXPECT_EQ(flagged, 100);

    // Node layers reach one line further and use the nearest node.
    GoToLayer(kBoundaryLayer);
    Drag(NodePoint(2, 2), {2000, 2000});
    EXPECT_EQ(editor.RectX1(), 13);
    flagged = 0;
    for (int x = 2; x < kGridSize; ++x)
        for (int y = 2; y < kGridSize; ++y) flagged += model->Flag(x, y, kBoundaryLayer) ? 1 : 0;
    EXPECT_EQ(flagged, 121);
}

TEST_F(PlanEditorTest, RectangleInRebarLayerKeepsFlagsOffWithoutConcrete) {
    Concrete(3, 3);
    GoToLayer(kRebarLayer);
    host.menuAnswer = cmd::kPopupType1 + 6;
    Drag(Centre(2, 2), Centre(6, 4));
    EXPECT_EQ(model->Flag(3, 3, kRebarLayer), 1);
    EXPECT_EQ(model->Flag(4, 3, kRebarLayer), 0);
    EXPECT_EQ(model->Type(4, 3, kRebarLayer), 7); // the type is written all the same
    EXPECT_EQ(model->curFlag[PosIndex(3, 3)], 1);

    GoToLayer(7);
    host.menus.clear();
    Drag(Centre(2, 2), Centre(6, 4));
    EXPECT_TRUE(host.menus.empty());
    EXPECT_EQ(host.messages.back(), "You can't set data on this place.");
    EXPECT_EQ(model->Flag(3, 3, 7), 0);
    EXPECT_EQ(model->Flag(2, 2, 7), 0); // the press needs concrete in every layer above it
}

TEST_F(PlanEditorTest, LayerCommandsAndTheirMessages) {
    GoToLayer(0);
    EXPECT_TRUE(host.messages.empty());
    Command(cmd::kMoveLowerFloor);
    EXPECT_EQ(host.messages.back(), "You are already in the bottom layer.");
    Command(cmd::kCopyLowerPattern);
    EXPECT_EQ(host.messages.back(), "You have no floor to copy.");
    GoToLayer(10);
    EXPECT_EQ(model->layersShown, 10);
    Command(cmd::kMoveUpperFloor);
    EXPECT_EQ(host.messages.back(), "You are already in the top floor.");
    Command(cmd::kCopyUpperPattern);
    EXPECT_EQ(host.messages.back(), "There is no floor to copy.");
    EXPECT_EQ(model->curLayer, 10);
    EXPECT_EQ(host.messages.size(), 4u);
    EXPECT_FALSE(host.modified); // moving between layers is no edit
}

TEST_F(PlanEditorTest, MovingKeepsEachLayersPatternAndRaisesLayersShown) {
    Click(Centre(3, 3));
    Command(cmd::kMoveUpperFloor);
    EXPECT_EQ(model->curLayer, 3);
    EXPECT_EQ(model->curFlag[PosIndex(3, 3)], 0);
    EXPECT_EQ(model->layersShown, 4);
    Command(cmd::kMoveUpperFloor);
    Command(cmd::kMoveUpperFloor);
    EXPECT_EQ(model->layersShown, 5);
    Command(cmd::kMoveLowerFloor);
    Command(cmd::kMoveLowerFloor);
    Command(cmd::kMoveLowerFloor);
    EXPECT_EQ(model->curLayer, 2);
    EXPECT_EQ(model->curFlag[PosIndex(3, 3)], 1);
}

TEST_F(PlanEditorTest, CopyLowerInLayerOneIsRefusedAndLeavesTheModelAlone) {
    GoToLayer(kPointForceLayer);
    Click(NodePoint(4, 4));
    GoToLayer(kBoundaryLayer);
    host.modified = false;
    const auto before = std::make_unique<CFramePat>(*model);
    CommandState state;
    editor.OnUpdateCommand(cmd::kCopyLowerPattern, state);
    EXPECT_TRUE(state.enabled); // enabled, yet refused
    Command(cmd::kCopyLowerPattern);
    EXPECT_EQ(host.messages, std::vector<std::string>{"You have no floor to copy."});
    EXPECT_EQ(0, std::memcmp(before->layerFlag, model->layerFlag, sizeof model->layerFlag));
    EXPECT_EQ(model->Flag(4, 4, kBoundaryLayer), 0);
    EXPECT_FALSE(host.modified);
}

TEST_F(PlanEditorTest, CopyPatternsBringTheNeighbourLayerIntoTheCurrentOne) {
    host.menuAnswer = cmd::kPopupType1 + 4;
    Drag(Centre(2, 2), Centre(6, 3)); // concrete E5 at (2..5, 2)
    GoToLayer(kRebarLayer);
    const int notifies = host.otherNotifies;
    host.modified = false;
    Command(cmd::kCopyLowerPattern);
    EXPECT_EQ(model->curLayer, kRebarLayer);
    EXPECT_EQ(model->Flag(4, 2, kRebarLayer), 1);
    EXPECT_EQ(model->Type(4, 2, kRebarLayer), 5);
    EXPECT_EQ(model->curFlag[PosIndex(4, 2)], 1);
    EXPECT_GT(host.otherNotifies, notifies);
    EXPECT_TRUE(host.modified);

    GoToLayer(kBoundaryLayer);
    Command(cmd::kCopyUpperPattern); // the concrete layer lands in the boundary layer
    EXPECT_EQ(model->Flag(4, 2, kBoundaryLayer), 1);
    EXPECT_EQ(model->curLayer, kBoundaryLayer);
    EXPECT_EQ(model->Flag(4, 2, kConcreteLayer), 1);
}

TEST_F(PlanEditorTest, ClearPatternEmptiesTheLayerLabelsIncludedButNotTheSpanTable) {
    Click(Centre(3, 3));
    model->SpanTypeOf(kAxisX, 4) = 3;
    host.modified = false;
    Command(cmd::kClearPattern);
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y) {
            EXPECT_EQ(model->Flag(x, y, kConcreteLayer), 0);
            EXPECT_EQ(model->Type(x, y, kConcreteLayer), 1);
        }
    EXPECT_EQ(model->Flag(4, 0, kRebarLayer), 1); // other layers untouched
    EXPECT_EQ(model->SpanTypeOf(kAxisX, 4), 3);
    EXPECT_TRUE(host.modified);
    // With the label flags gone the labels offer no types until clicked again.
    editor.RightButtonDown(Centre(4, 0));
    EXPECT_EQ(host.messages.back(), "You can't set data on this place.");
}

TEST_F(PlanEditorTest, CommandStates) {
    CommandState state;
    auto enabled = [&](int id) {
        state = {};
        EXPECT_TRUE(editor.OnUpdateCommand(id, state)) << id;
        return state.enabled;
    };
    auto radio = [&](int id) {
        state = {};
        editor.OnUpdateCommand(id, state);
        EXPECT_TRUE(state.radio);
        return state.checked;
    };
    // Layer 2 of a new model: topLayer is 2.
    EXPECT_TRUE(enabled(cmd::kMoveLowerFloor));
    EXPECT_TRUE(enabled(cmd::kCopyLowerPattern));
    EXPECT_FALSE(enabled(cmd::kMoveUpperFloor));
    EXPECT_FALSE(enabled(cmd::kCopyUpperPattern));
    EXPECT_TRUE(radio(cmd::kConcreteElement));
    EXPECT_FALSE(radio(cmd::kPointForce));
    GoToLayer(0);
    EXPECT_FALSE(enabled(cmd::kMoveLowerFloor));
    EXPECT_FALSE(enabled(cmd::kCopyLowerPattern));
    EXPECT_TRUE(enabled(cmd::kMoveUpperFloor));
    EXPECT_TRUE(radio(cmd::kPointForce));
    Command(cmd::kSteelRebarElement);
    EXPECT_TRUE(radio(cmd::kSteelRebarElement));
    EXPECT_FALSE(radio(cmd::kConcreteElement));
    Command(cmd::kFiberElement);
    EXPECT_TRUE(radio(cmd::kFiberElement));
    GoToLayer(6);
    for (int id : {cmd::kPointForce, cmd::kBoundaryCondition, cmd::kConcreteElement, cmd::kSteelRebarElement,
                   cmd::kFiberElement})
        EXPECT_FALSE(radio(id));
    EXPECT_TRUE(enabled(cmd::kFrameSize));
    EXPECT_TRUE(enabled(cmd::kPopupType1 + 5));
    EXPECT_FALSE(editor.OnUpdateCommand(cmd::kFileSave, state));
    EXPECT_FALSE(editor.OnCommand(cmd::kFileSave));
}

TEST_F(PlanEditorTest, MemberCommandSelectsItsLayerFirstAndOpensItsEditorSecond) {
    Command(cmd::kBoundaryCondition);
    EXPECT_EQ(model->curLayer, kBoundaryLayer);
    EXPECT_TRUE(host.editorCalls.empty());
    EXPECT_FALSE(host.modified);

    host.editorAnswer = false; // Cancel: nothing changes
    Command(cmd::kBoundaryCondition);
    EXPECT_EQ(host.editorCalls, std::vector<std::string>{"type 1"});
    EXPECT_EQ(model->gravity, 980);
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(host.allNotifies, 0);

    model->activeOutput = 505;
    host.editorAnswer = true; // OK: the copy comes back, the active output stays
    Command(cmd::kBoundaryCondition);
    EXPECT_EQ(model->gravity, 1234);
    EXPECT_EQ(model->activeOutput, 505);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(model->curLayer, kBoundaryLayer);

    Command(cmd::kFiberElement);
    Command(cmd::kFiberElement);
    Command(cmd::kSteelRebarElement);
    Command(cmd::kSteelRebarElement);
    Command(cmd::kPointForce);
    Command(cmd::kPointForce);
    Command(cmd::kConcreteElement);
    Command(cmd::kConcreteElement);
    EXPECT_EQ(host.editorCalls,
              (std::vector<std::string>{"type 1", "type 1", "type 4", "type 3", "type 0", "type 2"}));
}

TEST_F(PlanEditorTest, SpanAndFrameEditorsWorkOnACopyWithoutChangingTheLayer) {
    host.editorAnswer = false;
    Command(cmd::kXElementLength);
    Command(cmd::kYElementLength);
    Command(cmd::kFrameSize);
    EXPECT_EQ(host.editorCalls, (std::vector<std::string>{"span 0", "span 1", "frame"}));
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(model->gravity, 980);

    host.editorAnswer = true;
    Command(cmd::kFrameSize);
    EXPECT_EQ(model->gravity, 1234);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(host.allNotifies, 1);
    EXPECT_EQ(model->curLayer, kConcreteLayer);
}

TEST_F(PlanEditorTest, ModifiedFlagFollowsTheEditsThatChangeTheSavedModel) {
    Command(cmd::kMoveLowerFloor);
    Command(cmd::kMoveUpperFloor);
    Command(cmd::kCheckOutputElement);
    Command(cmd::kCheckOutputElement);
    editor.RightButtonDown(Centre(3, 3));
    EXPECT_FALSE(host.modified);

    // Context-menu assignments change saved types: the document must ask to save them.
    model->Flag(3, 3, kConcreteLayer) = 1;
    model->LoadCurrentLayer();
    host.menuAnswer = cmd::kPopupType1 + 1;
    editor.RightButtonDown(Centre(3, 3));
    EXPECT_EQ(model->Type(3, 3, kConcreteLayer), 2);
    EXPECT_TRUE(host.modified);

    host.modified = false;
    Command(cmd::kCheckControlNode);
    editor.LeftButtonDown(NodePoint(4, 4));
    EXPECT_TRUE(host.modified);
}

TEST_F(PlanEditorTest, WithoutAModelEverythingIsIgnored) {
    editor.SetModel(nullptr);
    Click(Centre(3, 3));
    editor.RightButtonDown(Centre(3, 3));
    for (int id :
         {cmd::kMoveLowerFloor, cmd::kMoveUpperFloor, cmd::kCopyLowerPattern, cmd::kCopyUpperPattern,
          cmd::kClearPattern, cmd::kConcreteElement, cmd::kFrameSize, cmd::kPopupType1, cmd::kPopupClear})
        editor.OnCommand(id);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.editorCalls.empty());
    CommandState state;
    editor.OnUpdateCommand(cmd::kMoveLowerFloor, state);
    EXPECT_FALSE(state.enabled);
}
