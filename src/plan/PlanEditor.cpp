#include "plan/PlanEditor.h"

#include "framework/CommandIds.h"

#include <algorithm>
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

} // namespace

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
        model_->ClearCurrentPattern();
        host_.Repaint();
        model_->StoreCurrentLayer();
        host_.SetModified();
        host_.NotifyOtherViews();
        return true;
    case cmd::kXElementLength:
        EditOnCopy([&](CFramePat& copy) { return host_.RunSpanEditor(kAxisX, copy); });
        return true;
    case cmd::kYElementLength:
        EditOnCopy([&](CFramePat& copy) { return host_.RunSpanEditor(kAxisY, copy); });
        return true;
    case cmd::kFrameSize:
        EditOnCopy([&](CFramePat& copy) { return host_.RunFrameEditor(copy); });
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
    host_.SetModified();
    host_.NotifyOtherViews();
}

void PlanEditor::MemberCommand(int kind) {
    if (!model_) return;
    if (model_->curLayer != kind) {
        ChangeLayer(kind);
        return;
    }
    EditOnCopy([&](CFramePat& copy) { return host_.RunTypeEditor(kind, copy); });
}

// Editors work on a copy; only OK brings it back.
void PlanEditor::EditOnCopy(const std::function<bool(CFramePat&)>& run) {
    if (!model_) return;
    auto copy = std::make_unique<CFramePat>();
    copy->CopyFrom(*model_);
    if (!run(*copy)) return;
    model_->CopyFrom(*copy);
    host_.SetModified();
    host_.NotifyAllViews();
}

// ---- mouse ---------------------------------------------------------------------------------------

void PlanEditor::LeftButtonDown(PlanPoint p) {
    if (!model_) return;
    if (!controlMode_ && !outputMode_) {
        TogglePosition(p);
        dragging_ = true;
        dragStart_ = p;
        host_.SetModified();
    } else if (controlMode_) {
        if (auto pos = PickNode(p); pos && pos->x < model_->nxs + 1 && pos->y < model_->nys + 1) {
            model_->controlNode = PositionCode(pos->x, pos->y);
            host_.SetModified();
        }
    } else {
        AddOrActivateOutputElement(p);
    }
    host_.Repaint();
}

void PlanEditor::TogglePosition(PlanPoint p) {
    CFramePat& m = *model_;
    const int layer = m.curLayer;
    const bool nodeLayer = layer < kConcreteLayer;
    const auto pos = PickForLayer(p, layer);
    if (!pos) return;
    const int limitX = m.nxs + (nodeLayer ? 1 : 0);
    const int limitY = m.nys + (nodeLayer ? 1 : 0);
    const int x = pos->x, y = pos->y;
    if (x >= limitX || y >= limitY) return;

    uint8_t& flag = m.curFlag[PosIndex(x, y)];
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
}

void PlanEditor::LeftButtonUp(PlanPoint p) {
    if (!model_) return;
    int chosen = 0;
    if (dragging_) {
        dragging_ = false;
        rectMode_ = false;
        chosen = EvaluateRectangle(dragStart_, p);
        model_->StoreCurrentLayer();
    }
    host_.Repaint();
    host_.NotifyOtherViews();
    // The menu's command arrives after the button-up handling, with the rectangle still picked.
    if (chosen != 0) OnCommand(chosen);
}

int PlanEditor::EvaluateRectangle(PlanPoint start, PlanPoint end) {
    const CFramePat& m = *model_;
    const bool nodeLayer = m.curLayer < kConcreteLayer;
    const int o = nodeLayer ? kNodePickOffset : 0;
    const int e = m.nxs + (nodeLayer ? 1 : 0);
    const int f = m.nys + (nodeLayer ? 1 : 0);

    // Integer division truncates towards zero, as the pick rules expect.
    int gx = (start.x + o - kPlanOriginX) / kCellPixels;
    int hx = (end.x + o - kPlanOriginX) / kCellPixels;
    if (gx > hx) std::swap(gx, hx);
    int gy = (start.y + o - kPlanOriginY) / kCellPixels;
    int hy = (end.y + o - kPlanOriginY) / kCellPixels;
    if (gy > hy) std::swap(gy, hy);
    gx = std::max(gx, 2);
    gy = std::max(gy, 2);
    hx = std::min(hx, e);
    hy = std::min(hy, f);

    if (hx - gx <= 2 && hy - gy <= 2) return 0; // a click, or a drag of three positions or fewer
    rectMode_ = true;
    rectX0_ = gx;
    rectX1_ = hx;
    rectY0_ = gy;
    rectY1_ = hy;
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
            host_.SetModified();
        }
    } else if (outputMode_) {
        if (auto pos = PickPosition(p); pos && pos->x < m.nxs + 1 && pos->y < m.nys + 1)
            RemoveOutputElement(PositionCode(pos->x, pos->y));
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
    } else {
        popupType_ = type;
        const int layer = m.curLayer;
        for (int x = rectX0_; x < rectX1_; ++x)
            for (int y = rectY0_; y < rectY1_; ++y) {
                uint8_t& flag = m.Flag(x, y, layer);
                flag = 1;
                if (layer > kConcreteLayer && !ConcreteAt(x, y)) flag = 0;
                m.Type(x, y, layer) = static_cast<uint8_t>(type);
            }
        m.LoadCurrentLayer();
    }
    host_.SetModified();
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
    host_.SetModified();
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
