#pragma once
// The results of a run to read: the display choice (contours or damage map), the quantity and its range
// (automatic, symmetric about zero, or fixed), the picture of the shown step, a slider over the run's
// steps and the capacity curve, whose click shows the step under it. The steps come from a source the
// owner gives (the session's history of the run); the pane prepares the drawings when the step or a
// choice changes, and exports the picture (PNG, SVG) and the shown step's field (CSV).
#include "analysis/ContourValues.h"
#include "analysis/CurveAxes.h"
#include "analysis/ResultField.h"
#include "analysis_view/ResultCanvas.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;
class QSplitter;

namespace torva {

class CapacityCurveView;

// Where the pane reads a run's steps.
struct StepSource {
    std::function<int()> count;                        // steps held (0: no results)
    std::function<bool(int, ResultField&)> fieldAt;    // the state after step s (0..count − 1)
    std::function<std::vector<CapacityPoint>()> curve; // one point per step
    std::function<int(int)> stepNumber;                // the run's step number of state s (default s)
};

class ResultsPane : public QWidget {
    Q_OBJECT
public:
    explicit ResultsPane(QWidget* parent = nullptr);

    void SetMesh(const MeshView& mesh);
    // A new or longer run: the slider's range follows; the shown step moves to the last one when it was
    // on the last one before.
    void SetSource(StepSource source);
    void Refresh();
    void SetOutOfDate(bool outOfDate);
    bool OutOfDate() const;

    void ShowStep(int step);
    int ShownStep() const;
    // The run's number of the step on show (0: the elastic analysis).
    int ShownStepNumber() const;
    void SetDisplay(ResultDisplay display);
    void SetQuantity(Quantity q);
    void SetRange(RangeMode mode, double lo = 0, double hi = 0);
    // Docked above or below the model the picture and the curve sit side by side; beside it (or
    // floating) the curve is under the picture.
    void SetWide(bool wide);
    bool Wide() const;

    const ResultField& Field() const { return field_; }
    const ContourValues& Contours() const { return contours_; }
    ResultCanvas* Canvas() const { return canvas_; }
    CapacityCurveView* Curve() const { return curve_; }
    QSlider* Slider() const { return slider_; }
    QComboBox* DisplayChoice() const { return display_; }
    QComboBox* QuantityChoice() const { return quantity_; }
    QLabel* StepLabel() const { return stepLabel_; }
    QPushButton* SavePictureButton() const { return savePicture_; }
    QPushButton* SaveFieldButton() const { return saveField_; }

    // The picture as shown, in the format of the path's extension (.png, .jpg, .svg).
    bool ExportPicture(const std::string& path, std::string& error);
    bool ExportFieldCsv(const std::string& path, std::string& error);

signals:
    // The field on show changed (another step, new data) or stopped belonging to the model.
    void FieldShown();

private:
    void LoadStep(int step);
    // The buttons: a file name asked for, the file written, an error shown.
    void OnSavePicture();
    void OnSaveField();
    void Prepare();

    StepSource source_;
    ResultField field_;
    ContourValues contours_;
    RangeMode range_ = RangeMode::Automatic;
    double fixedLo_ = 0, fixedHi_ = 0;

    QComboBox* display_;
    QComboBox* quantity_;
    QComboBox* rangeChoice_;
    QDoubleSpinBox* lo_;
    QDoubleSpinBox* hi_;
    ResultCanvas* canvas_;
    QSlider* slider_;
    QLabel* stepLabel_;
    QPushButton* savePicture_;
    QPushButton* saveField_;
    CapacityCurveView* curve_;
    QSplitter* split_;
};

} // namespace torva
