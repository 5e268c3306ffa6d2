#include "analysis/FieldHistory.h"

namespace torva {

void FieldHistory::Clear() {
    entries_.clear();
    bytes_ = 0;
    stride_ = 1;
    offered_ = 0;
    lastProvisional_ = false;
}

size_t FieldHistory::BytesOf(const Entry& entry) {
    const ResultField& field = entry.field;
    return sizeof(Entry) + field.points.size() * sizeof(PointResult) + field.plane.size() +
           field.bars.size() + (field.ux.size() + field.uy.size()) * sizeof(double) +
           field.reactions.nodes.size() * sizeof(NodeReaction) + entry.results.size() * sizeof(double) +
           (entry.record.captured ? entry.record.Bytes() : 0);
}

void FieldHistory::Record(int step, double controlDisplacement, double controlForce, ResultField field) {
    Entry entry{step, {controlDisplacement, controlForce / 1000.0}, std::move(field), {}, {}};
    Add(std::move(entry));
}

void FieldHistory::Record(int step, double controlDisplacement, double controlForce,
                          StepVector<double> results, StepRecord record) {
    Entry entry{
        step, {controlDisplacement, controlForce / 1000.0}, {}, std::move(results), std::move(record)};
    Add(std::move(entry));
}

void FieldHistory::Add(Entry entry) {
    // One state in `stride` is kept for good; the newest one is always held too, in place of the
    // previous newest when that one was not kept for good, so a run's last state is on show.
    const bool keep = entries_.empty() || ++offered_ >= stride_;
    if (lastProvisional_) {
        bytes_ -= BytesOf(entries_.back());
        entries_.pop_back();
    }
    bytes_ += BytesOf(entry);
    entries_.push_back(std::move(entry));
    lastProvisional_ = !keep;
    if (keep) offered_ = 0;
    if (bytes_ > budget_ && entries_.size() > 2) Thin();
}

void FieldHistory::Thin() {
    // Drop every second state between the first and the last.
    std::vector<Entry> kept;
    kept.reserve(entries_.size() / 2 + 2);
    const size_t last = entries_.size() - 1;
    for (size_t i = 0; i <= last; ++i)
        if (i == 0 || i == last || i % 2 == 0) kept.push_back(std::move(entries_[i]));
    entries_ = std::move(kept);
    bytes_ = 0;
    for (const Entry& e : entries_) bytes_ += BytesOf(e);
    stride_ *= 2;
}

ResultField FieldHistory::Field(int i) const {
    ResultField field;
    Field(i, field);
    return field;
}

void FieldHistory::Field(int i, ResultField& field) const {
    const Entry& entry = entries_[size_t(i)];
    if (entry.record.captured)
        DecodeStep(entry.results, entry.record, field);
    else
        field = entry.field;
}

std::vector<CapacityPoint> FieldHistory::Curve() const {
    std::vector<CapacityPoint> curve;
    curve.reserve(entries_.size());
    for (const Entry& e : entries_) curve.push_back(e.point);
    return curve;
}

} // namespace torva
