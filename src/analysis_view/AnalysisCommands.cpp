#include "analysis_view/AnalysisCommands.h"

#include "framework/CommandIds.h"

namespace torva {
namespace {

struct CommandAction {
    int id;
    AnalysisAction action;
};

constexpr CommandAction kCommandActions[] = {
    {cmd::kZoomPicture, AnalysisAction::ZoomPicture},
    {cmd::kMovePicture, AnalysisAction::MovePicture},
    {cmd::kDefaultSize, AnalysisAction::DefaultSize},
    {cmd::kActualSize, AnalysisAction::ActualSize},
    {cmd::kAnalyze, AnalysisAction::Analyze},
    {cmd::kPlay, AnalysisAction::Play},
    {cmd::kStop, AnalysisAction::Stop},
    {cmd::kPause, AnalysisAction::Pause},
    {cmd::kExportCurve, AnalysisAction::ExportCurve},
    {cmd::kReduceResponse, AnalysisAction::ReduceResponse},
    {cmd::kAmplifyResponse, AnalysisAction::AmplifyResponse},
    {cmd::kPrincipalStress, AnalysisAction::PrincipalStress},
    {cmd::kRenderStressField, AnalysisAction::RenderStressField},
    {cmd::kViewSeparation, AnalysisAction::ViewSeparation},
    {cmd::kSaveData, AnalysisAction::SaveData},
    {cmd::kElasticRadio, AnalysisAction::ElasticRadio},
    {cmd::kPushoverRadio, AnalysisAction::PushoverRadio},
};
static_assert(std::size(kCommandActions) == std::size(kAnalysisActions));

} // namespace

std::optional<AnalysisAction> AnalysisActionOf(int commandId) {
    for (const CommandAction& entry : kCommandActions)
        if (entry.id == commandId) return entry.action;
    return std::nullopt;
}

int CommandIdOf(AnalysisAction action) {
    for (const CommandAction& entry : kCommandActions)
        if (entry.action == action) return entry.id;
    return 0;
}

bool UpdateAnalysisCommand(int commandId, const AnalysisState& state, const ViewControl& view,
                           CommandState& command) {
    const std::optional<AnalysisAction> action = AnalysisActionOf(commandId);
    if (!action) return false;
    const ActionState shown = AnalysisActionState(*action, state, view);
    command.enabled = shown.enabled;
    command.radio = shown.radio;
    command.checked = shown.checked;
    return true;
}

} // namespace torva
