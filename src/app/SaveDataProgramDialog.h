#pragma once
// Option ▸ Save Data Program: the program "Save Data" starts in the folder it wrote input_data.txt to.
// Empty means none: Save Data then only writes the file. The choice is kept in the settings.
#include <QDialog>

class QLineEdit;

namespace torva {

class SaveDataProgramDialog : public QDialog {
    Q_OBJECT
public:
    // Shows `program` in the field.
    explicit SaveDataProgramDialog(const QString& program, QWidget* parent = nullptr);
    // The field's text without surrounding blanks.
    QString Program() const;

private:
    void Browse();
    QLineEdit* edit_;
};

// The dialog on the stored setting; OK stores the field (empty: the entry is removed). True for OK.
bool RunSaveDataProgramDialog(QWidget* parent);

} // namespace torva
