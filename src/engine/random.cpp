#include "engine/random.h"

namespace velta {

namespace {
RandomSource& Instance() {
    static RandomSource source;
    return source;
}
}  // namespace

RandomSource& ProcessRandomSource() {
    return Instance();
}

void ResetProcessRandomSource() {
    Instance() = RandomSource();
}

void SeedProcessRandomSource(uint64_t seed) {
    Instance() = RandomSource(seed);
}

}  // namespace velta
