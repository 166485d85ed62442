// How much the automatic size moves: the repeats are reproducible, a new
// generation or trimming drops them, a repeat that cannot succeed is
// counted, and what the window and the report say of them agrees.
#include "commands/repeats.h"

#include <gtest/gtest.h>

#include "io/report.h"
#include "road.h"

namespace velta {
namespace {

using test::Road;

double Leaf(int32_t i) {
    static const double units[] = {41.2, 38.7, 45.1, 39.9, 43.4, 40.8, 44.0, 37.5,
                                   42.3, 46.2, 39.1, 41.7, 43.9, 40.2, 38.4, 44.8,
                                   42.9, 41.0, 39.6, 45.5, 40.5, 42.1, 43.2, 38.9};
    return units[i - 1];
}

// The road to Automatic at V, from `seed`, with R repeats.
void ToAutomatic(Road& r, const std::string& seed, int32_t R) {
    r.s.inputs.seed = seed;
    r.s.repeats = R;
    r.Trimmed("5");
    r.Run(Command::Automatic);
}

}  // namespace

// (The spread of what the repeats find is pinned by the stored whole-road report.)
TEST(Repeats, ReproducibleOnAnyNumberOfThreadsAndSeedDependent) {
    Road r(24, "2000", Leaf);
    ToAutomatic(r, "5489", 6);
    WaitForRepeats(r.s);
    const RepeatsAnswer* repeats = r.analysis().repeats();
    ASSERT_NE(repeats, nullptr);
    ASSERT_EQ(repeats->Count(), 6);
    // The same inputs again, on another number of threads: the same sizes.
    std::atomic<bool> cancel{false};
    std::atomic<int32_t> done{0};
    EXPECT_EQ(RepeatAutomaticSizes(repeats->inputs, 6, 1, cancel, done), repeats->sizes);
    EXPECT_EQ(done.load(), 6);
    // Another seed, other repeats.
    RepeatInputs other = repeats->inputs;
    other.seed = 7;
    EXPECT_NE(RepeatAutomaticSizes(other, 6, 2, cancel, done), repeats->sizes);
}

// While they work the window says so, and a new trimming stops them at once
// (that a new generation or trimming leaves nothing of them once done is the
// stale-results test's). Seed 5489 at 20000 is one of the draws of this
// pilot for which the procedure cannot succeed; the repeats say what the
// others give.
TEST(Repeats, WorkingThenDroppedAndAnAutomaticThatCannotSucceedIsRepeated) {
    Road r(24, "20000", Leaf);
    ToAutomatic(r, "5489", 4);
    ASSERT_FALSE(r.analysis().automatic()->succeeded);
    ASSERT_NE(r.s.repeatsJob, nullptr);
    EXPECT_EQ(r.View().automaticSpread, "in 4 repeats: working...");
    EXPECT_EQ(r.View().repeatsProgress.rfind("Repeating the automatic procedure: ", 0), 0u);
    r.s.inputs.trimPercent = "3";
    ASSERT_TRUE(r.Run(Command::Trim));
    EXPECT_EQ(r.s.repeatsJob, nullptr);
    EXPECT_EQ(r.View().automaticSpread + r.View().repeatsProgress, "");
    ToAutomatic(r, "5489", 4);
    WaitForRepeats(r.s);
    EXPECT_EQ(r.View().automaticSpread, "in 4 repeats: always 19");
    EXPECT_EQ(r.View().automaticSize, "");

    // Too few units for any breakpoint: nothing to repeat.
    Road tiny(6, "20", Leaf);
    ToAutomatic(tiny, "5489", 4);
    ASSERT_FALSE(tiny.analysis().automatic()->succeeded);
    EXPECT_EQ(tiny.s.repeatsJob, nullptr);
}

// The line under the automatic size (the report's block of them is checked
// against the stored reports).
TEST(Repeats, WhatTheWindowAndTheReportSay) {
    using Sizes = std::vector<std::optional<int32_t>>;
    for (const auto& [sizes, line] : std::vector<std::pair<Sizes, std::string>>{
             {{19, 19, 19}, "in 3 repeats: always 19"},
             {{19, std::nullopt, 17, 19},
              "in 4 repeats: 17 to 19 (median 19; 1 could not succeed)"},
             {{5, 6}, "in 2 repeats: 5 to 6 (median 5.5)"},
             {{std::nullopt, std::nullopt}, "in 2 repeats: none could succeed"}})
        EXPECT_EQ(RepeatsText(RepeatsAnswer{{}, sizes}), line);
    // At work when the report is written: it says how far they came.
    Road r(12, "40");
    ToAutomatic(r, "5489", 0);
    const std::string early = BuildReport(r.s.analysis, r.s.inputs, "d", "t", RepeatsAtWork{7, 20});
    EXPECT_NE(early.find("Repeats of the automatic procedure: 20\r\nRange of the automatic sample "
                         "size: not finished when the report was written (7 of 20)\r\n"),
              std::string::npos);
}

}  // namespace velta
