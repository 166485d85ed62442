#include "analysis/generation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"

namespace velta {

int32_t JumpFor(int32_t n) {
    return n <= 0 ? 1 : (n + 19) / 20;
}

namespace {

// Phase 1: store(i, j, u) puts unit u at position i of virtual sample j.
// Returns false when stopped.
template <class Store>
bool DrawPhase(int32_t N, int32_t V, RandomSource& rng, Progress& progress, Store&& store) {
    // taken[u] == j marks unit u as placed in virtual sample j, so the marks
    // never need clearing between samples. Up to 64 units the marks of one
    // sample fit one register, which spares the loop a memory round trip per
    // draw.
    std::vector<int32_t> taken(static_cast<size_t>(N), 0);
    int32_t* mark = taken.data();
    for (int32_t j = 1; j <= V; ++j) {
        if (progress.Advance(Progress::Phase::Drawing, j)) return false;
        // A rejected draw is stored too but leaves the position where it is,
        // so the next draw overwrites it: the loop has no branch on the
        // draw, which random outcomes would keep mispredicting.
        if (N <= 64) {
            uint64_t used = 0;
            for (int32_t i = 1; i <= N;) {
                const int32_t u = rng.Below(N);
                const uint64_t bit = uint64_t{1} << u;
                const bool fresh = (used & bit) == 0;
                used |= bit;
                store(i, j, u);
                i += fresh ? 1 : 0;
            }
            continue;
        }
        for (int32_t i = 1; i <= N;) {
            const int32_t u = rng.Below(N);
            const bool fresh = mark[u] != j;
            mark[u] = j;
            store(i, j, u);
            i += fresh ? 1 : 0;
        }
    }
    return true;
}

// Mean and deviance of each prefix x[0 .. size[q] - 1], q < prefixes (sizes
// increasing). The running sum adds the values in the same order as a sum
// from scratch, so the means are bit for bit those of MeanOf; each deviance
// adds its squared deviations in position order as DevianceOf does, but the
// prefixes advance side by side, which keeps the processor's adders busy.
void PrefixStatistics(const double* x, int32_t N, const int32_t* size, int32_t prefixes,
                      double* __restrict mean, double* __restrict dev, bool deviances) {
    double sum = 0.0;
    int32_t summed = 0;
    for (int32_t q = 0; q < prefixes; ++q) {
        for (; summed < size[q]; ++summed) sum += x[summed];
        mean[q] = sum / static_cast<double>(size[q]);
        dev[q] = 0.0;
    }
    if (!deviances) return;
    int32_t first = 0;
    for (int32_t i = 0; i < N && first < prefixes; ++i) {
        while (first < prefixes && size[first] <= i) ++first;
        const double xi = x[i];
        for (int32_t q = first; q < prefixes; ++q) {
            const double e = xi - mean[q];
            dev[q] += e * e;
        }
    }
}

// The rows a generation writes are written whole: consecutive ones (jump 1)
// as one run, the others each on its own.
void AdviseWrittenRows(CloudTables& t, int32_t J, int32_t prefixes) {
    if (prefixes < 1) return;
    for (Table2D* table : {&t.means, &t.sds}) {
        if (table->Rows() == 0) continue;
        if (J == 1) {
            table->AdviseWholeRows(0, prefixes - 1);
            continue;
        }
        for (int32_t q = 1; q <= prefixes; ++q) table->AdviseWholeRows(q * J - 1, q * J - 1);
    }
}

int32_t ToInt32(double v, const char* where) {
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) throw OverflowError(where);
    return static_cast<int32_t>(v);
}

}  // namespace

