#include "document/TorvaDoc.h"

#include "analysis/Session.h"
#include "framework/Application.h"
#include "framework/Archive.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/DocTemplate.h"
#include "framework/MdiFrame.h"
#include "model/ModelIo.h"

#include <iterator>

namespace torva {

namespace {

// The model commands and the editors installed for them.
constexpr int kModelCommands[] = {cmd::kOptionStructure, cmd::kOptionLoading};

CTorvaDoc::ModelEditor* EditorOf(int commandId) {
    static CTorvaDoc::ModelEditor editors[std::size(kModelCommands)];
    for (std::size_t i = 0; i < std::size(kModelCommands); ++i)
        if (kModelCommands[i] == commandId) return &editors[i];
    return nullptr;
}

} // namespace

CTorvaDoc::CTorvaDoc()
    : framePat(std::make_unique<CFramePat>()), session_(std::make_unique<analysis::Session>()) {}

CTorvaDoc::~CTorvaDoc() = default;

void CTorvaDoc::ResetModel() {
    framePat = std::make_unique<CFramePat>();
    planWidth = 3120;
    planHeight = 3119;
}

bool CTorvaDoc::OnNewDocument() {
    if (!Document::OnNewDocument()) return false;
    ResetModel();
    OpenAnalysisWindow();
    return true;
}

bool CTorvaDoc::OnOpenDocument(const QString& path) {
    ResetModel();
    if (!Document::OnOpenDocument(path)) return false;
    OpenAnalysisWindow();
    return true;
}

void CTorvaDoc::Serialize(Archive& archive) {
    FileError error;
    const std::string path = archive.Path().toStdString();
    // Loading reads into a fresh model and replaces ours only on success; saving writes a
    // temporary file and renames it over the old one.
    const bool ok =
        archive.IsStoring() ? SaveModel(path, *framePat, error) : LoadModel(path, *framePat, error);
    if (!ok) archive.Fail(QString::fromStdString(error.message), QString::fromStdString(error.detail));
}

void CTorvaDoc::OpenAnalysisWindow() {
    Application* app = Application::Instance();
    if (!app) return;
    const std::vector<DocTemplate*> templates = app->Templates();
    if (templates.size() < 2) return;
    DocTemplate* analysis = templates[1];
    ChildFrame* frame = analysis->CreateNewFrame(this, nullptr);
    if (frame) analysis->InitialUpdateFrame(frame, this, true);
}

void CTorvaDoc::SetModelEditor(int commandId, ModelEditor editor) {
    if (ModelEditor* slot = EditorOf(commandId)) *slot = std::move(editor);
}

bool CTorvaDoc::HasModelEditor(int commandId) {
    const ModelEditor* slot = EditorOf(commandId);
    return slot && static_cast<bool>(*slot);
}

void CTorvaDoc::SetStructureEditor(ModelEditor editor) {
    SetModelEditor(cmd::kOptionStructure, std::move(editor));
}

bool CTorvaDoc::OnOptionStructure() {
    return RunModelEditor(cmd::kOptionStructure);
}

bool CTorvaDoc::RunModelEditor(int commandId) {
    if (!HasModelEditor(commandId)) return false;
    auto copy = std::make_unique<CFramePat>();
    copy->CopyFrom(*framePat);
    Application* app = Application::Instance();
    QWidget* parent = app ? app->MainFrame() : nullptr;
    if (!(*EditorOf(commandId))(*copy, parent)) return false;
    framePat->CopyFrom(*copy);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, 0);
    return true;
}

bool CTorvaDoc::OnCommand(int id) {
    if (EditorOf(id)) {
        RunModelEditor(id);
        return true;
    }
    return Document::OnCommand(id);
}

bool CTorvaDoc::OnUpdateCommand(int id, CommandState& state) {
    if (EditorOf(id)) {
        state.enabled = HasModelEditor(id);
        return true;
    }
    return Document::OnUpdateCommand(id, state);
}

} // namespace torva
