#include "document/ModelEditCommand.h"

#include "document/TorvaDoc.h"

namespace torva {

ModelEditCommand::ModelEditCommand(CTorvaDoc& document, ModelDelta delta, const QString& name)
    : QUndoCommand(name), document_(document), delta_(std::move(delta)) {}

void ModelEditCommand::undo() {
    document_.StepModel(delta_, false);
    done_ = false;
}

void ModelEditCommand::redo() {
    if (done_) return; // pushed after the edit
    document_.StepModel(delta_, true);
    done_ = true;
}

} // namespace torva
