#pragma once
// Call points of the model dialogs for the plan editor and the document. Each runs a modal dialog on
// the model copy it is given and returns true when the dialog ended with OK; the caller then commits
// the copy (EditOnCopy does both), sets the modified flag and, after the Frame editor, notifies its views.
#include <functional>
#include <memory>

class QWidget;

namespace torva {

class CFramePat;
class TypeEditorDialog;

// kind: 0 point force, 1 boundary condition, 2 concrete element, 3 steel rebar, 4 fibre sheet.
bool RunTypeEditor(int kind, CFramePat& copy, QWidget* parent);
// axis: 0 X span lengths, 1 Y span lengths.
bool RunSpanEditor(int axis, CFramePat& copy, QWidget* parent);
bool RunFrameEditor(CFramePat& copy, QWidget* parent);
bool RunStructureOptions(CFramePat& copy, QWidget* parent);
// Option ▸ "Loading...": control direction, segments, steps and target displacements of a push-over.
bool RunLoadingEditor(CFramePat& copy, QWidget* parent);

// The editor of a kind 0..4 (or nullptr for another kind), not yet shown.
std::unique_ptr<TypeEditorDialog> MakeTypeEditor(int kind, CFramePat& copy, QWidget* parent);
std::unique_ptr<TypeEditorDialog> MakeSpanEditor(int axis, CFramePat& copy, QWidget* parent);

// Copies model into a fresh model, runs the editor on the copy and, when it returns true, copies it
// back (every field but the file versions and the active output). Returns what the editor returned.
bool EditOnCopy(CFramePat& model, const std::function<bool(CFramePat& copy)>& run);

} // namespace torva
