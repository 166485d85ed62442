#include "io/report.h"

#include <array>
#include <stdexcept>

#include "base/numbers.h"
#include "base/version.h"
#include "data/spreadsheet.h"
#include "view/window_view.h"

namespace velta {

namespace {

const std::string kRule(156, '*');
// Significant digits of the fitted lines: their slopes per unit of n are small.
constexpr int kLineDigits = 6;

class Lines {
  public:
    void Add(const std::string& line) {
        text_ += line;
        text_ += "\r\n";
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

void StatisticsBlock(Lines& out, const SizeStatistics* st,
                     const char* missing = "not calculated") {
    static const std::array<const char*, 6> labels = {
        "Average mean: ",
        "Maximum mean: ",
        "Minimum mean: ",
        "Average standard deviation: ",
        "Maximum standard deviation: ",
        "Minimum standard deviation: ",
    };
    if (!st) {
        for (const char* label : labels) out.Add(std::string(label) + missing);
        return;
    }
    const std::array<double, 6> values = {st->meanA, st->maxA, st->minA,
                                          st->meanB, st->maxB, st->minNonZeroB};
    for (size_t i = 0; i < labels.size(); ++i) out.Add(labels[i] + Format4(values[i]));
}

// Where the values came from: the file, and for a sheet its column, the
// column's header and the cells skipped as missing values.
std::string FileLine(const PilotSource& source) {
    std::string line = "Name of the opened file: " + source.file;
    if (source.file.empty()) return line;
    line += " (column " + ColumnName(source.column);
    if (!source.header.empty()) line += " \"" + source.header + "\"";
    if (source.missingCount > 0)
        line += "; " + FormatInteger(source.missingCount) +
                (source.missingCount == 1 ? " cell" : " cells") + " skipped as missing values";
    return line + ")";
}

// A line in the sample size n: "a + b * n", the slope's sign written once.
std::string LineInN(double intercept, double slope) {
    const std::string b = FormatSignificant(slope, kLineDigits);
    const bool negative = b.front() == '-';
    return FormatSignificant(intercept, kLineDigits) + (negative ? " - " : " + ") +
           (negative ? b.substr(1) : b) + " * n";
}

// How much the automatic size moved over repeated generations, in fixed
// lines; empty values where there is nothing to say.
void RepeatsBlock(Lines& out, const Analysis& a, const TypedInputs& typed,
                  const std::optional<RepeatsAtWork>& atWork) {
    const Generation* g = a.generation();
    const RepeatsAnswer* r = a.repeats();
    out.Add("STABILITY OF THE AUTOMATIC SAMPLE SIZE");
    out.Add("Seed: " + (g ? std::to_string(g->seed) : typed.seed));
    out.Add("Virtual samples number: " + (g ? FormatInteger(g->samples) : typed.virtualSamples));
    out.Add("Repeats of the automatic procedure: " +
            FormatInteger(r ? r->Count() : atWork ? atWork->total : 0));
    std::string range, median, failures;
    if (r) {
        range = RepeatsRangeText(*r);
        if (const auto m = r->Median()) median = FormatMedian(*m);
        failures = FormatInteger(r->Failures());
    } else if (atWork) {
        range = "not finished when the report was written (" + FormatInteger(atWork->finished) +
                " of " + FormatInteger(atWork->total) + ")";
    }
    out.Add("Range of the automatic sample size: " + range);
    out.Add("Median of the automatic sample size: " + median);
    out.Add("Repeats that could not succeed: " + failures);
    out.Add(kRule);
}

}  // namespace

std::string BuildReport(const Analysis& a, const TypedInputs& typed, const std::string& dateText,
                        const std::string& timeText, std::optional<RepeatsAtWork> atWork) {
    const Pilot* pilot = a.pilot();
    if (!pilot) throw std::logic_error("a report needs a pilot");
    const SampleStats& st = pilot->stats;
    Lines out;
    out.Add(kRule);
    out.Add("Date: " + dateText);
    out.Add("Time: " + timeText);
    out.Add(FileLine(pilot->source));
    out.Add(kRule);
    out.Add("");
    out.Add("SAMPLING UNITS:");
    for (const std::string& unit : pilot->texts) out.Add(unit);
    out.Add("");
    out.Add("SAMPLE STATISTICS");
    out.Add("mean: " + Format3(st.mean));
    out.Add("standard deviation: " + Format3(st.sd));
    out.Add("number: " + FormatInteger(st.n));
    out.Add("");
    out.Add("JACKKNIFE STATISTICS");
    out.Add("standard deviation: " + Format3(st.jackknifeSd));
    out.Add("standard error: " + Format3(st.jackknifeSeMean));
    out.Add("");
    // The configuration the results were computed with; before a stage has
    // run, the boxes are all there is.
    const Generation* g = a.generation();
    const Trimming* t = a.trimming();
    out.Add("CONFIGURATION");
    out.Add("Virtual samples number: " +
            (g ? FormatInteger(g->samples) : typed.virtualSamples));
    out.Add("Trimming: " + (t ? FormatInteger(t->percent) : typed.trimPercent) + " %");
    out.Add("");
    out.Add(kRule);
    out.Add("RESULTS:");
    out.Add(kRule);
    const AutomaticAnswer* automatic =
        a.automatic() && a.automatic()->succeeded ? a.automatic() : nullptr;
    out.Add("Automatic sample size: " + (automatic ? FormatInteger(automatic->size) : ""));
    out.Add("");
    out.Add("Means chart");
    const FittedLines* lines = automatic ? &automatic->means : nullptr;
    auto level = [&](double FittedLines::*field) {
        return lines ? FormatSignificant(lines->*field, kLineDigits) : std::string();
    };
    out.Add("Up-left line: y = " +
            (lines ? LineInN(lines->upperIntercept, lines->upperSlope) : std::string()));
    out.Add("Down-left line: y = " +
            (lines ? LineInN(lines->lowerIntercept, lines->lowerSlope) : std::string()));
    out.Add("Up-right line: y = " + level(&FittedLines::upperLevel));
    out.Add("Down-right line: y = " + level(&FittedLines::lowerLevel));
    out.Add("");
    StatisticsBlock(out, automatic ? &automatic->statistics : nullptr);
    out.Add(kRule);
    const ManualAnswer* manual = a.manual();
    out.Add("Manual sample size: " + (manual ? FormatInteger(manual->size) : ""));
    out.Add("");
    StatisticsBlock(out, manual ? &manual->statistics : nullptr);
    out.Add(kRule);
    out.Add("");
    out.Add(kRule);
    const StudentTAnswer* student = a.studentT();
    out.Add("Student-t sample size determination");
    out.Add("Alpha: " + (student ? student->alpha : typed.alpha));
    out.Add("Maximum accepted error: " + (student ? student->maxErrorText : typed.maxError));
    out.Add("Student-t sample size: " + (student ? FormatInteger(student->size) : ""));
    out.Add("");
    if (student && !student->statistics)
        StatisticsBlock(out, nullptr, "not available (beyond the pre-sample's sizes)");
    else
        StatisticsBlock(out, student ? &*student->statistics : nullptr);
    out.Add(kRule);
    // After the lines above, so that each keeps its place.
    RepeatsBlock(out, a, typed, atWork);
    out.Add("Program: VELTA " + std::string(kVersion));
    return out.Take();
}

}  // namespace velta
