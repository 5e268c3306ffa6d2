#include "plan/DialogControls.h"

#include <QLabel>
#include <QPushButton>

namespace torva::ctl {

QPushButton* MakeButton(const QString& text, int id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    SetControlId(button, id);
    button->setMinimumWidth(80);
    return button;
}

QLabel* MakeHeader(const QString& text, QWidget* parent) {
    auto* header = new QLabel(text, parent);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    return header;
}

} // namespace torva::ctl
