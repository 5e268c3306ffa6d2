#pragma once
// The analysis window's commands as the analysis core knows them; the window maps its menu, toolbar
// and bar commands to these, and shows what AnalysisActionState says of each.
namespace torva {

enum class AnalysisAction {
    ZoomPicture,
    MovePicture,
    DefaultSize,
    ActualSize,
    Analyze,
    Play,
    Stop,
    Pause,
    ExportCurve,
    ReduceResponse,
    AmplifyResponse,
    PrincipalStress,
    RenderStressField,
    ViewSeparation,
    SaveData,
    ElasticRadio,
    PushoverRadio,
};

inline constexpr AnalysisAction kAnalysisActions[] = {
    AnalysisAction::ZoomPicture,
    AnalysisAction::MovePicture,
    AnalysisAction::DefaultSize,
    AnalysisAction::ActualSize,
    AnalysisAction::Analyze,
    AnalysisAction::Play,
    AnalysisAction::Stop,
    AnalysisAction::Pause,
    AnalysisAction::ExportCurve,
    AnalysisAction::ReduceResponse,
    AnalysisAction::AmplifyResponse,
    AnalysisAction::PrincipalStress,
    AnalysisAction::RenderStressField,
    AnalysisAction::ViewSeparation,
    AnalysisAction::SaveData,
    AnalysisAction::ElasticRadio,
    AnalysisAction::PushoverRadio,
};

// Whether an action can be chosen, and its mark.
struct ActionState {
    bool enabled = false;
    bool radio = false;   // the mark is a radio mark
    bool checked = false; // marked
};

// The action's menu text, "" for those without one (Pause, RenderStressField).
const char* AnalysisActionText(AnalysisAction action);

} // namespace torva
