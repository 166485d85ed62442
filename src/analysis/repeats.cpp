#include "analysis/repeats.h"

#include <algorithm>
#include <new>
#include <thread>

#include "analysis/automatic_size.h"
#include "analysis/generation.h"
#include "analysis/progress.h"
#include "analysis/random.h"
#include "analysis/trimming.h"
#include "base/errors.h"

namespace velta {

namespace {

// Stops a repeat's generation as soon as it is cancelled.
class Cancellable : public Progress {
  public:
    explicit Cancellable(const std::atomic<bool>& cancel) : cancel_(cancel) {}
    bool Advance(Phase, int32_t item) override {
        // Looked at every 1024 samples: the flag is shared between threads.
        return (item & 1023) == 0 && cancel_.load(std::memory_order_relaxed);
    }

  private:
    const std::atomic<bool>& cancel_;
};

}  // namespace

std::optional<int32_t> RepeatedAutomaticSize(const RepeatInputs& in, int32_t r,
                                             const std::atomic<bool>& cancel) {
    try {
        RandomSource rng(RepeatSeed(in.seed, r));
        Cancellable progress(cancel);
        // The size depends on the trimmed means alone: they are all a repeat
        // makes, trimmed where they are.
        auto clouds = GenerateClouds(in.units, in.samples, in.jump, rng, progress, 1,
                                     CloudsWanted::MeansOnly);
        if (!clouds || cancel.load()) return std::nullopt;
        const int32_t N = clouds->means.Rows();
        TrimTableInPlace(N, in.samples, in.percent, clouds->means);
        std::vector<BrokenStick> fits;
        const int32_t K =
            FindBreakpoint(CloudRowExtremes(clouds->means, in.samples), N, in.jump, fits);
        if (K == 0) return std::nullopt;
        return SizeAtBreakpoint(K, in.jump);
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}

std::vector<std::optional<int32_t>> RepeatAutomaticSizes(const RepeatInputs& in, int32_t R,
                                                         int32_t threads,
                                                         const std::atomic<bool>& cancel,
                                                         std::atomic<int32_t>& done) {
    std::vector<std::optional<int32_t>> sizes(static_cast<size_t>(std::max(R, 0)));
    std::atomic<int32_t> next{0};
    auto work = [&] {
        for (int32_t i; (i = next.fetch_add(1)) < R && !cancel.load();) {
            sizes[static_cast<size_t>(i)] = RepeatedAutomaticSize(in, i + 1, cancel);
            done.fetch_add(1);
        }
    };
    std::vector<std::thread> pool;
    const int32_t helpers = std::clamp(threads, 1, std::max(R, 1)) - 1;
    for (int32_t t = 0; t < helpers; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    if (cancel.load()) return {};
    return sizes;
}

RepeatsJob::RepeatsJob(RepeatInputs inputs, int32_t R, int32_t threads)
    : inputs_(std::move(inputs)), total_(R) {
    thread_ = std::thread([this, threads] {
        sizes_ = RepeatAutomaticSizes(inputs_, total_, threads, cancel_, finished_);
        done_.store(true);
    });
}

RepeatsJob::~RepeatsJob() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void RepeatsJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

int32_t RepeatsAnswer::Failures() const {
    return static_cast<int32_t>(std::count(sizes.begin(), sizes.end(), std::nullopt));
}

namespace {
std::vector<int32_t> Succeeded(const std::vector<std::optional<int32_t>>& sizes) {
    std::vector<int32_t> ok;
    for (const auto& s : sizes)
        if (s) ok.push_back(*s);
    std::sort(ok.begin(), ok.end());
    return ok;
}
}  // namespace

std::optional<int32_t> RepeatsAnswer::Smallest() const {
    const auto ok = Succeeded(sizes);
    return ok.empty() ? std::nullopt : std::optional(ok.front());
}

std::optional<int32_t> RepeatsAnswer::Largest() const {
    const auto ok = Succeeded(sizes);
    return ok.empty() ? std::nullopt : std::optional(ok.back());
}

std::optional<double> RepeatsAnswer::Median() const {
    const auto ok = Succeeded(sizes);
    if (ok.empty()) return std::nullopt;
    const size_t m = ok.size() / 2;
    return ok.size() % 2 ? ok[m] : (ok[m - 1] + ok[m]) / 2.0;
}

}  // namespace velta
