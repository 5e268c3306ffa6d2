#include "document/TorvaDoc.h"

#include "analysis/Session.h"
#include "document/ModelEditCommand.h"
#include "framework/Application.h"
#include "framework/Archive.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/DocTemplate.h"
#include "framework/MdiFrame.h"
#include "framework/Settings.h"
#include "model/ModelDelta.h"
#include "model/ModelIo.h"

#include <QUndoStack>
#include <iterator>

namespace torva {

namespace {

// Undo steps kept per document; each holds only the bytes its edit changed.
constexpr int kUndoLimit = 500;

// The model commands and the editors installed for them.
constexpr int kModelCommands[] = {cmd::kOptionStructure, cmd::kOptionLoading};

CTorvaDoc::ModelEditor* EditorOf(int commandId) {
    static CTorvaDoc::ModelEditor editors[std::size(kModelCommands)];
    for (std::size_t i = 0; i < std::size(kModelCommands); ++i)
        if (kModelCommands[i] == commandId) return &editors[i];
    return nullptr;
}

// "&Undo Set E2 on 12 cells\tCtrl+Z", or "&Undo\tCtrl+Z" with nothing to undo.
std::string UndoMenuText(const QString& verb, const QString& step, const QString& key) {
    return ((step.isEmpty() ? verb : verb + QLatin1Char(' ') + step) + QLatin1Char('\t') + key).toStdString();
}

} // namespace

CTorvaDoc::CTorvaDoc()
    : framePat(std::make_unique<CFramePat>()), undoStack_(new QUndoStack(this)),
      recorded_(std::make_unique<CFramePat>(*framePat)), session_(std::make_unique<analysis::Session>()) {
    undoStack_->setUndoLimit(kUndoLimit);
    session_->SetMethod(Settings::AnalysisMethod());
    connect(undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) { SetModifiedFlag(!clean); });
}

CTorvaDoc::~CTorvaDoc() = default;

void CTorvaDoc::NoteModelChange() {
    session_->ModelChanged();
    emit ModelChanged();
}

void CTorvaDoc::ResetModel() {
    framePat = std::make_unique<CFramePat>();
    planWidth = 3120;
    planHeight = 3119;
    // Whatever the session holds belongs to the model replaced.
    NoteModelChange();
}

void CTorvaDoc::ResetHistory() {
    undoStack_->clear();
    undoStack_->setClean();
    *recorded_ = *framePat;
}

bool CTorvaDoc::OnNewDocument() {
    if (!Document::OnNewDocument()) return false;
    ResetModel();
    ResetHistory();
    OpenAnalysisWindow();
    return true;
}

bool CTorvaDoc::OnOpenDocument(const QString& path) {
    ResetModel();
    const bool read = Document::OnOpenDocument(path);
    if (read) {
        // The file's model replaced the blank one.
        NoteModelChange();
        ResetHistory();
    }
    // Views the document already has take the model that replaced theirs.
    UpdateAllViews(nullptr, 0);
    if (!read) return false;
    OpenAnalysisWindow();
    return true;
}

bool CTorvaDoc::OnSaveDocument(const QString& path) {
    if (!Document::OnSaveDocument(path)) return false;
    undoStack_->setClean();
    return true;
}

bool CTorvaDoc::CommitModelEdit(const QString& name) {
    ModelDelta delta = ModelDelta::Between(*recorded_, *framePat);
    if (delta.Empty()) return false;
    *recorded_ = *framePat;
    undoStack_->push(new ModelEditCommand(*this, std::move(delta), name));
    // A step pushed onto a clean stack leaves it unclean; an edit while the stack was already
    // unclean keeps it so, and the flag must say modified either way. The editor tells the views.
    SetModifiedFlag(!undoStack_->isClean());
    NoteModelChange();
    return true;
}

void CTorvaDoc::StepModel(const ModelDelta& delta, bool forward) {
    // From the recorded state, so an unrecorded layer change cannot mix with the step's bytes.
    *framePat = *recorded_;
    if (forward)
        delta.ApplyAfter(*framePat);
    else
        delta.ApplyBefore(*framePat);
    *recorded_ = *framePat;
    NoteModelChange();
    UpdateAllViews(nullptr, 0);
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
    // The Loading dialog also chooses the program's analysis method.
    if (commandId == cmd::kOptionLoading) session_->SetMethod(Settings::AnalysisMethod());
    framePat->CopyFrom(*copy);
    CommitModelEdit(commandId == cmd::kOptionLoading ? QStringLiteral("Edit Loading")
                                                     : QStringLiteral("Edit Structure Options"));
    UpdateAllViews(nullptr, 0);
    return true;
}

bool CTorvaDoc::OnCommand(int id) {
    if (id == cmd::kEditUndo || id == cmd::kEditRedo) {
        if (id == cmd::kEditUndo)
            undoStack_->undo();
        else
            undoStack_->redo();
        return true;
    }
    if (EditorOf(id)) {
        RunModelEditor(id);
        return true;
    }
    return Document::OnCommand(id);
}

bool CTorvaDoc::OnUpdateCommand(int id, CommandState& state) {
    if (id == cmd::kEditUndo) {
        state.enabled = undoStack_->canUndo();
        state.text = UndoMenuText(QStringLiteral("&Undo"), undoStack_->undoText(), QStringLiteral("Ctrl+Z"));
        return true;
    }
    if (id == cmd::kEditRedo) {
        state.enabled = undoStack_->canRedo();
        state.text = UndoMenuText(QStringLiteral("&Redo"), undoStack_->redoText(), QStringLiteral("Ctrl+Y"));
        return true;
    }
    if (EditorOf(id)) {
        state.enabled = HasModelEditor(id);
        return true;
    }
    return Document::OnUpdateCommand(id, state);
}

} // namespace torva
