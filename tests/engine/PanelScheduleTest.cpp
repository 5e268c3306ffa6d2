// The shared factorisation's waits and its back-off: a wait that has to sleep is reported, a prompt
// one is not; a stalled sharing is followed by factorisations on one thread, for runs that double while
// the sharing keeps stalling and shrink back after a clean one.
#include "engine/PanelSchedule.h"

#include "engine/SharingBackoff.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace torva::engine;

TEST(PanelSchedule, AWaitThatSleepsIsReportedAsAStall) {
    PanelSchedule prompt;
    prompt.Finish(0);
    int known = 0;
    EXPECT_TRUE(prompt.WaitFinished(1, 1, known));
    EXPECT_EQ(known, 1);
    EXPECT_FALSE(prompt.Stalled());

    PanelSchedule late;
    std::thread other([&late] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        late.Finish(0);
    });
    known = 0;
    EXPECT_TRUE(late.WaitFinished(1, 1, known));
    other.join();
    EXPECT_TRUE(late.Stalled());
    EXPECT_EQ(late.FailedColumn(), 0);
}

// A failure wakes a thread asleep on a later panel, which then gives up; the failing column is kept.
TEST(PanelSchedule, AFailureWakesTheWaitingThread) {
    PanelSchedule schedule;
    schedule.Finish(0);
    std::thread other([&schedule] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        schedule.Fail(1, 23);
    });
    int known = 0;
    EXPECT_FALSE(schedule.WaitFinished(3, 2, known));
    other.join();
    EXPECT_EQ(schedule.FailedColumn(), 23);
    EXPECT_EQ(schedule.Take(), INT_MAX);
}

TEST(SharingBackoff, StallsHoldSharingBackForGrowingRuns) {
    SharingBackoff backoff;
    const auto singles = [&backoff] {
        int count = 0;
        for (; !backoff.Allowed(); ++count) backoff.AfterSingle();
        return count;
    };
    EXPECT_TRUE(backoff.Allowed());
    backoff.AfterShared(false);
    EXPECT_TRUE(backoff.Allowed());
    backoff.AfterShared(true);
    EXPECT_EQ(singles(), SharingBackoff::kShortest);
    backoff.AfterShared(true);
    EXPECT_EQ(singles(), 2 * SharingBackoff::kShortest);
    for (int k = 0; k < 12; ++k) {
        backoff.AfterShared(true);
        singles();
    }
    backoff.AfterShared(true);
    EXPECT_EQ(singles(), SharingBackoff::kLongest);
    backoff.AfterShared(false); // a clean one: the next stall holds back for the shortest run again
    backoff.AfterShared(true);
    EXPECT_EQ(singles(), SharingBackoff::kShortest);
}
