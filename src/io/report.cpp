#include "io/report.h"

#include <array>
#include <stdexcept>

#include "base/numbers.h"

namespace velta {

namespace {

const std::string kRule(156, '*');

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

void StatisticsBlock(Lines& out, const SizeStatistics* st) {
    static const std::array<const char*, 6> labels = {
        "Average mean: ",
        "Maximum mean: ",
        "Minimum mean: ",
        "Average standard deviation: ",
        "Maximum standard deviation: ",
        "Minimum standard deviation: ",
    };
    if (!st) {
        for (const char* label : labels) out.Add(std::string(label) + "not calculated");
        return;
    }
    const std::array<double, 6> values = {st->meanA, st->maxA, st->minA,
                                          st->meanB, st->maxB, st->minNonZeroB};
    for (size_t i = 0; i < labels.size(); ++i) out.Add(labels[i] + Format4(values[i]));
}

}  // namespace

std::string BuildReport(const Analysis& a, const TypedInputs& typed, const std::string& dateText,
                        const std::string& timeText) {
    const Pilot* pilot = a.pilot();
    if (!pilot) throw std::logic_error("a report needs a pilot");
    const SampleStats& st = pilot->stats;
    Lines out;
    out.Add(kRule);
    out.Add("Date: " + dateText);
    out.Add("Time: " + timeText);
    out.Add("Name of the opened file: " + pilot->source.file);
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
    auto f3 = [&](double FittedLines::*field) {
        return automatic ? Format3(automatic->means.*field) : std::string();
    };
    out.Add("Up-left line: y = " + f3(&FittedLines::upperIntercept) + " " +
            f3(&FittedLines::upperSlope) + " * x");
    out.Add("Down-left line: y = " + f3(&FittedLines::lowerIntercept) + " +" +
            f3(&FittedLines::lowerSlope) + " * x");
    out.Add("Up-right line: y = " + f3(&FittedLines::upperLevel));
    out.Add("Down-right line: y = " + f3(&FittedLines::lowerLevel));
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
    StatisticsBlock(out, student ? &student->statistics : nullptr);
    out.Add(kRule);
    return out.Take();
}

}  // namespace velta
