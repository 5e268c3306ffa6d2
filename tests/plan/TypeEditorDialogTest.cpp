// Checks the shared type editor: scaling and rounding, ADD, Copy, OK, cancel, colour, selection and refusals.
#include "DialogDriver.h"
#include "framework/MessageService.h"
#include "model/FramePat.h"
#include "plan/Editors.h"
#include "plan/ScaledValue.h"
#include "plan/TypeEditors.h"

#include <QColorDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace torva {
namespace {

using test::Click;
using test::ClickRow;
using test::Key;
using test::SelectedRow;
using test::Text;
using test::Type;

struct EditorFixture : ::testing::Test {
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    MessageRecorder messages;

    template <class Dialog> std::unique_ptr<Dialog> Open() {
        auto dialog = std::make_unique<Dialog>(*model);
        dialog->show();
        return dialog;
    }
};

TEST(ScaledValue, TruncatesTowardsZeroAfterAddingATenth) {
    EXPECT_EQ(ToStored(22.5, 1, ValueRule::Positive).stored, 22);
    EXPECT_EQ(ToStored(0.1666, 10000, ValueRule::Poisson).stored, 1666);
    EXPECT_EQ(ToStored(100, 100, ValueRule::Positive).stored, 10000);
    EXPECT_EQ(ToStored(2.3, 100, ValueRule::Positive).stored, 230); // 229.99999... + 0.1
    EXPECT_EQ(ToStored(9.81, 100, ValueRule::Gravity).stored, 981);
    EXPECT_EQ(ToStored(0.95, 1, ValueRule::NonNegative).stored, 1); // 0.95 + 0.1 truncates to 1
    EXPECT_EQ(ToStored(0.85, 1, ValueRule::NonNegative).stored, 0);
}

TEST(ScaledValue, ForcesRoundSymmetricallyAboutZero) {
    EXPECT_EQ(ToStored(-12.345, 100, ValueRule::Force).stored, -1234);
    EXPECT_EQ(ToStored(12.345, 100, ValueRule::Force).stored, 1234);
    EXPECT_EQ(ToStored(-0.0095, 100, ValueRule::Force).stored, -1); // -0.95 - 0.1
    EXPECT_EQ(ToStored(0, 100, ValueRule::Force).stored, 0);
    EXPECT_EQ(ToStored(-1e6, 100, ValueRule::Force).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(-3e7, 100, ValueRule::Force).problem, ValueProblem::TooLarge);
}

TEST(ScaledValue, RangesOfTheRules) {
    EXPECT_EQ(ToStored(0, 100, ValueRule::Positive).problem, ValueProblem::Zero);
    EXPECT_EQ(ToStored(0.001, 100, ValueRule::Positive).problem, ValueProblem::Zero);
    EXPECT_EQ(ToStored(0.01, 100, ValueRule::Positive).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(-1, 100, ValueRule::Positive).problem, ValueProblem::Negative);
    EXPECT_EQ(ToStored(-0.0001, 100, ValueRule::NonNegative).problem, ValueProblem::Negative);
    EXPECT_EQ(ToStored(0, 100, ValueRule::NonNegative).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(0.5, 10000, ValueRule::Poisson).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(0.5001, 10000, ValueRule::Poisson).problem, ValueProblem::TooLarge);
    EXPECT_EQ(ToStored(65535, 1, ValueRule::SpanLength).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(65536, 1, ValueRule::SpanLength).problem, ValueProblem::TooLarge);
    EXPECT_EQ(ToStored(-0.01, 1, ValueRule::SpanLength).problem, ValueProblem::Negative);
    EXPECT_EQ(ToStored(327.67, 100, ValueRule::Gravity).problem, ValueProblem::None);
    EXPECT_EQ(ToStored(327.68, 100, ValueRule::Gravity).problem, ValueProblem::TooLarge);
    EXPECT_EQ(ToStored(1e300, 100, ValueRule::NonNegative).problem, ValueProblem::TooLarge);
    EXPECT_EQ(ToStored(-1e300, 100, ValueRule::NonNegative).problem, ValueProblem::Negative);
}

TEST_F(EditorFixture, ConcreteStoresScaledValuesAndShowsThemAgain) {
    auto dialog = Open<CEditConcrete>();
    EXPECT_EQ(Text(dialog.get(), ctl::kThickness), "100");
    EXPECT_EQ(Text(dialog.get(), ctl::kModulus), "22");
    EXPECT_EQ(Text(dialog.get(), ctl::kPoisson), "0.1666");
    EXPECT_EQ(Text(dialog.get(), ctl::kDensity), "2400");

    Type(dialog.get(), ctl::kThickness, "150.25");
    Type(dialog.get(), ctl::kModulus, "22.5");
    Type(dialog.get(), ctl::kPoisson, "0.2");
    Type(dialog.get(), ctl::kDensity, "2500");
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 0), 15025);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 1), 22);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 2), 2000);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 3), 250000);
    EXPECT_EQ(model->Prop(kConcreteLayer, 2, 0), 10000); // only E1 changed
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 4), 2800);  // the strengths as they were
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 6), 30);

    auto again = Open<CEditConcrete>();
    EXPECT_EQ(Text(again.get(), ctl::kModulus), "22");
    EXPECT_EQ(Text(again.get(), ctl::kThickness), "150.25");
}

