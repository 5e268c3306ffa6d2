#pragma once
// The document of a .fem file: owns the structure model, opens the analysis window for every
// document it creates or opens, and runs Option > Structure on a copy of the model.
//
// Every change of the model is an undo step: whoever edits the model calls CommitModelEdit with
// the step's name, and the document records what changed since the last step (ModelDelta). Undo and
// redo restore the model byte for byte; the modified flag follows the undo stack's clean state.
#include "framework/Document.h"
#include "model/FramePat.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QUndoStack;
class QWidget;

namespace torva {

class ModelDelta;
namespace analysis {
class Session;
}

class CTorvaDoc : public Document {
    Q_OBJECT
public:
    CTorvaDoc();
    ~CTorvaDoc() override;

    // The plan extent a document carries (30 pixels a grid position). Kept at these values and read by
    // nothing: the plan view sizes its scroll area to the model and the zoom; no file holds them.
    int32_t planWidth = 3120;
    int32_t planHeight = 3119;
    // The model; never null. Replaced (not edited) by New and Open, so views take it again in
    // OnInitialUpdate.
    std::unique_ptr<CFramePat> framePat;

    CFramePat* GetFramePat() const { return framePat.get(); }
    // The analysis of this document (its mesh, engine, results and run); never null.
    analysis::Session& AnalysisSession() const { return *session_; }

    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& path) override;
    bool OnSaveDocument(const QString& path) override;
    void Serialize(Archive& archive) override;

    // Opens the analysis window: the second registered template makes a frame for this document.
    void OpenAnalysisWindow();

    // A dialog of the Option menu: edits the model it is given and returns true for OK.
    using ModelEditor = std::function<bool(CFramePat& model, QWidget* parent)>;
    using StructureEditor = ModelEditor;
    // Installs the editor that a model command (Option > Structure, Option > Loading...) runs.
    static void SetModelEditor(int commandId, ModelEditor editor);
    static bool HasModelEditor(int commandId);
    static void SetStructureEditor(ModelEditor editor);
    // Runs the command's editor on a copy; OK copies it back and marks the document modified.
    // Returns whether the model was committed.
    bool RunModelEditor(int commandId);
    bool OnOptionStructure();

    // --- Undo.
    QUndoStack* UndoStack() const { return undoStack_; }
    // Records the model's change since the last recorded step as one undo step named `name`
    // ("Set E2 on 12 cells") and emits ModelChanged; the caller tells the views as before. Returns
    // false (and records nothing) when the model did not change.
    bool CommitModelEdit(const QString& name);
    // Undo (forward false) or redo of a recorded step: the model returns to the state before (or
    // after) it, whatever was left unrecorded (a layer change) included.
    void StepModel(const ModelDelta& delta, bool forward);

    // Edit > Undo (57643) and Redo (57644) name the step they take.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

signals:
    // The model changed: an edit was recorded, undone or redone, or the document took a new model.
    // One notification for whoever keeps anything derived from the model; the session has already
    // been told (its results are out of date).
    void ModelChanged();

private:
    // The one place every change of the model passes (an edit, undo, redo, a new or opened model):
    // the session's mesh and results go out of date, then ModelChanged is emitted. Called before the
    // views are told, so that they find the session already out of date.
    void NoteModelChange();
    void ResetModel();
    // A fresh history whose starting point is the current model.
    void ResetHistory();

    QUndoStack* undoStack_ = nullptr;
    // The model as of the last recorded step: the "before" of the next one.
    std::unique_ptr<CFramePat> recorded_;
    std::unique_ptr<analysis::Session> session_;
};

} // namespace torva
