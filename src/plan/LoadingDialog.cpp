#include "plan/LoadingDialog.h"

#include "analysis/MethodNames.h"
#include "framework/MessageService.h"
#include "framework/Settings.h"
#include "model/FramePat.h"
#include "plan/DialogControls.h"
#include "plan/TypeEditorDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace torva {

namespace {

constexpr int kTargetScale = 1000; // targets are stored in 0.001 mm

// The loading dialogs' buttons never become the default by taking the focus.
QPushButton* MakeButtonNoAutoDefault(const QString& text, int id, QWidget* parent) {
    QPushButton* button = ctl::MakeButton(text, id, parent);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeEdit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    ctl::SetControlId(edit, id);
    edit->setFixedWidth(120);
    return edit;
}

// One row a field: its label (the edit's buddy) and the edit.
QGridLayout* LabelledEdits(QWidget* parent, std::initializer_list<std::pair<QString, QLineEdit*>> rows,
                           Qt::Alignment editAlignment = {}) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    int row = 0;
    for (const auto& [text, edit] : rows) {
        auto* label = new QLabel(text, parent);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1, editAlignment);
    }
    return grid;
}

// OK (the default button) and Cancel on the right.
QHBoxLayout* OkCancel(QDialog* dialog, const std::function<void()>& onOk) {
    auto* ok = MakeButtonNoAutoDefault(QObject::tr("OK"), ctl::kOk, dialog);
    auto* cancel = MakeButtonNoAutoDefault(QObject::tr("Cancel"), ctl::kCancel, dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

void Refuse(const QString& message, QLineEdit* edit, QWidget* parent) {
    MessageService::Show(message, MessageButtons::Ok, MessageIcon::Warning, parent);
    if (edit) {
        edit->setFocus();
        edit->selectAll();
    }
}

// A typed target in mm as stored 0.001 mm, rounded symmetrically about zero like a point force; on
// failure `problem` is notNumber or tooLarge.
bool TargetFromText(const QString& text, int32_t& stored, QString& problem, const QString& notNumber,
                    const QString& tooLarge) {
    double typed = 0;
    if (!ParseNumber(text, typed)) {
        problem = notNumber;
        return false;
    }
    const ScaledValue scaled = ToStored(typed, kTargetScale, ValueRule::Force);
    if (scaled.problem != ValueProblem::None) {
        problem = tooLarge;
        return false;
    }
    stored = static_cast<int32_t>(scaled.stored);
    return true;
}

// The table of targets. Return finishes a cell and goes down to the next one instead of reaching the
// dialog's OK button; OK can finish an edit still open in a cell.
class TargetTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
            return QTableWidget::keyPressEvent(event);
        event->accept();
        if (state() == EditingState) FinishEditing();
        if (currentRow() + 1 < rowCount()) setCurrentCell(currentRow() + 1, currentColumn());
    }
    void FinishEditing() {
        if (state() != EditingState) return;
        for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!editor->isVisible() || !itemDelegate()) continue;
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

bool CountFromText(const QString& text, int& value) {
    bool ok = false;
    value = QLocale::c().toInt(text.trimmed(), &ok);
    return ok;
}

QString Mm(double mm) {
    return ShownNumber(mm);
}

} // namespace

