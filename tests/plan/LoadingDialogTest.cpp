// Checks the Loading dialog driven as a user would: what it shows, what OK stores, refusals, presets,
// cancelling, and how it looks.
#include "plan/LoadingDialog.h"

#include "DialogDriver.h"
#include "analysis/LoadingProtocol.h"
#include "framework/MessageService.h"
#include "model/FramePat.h"
#include "plan/Editors.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>

namespace torva {
namespace {

using test::Click;
using test::Control;
using test::Key;
using test::Type;

QString Label(const QWidget* dialog, int id) {
    return Control<QLabel>(dialog, id)->text();
}

// Replaces a spin box's text key by key.
void TypeCount(const QWidget* dialog, int id, const QString& text) {
    auto* box = Control<QSpinBox>(dialog, id);
    box->setFocus();
    box->selectAll();
    Key(box, Qt::Key_Delete);
    for (QChar ch : text) Key(box, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    EXPECT_EQ(box->text(), text);
}

// Opens the cell's editor with F2, replaces its text and presses Return.
void TypeTarget(const LoadingDialog& dialog, int row, const QString& text) {
    QTableWidget* table = dialog.Table();
    table->setFocus();
    table->setCurrentCell(row, LoadingDialog::kTargetColumn);
    Key(table, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (auto* edit : table->viewport()->findChildren<QLineEdit*>())
        if (edit->isVisible()) editor = edit;
    ASSERT_NE(editor, nullptr) << "no editor in row " << row;
    editor->selectAll();
    Key(editor, Qt::Key_Delete);
    for (QChar ch : text) Key(editor, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    Key(editor, Qt::Key_Return);
    EXPECT_EQ(table->item(row, LoadingDialog::kTargetColumn)->text(), text);
}

QStringList Column(const LoadingDialog& dialog, int column) {
    QStringList texts;
    for (int row = 0; row < dialog.Table()->rowCount(); ++row)
        texts << dialog.Table()->item(row, column)->text();
    return texts;
}

// Runs `drive` on the next modal dialog that opens (a preset, or the dialog exec'd by a call point).
void WhenModalOpens(std::function<void(QWidget*)> drive) {
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        drive(dialog);
    });
}

struct LoadingFixture : ::testing::Test {
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    MessageRecorder messages;

    // Clicks OK on a dialog that must refuse with `message`, leaving the model untouched.
    void ExpectRefusal(LoadingDialog& dialog, const QString& message) {
        const auto before = std::make_unique<CFramePat>(*model);
        messages.Clear();
        Click(&dialog, ctl::kOk);
        EXPECT_EQ(messages.Texts(), QStringList{message});
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(test::SameModel(*model, *before));
    }
};

TEST_F(LoadingFixture, ShowsTheModelsLoading) {
    LoadingDialog fresh(*model);
    fresh.show();
    EXPECT_EQ(fresh.windowTitle(), "Loading");
    EXPECT_TRUE(Control<QRadioButton>(&fresh, ctl::kDirectionX)->isChecked()); // 0 names no direction
    EXPECT_FALSE(Control<QRadioButton>(&fresh, ctl::kDirectionY)->isChecked());
    EXPECT_EQ(Control<QSpinBox>(&fresh, ctl::kSegmentCount)->value(), 1);
    EXPECT_EQ(Control<QSpinBox>(&fresh, ctl::kStepsPerSegment)->value(), 500);
    EXPECT_EQ(Column(fresh, LoadingDialog::kTargetColumn), (QStringList{"0", "0"}));
    EXPECT_EQ(Column(fresh, LoadingDialog::kStepColumn), (QStringList{"0", "500"}));
    EXPECT_EQ(Label(&fresh, ctl::kStepTotal), "Total steps: 500");
    EXPECT_EQ(Label(&fresh, ctl::kLargestTarget), "Largest target: 0 mm");

    model->ctrlDirection = 2;
    model->segmentCount = 3;
    model->stepsPerSegment = 20;
    const int32_t points[] = {0, 1500, -2500, 4000, 777};
    std::copy(std::begin(points), std::end(points), model->segmentPoints);
    LoadingDialog loaded(*model);
    loaded.show();
    EXPECT_TRUE(Control<QRadioButton>(&loaded, ctl::kDirectionY)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&loaded, ctl::kDirectionX)->isChecked());
    EXPECT_EQ(Column(loaded, LoadingDialog::kTargetColumn), (QStringList{"0", "1.5", "-2.5", "4"}));
    EXPECT_EQ(Column(loaded, LoadingDialog::kStepColumn), (QStringList{"0", "20", "40", "60"}));
    EXPECT_EQ(loaded.Table()->verticalHeaderItem(3)->text(), "3");
    EXPECT_EQ(Label(&loaded, ctl::kStepTotal), "Total steps: 60");
    EXPECT_EQ(Label(&loaded, ctl::kLargestTarget), "Largest target: 4 mm");
    // The step column is not editable.
    EXPECT_FALSE(loaded.Table()->item(1, LoadingDialog::kStepColumn)->flags() & Qt::ItemIsEditable);

    model->segmentCount = 0; // taken as one segment
    LoadingDialog one(*model);
    EXPECT_EQ(Control<QSpinBox>(&one, ctl::kSegmentCount)->value(), 1);
    EXPECT_EQ(Column(one, LoadingDialog::kTargetColumn), (QStringList{"0", "1.5"}));
}

TEST_F(LoadingFixture, OkThroughTheCallPointStoresThousandthsAndTheDirection) {
    model->segmentPoints[3] = 4242; // beyond the segments the user sets: kept
    model->Flag(4, 4, kConcreteLayer) = 1;
    model->activeOutput = 1234;
    const auto before = std::make_unique<CFramePat>(*model);

    WhenModalOpens([](QWidget* widget) {
        auto& dialog = *static_cast<LoadingDialog*>(widget);
        Click(&dialog, ctl::kDirectionY);
        TypeCount(&dialog, ctl::kSegmentCount, "2");
        TypeCount(&dialog, ctl::kStepsPerSegment, "100");
        TypeTarget(dialog, 1, "12.345");
        TypeTarget(dialog, 2, "-5");
        EXPECT_EQ(Column(dialog, LoadingDialog::kStepColumn), (QStringList{"0", "100", "200"}));
        EXPECT_EQ(Label(&dialog, ctl::kStepTotal), "Total steps: 200");
        EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 12.345 mm");
        Click(&dialog, ctl::kOk);
    });
    EXPECT_TRUE(EditOnCopy(*model, [](CFramePat& copy) { return RunLoadingEditor(copy, nullptr); }));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    EXPECT_EQ(model->ctrlDirection, 2);
    EXPECT_EQ(model->segmentCount, 2);
    EXPECT_EQ(model->stepsPerSegment, 100);
    EXPECT_EQ(model->segmentPoints[0], 0);
    EXPECT_EQ(model->segmentPoints[1], 12345);
    EXPECT_EQ(model->segmentPoints[2], -5000);
    EXPECT_EQ(model->segmentPoints[3], 4242);
    // Nothing else changed.
    before->ctrlDirection = 2;
    before->segmentCount = 2;
    before->stepsPerSegment = 100;
    before->segmentPoints[1] = 12345;
    before->segmentPoints[2] = -5000;
    EXPECT_TRUE(test::SameModel(*model, *before));

    // Back to X, and targets rounded as the other dialogs round signed values.
    LoadingDialog again(*model);
    again.show();
    Click(&again, ctl::kDirectionX);
    TypeTarget(again, 0, "0.0004");
    TypeTarget(again, 1, "-2.0005");
    Click(&again, ctl::kOk);
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(model->ctrlDirection, 1);
    EXPECT_EQ(model->segmentPoints[0], 0);
    EXPECT_EQ(model->segmentPoints[1], -2000);
}

TEST_F(LoadingFixture, CancelEscapeAndTheCloseBoxChangeNothing) {
    model->segmentPoints[1] = 3000;
    const auto before = std::make_unique<CFramePat>(*model);
    const std::function<void(LoadingDialog&)> endings[] = {
        [](LoadingDialog& d) { Click(&d, ctl::kCancel); },
        [](LoadingDialog& d) { Key(d.Table(), Qt::Key_Escape); },
        [](LoadingDialog& d) { d.close(); },
    };
    for (const auto& end : endings) {
        LoadingDialog dialog(*model);
        dialog.show();
        Click(&dialog, ctl::kDirectionY);
        TypeCount(&dialog, ctl::kSegmentCount, "3");
        TypeTarget(dialog, 2, "7");
        end(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(test::SameModel(*model, *before));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
    // Through the call point the copy is dropped.
    WhenModalOpens([](QWidget* dialog) {
        TypeCount(dialog, ctl::kStepsPerSegment, "9");
        Click(dialog, ctl::kCancel);
    });
    EXPECT_FALSE(EditOnCopy(*model, [](CFramePat& copy) { return RunLoadingEditor(copy, nullptr); }));
    EXPECT_TRUE(test::SameModel(*model, *before));
}

TEST_F(LoadingFixture, RefusesLoadingsThatCannotRunAndKeepsTheDialogOpen) {
    LoadingDialog dialog(*model);
    dialog.show();
    ExpectRefusal(dialog, "Every target displacement is 0 mm: the loading would not move the control node.");

    TypeCount(&dialog, ctl::kSegmentCount, "3");
    TypeTarget(dialog, 1, "1");
    TypeTarget(dialog, 2, "1");
    TypeTarget(dialog, 3, "2");
    ExpectRefusal(dialog, "Segment 2 has zero length: it starts and ends at 1 mm.");

    TypeTarget(dialog, 2, "abc");
    ExpectRefusal(dialog, "Enter a number as the target of point 2.");
    EXPECT_EQ(dialog.Table()->currentRow(), 2);
    EXPECT_EQ(dialog.focusWidget(), dialog.Table());
    TypeTarget(dialog, 2, "1e12");
    ExpectRefusal(dialog, "The target of point 2 is too large.");
    TypeTarget(dialog, 2, "-1");

    TypeCount(&dialog, ctl::kSegmentCount, "150");
    for (int row = 4; row <= 150; ++row) TypeTarget(dialog, row, QString::number(row % 2 ? 3 : -3));
    TypeCount(&dialog, ctl::kStepsPerSegment, "401");
    EXPECT_EQ(Label(&dialog, ctl::kStepTotal), "Total steps: 60150 (at most 60000)");
    ExpectRefusal(dialog, "The run has 60150 steps, but at most 60000 steps can be recorded. "
                          "Reduce the steps per segment or the number of segments.");
    TypeCount(&dialog, ctl::kStepsPerSegment, "400");
    EXPECT_EQ(Label(&dialog, ctl::kStepTotal), "Total steps: 60000");
    Click(&dialog, ctl::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(model->segmentCount, 150);
    EXPECT_EQ(model->segmentPoints[2], -1000);
    EXPECT_EQ(model->segmentPoints[150], -3000);
    // The spin boxes cannot leave their ranges.
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kSegmentCount)->maximum(), 150);
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kSegmentCount)->minimum(), 1);
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kStepsPerSegment)->minimum(), 1);
}

