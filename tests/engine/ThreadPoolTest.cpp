// The element thread pool: every index once whatever the threads and chunks, a pool reused for many
// jobs, and an engine whose element loops run on two threads giving the one-thread run's bits.
#include "engine/ThreadPool.h"

#include "EngineTestModels.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace torva::engine;
using namespace torva::engine::test;

TEST(ThreadPool, EveryIndexOnceForAnyCountAndGrain) {
    for (int threads : {1, 2, 3}) {
        ThreadPool pool(threads);
        EXPECT_EQ(pool.Threads(), threads);
        for (int count : {0, 1, 5, 31, 32, 33, 1000})
            for (int grain : {0, 1, 7, 32, 5000}) {
                std::vector<int> visits(count, 0);
                std::atomic<int> calls{0};
                pool.ParallelFor(count, grain, [&](int begin, int end) {
                    ASSERT_LE(0, begin);
                    ASSERT_LT(begin, end);
                    ASSERT_LE(end, count);
                    if (threads > 1) {
                        ASSERT_LE(end - begin, std::max(grain, 1));
                    }
                    for (int i = begin; i < end; ++i) ++visits[i];
                    ++calls;
                });
                EXPECT_EQ(std::vector<int>(count, 1), visits)
                    << threads << " threads, count " << count << ", grain " << grain;
                EXPECT_EQ(calls.load() == 0, count == 0);
            }
    }
}

// Thousands of short jobs on one pool (workers wake late, or not at all before a job ends): each job's
// writes are all done when ParallelFor returns.
TEST(ThreadPool, AReusedPoolFinishesEveryJobBeforeReturning) {
    ThreadPool pool(2);
    std::vector<long> values(256, 0);
    for (int job = 1; job <= 3000; ++job) {
        pool.ParallelFor(int(values.size()), 8, [&](int begin, int end) {
            for (int i = begin; i < end; ++i) values[i] += job;
        });
        ASSERT_EQ(values[255], long(job) * (job + 1) / 2) << "job " << job;
    }
    for (long v : values) EXPECT_EQ(v, 3000L * 3001 / 2);
}

// Jobs long enough for the worker to wake take chunks on both threads.
TEST(ThreadPool, TheWorkerTakesChunks) {
    ThreadPool pool(2);
    std::set<std::thread::id> seen;
    std::mutex seenMutex;
    for (int job = 0; job < 50 && seen.size() < 2; ++job)
        pool.ParallelFor(16, 1, [&](int, int) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::lock_guard<std::mutex> lock(seenMutex);
            seen.insert(std::this_thread::get_id());
        });
    EXPECT_EQ(seen.size(), 2u);
}

// The 20 × 20 wall with a joint column and curved bars (every element re-formed at every step) through
// cracking and reversals, its element loops on one thread and on two: the same bits in every buffer.
TEST(ThreadPool, TwoThreadsGiveTheOneThreadRunBitForBit) {
    std::vector<int> widths(20, 250);
    widths.insert(widths.begin() + 10, 0);
    GridModel m(widths, std::vector<int>(20, 250));
    m.gravity = 980;
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(20, 12);
    for (int i = 0; i <= m.nx; ++i) m.LoadNode(i, 0, 1000000, 0);
    m.controlNode = m.Node(0, 0);
    m.concreteSelector = 2;
    m.rebarSelector = 2;
    EngineRun one(m), two(m);
    one.engine->SetElementThreads(1);
    two.engine->SetElementThreads(2, 1);
    const int count = ResultLayout::LargestSize(int(m.nodes.size()), int(m.elements.size()));
    for (double increment : {3.0, 6.0, 9.0, -14.0, -10.0, 12.0}) {
        ASSERT_EQ(one.Call(kPushoverMode, increment), kStatusDone);
        ASSERT_EQ(two.Call(kPushoverMode, increment), kStatusDone);
        ASSERT_EQ(one.engine->ElementThreads(), 1);
        ASSERT_EQ(two.engine->ElementThreads(), 2);
        EXPECT_EQ(0, std::memcmp(one.results.data(), two.results.data(), sizeof(double) * count))
            << "step " << one.step;
        for (int eq = 1; eq <= one.engine->EquationCount(); ++eq)
            ASSERT_EQ(one.engine->InternalForce(eq), two.engine->InternalForce(eq)) << "equation " << eq;
        for (int p = 1; p <= one.engine->ProfileLength(); ++p)
            ASSERT_EQ(one.engine->Profile(p), two.engine->Profile(p)) << "profile term " << p;
    }
}

// A wall 64 elements wide and 6 high: its columns reach about 112 rows up on average, so two threads share
// the factorisation as well as the element loops. Pushed through cracking with curved bars (every element
// re-formed and the profile factorised at every step): the one-thread run's bits in every buffer.
TEST(ThreadPool, ASharedFactorisationGivesTheOneThreadRunBitForBit) {
    GridModel m(std::vector<int>(64, 200), std::vector<int>(6, 200));
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(6, 12);
    m.LoadNode(0, 0, 1000000, 0);
    m.controlNode = m.Node(0, 0);
    m.rebarSelector = 2;
    EngineRun one(m), two(m);
    one.engine->SetElementThreads(1);
    two.engine->SetElementThreads(2, 1);
    const int count = ResultLayout::LargestSize(int(m.nodes.size()), int(m.elements.size()));
    for (double increment : {0.5, 1.0, 1.0, -2.0, 1.5}) {
        ASSERT_EQ(one.Call(kPushoverMode, increment), kStatusDone);
        ASSERT_EQ(two.Call(kPushoverMode, increment), kStatusDone);
        ASSERT_TRUE(EngineTestAccess(*two.engine).FactorisationShareable());
        ASSERT_FALSE(EngineTestAccess(*one.engine).FactorisationShareable());
        EXPECT_EQ(0, std::memcmp(one.results.data(), two.results.data(), sizeof(double) * count))
            << "step " << one.step;
        for (int eq = 1; eq <= one.engine->EquationCount(); ++eq)
            ASSERT_EQ(EngineTestAccess(*one.engine).FactorTerm(eq, eq),
                      EngineTestAccess(*two.engine).FactorTerm(eq, eq))
                << "pivot " << eq;
    }
}

TEST(ThreadPool, SmallModelsStayOnOneThread) {
    GridModel m({500, 500}, {500});
    m.RestrainRow(1, 12);
    m.LoadNode(0, 0, 100000, 0);
    EngineRun run(m);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    EXPECT_EQ(run.engine->ElementThreads(), 1);
}