LoadingDialog::LoadingDialog(CFramePat& model, QWidget* parent)
    : QDialog(parent), model_(model), protocol_(LoadingProtocol::FromModel(model)) {
    setWindowTitle(tr("Loading"));
    setModal(true);

    auto* direction = new QGroupBox(tr("Control Direction"), this);
    xButton_ = new QRadioButton(tr("X"), direction);
    yButton_ = new QRadioButton(tr("Y"), direction);
    ctl::SetControlId(xButton_, ctl::kDirectionX);
    ctl::SetControlId(yButton_, ctl::kDirectionY);
    auto* radios = new QHBoxLayout(direction);
    radios->addWidget(xButton_);
    radios->addSpacing(24);
    radios->addWidget(yButton_);
    radios->addStretch();
    connect(xButton_, &QRadioButton::toggled, this, [this](bool on) { protocol_.SetDirection(on ? 1 : 2); });

    auto* counts = new QGroupBox(tr("Steps"), this);
    segments_ = new QSpinBox(counts);
    steps_ = new QSpinBox(counts);
    ctl::SetControlId(segments_, ctl::kSegmentCount);
    ctl::SetControlId(steps_, ctl::kStepsPerSegment);
    segments_->setRange(1, kMaxLoadingSegments);
    steps_->setRange(1, static_cast<int>(kMaxLoadingSteps));
    for (QSpinBox* box : {segments_, steps_}) {
        box->setFixedWidth(90);
        box->setAlignment(Qt::AlignRight);
    }
    auto* segmentsLabel = new QLabel(tr("Number of segments"), counts);
    auto* stepsLabel = new QLabel(tr("Steps per segment"), counts);
    segmentsLabel->setBuddy(segments_);
    stepsLabel->setBuddy(steps_);
    total_ = new QLabel(counts);
    largest_ = new QLabel(counts);
    ctl::SetControlId(total_, ctl::kStepTotal);
    ctl::SetControlId(largest_, ctl::kLargestTarget);
    auto* grid = new QGridLayout(counts);
    grid->setHorizontalSpacing(10);
    grid->addWidget(segmentsLabel, 0, 0);
    grid->addWidget(segments_, 0, 1);
    grid->addWidget(stepsLabel, 1, 0);
    grid->addWidget(steps_, 1, 1);
    grid->addWidget(total_, 2, 0, 1, 2);
    grid->addWidget(largest_, 3, 0, 1, 2);

    auto* presets = new QGroupBox(tr("Presets"), this);
    auto* monotonic = MakeButtonNoAutoDefault(tr("Monotonic..."), ctl::kMonotonic, presets);
    auto* cyclic = MakeButtonNoAutoDefault(tr("Cyclic..."), ctl::kCyclic, presets);
    connect(monotonic, &QPushButton::clicked, this, &LoadingDialog::OnMonotonic);
    connect(cyclic, &QPushButton::clicked, this, &LoadingDialog::OnCyclic);
    auto* presetRow = new QHBoxLayout(presets);
    presetRow->addWidget(monotonic);
    presetRow->addWidget(cyclic);

    auto* targets = new QGroupBox(tr("Target Displacements"), this);
    table_ = new TargetTable(0, 2, targets);
    ctl::SetControlId(table_, ctl::kTargetTable);
    table_->setHorizontalHeaderLabels({tr("Target (mm)"), tr("Step")});
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->setColumnWidth(kTargetColumn, 110);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setFixedSize(250, 300);
    auto* tableBox = new QVBoxLayout(targets);
    tableBox->addWidget(table_);
    connect(table_, &QTableWidget::cellChanged, this, &LoadingDialog::OnCellChanged);
    connect(segments_, &QSpinBox::valueChanged, this, &LoadingDialog::OnSegmentsChanged);
    connect(steps_, &QSpinBox::valueChanged, this, &LoadingDialog::OnStepsChanged);

    auto* methodBox = new QGroupBox(tr("Analysis method"), this);
    method_ = new QComboBox(methodBox);
    ctl::SetControlId(method_, ctl::kAnalysisMethod);
    for (const engine::AnalysisMethod method :
         {engine::AnalysisMethod::Mcft, engine::AnalysisMethod::Classic})
        method_->addItem(QString::fromLatin1(MethodLabel(method)), static_cast<int>(method));
    method_->setCurrentIndex(method_->findData(static_cast<int>(Settings::AnalysisMethod())));
    auto* methodRow = new QVBoxLayout(methodBox);
    methodRow->addWidget(method_);

    auto* left = new QVBoxLayout;
    left->addWidget(direction);
    left->addWidget(methodBox);
    left->addWidget(counts);
    left->addWidget(presets);
    left->addStretch();
    auto* body = new QHBoxLayout;
    body->setSpacing(12);
    body->addLayout(left);
    body->addWidget(targets);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ctl::MakeHeader(tr("LOADING"), this));
    layout->addLayout(body);
    layout->addLayout(OkCancel(this, [this] { OnOk(); }));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A direction of 0 (a new model) or anything but 2 is shown, and written back, as X.
    (protocol_.Direction() == 2 ? yButton_ : xButton_)->setChecked(true);
    ShowProtocol();
    xButton_->setFocus();
}

void LoadingDialog::ShowProtocol() {
    filling_ = true;
    {
        const QSignalBlocker blockSegments(segments_);
        const QSignalBlocker blockSteps(steps_);
        segments_->setValue(protocol_.SegmentCount());
        steps_->setValue(protocol_.StepsPerSegment());
    }
    // A count outside the boxes' ranges (a foreign file) is shown, and taken, as the nearest one.
    protocol_.SetSegmentCount(segments_->value());
    protocol_.SetStepsPerSegment(steps_->value());
    table_->setRowCount(0);
    SetRowCount(protocol_.UsedPointCount());
    filling_ = false;
    ShowSummary();
}

