// "Generate the virtual samples" driven headless: its checks and questions,
// what a generation puts into the analysis, its progress window and abort.
#include "commands/generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "road.h"

using namespace velta;
using test::Road;

namespace {

const std::string kInvalid =
    "The specified number of virtual samples is not valid: type a whole number from 1 to "
    "2,147,483,646";
const std::string kExceeds =
    "The specified number of virtual samples exceeds the maximum number, and it will "
    "generate redundant samples.\rDo you want to continue anyway?";
const std::string kHigh =
    "The specified number of virtual samples is high, and it may take a quite long time for "
    "generation.\rDo you want to continue anyway?";

// Int of the extremes of a table over the given rows.
AxisRange Range(const Table2D& t, int32_t from, int32_t to, int32_t step, int32_t V) {
    double lo = 1e300, hi = -1e300;
    for (int32_t r = from; r <= to; r += step)
        for (int32_t j = 0; j < V; ++j) lo = std::min(lo, t(r, j)), hi = std::max(hi, t(r, j));
    return {static_cast<int32_t>(std::floor(lo)), static_cast<int32_t>(std::floor(hi)) + 1};
}

}  // namespace

TEST(Generate, ValidatesTheNumberAndAsksAboutRedundantOrManySamples) {
    // N = 10 allows 252 distinct samples, N = 6 allows 20, N = 24 allows
    // C(24, 12) = 2,704,156, shown rounded as 2.70E+06: the comparison is
    // with the exact maximum. More than 300,000 is asked about. Answering No
    // stops.
    const struct {
        int32_t n;
        const char* v;
        std::string message;
    } cases[] = {{10, "0", kInvalid},
                 {10, "abc", kInvalid},
                 {10, "2.5", kInvalid},
                 {10, "2147483647", kInvalid},
                 {10, "12,34", kInvalid},
                 {10, "252", {}},
                 {6, "20", {}},
                 {24, "300000", {}},
                 {24, "300001", kHigh},
                 {10, "253", kExceeds},
                 {6, "21", kExceeds},
                 {10, "1,234", kExceeds},
                 // The maximum as the window shows it is the maximum.
                 {24, "2,704,156", kHigh},
                 {24, " 2,704,157 ", kExceeds}};
    EXPECT_EQ(Road(24).View().maximumNumber, "Maximum number: 2,704,156");
    for (const auto& c : cases) {
        Road r(c.n, c.v);
        r.ui.answers = {MsgAnswer::No};
        r.Generate();
        EXPECT_EQ(r.analysis().generation() == nullptr, !c.message.empty()) << c.v;
        ASSERT_EQ(r.ui.messages.empty(), c.message.empty()) << c.v;
        if (c.message.empty()) continue;
        const bool invalid = c.message == kInvalid;
        EXPECT_EQ(r.ui.messages[0].buttons, invalid ? MsgButtons::Ok : MsgButtons::YesNo);
        test::ExpectOnlyMessage(r.ui, c.message, invalid ? MsgIcon::Critical : MsgIcon::None, c.v);
    }
}

TEST(Generate, TheGenerationAndTheCloudsTheChartsShow) {
    for (auto [n, v, jump] : {std::tuple{10, 40, 1}, {45, 30, 3}}) {
        Road r(n, std::to_string(v));
        r.Generate();
        ASSERT_TRUE(r.ui.messages.empty());
        const Generation& g = *r.analysis().generation();
        EXPECT_EQ(std::tuple(g.samples, g.jump, g.completedAt), std::tuple(v, jump, "12:00:00"));
        // The fixed value ranges cover the rows that hold data, never the zero rows.
        EXPECT_EQ(g.meansAxis, Range(g.tables->means, jump - 1, n - 2, jump, v)) << n;
        EXPECT_EQ(g.sdsAxis, Range(g.tables->sds, jump - 1, n - 2, jump, v)) << n;
        const WindowView view = r.View();
        const ChartPicture& c = view.meansChart;
        EXPECT_EQ(c.cloud.get(), &g.tables->means);
        EXPECT_EQ(std::tuple(c.samples, c.categories, c.step, c.lastPoint, c.axis),
                  std::tuple(v, n - 2, jump, n - 3, g.meansAxis));
        EXPECT_TRUE(view.canTrim && !view.canAutomatic && !view.trimmed);
        EXPECT_FALSE(r.s.generationRunning || r.s.progress.shown);
    }
    // Clouds beyond the 16-bit bound of the shared array routines.
    Road big(20, "40000");
    big.ui.answers = {MsgAnswer::Yes};
    big.Generate();
    ASSERT_TRUE(big.analysis().generation());
    EXPECT_GT(big.analysis().generation()->meansAxis.upper,
              big.analysis().generation()->meansAxis.lower);
}

