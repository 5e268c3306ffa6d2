#include "analysis_view/ResultsPane.h"

#include "analysis/DamageMarks.h"
#include "analysis/FieldCsv.h"
#include "analysis_view/CapacityCurveView.h"
#include "drawing/Legend.h"
#include "drawing/PictureFile.h"
#include "framework/FileDialogs.h"
#include "framework/MessageService.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QVBoxLayout>

namespace torva {

ResultsPane::ResultsPane(QWidget* parent) : QWidget(parent) {
    display_ = new QComboBox;
    display_->addItems({QStringLiteral("Contours"), QStringLiteral("Damage map")});
    quantity_ = new QComboBox;
    for (int q = 0; q < kQuantityCount; ++q) quantity_->addItem(LegendTitle(static_cast<Quantity>(q)));
    rangeChoice_ = new QComboBox;
    rangeChoice_->addItems({QStringLiteral("Automatic range"), QStringLiteral("Symmetric about zero"),
                            QStringLiteral("Fixed range")});
    lo_ = new QDoubleSpinBox;
    hi_ = new QDoubleSpinBox;
    for (QDoubleSpinBox* box : {lo_, hi_}) {
        box->setRange(-1e6, 1e6);
        box->setDecimals(3);
        box->setEnabled(false);
    }
    hi_->setValue(1);

    // The choices in two short rows (what is drawn; its range) and the files under the step slider, so
    // that the pane fits beside the model in a small window. The lists are as wide as a dozen
    // characters need and show their whole items when opened.
    for (QComboBox* list : {display_, quantity_, rangeChoice_}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(12);
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 24);
    }
    savePicture_ = new QPushButton(QStringLiteral("Save Picture..."));
    saveField_ = new QPushButton(QStringLiteral("Save Field CSV..."));
    auto* what = new QHBoxLayout;
    what->addWidget(display_);
    what->addWidget(quantity_, 1);
    auto* range = new QHBoxLayout;
    range->addWidget(rangeChoice_, 1);
    range->addWidget(lo_);
    range->addWidget(hi_);
    auto* choices = new QVBoxLayout;
    choices->addLayout(what);
    choices->addLayout(range);

    canvas_ = new ResultCanvas;
    curve_ = new CapacityCurveView;
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setRange(0, 0);
    stepLabel_ = new QLabel(QStringLiteral("No results"));

    auto* steps = new QHBoxLayout;
    steps->addWidget(new QLabel(QStringLiteral("Step")));
    steps->addWidget(slider_, 1);
    steps->addWidget(stepLabel_);
    auto* files = new QHBoxLayout;
    files->addStretch();
    files->addWidget(savePicture_);
    files->addWidget(saveField_);

    split_ = new QSplitter(Qt::Vertical);
    split_->setChildrenCollapsible(false);
    split_->addWidget(canvas_);
    split_->addWidget(curve_);
    split_->setStretchFactor(0, 3);
    split_->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(split_, 1);
    layout->addLayout(steps);
    layout->addLayout(files);

    connect(display_, &QComboBox::currentIndexChanged, this,
            [this](int i) { canvas_->SetDisplay(static_cast<ResultDisplay>(i)); });
    connect(quantity_, &QComboBox::currentIndexChanged, this, [this](int) { Prepare(); });
    connect(rangeChoice_, &QComboBox::currentIndexChanged, this, [this](int i) {
        range_ = static_cast<RangeMode>(i);
        lo_->setEnabled(range_ == RangeMode::Fixed);
        hi_->setEnabled(range_ == RangeMode::Fixed);
        Prepare();
    });
    for (QDoubleSpinBox* box : {lo_, hi_})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this](double) {
            fixedLo_ = lo_->value();
            fixedHi_ = hi_->value();
            if (range_ == RangeMode::Fixed) Prepare();
        });
    connect(savePicture_, &QPushButton::clicked, this, [this] { OnSavePicture(); });
    connect(saveField_, &QPushButton::clicked, this, [this] { OnSaveField(); });
    connect(slider_, &QSlider::valueChanged, this, [this](int step) { LoadStep(step); });
    connect(curve_, &CapacityCurveView::StepClicked, this, [this](int step) { ShowStep(step); });
}

void ResultsPane::SetWide(bool wide) {
    split_->setOrientation(wide ? Qt::Horizontal : Qt::Vertical);
    // Beside the model the picture takes three quarters of the height; below it the curve needs half
    // the width for its title and axes.
    const int length = wide ? split_->width() : split_->height();
    const int picture = wide ? length / 2 : 3 * length / 4;
    split_->setSizes({picture, length - picture});
}

