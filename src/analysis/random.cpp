#include "analysis/random.h"

namespace velta {

Mt19937_64::Mt19937_64(uint64_t seed) {
    state_[0] = seed;
    for (int k = 1; k < kN; ++k)
        state_[k] = 6364136223846793005ULL * (state_[k - 1] ^ (state_[k - 1] >> 62)) +
                    static_cast<uint64_t>(k);
}

void Mt19937_64::Refill() {
    constexpr uint64_t kUpper = 0xFFFFFFFF80000000ULL, kLower = 0x7FFFFFFFULL;
    constexpr uint64_t kMatrix = 0xB5026F5AA96619E9ULL;
    auto twist = [&](uint64_t cur, uint64_t nxt, uint64_t far) {
        const uint64_t y = (cur & kUpper) | (nxt & kLower);
        return far ^ (y >> 1) ^ ((0 - (y & 1)) & kMatrix);
    };
    int k = 0;
    for (; k < kN - kM; ++k) state_[k] = twist(state_[k], state_[k + 1], state_[k + kM]);
    for (; k < kN - 1; ++k) state_[k] = twist(state_[k], state_[k + 1], state_[k + kM - kN]);
    state_[kN - 1] = twist(state_[kN - 1], state_[0], state_[kM - 1]);
    next_ = 0;
}

void Mt19937_64::NextHalves(uint32_t* halves) {
    // Outputs left over from single draws come first, in order.
    int k = 0;
    for (; next_ < kN && k < kN; ++k) {
        const uint64_t z = (*this)();
        halves[2 * k] = static_cast<uint32_t>(z >> 32);
        halves[2 * k + 1] = static_cast<uint32_t>(z);
    }
    if (k == kN) return;
    Refill();
    const int fresh = kN - k;
    for (int i = 0; i < fresh; ++i) {
        const uint64_t z = Temper(state_[i]);
        halves[2 * (k + i)] = static_cast<uint32_t>(z >> 32);
        halves[2 * (k + i) + 1] = static_cast<uint32_t>(z);
    }
    next_ = fresh;
}

uint64_t RepeatSeed(uint64_t seed, int32_t r) {
    uint64_t z = seed + static_cast<uint64_t>(r) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace velta