void LoadingDialog::SetRowCount(int points) {
    const bool wasFilling = filling_;
    filling_ = true;
    const int before = table_->rowCount();
    table_->setRowCount(points);
    for (int row = 0; row < points; ++row)
        table_->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row)));
    // New rows show what the loading holds there (rows that stay keep what was typed).
    for (int row = before; row < points; ++row) {
        auto* step = new QTableWidgetItem;
        step->setFlags(Qt::ItemIsEnabled);
        step->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        step->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        table_->setItem(row, kStepColumn, step);
        ShowTarget(row);
    }
    filling_ = wasFilling;
    ShowStepColumn();
}

void LoadingDialog::ShowTarget(int row) {
    const bool wasFilling = filling_;
    filling_ = true;
    auto* item = new QTableWidgetItem(Mm(protocol_.PointMm(row)));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(row, kTargetColumn, item);
    filling_ = wasFilling;
}

void LoadingDialog::ShowStepColumn() {
    const bool wasFilling = filling_;
    filling_ = true;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const long long step = static_cast<long long>(row) * protocol_.StepsPerSegment();
        table_->item(row, kStepColumn)->setText(QString::number(step));
    }
    filling_ = wasFilling;
}

void LoadingDialog::ShowSummary() {
    const long long total = protocol_.StepTotal();
    const bool tooMany = total > kMaxLoadingSteps;
    total_->setText(tooMany ? tr("Total steps: %1 (at most %2)").arg(total).arg(kMaxLoadingSteps)
                            : tr("Total steps: %1").arg(total));
    QPalette colours = total_->palette();
    colours.setColor(QPalette::WindowText, tooMany ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    total_->setPalette(colours);
    largest_->setText(tr("Largest target: %1 mm").arg(Mm(protocol_.LargestTarget())));
}

void LoadingDialog::OnSegmentsChanged(int segments) {
    protocol_.SetSegmentCount(segments);
    SetRowCount(protocol_.UsedPointCount());
    ShowSummary();
}

void LoadingDialog::OnStepsChanged(int steps) {
    protocol_.SetStepsPerSegment(steps);
    ShowStepColumn();
    ShowSummary();
}

void LoadingDialog::OnCellChanged(int row, int column) {
    if (filling_ || column != kTargetColumn) return;
    TakeTarget(row, false);
    ShowSummary();
}

bool LoadingDialog::TakeTarget(int row, bool tell) {
    const QTableWidgetItem* item = table_->item(row, kTargetColumn);
    int32_t stored = 0;
    QString problem;
    if (!TargetFromText(item ? item->text() : QString(), stored, problem,
                        tr("Enter a number as the target of point %1.").arg(row),
                        tr("The target of point %1 is too large.").arg(row))) {
        if (tell) {
            MessageService::Show(problem, MessageButtons::Ok, MessageIcon::Warning, this);
            table_->setCurrentCell(row, kTargetColumn);
            table_->setFocus();
        }
        return false;
    }
    protocol_.SetPoint(row, stored);
    return true;
}

void LoadingDialog::OnMonotonic() {
    MonotonicLoadingDialog dialog(protocol_, this);
    if (dialog.exec() == QDialog::Accepted) ShowProtocol();
}

void LoadingDialog::OnCyclic() {
    CyclicLoadingDialog dialog(protocol_, this);
    if (dialog.exec() == QDialog::Accepted) ShowProtocol();
}

void LoadingDialog::OnOk() {
    // A cell still being edited counts as typed.
    static_cast<TargetTable*>(table_)->FinishEditing();
    for (int row = 0; row < protocol_.UsedPointCount(); ++row)
        if (!TakeTarget(row, true)) return;
    ShowSummary();
    const std::string problem = protocol_.Problem();
    if (!problem.empty()) {
        MessageService::Show(QString::fromStdString(problem), MessageButtons::Ok, MessageIcon::Warning, this);
        return;
    }
    protocol_.StoreInto(model_);
    Settings::SetAnalysisMethod(static_cast<engine::AnalysisMethod>(method_->currentData().toInt()));
    accept();
}

MonotonicLoadingDialog::MonotonicLoadingDialog(LoadingProtocol& protocol, QWidget* parent)
    : QDialog(parent), protocol_(protocol) {
    setWindowTitle(tr("Monotonic Loading"));
    setModal(true);
    target_ = MakeEdit(ctl::kPresetTarget, this);
    steps_ = MakeEdit(ctl::kPresetSteps, this);
    QGridLayout* grid =
        LabelledEdits(this, {{tr("Target displacement (mm)"), target_}, {tr("Number of steps"), steps_}});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ctl::MakeHeader(tr("MONOTONIC"), this));
    layout->addWidget(new QLabel(tr("From 0 to the target in equal steps."), this));
    layout->addLayout(grid);
    layout->addLayout(OkCancel(this, [this] { OnOk(); }));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Start from the end of the current loading, or 10 mm.
    const double end = protocol_.PointMm(protocol_.UsedPointCount() - 1);
    target_->setText(
        Mm(end != 0 ? end : (protocol_.LargestTarget() != 0 ? protocol_.LargestTarget() : 10.0)));
    steps_->setText(QString::number(std::max(1, protocol_.StepsPerSegment())));
    target_->setFocus();
    target_->selectAll();
}

