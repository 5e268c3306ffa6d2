// Checks how every model dialog looks: nothing clipped or overlapping, the swatch free, a sensible tab
// order. With TORVA_SCREENSHOTS=<folder> it also saves each dialog as a PNG there.
#include "DialogDriver.h"
#include "model/FramePat.h"
#include "plan/Editors.h"
#include "plan/FrameDialogs.h"
#include "plan/LoadingDialog.h"
#include "plan/TypeEditors.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <vector>

namespace torva {
namespace {

struct Shot {
    const char* file;
    std::function<std::unique_ptr<QDialog>(CFramePat&)> make;
};

std::vector<Shot> AllDialogs() {
    return {
        {"concrete", [](CFramePat& m) { return MakeTypeEditor(kConcreteLayer, m, nullptr); }},
        {"fiber", [](CFramePat& m) { return MakeTypeEditor(kFibreLayer, m, nullptr); }},
        {"steel", [](CFramePat& m) { return MakeTypeEditor(kRebarLayer, m, nullptr); }},
        {"point_force", [](CFramePat& m) { return MakeTypeEditor(kPointForceLayer, m, nullptr); }},
        {"boundary", [](CFramePat& m) { return MakeTypeEditor(kBoundaryLayer, m, nullptr); }},
        {"x_span", [](CFramePat& m) { return MakeSpanEditor(kAxisX, m, nullptr); }},
        {"y_span", [](CFramePat& m) { return MakeSpanEditor(kAxisY, m, nullptr); }},
        {"frame", [](CFramePat& m) { return std::make_unique<CEditFrame>(m); }},
        {"structure", [](CFramePat& m) { return std::make_unique<CEditOptionStructure>(m); }},
        {"default_member", [](CFramePat&) { return std::make_unique<CDefaultMember>(); }},
        {"initialize_building", [](CFramePat&) { return std::make_unique<CInitializeBuilding>(); }},
        {"busy", [](CFramePat&) { return std::make_unique<BusyDialog>(); }},
        {"loading", [](CFramePat& m) { return std::make_unique<LoadingDialog>(m); }},
        {"loading_monotonic",
         [](CFramePat&) {
             static LoadingProtocol protocol;
             return std::make_unique<MonotonicLoadingDialog>(protocol);
         }},
        {"loading_cyclic",
         [](CFramePat&) {
             static LoadingProtocol protocol;
             return std::make_unique<CyclicLoadingDialog>(protocol);
         }},
    };
}

bool IsControl(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

// Controls that are direct children of parent (the dialog or one of its group boxes).
std::vector<QWidget*> Controls(QWidget* parent) {
    std::vector<QWidget*> controls;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && IsControl(child)) controls.push_back(child);
    return controls;
}

void CheckNothingClippedOrOverlapping(QWidget* parent, const std::string& where) {
    const std::vector<QWidget*> controls = Controls(parent);
    for (QWidget* control : controls) {
        const std::string name =
            where + "/" + control->metaObject()->className() + " " + control->objectName().toStdString();
        EXPECT_TRUE(parent->rect().contains(control->geometry())) << name;
        // Text-bearing controls get at least the width they ask for.
        if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control)) {
            EXPECT_GE(control->width(), control->sizeHint().width()) << name;
        }
        EXPECT_GE(control->height(), control->minimumSizeHint().height()) << name;
        for (QWidget* other : controls) {
            if (other == control) continue;
            EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                << name << " overlaps " << other->objectName().toStdString();
        }
        if (auto* group = qobject_cast<QGroupBox*>(control)) {
            CheckNothingClippedOrOverlapping(group, name + " " + group->title().toStdString());
        }
    }
}

