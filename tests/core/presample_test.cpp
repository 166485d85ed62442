#include "data/presample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "platform/scripted/scripted_platform.h"
#include "strd_reader.h"

using namespace velta;

namespace {

struct Fixture {
    Workspace ws;
    ScriptedPlatform ui;
    Fixture() { Form_Load(ws); }
    void Column(const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i)
            ws.sprMain.SetCell(1, static_cast<int32_t>(i) + 1, cells[i]);
    }
};

std::vector<double> OneBased(const std::vector<double>& v) {
    std::vector<double> x{0.0};
    x.insert(x.end(), v.begin(), v.end());
    return x;
}

}  // namespace

TEST(PreSample, OneToFiveShowsEveryStatistic) {
    Fixture f;
    f.Column({"1", "2", "3", "4", "5"});
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.ws.txtSampleMean.text, "3.");
    EXPECT_EQ(f.ws.txtSampleStDev.text, "1.581");
    EXPECT_EQ(f.ws.txtSampleN.text, "5");
    EXPECT_EQ(f.ws.txtOrvoStDev.text, "1.647");
    EXPECT_EQ(f.ws.txtOrvoStErr.text, ".707");
    EXPECT_EQ(f.ws.txtOrvoStErrSD.text, ".455");
    EXPECT_EQ(f.ws.Text2.text, "1.58");
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 1.00E+01");
    EXPECT_EQ(f.ws.txtLimite.text, "10");
    EXPECT_EQ(f.ws.PreSampleReady, "1");
    EXPECT_TRUE(f.ws.cmdEsegui.enabled);

    const SampleStats s = ComputeSampleStats(std::vector<double>{0, 1, 2, 3, 4, 5});
    EXPECT_NEAR(s.sd, 1.58113883, 1e-8);
    EXPECT_NEAR(s.jackknifeSd, 1.64698934, 1e-8);
    EXPECT_NEAR(s.jackknifeSeMean, 0.70710678, 1e-8);
    EXPECT_NEAR(s.jackknifeSeSd, 0.45514122, 1e-8);
}

TEST(PreSample, MaximumNumberAndTheCapOfTheRequestedNumber) {
    EXPECT_EQ(MaxVirtualSamples(4), 6.0);
    EXPECT_EQ(MaxVirtualSamples(7), 35.0);
    EXPECT_EQ(MaxVirtualSamples(20), 184756.0);
    // Beyond 170 values the factorials overflow; the log-gamma value stays close.
    EXPECT_NEAR(MaxVirtualSamples(171) / MaxVirtualSamples(170), 171.0 / 86.0, 1e-9);
    EXPECT_NEAR(MaxVirtualSamples(1000) / 2.702882409454366e299, 1.0, 1e-11);

    Fixture f;
    std::vector<std::string> twelve;
    for (int i = 1; i <= 12; ++i) twelve.push_back(std::to_string(i * 1.5));
    f.Column(twelve);
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_EQ(f.ws.txtLimite.text, "250");  // C(12, 6) = 924 is larger
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 9.24E+02");
    // Running again shows one number after the prefix.
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 9.24E+02");

    f.ws.txtLimite.text = "abc";  // not a number: left for the generation to refuse
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_EQ(f.ws.txtLimite.text, "abc");
}

TEST(PreSample, LargePreSamplesGetAFiniteMaximum) {
    Fixture f;
    std::vector<std::string> cells;
    for (int i = 0; i < 1000; ++i) cells.push_back(std::to_string((i * 37) % 101));
    f.Column(cells);
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_EQ(f.ws.txtSampleN.text, "1000");
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 2.70E+299");
    EXPECT_EQ(f.ws.txtLimite.text, "250");
}

