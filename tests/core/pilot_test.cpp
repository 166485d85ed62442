// Accepting the typed values as the pilot: the statistics shown against
// hand and NIST values, the maximum number of virtual samples and its cap,
// and refusals that change nothing.
#include "analysis/pilot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cases.h"
#include "data/presample.h"
#include "road.h"
#include "strd_reader.h"

using namespace velta;

namespace {

struct Typed {
    Session s;
    ScriptedPlatform ui;
    explicit Typed(const std::vector<std::string>& cells = {}) { test::TypeUnits(s, cells); }
    bool Accept() { return AcceptUnits(s, ui, PilotSource()); }
    // The shown texts of every statistic and of the boxes the acceptance fills.
    std::string Shown() const {
        const WindowView v = WindowViewOf(s);
        return v.mean + "|" + v.sd + "|" + v.n + "|" + v.jackknifeSd + "|" + v.jackknifeSeMean +
               "|" + v.jackknifeSeSd + "|" + v.inputs.studentSd + "|" + v.maximumNumber + "|" +
               v.inputs.virtualSamples + "|" + (v.canGenerate ? "1" : "0");
    }
};

}  // namespace

TEST(Pilot, OneToFiveShowsEveryStatistic) {
    Typed f({"1", "2", "3", "4", "5"});
    EXPECT_TRUE(f.Accept());
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.Shown(), "3|1.581|5|1.647|0.707|0.455|1.58114|Maximum number: 10|10|1");

    Typed same({"7", "7", "7", "7"});  // constant values have zero spread
    EXPECT_TRUE(same.Accept());
    const WindowView v = WindowViewOf(same.s);
    EXPECT_EQ(v.mean + " " + v.sd + " " + v.jackknifeSeMean, "7 0 0");
    EXPECT_EQ(same.s.inputs.studentSd, "0");
}

TEST(Pilot, MaximumNumberAndTheCapOfTheRequestedNumber) {
    // Exact while the window shows every digit (R's choose() agrees).
    for (const auto& [n, max] : {std::pair{4, 6.0},
                                 {7, 35.0},
                                 {20, 184756.0},
                                 {53, 973469712824056.0},
                                 {54, 1946939425648112.0}})
        EXPECT_EQ(MaxVirtualSamples(n), max) << n;
    EXPECT_NEAR(MaxVirtualSamples(1000) / 2.702882409454366e299, 1.0, 1e-11);

    std::vector<std::string> thousand;
    for (int i = 0; i < 1000; ++i) thousand.push_back(std::to_string((i * 37) % 101));
    // Large pilots get a finite maximum, and the default stays under it.
    Typed big(thousand);
    EXPECT_TRUE(big.Accept());
    EXPECT_EQ(WindowViewOf(big.s).n, "1000");
    EXPECT_EQ(WindowViewOf(big.s).maximumNumber, "Maximum number: 2.70E+299");
    EXPECT_EQ(big.s.inputs.virtualSamples, "30000");
}

TEST(Pilot, BadCellsAndSizesLeaveEverythingAsItWas) {
    Typed f({"1", "2", "3", "4", "5"});
    ASSERT_TRUE(f.Accept());
    const std::string before = f.Shown();
    // Typed values: the first bad cell is named.
    const std::string bad = std::string(kBadTypedValuesMessage) + "\r\rCell ";
    for (test::Case c : test::ReadCases("typed_refusals.txt")) {
        std::vector<std::string> cells = test::Split(c[0], '|');
        if (const size_t times = c[0].find('*'); times != std::string::npos)
            cells.assign(std::stoul(c[0].substr(times + 1)), c[0].substr(0, times));
        if (c[1].starts_with("BAD ")) c[1] = bad + c[1].substr(4);
        Typed g;
        g.s = f.s;
        g.s.units.ClearAll();
        test::TypeUnits(g.s, cells);
        EXPECT_FALSE(g.Accept()) << c[1];
        test::ExpectOnlyMessage(g.ui, c[1], MsgIcon::Critical);
        EXPECT_EQ(g.Shown(), before);
    }
    // A value in another column makes its row part of the data.
    Typed other({"1", "2", "3"});
    other.s.units.SetCell(2, 4, "9");
    EXPECT_FALSE(other.Accept());
}

// Mean and standard deviation against the certified values of the NIST StRD
// univariate data sets.
TEST(Pilot, NistUnivariateReferenceValues) {
    for (const char* name : {"Lew", "Lottery", "Mavro", "Michelso", "NumAcc1", "NumAcc2", "NumAcc3",
                             "NumAcc4", "PiDigits"}) {
        const auto file = reference::ReadStrd(name);
        std::vector<double> x{0.0};  // one-based
        for (double v : file.Column(0)) x.push_back(v);
        const SampleStats s = ComputeSampleStats(x);
        const std::string_view n = name;  // the two hardest sets lose some digits
        const double sdDigits = n == "NumAcc3" || n == "NumAcc4" ? 8 : 12;
        EXPECT_EQ(s.n, file.Certified("n")) << name;
        EXPECT_GE(reference::AgreeingDigits(s.mean, file.Certified("mean")), 12.0) << name;
        EXPECT_GE(reference::AgreeingDigits(s.sd, file.Certified("sd")), sdDigits) << name;
    }
}
