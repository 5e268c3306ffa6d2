#pragma once
// One recorded change of a document's model on the undo stack: the bytes that changed, both ways.
#include "model/ModelDelta.h"

#include <QUndoCommand>

namespace torva {

class CTorvaDoc;

class ModelEditCommand : public QUndoCommand {
public:
    // The edit has already been made when the command is pushed: the first redo does nothing.
    ModelEditCommand(CTorvaDoc& document, ModelDelta delta, const QString& name);

    void undo() override;
    void redo() override;

    const ModelDelta& Delta() const { return delta_; }

private:
    CTorvaDoc& document_;
    ModelDelta delta_;
    bool done_ = true;
};

} // namespace torva
