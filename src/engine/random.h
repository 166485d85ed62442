#pragma once
// The uniform random source of the drawing: the standard 64-bit Mersenne
// Twister with its default seed, mapped to [0, 1) by our own code so that
// every machine and compiler yields the same sequence. The window never
// reseeds it: a fresh program start repeats the same virtual samples, and
// successive generations within one run continue the sequence.
#include <cstdint>
#include <random>

namespace velta {

class RandomSource {
  public:
    RandomSource() = default;
    explicit RandomSource(uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1): the top 53 bits of one raw draw.
    double Rnd() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    // Int(Rnd() * n) for n >= 1, never n itself.
    int32_t Below(int32_t n) {
        const auto u = static_cast<int32_t>(Rnd() * n);
        return u < n ? u : n - 1;
    }

  private:
    std::mt19937_64 engine_;
};

// The one source of the running program.
RandomSource& ProcessRandomSource();
// Puts the process source back to its start state, as a fresh program start
// would find it. Only tests call this.
void ResetProcessRandomSource();

}  // namespace velta
