// The analysis model: a manual size carries its own statistics and
// coefficients, the automatic ones at the automatic size. (What a new stage
// clears is walked by the stale-results property.)
#include "analysis/analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "analysis/trimming.h"

using namespace velta;

namespace {

Pilot SpreadPilot(int32_t n) {
    std::vector<std::string> texts;
    std::vector<double> values;
    for (int32_t i = 1; i <= n; ++i) {
        values.push_back(12.5 + std::fmod(i * 7.3, 5.1));
        texts.push_back(std::to_string(values.back()));
    }
    bool finite = false;
    return MakePilot(texts, values, {}, finite);
}

Generation Generate(const Pilot& p, int32_t V, uint64_t seed = 7) {
    Generation g;
    g.samples = V;
    g.jump = JumpFor(p.Size());
    g.seed = seed;
    RandomSource rng(seed);
    g.tables = std::make_shared<CloudTables>(
        *GenerateClouds(p.OneBased(), V, g.jump, rng, NoProgress()));
    return g;
}

Trimming Trim(const Generation& g, int32_t P) {
    return {P, std::make_shared<CloudTables>(TrimClouds(*g.tables, P))};
}

// A whole analysis: every stage filled.
Analysis Whole(const Pilot& p) {
    Analysis a;
    a.SetPilot(p);
    a.SetGeneration(Generate(p, 60));
    a.SetTrimming(Trim(*a.generation(), 5));
    const int32_t jump = a.generation()->jump;
    a.SetAutomatic(FindAutomaticSize(*a.trimming()->tables, jump));
    a.SetManual(ManualAnswerAt(*a.trimming(), jump, 6, a.automatic()));
    a.SetStudentT({"0.05", "1", 1.0, "2", 2.0, 9, StatisticsAtSize(*a.trimming()->tables, jump, 9)});
    return a;
}

}  // namespace

TEST(Analysis, AManualSizeCarriesItsOwnStatisticsAndCoefficients) {
    const Pilot p = SpreadPilot(16);
    const Analysis a = Whole(p);
    const Trimming& t = *a.trimming();
    const int32_t jump = a.generation()->jump;
    const AutomaticAnswer& automatic = *a.automatic();
    ASSERT_TRUE(automatic.succeeded);

    // Sizes 2 and 3 have no coefficients; from 4 on the plain smallest
    // standard deviation is used.
    for (int32_t size : {2, 3}) EXPECT_FALSE(ManualAnswerAt(t, jump, size, &automatic).cv) << size;
    const int32_t other = automatic.size == 7 ? 8 : 7;
    const ManualAnswer m = ManualAnswerAt(t, jump, other, &automatic);
    EXPECT_EQ(m.statistics, StatisticsAtSize(*t.tables, jump, other));
    ASSERT_TRUE(m.cv);
    EXPECT_EQ(m.cv->lower, m.statistics.minB / m.statistics.meanA * 100.0);
    EXPECT_EQ(m.cv->upper, m.statistics.maxB / m.statistics.meanA * 100.0);

    // At the automatic size the coefficients are the automatic ones.
    const ManualAnswer same = ManualAnswerAt(t, jump, automatic.size, &automatic);
    EXPECT_EQ(same.statistics, automatic.statistics);
    EXPECT_EQ(same.cv, automatic.cv);
}
