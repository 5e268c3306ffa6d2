#pragma once
// The document of a .fem file: owns the structure model, opens the analysis window for every
// document it creates or opens, and runs Option > Structure on a copy of the model.
#include "framework/Document.h"
#include "model/FramePat.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace torva {

namespace analysis {
class Session;
}

class CTorvaDoc : public Document {
    Q_OBJECT
public:
    CTorvaDoc();
    ~CTorvaDoc() override;

    // Scrollable extent of the plan view in pixels (30 pixels a grid position).
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

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void ResetModel();

    std::unique_ptr<analysis::Session> session_;
};

} // namespace torva
