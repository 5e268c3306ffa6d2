#include "analysis_view/Resp3D.h"

#include "analysis/MethodNames.h"
#include "analysis/Session.h"
#include "analysis_view/ResultsPane.h"
#include "document/TorvaDoc.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/Settings.h"

#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

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
    PlaceResults();
    resultsDock_->hide();
    connect(resultsDock_, &QDockWidget::dockLocationChanged, this, [this] { RememberResultsPlace(); });
    connect(resultsDock_, &QDockWidget::topLevelChanged, this, [this] { RememberResultsPlace(); });

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

namespace {

constexpr int kResultsWidth = 440;   // the results window beside the view
constexpr int kResultsHeight = 330;  // above or below it, where the picture and the curve sit side by
constexpr int kWideFrameWidth = 800; // side in a frame at least this wide

Qt::DockWidgetArea AreaOf(const QString& place) {
    if (place == QLatin1String("bottom")) return Qt::BottomDockWidgetArea;
    if (place == QLatin1String("left")) return Qt::LeftDockWidgetArea;
    if (place == QLatin1String("top")) return Qt::TopDockWidgetArea;
    return Qt::RightDockWidgetArea;
}

QString PlaceOf(Qt::DockWidgetArea area) {
    switch (area) {
    case Qt::BottomDockWidgetArea:
        return QStringLiteral("bottom");
    case Qt::LeftDockWidgetArea:
        return QStringLiteral("left");
    case Qt::TopDockWidgetArea:
        return QStringLiteral("top");
    default:
        return QStringLiteral("right");
    }
}

bool Wide(Qt::DockWidgetArea area) {
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
}

} // namespace

void CResp3D::PlaceResults() {
    placingResults_ = true;
    const QString place = Settings::ResultsPlace();
    const Qt::DockWidgetArea area = AreaOf(place);
    addDockWidget(area, resultsDock_);
    resultsPane_->SetWide(Wide(area));
    if (place == QLatin1String("floating")) {
        resultsDock_->setFloating(true);
        resultsDock_->resize(820, 720);
    }
    placingResults_ = false;
}

void CResp3D::RememberResultsPlace() {
    if (placingResults_) return;
    const Qt::DockWidgetArea area = dockWidgetArea(resultsDock_);
    resultsPane_->SetWide(!resultsDock_->isFloating() && Wide(area));
    Settings::SetResultsPlace(resultsDock_->isFloating() ? QStringLiteral("floating") : PlaceOf(area));
}

void CResp3D::ShowResults() {
    if (resultsDock_->isVisible()) return;
    resultsDock_->show();
    if (resultsDock_->isFloating()) return;
    MakeRoomForResults();
    const bool wide = Wide(dockWidgetArea(resultsDock_));
    resizeDocks({resultsDock_}, {wide ? kResultsHeight : kResultsWidth},
                wide ? Qt::Vertical : Qt::Horizontal);
    // Laid out now, so that the view has its new size before anything draws or grabs it.
    if (QMdiSubWindow* sub = SubWindow(); sub && sub->layout()) sub->layout()->activate();
    if (layout()) layout()->activate();
    resultsPane_->SetWide(wide);
}

void CResp3D::MakeRoomForResults() {
    QMdiSubWindow* sub = SubWindow();
    if (!sub || !sub->mdiArea() || sub->isMaximized()) return;
    const QRect area = sub->mdiArea()->viewport()->rect();
    const bool wide = Wide(dockWidgetArea(resultsDock_));
    QRect placed = sub->geometry();
    const QSize grown =
        wide ? QSize(std::max(placed.width(), kWideFrameWidth), placed.height() + kResultsHeight)
             : QSize(placed.width() + kResultsWidth, std::max(placed.height(), area.height()));
    placed.setSize(grown.boundedTo(area.size()));
    // Kept inside the area: moved back from its right and bottom edges as far as it grew past them.
    if (placed.right() > area.right()) placed.moveRight(area.right());
    if (placed.bottom() > area.bottom()) placed.moveBottom(area.bottom());
    placed.moveTopLeft(QPoint(std::max(placed.left(), 0), std::max(placed.top(), 0)));
    sub->setGeometry(placed);
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