TEST_F(EditorFixture, ConcreteStrengthsAndPeakStrainAreTheStoredProperties) {
    auto dialog = Open<CEditConcrete>();
    // The construction defaults: 28 and 2.8 N/mm2, 0.003 = 3 per mille.
    EXPECT_EQ(Text(dialog.get(), ctl::kCompressiveStrength), "28");
    EXPECT_EQ(Text(dialog.get(), ctl::kTensileStrength), "2.8");
    EXPECT_EQ(Text(dialog.get(), ctl::kPeakStrain), "3");
    ClickRow(dialog.get(), 2); // E3
    Type(dialog.get(), ctl::kCompressiveStrength, "45.5");
    Type(dialog.get(), ctl::kTensileStrength, "3.1");
    Type(dialog.get(), ctl::kPeakStrain, "2.4");
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(model->Prop(kConcreteLayer, 3, 4), 4550);
    EXPECT_EQ(model->Prop(kConcreteLayer, 3, 5), 310);
    EXPECT_EQ(model->Prop(kConcreteLayer, 3, 6), 24); // 0.0024 x 10000
    EXPECT_EQ(model->Prop(kConcreteLayer, 2, 4), 2800);

    auto again = Open<CEditConcrete>();
    ClickRow(again.get(), 2);
    EXPECT_EQ(Text(again.get(), ctl::kCompressiveStrength), "45.5");
    EXPECT_EQ(Text(again.get(), ctl::kPeakStrain), "2.4");
}

TEST_F(EditorFixture, ConcreteStrengthsAreCheckedTogether) {
    struct Case {
        const char* fc;
        const char* ft;
        const char* strain;
        int focus;
        const char* message; // empty: accepted
    };
    const Case cases[] = {
        {"30", "3", "2", 0, ""},
        {"30", "0", "2", 0, ""},
        {"0", "0", "2", ctl::kCompressiveStrength, "Compressive strength must be greater than 0."},
        {"-30", "3", "2", ctl::kCompressiveStrength, "Compressive strength must be greater than 0."},
        {"30", "-1", "2", ctl::kTensileStrength, "Tensile strength must not be negative."},
        {"30", "30", "2", ctl::kTensileStrength,
         "Tensile strength must be less than the compressive strength (30 N/mm2)."},
        {"3", "4.5", "2", ctl::kTensileStrength,
         "Tensile strength must be less than the compressive strength (3 N/mm2)."},
        {"30", "3", "0", ctl::kPeakStrain, "Strain at fc must be greater than 0."},
        {"30", "3", "0.01", ctl::kPeakStrain, "Strain at fc is too small: the smallest value is 0.1."},
        {"30", "3", "two", ctl::kPeakStrain, "Enter a number for Strain at fc."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fc << " " << c.ft << " " << c.strain);
        model = std::make_unique<CFramePat>();
        const auto before = std::make_unique<CFramePat>(*model);
        auto dialog = Open<CEditConcrete>();
        Type(dialog.get(), ctl::kCompressiveStrength, c.fc);
        Type(dialog.get(), ctl::kTensileStrength, c.ft);
        Type(dialog.get(), ctl::kPeakStrain, c.strain);
        messages.Clear();
        Click(dialog.get(), ctl::kOk);
        if (*c.message) {
            EXPECT_EQ(messages.Texts(), QStringList{c.message});
            EXPECT_NE(dialog->result(), QDialog::Accepted);
            EXPECT_TRUE(test::SameModel(*model, *before));
            EXPECT_EQ(dialog->focusWidget(), ctl::Find<QLineEdit>(dialog.get(), c.focus));
        } else {
            EXPECT_TRUE(messages.Texts().isEmpty());
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
        }
    }
}

