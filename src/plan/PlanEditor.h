#pragma once
// The editing rules of the plan view over the model: layer commands, pattern copy and clear, member
// commands, left-click toggling, rubber-band rectangles, context-menu type assignment, the control
// node and the output-element list. No Qt here: the view turns mouse events into these calls and
// answers the host's requests (messages, menus, editors, repaints) with widgets.
#include "framework/CommandTarget.h"
#include "model/FramePat.h"
#include "plan/PlanGeometry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace torva {

struct PlanMenuItem {
    int id = 0;
    std::string text;
    friend bool operator==(const PlanMenuItem&, const PlanMenuItem&) = default;
};

// What the editor needs from its surroundings.
class PlanHost {
public:
    virtual ~PlanHost() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // The model's change since the last commit is one edit named `name` ("Set E2 on 12 cells"): the
    // document records it for undo and marks itself modified. Nothing changed: nothing recorded.
    virtual void Commit(const std::string& name) = 0;
    // Asks a yes/no question; true for yes.
    virtual bool Confirm(const std::string& question) = 0;
    virtual void Repaint() = 0;          // the plan view itself
    virtual void NotifyOtherViews() = 0; // the document's other views (the analysis view)
    virtual void NotifyAllViews() = 0;   // every view, the plan view included
    // A context menu at a logical point; returns the chosen command id, or 0 when dismissed.
    virtual int PopupMenu(const std::vector<PlanMenuItem>& items, PlanPoint at) = 0;
    // Editors work on a copy of the model and return true on OK.
    virtual bool RunTypeEditor(int kind, CFramePat& copy) = 0;
    virtual bool RunSpanEditor(int axis, CFramePat& copy) = 0;
    virtual bool RunFrameEditor(CFramePat& copy) = 0;
};

// Layer letters of the type labels and context menus ("P", "B", "E", "S", "F"), empty above layer 4.
std::string LayerLetter(int layer);
// Name of a layer for the "Floor" bar, empty above layer 4.
std::string LayerName(int layer);

class PlanEditor {
public:
    // Texts of the refusals.
    static constexpr const char* kBottomLayer = "You are already in the bottom layer.";
    static constexpr const char* kTopFloor = "You are already in the top floor.";
    static constexpr const char* kNoFloorBelow = "You have no floor to copy.";
    static constexpr const char* kNoFloorAbove = "There is no floor to copy.";
    static constexpr const char* kCannotSet = "You can't set data on this place.";
    static constexpr const char* kTooManyOutputs = "ERROR: too many OUTPUT elements.";
    // A press and release closer than this (in pixels, either way) is a click, not a drag.
    static constexpr int kDragDistance = 4;

    explicit PlanEditor(PlanHost& host) : host_(host) {}

    // The model being edited (owned by the document); null makes every call a no-op.
    void SetModel(CFramePat* model) { model_ = model; }
    CFramePat* Model() const { return model_; }

    // The state of a freshly shown view: both check modes off, no rectangle, popup type 1.
    void ResetState();

    // Mouse, at logical points (scroll position added).
    void LeftButtonDown(PlanPoint p);
    void LeftButtonUp(PlanPoint p);
    void RightButtonDown(PlanPoint p);
    // Esc or a right click while dragging: no rectangle, and the start square as before the press.
    void CancelDrag();

    // Commands of the plan view; false when the id is not one of them.
    bool OnCommand(int id);
    bool OnUpdateCommand(int id, CommandState& state) const;

    // Output-element list rules, also used by the view's clicks.
    void RemoveOutputElement(int code);
    void AddOrActivateOutputElement(PlanPoint p);

    bool ControlMode() const { return controlMode_; }
    bool OutputMode() const { return outputMode_; }
    bool RectMode() const { return rectMode_; }
    bool Dragging() const { return dragging_; }
    PlanPoint DragStart() const { return dragStart_; }
    int PopupType() const { return popupType_; }
    GridPos Pick() const { return pick_; }
    // Picked rectangle: columns x0 <= x < x1, rows y0 <= y < y1.
    int RectX0() const { return rectX0_; }
    int RectX1() const { return rectX1_; }
    int RectY0() const { return rectY0_; }
    int RectY1() const { return rectY1_; }

private:
    void ChangeLayer(int layer);
    void CopyPattern(int fromLayer);
    void MemberCommand(int kind);
    void EditOnCopy(const std::function<bool(CFramePat&)>& run, const std::string& name);
    std::string TypeName(int x, int y, int type) const;
    // The name of the edit a click made, or empty when it changed nothing.
    std::string TogglePosition(PlanPoint p);
    int EvaluateRectangle(PlanPoint start, PlanPoint end);
    // The square (element layers) or node (node layers) a point picks, unclamped.
    GridPos RectanglePick(PlanPoint p) const;
    void OutputClick(PlanPoint p);
    void AssignType(int type);
    void ClearRectangle();
    std::vector<PlanMenuItem> TypeMenu(const std::string& letter, bool withClear) const;
    bool ConcreteAt(int x, int y) const { return model_->Flag(x, y, kConcreteLayer) != 0; }

    PlanHost& host_;
    CFramePat* model_ = nullptr;

    bool controlMode_ = false;
    bool outputMode_ = false;
    bool rectMode_ = false;
    int popupType_ = 1;
    GridPos pick_{1, 1};
    int rectX0_ = 1, rectX1_ = 1, rectY0_ = 1, rectY1_ = 1;
    bool dragging_ = false;
    PlanPoint dragStart_;
    // The model as it was at the press: a drag or a cancelled drag goes back to it.
    std::unique_ptr<CFramePat> pressState_;
    std::string clickEdit_;
};

} // namespace torva