TEST_F(LoadingFixture, ReturnInACellFinishesItAndGoesDownWithoutPressingOk) {
    LoadingDialog dialog(*model);
    dialog.show();
    TypeCount(&dialog, ctl::kSegmentCount, "2");
    TypeTarget(dialog, 1, "4.5");
    EXPECT_EQ(dialog.Table()->currentRow(), 2);
    EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 4.5 mm");
    TypeTarget(dialog, 2, "-1");
    EXPECT_EQ(dialog.Table()->currentRow(), 2); // the last row stays
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.Texts().isEmpty());

    // An edit still open when OK is clicked counts.
    QTableWidget* table = dialog.Table();
    table->setCurrentCell(2, LoadingDialog::kTargetColumn);
    Key(table, Qt::Key_F2);
    for (auto* edit : table->viewport()->findChildren<QLineEdit*>())
        if (edit->isVisible()) edit->setText("-7.25");
    Click(&dialog, ctl::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(model->segmentPoints[1], 4500);
    EXPECT_EQ(model->segmentPoints[2], -7250);
}

TEST_F(LoadingFixture, FewerSegmentsHideTargetsThatComeBackWithMore) {
    LoadingDialog dialog(*model);
    dialog.show();
    TypeCount(&dialog, ctl::kSegmentCount, "3");
    TypeTarget(dialog, 1, "2");
    TypeTarget(dialog, 2, "-2");
    TypeTarget(dialog, 3, "6");
    EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 6 mm");
    TypeCount(&dialog, ctl::kSegmentCount, "1");
    EXPECT_EQ(dialog.Table()->rowCount(), 2);
    EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 2 mm");
    TypeCount(&dialog, ctl::kSegmentCount, "3");
    EXPECT_EQ(Column(dialog, LoadingDialog::kTargetColumn), (QStringList{"0", "2", "-2", "6"}));
    TypeCount(&dialog, ctl::kSegmentCount, "2");
    Click(&dialog, ctl::kOk);
    EXPECT_EQ(model->segmentCount, 2);
    EXPECT_EQ(model->segmentPoints[3], 6000); // stored beyond the segments, as the grid keeps hidden cells
}