TEST_F(EditorFixture, LoadingAndStoringAgainKeepsEveryStoredValue) {
    // Values a short display would round (7 or more digits) must survive OK without edits.
    model->Prop(kPointForceLayer, 1, 0) = 12345678;
    model->Prop(kPointForceLayer, 1, 1) = -98765432;
    auto dialog = Open<CEditPointForce>();
    EXPECT_EQ(Text(dialog.get(), ctl::kForceX), "123456.78");
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(model->Prop(kPointForceLayer, 1, 0), 12345678);
    EXPECT_EQ(model->Prop(kPointForceLayer, 1, 1), -98765432);
}

TEST_F(EditorFixture, PointForcesRoundSymmetricallyAndMayBeNegative) {
    auto dialog = Open<CEditPointForce>();
    Type(dialog.get(), ctl::kForceX, "-12.345");
    Type(dialog.get(), ctl::kForceY, "12.345");
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(model->Prop(kPointForceLayer, 1, 0), -1234);
    EXPECT_EQ(model->Prop(kPointForceLayer, 1, 1), 1234);
}

TEST_F(EditorFixture, AddStepsToTheNextTypeAndWrapsAfterTheDefaultRow) {
    auto dialog = Open<CEditConcrete>();
    ClickRow(dialog.get(), 9);
    ASSERT_EQ(dialog->CurrentIndex(), 9);
    Type(dialog.get(), ctl::kThickness, "150");
    // Enter in a field presses ADD, the default button.
    Key(ctl::Find<QLineEdit>(dialog.get(), ctl::kThickness), Qt::Key_Return);
    EXPECT_EQ(model->Prop(kConcreteLayer, 10, 0), 15000);
    EXPECT_EQ(dialog->CurrentIndex(), 10);
    EXPECT_EQ(SelectedRow(dialog.get()), 10);
    EXPECT_EQ(dialog->List()->currentItem()->text(), "Edef");
    EXPECT_EQ(dialog->focusWidget(), dialog->List());
    EXPECT_TRUE(messages.Texts().isEmpty());

    // "Edef", answered NO: only the default row is stored.
    Type(dialog.get(), ctl::kThickness, "200");
    messages.QueueAnswer(MessageAnswer::No);
    Click(dialog.get(), ctl::kAdd);
    EXPECT_EQ(messages.Texts(), QStringList{"Set default values for all members?"});
    EXPECT_EQ(model->Prop(kConcreteLayer, 11, 0), 20000);
    for (int type = 1; type <= 9; ++type) EXPECT_EQ(model->Prop(kConcreteLayer, type, 0), 10000) << type;
    EXPECT_EQ(model->Prop(kConcreteLayer, 10, 0), 15000);
    EXPECT_EQ(dialog->CurrentIndex(), 0);
    EXPECT_EQ(SelectedRow(dialog.get()), 0);
    EXPECT_EQ(Text(dialog.get(), ctl::kThickness), "100");

    // With the focus on the list, Enter presses ADD again: E1 is stored as shown and E2 comes up.
    Key(dialog->List(), Qt::Key_Return);
    EXPECT_EQ(dialog->CurrentIndex(), 1);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 0), 10000);
}

