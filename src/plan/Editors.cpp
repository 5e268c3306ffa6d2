#include "plan/Editors.h"

#include "model/FramePat.h"
#include "plan/FrameDialogs.h"
#include "plan/LoadingDialog.h"
#include "plan/TypeEditors.h"

namespace torva {

std::unique_ptr<TypeEditorDialog> MakeTypeEditor(int kind, CFramePat& copy, QWidget* parent) {
    switch (kind) {
    case kPointForceLayer:
        return std::make_unique<CEditPointForce>(copy, parent);
    case kBoundaryLayer:
        return std::make_unique<CEditBoundary>(copy, parent);
    case kConcreteLayer:
        return std::make_unique<CEditConcrete>(copy, parent);
    case kRebarLayer:
        return std::make_unique<CEditSteel>(copy, parent);
    case kFibreLayer:
        return std::make_unique<CEditFiber>(copy, parent);
    default:
        return nullptr;
    }
}

std::unique_ptr<TypeEditorDialog> MakeSpanEditor(int axis, CFramePat& copy, QWidget* parent) {
    if (axis == kAxisX) return std::make_unique<CEditXSpan>(copy, parent);
    if (axis == kAxisY) return std::make_unique<CEditYSpan>(copy, parent);
    return nullptr;
}

bool RunTypeEditor(int kind, CFramePat& copy, QWidget* parent) {
    const auto dialog = MakeTypeEditor(kind, copy, parent);
    return dialog && dialog->exec() == QDialog::Accepted;
}

bool RunSpanEditor(int axis, CFramePat& copy, QWidget* parent) {
    const auto dialog = MakeSpanEditor(axis, copy, parent);
    return dialog && dialog->exec() == QDialog::Accepted;
}

bool RunFrameEditor(CFramePat& copy, QWidget* parent) {
    CEditFrame dialog(copy, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunStructureOptions(CFramePat& copy, QWidget* parent) {
    CEditOptionStructure dialog(copy, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunLoadingEditor(CFramePat& copy, QWidget* parent) {
    LoadingDialog dialog(copy, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool EditOnCopy(CFramePat& model, const std::function<bool(CFramePat& copy)>& run) {
    const auto copy = std::make_unique<CFramePat>();
    copy->CopyFrom(model);
    if (!run(*copy)) return false;
    model.CopyFrom(*copy);
    return true;
}

} // namespace torva