bool ResultsPane::Wide() const {
    return split_->orientation() == Qt::Horizontal;
}

void ResultsPane::SetMesh(const MeshView& mesh) {
    canvas_->SetMesh(CanvasMesh::Of(mesh));
    Prepare();
}

void ResultsPane::SetSource(StepSource source) {
    source_ = std::move(source);
    Refresh();
}

void ResultsPane::Refresh() {
    const int count = source_.count ? source_.count() : 0;
    const bool wasLast = slider_->value() == slider_->maximum();
    {
        const QSignalBlocker block(slider_);
        slider_->setRange(0, std::max(count - 1, 0));
        if (wasLast) slider_->setValue(slider_->maximum());
    }
    curve_->SetCurve(source_.curve ? source_.curve() : std::vector<CapacityPoint>{});
    LoadStep(count > 0 ? slider_->value() : -1);
}

void ResultsPane::SetOutOfDate(bool outOfDate) {
    canvas_->SetOutOfDate(outOfDate);
    emit FieldShown();
}

bool ResultsPane::OutOfDate() const {
    return canvas_->OutOfDate();
}

void ResultsPane::ShowStep(int step) {
    slider_->setValue(step);
}

int ResultsPane::ShownStep() const {
    return slider_->value();
}

int ResultsPane::ShownStepNumber() const {
    const int step = slider_->value();
    return source_.stepNumber ? source_.stepNumber(step) : step;
}

void ResultsPane::SetDisplay(ResultDisplay display) {
    display_->setCurrentIndex(static_cast<int>(display));
}

void ResultsPane::SetQuantity(Quantity q) {
    quantity_->setCurrentIndex(static_cast<int>(q));
}

void ResultsPane::SetRange(RangeMode mode, double lo, double hi) {
    {
        const QSignalBlocker a(lo_), b(hi_);
        lo_->setValue(lo);
        hi_->setValue(hi);
    }
    fixedLo_ = lo;
    fixedHi_ = hi;
    if (rangeChoice_->currentIndex() == static_cast<int>(mode))
        Prepare();
    else
        rangeChoice_->setCurrentIndex(static_cast<int>(mode));
}

void ResultsPane::LoadStep(int step) {
    field_ = ResultField{};
    const int count = source_.count ? source_.count() : 0;
    if (step >= 0 && step < count && source_.fieldAt && !source_.fieldAt(step, field_))
        field_ = ResultField{};
    const auto number = [this](int s) { return source_.stepNumber ? source_.stepNumber(s) : s; };
    stepLabel_->setText(field_.hasResults ? QStringLiteral("%1 / %2").arg(number(step)).arg(number(count - 1))
                                          : QStringLiteral("No results"));
    curve_->SetShownStep(field_.hasResults ? step : -1);
    Prepare();
    emit FieldShown();
}

void ResultsPane::Prepare() {
    const CanvasMesh& mesh = canvas_->Mesh();
    const MeshView view = mesh.View();
    contours_ = PrepareContours(field_, view, static_cast<Quantity>(quantity_->currentIndex()), range_,
                                fixedLo_, fixedHi_);
    canvas_->SetContours(contours_, field_.hasResults);
    canvas_->SetDamage(PrepareDamageMarks(field_, view, mesh.x.data(), mesh.y.data()));
}

void ResultsPane::OnSavePicture() {
    QString path = FileDialogs::SaveFileName(this, QStringLiteral("results.png"),
                                             QStringLiteral("PNG Files (*.png);;SVG Files (*.svg)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    std::string error;
    if (!ExportPicture(path.toStdString(), error)) MessageService::Error(QString::fromStdString(error), this);
}

void ResultsPane::OnSaveField() {
    QString path =
        FileDialogs::SaveFileName(this, QStringLiteral("field.csv"), QStringLiteral("CSV Files (*.csv)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    std::string error;
    if (!ExportFieldCsv(path.toStdString(), error))
        MessageService::Error(QString::fromStdString(error), this);
}

bool ResultsPane::ExportPicture(const std::string& path, std::string& error) {
    return WritePicture(
        path, canvas_->size(), [this](QPainter& painter) { canvas_->Render(painter); }, error);
}

bool ResultsPane::ExportFieldCsv(const std::string& path, std::string& error) {
    const CanvasMesh& mesh = canvas_->Mesh();
    return WriteFieldCsv(path, field_, mesh.View(), mesh.x.data(), mesh.y.data(), error);
}

} // namespace torva
