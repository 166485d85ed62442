#include "analysis/trimming.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/errors.h"

namespace velta {

namespace {

// Tournament trees over the positions of one row, kept in one array: every
// node holds the largest and the smallest value below it with the first
// position where each occurs (the lower position wins ties), so the root
// gives what a scan from the left would find. NaN values never win, as a
// scan that starts from a number skips them too. The leaves are blocks of
// kBlock positions, rescanned when one of their values changes; the tree
// over the blocks then stays small enough for the caches.
class Extremes {
  public:
    void Build(const double* x, int32_t v) {
        x_ = x;
        v_ = v;
        const int32_t blocks = (v + kBlock - 1) / kBlock;
        size_ = 1;
        while (size_ < blocks) size_ *= 2;
        nodes_.assign(2 * static_cast<size_t>(size_), Node{});
        for (int32_t b = 0; b < blocks; ++b) ScanBlock(b);
        for (size_t i = static_cast<size_t>(size_) - 1; i >= 1; --i) Pull(i);
    }
    // Call after x[p] changed.
    void Changed(int32_t p) {
        const int32_t b = p / kBlock;
        ScanBlock(b);
        for (size_t i = (static_cast<size_t>(size_) + static_cast<size_t>(b)) / 2; i >= 1; i /= 2)
            Pull(i);
    }
    int32_t MaxPos() const { return nodes_[1].maxI; }
    int32_t MinPos() const { return nodes_[1].minI; }

  private:
    static constexpr int32_t kBlock = 16;
    // Padding and empty nodes hold NaN, so they never win.
    struct Node {
        double maxV = std::nan(""), minV = std::nan("");
        int32_t maxI = -1, minI = -1;
    };
    static bool RightIsLarger(double l, double r) { return r > l || std::isnan(l); }
    static bool RightIsSmaller(double l, double r) { return r < l || std::isnan(l); }

    void ScanBlock(int32_t b) {
        Node n;
        const int32_t end = std::min(v_, (b + 1) * kBlock);
        for (int32_t p = b * kBlock; p < end; ++p) {
            const double v = x_[p];
            if (RightIsLarger(n.maxV, v)) n.maxV = v, n.maxI = p;
            if (RightIsSmaller(n.minV, v)) n.minV = v, n.minI = p;
        }
        nodes_[static_cast<size_t>(size_) + static_cast<size_t>(b)] = n;
    }
    void Pull(size_t i) {
        const Node& l = nodes_[2 * i];
        const Node& r = nodes_[2 * i + 1];
        Node& n = nodes_[i];
        const bool maxRight = RightIsLarger(l.maxV, r.maxV);
        n.maxV = maxRight ? r.maxV : l.maxV;
        n.maxI = maxRight ? r.maxI : l.maxI;
        const bool minRight = RightIsSmaller(l.minV, r.minV);
        n.minV = minRight ? r.minV : l.minV;
        n.minI = minRight ? r.minI : l.minI;
    }

    const double* x_ = nullptr;
    int32_t v_ = 0;
    int32_t size_ = 1;
    std::vector<Node> nodes_;
};

// The sum of a row that changes one value at a time. The finite values are
// summed in extended precision with a compensation term, so the sum stays
// as accurate as one from scratch however many values are replaced; the
// infinities and NaNs are counted, so the sum reads as IEEE arithmetic would
// give it and never turns into NaN by cancelling an infinity.
class RunningSum {
  public:
    void Add(double v) { Count(v, +1); }
    // Adds a whole row: four interleaved compensated sums (the error of
    // every addition kept exactly), so the processor can overlap them. A row
    // with infinities or NaNs, or whose doubles overflow, is added one value
    // at a time instead.
    void AddRow(const double* x, int32_t v) {
        double s[4] = {}, c[4] = {};
        int32_t p = 0;
        for (; p + 4 <= v; p += 4)
            for (int k = 0; k < 4; ++k) {
                const double a = s[k], b = x[p + k];
                const double t = a + b;
                const double bb = t - a;
                c[k] += (a - (t - bb)) + (b - bb);
                s[k] = t;
            }
        bool finite = true;
        for (int k = 0; k < 4; ++k) finite = finite && std::isfinite(s[k]) && std::isfinite(c[k]);
        if (!finite) {
            for (p = 0; p < v; ++p) Add(x[p]);
            return;
        }
        for (int k = 0; k < 4; ++k) {
            Add(s[k]);
            Add(c[k]);
        }
        for (; p < v; ++p) Add(x[p]);
    }
    bool Finite() const { return nan_ == 0 && posInf_ == 0 && negInf_ == 0; }
    void Remove(double v) { Count(v, -1); }
    double Mean(int32_t n) const {
        if (nan_ > 0 || (posInf_ > 0 && negInf_ > 0)) return std::nan("");
        if (posInf_ > 0) return HUGE_VAL;
        if (negInf_ > 0) return -HUGE_VAL;
        // Rounded to a double before dividing, as a sum of doubles would be.
        return static_cast<double>(sum_ + comp_) / static_cast<double>(n);
    }

