#include "app/AboutBox.h"

#include "app/ToolbarIcons.h"
#include "framework/CommandIds.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace torva {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About TORVA_FEM"));
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setPixmap(ToolbarIcon(cmd::kView3d).pixmap(QSize(32, 30)));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(VersionText(), this);
    name->setObjectName(QStringLiteral("version"));
    auto* what = new QLabel(
        QStringLiteral("Finite-element analysis of reinforced-concrete plates and walls in plane stress"),
        this);
    what->setWordWrap(true);
    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(what);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedWidth(340);
}

QString CAboutDlg::VersionText() {
    return QStringLiteral("TORVA_FEM, Version %1").arg(QStringLiteral(TORVA_VERSION));
}

} // namespace torva
