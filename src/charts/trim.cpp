#include "charts/trim.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "charts/manual.h"
#include "model/messages.h"

namespace velta {

namespace {

// Tournament trees over the positions of one row: every node holds the
// position of the largest (and, in the second tree, the smallest) value
// below it, the lower position on ties, so the root is the first occurrence
// a scan from the left would find. NaN values never win: a scan that starts
// from a number skips them too. Changing one value costs one walk to the root.
class Extremes {
  public:
    void Build(const double* x, int32_t v) {
        x_ = x;
        size_ = 1;
        while (size_ < v) size_ *= 2;
        max_.assign(2 * static_cast<size_t>(size_), -1);
        min_.assign(2 * static_cast<size_t>(size_), -1);
        for (int32_t p = 0; p < v; ++p) max_[Leaf(p)] = min_[Leaf(p)] = p;
        for (int32_t i = size_ - 1; i >= 1; --i) Pull(i);
    }
    // Call after x[p] changed.
    void Changed(int32_t p) {
        for (size_t i = Leaf(p) / 2; i >= 1; i /= 2) Pull(i);
    }
    int32_t MaxPos() const { return max_[1]; }
    int32_t MinPos() const { return min_[1]; }

  private:
    size_t Leaf(int32_t p) const { return static_cast<size_t>(size_) + static_cast<size_t>(p); }
    int32_t PickMax(int32_t l, int32_t r) const {
        if (l < 0) return r;
        if (r < 0) return l;
        return (x_[r] > x_[l] || std::isnan(x_[l])) ? r : l;
    }
    int32_t PickMin(int32_t l, int32_t r) const {
        if (l < 0) return r;
        if (r < 0) return l;
        return (x_[r] < x_[l] || std::isnan(x_[l])) ? r : l;
    }
    void Pull(size_t i) {
        max_[i] = PickMax(max_[2 * i], max_[2 * i + 1]);
        min_[i] = PickMin(min_[2 * i], min_[2 * i + 1]);
    }

    const double* x_ = nullptr;
    int32_t size_ = 1;
    std::vector<int32_t> max_, min_;
};

// The sum of a row that changes one value at a time. The finite values are
// summed in extended precision with a compensation term, so the sum stays
// as accurate as one from scratch however many values are replaced; the
// infinities and NaNs are counted, so the sum reads as IEEE arithmetic would
// give it and never turns into NaN by cancelling an infinity.
class RunningSum {
  public:
    void Add(double v) { Count(v, +1); }
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

// Sets the busy pointer for the life of the object.
class BusyPointer {
  public:
    explicit BusyPointer(Platform& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyPointer() { ui_.SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    Platform& ui_;
};

}  // namespace

int32_t TrimCutCount(int32_t P, int32_t V) {
    return static_cast<int32_t>(
        std::floor(static_cast<double>(P) / 100.0 * static_cast<double>(V)));
}

void TrimTable(int32_t N, int32_t V, int32_t P, const Table2D& source, Table2D& destination) {
    if (N < 1 || V < 1 || source.Rows() < N || source.Cols() < V)
        throw SubscriptOutOfRange("TrimTable");
    const int32_t passes = TrimCutCount(P, V) + 1;
    destination.Resize(N, V + 1);
    Extremes extremes;
    for (int32_t r = 0; r < N; ++r) {
        double* x = destination.Row(r);
        std::copy(source.Row(r), source.Row(r) + V, x);
        RunningSum sum;
        for (int32_t p = 0; p < V; ++p) sum.Add(x[p]);
        // A NaN in the first position stops every scan at "no position":
        // the passes then change nothing.
        if (std::isnan(x[0])) continue;
        extremes.Build(x, V);
        for (int32_t pass = 0; pass < passes; ++pass) {
            const int32_t a = extremes.MaxPos();
            const int32_t b = extremes.MinPos();
            const double m = sum.Mean(V);
            sum.Remove(x[a]);
            x[a] = m;
            sum.Add(m);
            if (b != a) {
                sum.Remove(x[b]);
                x[b] = m;
                sum.Add(m);
            }
            extremes.Changed(a);
            if (b != a) extremes.Changed(b);
            if (std::isnan(x[0])) break;
        }
    }
}

int32_t ParsePValue(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !IsWholeNumber(text) || *v < 0.0) return -1;
    const int32_t p = RoundToInt32(*v);
    return p < 10 ? p : -1;
}

namespace {

void Filter(Workspace& ws, Platform& ui) {
    HideAverageLabels(ws);
    const int32_t P = ParsePValue(ws.txtPerc.text);
    if (P < 0) {
        ui.MessageBox(kInvalidPMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }
    BusyPointer busy(ui);
    ws.DataTrimmed = true;
    // N and V as the tables were generated: the fields may have been edited
    // since the generation.
    const StatsTables& source = ws.VirtualSampleTable;
    const int32_t N = source.means.Rows();
    const int32_t V = source.V;
    if (source.Empty() || N < 3 || V < 1) throw SubscriptOutOfRange("trimming: no virtual samples");

    StatsTables trimmed;
    TrimTable(N, V, P, source.means, trimmed.means);
    TrimTable(N, V, P, source.sds, trimmed.sds);
    trimmed.V = V;
    ws.TrimmedTable = std::move(trimmed);
    ReloadChart(ws.VtChart1, ws.TrimmedTable.means, N, V);
    ReloadChart(ws.VtChart2, ws.TrimmedTable.sds, N, V);

    ws.cmdAutoSampleSize.enabled = true;
    ws.AutoSizeDone = "0";
    EmptyResultFields(ws, true);
    ws.Slider1.min = 2;
    ws.Slider1.max = N - 1;
    ws.Slider1.step = ws.Jump;
    ws.Slider1.value = N / 2;
    ws.tStudentSampleSize.enabled = true;
}

}  // namespace

void cmdFilter_Click(Workspace& ws, Platform& ui) {
    try {
        Filter(ws, ui);
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
        // Two more tables of the clouds' size did not fit.
    }
    EmptyResultFields(ws, true);
    ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}

}  // namespace velta