TEST_F(EditorFixture, WithoutASelectionAddAndOkDoNothing) {
    auto dialog = Open<CEditConcrete>();
    ClickRow(dialog.get(), 0, Qt::ControlModifier); // deselects the selected row
    ASSERT_EQ(SelectedRow(dialog.get()), -1);
    EXPECT_EQ(dialog->CurrentIndex(), -1);
    Type(dialog.get(), ctl::kThickness, "-5");
    const auto before = std::make_unique<CFramePat>(*model);
    Click(dialog.get(), ctl::kAdd);
    Click(dialog.get(), ctl::kCopy);
    Click(dialog.get(), ctl::kOk);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_TRUE(test::SameModel(*model, *before));
    ClickRow(dialog.get(), 4);
    EXPECT_EQ(dialog->CurrentIndex(), 4);
}

TEST_F(EditorFixture, AddOnTheDefaultRowAnsweredYesSetsAllElevenTypes) {
    auto dialog = Open<CEditConcrete>();
    ClickRow(dialog.get(), 10);
    Type(dialog.get(), ctl::kThickness, "250");
    Type(dialog.get(), ctl::kPoisson, "0.25");
    messages.QueueAnswer(MessageAnswer::Yes);
    Click(dialog.get(), ctl::kAdd);
    ASSERT_EQ(messages.Texts().size(), 1);
    for (int type = 1; type <= 11; ++type) {
        EXPECT_EQ(model->Prop(kConcreteLayer, type, 0), 25000) << type;
        EXPECT_EQ(model->Prop(kConcreteLayer, type, 2), 2500) << type;
        EXPECT_EQ(model->Color(kConcreteLayer, type), kTypePalette[0]) << type; // Edef's colour
    }
    EXPECT_EQ(SelectedRow(dialog.get()), 0);
    EXPECT_EQ(Text(dialog.get(), ctl::kThickness), "250");
}

TEST_F(EditorFixture, CopyTakesTheStoredValuesOfTheTypeAbove) {
    model->Prop(kConcreteLayer, 3, 0) = 30000;
    model->Prop(kConcreteLayer, 3, 3) = 123456;
    model->Color(kConcreteLayer, 3) = 0x123456;
    auto dialog = Open<CEditConcrete>();

    // On E1 Copy does nothing, to the model or to the fields.
    Type(dialog.get(), ctl::kThickness, "77");
    const auto before = std::make_unique<CFramePat>(*model);
    Click(dialog.get(), ctl::kCopy);
    EXPECT_TRUE(test::SameModel(*model, *before));
    EXPECT_EQ(Text(dialog.get(), ctl::kThickness), "77");

    // Values typed for E3 and not applied do not travel.
    ClickRow(dialog.get(), 2);
    Type(dialog.get(), ctl::kThickness, "999");
    ClickRow(dialog.get(), 3);
    Click(dialog.get(), ctl::kCopy);
    EXPECT_EQ(model->Prop(kConcreteLayer, 4, 0), 30000);
    EXPECT_EQ(model->Prop(kConcreteLayer, 4, 3), 123456);
    EXPECT_EQ(model->Color(kConcreteLayer, 4), 0x123456);
    EXPECT_EQ(model->Prop(kConcreteLayer, 3, 0), 30000);
    EXPECT_EQ(Text(dialog.get(), ctl::kThickness), "300");
    EXPECT_EQ(Text(dialog.get(), ctl::kDensity), "1234.56");
    EXPECT_EQ(dialog->CurrentIndex(), 3); // Copy does not move on
}