TEST(PreSample, BadCellsLeaveEverythingAsItWas) {
    Fixture f;
    f.Column({"1", "2", "3", "4", "5"});
    ASSERT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    const Workspace before = f.ws;

    for (const char* bad : {"abc", "1e999", "nan", "inf", " "}) {
        Fixture g;
        g.ws = before;
        g.ws.sprMain.SetCell(1, 3, bad);
        EXPECT_FALSE(ComputePreSampleStats(g.ws, g.ui)) << bad;
        ASSERT_EQ(g.ui.messages.size(), 1u);
        EXPECT_EQ(g.ui.messages[0].text,
                  "There is something wrong with the file you are trying to open. Please, check");
        EXPECT_EQ(g.ui.messages[0].title, "VELTA");
        EXPECT_EQ(g.ui.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(g.ws.txtSampleMean.text, "3.");
        EXPECT_EQ(g.ws.Label17.text, "Maximum number: 1.00E+01");
    }

    // A gap between values is an empty cell inside the data rows.
    Fixture gap;
    gap.Column({"1", "2", "", "4", "5"});
    EXPECT_FALSE(ComputePreSampleStats(gap.ws, gap.ui));
    EXPECT_EQ(gap.ws.PreSampleReady, "0");
    EXPECT_FALSE(gap.ws.cmdEsegui.enabled);
    EXPECT_EQ(gap.ws.txtSampleMean.text, "");

    // A value in another column makes its row part of the data.
    Fixture other;
    other.Column({"1", "2", "3"});
    other.ws.sprMain.SetCell(2, 4, "9");
    EXPECT_FALSE(ComputePreSampleStats(other.ws, other.ui));
}

TEST(PreSample, SizesOutsideTheSupportedRangeAreRefused) {
    for (int n : {0, 1, 2, 1001}) {
        Fixture f;
        std::vector<std::string> cells(static_cast<size_t>(n), "4.5");
        f.Column(cells);
        EXPECT_FALSE(ComputePreSampleStats(f.ws, f.ui)) << n;
        ASSERT_EQ(f.ui.messages.size(), 1u) << n;
        EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(f.ui.messages[0].title, "VELTA");
        EXPECT_EQ(f.ws.PreSampleReady, "0");
        EXPECT_EQ(f.ws.txtSampleN.text, "");
        EXPECT_EQ(f.ws.Label17.text, "Maximum number: ");
    }
}

TEST(PreSample, ValuesWhoseStatisticsOverflowAreRefused) {
    Fixture f;
    f.Column({"1e300", "-1e300", "1e300"});
    EXPECT_FALSE(ComputePreSampleStats(f.ws, f.ui));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ws.PreSampleReady, "0");
    EXPECT_EQ(f.ws.txtSampleStDev.text, "");
}

TEST(PreSample, ConstantValuesHaveZeroSpread) {
    Fixture f;
    f.Column({"7", "7", "7", "7"});
    EXPECT_TRUE(ComputePreSampleStats(f.ws, f.ui));
    EXPECT_EQ(f.ws.txtSampleMean.text, "7.");
    EXPECT_EQ(f.ws.txtSampleStDev.text, ".");
    EXPECT_EQ(f.ws.txtOrvoStErr.text, ".");
}

TEST(PreSample, StandardErrorOfTheMeanIsSdOverRootN) {
    const std::vector<double> x{0, 3.1, 9.4, 2.2, 7.7, 5.0, 1.3, 8.8, 6.6};
    const SampleStats s = ComputeSampleStats(x);
    EXPECT_NEAR(s.jackknifeSeMean, s.sd / std::sqrt(8.0), 1e-12);
}

// Mean and standard deviation against the certified values of the NIST StRD
// univariate data sets.
TEST(PreSample, NistUnivariateReferenceValues) {
    struct Case {
        const char* name;
        double sdDigits;
    };
    for (const Case& c : {Case{"Lew", 12}, Case{"Lottery", 12}, Case{"Mavro", 12},
                          Case{"Michelso", 12}, Case{"NumAcc1", 12}, Case{"NumAcc2", 12},
                          Case{"NumAcc3", 8}, Case{"NumAcc4", 8}, Case{"PiDigits", 12}}) {
        const auto file = reference::ReadStrd(c.name);
        const SampleStats s = ComputeSampleStats(OneBased(file.Column(0)));
        EXPECT_EQ(s.n, file.Certified("n")) << c.name;
        EXPECT_GE(reference::AgreeingDigits(s.mean, file.Certified("mean")), 12.0) << c.name;
        EXPECT_GE(reference::AgreeingDigits(s.sd, file.Certified("sd")), c.sdDigits) << c.name;
    }
}
