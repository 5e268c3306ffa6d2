#pragma once
// A record set to its initial values with every byte defined, padding included. Assigning a temporary
// (`record = T{}`) may copy whatever the stack held in the temporary's padding; element states are
// copied and compared byte for byte (the staged copies of a step, a refused step's checks), so a state
// starts from zeros and takes its initial values in place.
#include <cstring>
#include <new>
#include <type_traits>

namespace torva::engine {

template <class T> void ResetRecord(T& record) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    ::new (static_cast<void*>(&record)) T{};
}

} // namespace torva::engine
