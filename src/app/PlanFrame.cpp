#include "app/PlanFrame.h"

#include "framework/CommandIds.h"
#include "framework/Commands.h"

#include <QLineEdit>
#include <QMdiSubWindow>
#include <QToolBar>

namespace torva {

CTorvaFrame::CTorvaFrame(QWidget* parent) : ChildFrame(parent) {}

bool CTorvaFrame::OnCreate() {
    if (QMdiSubWindow* sub = SubWindow()) sub->setWindowIcon(LookupCommandInfo(cmd::kPlanView).icon);
    // Toolbar 131, docked at the bottom.
    patternBar_ = CreateCommandToolBar(QStringLiteral("Pattern"),
                                       {cmd::kClearPattern, 0, cmd::kMoveUpperFloor, cmd::kCopyLowerPattern,
                                        0, cmd::kMoveLowerFloor, cmd::kCopyUpperPattern},
                                       Qt::BottomToolBarArea);
    // Toolbar 139, docked at the top, with the rebar and fibre layers and the two check modes,
    // which have no other button.
    memberBar_ = CreateCommandToolBar(QStringLiteral("Member"),
                                      {cmd::kPointForce, cmd::kBoundaryCondition, 0, cmd::kConcreteElement,
                                       cmd::kSteelRebarElement, cmd::kFiberElement, 0, cmd::kXElementLength,
                                       cmd::kYElementLength, 0, cmd::kFrameSize, 0, cmd::kCheckControlNode,
                                       cmd::kCheckOutputElement},
                                      Qt::TopToolBarArea);
    // The "Floor" layer bar (bar 139): one read-only edit box, beside the pattern toolbar.
    layerBar_ = new QToolBar(QStringLiteral("Floor"), this);
    layerBar_->setObjectName(QStringLiteral("Floor"));
    layerBar_->setProperty("controlId", 139);
    layerBar_->setFloatable(false);
    layerName_ = new QLineEdit(layerBar_);
    layerName_->setReadOnly(true);
    layerName_->setFocusPolicy(Qt::NoFocus);
    layerName_->setProperty("controlId", cmd::kLayerNameEdit);
    layerName_->setFixedWidth(130);
    layerBar_->addWidget(layerName_);
    addToolBar(Qt::BottomToolBarArea, layerBar_);
    return patternBar_ && memberBar_ && layerBar_;
}

} // namespace torva