std::optional<std::vector<uint16_t>> DrawArrangements(int32_t N, int32_t V, RandomSource& rng,
                                                      Progress& progress) {
    if (N < 1 || V < 1) throw SubscriptOutOfRange("DrawArrangements");
    // The unit numbers sample by sample, compactly: a generation of 185,000
    // virtual samples keeps them in a few megabytes.
    if (N > 65535) throw OverflowError("DrawArrangements: N");
    std::vector<uint16_t> draws(static_cast<size_t>(N) * static_cast<size_t>(V));
    progress.Begin(Progress::Phase::Drawing);
    const bool drawn = DrawPhase(N, V, rng, progress, [&](int32_t i, int32_t j, int32_t u) {
        draws[static_cast<size_t>(j - 1) * static_cast<size_t>(N) + static_cast<size_t>(i - 1)] =
            static_cast<uint16_t>(u);
    });
    if (!drawn) return std::nullopt;
    progress.End(Progress::Phase::Drawing);
    return draws;
}

std::optional<CloudTables> GenerateClouds(const std::vector<double>& units, int32_t V, int32_t jump,
                                          RandomSource& rng, Progress& progress, int32_t threads,
                                          CloudsWanted wanted) {
    const auto N = static_cast<int32_t>(units.size()) - 1;
    if (N < 1 || V < 1) throw SubscriptOutOfRange("GenerateClouds");
    const int32_t J = jump;
    if (J < 1) throw SubscriptOutOfRange("GenerateClouds: jump");

    if (N > 65535) throw OverflowError("GenerateClouds: N");
    std::vector<uint16_t> draws(static_cast<size_t>(N) * static_cast<size_t>(V));
    CloudTables fresh;
    const bool withSds = wanted == CloudsWanted::Both;
    fresh.means.Resize(N, V + 1);
    if (withSds) fresh.sds.Resize(N, V + 1);
    fresh.samples = V;
    // Row q*J - 1 is sample size q*J + 1 and takes the prefix of that many
    // values, so every label names the number of values behind its point.
    std::vector<int32_t> size;
    for (int32_t q = 1; q * J + 1 <= N; ++q) size.push_back(q * J + 1);
    const auto prefixes = static_cast<int32_t>(size.size());
    AdviseWrittenRows(fresh, J, prefixes);
    // Samples are summarised a block at a time and each row's block is then
    // written in one run: a row of the tables is V + 1 doubles long, so
    // writing sample by sample would touch a new page with every value.
    constexpr int32_t kBlock = 256;
    struct Scratch {
        std::vector<double> blockMeans, blockSds, x, mean, dev;
    };
    auto scratch = [&] {
        const auto cells = static_cast<size_t>(prefixes) * kBlock;
        return Scratch{std::vector<double>(cells), std::vector<double>(cells),
                       std::vector<double>(static_cast<size_t>(N)),
                       std::vector<double>(size.size()), std::vector<double>(size.size())};
    };
    // Each sample's statistics depend on its own draws alone: with two
    // threads a helper summarises the blocks of samples already drawn while
    // this thread draws the next ones, and this one then joins it on the
    // blocks left. Each block goes to its own columns, so the tables are
    // those of one thread, bit for bit. Only this thread reports progress
    // and hears a stop.
    const int32_t blocks = (V + kBlock - 1) / kBlock;
    std::atomic<bool> stopped{false};
    std::atomic<int32_t> drawnSamples{0}, nextBlock{0};
    auto summarise = [&](Scratch& s, bool reports) {
        for (int32_t k; !stopped.load(std::memory_order_relaxed) && (k = nextBlock++) < blocks;) {
            const int32_t j0 = k * kBlock + 1;
            const int32_t inBlock = std::min(kBlock, V - j0 + 1);
            // The helper waits for the block's draws (it rarely has to: a
            // block is drawn faster than it is summarised).
            while (drawnSamples.load(std::memory_order_acquire) < j0 + inBlock - 1) {
                if (stopped.load()) return;
                std::this_thread::yield();
            }
            for (int32_t b = 0; b < inBlock; ++b) {
                const int32_t j = j0 + b;
                if (reports && progress.Advance(Progress::Phase::Statistics, j)) {
                    stopped.store(true);
                    return;
                }
                const uint16_t* drawn =
                    draws.data() + static_cast<size_t>(j - 1) * static_cast<size_t>(N);
                for (int32_t i = 0; i < N; ++i) s.x[static_cast<size_t>(i)] = units[drawn[i] + 1u];
                PrefixStatistics(s.x.data(), N, size.data(), prefixes, s.mean.data(), s.dev.data(),
                                 withSds);
                for (int32_t q = 0; q < prefixes; ++q) {
                    const double c = size[static_cast<size_t>(q)];
                    s.blockMeans[static_cast<size_t>(q) * kBlock + static_cast<size_t>(b)] =
                        s.mean[static_cast<size_t>(q)];
                    s.blockSds[static_cast<size_t>(q) * kBlock + static_cast<size_t>(b)] =
                        std::sqrt(s.dev[static_cast<size_t>(q)] / (c - 1));
                }
            }
            for (int32_t q = 0; q < prefixes; ++q) {
                const int32_t row = (q + 1) * J - 1;
                const auto from = static_cast<size_t>(q) * kBlock;
                std::copy_n(s.blockMeans.data() + from, inBlock, fresh.means.Row(row) + (j0 - 1));
                if (withSds)
                    std::copy_n(s.blockSds.data() + from, inBlock, fresh.sds.Row(row) + (j0 - 1));
            }
        }
    };
    // The drawing, telling the helper how far it has come.
    class Drawing : public Progress {
      public:
        Drawing(Progress& outer, std::atomic<int32_t>& drawn) : outer_(outer), drawn_(drawn) {}
        bool Advance(Phase p, int32_t item) override {
            drawn_.store(item - 1, std::memory_order_release);
            return outer_.Advance(p, item);
        }

      private:
        Progress& outer_;
        std::atomic<int32_t>& drawn_;
    } drawing(progress, drawnSamples);
    auto draw = [&] {
        progress.Begin(Progress::Phase::Drawing);
        const bool drawn = DrawPhase(N, V, rng, drawing, [&](int32_t i, int32_t j, int32_t u) {
            draws[static_cast<size_t>(j - 1) * static_cast<size_t>(N) +
                  static_cast<size_t>(i - 1)] = static_cast<uint16_t>(u);
        });
        drawnSamples.store(V, std::memory_order_release);
        if (!drawn) stopped.store(true);
        return drawn;
    };

    Scratch mine = scratch(), theirs;
    std::thread helper;
    if (threads > 1 && blocks > 1) {
        theirs = scratch();
        helper = std::thread([&] { summarise(theirs, false); });
    }
    if (draw()) {
        progress.End(Progress::Phase::Drawing);
        progress.Begin(Progress::Phase::Statistics);
        summarise(mine, true);
    }
    if (helper.joinable()) helper.join();
    if (stopped.load()) return std::nullopt;
    progress.End(Progress::Phase::Statistics);
    return fresh;
}

AxisRange ValueRangeOf(const Table2D& t, int32_t N, int32_t V, int32_t J, bool skipZeroSums) {
    AxisRange range;
    bool first = true;
    // The row maxima and minima are taken over all V values directly: V may
    // exceed the 16-bit bound of the shared array routines.
    for (int32_t r = J - 1; r <= N - 2; r += J) {
        const double* x = t.Row(r);
        double mx = x[0], mn = x[0], sum = x[0];
        for (int32_t i = 1; i < V; ++i) {
            if (x[i] > mx) mx = x[i];
            if (x[i] < mn) mn = x[i];
            sum = x[i] + sum;
        }
        const int32_t hi = CheckedAdd32(ToInt32(IntPart(mx), "axis maximum"), 1, "axis maximum");
        const int32_t lo = ToInt32(IntPart(mn), "axis minimum");
        if (first) {
            range = {lo, hi};
            first = false;
            continue;
        }
        if (hi > range.upper) range.upper = hi;
        if ((!skipZeroSums || sum != 0.0) && lo < range.lower) range.lower = lo;
    }
    return range;
}

}  // namespace velta