TEST(DialogLayout, NothingIsClippedOrOverlapsAndScreenshotsAreSaved) {
    const QString folder = qEnvironmentVariable("TORVA_SCREENSHOTS");
    for (const Shot& shot : AllDialogs()) {
        SCOPED_TRACE(shot.file);
        auto model = std::make_unique<CFramePat>();
        std::unique_ptr<QDialog> dialog = shot.make(*model);
        dialog->show();
        dialog->adjustSize();
        CheckNothingClippedOrOverlapping(dialog.get(), shot.file);
        // Every window says what it is: no empty title and no placeholder one.
        EXPECT_FALSE(dialog->windowTitle().trimmed().isEmpty());
        EXPECT_NE(dialog->windowTitle(), "Dialog");
        const QImage image = dialog->grab().toImage();
        EXPECT_EQ(image.size(), dialog->size() * dialog->devicePixelRatio());
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            EXPECT_TRUE(image.save(QDir(folder).filePath(QString("%1.png").arg(shot.file))));
        }
    }
}

TEST(DialogLayout, TheSwatchIsPaintedWhereNoControlCoversIt) {
    auto model = std::make_unique<CFramePat>();
    model->Color(kRebarLayer, 1) = 0x00336699; // red 0x99, green 0x66, blue 0x33
    for (int kind : {kConcreteLayer, kRebarLayer, kFibreLayer}) {
        auto dialog = MakeTypeEditor(kind, *model, nullptr);
        dialog->show();
        const QRect swatch = TypeEditorDialog::SwatchRect();
        for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(child->geometry().intersects(swatch))
                << kind << " " << child->objectName().toStdString();
        const QImage image = dialog->grab().toImage();
        const QColor expected = ColorFromRef(static_cast<uint32_t>(model->Color(kind, 1)));
        for (QPoint corner : {swatch.topLeft(), swatch.bottomRight(), swatch.center()})
            EXPECT_EQ(image.pixelColor(corner), expected) << kind;
        EXPECT_NE(image.pixelColor(swatch.topLeft() - QPoint(1, 1)), expected) << kind; // 40 × 40, no more
        EXPECT_NE(image.pixelColor(swatch.bottomRight() + QPoint(1, 1)), expected) << kind;
    }
    EXPECT_EQ(ColorFromRef(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(RefFromColor(QColor(0x99, 0x66, 0x33)), 0x00336699u);
}

// The ids met when tabbing forward from the dialog's first focus widget.
std::vector<int> TabOrder(QWidget* dialog, QWidget* first) {
    std::vector<int> ids;
    QWidget* w = first;
    do {
        const int id = ctl::ControlId(w);
        const bool tabbable = w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && id != 0;
        if (tabbable && (ids.empty() || ids.back() != id)) ids.push_back(id);
        w = w->nextInFocusChain();
    } while (w != first && w != dialog);
    return ids;
}

TEST(DialogLayout, TabOrderFollowsTheListThenTheFieldsThenTheButtons) {
    auto model = std::make_unique<CFramePat>();
    auto concrete = MakeTypeEditor(kConcreteLayer, *model, nullptr);
    concrete->show();
    EXPECT_EQ(TabOrder(concrete.get(), concrete->List()),
              (std::vector<int>{ctl::kList, ctl::kThickness, ctl::kModulus, ctl::kPoisson, ctl::kDensity,
                                ctl::kCompressiveStrength, ctl::kTensileStrength, ctl::kPeakStrain,
                                ctl::kColor, ctl::kAdd, ctl::kCopy, ctl::kOk}));
    auto steel = MakeTypeEditor(kRebarLayer, *model, nullptr);
    steel->show();
    EXPECT_EQ(
        TabOrder(steel.get(), steel->List()),
        (std::vector<int>{ctl::kList, ctl::kAreaX, ctl::kSpaceX, ctl::kYieldX, ctl::kAreaY, ctl::kSpaceY,
                          ctl::kYieldY, ctl::kRebarModulus, ctl::kColor, ctl::kAdd, ctl::kCopy, ctl::kOk}));
    CEditFrame frame(*model);
    frame.show();
    EXPECT_EQ(TabOrder(&frame, ctl::Find<QWidget>(&frame, ctl::kFrameX)),
              (std::vector<int>{ctl::kFrameX, ctl::kFrameY, ctl::kOk, ctl::kCancel}));
}

} // namespace
} // namespace torva