TEST_F(LoadingFixture, MonotonicPresetFillsTheTable) {
    LoadingDialog dialog(*model);
    dialog.show();
    Click(&dialog, ctl::kDirectionY);
    WhenModalOpens([](QWidget* preset) {
        EXPECT_EQ(preset->windowTitle(), "Monotonic Loading");
        EXPECT_EQ(test::Text(preset, ctl::kPresetTarget), "10"); // nothing to start from yet
        EXPECT_EQ(test::Text(preset, ctl::kPresetSteps), "500");
        Type(preset, ctl::kPresetTarget, "-25");
        Type(preset, ctl::kPresetSteps, "250");
        Click(preset, ctl::kOk);
    });
    Click(&dialog, ctl::kMonotonic);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kSegmentCount)->value(), 1);
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kStepsPerSegment)->value(), 250);
    EXPECT_EQ(Column(dialog, LoadingDialog::kTargetColumn), (QStringList{"0", "-25"}));
    EXPECT_EQ(Label(&dialog, ctl::kStepTotal), "Total steps: 250");
    EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 25 mm");
    EXPECT_TRUE(Control<QRadioButton>(&dialog, ctl::kDirectionY)->isChecked());

    // Refusals keep the preset open; Cancel leaves the table as it was.
    WhenModalOpens([this](QWidget* preset) {
        EXPECT_EQ(test::Text(preset, ctl::kPresetTarget), "-25");
        const std::pair<QString, QString> cases[][2] = {
            {{"x", "250"}, {"Enter a number for the target displacement.", ""}},
            {{"0", "250"}, {"The target displacement must not be 0 mm.", ""}},
            {{"5", "2.5"}, {"Enter an integer for the number of steps.", ""}},
            {{"5", "0"}, {"The number of steps per segment must be at least 1.", ""}},
        };
        for (const auto& c : cases) {
            messages.Clear();
            Type(preset, ctl::kPresetTarget, c[0].first);
            Type(preset, ctl::kPresetSteps, c[0].second);
            Click(preset, ctl::kOk);
            EXPECT_EQ(messages.Texts(), QStringList{c[1].first});
            EXPECT_TRUE(preset->isVisible());
        }
        Click(preset, ctl::kCancel);
    });
    Click(&dialog, ctl::kMonotonic);
    EXPECT_EQ(Column(dialog, LoadingDialog::kTargetColumn), (QStringList{"0", "-25"}));
    EXPECT_EQ(Control<QSpinBox>(&dialog, ctl::kStepsPerSegment)->value(), 250);

    Click(&dialog, ctl::kOk);
    EXPECT_EQ(model->ctrlDirection, 2);
    EXPECT_EQ(model->segmentPoints[1], -25000);
    EXPECT_EQ(model->stepsPerSegment, 250);
}

