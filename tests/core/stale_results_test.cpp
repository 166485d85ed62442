// Nothing shown outlives its inputs: after every step of random command
// sequences, what the window shows and the report that would be written
// equal those of a fresh session that ran only the steps the current inputs
// need.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/student_t.h"
#include "commands/automatic.h"
#include "commands/repeats.h"
#include "commands/student_t.h"
#include "data/sheet_reader.h"
#include "io/report.h"
#include "road.h"

using namespace velta;

namespace {

// Everything the window shows, as one text: the charts by their content,
// not by the address of their tables.
std::string Describe(const ChartPicture& c) {
    std::ostringstream s;
    s << c.caption << '|' << c.samples << '|' << c.categories << '|' << c.step << '|'
      << c.lastPoint << '|' << c.greyed << '|';
    if (c.axis) s << c.axis->lower << ',' << c.axis->upper;
    s << '|';
    if (c.lines)
        s << c.lines->upperIntercept << ',' << c.lines->upperSlope << ','
          << c.lines->lowerIntercept << ',' << c.lines->lowerSlope << ',' << c.lines->upperLevel
          << ',' << c.lines->lowerLevel;
    s << '|';
    for (const SizeMark& m : c.marks) s << static_cast<int>(m.kind) << '@' << m.category << ';';
    if (c.cloud) {
        // A checksum of every value the chart draws.
        double sum = 0.0;
        for (int32_t r = 0; r < c.categories; ++r)
            for (int32_t j = 0; j < c.samples; ++j) sum += (*c.cloud)(r, j) * (1 + r + 7 * j);
        s << '|' << sum;
    }
    return s.str();
}

std::string Describe(const Session& session) {
    const WindowView v = WindowViewOf(session);
    std::ostringstream s;
    for (const std::string* t :
         {&v.mean, &v.sd, &v.n, &v.jackknifeSd, &v.jackknifeSeMean, &v.jackknifeSeSd,
          &v.maximumNumber, &v.inputs.virtualSamples, &v.inputs.trimPercent, &v.inputs.alpha,
          &v.inputs.maxError, &v.inputs.studentSd, &v.meansAverageAutomatic,
          &v.meansAverageManual, &v.sdsAverageAutomatic, &v.sdsAverageManual,
          &v.cvAutomaticLower, &v.cvAutomaticUpper, &v.cvManualLower, &v.cvManualUpper,
          &v.automaticSize, &v.automaticSpread, &v.manualSize, &v.studentTSize, &v.fileName,
          &v.note})
        s << *t << '|';
    s << v.canGenerate << v.canTrim << v.canAutomatic << v.canManual << v.canStudentT
      << v.trimmed << '|' << v.slider.minimum << ',' << v.slider.maximum << ',' << v.slider.step
      << ',' << v.slider.position << ',' << v.slider.mark << '\n';
    for (const auto& column : v.statistics)
        for (const std::string& cell : column) s << cell << ';';
    s << '\n';
    for (const auto& row : v.results) s << row[0] << ',' << row[1] << ',' << row[2] << ';';
    s << '\n' << Describe(v.meansChart) << '\n' << Describe(v.sdsChart) << '\n';
    if (session.analysis.pilot())
        s << BuildReport(session.analysis, session.inputs, "today", "now");
    return s.str();
}

// What the current inputs of a session are, as the steps that made them.
struct Inputs {
    std::optional<std::vector<std::string>> typed;  // or the example file opened
    bool opened = false;
    std::optional<std::pair<std::string, uint64_t>> generation;  // V and seed
    std::optional<std::string> trimming;                         // P
    bool automatic = false;
    std::optional<int32_t> slider;  // a move after the last Automatic
    std::optional<std::array<std::string, 3>> studentT;  // alpha, error, sd
    bool edited = false;  // the grid changed after the acceptance
};

// The example read as Open reads it, but in this process: thousands of
// steps need no reader process each.
const ImportedSheet& Example() {
    static const ImportedSheet sheet = [] {
        ImportedSheet out;
        out.fileName = std::string(VELTA_SOURCE_DIR) + "/examples/pilot_sample.csv";
        SheetReadResult read;
        EXPECT_TRUE(ParseSheetText(ReadSheetToText(out.fileName, 0), read));
        out.data = read.column;
        return out;
    }();
    return sheet;
}

// Accepts a pilot as the inputs name it.
void AcceptPilot(Session& s, ScriptedPlatform& ui, const Inputs& in) {
    if (in.opened) {
        AcceptSheet(s, ui, Example());
        return;
    }
    s.units.ClearAll();
    test::TypeUnits(s, *in.typed);
    AcceptUnits(s, ui, PilotSource());
}

// A fresh session that runs only what the inputs need, its boxes then typed
// as the other session's are.
Session Replay(const Inputs& in, const TypedInputs& boxes, const Grid& units) {
    Session s;
    ScriptedPlatform ui;
    ui.answers.assign(8, MsgAnswer::Yes);
    if (in.typed || in.opened) AcceptPilot(s, ui, in);
    if (in.generation) {
        s.inputs.virtualSamples = in.generation->first;
        s.inputs.seed = std::to_string(in.generation->second);
        Generate(s, ui);
    }
    if (in.trimming) {
        s.inputs.trimPercent = *in.trimming;
        RunCommand(s, ui, Command::Trim);
    }
    if (in.automatic) {
        RunCommand(s, ui, Command::Automatic);
        WaitForRepeats(s);
    }
    if (in.slider) MoveSlider(s, ui, *in.slider);
    if (in.studentT) {
        s.inputs.alpha = (*in.studentT)[0];
        s.inputs.maxError = (*in.studentT)[1];
        s.inputs.studentSd = (*in.studentT)[2];
        RunCommand(s, ui, Command::StudentT);
    }
    s.inputs = boxes;
    s.units = units;
    if (in.edited) UnitsEdited(s);
    return s;
}

// One random step on the session, with what it does to the inputs.
void Step(std::mt19937& g, Session& s, ScriptedPlatform& ui, Inputs& in, std::string& what) {
    auto pick = [&](auto first, auto... options) {
        using T = std::conditional_t<std::is_same_v<decltype(first), const char*>, std::string,
                                     decltype(first)>;
        const std::array<T, 1 + sizeof...(options)> choices{T(first), T(options)...};
        return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(g)];
    };
    const int kind = std::uniform_int_distribution<int>(0, 11)(g);
    ui.answers.assign(8, MsgAnswer::Yes);
    ui.messages.clear();
    const Analysis& a = s.analysis;
    switch (kind) {
        case 0: {  // typed values, accepted
            std::vector<std::string> values;
            const int n = pick(5, 8, 12, 23);
            for (int i = 0; i < n; ++i)
                values.push_back(std::to_string(10 + static_cast<int>(g() % 900) / 10.0));
            what = "type " + std::to_string(n);
            s.units.ClearAll();
            test::TypeUnits(s, values);
            if (AcceptUnits(s, ui, PilotSource())) {
                // The same values again keep everything computed from them.
                if (!in.typed || *in.typed != values || in.opened) {
                    in = Inputs();
                    in.typed = values;
                }
                in.edited = false;
            }
            break;
        }
        case 1:  // the example opened
            what = "open";
            if (AcceptSheet(s, ui, Example())) {
                in = Inputs();
                in.opened = true;
            }
            break;
        case 2:
        case 3: {
            const std::string V = pick("20", "40", "77", "0");
            const uint64_t seed = g() % 1000;
            what = "generate " + V + " seed " + std::to_string(seed);
            s.inputs.virtualSamples = V;
            s.inputs.seed = std::to_string(seed);
            // As the command table runs it: only when it is available.
            const bool available = IsAvailable(s, Command::Generate);
            if (available) Generate(s, ui);
            if (available && V != "0") {
                in.generation = std::pair{V, seed};
                in.trimming.reset();
                in.automatic = false;
                in.slider.reset();
                in.studentT.reset();
            }
            break;
        }
        case 4:
        case 5: {
            const std::string P = pick("0", "3", "5", "9", "abc");
            what = "trim " + P;
            s.inputs.trimPercent = P;
            if (RunCommand(s, ui, Command::Trim) && P != "abc") {
                in.trimming = P;
                in.automatic = false;
                in.slider.reset();
                in.studentT.reset();
            }
            break;
        }
        case 6:
        case 7: {
            const int32_t size = 2 + static_cast<int32_t>(g() % 24);
            what = "slide " + std::to_string(size);
            if (MoveSlider(s, ui, size) && a.trimming()) {
                const int32_t n = a.pilot()->Size();
                in.slider = std::clamp(size, 2, n - 1);
            }
            break;
        }
        case 8:
            what = "automatic";
            if (RunCommand(s, ui, Command::Automatic)) {
                in.automatic = true;
                // Success hands its size to the manual answer; a failure
                // leaves the manual answer as it was.
                if (a.automatic() && a.automatic()->succeeded) in.slider.reset();
            }
            break;
        case 9: {
            const std::array<std::string, 3> t = {pick("0.01", "0.05", "0.10"),
                                                  pick("0.5", "1", "2", "5", "x"),
                                                  pick(s.inputs.studentSd, "1.2", "-1")};
            what = "student " + t[0] + " " + t[1] + " " + t[2];
            s.inputs.alpha = t[0];
            s.inputs.maxError = t[1];
            s.inputs.studentSd = t[2];
            if (RunCommand(s, ui, Command::StudentT)) {
                // An answer for every valid input, within the charts or beyond.
                const auto sd = ParseStudentSd(t[2]);
                const auto d = ParseMaxError(t[1]);
                if (sd && d && StudentTSize(*sd, *d, *AlphaOf(t[0]))) in.studentT = t;
            }
            break;
        }
        case 10:
            what = "new";
            // Edited units are discarded when New asks about them.
            ui.answers.assign(1, MsgAnswer::Discard);
            RunCommand(s, ui, Command::New);
            in = Inputs();
            break;
        case 11:
            what = "edit";
            s.units.SetCell(1, 2, std::to_string(g() % 100));
            UnitsEdited(s);
            in.edited = in.typed || in.opened;
            break;
    }
}

}  // namespace

TEST(StaleResults, EveryStepShowsWhatAFreshAnalysisOfItsInputsShows) {
    const char* more = std::getenv("VELTA_STALE_SEQUENCES");
    const int sequences = more ? std::atoi(more) : 500;
    for (int seq = 0; seq < sequences; ++seq) {
        std::mt19937 g(static_cast<uint32_t>(seq));
        Session s;
        ScriptedPlatform ui;
        Inputs in;
        std::string road;
        const int steps = 1 + static_cast<int>(g() % 12);
        for (int i = 0; i < steps; ++i) {
            std::string what;
            Step(g, s, ui, in, what);
            road += what + "; ";
            // Repeats at work are compared once done: their spread too must
            // be that of the current inputs.
            WaitForRepeats(s);
            const Session fresh = Replay(in, s.inputs, s.units);
            ASSERT_EQ(Describe(s), Describe(fresh)) << "sequence " << seq << ": " << road;
        }
    }
}
