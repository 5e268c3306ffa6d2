#pragma once
// Where each value lies in the engine's result buffer, for a model of a given size. Indices of nodes,
// elements and Gauss points count from 0 here (engine node k + 1, element e + 1, Gauss point g + 1).
//
//   [0]                       control displacement, mm (push-over with a control node, else 0)
//   [1]                       control force, N (same)
//   [2 + 2k], [3 + 2k]        ux, uy of node k
//   then 27 per element e:    per Gauss point g, first and second principal concrete stress and the
//                             angle of the first (rad) at 27e + 3g + 0..2
//   then the output block:    a plane element: 8 per Gauss point g, direction d (0 first, 1 second)
//                             and quantity q at 8g + 4d + q (concrete stress, concrete strain, rebar
//                             stress, rebar strain, each normalised); a joint: spring d at 4d + q
//                             (concrete force, concrete opening, steel force, steel opening)
#include "engine/EngineLimits.h"

#include <cstddef>
#include <span>

namespace torva::engine {

enum class OutputBlockKind { None, Plane, Joint };

class ResultLayout {
public:
    static constexpr int kControlDisplacement = 0;
    static constexpr int kControlForce = 1;
    static constexpr int kHeaderValues = 2;
    static constexpr int kGaussValues = 3; // first, second principal stress, angle
    static constexpr int kElementValues = kGaussPoints * kGaussValues;
    static constexpr int kOutputQuantities = 4;
    static constexpr int kOutputValuesPerPoint = 2 * kOutputQuantities;
    static constexpr int kPlaneOutputValues = kGaussPoints * kOutputValuesPerPoint; // 72
    static constexpr int kJointOutputValues = kOutputValuesPerPoint;                // 8

    constexpr ResultLayout() = default;
    constexpr ResultLayout(int nodes, int elements, OutputBlockKind output)
        : nodes_(nodes), elements_(elements), output_(output) {}

    constexpr int Nodes() const { return nodes_; }
    constexpr int Elements() const { return elements_; }
    constexpr OutputBlockKind Output() const { return output_; }

    // direction 0 x, 1 y.
    static constexpr int NodeDisplacement(int node, int direction) {
        return kHeaderValues + 2 * node + direction;
    }
    constexpr int GaussBegin() const { return kHeaderValues + 2 * nodes_; }
    // value 0 first principal stress, 1 second, 2 angle of the first.
    constexpr int GaussValue(int element, int gauss, int value) const {
        return GaussBegin() + kElementValues * element + kGaussValues * gauss + value;
    }
    constexpr int OutputBegin() const { return GaussBegin() + kElementValues * elements_; }
    constexpr int OutputSize() const { return OutputSizeOf(output_); }
    // point: the Gauss point of a plane element, 0 for a joint; direction: the principal direction, or
    // the spring of a joint.
    constexpr int OutputValue(int point, int direction, int quantity) const {
        return OutputBegin() + kOutputValuesPerPoint * point + kOutputQuantities * direction + quantity;
    }
    // Values the buffer uses for this model.
    constexpr int Size() const { return OutputBegin() + OutputSize(); }

    static constexpr int OutputSizeOf(OutputBlockKind kind) {
        return kind == OutputBlockKind::Plane   ? kPlaneOutputValues
               : kind == OutputBlockKind::Joint ? kJointOutputValues
                                                : 0;
    }
    // The largest buffer a model of this size can need (a plane output element).
    static constexpr int LargestSize(int nodes, int elements) {
        return ResultLayout(nodes, elements, OutputBlockKind::Plane).Size();
    }

    friend constexpr bool operator==(const ResultLayout&, const ResultLayout&) = default;

private:
    int nodes_ = 0;
    int elements_ = 0;
    OutputBlockKind output_ = OutputBlockKind::None;
};

// A read-only look at a result buffer through its layout. `values` holds at least layout.Size() values.
class ResultView {
public:
    ResultView() = default;
    ResultView(std::span<const double> values, const ResultLayout& layout)
        : values_(values), layout_(layout) {}

    const ResultLayout& Layout() const { return layout_; }
    bool Holds(const ResultLayout& layout) const {
        return layout == layout_ && values_.size() >= size_t(layout_.Size());
    }
    // The used part of the buffer, as the engine wrote it.
    std::span<const double> Values() const { return values_.first(size_t(layout_.Size())); }
    // The whole buffer (zeros past the used part).
    std::span<const double> Buffer() const { return values_; }

    double ControlDisplacement() const { return values_[ResultLayout::kControlDisplacement]; }
    double ControlForce() const { return values_[ResultLayout::kControlForce]; }
    double Displacement(int node, int direction) const {
        return values_[ResultLayout::NodeDisplacement(node, direction)];
    }
    double Gauss(int element, int gauss, int value) const {
        return values_[layout_.GaussValue(element, gauss, value)];
    }
    double Output(int point, int direction, int quantity) const {
        return values_[layout_.OutputValue(point, direction, quantity)];
    }

private:
    std::span<const double> values_;
    ResultLayout layout_;
};

} // namespace torva::engine
