#pragma once
// Every command id of the program, as the menus, toolbars, accelerators and context menus send them.
namespace torva::cmd {

// Application and main frame.
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kRecentFile1 = 57616; // 57616..57619: the recent-file entries of the File menu
constexpr int kRecentFile4 = 57619;
constexpr int kFilePrintSetup = 57606;
constexpr int kFilePrint = 57607;
constexpr int kFilePrintDirect = 57608;
constexpr int kFilePrintPreview = 57609;
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
constexpr int kWindowCascade = 57650;
constexpr int kWindowTileHorizontal = 57651;
constexpr int kWindowTileVertical = 57652;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kNextPane = 57680;
constexpr int kPrevPane = 57681;
constexpr int kPlanView = 32774;
constexpr int kView3d = 32775;
constexpr int kOptionStructure = 32872;
constexpr int kOptionLoading = 32873;         // the loading protocol of the push-over
constexpr int kOptionSaveDataProgram = 32943; // the program Save Data starts

// Plan view: layers, patterns, members, check modes.
constexpr int kMoveLowerFloor = 32771;
constexpr int kMoveUpperFloor = 32772;
constexpr int kCopyLowerPattern = 32814;
constexpr int kCopyUpperPattern = 32813;
constexpr int kClearPattern = 32778;
constexpr int kPointForce = 32885;
constexpr int kBoundaryCondition = 32886;
constexpr int kConcreteElement = 32792;
constexpr int kSteelRebarElement = 32780;
constexpr int kFiberElement = 1019;
constexpr int kXElementLength = 32887;
constexpr int kYElementLength = 32888;
constexpr int kFrameSize = 32777;
constexpr int kCheckControlNode = 32806;
constexpr int kCheckOutputElement = 32902;
constexpr int kPopupType1 = 130; // 130..139 assign type 1..10
constexpr int kPopupType10 = 139;
constexpr int kPopupClear = 140; // clear the dragged rectangle

// Type editors.
constexpr int kEditorList = 1001;
constexpr int kEditorAdd = 1002;
constexpr int kEditorCopy = 32773;
constexpr int kEditorColor = 1107;

// Analysis view.
constexpr int kZoomPicture = 32788;
constexpr int kMovePicture = 32789;
constexpr int kDefaultSize = 32790;
constexpr int kActualSize = 32791;
constexpr int kAnalyze = 32779;
constexpr int kPlay = 32783;
constexpr int kStop = 32785;
constexpr int kPause = 32847;
constexpr int kReduceResponse = 32798;
constexpr int kAmplifyResponse = 32797;
constexpr int kPrincipalStress = 32896;
constexpr int kRenderStressField = 32905;
constexpr int kViewSeparation = 32810;
constexpr int kSaveData = 32811;
constexpr int kElasticRadio = 1074;
constexpr int kPushoverRadio = 1075;
constexpr int kViewCombo = 1030;
constexpr int kFloorTrackbar = 1032;
// The analysis window's own additions: show the "Response Setting" bar, save the view as a picture.
constexpr int kShowResponseSetting = 32930;
constexpr int kSavePicture = 32931;
// The push-over curve of the run on display as CSV files.
constexpr int kExportCurve = 32932;
// The supports' reactions of the results on show, in a table.
constexpr int kShowReactions = 32933;
// The plan view's zoom: a step in, a step out, the whole model in the window.
constexpr int kPlanZoomIn = 32940;
constexpr int kPlanZoomOut = 32941;
constexpr int kPlanZoomFit = 32942;

// Controls of the bars.
constexpr int kLayerNameEdit = 1001;

} // namespace torva::cmd
