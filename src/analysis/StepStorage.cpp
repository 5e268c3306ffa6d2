#include "analysis/StepStorage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace torva {

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kBlockAlignment = 64; // a cache line

void GiveBack(void* block, size_t bytes) {
#if defined(__linux__) && defined(MADV_DONTNEED)
    // Only whole pages inside the block: its neighbours keep theirs.
    const auto begin = (reinterpret_cast<uintptr_t>(block) + kPage - 1) / kPage * kPage;
    const auto end = (reinterpret_cast<uintptr_t>(block) + bytes) / kPage * kPage;
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
#else
    (void)block;
    (void)bytes;
#endif
}

} // namespace

StepStorage::~StepStorage() {
    for (const Slab& slab : slabs_) std::free(slab.base);
}

size_t StepStorage::Rounded(size_t bytes) {
    return (bytes + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

void* StepStorage::Allocate(size_t bytes) {
    bytes = Rounded(bytes);
    const std::lock_guard lock(mutex_);
    for (auto* lists : {&free_, &released_}) {
        auto found = lists->find(bytes);
        if (found != lists->end() && !found->second.empty()) {
            void* block = found->second.back();
            found->second.pop_back();
            return block;
        }
    }
    // None of this size is free: blocks of other sizes belong to runs on other meshes.
    ReleaseOtherSizes(bytes);
    return Carve(bytes);
}

void StepStorage::Free(void* block, size_t bytes) {
    const std::lock_guard lock(mutex_);
    free_[Rounded(bytes)].push_back(block);
}

void* StepStorage::Carve(size_t bytes) {
    if (slabs_.empty() || slabs_.back().used + bytes > slabs_.back().size) {
        // A block larger than a slab gets a slab of its own. (Large pages were tried: their zeroing at
        // the first touch cost more CPU time than the small pages' faults.)
        const size_t size = std::max(kSlabBytes, (bytes + kPage - 1) / kPage * kPage);
        void* base = std::aligned_alloc(kPage, size);
        if (base == nullptr) throw std::bad_alloc();
        slabs_.push_back({static_cast<char*>(base), size, 0});
    }
    Slab& slab = slabs_.back();
    void* block = slab.base + slab.used;
    slab.used += bytes;
    return block;
}

void StepStorage::ReleaseOtherSizes(size_t bytes) {
    for (auto& [size, blocks] : free_) {
        if (size == bytes) continue;
        for (void* block : blocks) GiveBack(block, size);
        auto& released = released_[size];
        released.insert(released.end(), blocks.begin(), blocks.end());
        blocks.clear();
    }
}

size_t StepStorage::SlabBytes() const {
    const std::lock_guard lock(mutex_);
    size_t bytes = 0;
    for (const Slab& slab : slabs_) bytes += slab.size;
    return bytes;
}

size_t StepStorage::FreeBytes() const {
    const std::lock_guard lock(mutex_);
    size_t bytes = 0;
    for (const auto& [size, blocks] : free_) bytes += size * blocks.size();
    return bytes;
}

} // namespace torva
