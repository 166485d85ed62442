#pragma once
// How much memory the machine can still give this process.
#include <cstdint>

namespace velta {

// Bytes available for new allocations without swapping (MemAvailable of
// /proc/meminfo, else the free physical pages); 0 when unknown.
uint64_t SystemAvailableMemory();

}  // namespace velta
