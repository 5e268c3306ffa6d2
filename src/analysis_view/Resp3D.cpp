#include "analysis_view/Resp3D.h"

#include "analysis/MethodNames.h"
#include "analysis/Session.h"
#include "analysis_view/ResultsPane.h"
#include "document/TorvaDoc.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"

#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>

namespace torva {

CResp3D::CResp3D(QWidget* parent) : ChildFrame(parent) {}

QString CResp3D::FrameRole() const {
    const auto* document = dynamic_cast<const CTorvaDoc*>(GetActiveDocument());
    if (!document) return QStringLiteral("Analysis");
    return QStringLiteral("Analysis \u2014 ") +
           QString::fromLatin1(MethodLabel(document->AnalysisSession().Method()));
}

bool CResp3D::OnCreate() {
    if (QMdiSubWindow* sub = SubWindow()) sub->setWindowIcon(LookupCommandInfo(cmd::kView3d).icon);
    // Toolbar 147, docked at the bottom.
    pictureBar_ =
        CreateCommandToolBar(QStringLiteral("Picture"),
                             {cmd::kMovePicture, cmd::kZoomPicture, 0, cmd::kDefaultSize, cmd::kActualSize, 0,
                              cmd::kAnalyze, 0, cmd::kAmplifyResponse, cmd::kReduceResponse},
                             Qt::BottomToolBarArea);
    // The push-over run, beside the picture toolbar: play, pause, stop, and the curve as CSV.
    runBar_ = CreateCommandToolBar(QStringLiteral("Run"),
                                   {cmd::kPlay, cmd::kPause, cmd::kStop, 0, cmd::kExportCurve},
                                   Qt::BottomToolBarArea);
    // Toolbar 143, docked at the top, and the button that shows the "Response Setting" bar.
    resultBar_ = CreateCommandToolBar(
        QStringLiteral("Results"),
        {cmd::kSaveData, 0, cmd::kPrincipalStress, cmd::kRenderStressField, 0, cmd::kShowResponseSetting},
        Qt::TopToolBarArea);

    // "Response Setting" (bar 186): hidden, not dockable.
    responseBar_ = new QDockWidget(QStringLiteral("Response Setting"), this);
    responseBar_->setObjectName(QStringLiteral("Response Setting"));
    responseBar_->setProperty("controlId", 186);
    responseBar_->setAllowedAreas(Qt::NoDockWidgetArea);
    responseBar_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                              QDockWidget::DockWidgetFloatable);
    auto* content = new QWidget(responseBar_);
    auto* layout = new QVBoxLayout(content);
    auto* force = new QGroupBox(QStringLiteral("FORCE CONTROL"), content);
    auto* forceLayout = new QVBoxLayout(force);
    elastic_ = new QRadioButton(QStringLiteral("Elastic analysis"), force);
    elastic_->setProperty("controlId", cmd::kElasticRadio);
    elastic_->setAutoExclusive(false); // the mode switch sets both radios
    forceLayout->addWidget(elastic_);
    auto* displacement = new QGroupBox(QStringLiteral("DISPLACEMENT CONTROL"), content);
    auto* displacementLayout = new QVBoxLayout(displacement);
    pushover_ = new QRadioButton(QStringLiteral("Nonlinear push-over analysis"), displacement);
    pushover_->setProperty("controlId", cmd::kPushoverRadio);
    pushover_->setAutoExclusive(false);
    displacementLayout->addWidget(pushover_);
    displacementLayout->addWidget(new QLabel(QStringLiteral("View"), displacement));
    viewList_ = new QComboBox(displacement);
    viewList_->setProperty("controlId", cmd::kViewCombo);
    viewList_->addItems({QStringLiteral("1: Force-Deformation"), QStringLiteral("2: Concrete Stress-Strain"),
                         QStringLiteral("3: Rebar Stress-Strain"),
                         QStringLiteral("4: Discrete Element F-D")});
    viewList_->setCurrentIndex(0);
    displacementLayout->addWidget(viewList_);
    layout->addWidget(force);
    layout->addWidget(displacement);
    responseBar_->setWidget(content);
    responseBar_->setFloating(true);
    responseBar_->hide();

    resultsDock_ = new QDockWidget(QStringLiteral("Results"), this);
    resultsDock_->setObjectName(QStringLiteral("Results"));
    resultsPane_ = new ResultsPane(resultsDock_);
    resultsDock_->setWidget(resultsPane_);
    resultsDock_->setFloating(true);
    resultsDock_->resize(820, 720);
    resultsDock_->hide();

    // "Floor" (bar 197): a trackbar without tick marks, at the top right of the results toolbar.
    floorBar_ = new QToolBar(QStringLiteral("Floor"), this);
    floorBar_->setObjectName(QStringLiteral("Floor"));
    floorBar_->setProperty("controlId", 197);
    floorBar_->setFloatable(false);
    trackbar_ = new QSlider(Qt::Horizontal, floorBar_);
    trackbar_->setProperty("controlId", cmd::kFloorTrackbar);
    trackbar_->setTickPosition(QSlider::NoTicks);
    trackbar_->setFixedWidth(95);
    floorBar_->addWidget(trackbar_);
    addToolBar(Qt::TopToolBarArea, floorBar_);

    // The controls send their commands through this frame's route, as the bar's messages would.
    connect(elastic_, &QRadioButton::clicked, this, [this] { Router()->Execute(cmd::kElasticRadio); });
    connect(pushover_, &QRadioButton::clicked, this, [this] { Router()->Execute(cmd::kPushoverRadio); });
    connect(viewList_, &QComboBox::activated, this, [this] { Router()->Execute(cmd::kViewCombo); });
    connect(trackbar_, &QSlider::sliderReleased, this, [this] { Router()->Execute(cmd::kFloorTrackbar); });
    // A click on the groove or a key moves the trackbar without a drag; that is a release too.
    connect(trackbar_, &QSlider::valueChanged, this, [this] {
        if (!trackbar_->isSliderDown()) Router()->Execute(cmd::kFloorTrackbar);
    });
    return pictureBar_ && runBar_ && resultBar_ && floorBar_ && responseBar_;
}

void CResp3D::SetRadios(int mode) {
    elastic_->setChecked(mode == 1);
    pushover_->setChecked(mode == 2);
}

void CResp3D::HideResponseSetting() {
    responseBar_->hide();
}

void CResp3D::ShowResponseSetting() {
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    responseBar_->setFloating(true);
    responseBar_->move(corner + QPoint(40, 70));
    responseBar_->show();
}

} // namespace torva
