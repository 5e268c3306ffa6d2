#pragma once
// The about box "About TORVA_FEM": the program's name and version, and OK.
#include <QDialog>

namespace torva {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    // "TORVA_FEM, Version x.y.z"
    static QString VersionText();
};

} // namespace torva