  private:
    void Count(double v, int sign) {
        if (std::isnan(v)) {
            nan_ += sign;
        } else if (std::isinf(v)) {
            (v > 0 ? posInf_ : negInf_) += sign;
        } else {
            const long double term =
                sign > 0 ? static_cast<long double>(v) : -static_cast<long double>(v);
            const long double t = sum_ + term;
            comp_ += std::fabs(sum_) >= std::fabs(term) ? (sum_ - t) + term : (term - t) + sum_;
            sum_ = t;
        }
    }
    long double sum_ = 0.0L, comp_ = 0.0L;
    int64_t nan_ = 0, posInf_ = 0, negInf_ = 0;
};

}  // namespace

int32_t TrimCutCount(int32_t P, int32_t V) {
    return static_cast<int32_t>(
        std::floor(static_cast<double>(P) / 100.0 * static_cast<double>(V)));
}

namespace {

struct Candidate {
    double value;
    int32_t pos;
};

// Scratch space reused from row to row.
struct RowScratch {
    Extremes extremes;
    std::vector<double> values;
    std::vector<Candidate> top, bottom;
    std::vector<uint8_t> replaced;
};

// The first `count` positions in the order the passes would take them: by
// value (largest first when `largest`), then by position. Every position
// at or beyond the threshold is gathered, so ties at it are ordered too.
// False, with nothing ranked, when ties at the threshold gather many more
// positions than the passes can use.
bool Ranked(const double* x, int32_t v, double threshold, bool largest, int32_t count,
            std::vector<Candidate>& out) {
    out.clear();
    for (int32_t p = 0; p < v; ++p)
        if (largest ? x[p] >= threshold : x[p] <= threshold) out.push_back({x[p], p});
    if (out.size() > 2 * static_cast<size_t>(count) + 64) return false;
    std::sort(out.begin(), out.end(), [largest](const Candidate& l, const Candidate& r) {
        if (l.value != r.value) return largest ? l.value > r.value : l.value < r.value;
        return l.pos < r.pos;
    });
    out.resize(static_cast<size_t>(count));
    return true;
}

// The passes while each one replaces the next of the largest and of the
// smallest original values, ranked once in advance, which is what a row of
// finite and mostly distinct values does: O(V) to rank plus O(1) a pass.
// Stops before the first pass that could go otherwise (an original value
// already replaced from the other end, or a replaced mean at or beyond the
// next original extreme) and returns the number of passes done.
int32_t RankedPasses(double* x, int32_t v, int32_t passes, RunningSum& sum, RowScratch& s) {
    s.values.assign(x, x + v);
    auto first = s.values.begin();
    std::nth_element(first, first + (v - passes), s.values.end());
    const double topThreshold = s.values[static_cast<size_t>(v - passes)];
    std::nth_element(first, first + (passes - 1), first + (v - passes));
    const double bottomThreshold = s.values[static_cast<size_t>(passes - 1)];
    if (!Ranked(x, v, topThreshold, true, passes, s.top) ||
        !Ranked(x, v, bottomThreshold, false, passes, s.bottom))
        return 0;
    s.replaced.assign(static_cast<size_t>(v), 0);
    double largestMean = -HUGE_VAL, smallestMean = HUGE_VAL;
    for (int32_t pass = 0; pass < passes; ++pass) {
        const Candidate hi = s.top[static_cast<size_t>(pass)];
        const Candidate lo = s.bottom[static_cast<size_t>(pass)];
        if (hi.pos == lo.pos || s.replaced[static_cast<size_t>(hi.pos)] ||
            s.replaced[static_cast<size_t>(lo.pos)] || largestMean >= hi.value ||
            smallestMean <= lo.value)
            return pass;
        const double m = sum.Mean(v);
        sum.Remove(hi.value);
        sum.Remove(lo.value);
        x[hi.pos] = x[lo.pos] = m;
        sum.Add(m);
        sum.Add(m);
        s.replaced[static_cast<size_t>(hi.pos)] = s.replaced[static_cast<size_t>(lo.pos)] = 1;
        largestMean = std::max(largestMean, m);
        smallestMean = std::min(smallestMean, m);
    }
    return passes;
}

// A row of zeros (the sizes a generation leaves out) trims to zeros: every
// pass finds a constant row.
bool IsZeroRow(const double* x, int32_t v) {
    return std::all_of(x, x + v, [](double e) { return std::bit_cast<uint64_t>(e) == 0; });
}

void TrimRow(double* x, int32_t v, int32_t passes, RowScratch& s) {
    RunningSum sum;
    sum.AddRow(x, v);
    // A NaN in the first position stops every scan at "no position": the
    // passes then change nothing.
    if (std::isnan(x[0])) return;
    int32_t pass = 0;
    if (sum.Finite() && v >= 64 && 2 * passes <= v) pass = RankedPasses(x, v, passes, sum, s);
    if (pass == passes) return;
    // Ties, replaced means among the extremes, non-finite values: every
    // pass asks the trees.
    s.extremes.Build(x, v);
    for (; pass < passes; ++pass) {
        const int32_t a = s.extremes.MaxPos();
        const int32_t b = s.extremes.MinPos();
        const double m = sum.Mean(v);
        // A pass that writes back the very values it found (a constant row)
        // leaves everything as it was, and so would every later one.
        if (std::bit_cast<uint64_t>(x[a]) == std::bit_cast<uint64_t>(m) &&
            std::bit_cast<uint64_t>(x[b]) == std::bit_cast<uint64_t>(m))
            break;
        sum.Remove(x[a]);
        x[a] = m;
        sum.Add(m);
        if (b != a) {
            sum.Remove(x[b]);
            x[b] = m;
            sum.Add(m);
        }
        s.extremes.Changed(a);
        if (b != a) s.extremes.Changed(b);
        if (std::isnan(x[0])) break;
    }
}

}  // namespace

void TrimTable(int32_t N, int32_t V, int32_t P, const Table2D& source, Table2D& destination) {
    if (N < 1 || V < 1 || source.Rows() < N || source.Cols() < V)
        throw SubscriptOutOfRange("TrimTable");
    const int32_t passes = TrimCutCount(P, V) + 1;
    destination.Resize(N, V + 1);
    // A row of zeros is left as the fresh table has it, which keeps its
    // memory untouched; each run of the other rows is written whole.
    std::vector<bool> zero(static_cast<size_t>(N));
    for (int32_t r = 0; r < N; ++r) zero[static_cast<size_t>(r)] = IsZeroRow(source.Row(r), V);
    for (int32_t r = 0; r < N;) {
        int32_t end = r;
        while (end < N && !zero[static_cast<size_t>(end)]) ++end;
        if (end > r) destination.AdviseWholeRows(r, end - 1);
        r = end + 1;
    }
    RowScratch scratch;
    for (int32_t r = 0; r < N; ++r) {
        if (zero[static_cast<size_t>(r)]) continue;
        const double* from = source.Row(r);
        double* x = destination.Row(r);
        std::copy(from, from + V, x);
        TrimRow(x, V, passes, scratch);
    }
}

void TrimTableInPlace(int32_t N, int32_t V, int32_t P, Table2D& table) {
    if (N < 1 || V < 1 || table.Rows() < N || table.Cols() < V)
        throw SubscriptOutOfRange("TrimTableInPlace");
    const int32_t passes = TrimCutCount(P, V) + 1;
    RowScratch scratch;
    for (int32_t r = 0; r < N; ++r) {
        double* x = table.Row(r);
        if (!IsZeroRow(x, V)) TrimRow(x, V, passes, scratch);  // zeros stay untouched
    }
}

CloudTables TrimClouds(const CloudTables& source, int32_t P) {
    const int32_t N = source.Rows(), V = source.samples;
    if (source.Empty() || N < 3 || V < 1) throw SubscriptOutOfRange("trimming: no virtual samples");
    CloudTables trimmed;
    TrimTable(N, V, P, source.means, trimmed.means);
    TrimTable(N, V, P, source.sds, trimmed.sds);
    trimmed.samples = V;
    return trimmed;
}

}  // namespace velta
