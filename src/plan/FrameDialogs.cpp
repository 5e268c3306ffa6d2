#include "plan/FrameDialogs.h"

#include "framework/MessageService.h"
#include "model/FramePat.h"
#include "plan/DialogControls.h"
#include "plan/TypeEditorDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace torva {

namespace {

// A plate on its grid: the picture beside the element counts.
QPixmap GridPicture() {
    constexpr int kSize = 72;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(0, 0, kSize - 1, kSize - 1);
    painter.fillRect(14, 10, 48, 48, QColor(0xC8, 0xD8, 0xF0));
    painter.setPen(QPen(Qt::darkBlue, 1));
    for (int i = 0; i <= 4; ++i) {
        painter.drawLine(14 + 12 * i, 10, 14 + 12 * i, 58);
        painter.drawLine(14, 10 + 12 * i, 62, 10 + 12 * i);
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawText(QRect(14, 58, 48, 13), Qt::AlignCenter, QStringLiteral("X"));
    painter.drawText(QRect(0, 10, 14, 48), Qt::AlignCenter, QStringLiteral("Y"));
    return pixmap;
}

} // namespace

ConfirmDialog::ConfirmDialog(const QString& title, const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setModal(true);
    auto* label = new QLabel(text, this);
    auto* yes = ctl::MakeButton(tr("YES"), ctl::kOk, this);
    auto* no = ctl::MakeButton(tr("NO"), ctl::kCancel, this);
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 14);
    layout->setSpacing(18);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool ConfirmDialog::Ask(const QString& title, const QString& text, QWidget* parent) {
    const MessageAnswer answer = MessageService::Ask(text, MessageButtons::YesNo, [&] {
        ConfirmDialog dialog(title, text, parent);
        return dialog.exec() == QDialog::Accepted ? MessageAnswer::Yes : MessageAnswer::No;
    });
    return answer == MessageAnswer::Yes || answer == MessageAnswer::Ok;
}

QString CDefaultMember::Text() {
    return tr("Set default values for all members?");
}

QString CInitializeBuilding::Text() {
    return tr("Clear all building information?");
}

CEditFrame::CEditFrame(CFramePat& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(tr("Frame Editor"));
    setProperty("dialogId", 158);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(GridPicture());
    auto* group = new QGroupBox(tr("Number of Elements"), this);
    xBox_ = new QComboBox(group);
    yBox_ = new QComboBox(group);
    ctl::SetControlId(xBox_, ctl::kFrameX);
    ctl::SetControlId(yBox_, ctl::kFrameY);
    for (QComboBox* box : {xBox_, yBox_}) {
        for (int count = 1; count <= kMaxGridCount - 2; ++count)
            box->addItem(QStringLiteral("%1").arg(count, 2));
        box->setMaxVisibleItems(12);
    }
    // Entry k means k + 1 elements (nxs = k + 3). A size outside the range cannot come from a file the
    // reader accepts; it is shown as the nearest size rather than as no selection.
    auto entry = [](int count) { return std::clamp(count, kMinGridCount, kMaxGridCount) - kMinGridCount; };
    xBox_->setCurrentIndex(entry(model_.nxs));
    yBox_->setCurrentIndex(entry(model_.nys));

    auto* xLabel = new QLabel(tr("X"), group);
    auto* yLabel = new QLabel(tr("Y"), group);
    xLabel->setBuddy(xBox_);
    yLabel->setBuddy(yBox_);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(10);
    grid->addWidget(xLabel, 0, 0);
    grid->addWidget(xBox_, 0, 1);
    grid->addWidget(yLabel, 1, 0);
    grid->addWidget(yBox_, 1, 1);

    auto* ok = ctl::MakeButton(tr("OK"), ctl::kOk, this);
    auto* cancel = ctl::MakeButton(tr("Cancel"), ctl::kCancel, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CEditFrame::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addWidget(group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ctl::MakeHeader(tr("FRAME GRID"), this));
    layout->addLayout(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    xBox_->setFocus();
}

void CEditFrame::OnOk() {
    model_.nxs = xBox_->currentIndex() + kMinGridCount;
    model_.nys = yBox_->currentIndex() + kMinGridCount;
    if (CInitializeBuilding::Confirm(this)) model_.Reset(); // Reset keeps nxs and nys
    accept();
}

CEditOptionStructure::CEditOptionStructure(CFramePat& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(tr("Option for Structure"));
    setProperty("dialogId", 168);
    setModal(true);

    auto* group = new QGroupBox(tr("Element"), this);
    plain_ = new QRadioButton(tr("4-node isoparametric"), group);
    incompatible_ = new QRadioButton(tr("4-node isoparametric (incompatible)"), group);
    ctl::SetControlId(plain_, ctl::kElementPlain);
    ctl::SetControlId(incompatible_, ctl::kElementIncompatible);
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(plain_);
    radios->addWidget(incompatible_);
    connect(plain_, &QRadioButton::toggled, this, [this](bool on) { choice_ = on ? 1 : 2; });

    auto* gravityLabel = new QLabel(tr("Gravity acceleration (m/sec2)"), this);
    gravity_ = new QLineEdit(this);
    ctl::SetControlId(gravity_, ctl::kGravity);
    gravity_->setFixedWidth(90);
    gravityLabel->setBuddy(gravity_);

    auto* ok = ctl::MakeButton(tr("OK"), ctl::kOk, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CEditOptionStructure::OnOk);

    auto* gravityRow = new QHBoxLayout;
    gravityRow->addWidget(gravityLabel);
    gravityRow->addWidget(gravity_);
    gravityRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(gravityRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Anything but the incompatible formulation (0 included) is shown, and written back, as the plain one.
    choice_ = model_.elementKind == 2 ? 2 : 1;
    (choice_ == 1 ? plain_ : incompatible_)->setChecked(true);
    gravity_->setText(ShownNumber(ToShown(model_.gravity, 100)));
}

void CEditOptionStructure::OnOk() {
    double typed = 0;
    QString message;
    ScaledValue scaled;
    const QString name = tr("Gravity acceleration (m/sec2)");
    if (!ParseNumber(gravity_->text(), typed)) {
        message = tr("Enter a number for %1.").arg(name);
    } else {
        scaled = ToStored(typed, 100, ValueRule::Gravity);
        if (scaled.problem != ValueProblem::None)
            message = ValueProblemText(name, ValueRule::Gravity, 100, typed, scaled.problem);
    }
    if (!message.isEmpty()) {
        MessageService::Show(message, MessageButtons::Ok, MessageIcon::Warning, this);
        gravity_->setFocus();
        gravity_->selectAll();
        return;
    }
    model_.elementKind = static_cast<int16_t>(choice_);
    model_.gravity = static_cast<int16_t>(scaled.stored);
    accept();
}

BusyDialog::BusyDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("WAIT"));
    setProperty("dialogId", 103);
    setModal(false);
    auto* text = new QLabel(tr("Wait for a moment..."), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->addWidget(text, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void BusyDialog::Present() {
    show();
    raise();
    repaint();
}

} // namespace torva
