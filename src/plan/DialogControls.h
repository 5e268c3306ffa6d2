#pragma once
// Control ids of the model dialogs and the way a control carries its id: every control gets the
// property "controlId" and the object name "control_<id>", so routing and tests find it by id. Also the
// controls every model dialog builds the same way.
#include "framework/CommandIds.h"

#include <QString>
#include <QVariant>
#include <QWidget>

class QLabel;
class QPushButton;

namespace torva::ctl {

constexpr int kOk = 1;     // the dialogs' OK / YES button
constexpr int kCancel = 2; // Cancel / NO

// Type editors: the list and the buttons send the editor command ids.
constexpr int kList = cmd::kEditorList;
constexpr int kAdd = cmd::kEditorAdd;
constexpr int kCopy = cmd::kEditorCopy;
constexpr int kColor = cmd::kEditorColor;
constexpr int kThickness = 1096;
constexpr int kModulus = 1097; // Ec or Ef
constexpr int kPoisson = 1079;
constexpr int kDensity = 1080;
constexpr int kTension = 1078; // Ft of a fibre sheet
// The concrete editor's strengths (ids of our own).
constexpr int kCompressiveStrength = 1160;
constexpr int kTensileStrength = 1161;
constexpr int kPeakStrain = 1162;
constexpr int kRebarModulus = 1098;
constexpr int kAreaX = 1099;
constexpr int kSpaceX = 1100; // also the X span length
constexpr int kAreaY = 1101;
constexpr int kSpaceY = 1102; // also the Y span length
constexpr int kYieldX = 1104; // also the X force
constexpr int kYieldY = 1105;
constexpr int kForceX = 1104;
constexpr int kForceY = 1103;
constexpr int kSpanX = 1100;
constexpr int kSpanY = 1102;
constexpr int kPin = 1042;
constexpr int kRollerX = 1043;
constexpr int kRollerY = 1044;

// Frame editor and structure options.
constexpr int kFrameX = 1010;
constexpr int kFrameY = 1013;
constexpr int kElementPlain = 1085;
constexpr int kElementIncompatible = 1086;
constexpr int kGravity = 1057;

// Loading dialog and its presets.
constexpr int kDirectionX = 1140;
constexpr int kDirectionY = 1141;
constexpr int kSegmentCount = 1142;
constexpr int kStepsPerSegment = 1143;
constexpr int kTargetTable = 1144;
constexpr int kMonotonic = 1145;
constexpr int kCyclic = 1146;
constexpr int kStepTotal = 1147;      // the total steps line
constexpr int kLargestTarget = 1148;  // the largest target line
constexpr int kAnalysisMethod = 1149; // the analysis method list
constexpr int kPresetTarget = 1150;
constexpr int kPresetSteps = 1151;
constexpr int kPresetAmplitudes = 1152;
constexpr int kPresetCycles = 1153;

inline void SetControlId(QWidget* widget, int id) {
    widget->setProperty("controlId", id);
    widget->setObjectName(QStringLiteral("control_%1").arg(id));
}

inline int ControlId(const QWidget* widget) {
    return widget->property("controlId").toInt();
}

// The control with the given id inside a dialog (nullptr if there is none of that class).
template <class T> T* Find(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QStringLiteral("control_%1").arg(id));
}

// A push button carrying its control id, at least 80 pixels wide.
QPushButton* MakeButton(const QString& text, int id, QWidget* parent);
// The bold title line at the top of a dialog.
QLabel* MakeHeader(const QString& text, QWidget* parent);

} // namespace torva::ctl