TEST_F(EditorFixture, ASelectionChangeDiscardsValuesNotApplied) {
    auto dialog = Open<CEditSteel>();
    Type(dialog.get(), ctl::kAreaX, "555");
    ClickRow(dialog.get(), 1);
    EXPECT_EQ(Text(dialog.get(), ctl::kAreaX), "387.1");
    ClickRow(dialog.get(), 0);
    EXPECT_EQ(Text(dialog.get(), ctl::kAreaX), "387.1");
    EXPECT_EQ(model->Prop(kRebarLayer, 1, 0), 38710);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(EditorFixture, CancellingAfterAddLeavesTheDocumentModelUnchanged) {
    const auto before = std::make_unique<CFramePat>(*model);
    const bool committed = EditOnCopy(*model, [](CFramePat& copy) {
        CEditConcrete dialog(copy);
        dialog.show();
        Type(&dialog, ctl::kThickness, "321");
        Click(&dialog, ctl::kAdd);
        EXPECT_EQ(copy.Prop(kConcreteLayer, 1, 0), 32100); // the copy did change
        Key(dialog.focusWidget(), Qt::Key_Escape);
        return dialog.result() == QDialog::Accepted;
    });
    EXPECT_FALSE(committed);
    EXPECT_TRUE(test::SameModel(*model, *before));

    // Escape and the close box reject the dialog.
    auto dialog = Open<CEditConcrete>();
    Key(dialog->focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    auto closed = Open<CEditConcrete>();
    closed->close();
    EXPECT_EQ(closed->result(), QDialog::Rejected);
}

TEST_F(EditorFixture, OkThroughACopyCommitsButKeepsTheActiveOutput) {
    model->activeOutput = 305;
    const bool committed = EditOnCopy(*model, [](CFramePat& copy) {
        CEditXSpan dialog(copy);
        dialog.show();
        Type(&dialog, ctl::kSpanX, "250");
        Click(&dialog, ctl::kOk);
        return dialog.result() == QDialog::Accepted;
    });
    EXPECT_TRUE(committed);
    EXPECT_EQ(model->SpanLengthOf(kAxisX, 1), 250);
    EXPECT_EQ(model->activeOutput, 305);
}

TEST_F(EditorFixture, ColorDialogSetsTheSwatchAndTheTypeOnlyWhenStored) {
    auto dialog = Open<CEditFiber>();
    const QPoint swatch = TypeEditorDialog::SwatchRect().center();
    EXPECT_EQ(dialog->grab().toImage().pixelColor(swatch), QColor(0, 0xFF, 0)); // F1: green

    Click(dialog.get(), ctl::kColor);
    auto* chooser = dialog->findChild<QColorDialog*>("colorDialog");
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(QColor(10, 20, 30));
    chooser->accept();
    EXPECT_EQ(dialog->CurrentColor(), 0x1E140Au);
    EXPECT_EQ(dialog->grab().toImage().pixelColor(swatch), QColor(10, 20, 30));
    EXPECT_EQ(model->Color(kFibreLayer, 1), kTypePalette[2]); // not stored yet

    Click(dialog.get(), ctl::kAdd);
    EXPECT_EQ(model->Color(kFibreLayer, 1), 0x1E140A);
    // The swatch follows the newly selected F2 (yellow).
    EXPECT_EQ(dialog->grab().toImage().pixelColor(swatch), QColor(0xFF, 0xFF, 0));

    // A cancelled colour dialog changes nothing.
    Click(dialog.get(), ctl::kColor);
    chooser = dialog->findChild<QColorDialog*>("colorDialog");
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(Qt::black);
    chooser->reject();
    EXPECT_EQ(dialog->CurrentColor(), static_cast<uint32_t>(kTypePalette[3]));
}

TEST_F(EditorFixture, AFieldThatIsNotANumberStopsTheCommand) {
    auto dialog = Open<CEditConcrete>();
    Type(dialog.get(), ctl::kPoisson, "0.2x");
    Type(dialog.get(), ctl::kThickness, "120");
    const auto before = std::make_unique<CFramePat>(*model);
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(messages.Texts(), QStringList{"Enter a number for Poisson Ratio."});
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(test::SameModel(*model, *before)); // not even the thickness before it
    EXPECT_EQ(dialog->focusWidget(), ctl::Find<QLineEdit>(dialog.get(), ctl::kPoisson));

    messages.Clear();
    Type(dialog.get(), ctl::kPoisson, "");
    Click(dialog.get(), ctl::kAdd);
    EXPECT_EQ(messages.Texts(), QStringList{"Enter a number for Poisson Ratio."});
    EXPECT_EQ(dialog->CurrentIndex(), 0); // ADD did not move on
    for (const char* bad : {"inf", "nan", "1e999"}) {
        messages.Clear();
        Type(dialog.get(), ctl::kPoisson, bad);
        Click(dialog.get(), ctl::kOk);
        EXPECT_EQ(messages.Texts(), QStringList{"Enter a number for Poisson Ratio."}) << bad;
    }
    EXPECT_TRUE(test::SameModel(*model, *before));
}

struct Refusal {
    int kind; // 0..4, or 10 + axis for the span editors
    int id;
    const char* typed;
    const char* message; // empty: accepted
};

TEST_F(EditorFixture, ValuesTheAnalysisCannotUseAreRefusedNamingTheField) {
    const Refusal cases[] = {
        {kConcreteLayer, ctl::kThickness, "0", "Thickness (mm) must be greater than 0."},
        {kConcreteLayer, ctl::kThickness, "-100", "Thickness (mm) must be greater than 0."},
        {kConcreteLayer, ctl::kThickness, "0.001",
         "Thickness (mm) is too small: the smallest value is 0.01."},
        {kConcreteLayer, ctl::kModulus, "0", "Modulus of Elasticity : Ec (N/mm2) must be greater than 0."},
        {kConcreteLayer, ctl::kModulus, "-22", "Modulus of Elasticity : Ec (N/mm2) must be greater than 0."},
        {kConcreteLayer, ctl::kPoisson, "0.6", "Poisson Ratio must lie between 0 and 0.5."},
        {kConcreteLayer, ctl::kPoisson, "-0.1", "Poisson Ratio must lie between 0 and 0.5."},
        {kConcreteLayer, ctl::kPoisson, "0.5", ""},
        {kConcreteLayer, ctl::kPoisson, "0", ""},
        {kConcreteLayer, ctl::kDensity, "-1", "Density (kg/m3) must not be negative."},
        {kConcreteLayer, ctl::kDensity, "0", ""},
        {kConcreteLayer, ctl::kDensity, "3e9", "Density (kg/m3) is too large."},
        {kRebarLayer, ctl::kSpaceX, "0", "X-Rebar Space (mm) must be greater than 0."},
        {kRebarLayer, ctl::kSpaceY, "-200", "Y-Rebar Space (mm) must be greater than 0."},
        {kRebarLayer, ctl::kAreaY, "-1", "Y-Rebar Area (mm2) must not be negative."},
        {kRebarLayer, ctl::kAreaX, "0", ""},
        {kRebarLayer, ctl::kYieldX, "-295", "X-Rebar Yield Strength (N/mm2) must not be negative."},
        {kRebarLayer, ctl::kRebarModulus, "0", "Modulus of Elasticity : Es (N/mm2) must be greater than 0."},
        {kFibreLayer, ctl::kThickness, "-1", "Thickness (mm) must not be negative."},
        {kFibreLayer, ctl::kModulus, "-1", "Modulus of Elasticity : Ef (N/mm2) must not be negative."},
        {kFibreLayer, ctl::kTension, "-1", "Tension Strength : Ft (N/mm2) must not be negative."},
        {kFibreLayer, ctl::kPoisson, "0.51", "Poisson Ratio must lie between 0 and 0.5."},
        {kPointForceLayer, ctl::kForceX, "-1000000", ""},
        {kPointForceLayer, ctl::kForceY, "1e20", "Force Y (N) is too large."},
        {10 + kAxisX, ctl::kSpanX, "65536", "X span length (mm) must lie between 0 and 65535 mm."},
        {10 + kAxisX, ctl::kSpanX, "-1", "X span length (mm) must lie between 0 and 65535 mm."},
        {10 + kAxisY, ctl::kSpanY, "70000", "Y span length (mm) must lie between 0 and 65535 mm."},
        {10 + kAxisY, ctl::kSpanY, "65535", ""},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.id << " " << c.typed);
        model = std::make_unique<CFramePat>();
        const auto before = std::make_unique<CFramePat>(*model);
        auto dialog = c.kind >= 10 ? MakeSpanEditor(c.kind - 10, *model, nullptr)
                                   : MakeTypeEditor(c.kind, *model, nullptr);
        dialog->show();
        Type(dialog.get(), c.id, c.typed);
        messages.Clear();
        Click(dialog.get(), ctl::kOk);
        if (*c.message) {
            EXPECT_EQ(messages.Texts(), QStringList{c.message});
            EXPECT_NE(dialog->result(), QDialog::Accepted);
            EXPECT_TRUE(test::SameModel(*model, *before));
            EXPECT_EQ(dialog->focusWidget(), ctl::Find<QLineEdit>(dialog.get(), c.id));
        } else {
            EXPECT_TRUE(messages.Texts().isEmpty());
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
        }
    }
}

TEST_F(EditorFixture, SpanEditorsWriteTheirOwnAxisOnly) {
    model->SpanLengthOf(kAxisY, 2) = 4321;
    auto dialog = Open<CEditYSpan>();
    EXPECT_EQ(dialog->windowTitle(), "Y Span Editor");
    ClickRow(dialog.get(), 1);
    EXPECT_EQ(Text(dialog.get(), ctl::kSpanY), "4321");
    Type(dialog.get(), ctl::kSpanY, "0");
    Click(dialog.get(), ctl::kAdd);
    EXPECT_EQ(model->SpanLengthOf(kAxisY, 2), 0); // zero is a valid length
    EXPECT_EQ(model->SpanLengthOf(kAxisX, 2), 100);
    Type(dialog.get(), ctl::kSpanY, "1234.95");
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(model->SpanLengthOf(kAxisY, 3), 1235);
    for (int type = 1; type <= 11; ++type) EXPECT_EQ(model->SpanLengthOf(kAxisX, type), 100);
}

TEST_F(EditorFixture, BoundaryChoiceFollowsTheRadioButtons) {
    model->Prop(kBoundaryLayer, 1, 0) = 0;
    model->Prop(kBoundaryLayer, 2, 0) = 2;
    auto dialog = Open<CEditBoundary>();
    auto checked = [&](int id) { return ctl::Find<QAbstractButton>(dialog.get(), id)->isChecked(); };
    EXPECT_EQ(dialog->Choice(), 1); // 0 is shown as a pin
    EXPECT_TRUE(checked(ctl::kPin));
    EXPECT_FALSE(checked(ctl::kRollerX) || checked(ctl::kRollerY));

    ClickRow(dialog.get(), 1);
    EXPECT_TRUE(checked(ctl::kRollerX));
    EXPECT_EQ(dialog->Choice(), 2);
    Click(dialog.get(), ctl::kRollerY);
    EXPECT_EQ(dialog->Choice(), 3);
    Click(dialog.get(), ctl::kAdd);
    EXPECT_EQ(model->Prop(kBoundaryLayer, 2, 0), 3);
    EXPECT_EQ(dialog->Choice(), 1); // B3 holds a pin
    Click(dialog.get(), ctl::kCopy);
    EXPECT_EQ(model->Prop(kBoundaryLayer, 3, 0), 3);
    EXPECT_TRUE(checked(ctl::kRollerY));
    // Arrow keys move through the buttons and change the choice too.
    QWidget* rollerY = ctl::Find<QWidget>(dialog.get(), ctl::kRollerY);
    QApplication::setActiveWindow(dialog.get());
    rollerY->setFocus();
    Key(rollerY, Qt::Key_Left);
    EXPECT_EQ(dialog->Choice(), 2);
    Click(dialog.get(), ctl::kOk);
    EXPECT_EQ(model->Prop(kBoundaryLayer, 3, 0), 2);
    EXPECT_EQ(model->Prop(kBoundaryLayer, 1, 0), 0); // never stored, stays as it was
}

TEST(SupportPictures, RollerYIsTheRollerXTurnedAQuarter) {
    const QImage pin = CEditBoundary::SupportPicture(1).toImage();
    const QImage rollerX = CEditBoundary::SupportPicture(2).toImage();
    const QImage rollerY = CEditBoundary::SupportPicture(3).toImage();
    EXPECT_NE(pin, rollerX);
    const QImage turned = rollerX.transformed(QTransform().rotate(90));
    ASSERT_EQ(turned.size(), rollerY.size());
    // Compare the ink, not the anti-aliased edges.
    int differing = 0;
    for (int y = 0; y < turned.height(); ++y)
        for (int x = 0; x < turned.width(); ++x)
            differing += (qGray(turned.pixel(x, y)) < 128) != (qGray(rollerY.pixel(x, y)) < 128);
    EXPECT_LT(differing, turned.width() * turned.height() / 50);
    // The rollers: white discs under the triangle, which a pin does not have.
    auto ink = [](const QImage& image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    };
    EXPECT_GT(ink(rollerX), ink(pin));
}

TEST_F(EditorFixture, EveryEditorHasItsTitleHeaderListAndButtons) {
    struct Look {
        int kind;
        int dialogId;
        const char* title;
        const char* header;
        const char* first;
        const char* last;
        bool color;
    };
    const Look looks[] = {
        {kPointForceLayer, 192, "Point Force Editor", "POINT FORCE", "P1", "Pdef", false},
        {kBoundaryLayer, 193, "Boundary Condition Editor", "BOUNDARY CONDITION", "B1", "Bdef", false},
        {kConcreteLayer, 181, "Element Editor", "ELEMENT", "E1", "Edef", true},
        {kRebarLayer, 191, "Steel Editor", "STEEL REBAR", "S1", "Sdef", true},
        {kFibreLayer, 190, "Fiber Sheet Editor", "FIBER SHEET", "F1", "Fdef", true},
        {10 + kAxisX, 194, "X Span Editor", "X Span", "X1", "Xdef", false},
        {10 + kAxisY, 195, "Y Span Editor", "Y Span", "Y1", "Ydef", false},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.title);
        auto dialog = look.kind >= 10 ? MakeSpanEditor(look.kind - 10, *model, nullptr)
                                      : MakeTypeEditor(look.kind, *model, nullptr);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), look.title);
        EXPECT_EQ(dialog->property("dialogId").toInt(), look.dialogId);
        bool header = false;
        for (QLabel* label : dialog->findChildren<QLabel*>()) header |= label->text() == look.header;
        EXPECT_TRUE(header);
        QListWidget* list = dialog->List();
        ASSERT_EQ(list->count(), 11);
        EXPECT_EQ(list->item(0)->text(), look.first);
        EXPECT_EQ(list->item(9)->text().back(), '0');
        EXPECT_EQ(list->item(10)->text(), look.last);
        EXPECT_EQ(SelectedRow(dialog.get()), 0);
        auto* add = ctl::Find<QPushButton>(dialog.get(), ctl::kAdd);
        ASSERT_NE(add, nullptr);
        EXPECT_TRUE(add->isDefault());
        EXPECT_EQ(add->text(), "ADD");
        EXPECT_EQ(ctl::Find<QPushButton>(dialog.get(), ctl::kCopy)->text(), "Copy");
        EXPECT_EQ(ctl::Find<QPushButton>(dialog.get(), ctl::kOk)->text(), "OK");
        EXPECT_EQ(ctl::Find<QPushButton>(dialog.get(), ctl::kColor) != nullptr, look.color);
    }
    EXPECT_EQ(MakeTypeEditor(5, *model, nullptr), nullptr);
}

TEST_F(EditorFixture, RunTypeEditorIsModalAndReturnsTheEnding) {
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        Type(dialog, ctl::kSpaceX, "150");
        Click(dialog, ctl::kOk);
    });
    EXPECT_TRUE(RunTypeEditor(kRebarLayer, *model, nullptr));
    EXPECT_EQ(model->Prop(kRebarLayer, 1, 1), 15000);

    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        Type(dialog, ctl::kThickness, "5");
        Click(dialog, ctl::kOk);
    });
    EXPECT_TRUE(RunTypeEditor(kFibreLayer, *model, nullptr));
    EXPECT_EQ(model->Prop(kFibreLayer, 1, 0), 500);

    QTimer::singleShot(0, [] { Key(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(RunSpanEditor(kAxisX, *model, nullptr));
}

} // namespace
} // namespace torva
