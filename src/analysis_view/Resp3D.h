#pragma once
// The analysis window's frame: the picture and run toolbars at the bottom, the results toolbar and the
// "Floor" bar (a trackbar scaling the stress glyphs) at the top, and the "Response Setting" bar
// (analysis type radios and the "View" list) that is created hidden and never docks.
#include "framework/ChildFrame.h"

class QComboBox;
class QDockWidget;
class QRadioButton;
class QSlider;
class QToolBar;

namespace torva {

class ResultsPane;

class CResp3D : public ChildFrame {
    Q_OBJECT
public:
    explicit CResp3D(QWidget* parent = nullptr);

    bool OnCreate() override;
    QRect InitialGeometry() const override { return QRect(465, 0, 465, 589); }
    // "Analysis — <method of the document's session>".
    QString FrameRole() const override;

    // Controls the analysis view reads and sets.
    QSlider* Trackbar() const { return trackbar_; }           // control 1032 of the "Floor" bar
    QComboBox* ViewList() const { return viewList_; }         // control 1030 of "Response Setting"
    QRadioButton* ElasticRadio() const { return elastic_; }   // 1074
    QRadioButton* PushoverRadio() const { return pushover_; } // 1075
    QDockWidget* ResponseSettingBar() const { return responseBar_; }
    QToolBar* PictureToolBar() const { return pictureBar_; }
    QToolBar* ResultToolBar() const { return resultBar_; }
    QToolBar* RunToolBar() const { return runBar_; }
    QToolBar* FloorBar() const { return floorBar_; }
    // The "Results" window (contours, damage map, step slider and capacity curve): a dock beside the
    // view, on the right unless the user put it elsewhere before (the place is remembered, floating
    // too), hidden until the first results.
    QDockWidget* ResultsDock() const { return resultsDock_; }
    ResultsPane* Results() const { return resultsPane_; }
    // Shows the results window; the first time it docks, the frame grows within the main window's
    // window area by the results' width (or height), so the model keeps its room.
    void ShowResults();

    // Mode 1 turns "Elastic analysis" on and the push-over radio off; mode 2 the reverse.
    void SetRadios(int mode);
    void HideResponseSetting();
    // Shows the "Response Setting" bar floating 40 pixels right of and 70 below the frame's corner.
    void ShowResponseSetting();

private:
    // The results window where the settings say, and its place remembered when the user moves it.
    void PlaceResults();
    void RememberResultsPlace();
    void MakeRoomForResults();

    QToolBar* pictureBar_ = nullptr;
    QToolBar* runBar_ = nullptr;
    QToolBar* resultBar_ = nullptr;
    QToolBar* floorBar_ = nullptr;
    QDockWidget* responseBar_ = nullptr;
    QDockWidget* resultsDock_ = nullptr;
    ResultsPane* resultsPane_ = nullptr;
    QSlider* trackbar_ = nullptr;
    QComboBox* viewList_ = nullptr;
    QRadioButton* elastic_ = nullptr;
    QRadioButton* pushover_ = nullptr;
    bool placingResults_ = false;
};

} // namespace torva
