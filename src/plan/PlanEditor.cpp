#include "plan/PlanEditor.h"

#include "framework/CommandIds.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

namespace torva {

std::string LayerLetter(int layer) {
    static const char* const kLetters[] = {"P", "B", "E", "S", "F"};
    return layer >= 0 && layer <= kFibreLayer ? kLetters[layer] : "";
}

std::string LayerName(int layer) {
    static const char* const kNames[] = {"Point Force", "Boundary Condition", "Element", "Steel Rebar",
                                         "Fiber Sheet"};
    return layer >= 0 && layer <= kFibreLayer ? kNames[layer] : "";
}

namespace {

// The layer each member command selects.
int MemberLayer(int id) {
    switch (id) {
    case cmd::kPointForce:
        return kPointForceLayer;
    case cmd::kBoundaryCondition:
        return kBoundaryLayer;
    case cmd::kConcreteElement:
        return kConcreteLayer;
    case cmd::kSteelRebarElement:
        return kRebarLayer;
    case cmd::kFiberElement:
        return kFibreLayer;
    default:
        return -1;
    }
}

std::string CellCount(int cells) {
    return std::to_string(cells) + (cells == 1 ? " cell" : " cells");
}

} // namespace

// "E2", or "X2" / "Y2" on a span label.
std::string PlanEditor::TypeName(int x, int y, int type) const {
    const std::string letter = y == 0 ? "X" : x == 0 ? "Y" : LayerLetter(model_->curLayer);
    return letter + std::to_string(type);
}

void PlanEditor::ResetState() {
    controlMode_ = false;
    outputMode_ = false;
    rectMode_ = false;
    popupType_ = 1;
    pick_ = {1, 1};
    rectX0_ = rectX1_ = rectY0_ = rectY1_ = 1;
    dragging_ = false;
}

// ---- commands ------------------------------------------------------------------------------------

bool PlanEditor::OnCommand(int id) {
    if (id >= cmd::kPopupType1 && id <= cmd::kPopupType10) {
        AssignType(id - cmd::kPopupType1 + 1);
        return true;
    }
    if (MemberLayer(id) >= 0) {
        MemberCommand(MemberLayer(id));
        return true;
    }
    switch (id) {
    case cmd::kPopupClear:
        ClearRectangle();
        return true;
    case cmd::kMoveLowerFloor:
        if (!model_) return true;
        if (model_->curLayer == 0) {
            host_.ShowMessage(kBottomLayer);
            return true;
        }
        ChangeLayer(model_->curLayer - 1);
        return true;
    case cmd::kMoveUpperFloor:
        if (!model_) return true;
        if (model_->curLayer >= kLayers - 1) {
            host_.ShowMessage(kTopFloor);
            return true;
        }
        ChangeLayer(model_->curLayer + 1);
        model_->layersShown = std::max(model_->layersShown, model_->curLayer);
        host_.Repaint();
        return true;
    case cmd::kCopyLowerPattern:
        if (!model_) return true;
        // The layer below a node layer is of the other kind, so only element layers copy downwards.
        if (model_->curLayer < kConcreteLayer) {
            host_.ShowMessage(kNoFloorBelow);
            return true;
        }
        CopyPattern(model_->curLayer - 1);
        return true;
    case cmd::kCopyUpperPattern:
        if (!model_) return true;
        if (model_->curLayer >= kLayers - 1) {
            host_.ShowMessage(kNoFloorAbove);
            return true;
        }
        CopyPattern(model_->curLayer + 1);
        return true;
    case cmd::kClearPattern:
        if (!model_) return true;
        if (!host_.Confirm("Clear every member of the " + LayerName(model_->curLayer) + " layer?"))
            return true;
        model_->ClearCurrentPattern();
        host_.Repaint();
        model_->StoreCurrentLayer();
        host_.Commit("Clear Pattern");
        host_.NotifyOtherViews();
        return true;
    case cmd::kXElementLength:
        EditOnCopy([&](CFramePat& copy) { return host_.RunSpanEditor(kAxisX, copy); },
                   "Edit X Element Length");
        return true;
    case cmd::kYElementLength:
        EditOnCopy([&](CFramePat& copy) { return host_.RunSpanEditor(kAxisY, copy); },
                   "Edit Y Element Length");
        return true;
    case cmd::kFrameSize:
        EditOnCopy([&](CFramePat& copy) { return host_.RunFrameEditor(copy); }, "Edit Frame Size");
        return true;
    case cmd::kCheckControlNode:
        controlMode_ = !controlMode_;
        if (controlMode_) outputMode_ = false;
        host_.Repaint();
        return true;
    case cmd::kCheckOutputElement:
        outputMode_ = !outputMode_;
        if (outputMode_) controlMode_ = false;
        host_.Repaint();
        return true;
    default:
        return false;
    }
}

bool PlanEditor::OnUpdateCommand(int id, CommandState& state) const {
    const int layer = model_ ? model_->curLayer : -1;
    const int top = model_ ? model_->topLayer : -1;
    if (MemberLayer(id) >= 0) {
        state.enabled = model_ != nullptr;
        state.radio = true;
        state.checked = layer == MemberLayer(id);
        return true;
    }
    switch (id) {
    case cmd::kMoveLowerFloor:
    case cmd::kCopyLowerPattern:
        state.enabled = layer > 0;
        return true;
    case cmd::kMoveUpperFloor:
    case cmd::kCopyUpperPattern:
        state.enabled = model_ && layer < top;
        return true;
    case cmd::kCheckControlNode:
        state.radio = true;
        state.checked = controlMode_;
        return true;
    case cmd::kCheckOutputElement:
        state.radio = true;
        state.checked = outputMode_;
        return true;
    case cmd::kClearPattern:
    case cmd::kXElementLength:
    case cmd::kYElementLength:
    case cmd::kFrameSize:
        state.enabled = model_ != nullptr;
        return true;
    default:
        if ((id >= cmd::kPopupType1 && id <= cmd::kPopupType10) || id == cmd::kPopupClear) {
            state.enabled = model_ != nullptr;
            return true;
        }
        return false;
    }
}

void PlanEditor::ChangeLayer(int layer) {
    model_->StoreCurrentLayer();
    model_->curLayer = layer;
    model_->LoadCurrentLayer();
    host_.Repaint();
}

void PlanEditor::CopyPattern(int fromLayer) {
    const int layer = model_->curLayer;
    model_->curLayer = fromLayer;
    model_->LoadCurrentLayer();
    model_->curLayer = layer;
    model_->StoreCurrentLayer();
    host_.Repaint();
    host_.Commit(fromLayer < layer ? "Copy Lower Pattern" : "Copy Upper Pattern");
    host_.NotifyOtherViews();
}

void PlanEditor::MemberCommand(int kind) {
    if (!model_) return;
    if (model_->curLayer != kind) {
        ChangeLayer(kind);
        return;
    }
    EditOnCopy([&](CFramePat& copy) { return host_.RunTypeEditor(kind, copy); },
               "Edit " + LayerName(kind) + " Types");
}

// Editors work on a copy; only OK brings it back.
void PlanEditor::EditOnCopy(const std::function<bool(CFramePat&)>& run, const std::string& name) {
    if (!model_) return;
    auto copy = std::make_unique<CFramePat>();
    copy->CopyFrom(*model_);
    if (!run(*copy)) return;
    model_->CopyFrom(*copy);
    host_.Commit(name);
    host_.NotifyAllViews();
}

// ---- mouse ---------------------------------------------------------------------------------------

void PlanEditor::LeftButtonDown(PlanPoint p) {
    if (!model_) return;
    if (!controlMode_ && !outputMode_) {
        // The press toggles its square at once; the release decides between a click (keep it) and a
        // drag (undo it and assign the rectangle).
        if (!pressState_) pressState_ = std::make_unique<CFramePat>();
        *pressState_ = *model_;
        clickEdit_ = TogglePosition(p);
        dragging_ = true;
        dragStart_ = p;
    } else if (controlMode_) {
        if (auto pos = PickNode(p); pos && pos->x < model_->nxs + 1 && pos->y < model_->nys + 1) {
            model_->controlNode = PositionCode(pos->x, pos->y);
            host_.Commit("Set Control Node");
        }
    } else {
        OutputClick(p);
    }
    host_.Repaint();
}

std::string PlanEditor::TogglePosition(PlanPoint p) {
    CFramePat& m = *model_;
    const int layer = m.curLayer;
    const bool nodeLayer = layer < kConcreteLayer;
    const auto pos = PickForLayer(p, layer);
    if (!pos) return {};
    const int limitX = m.nxs + (nodeLayer ? 1 : 0);
    const int limitY = m.nys + (nodeLayer ? 1 : 0);
    const int x = pos->x, y = pos->y;
    if (x >= limitX || y >= limitY) return {};

    uint8_t& flag = m.curFlag[PosIndex(x, y)];
    const uint8_t before = flag;
    if (flag == 0) {
        // Rebar and fibre only go where there is concrete.
        if (layer < kRebarLayer || ConcreteAt(x, y)) flag = 1;
    } else {
        flag = 0;
    }
    if (IsLabelPosition(x, y)) flag = 99;
    if (x * y > 0 && (x == 1 || y == 1)) flag = 0;
    m.StoreCurrentLayer();

    if (layer >= kConcreteLayer && !ConcreteAt(x, y)) RemoveOutputElement(PositionCode(x, y));
    const std::string what =
        LayerLetter(layer).empty() ? "Layer " + std::to_string(layer) : LayerLetter(layer);
    if (flag == before) return {};
    return (flag == 0 ? "Remove " : "Add ") + what + " at " + std::to_string(x) + "," + std::to_string(y);
}

void PlanEditor::LeftButtonUp(PlanPoint p) {
    if (!model_) return;
    int chosen = 0;
    if (dragging_) {
        dragging_ = false;
        rectMode_ = false;
        const bool moved =
            std::abs(p.x - dragStart_.x) >= kDragDistance || std::abs(p.y - dragStart_.y) >= kDragDistance;
        if (moved && RectanglePick(p) != RectanglePick(dragStart_)) {
            // A drag: the start square goes back to what it was before the press.
            *model_ = *pressState_;
            chosen = EvaluateRectangle(dragStart_, p);
        } else if (!clickEdit_.empty()) {
            host_.Commit(clickEdit_);
        }
        model_->StoreCurrentLayer();
    }
    host_.Repaint();
    host_.NotifyOtherViews();
    // The menu's command arrives after the button-up handling, with the rectangle still picked.
    if (chosen != 0) OnCommand(chosen);
}

void PlanEditor::CancelDrag() {
    if (!model_ || !dragging_) return;
    dragging_ = false;
    rectMode_ = false;
    *model_ = *pressState_;
    host_.Repaint();
    host_.NotifyOtherViews();
}

GridPos PlanEditor::RectanglePick(PlanPoint p) const {
    const int o = model_->curLayer < kConcreteLayer ? kNodePickOffset : 0;
    // Integer division truncates towards zero: points left of or above the grid give 0.
    return {(p.x + o - kPlanOriginX) / kCellPixels, (p.y + o - kPlanOriginY) / kCellPixels};
}

int PlanEditor::EvaluateRectangle(PlanPoint start, PlanPoint end) {
    const CFramePat& m = *model_;
    const bool nodeLayer = m.curLayer < kConcreteLayer;
    // The last square (or node line) that exists.
    const int lastX = m.nxs - (nodeLayer ? 0 : 1);
    const int lastY = m.nys - (nodeLayer ? 0 : 1);

    // Every square the band touches, both end squares included.
    const GridPos a = RectanglePick(start);
    const GridPos b = RectanglePick(end);
    const int gx = std::max(std::min(a.x, b.x), 2);
    const int hx = std::min(std::max(a.x, b.x), lastX);
    const int gy = std::max(std::min(a.y, b.y), 2);
    const int hy = std::min(std::max(a.y, b.y), lastY);
    if (gx > hx || gy > hy) return 0; // the band lies outside the grid

    rectMode_ = true;
    rectX0_ = gx;
    rectX1_ = hx + 1;
    rectY0_ = gy;
    rectY1_ = hy + 1;
    if (m.curLayer > kFibreLayer) {
        host_.ShowMessage(kCannotSet);
        return 0;
    }
    return host_.PopupMenu(TypeMenu(LayerLetter(m.curLayer), true), end);
}

void PlanEditor::RightButtonDown(PlanPoint p) {
    if (!model_) return;
    CFramePat& m = *model_;
    int chosen = 0;
    if (controlMode_) {
        if (auto pos = PickNode(p); pos && pos->x < m.nxs + 1 && pos->y < m.nys + 1 &&
                                    PositionCode(pos->x, pos->y) == m.controlNode) {
            m.controlNode = 0;
            host_.Commit("Clear Control Node");
        }
    } else if (outputMode_) {
        if (auto pos = PickPosition(p); pos && pos->x < m.nxs + 1 && pos->y < m.nys + 1) {
            RemoveOutputElement(PositionCode(pos->x, pos->y));
            host_.Commit("Remove Output Element");
        }
    } else {
        const auto pos = PickForLayer(p, m.curLayer);
        std::string letter;
        if (pos && m.curFlag[PosIndex(pos->x, pos->y)] != 0) {
            if (pos->x * pos->y == 0) {
                // Span labels take types in the element layers only.
                if (pos->x + pos->y > 1 && m.curLayer >= kConcreteLayer)
                    letter.assign(1, pos->y == 0 ? 'X' : 'Y');
            } else {
                letter = LayerLetter(m.curLayer);
            }
        }
        if (letter.empty()) {
            host_.ShowMessage(kCannotSet);
        } else {
            rectMode_ = false;
            pick_ = *pos;
            chosen = host_.PopupMenu(TypeMenu(letter, false), p);
        }
    }
    host_.Repaint();
    host_.NotifyOtherViews();
    if (chosen != 0) OnCommand(chosen);
}

std::vector<PlanMenuItem> PlanEditor::TypeMenu(const std::string& letter, bool withClear) const {
    std::vector<PlanMenuItem> items;
    for (int type = 1; type <= 10; ++type)
        items.push_back({cmd::kPopupType1 + type - 1, letter + std::to_string(type)});
    if (withClear) items.push_back({cmd::kPopupClear, "Clear"});
    return items;
}

void PlanEditor::AssignType(int type) {
    if (!model_) return;
    CFramePat& m = *model_;
    if (!rectMode_) {
        const int x = pick_.x, y = pick_.y;
        m.curType[PosIndex(x, y)] = static_cast<uint8_t>(type);
        if (y == 0) m.SpanTypeOf(kAxisX, x) = static_cast<uint8_t>(type);
        if (x == 0) m.SpanTypeOf(kAxisY, y) = static_cast<uint8_t>(type);
        m.StoreCurrentLayer();
        host_.Commit("Set " + TypeName(x, y, type) + " on 1 cell");
    } else {
        popupType_ = type;
        const int layer = m.curLayer;
        int cells = 0;
        for (int x = rectX0_; x < rectX1_; ++x)
            for (int y = rectY0_; y < rectY1_; ++y) {
                uint8_t& flag = m.Flag(x, y, layer);
                flag = 1;
                if (layer > kConcreteLayer && !ConcreteAt(x, y)) flag = 0;
                m.Type(x, y, layer) = static_cast<uint8_t>(type);
                cells += flag != 0 ? 1 : 0;
            }
        m.LoadCurrentLayer();
        host_.Commit("Set " + LayerLetter(layer) + std::to_string(type) + " on " + CellCount(cells));
    }
    host_.Repaint();
    host_.NotifyOtherViews();
}

void PlanEditor::ClearRectangle() {
    if (!model_ || !rectMode_) return;
    CFramePat& m = *model_;
    for (int x = rectX0_; x < rectX1_; ++x)
        for (int y = rectY0_; y < rectY1_; ++y) {
            m.Flag(x, y, m.curLayer) = 0;
            m.Type(x, y, m.curLayer) = 1;
        }
    m.LoadCurrentLayer();
    host_.Commit("Clear " + LayerLetter(m.curLayer) + " on " +
                 CellCount((rectX1_ - rectX0_) * (rectY1_ - rectY0_)));
    host_.Repaint();
    host_.NotifyOtherViews();
}

// ---- output elements -----------------------------------------------------------------------------

void PlanEditor::RemoveOutputElement(int code) {
    CFramePat& m = *model_;
    // Keep the list packed from slot 0: every slot holding the code goes, the rest move down.
    int kept = 0;
    for (int slot = 0; slot < kOutputSlots; ++slot) {
        const int value = m.outputElements[slot];
        if (value == code) {
            if (value == m.activeOutput) m.activeOutput = -1;
            --m.outputCount;
            continue;
        }
        m.outputElements[kept++] = value;
    }
    for (int slot = kept; slot < kOutputSlots; ++slot) m.outputElements[slot] = -1;
}

void PlanEditor::OutputClick(PlanPoint p) {
    const int count = model_->outputCount;
    const int active = model_->activeOutput;
    AddOrActivateOutputElement(p);
    if (model_->outputCount != count)
        host_.Commit("Add Output Element");
    else if (model_->activeOutput != active)
        host_.Commit("Choose Active Output Element");
}

void PlanEditor::AddOrActivateOutputElement(PlanPoint p) {
    if (!model_) return;
    CFramePat& m = *model_;
    const auto pos = PickPosition(p);
    if (!pos || pos->x >= m.nxs + 1 || pos->y >= m.nys + 1) return;
    if (pos->x * pos->y == 0) return; // span labels and the corner
    if (!ConcreteAt(pos->x, pos->y)) return;

    const int code = PositionCode(pos->x, pos->y);
    const auto end = m.outputElements + kOutputSlots;
    if (std::find(m.outputElements, end, code) != end) {
        m.activeOutput = code == m.activeOutput ? -1 : code;
        return;
    }
    if (m.outputCount >= kOutputSlots) {
        host_.ShowMessage(kTooManyOutputs);
        return;
    }
    m.outputElements[m.outputCount++] = code;
    if (m.outputCount == 1) m.activeOutput = code;
}

} // namespace torva
