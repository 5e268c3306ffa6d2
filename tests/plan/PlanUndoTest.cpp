// Undo and redo of every kind of plan edit through the document's undo stack, driven through the
// real plan view: each step restores the model byte for byte, steps carry their names, the
// modified flag follows the stack's clean state, and a drag can be cancelled.
#include "framework/CommandIds.h"
#include "framework/MessageService.h"
#include "model/ModelFile.h"
#include "plan/PlanTestSupport.h"
#include "plan/PlanViewFixture.h"
#include "support/TempDir.h"

#include <QFile>
#include <QKeyEvent>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace torva;
using namespace torva::test;

namespace {

std::vector<uint8_t> Image(const CFramePat& model) {
    CFramePat copy = model;
    return WriteModelImage(copy);
}

// The whole model as bytes, the fields the file leaves out (the output list) included.
std::vector<uint8_t> Raw(const CFramePat& model) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&model);
    return std::vector<uint8_t>(bytes, bytes + sizeof model);
}

class PlanUndoTest : public PlanViewTest {
protected:
    void TearDown() override {
        CTorvaDoc::SetModelEditor(cmd::kOptionStructure, nullptr);
        CTorvaDoc::SetModelEditor(cmd::kOptionLoading, nullptr);
        PlanViewTest::TearDown();
    }
    QUndoStack& Stack() { return *document->UndoStack(); }
    std::string UndoText() {
        CommandState state;
        EXPECT_TRUE(document->OnUpdateCommand(cmd::kEditUndo, state));
        return state.text;
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
    }
    QByteArray Saved(const std::string& name) {
        const QString path = QString::fromStdString(dir.file(name));
        EXPECT_TRUE(document->DoSave(path, false));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    TempDir dir;
};

TEST_F(PlanUndoTest, EveryKindOfEditUndoesToTheSameFileAndRedoesToTheEditedOne) {
    MessageRecorder messages; // answers Clear Pattern's question with Yes
    CTorvaView::Hooks().typeEditor = [](int kind, CFramePat& copy, QWidget*) {
        copy.Prop(kind, 2, 1) += 7;
        copy.Color(kind, 3) = 0x123456;
        return true;
    };
    CTorvaView::Hooks().spanEditor = [](int axis, CFramePat& copy, QWidget*) {
        copy.SpanLengthOf(axis, 2) = 333;
        copy.SpanTypeOf(axis, 4) = 2;
        return true;
    };
    CTorvaView::Hooks().frameEditor = [](CFramePat& copy, QWidget*) {
        copy.nxs = 20;
        copy.nys = 15;
        return true;
    };
    CTorvaDoc::SetModelEditor(cmd::kOptionStructure, [](CFramePat& copy, QWidget*) {
        copy.elementKind = 2;
        copy.gravity = 1;
        return true;
    });
    CTorvaDoc::SetModelEditor(cmd::kOptionLoading, [](CFramePat& copy, QWidget*) {
        copy.segmentCount = 2;
        copy.segmentPoints[1] = 5000;
        copy.segmentPoints[2] = -3000;
        return true;
    });
    const QByteArray start = Saved("start.fem");

    std::vector<std::string> names;
    auto step = [&](const std::function<void()>& edit) {
        const int before = Stack().count();
        edit();
        ASSERT_EQ(Stack().count(), before + 1) << "an edit must be one undo step";
        names.push_back(Stack().text(Stack().count() - 1).toStdString());
    };
    step([&] { LeftClick(Centre(3, 3)); });
    step([&] {
        menuAnswer = cmd::kPopupType1 + 1;
        Drag(Centre(2, 2), Centre(5, 6));
    });
    step([&] {
        menuAnswer = cmd::kPopupType1 + 8;
        RightClick(Centre(4, 4));
    });
    step([&] { Command(cmd::kConcreteElement); }); // the current layer: its type editor
    step([&] { Command(cmd::kXElementLength); });
    step([&] { Command(cmd::kYElementLength); });
    step([&] { ASSERT_TRUE(document->OnCommand(cmd::kOptionStructure)); });
    step([&] { ASSERT_TRUE(document->OnCommand(cmd::kOptionLoading)); });
    Command(cmd::kCheckOutputElement);
    step([&] { LeftClick(Centre(3, 4)); });
    step([&] { LeftClick(Centre(5, 5)); });
    step([&] { RightClick(Centre(3, 4)); });
    Command(cmd::kCheckControlNode);
    step([&] { LeftClick(NodePoint(6, 7)); });
    Command(cmd::kCheckControlNode);
    Command(cmd::kMoveUpperFloor); // rebar: navigation is no step of its own
    step([&] { Command(cmd::kCopyLowerPattern); });
    step([&] {
        menuAnswer = cmd::kPopupClear;
        Drag(Centre(2, 2), Centre(3, 3));
    });
    Command(cmd::kMoveLowerFloor);
    step([&] { Command(cmd::kClearPattern); });
    step([&] { Command(cmd::kFrameSize); });
    EXPECT_EQ(names,
              (std::vector<std::string>{
                  "Add E at 3,3", "Set E2 on 20 cells", "Set E9 on 1 cell", "Edit Element Types",
                  "Edit X Element Length", "Edit Y Element Length", "Edit Structure Options", "Edit Loading",
                  "Add Output Element", "Add Output Element", "Remove Output Element", "Set Control Node",
                  "Copy Lower Pattern", "Clear S on 4 cells", "Clear Pattern", "Edit Frame Size"}));
    EXPECT_EQ(UndoText(), "&Undo Edit Frame Size\tCtrl+Z");
    const QByteArray edited = Saved("edited.fem");
    ASSERT_NE(edited, start);

    // Every step back gives a model different from the one after it, and the last gives the start.
    while (Stack().canUndo()) {
        const std::vector<uint8_t> after = Raw(Model());
        ASSERT_TRUE(document->OnCommand(cmd::kEditUndo));
        EXPECT_NE(Raw(Model()), after) << Stack().text(Stack().index()).toStdString();
    }
    EXPECT_EQ(UndoText(), "&Undo\tCtrl+Z");
    EXPECT_EQ(Saved("undone.fem"), start);
    while (Stack().canRedo()) ASSERT_TRUE(document->OnCommand(cmd::kEditRedo));
    EXPECT_EQ(Saved("redone.fem"), edited);
    EXPECT_EQ(messages.Texts(), QStringList{"Clear every member of the Element layer?"});
}

TEST_F(PlanUndoTest, TheModifiedFlagFollowsTheCleanState) {
    EXPECT_FALSE(document->IsModified());
    LeftClick(Centre(3, 3));
    EXPECT_TRUE(document->IsModified());
    document->OnCommand(cmd::kEditUndo);
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(Model().Flag(3, 3, kConcreteLayer), 0);
    // The plan view shows the undone state.
    EXPECT_EQ(Rgb(Screen(), CellLeft(3) + 15 - view->ScrollOffset().x(), CellTop(3) + 15), 0xDCDCDCu);
    document->OnCommand(cmd::kEditRedo);
    EXPECT_TRUE(document->IsModified());

    Saved("saved.fem");
    EXPECT_FALSE(document->IsModified());
    LeftClick(Centre(4, 4));
    document->OnCommand(cmd::kEditUndo);
    EXPECT_FALSE(document->IsModified()); // back at the saved state
    document->OnCommand(cmd::kEditUndo);
    EXPECT_TRUE(document->IsModified()); // before the saved state

    // A click that changes nothing (outside the grid) records nothing.
    const int steps = Stack().count();
    LeftClick({CellLeft(40), CellTop(40)});
    EXPECT_EQ(Stack().count(), steps);
}

TEST_F(PlanUndoTest, UndoOverAnUnrecordedLayerChangeRestoresTheEditsLayer) {
    LeftClick(Centre(3, 3));
    Command(cmd::kMoveUpperFloor);
    ASSERT_EQ(Model().curLayer, kRebarLayer);
    document->OnCommand(cmd::kEditUndo);
    EXPECT_EQ(Model().curLayer, kConcreteLayer);
    EXPECT_EQ(Model().curFlag[PosIndex(3, 3)], 0);
    EXPECT_EQ(Image(Model()), Image(CFramePat()));
}

TEST_F(PlanUndoTest, EscOrARightClickDuringADragCancelsItAndRestoresTheStartSquare) {
    Model().Flag(4, 4, kConcreteLayer) = 1;
    Model().LoadCurrentLayer();
    document->CommitModelEdit(QStringLiteral("setup"));
    const std::vector<uint8_t> before = Image(Model());
    menuAnswer = cmd::kPopupType1;

    Send(QEvent::MouseButtonPress, At(Centre(4, 4)), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, At(Centre(8, 8)), Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(view->RubberBand().isEmpty());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(view->RubberBand().isEmpty());
    Send(QEvent::MouseButtonRelease, At(Centre(8, 8)), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(menus.empty());
    EXPECT_EQ(Image(Model()), before);
    EXPECT_EQ(Model().curFlag[PosIndex(4, 4)], 1);

    Send(QEvent::MouseButtonPress, At(Centre(4, 4)), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, At(Centre(8, 8)), Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonPress, At(Centre(8, 8)), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    Send(QEvent::MouseButtonRelease, At(Centre(8, 8)), Qt::RightButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, At(Centre(8, 8)), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(menus.empty());
    EXPECT_EQ(Image(Model()), before);
    EXPECT_EQ(Stack().count(), 1);
}

TEST_F(PlanUndoTest, ClearPatternAsksFirstAndNoKeepsTheLayer) {
    LeftClick(Centre(3, 3));
    const std::vector<uint8_t> before = Image(Model());
    MessageRecorder messages;
    messages.QueueAnswer(MessageAnswer::No);
    Command(cmd::kClearPattern);
    EXPECT_EQ(messages.Texts(), QStringList{"Clear every member of the Element layer?"});
    EXPECT_EQ(Image(Model()), before);
    EXPECT_EQ(Stack().count(), 1);
}

} // namespace
