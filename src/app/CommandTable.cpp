#include "app/CommandTable.h"

#include "app/ToolbarIcons.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"

namespace torva {

void RegisterTorvaCommands() {
    static bool done = false;
    if (done) return;
    done = true;
    struct Entry {
        int id;
        const char* text;
    };
    static const Entry entries[] = {
        {cmd::kFileNew, "New"},
        {cmd::kFileOpen, "Open"},
        {cmd::kFileSave, "Save"},
        {cmd::kFileSaveAs, "Save As"},
        {cmd::kEditUndo, "Undo the last change of the model"},
        {cmd::kEditRedo, "Redo the change undone last"},
        {cmd::kPlanView, "Plan View"},
        {cmd::kView3d, "Analysis View"},
        {cmd::kAppAbout, "About"},
        {cmd::kAppExit, "Exit"},
        {cmd::kWindowCascade, "Cascade"},
        {cmd::kWindowTileHorizontal, "Tile Horizontal"},
        {cmd::kWindowTileVertical, "Tile Vertical"},
        {cmd::kOptionStructure, "Structure"},
        {cmd::kOptionLoading, "Loading..."},
        {cmd::kOptionSaveDataProgram, "Set the program Save Data starts after writing input_data.txt"},
        {cmd::kMoveLowerFloor, "Move to Lower Floor"},
        {cmd::kMoveUpperFloor, "Move to Upper Floor"},
        {cmd::kCopyLowerPattern, "Copy Lower Pattern"},
        {cmd::kCopyUpperPattern, "Copy Upper Pattern"},
        {cmd::kClearPattern, "Clear Pattern"},
        {cmd::kPointForce, "Point Force"},
        {cmd::kBoundaryCondition, "Boundary Condition"},
        {cmd::kConcreteElement, "Concrete Element"},
        {cmd::kSteelRebarElement, "Steel Rebar Element"},
        {cmd::kFiberElement, "Fiber Element"},
        {cmd::kXElementLength, "X Element Length"},
        {cmd::kYElementLength, "Y Element Length"},
        {cmd::kFrameSize, "Frame Size"},
        {cmd::kCheckControlNode, "Check Control Node"},
        {cmd::kCheckOutputElement, "Check Output Element"},
        {cmd::kZoomPicture, "Zoom Picture"},
        {cmd::kMovePicture, "Move Picture"},
        {cmd::kDefaultSize, "Default Size"},
        {cmd::kActualSize, "Actual Size"},
        {cmd::kAnalyze, "Analyze"},
        {cmd::kPlay, "Play"},
        {cmd::kStop, "Stop"},
        {cmd::kPause, "Pause"},
        {cmd::kExportCurve, "Export Curve..."},
        {cmd::kReduceResponse, "Reduce the Response"},
        {cmd::kAmplifyResponse, "Amplify the Response"},
        {cmd::kPrincipalStress, "Principal Stress"},
        {cmd::kRenderStressField, ""},
        {cmd::kViewSeparation, "View Separation"},
        {cmd::kSaveData, "Save Data"},
        {cmd::kShowResponseSetting, "Response Setting"},
        {cmd::kSavePicture, "Save Picture"},
        {cmd::kShowReactions, "Reactions"},
        {cmd::kPlanZoomIn, "Zoom the plan in"},
        {cmd::kPlanZoomOut, "Zoom the plan out"},
        {cmd::kPlanZoomFit, "Fit the whole plan in the window"},
    };
    for (const Entry& entry : entries)
        RegisterCommandInfo(entry.id, QString::fromUtf8(entry.text), ToolbarIcon(entry.id));
}

} // namespace torva
