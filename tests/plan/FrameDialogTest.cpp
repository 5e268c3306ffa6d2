// Checks the Frame editor, the structure options, the YES/NO confirmations and the WAIT window.
#include "DialogDriver.h"
#include "framework/MessageService.h"
#include "model/FramePat.h"
#include "plan/Editors.h"
#include "plan/FrameDialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>

namespace torva {
namespace {

using test::Click;
using test::Control;
using test::Key;
using test::Text;
using test::Type;

struct FrameFixture : ::testing::Test {
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    MessageRecorder messages;

    // Runs the Frame editor with the given element counts and answer; true when it ended with OK.
    bool Frame(int xElements, int yElements, MessageAnswer answer) {
        CEditFrame dialog(*model);
        dialog.show();
        Control<QComboBox>(&dialog, ctl::kFrameX)->setCurrentIndex(xElements - 1);
        Control<QComboBox>(&dialog, ctl::kFrameY)->setCurrentIndex(yElements - 1);
        messages.QueueAnswer(answer);
        Click(&dialog, ctl::kOk);
        return dialog.result() == QDialog::Accepted;
    }
};

TEST_F(FrameFixture, ComboBoxesListOneToSixtyAndShowTheCurrentSize) {
    CEditFrame dialog(*model);
    EXPECT_EQ(dialog.windowTitle(), "Frame Editor");
    for (int id : {ctl::kFrameX, ctl::kFrameY}) {
        auto* box = Control<QComboBox>(&dialog, id);
        ASSERT_EQ(box->count(), 60);
        EXPECT_EQ(box->itemText(0), " 1");
        EXPECT_EQ(box->itemText(8), " 9");
        EXPECT_EQ(box->itemText(9), "10");
        EXPECT_EQ(box->itemText(59), "60");
        EXPECT_EQ(box->currentText(), "10"); // a new model has 10 × 10 elements
    }
    model->nxs = 3;
    model->nys = 62;
    CEditFrame other(*model);
    EXPECT_EQ(Control<QComboBox>(&other, ctl::kFrameX)->currentText(), " 1");
    EXPECT_EQ(Control<QComboBox>(&other, ctl::kFrameY)->currentText(), "60");
    // A size that no accepted file can hold still gives a selection, never an index of -1.
    model->nxs = 80;
    model->nys = 0;
    CEditFrame foreign(*model);
    EXPECT_EQ(Control<QComboBox>(&foreign, ctl::kFrameX)->currentText(), "60");
    EXPECT_EQ(Control<QComboBox>(&foreign, ctl::kFrameY)->currentText(), " 1");
}

TEST_F(FrameFixture, YesGivesTheNewSizeAndAnOtherwiseNewModel) {
    model->Flag(5, 5, kConcreteLayer) = 1;
    model->Prop(kConcreteLayer, 3, 0) = 12300;
    model->gravity = 500;
    model->curLayer = kPointForceLayer;
    model->controlNode = PositionCode(4, 4);
    ASSERT_TRUE(Frame(60, 1, MessageAnswer::Yes));
    EXPECT_EQ(messages.Texts(), QStringList{"Clear all building information?"});
    EXPECT_EQ(model->nxs, 62);
    EXPECT_EQ(model->nys, 3);
    auto fresh = std::make_unique<CFramePat>();
    fresh->nxs = 62;
    fresh->nys = 3;
    EXPECT_TRUE(test::SameModel(*model, *fresh));
}

TEST_F(FrameFixture, NoKeepsThePatternAndAGrownGridShowsItAgain) {
    model->Flag(9, 11, kConcreteLayer) = 1;
    model->Type(9, 11, kConcreteLayer) = 7;
    model->Prop(kConcreteLayer, 3, 0) = 12300;
    const auto before = std::make_unique<CFramePat>(*model);

    ASSERT_TRUE(Frame(2, 3, MessageAnswer::No));
    EXPECT_EQ(model->nxs, 4);
    EXPECT_EQ(model->nys, 5);
    EXPECT_EQ(model->Flag(9, 11, kConcreteLayer), 1); // beyond the grid, still stored

    ASSERT_TRUE(Frame(10, 10, MessageAnswer::No));
    EXPECT_EQ(messages.Texts().size(), 2);
    EXPECT_TRUE(test::SameModel(*model, *before));
}

TEST_F(FrameFixture, CancelAndEscapeChangeNothing) {
    const auto before = std::make_unique<CFramePat>(*model);
    CEditFrame dialog(*model);
    dialog.show();
    Control<QComboBox>(&dialog, ctl::kFrameX)->setCurrentIndex(40);
    Click(&dialog, ctl::kCancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    CEditFrame escaped(*model);
    escaped.show();
    Control<QComboBox>(&escaped, ctl::kFrameY)->setCurrentIndex(40);
    Key(&escaped, Qt::Key_Escape);
    EXPECT_EQ(escaped.result(), QDialog::Rejected);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_TRUE(test::SameModel(*model, *before));
}

TEST_F(FrameFixture, StructureOptionsStoreGravityAndTheElementChoice) {
    model->elementKind = 0;
    CEditOptionStructure dialog(*model);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Option for Structure");
    EXPECT_EQ(dialog.Choice(), 1);
    EXPECT_TRUE(Control<QRadioButton>(&dialog, ctl::kElementPlain)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&dialog, ctl::kElementIncompatible)->isChecked());
    EXPECT_EQ(Text(&dialog, ctl::kGravity), "9.8");
    Type(&dialog, ctl::kGravity, "9.81");
    Click(&dialog, ctl::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(model->elementKind, 1); // 0 is written back as the plain element
    EXPECT_EQ(model->gravity, 981);

    CEditOptionStructure again(*model);
    again.show();
    EXPECT_EQ(Text(&again, ctl::kGravity), "9.81");
    Click(&again, ctl::kElementIncompatible);
    EXPECT_EQ(again.Choice(), 2);
    Type(&again, ctl::kGravity, "9.8");
    Click(&again, ctl::kOk);
    EXPECT_EQ(model->elementKind, 2);
    EXPECT_EQ(model->gravity, 980);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(FrameFixture, StructureOptionsRefuseBadGravityAndCancelCleanly) {
    const auto before = std::make_unique<CFramePat>(*model);
    CEditOptionStructure dialog(*model);
    dialog.show();
    Click(&dialog, ctl::kElementPlain);
    const std::pair<const char*, const char*> cases[] = {
        {"9,81x", "Enter a number for Gravity acceleration (m/sec2)."},
        {"", "Enter a number for Gravity acceleration (m/sec2)."},
        {"-9.8", "Gravity acceleration (m/sec2) must lie between 0 and 327.67."},
        {"400", "Gravity acceleration (m/sec2) must lie between 0 and 327.67."},
    };
    for (const auto& [typed, message] : cases) {
        messages.Clear();
        Type(&dialog, ctl::kGravity, typed);
        Click(&dialog, ctl::kOk);
        EXPECT_EQ(messages.Texts(), QStringList{message}) << typed;
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), ctl::Find<QLineEdit>(&dialog, ctl::kGravity));
    }
    EXPECT_TRUE(test::SameModel(*model, *before));
    Key(dialog.focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(test::SameModel(*model, *before));
    EXPECT_EQ(ctl::Find<QPushButton>(&dialog, ctl::kCancel), nullptr); // only the close box cancels
}

TEST(ConfirmDialogs, TheirOwnDialogsAnswerYesAndNo) {
    CDefaultMember member;
    EXPECT_EQ(member.windowTitle(), "Default Values");
    EXPECT_NE(member.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(member.findChild<QLabel*>()->text(), "Set default values for all members?");
    EXPECT_EQ(Control<QPushButton>(&member, ctl::kOk)->text(), "YES");
    EXPECT_EQ(Control<QPushButton>(&member, ctl::kCancel)->text(), "NO");
    CInitializeBuilding building;
    EXPECT_EQ(building.windowTitle(), "Frame Size");
    EXPECT_EQ(building.findChild<QLabel*>()->text(), "Clear all building information?");

    // Without a recorder the real dialog is shown and answered.
    auto answer = [](int id) {
        QTimer::singleShot(0, [id] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_NE(dialog->windowTitle(), "Dialog");
            if (id)
                Click(dialog, id);
            else
                Key(dialog, Qt::Key_Escape);
        });
    };
    answer(ctl::kOk);
    EXPECT_TRUE(CDefaultMember::Confirm(nullptr));
    answer(ctl::kCancel);
    EXPECT_FALSE(CInitializeBuilding::Confirm(nullptr));
    answer(0);
    EXPECT_FALSE(CDefaultMember::Confirm(nullptr));
}

TEST(BusyWindow, IsCreatedHiddenAndModeless) {
    QWidget owner;
    auto* busy = new BusyDialog(&owner);
    EXPECT_FALSE(busy->isVisible());
    EXPECT_FALSE(busy->isModal());
    EXPECT_EQ(busy->windowTitle(), "WAIT");
    EXPECT_EQ(busy->findChild<QLabel*>()->text(), "Wait for a moment...");
    busy->Present();
    EXPECT_TRUE(busy->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    busy->hide();
    EXPECT_FALSE(busy->isVisible());
    delete busy;
    EXPECT_TRUE(owner.findChildren<BusyDialog*>().isEmpty());
}

TEST_F(FrameFixture, RunFunctionsAreModalAndReturnTheEnding) {
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        Control<QComboBox>(dialog, ctl::kFrameX)->setCurrentIndex(4);
        Click(dialog, ctl::kOk);
    });
    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(RunFrameEditor(*model, nullptr));
    EXPECT_EQ(model->nxs, 7);

    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        Type(dialog, ctl::kGravity, "10");
        Click(dialog, ctl::kOk);
    });
    EXPECT_TRUE(RunStructureOptions(*model, nullptr));
    EXPECT_EQ(model->gravity, 1000);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(RunStructureOptions(*model, nullptr));
}

} // namespace
} // namespace torva
