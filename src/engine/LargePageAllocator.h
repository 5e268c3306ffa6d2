#pragma once
// An allocator for the engine's arrays of many megabytes (Gauss-point states, element geometry and
// stiffness, the skyline profile): blocks of 2 MB or more are aligned to 2 MB and offered to the kernel
// for large pages. A step runs through some 100 MB of them, a 4 KB page at a time in the scattered
// passes (assembly into the profile), so with small pages nearly every page costs a table walk.
// Smaller blocks, or systems without large pages, are plain allocations.
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace torva::engine {

constexpr size_t kLargePage = size_t(2) << 20;

template <class T> struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <class U> LargePageAllocator(const LargePageAllocator<U>&) {}

    T* allocate(size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kLargePage) return static_cast<T*>(::operator new(bytes));
        const size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        void* block = std::aligned_alloc(kLargePage, rounded);
        if (block == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        madvise(block, rounded, MADV_HUGEPAGE); // a hint: refused, the block is still good
#endif
        return static_cast<T*>(block);
    }
    void deallocate(T* block, size_t count) {
        if (count * sizeof(T) < kLargePage)
            ::operator delete(block);
        else
            std::free(block);
    }
    template <class U> bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};

template <class T> using LargeVector = std::vector<T, LargePageAllocator<T>>;

} // namespace torva::engine
