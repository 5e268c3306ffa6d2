#pragma once
// Storage for the large arrays of a run's recorded steps (their result buffers, strains and bar
// stresses), so that recording a step costs no fresh pages. A push-over records hundreds of steps of
// the same sizes, some 0.5 MB each on a 30 × 30 wall: taken from the system one by one, every 4 KB
// page of them costs a page fault and its zeroing in the run's thread. Here blocks are carved from
// slabs of 32 MB offered to the kernel for large pages (a fault per 2 MB), and a block given back (a
// state thinned out of the history, a history cleared for a new run) is taken again by the next
// block of its size. Blocks of a size no longer asked for (a run on another mesh) give their pages
// back to the system. Any thread may allocate and free; one storage belongs to one session.
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace torva {

class StepStorage {
public:
    // Arrays below this size come from the ordinary heap.
    static constexpr size_t kSmallest = size_t(64) << 10;
    static constexpr size_t kSlabBytes = size_t(32) << 20;

    StepStorage() = default;
    ~StepStorage();
    StepStorage(const StepStorage&) = delete;
    StepStorage& operator=(const StepStorage&) = delete;

    void* Allocate(size_t bytes);
    void Free(void* block, size_t bytes);

    // Bytes of slabs held, and of blocks waiting in the free lists.
    size_t SlabBytes() const;
    size_t FreeBytes() const;

private:
    static size_t Rounded(size_t bytes);
    void* Carve(size_t bytes);
    void ReleaseOtherSizes(size_t bytes);

    mutable std::mutex mutex_;
    struct Slab {
        char* base = nullptr;
        size_t size = 0, used = 0;
    };
    std::vector<Slab> slabs_;
    std::map<size_t, std::vector<void*>> free_;     // by rounded size, pages held
    std::map<size_t, std::vector<void*>> released_; // by rounded size, pages given back
};

// An allocator for std::vector over a session's StepStorage; without one (the default), plain heap.
// Unlike std::allocator, it leaves the values that resize() adds unset.
template <class T> struct StepAllocator {
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    StepAllocator() = default;
    explicit StepAllocator(std::shared_ptr<StepStorage> storage) : storage(std::move(storage)) {}
    template <class U> StepAllocator(const StepAllocator<U>& other) : storage(other.storage) {}

    T* allocate(size_t count) {
        const size_t bytes = count * sizeof(T);
        if (!storage || bytes < StepStorage::kSmallest) return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(storage->Allocate(bytes));
    }
    void deallocate(T* block, size_t count) {
        const size_t bytes = count * sizeof(T);
        if (!storage || bytes < StepStorage::kSmallest)
            ::operator delete(block);
        else
            storage->Free(block, bytes);
    }
    // resize() leaves new values unset (default-initialised): a record writes every value itself.
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    // A copy is a plain array of its own.
    StepAllocator select_on_container_copy_construction() const { return {}; }
    template <class U> bool operator==(const StepAllocator<U>& other) const {
        return storage == other.storage;
    }

    std::shared_ptr<StepStorage> storage;
};

template <class T> using StepVector = std::vector<T, StepAllocator<T>>;

} // namespace torva
