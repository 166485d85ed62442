#pragma once
// How much the automatic size moves: the whole road (generation, trimming,
// the automatic procedure) repeated on independent generations, each from a
// seed derived from the analysis' own (RepeatSeed), and what the sizes say
// together.
#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

namespace velta {

// R when nobody chose another: enough for a range and a median in about a
// second at the default number of virtual samples.
inline constexpr int32_t kDefaultRepeats = 20;

// What a repeat runs on: the pilot's values (positions 1 .. N), V, the
// sample-size step, P and the analysis' seed.
struct RepeatInputs {
    std::vector<double> units;
    int32_t samples = 0;
    int32_t jump = 1;
    int32_t percent = 0;
    uint64_t seed = 0;
    friend bool operator==(const RepeatInputs&, const RepeatInputs&) = default;
};

// The automatic size of repeat r (from 1), or nullopt when the procedure
// could not succeed there (a run-time error or too little memory counts as
// such) or `cancel` became true.
std::optional<int32_t> RepeatedAutomaticSize(const RepeatInputs& in, int32_t r,
                                             const std::atomic<bool>& cancel);

// The R repeats' sizes in repeat order, worked on by `threads` threads
// (each repeat on one); `done` counts the finished ones. Empty when
// `cancel` became true before the end.
std::vector<std::optional<int32_t>> RepeatAutomaticSizes(const RepeatInputs& in, int32_t R,
                                                         int32_t threads,
                                                         const std::atomic<bool>& cancel,
                                                         std::atomic<int32_t>& done);

// The repeats of one automatic answer, and their summary.
struct RepeatsAnswer {
    RepeatInputs inputs;
    std::vector<std::optional<int32_t>> sizes;  // one per repeat, nullopt: could not succeed

    int32_t Count() const { return static_cast<int32_t>(sizes.size()); }
    int32_t Failures() const;
    // Over the repeats that succeeded; none when none did.
    std::optional<int32_t> Smallest() const;
    std::optional<int32_t> Largest() const;
    std::optional<double> Median() const;
};

// R repeats worked on in the background, on `threads` threads.
class RepeatsJob {
  public:
    // Starts R repeats of `inputs` on `threads` threads.
    RepeatsJob(RepeatInputs inputs, int32_t R, int32_t threads);
    // Cancels the repeats not yet done and waits for the threads.
    ~RepeatsJob();
    RepeatsJob(const RepeatsJob&) = delete;
    RepeatsJob& operator=(const RepeatsJob&) = delete;

    const RepeatInputs& inputs() const { return inputs_; }
    int32_t Total() const { return total_; }
    int32_t Finished() const { return finished_.load(); }
    bool Done() const { return done_.load(); }
    void Wait();
    void Cancel() { cancel_.store(true); }
    // Once done: the sizes in repeat order; empty when cancelled.
    const std::vector<std::optional<int32_t>>& Sizes() const { return sizes_; }

  private:
    RepeatInputs inputs_;
    int32_t total_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::atomic<int32_t> finished_{0};
    std::vector<std::optional<int32_t>> sizes_;
    std::thread thread_;
};

}  // namespace velta