TEST_F(LoadingFixture, CyclicPresetGivesPeaksAtTheAmplitudesAndExactSegments) {
    LoadingDialog dialog(*model);
    dialog.show();
    WhenModalOpens([this](QWidget* preset) {
        EXPECT_EQ(preset->windowTitle(), "Cyclic Loading");
        EXPECT_EQ(test::Text(preset, ctl::kPresetAmplitudes), "1, 2, 4, 8");
        EXPECT_EQ(test::Text(preset, ctl::kPresetCycles), "1");
        Type(preset, ctl::kPresetAmplitudes, "1, 0");
        Click(preset, ctl::kOk);
        EXPECT_EQ(messages.Texts(), QStringList{"Every amplitude must be greater than 0 mm."});
        EXPECT_EQ(preset->focusWidget(), ctl::Find<QLineEdit>(preset, ctl::kPresetAmplitudes));
        Type(preset, ctl::kPresetAmplitudes, "0.5;1.5 3");
        Type(preset, ctl::kPresetCycles, "2");
        Type(preset, ctl::kPresetSteps, "7");
        Click(preset, ctl::kOk);
    });
    Click(&dialog, ctl::kCyclic);
    ASSERT_EQ(Control<QSpinBox>(&dialog, ctl::kSegmentCount)->value(), 24);
    const QStringList targets = Column(dialog, LoadingDialog::kTargetColumn);
    ASSERT_EQ(targets.size(), 25);
    EXPECT_EQ(targets.mid(0, 9), (QStringList{"0", "0.5", "0", "-0.5", "0", "0.5", "0", "-0.5", "0"}));
    EXPECT_EQ(targets.mid(17, 8), (QStringList{"3", "0", "-3", "0", "3", "0", "-3", "0"}));
    EXPECT_EQ(Label(&dialog, ctl::kStepTotal), "Total steps: 168");
    EXPECT_EQ(Label(&dialog, ctl::kLargestTarget), "Largest target: 3 mm");

    Click(&dialog, ctl::kOk);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(model->segmentPoints[9], 1500);
    EXPECT_EQ(model->segmentPoints[11], -1500);

    // The stored loading peaks at the amplitudes (the protocol's own tests check the increments).
    const LoadingProtocol protocol = LoadingProtocol::FromModel(*model);
    ASSERT_EQ(protocol.Problem(), "");
    const double amplitudes[] = {0.5, 1.5, 3};
    for (int cycle = 0; cycle < 6; ++cycle) {
        EXPECT_EQ(protocol.TargetAfterStep(28LL * cycle + 7), amplitudes[cycle / 2]) << cycle;
        EXPECT_EQ(protocol.TargetAfterStep(28LL * cycle + 21), -amplitudes[cycle / 2]) << cycle;
    }
}

