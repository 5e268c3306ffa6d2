#pragma once
// Copies of large blocks that are read again only much later (the Gauss points of the next step): the
// stores go past the cache, so a copy neither reads the old contents of its destination first nor
// pushes the data at hand out of the cache. The bytes written are those of memcpy.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace torva::engine {

inline void StreamBytes(void* destination, const void* source, size_t bytes) {
#if defined(__SSE2__)
    auto* out = static_cast<char*>(destination);
    const auto* in = static_cast<const char*>(source);
    if ((reinterpret_cast<uintptr_t>(out) & 15) == 0) {
        const size_t wide = bytes & ~size_t(15);
        for (size_t k = 0; k < wide; k += 16)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + k),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k)));
        std::memcpy(out + wide, in + wide, bytes - wide);
        return;
    }
#endif
    std::memcpy(destination, source, bytes);
}

template <class T> void StreamCopy(const T* source, T* destination, int count) {
    static_assert(std::is_trivially_copyable_v<T>);
    StreamBytes(destination, source, sizeof(T) * size_t(count));
}

// Orders this thread's streamed stores before whatever it does next, such as telling another thread
// that its part of the work is done.
inline void FinishStreamedCopies() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

} // namespace torva::engine
