#include "plan/TypeEditorDialog.h"

#include "framework/MessageService.h"
#include "model/FramePat.h"
#include "plan/DialogControls.h"
#include "plan/FrameDialogs.h"

#include <QColorDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace torva {

QColor ColorFromRef(uint32_t ref) {
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

uint32_t RefFromColor(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
           static_cast<uint32_t>(color.blue()) << 16;
}

QString ShownNumber(double value) {
    return QString::number(value, 'g', 10);
}

bool ParseNumber(const QString& text, double& value) {
    bool ok = false;
    value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

QString ValueProblemText(const QString& name, ValueRule rule, int scale, double typed, ValueProblem problem) {
    switch (rule) {
    case ValueRule::Poisson:
        return QObject::tr("%1 must lie between 0 and 0.5.").arg(name);
    case ValueRule::SpanLength:
        return QObject::tr("%1 must lie between 0 and 65535 mm.").arg(name);
    case ValueRule::Gravity:
        return QObject::tr("%1 must lie between 0 and %2.")
            .arg(name, ShownNumber(static_cast<double>(MaxStored(rule)) / scale));
    default:
        break;
    }
    if (problem == ValueProblem::TooLarge) return QObject::tr("%1 is too large.").arg(name);
    if (problem == ValueProblem::Negative && rule == ValueRule::NonNegative)
        return QObject::tr("%1 must not be negative.").arg(name);
    if (problem == ValueProblem::Zero && typed > 0)
        return QObject::tr("%1 is too small: the smallest value is %2.").arg(name, ShownNumber(1.0 / scale));
    return QObject::tr("%1 must be greater than 0.").arg(name);
}

namespace {

int EditHeight() {
    static const int height = QLineEdit().sizeHint().height();
    return height;
}

} // namespace

TypeEditorDialog::TypeEditorDialog(CFramePat& model, Look look, QWidget* parent)
    : QDialog(parent), model_(model), look_(std::move(look)) {
    setWindowTitle(look_.title);
    setProperty("dialogId", look_.dialogId);
    setModal(true);

    QLabel* header = ctl::MakeHeader(look_.header, this);
    header->move(kLeft, 8);
    header->adjustSize();

    // Created first so that it leads the tab order.
    list_ = new QListWidget(this);
    ctl::SetControlId(list_, ctl::kList);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    for (int i = 1; i <= 10; ++i) list_->addItem(QString(look_.letter) + QString::number(i));
    list_->addItem(QString(look_.letter) + QStringLiteral("def"));
    const int rows = list_->sizeHintForRow(0) * kTypeCount + 2 * list_->frameWidth() + 6;
    list_->setGeometry(kLeft, kFieldsTop, 84, rows);
    connect(list_, &QListWidget::itemSelectionChanged, this, &TypeEditorDialog::OnSelectionChanged);
}

int TypeEditorDialog::PlaceFields(QWidget* container, int x, int y, int first, int count) {
    const QFontMetrics metrics(container->font());
    int labelWidth = 0;
    for (int i = first; i < first + count; ++i)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(fields_[i].label));
    labelWidth += 8;
    const int height = EditHeight();
    const int pitch = std::max(kRowPitch, height + 4);

    int bottom = y;
    for (int i = first; i < first + count; ++i, y += pitch) {
        Field& field = fields_[i];
        auto* label = new QLabel(field.label, container);
        label->setGeometry(x, y, labelWidth, height);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        field.edit = new QLineEdit(container);
        ctl::SetControlId(field.edit, field.id);
        field.edit->setGeometry(x + labelWidth, y, kEditWidth, height);
        label->setBuddy(field.edit);

        if (!field.suffix.isEmpty()) {
            auto* suffix = new QLabel(field.suffix, container);
            suffix->setGeometry(x + labelWidth + kEditWidth + 6, y,
                                metrics.horizontalAdvance(field.suffix) + 4, height);
            suffix->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (field.name.isEmpty()) field.name = field.label;
        bottom = y + height;
    }
    return bottom;
}

QGroupBox* TypeEditorDialog::PlaceGroup(const QString& title, int x, int y, int first, int count) {
    auto* group = new QGroupBox(title, this);
    group->move(x, y);
    const int top = QFontMetrics(group->font()).height() + 8;
    const int bottom = PlaceFields(group, 10, top, first, count);
    group->resize(group->childrenRect().right() + 11, bottom + 10);
    return group;
}

void TypeEditorDialog::Finish() {
    int bottom = std::max(childrenRect().bottom(), list_->geometry().bottom());
    if (look_.hasColor) {
        colorButton_ = ctl::MakeButton(tr("Color"), ctl::kColor, this);
        colorButton_->setAutoDefault(false);
        colorButton_->setGeometry(kFieldsLeft, SwatchRect().top() + 7, 88, 26);
        connect(colorButton_, &QPushButton::clicked, this, &TypeEditorDialog::OnColor);
        bottom = std::max(bottom, SwatchRect().bottom());
    }
    const int right = std::max(childrenRect().right(), SwatchRect().right());

    QPushButton* add = ctl::MakeButton(tr("ADD"), ctl::kAdd, this);
    QPushButton* copy = ctl::MakeButton(tr("Copy"), ctl::kCopy, this);
    QPushButton* ok = ctl::MakeButton(tr("OK"), ctl::kOk, this);
    copy->setAutoDefault(false);
    ok->setAutoDefault(false);
    add->setDefault(true);
    constexpr int kButtonWidth = 80, kButtonHeight = 26, kGap = 8;
    const int width = std::max(right + 1 + kLeft, kLeft + 3 * kButtonWidth + 2 * kGap + kLeft);
    const int top = bottom + 14;
    int x = width - kLeft - 3 * kButtonWidth - 2 * kGap;
    for (QPushButton* button : {add, copy, ok}) {
        button->setGeometry(x, top, kButtonWidth, kButtonHeight);
        x += kButtonWidth + kGap;
    }
    connect(add, &QPushButton::clicked, this, &TypeEditorDialog::OnAdd);
    connect(copy, &QPushButton::clicked, this, &TypeEditorDialog::OnCopy);
    connect(ok, &QPushButton::clicked, this, &TypeEditorDialog::OnOk);
    setFixedSize(width, top + kButtonHeight + 12);

    curIndex_ = 0;
    SelectIndex(0);
    LoadType(0);
    list_->setFocus();
}

int32_t TypeEditorDialog::ReadStored(int type, const Field& field) const {
    return model_.Prop(look_.kind, type, field.property);
}

void TypeEditorDialog::WriteStored(int type, const Field& field, int32_t value) {
    model_.Prop(look_.kind, type, field.property) = value;
}

void TypeEditorDialog::LoadType(int index) {
    const int type = index + 1;
    for (const Field& field : fields_)
        field.edit->setText(ShownNumber(ToShown(ReadStored(type, field), field.scale)));
    if (look_.hasColor) color_ = static_cast<uint32_t>(model_.Color(look_.kind, type));
    LoadExtra(type);
    update();
}

void TypeEditorDialog::StoreType(int index, const std::vector<int32_t>& values) {
    const int type = index + 1;
    for (size_t i = 0; i < fields_.size(); ++i) WriteStored(type, fields_[i], values[i]);
    if (look_.hasColor) model_.Color(look_.kind, type) = static_cast<int32_t>(color_);
    StoreExtra(type);
}

bool TypeEditorDialog::TakeValues(std::vector<int32_t>& values) {
    values.clear();
    for (const Field& field : fields_) {
        double typed = 0;
        QString message;
        ScaledValue scaled;
        if (!ParseNumber(field.edit->text(), typed)) {
            message = tr("Enter a number for %1.").arg(field.name);
        } else {
            scaled = ToStored(typed, field.scale, field.rule);
            if (scaled.problem != ValueProblem::None)
                message = ValueProblemText(field.name, field.rule, field.scale, typed, scaled.problem);
        }
        if (!message.isEmpty()) {
            MessageService::Show(message, MessageButtons::Ok, MessageIcon::Warning, this);
            field.edit->setFocus();
            field.edit->selectAll();
            return false;
        }
        values.push_back(static_cast<int32_t>(scaled.stored));
    }
    size_t wrong = 0;
    const QString message = CheckValues(values, wrong);
    if (!message.isEmpty() && wrong < fields_.size()) {
        MessageService::Show(message, MessageButtons::Ok, MessageIcon::Warning, this);
        fields_[wrong].edit->setFocus();
        fields_[wrong].edit->selectAll();
        return false;
    }
    return true;
}

void TypeEditorDialog::SelectIndex(int index) {
    const QSignalBlocker blocker(list_);
    list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TypeEditorDialog::OnSelectionChanged() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    curIndex_ = selected.isEmpty() ? -1 : list_->row(selected.first());
    if (curIndex_ >= 0) LoadType(curIndex_);
    update();
}

void TypeEditorDialog::OnAdd() {
    if (curIndex_ < 0) return;
    std::vector<int32_t> values;
    if (!TakeValues(values)) return;
    StoreType(curIndex_, values);
    if (curIndex_ == kTypeCount - 1 && CDefaultMember::Confirm(this))
        for (int index = 0; index < kTypeCount; ++index) StoreType(index, values);
    curIndex_ = (curIndex_ + 1) % kTypeCount;
    SelectIndex(curIndex_);
    LoadType(curIndex_);
    list_->setFocus();
}

void TypeEditorDialog::OnCopy() {
    if (curIndex_ <= 0) return;
    const int from = curIndex_, to = curIndex_ + 1; // type numbers
    for (const Field& field : fields_) WriteStored(to, field, ReadStored(from, field));
    if (look_.hasColor) model_.Color(look_.kind, to) = model_.Color(look_.kind, from);
    CopyExtra(from, to);
    LoadType(curIndex_);
}

void TypeEditorDialog::OnOk() {
    if (curIndex_ < 0) return;
    std::vector<int32_t> values;
    if (!TakeValues(values)) return;
    StoreType(curIndex_, values);
    accept();
}

void TypeEditorDialog::OnColor() {
    auto* dialog = new QColorDialog(ColorFromRef(color_), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    dialog->setObjectName(QStringLiteral("colorDialog"));
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        color_ = RefFromColor(color);
        update();
    });
    dialog->open();
}

void TypeEditorDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!look_.hasColor) return;
    QPainter painter(this);
    painter.fillRect(SwatchRect(), ColorFromRef(color_));
}

} // namespace torva