void MonotonicLoadingDialog::OnOk() {
    int32_t target = 0;
    QString problem;
    if (!TargetFromText(target_->text(), target, problem, tr("Enter a number for the target displacement."),
                        tr("The target displacement is too large.")))
        return Refuse(problem, target_, this);
    int steps = 0;
    if (!CountFromText(steps_->text(), steps))
        return Refuse(tr("Enter an integer for the number of steps."), steps_, this);
    const std::string refused = MakeMonotonicLoading(target, steps, protocol_);
    if (!refused.empty())
        return Refuse(QString::fromStdString(refused), target == 0 ? target_ : steps_, this);
    accept();
}

CyclicLoadingDialog::CyclicLoadingDialog(LoadingProtocol& protocol, QWidget* parent)
    : QDialog(parent), protocol_(protocol) {
    setWindowTitle(tr("Cyclic Loading"));
    setModal(true);
    amplitudes_ = MakeEdit(ctl::kPresetAmplitudes, this);
    cycles_ = MakeEdit(ctl::kPresetCycles, this);
    steps_ = MakeEdit(ctl::kPresetSteps, this);
    amplitudes_->setFixedWidth(180);
    QGridLayout* grid = LabelledEdits(this,
                                      {{tr("Amplitudes (mm)"), amplitudes_},
                                       {tr("Cycles per amplitude"), cycles_},
                                       {tr("Steps per segment"), steps_}},
                                      Qt::AlignLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ctl::MakeHeader(tr("REVERSED CYCLIC"), this));
    layout->addWidget(new QLabel(tr("Each cycle: 0, +a, 0, -a, 0 (four segments).\n"
                                    "Amplitudes in mm separated by commas, e.g. 1, 2, 4, 8"),
                                 this));
    layout->addLayout(grid);
    layout->addLayout(OkCancel(this, [this] { OnOk(); }));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    amplitudes_->setText(QStringLiteral("1, 2, 4, 8"));
    cycles_->setText(QStringLiteral("1"));
    steps_->setText(QString::number(std::max(1, protocol_.StepsPerSegment())));
    amplitudes_->setFocus();
    amplitudes_->selectAll();
}

void CyclicLoadingDialog::OnOk() {
    std::vector<int32_t> amplitudes;
    const QStringList parts =
        amplitudes_->text().split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        int32_t amplitude = 0;
        QString problem;
        if (!TargetFromText(part, amplitude, problem,
                            tr("Enter the amplitudes as numbers separated by commas."),
                            tr("An amplitude is too large.")))
            return Refuse(problem, amplitudes_, this);
        amplitudes.push_back(amplitude);
    }
    int cycles = 0, steps = 0;
    if (!CountFromText(cycles_->text(), cycles))
        return Refuse(tr("Enter an integer for the number of cycles."), cycles_, this);
    if (!CountFromText(steps_->text(), steps))
        return Refuse(tr("Enter an integer for the number of steps."), steps_, this);
    const std::string refused = MakeCyclicLoading(amplitudes, cycles, steps, protocol_);
    if (!refused.empty()) {
        // The field to correct: the amplitudes (none, one not above 0, too many segments), the cycles, or
        // else the steps.
        const bool amplitudesWrong =
            amplitudes.empty() || *std::min_element(amplitudes.begin(), amplitudes.end()) <= 0 ||
            static_cast<long long>(amplitudes.size()) * std::max(cycles, 1) * 4 > kMaxLoadingSegments;
        QLineEdit* culprit = amplitudesWrong ? amplitudes_ : (cycles < 1 ? cycles_ : steps_);
        return Refuse(QString::fromStdString(refused), culprit, this);
    }
    accept();
}

} // namespace torva
