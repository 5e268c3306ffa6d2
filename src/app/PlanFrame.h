#pragma once
// The plan window's frame: the pattern toolbar and the "Floor" layer bar docked at the bottom, the
// member toolbar at the top; its caption names the document and the role ("wall.fem — Plan").
#include "framework/ChildFrame.h"

class QLineEdit;
class QToolBar;

namespace torva {

class CTorvaFrame : public ChildFrame {
    Q_OBJECT
public:
    explicit CTorvaFrame(QWidget* parent = nullptr);

    bool OnCreate() override;
    QRect InitialGeometry() const override { return QRect(0, 0, 465, 589); }
    QString FrameRole() const override { return QStringLiteral("Plan"); }

    // The layer bar's read-only edit box (control 1001); the plan view writes the current layer's
    // name into it.
    QLineEdit* LayerNameEdit() const { return layerName_; }
    QToolBar* PatternToolBar() const { return patternBar_; }
    QToolBar* MemberToolBar() const { return memberBar_; }
    QToolBar* LayerBar() const { return layerBar_; }

private:
    QToolBar* patternBar_ = nullptr;
    QToolBar* memberBar_ = nullptr;
    QToolBar* layerBar_ = nullptr;
    QLineEdit* layerName_ = nullptr;
};

} // namespace torva
