// The allocator of the engine's large arrays: blocks of 2 MB and more start on a 2 MB boundary, small
// ones are ordinary allocations, and both hold what is written to them through a vector's growth.
#include "engine/LargePageAllocator.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace torva::engine;

TEST(LargePageAllocator, LargeBlocksAreAlignedAndAllBlocksHoldTheirValues) {
    for (size_t count : {size_t(1), size_t(1000), kLargePage / sizeof(double) - 1,
                         kLargePage / sizeof(double), 3 * kLargePage / sizeof(double) + 7}) {
        LargeVector<double> values(count, 1.5);
        ASSERT_EQ(values.size(), count);
        if (count * sizeof(double) >= kLargePage)
            EXPECT_EQ(reinterpret_cast<uintptr_t>(values.data()) % kLargePage, 0u) << count;
        else
            EXPECT_EQ(reinterpret_cast<uintptr_t>(values.data()) % alignof(double), 0u) << count;
        for (size_t i = 0; i < count; ++i) values[i] += double(i);
        // Growing moves the values from a small block to a large one, or between large ones.
        values.resize(count + kLargePage / sizeof(double), -1.0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(values.data()) % kLargePage, 0u) << count;
        for (size_t i = 0; i < count; ++i) ASSERT_EQ(values[i], 1.5 + double(i)) << count << " " << i;
        EXPECT_EQ(values.back(), -1.0);
    }
}
