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

    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& path) override;
    void Serialize(Archive& archive) override;

    // Opens the analysis window: the second registered template makes a frame for this document.
    void OpenAnalysisWindow();

    // The "Option for Structure" dialog: edits the model it is given and returns true for OK.
    using StructureEditor = std::function<bool(CFramePat& model, QWidget* parent)>;
    static void SetStructureEditor(StructureEditor editor);
    static bool HasStructureEditor();
    // Option > Structure: runs the editor on a copy; OK copies it back and marks the document
    // modified. Returns whether the model was committed.
    bool OnOptionStructure();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void ResetModel();
};

} // namespace torva
