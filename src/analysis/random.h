#pragma once
// The uniform random source of the drawing: the standard 64-bit Mersenne
// Twister (MT19937-64), mapped to [0, 1) by our own code so that every
// machine and compiler yields the same sequence. Every generation starts it
// from the analysis' seed, so the same pilot, number of virtual samples and
// seed give the same clouds in the window and on the command line.
#include <cstdint>

namespace velta {

// The 64-bit Mersenne Twister (MT19937-64), output for output the standard
// library's std::mt19937_64. Our own because the refill, written as plain
// loops over the state, vectorises: three times faster than the library's,
// and the drawing of large generations spends a third of its time here.
class Mt19937_64 {
  public:
    static constexpr uint64_t kDefaultSeed = 5489u;
    explicit Mt19937_64(uint64_t seed = kDefaultSeed);
    static constexpr int kN = 312, kM = 156;
    uint64_t operator()() {
        if (next_ >= kN) Refill();
        return Temper(state_[next_++]);
    }
    // The next kN outputs at once, each split into its high and its low
    // half in that order: what a caller of 32-bit values takes, in a loop
    // that vectorises.
    void NextHalves(uint32_t* halves);

  private:
    static uint64_t Temper(uint64_t z) {
        z ^= (z >> 29) & 0x5555555555555555ULL;
        z ^= (z << 17) & 0x71D67FFFEDA60000ULL;
        z ^= (z << 37) & 0xFFF7EEE000000000ULL;
        return z ^ (z >> 43);
    }
    void Refill();
    uint64_t state_[kN];
    int next_ = kN;
};

class RandomSource {
  public:
    RandomSource() = default;
    explicit RandomSource(uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1) with 32-bit resolution: each raw 64-bit draw yields
    // two values, its high half first. Ample for choosing among at most a
    // few thousand units, and half the generator's work.
    double Rnd() { return static_cast<double>(Next32()) * 0x1.0p-32; }

    // Int(Rnd() * n) for 1 <= n < 2^31, computed exactly in integers, so it
    // never reaches n.
    int32_t Below(int32_t n) {
        return static_cast<int32_t>((static_cast<uint64_t>(Next32()) * static_cast<uint64_t>(n)) >>
                                    32);
    }

  private:
    // The 32-bit values come from a buffer refilled a whole generator state
    // at a time: the drawing loop then pays one predictable branch a value.
    static constexpr int kHalves = 2 * Mt19937_64::kN;
    uint32_t Next32() {
        if (next_ >= kHalves) {
            engine_.NextHalves(halves_);
            next_ = 0;
        }
        return halves_[next_++];
    }

    Mt19937_64 engine_;
    uint32_t halves_[kHalves];
    int next_ = kHalves;
};

// The seed a default-constructed source starts from, and the seed box's
// default: RandomSource(kDefaultSeed) draws the same values.
inline constexpr uint64_t kDefaultSeed = Mt19937_64::kDefaultSeed;

// Repeat r (from 1) of an analysis seeded with `seed` starts from this seed:
// the SplitMix64 finaliser of seed + r, so that repeats are independent of
// each other and of the analysis' own stream.
uint64_t RepeatSeed(uint64_t seed, int32_t r);

}  // namespace velta
