#include "app/SaveDataProgramDialog.h"

#include "framework/FileDialogs.h"
#include "framework/Settings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torva {

SaveDataProgramDialog::SaveDataProgramDialog(const QString& program, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Save Data Program"));
    auto* label = new QLabel(QStringLiteral("External program (optional):"), this);
    edit_ = new QLineEdit(program, this);
    edit_->setObjectName(QStringLiteral("programEdit"));
    edit_->setPlaceholderText(QStringLiteral("none: Save Data only writes input_data.txt"));
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    label->setBuddy(edit_);
    auto* browse = new QPushButton(QStringLiteral("Browse\u2026"), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &SaveDataProgramDialog::Browse);
    auto* note = new QLabel(QStringLiteral("Save Data starts it, without arguments, in the folder it wrote "
                                           "input_data.txt to. Leave it empty to start nothing."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(edit_, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

QString SaveDataProgramDialog::Program() const {
    return edit_->text().trimmed();
}

void SaveDataProgramDialog::Browse() {
    const QString chosen =
        FileDialogs::OpenFileName(this, QStringLiteral("Programs (*)"), QStringLiteral("External program"));
    if (!chosen.isEmpty()) edit_->setText(chosen);
}

bool RunSaveDataProgramDialog(QWidget* parent) {
    SaveDataProgramDialog dialog(Settings::SaveDataProgram(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    Settings::SetSaveDataProgram(dialog.Program());
    return true;
}

} // namespace torva
