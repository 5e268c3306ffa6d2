#pragma once
// The states of a run that the step slider can show again: the result field after the elastic analysis
// and after the push-over's steps, each with its step number and its point on the capacity curve.
// A state is held as it was recorded: a classic step compactly (its result buffer and StepRecord, about
// two thirds of the bytes of the field filled, decoded when shown), any other as its filled field.
// The history keeps to a memory budget: when it is full, every second state between the first and the
// last is dropped, and later states are taken at the wider spacing that leaves (the curve keeps every
// state held).
#include "analysis/CurveAxes.h"
#include "analysis/ResultField.h"
#include "analysis/StepRecord.h"

#include <cstddef>
#include <vector>

namespace torva {

class FieldHistory {
public:
    static constexpr size_t kDefaultBudget = size_t(512) << 20; // bytes

    explicit FieldHistory(size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

    void Clear();
    // The state after `step` (0: the elastic analysis), with the control displacement (mm) and force (N).
    void Record(int step, double controlDisplacement, double controlForce, ResultField field);
    // The same, captured: the step's result buffer and its record (record.captured).
    void Record(int step, double controlDisplacement, double controlForce, StepVector<double> results,
                StepRecord record);

    int Count() const { return static_cast<int>(entries_.size()); }
    int StepOf(int i) const { return entries_[size_t(i)].step; }
    // State i as a field; Field(i, field) reuses the storage of `field`.
    ResultField Field(int i) const;
    void Field(int i, ResultField& field) const;
    // One point per state held, force in kN.
    std::vector<CapacityPoint> Curve() const;
    // Every how many offered states one is kept (1 until the budget is first reached).
    int Stride() const { return stride_; }
    size_t Bytes() const { return bytes_; }

private:
    struct Entry {
        int step = 0;
        CapacityPoint point;
        ResultField field;          // a state recorded as a field
        StepVector<double> results; // a captured state: its result buffer and record
        StepRecord record;
    };
    static size_t BytesOf(const Entry& entry);
    void Add(Entry entry);
    void Thin();

    size_t budget_;
    size_t bytes_ = 0;
    int stride_ = 1;
    int offered_ = 0; // states offered since the last one kept for good
    bool lastProvisional_ = false;
    std::vector<Entry> entries_;
};

} // namespace torva