TEST_F(LoadingFixture, CyclicPresetRefusesTooManySegmentsOrSteps) {
    LoadingDialog dialog(*model);
    dialog.show();
    WhenModalOpens([this](QWidget* preset) {
        Type(preset, ctl::kPresetAmplitudes, "1 2 3 4 5 6 7 8 9 10");
        Type(preset, ctl::kPresetCycles, "4");
        Click(preset, ctl::kOk);
        EXPECT_EQ(messages.Last(),
                  "The cyclic loading needs 160 segments (four a cycle), but at most 150 are "
                  "possible. Use fewer amplitudes or cycles.");
        EXPECT_EQ(preset->focusWidget(), ctl::Find<QLineEdit>(preset, ctl::kPresetAmplitudes));
        Type(preset, ctl::kPresetCycles, "1");
        Type(preset, ctl::kPresetSteps, "1600");
        Click(preset, ctl::kOk);
        EXPECT_EQ(messages.Last(), "The run has 64000 steps, but at most 60000 steps can be recorded. "
                                   "Reduce the steps per segment or the number of segments.");
        EXPECT_EQ(preset->focusWidget(), ctl::Find<QLineEdit>(preset, ctl::kPresetSteps));
        Type(preset, ctl::kPresetCycles, "one");
        Click(preset, ctl::kOk);
        EXPECT_EQ(messages.Last(), "Enter an integer for the number of cycles.");
        Key(preset, Qt::Key_Escape);
    });
    Click(&dialog, ctl::kCyclic);
    EXPECT_EQ(messages.Texts().size(), 3);
    EXPECT_EQ(Column(dialog, LoadingDialog::kTargetColumn), (QStringList{"0", "0"}));
}

// (How every dialog is laid out is checked with the others in LayoutDialogTest.)
TEST_F(LoadingFixture, MarksTooManyStepsInRed) {
    auto redPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 180 && c.green() < 90 && c.blue() < 90;
            }
        return count;
    };
    LoadingProtocol cyclic = LoadingProtocol::FromModel(*model);
    ASSERT_EQ(MakeCyclicLoading(DoublingAmplitudes(1000, 3), 1, 50, cyclic), "");
    cyclic.StoreInto(*model);
    LoadingDialog dialog(*model);
    dialog.show();
    const QString folder = qEnvironmentVariable("TORVA_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(dialog.grab().save(QDir(folder).filePath("loading_cyclic_table.png")));
    }
    QLabel* total = Control<QLabel>(&dialog, ctl::kStepTotal);
    EXPECT_EQ(redPixels(total->grab().toImage()), 0);
    TypeCount(&dialog, ctl::kStepsPerSegment, "6000");
    EXPECT_GT(redPixels(total->grab().toImage()), 20);
    TypeCount(&dialog, ctl::kStepsPerSegment, "5000");
    EXPECT_EQ(redPixels(total->grab().toImage()), 0);
}

} // namespace
} // namespace torva
