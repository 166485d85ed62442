#pragma once
// Change stamps for models that views poll. Stamps come from one process-wide
// counter, so a model replaced by a fresh one (New) never repeats a stamp a
// view has already seen.
#include <atomic>
#include <cstdint>

namespace velta {

inline uint64_t NextRevision() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

}  // namespace velta
