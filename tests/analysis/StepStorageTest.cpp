// The storage of recorded steps hands a freed block to the next request of its size, keeps blocks of
// other sizes apart (their pages given back once a request of a new size comes), and a session's
// second run of the same model records into the first run's storage without growing it.
#include "analysis/StepStorage.h"

#include "analysis/Session.h"
#include "model/FramePat.h"
#include "support/PushedWall.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace torva {
namespace {

constexpr size_t kBlock = size_t(200) << 10;

TEST(StepStorage, AFreedBlockIsTakenAgainByItsSizeAndOtherSizesKeepApart) {
    StepStorage storage;
    void* a = storage.Allocate(kBlock);
    void* b = storage.Allocate(kBlock);
    ASSERT_NE(a, b);
    std::memset(a, 1, kBlock);
    std::memset(b, 2, kBlock); // the blocks do not overlap: a keeps its bytes
    EXPECT_EQ(static_cast<unsigned char*>(a)[kBlock - 1], 1);
    EXPECT_EQ(storage.SlabBytes(), StepStorage::kSlabBytes);

    storage.Free(a, kBlock);
    EXPECT_EQ(storage.FreeBytes(), kBlock);
    EXPECT_EQ(storage.Allocate(kBlock), a);
    EXPECT_EQ(storage.FreeBytes(), 0u);

    // A request of another size is never served by a block of this one, however many are free.
    storage.Free(a, kBlock);
    storage.Free(b, kBlock);
    void* other = storage.Allocate(kBlock + 4096);
    EXPECT_NE(other, a);
    EXPECT_NE(other, b);
    // The blocks of the old size gave their pages back, and still serve their size.
    EXPECT_EQ(storage.FreeBytes(), 0u);
    void* again = storage.Allocate(kBlock);
    EXPECT_TRUE(again == a || again == b);
    std::memset(again, 3, kBlock);

    // A block larger than a slab is a slab of its own.
    const size_t huge = StepStorage::kSlabBytes + 1;
    void* big = storage.Allocate(huge);
    std::memset(big, 4, huge);
    EXPECT_EQ(storage.SlabBytes(), StepStorage::kSlabBytes + (StepStorage::kSlabBytes + 4096));
    storage.Free(big, huge);
    EXPECT_EQ(storage.Allocate(huge), big);
}

TEST(StepStorage, VectorsOverItKeepTheirValuesAndCopiesAreOrdinary) {
    auto storage = std::make_shared<StepStorage>();
    StepVector<double> values{StepAllocator<double>(storage)};
    values.assign(kBlock / sizeof(double), 0.5);
    values.back() = 7;
    EXPECT_EQ(storage->SlabBytes(), StepStorage::kSlabBytes);
    const StepVector<double> copy = values;
    EXPECT_EQ(copy.get_allocator().storage, nullptr);
    EXPECT_EQ(copy.back(), 7);
    StepVector<double> moved = std::move(values);
    EXPECT_EQ(moved.get_allocator().storage, storage);
    const double* block = moved.data();
    moved = StepVector<double>(); // freed into the storage
    EXPECT_EQ(storage->FreeBytes(), kBlock);
    StepVector<double> next{StepAllocator<double>(storage)};
    next.assign(kBlock / sizeof(double), 1.0);
    EXPECT_EQ(next.data(), block);
    // Small arrays come from the heap.
    StepVector<double> small{StepAllocator<double>(storage)};
    small.assign(16, 1.0);
    EXPECT_EQ(storage->FreeBytes(), 0u);
}

TEST(StepStorage, ASecondRunOfTheSameModelRecordsIntoTheFirstRunsStorage) {
    CFramePat model;
    test::PushedWall(model, 20, 20, 2000);
    analysis::Session session;
    session.ModelChanged();
    size_t slabs = 0;
    for (int run = 0; run < 2; ++run) {
        std::string message;
        ASSERT_TRUE(session.StartPushover(model, message)) << message;
        PushoverDriver& driver = *session.Pushover();
        while (!driver.Finished()) {
            ASSERT_EQ(driver.RunStep(), 0) << driver.StopMessage();
            PublishedStep step;
            step.step = driver.Step();
            PublishEngineStep(session.Engine(), driver.RunMesh(), step, session.Storage());
            ASSERT_TRUE(session.Record(std::move(step)));
        }
        ASSERT_EQ(session.History().Count(), 20);
        if (run == 0) slabs = session.Storage()->SlabBytes();
    }
    EXPECT_GT(slabs, 0u);
    EXPECT_EQ(session.Storage()->SlabBytes(), slabs);
}

} // namespace
} // namespace torva
