// "Generate the virtual samples" driven headless: its checks and questions,
// what a generation puts into the analysis, its progress window and abort.
#include "commands/generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "cases.h"
#include "road.h"

using namespace velta;
using test::Road;

TEST(Generate, ValidatesTheNumberAndAsksAboutRedundantOrManySamples) {
    EXPECT_EQ(Road(24).View().maximumNumber, "Maximum number: 2,704,156");
    for (const test::Case& c : test::ReadCases("virtual_samples.txt")) {
        Road r(std::stoi(c[0]), c[1]);
        r.ui.availableMemory = uint64_t{4} << 30;
        r.ui.answers = {MsgAnswer::No};
        r.Generate();
        const bool asked = c.size() > 2 && c[2] == "asked", refused = c.size() > 2 && !asked;
        EXPECT_EQ(r.analysis().generation() == nullptr, asked || refused) << c[1];
        if (!asked && !refused) {
            EXPECT_TRUE(r.ui.messages.empty()) << c[1] << ": " << r.ui.LastMessage();
            continue;
        }
        ASSERT_FALSE(r.ui.messages.empty()) << c[1];
        EXPECT_EQ(r.ui.messages[0].buttons, asked ? MsgButtons::YesNo : MsgButtons::Ok);
        test::ExpectOnlyMessage(r.ui, c[3], asked ? MsgIcon::None : MsgIcon::Critical, c[1]);
    }
}

TEST(Generate, TheGenerationAndTheCloudsTheChartsShow) {
    // Clouds beyond the 16-bit bound of the shared array routines too.
    for (auto [n, v, jump] : {std::tuple{10, 40, 1}, {45, 30, 3}, {20, 40000, 1}}) {
        Road r(n, std::to_string(v));
        r.ui.answers = {MsgAnswer::Yes};
        r.Generate();
        ASSERT_TRUE(r.analysis().generation());
        const Generation& g = *r.analysis().generation();
        EXPECT_EQ(std::tuple(g.samples, g.jump, g.completedAt), std::tuple(v, jump, "12:00:00"));
        // The fixed value ranges cover the rows that hold data, never the zero rows.
        for (auto [t, axis] :
             {std::pair{&g.tables->means, g.meansAxis}, {&g.tables->sds, g.sdsAxis}}) {
            double lo = 1e300, hi = -1e300;
            for (int32_t row = jump - 1; row <= n - 2; row += jump)
                for (int32_t j = 0; j < v; ++j)
                    lo = std::min(lo, (*t)(row, j)), hi = std::max(hi, (*t)(row, j));
            EXPECT_EQ(axis, (AxisRange{int32_t(std::floor(lo)), int32_t(std::floor(hi)) + 1}));
        }
        const WindowView view = r.View();
        const ChartPicture& c = view.meansChart;
        EXPECT_EQ(c.cloud.get(), &g.tables->means);
        EXPECT_EQ(std::tuple(c.samples, c.categories, c.step, c.lastPoint, c.axis),
                  std::tuple(v, n - 2, jump, n - 3, g.meansAxis));
    }
}

// At a second a clock read every pause happens. An abort in either phase
// keeps the previous analysis; otherwise the bars follow the phases, and
// other commands wait for the generation; About does not.
TEST(Generate, AbortInEitherPhaseAndTheProgressWindow) {
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
    r.s.inputs.virtualSamples = "4";
    r.ui.processEventsCalls = 0;
    std::vector<float> bars;
    r.ui.onProcessEvents = [&] {
        const GenerationProgress& p = r.s.progress;
        EXPECT_TRUE(p.shown);
        if (p.drawn == 2 && p.phases[0].active) bars.push_back(p.bars[0]);
        if (p.summarised == 1 && p.phases[1].active) bars.push_back(p.bars[0]);
        EXPECT_FALSE(p.phases[2].reached);
        EXPECT_FALSE(r.Run(Command::New) || r.Slide(3));
        EXPECT_TRUE(r.Run(Command::About));
    };
    r.Generate();
    EXPECT_EQ(r.ui.processEventsCalls, 8);  // every sample of phases 1 and 2
    EXPECT_EQ(bars, (std::vector<float>{50.0f, 100.0f}));
    EXPECT_FALSE(r.s.progress.shown || r.s.generationRunning);
    EXPECT_EQ(r.analysis().generation()->samples, 4);
}
