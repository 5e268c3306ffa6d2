#pragma once
// Option ▸ "Loading...": the push-over loading of the model copy it is given. Control direction X or Y,
// the number of segments (1..150), the steps per segment and the table of target displacements in mm
// (segments + 1 points, point 0 the start), with presets that fill the table: "Monotonic..." (0 to one
// target) and "Cyclic..." (reversed cycles of growing amplitudes). It shows the total number of steps
// and the largest target. OK refuses a loading that cannot run and otherwise writes the copy
// (ctrlDirection 1 or 2, segmentPoints in 0.001 mm) and the chosen analysis method into the program's
// settings (the method belongs to the program, not to the model); Cancel and the close box discard
// everything.
#include "analysis/LoadingProtocol.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace torva {

class CFramePat;

class LoadingDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoadingDialog(CFramePat& model, QWidget* parent = nullptr);

    // The loading as the controls hold it (the table's last valid numbers).
    const LoadingProtocol& Protocol() const { return protocol_; }
    QTableWidget* Table() const { return table_; }
    // "Iterative (MCFT)" (item 0) and "Classic step-by-step" (item 1), each with its method as data.
    QComboBox* MethodList() const { return method_; }

    static constexpr int kTargetColumn = 0;
    static constexpr int kStepColumn = 1;

private:
    void OnSegmentsChanged(int segments);
    void OnStepsChanged(int steps);
    void OnCellChanged(int row, int column);
    void OnMonotonic();
    void OnCyclic();
    void OnOk();

    // Controls from protocol_: counts, every row of the table, the summary.
    void ShowProtocol();
    void SetRowCount(int points);
    void ShowTarget(int row);
    void ShowStepColumn();
    void ShowSummary();
    // Reads the target of a row into protocol_; false (with a message when `tell`) if it is no usable number.
    bool TakeTarget(int row, bool tell);

    CFramePat& model_;
    LoadingProtocol protocol_;
    QRadioButton* xButton_ = nullptr;
    QRadioButton* yButton_ = nullptr;
    QSpinBox* segments_ = nullptr;
    QSpinBox* steps_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* largest_ = nullptr;
    QComboBox* method_ = nullptr;
    bool filling_ = false; // the table is being filled from protocol_, not edited
};

// "Monotonic...": one segment from 0 to the target in the given number of steps.
class MonotonicLoadingDialog : public QDialog {
    Q_OBJECT
public:
    // Fills protocol on OK; it stays unchanged otherwise.
    MonotonicLoadingDialog(LoadingProtocol& protocol, QWidget* parent = nullptr);

private:
    void OnOk();

    LoadingProtocol& protocol_;
    QLineEdit* target_ = nullptr;
    QLineEdit* steps_ = nullptr;
};

// "Cyclic...": for each amplitude, cycles of 0 → +a → 0 → −a → 0.
class CyclicLoadingDialog : public QDialog {
    Q_OBJECT
public:
    CyclicLoadingDialog(LoadingProtocol& protocol, QWidget* parent = nullptr);

private:
    void OnOk();

    LoadingProtocol& protocol_;
    QLineEdit* amplitudes_ = nullptr;
    QLineEdit* cycles_ = nullptr;
    QLineEdit* steps_ = nullptr;
};

} // namespace torva
