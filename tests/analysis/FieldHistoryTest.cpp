// The history of a run's states: every state while the budget allows, then thinned evenly, always
// holding the first and the newest state, the curve in kN.
#include "analysis/FieldHistory.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

ResultField FieldOfStep(int step) {
    ResultField field;
    field.Resize(4, 9);
    field.hasResults = true;
    field.Point(0, 0).s1 = step;
    return field;
}

TEST(FieldHistory, HoldsEveryStateWithinItsBudget) {
    FieldHistory history;
    for (int s = 0; s <= 10; ++s) history.Record(s, 0.5 * s, 2000.0 * s, FieldOfStep(s));
    ASSERT_EQ(history.Count(), 11);
    EXPECT_EQ(history.Stride(), 1);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(history.StepOf(i), i);
        EXPECT_EQ(history.Field(i).Point(0, 0).s1, i);
    }
    const auto curve = history.Curve();
    EXPECT_DOUBLE_EQ(curve[4].displacement, 2.0);
    EXPECT_DOUBLE_EQ(curve[4].force, 8.0); // kN
    history.Clear();
    EXPECT_EQ(history.Count(), 0);
    EXPECT_EQ(history.Bytes(), 0u);
}

TEST(FieldHistory, ThinsEvenlyAndKeepsTheFirstAndTheNewest) {
    FieldHistory probe;
    probe.Record(0, 0, 0, FieldOfStep(0));
    const size_t one = probe.Bytes();
    FieldHistory history(10 * one); // room for ten states
    for (int s = 0; s <= 100; ++s) {
        history.Record(s, s, s, FieldOfStep(s));
        ASSERT_LE(history.Bytes(), 10 * one) << "after step " << s;
        EXPECT_EQ(history.StepOf(0), 0);
        EXPECT_EQ(history.StepOf(history.Count() - 1), s); // the newest is on show
        for (int i = 1; i < history.Count(); ++i) ASSERT_LT(history.StepOf(i - 1), history.StepOf(i));
    }
    EXPECT_GE(history.Count(), 5);
    EXPECT_GE(history.Stride(), 8);
    // The kept steps are spread over the run, not bunched at its start.
    EXPECT_GT(history.StepOf(history.Count() / 2), 25);
    EXPECT_LT(history.StepOf(history.Count() / 2), 75);
}

} // namespace
} // namespace torva