// A millisecond a clock read: the pauses offered at every sample happen only
// when due.
TEST(Generate, PausesOnlyWhenDue) {
    Road r(5, "400");
    r.ui.answers = {MsgAnswer::Yes};
    r.Generate();
    EXPECT_GT(r.ui.processEventsCalls, 2);
    EXPECT_LT(r.ui.processEventsCalls, 100);
}

TEST(Generate, ProgressWindowFollowsThePhasesAndOnlyHelpAboutExitRun) {
    Road r(10, "4");
    r.ui.clockStep = 1.0;  // every offered pause happens
    std::vector<float> bar1AfterSecond;
    bool phase2Seen = false;
    r.ui.onProcessEvents = [&] {
        const GenerationProgress& p = r.s.progress;
        EXPECT_TRUE(p.shown);
        if (p.phases[0].active && p.drawn == 2) bar1AfterSecond.push_back(p.bars[0]);
        if (p.phases[1].active && !phase2Seen) {
            phase2Seen = true;
            EXPECT_TRUE(p.phases[0].reached && !p.phases[0].active);
            EXPECT_FALSE(p.phases[2].reached);
            EXPECT_EQ(p.bars[0], 100.0f);
        }
        // Other commands wait for the generation; About does not.
        EXPECT_FALSE(r.Run(Command::Generate));
        EXPECT_FALSE(r.Run(Command::New));
        EXPECT_FALSE(r.Slide(3));
        EXPECT_TRUE(r.Run(Command::About));
    };
    r.Generate();
    EXPECT_EQ(r.ui.processEventsCalls, 8);  // every sample of phases 1 and 2
    EXPECT_EQ(bar1AfterSecond, std::vector<float>{50.0f});
    EXPECT_TRUE(phase2Seen);
    EXPECT_FALSE(r.s.progress.shown || r.s.generationRunning);
}

TEST(Generate, AbortInEitherPhaseKeepsThePreviousAnalysis) {
    Road r(10, "30");
    r.ui.clockStep = 1.0;
    r.Trimmed();
    ASSERT_TRUE(r.Run(Command::Automatic));
    const auto tables = r.analysis().trimming()->tables;
    const std::string automatic = r.View().automaticSize;
    for (int phase : {0, 1}) {
        r.ui.onProcessEvents = [&] {
            if ((phase == 0 ? r.s.progress.drawn : r.s.progress.summarised) >= 5)
                r.s.abortRequested = true;
        };
        r.Generate();
        EXPECT_EQ(r.analysis().trimming()->tables, tables) << phase;
        EXPECT_EQ(r.View().automaticSize, automatic);
        EXPECT_FALSE(r.s.abortRequested || r.s.progress.shown || r.s.generationRunning);
    }
}

// A generation that cannot fit in the memory at hand is refused before any
// question.
TEST(Generate, RefusesWhatMemoryCannotHold) {
    Road r(30, "5000000");
    r.ui.availableMemory = uint64_t{1} << 30;
    r.Generate();
    ASSERT_EQ(r.ui.messages.size(), 1u);
    const auto& m = r.ui.messages[0];
    EXPECT_EQ(std::tuple(m.icon, m.title), std::tuple(MsgIcon::Critical, kVeltaTitle));
    EXPECT_NE(m.text.find("5000000 virtual samples"), std::string::npos) << m.text;
    EXPECT_NE(m.text.find("1024 MB are available"), std::string::npos) << m.text;
    EXPECT_FALSE(r.analysis().generation() || r.s.generationRunning);
}
