#include "view/window_view.h"

#include <tuple>

#include "base/numbers.h"
#include "base/version.h"
#include "view/availability.h"

namespace velta {

namespace {

inline constexpr const char* kUnitsChangedNote =
    "The sampling units have changed: accept them with File > Save > Pre-sampling results "
    "before generating.";

void ShowPilot(const Pilot& p, WindowView& v) {
    const SampleStats& s = p.stats;
    v.mean = Format3(s.mean);
    v.sd = Format3(s.sd);
    v.n = FormatInteger(s.n);
    v.jackknifeSd = Format3(s.jackknifeSd);
    v.jackknifeSeMean = Format3(s.jackknifeSeMean);
    v.jackknifeSeSd = Format3(s.jackknifeSeSd);
    v.maximumNumber = std::string(kMaximumNumberPrefix) + FormatMaximumNumber(p.maximumVirtualSamples);
    v.fileName = p.source.file;
    v.pilotSource = PilotSourceText(p.source);
}

// A chart of the clouds: the trimmed ones once there are, else the
// generated ones.
ChartPicture Cloud(const char* caption, const Generation& g,
                   const std::shared_ptr<const CloudTables>& tables, bool means) {
    ChartPicture c;
    c.caption = caption;
    // The picture shares the tables: a view of them, not a copy.
    c.cloud = std::shared_ptr<const Table2D>(tables, means ? &tables->means : &tables->sds);
    c.samples = tables->samples;
    c.categories = tables->Rows() - 2;
    c.step = g.jump;
    c.lastPoint = c.categories - 1;
    c.axis = means ? g.meansAxis : g.sdsAxis;
    return c;
}

void AddMark(WindowView& v, SizeMark::Kind kind, int32_t category) {
    v.meansChart.marks.push_back({kind, category});
    v.sdsChart.marks.push_back({kind, category});
}

void ShowStatistics(WindowView& v, StatisticsColumn column, const SizeStatistics& st) {
    v.statistics[static_cast<size_t>(column)] = StatisticsTexts(st);
}

void SetResultRow(WindowView& v, int32_t row, const char* title, const std::string& value,
                  const std::string& slope = {}) {
    v.results[static_cast<size_t>(row - 1)] = {title, value, slope};
}

void ShowLines(WindowView& v, int32_t first, const std::array<const char*, 4>& titles,
               const FittedLines& f) {
    SetResultRow(v, first, titles[0], FormatResult(f.upperIntercept), FormatResult(f.upperSlope));
    SetResultRow(v, first + 1, titles[1], FormatResult(f.lowerIntercept),
                 FormatResult(f.lowerSlope));
    SetResultRow(v, first + 2, titles[2], FormatResult(f.upperLevel));
    SetResultRow(v, first + 3, titles[3], FormatResult(f.lowerLevel));
}

// Coefficients of variation, or "n/a" where the means average 0.
void ShowCv(const std::optional<CoefficientsOfVariation>& cv, std::string& lower,
            std::string& upper) {
    lower = cv ? Format2(cv->lower) : kNotApplicable;
    upper = cv ? Format2(cv->upper) : kNotApplicable;
}

void ShowAutomatic(const AutomaticAnswer& a, WindowView& v) {
    if (!a.succeeded) return;
    v.automaticSize = FormatInteger(a.size);
    ShowCv(a.cv, v.cvAutomaticLower, v.cvAutomaticUpper);
    ShowStatistics(v, StatisticsColumn::Automatic, a.statistics);
    v.meansAverageAutomatic = "average (auto): " + Format4(a.statistics.meanA);
    v.sdsAverageAutomatic = "average (auto): " + Format4(a.statistics.meanB);
    SetResultRow(v, 1, "SZ DS", FormatInteger(a.size));
    SetResultRow(v, 2, "SZ M", FormatInteger(a.size));
    ShowLines(v, 3, {"M Int,Slo AS", "M Int,Slo BS", "M Int AD", "M Int BD"}, a.means);
    ShowLines(v, 7, {"DS Int,Slo AS", "DS Int,Slo BS", "DS Int AD", "DS Int BD"}, a.sds);
    v.meansChart.lines = a.means;
    v.sdsChart.lines = a.sds;
    AddMark(v, SizeMark::Kind::Automatic, CategoryOfSize(a.size));
    v.slider.mark = a.size;
}

void ShowManual(const ManualAnswer& m, WindowView& v) {
    v.manualSize = FormatInteger(m.size);
    // Sizes 2 and 3 have no coefficients.
    if (m.size > 3) ShowCv(m.cv, v.cvManualLower, v.cvManualUpper);
    ShowStatistics(v, StatisticsColumn::Manual, m.statistics);
    v.meansAverageManual = "average (manual): " + Format4(m.statistics.meanA);
    v.sdsAverageManual = "average (manual): " + Format4(m.statistics.meanB);
    // Sizes 2 and 3 get no visible line.
    if (m.size > 3) AddMark(v, SizeMark::Kind::Manual, CategoryOfSize(m.size));
    v.slider.position = m.size;
}

void ShowStudentT(const StudentTAnswer& t, WindowView& v) {
    v.studentTSize = FormatInteger(t.size);
    SetResultRow(v, 12, "Stud t SZ", FormatInteger(t.size));
    // A size beyond the charts has neither statistics nor a mark.
    if (!t.statistics) {
        v.statistics[static_cast<size_t>(StatisticsColumn::StudentT)].fill(kNotApplicable);
        return;
    }
    ShowStatistics(v, StatisticsColumn::StudentT, *t.statistics);
    AddMark(v, SizeMark::Kind::StudentT, CategoryOfSize(t.size));
}

// What an exported chart says of itself: the pilot, V, P and the seed under
// its caption, and a legend of what it draws.
void DescribeChart(const Session& s, ChartPicture& c) {
    const Analysis& a = s.analysis;
    const Generation* g = a.generation();
    if (!a.pilot() || !g || !c.HasCloud()) return;
    const Trimming* t = a.trimming();
    c.subtitle = PilotSourceText(a.pilot()->source) + "; V = " + FormatInteger(g->samples);
    if (t) c.subtitle += ", P = " + FormatInteger(t->percent);
    c.subtitle += ", seed " + std::to_string(g->seed);

    using Kind = LegendEntry::Kind;
    c.legend.push_back({Kind::Cloud, t ? "Trimmed virtual samples" : "Virtual samples"});
    if (c.lines) c.legend.push_back({Kind::FittedLines, "Fitted lines"});
    const std::tuple<SizeMark::Kind, Kind, const char*> marks[] = {
        {SizeMark::Kind::Automatic, Kind::Automatic, "Automatic size: "},
        {SizeMark::Kind::Manual, Kind::Manual, "Manual size: "},
        {SizeMark::Kind::StudentT, Kind::StudentT, "Student-t size: "}};
    for (const auto& [mark, kind, words] : marks)
        for (const SizeMark& m : c.marks)
            if (m.kind == mark) c.legend.push_back({kind, words + c.CategoryLabel(m.category)});
}

// Everything but the charts' descriptions.
WindowView ViewOf(const Session& s);

}  // namespace

std::string FormatMedian(double median) {
    return FormatSignificant(median, kResultDigits);
}

std::string RepeatsRangeText(const RepeatsAnswer& r) {
    const auto lo = r.Smallest(), hi = r.Largest();
    if (!lo) return "none could succeed";
    return *lo == *hi ? FormatInteger(*lo) : FormatInteger(*lo) + " to " + FormatInteger(*hi);
}

std::string RepeatsText(const RepeatsAnswer& r) {
    std::string text = "in " + FormatInteger(r.Count()) + " repeats: ";
    const auto lo = r.Smallest(), hi = r.Largest();
    if (!lo) return text + RepeatsRangeText(r);
    text += *lo == *hi ? "always " : "";
    text += RepeatsRangeText(r);
    std::vector<std::string> notes;
    if (*lo != *hi) notes.push_back("median " + FormatMedian(*r.Median()));
    if (const int32_t failed = r.Failures(); failed > 0)
        notes.push_back(FormatInteger(failed) + " could not succeed");
    for (size_t i = 0; i < notes.size(); ++i)
        text += (i == 0 ? " (" : "; ") + notes[i] + (i + 1 == notes.size() ? ")" : "");
    return text;
}

std::string WindowCaption() {
    return std::string("VELTA ") + kVersion;
}

std::string FormatResult(double v) {
    return FormatSignificant(v, kResultDigits);
}

std::string FormatMaximumNumber(double maximum) {
    return maximum < 1e15 ? FormatGrouped(static_cast<int64_t>(maximum)) : FormatScientific(maximum);
}

std::string PilotSourceText(const PilotSource& source) {
    if (source.file.empty()) return "typed values";
    const size_t slash = source.file.find_last_of('/');
    std::string text = slash == std::string::npos ? source.file : source.file.substr(slash + 1);
    if (!source.sheet.empty()) text += ", sheet \"" + source.sheet + "\"";
    text += ", column " + ColumnLetters(source.column + 1);
    if (!source.header.empty()) text += " (" + source.header + ")";
    return text;
}

WindowView WindowViewOf(const Session& s) {
    WindowView v = ViewOf(s);
    DescribeChart(s, v.meansChart);
    DescribeChart(s, v.sdsChart);
    if (!s.busyStatus.empty())
        v.statusMessage = s.busyStatus;
    else if (s.lastWritten)
        v.statusMessage = s.lastWritten->what + " written to " + s.lastWritten->path;
    return v;
}

std::array<std::string, 6> StatisticsTexts(const SizeStatistics& st) {
    return {FormatResult(st.meanA), FormatResult(st.maxA),  FormatResult(st.minA),
            FormatResult(st.meanB), FormatResult(st.maxB), FormatResult(st.minNonZeroB)};
}

namespace {

WindowView ViewOf(const Session& s) {
    WindowView v;
    v.inputs = s.inputs;
    v.generationRunning = s.generationRunning;
    v.progress = s.progress;
    v.meansChart.caption = "Means";
    v.sdsChart.caption = "Standard deviations";
    if (s.unitsChanged) v.note = kUnitsChangedNote;

    const Analysis& a = s.analysis;
    const bool idle = !s.generationRunning;
    v.canGenerate = IsAvailable(s, Command::Generate);
    v.canTrim = IsAvailable(s, Command::Trim);
    v.canAutomatic = IsAvailable(s, Command::Automatic);
    v.canManual = IsAvailable(s, Command::Manual);
    v.canStudentT = IsAvailable(s, Command::StudentT);
    v.slider.enabled = idle;
    if (const Pilot* p = a.pilot()) {
        ShowPilot(*p, v);
    }
    if (s.generationRunning) v.generationStarted = s.runningSince;

    const Generation* g = a.generation();
    if (!g) return v;
    if (idle) {
        v.generationStarted = g->startedAt;
        v.generationCompleted = g->completedAt;
    }
    v.seedUsed = std::to_string(g->seed);

    const Trimming* t = a.trimming();
    const std::shared_ptr<const CloudTables>& shown = t ? t->tables : g->tables;
    // A new generation puts the thumb back in the middle of its sizes.
    const int32_t N = shown->Rows();
    v.slider = {2, N - 1, g->jump, N / 2, 0, idle};
    v.meansChart = Cloud("Means", *g, shown, true);
    v.sdsChart = Cloud("Standard deviations", *g, shown, false);
    v.meansChart.greyed = v.sdsChart.greyed = s.generationRunning;
    if (!t) return v;

    v.trimmed = true;
    if (const AutomaticAnswer* automatic = a.automatic()) {
        ShowAutomatic(*automatic, v);
    }
    if (const RepeatsAnswer* r = a.repeats()) {
        v.automaticSpread = RepeatsText(*r);
    } else if (s.repeatsJob) {
        v.repeatsProgress = "Repeating the automatic procedure: " +
                            FormatInteger(s.repeatsJob->Finished()) + " of " +
                            FormatInteger(s.repeatsJob->Total());
        v.automaticSpread = "in " + FormatInteger(s.repeatsJob->Total()) + " repeats: working...";
    }
    if (const ManualAnswer* m = a.manual()) ShowManual(*m, v);
    if (const StudentTAnswer* st = a.studentT()) ShowStudentT(*st, v);
    return v;
}

}  // namespace

}  // namespace velta
