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
    // A fresh workspace with the cells typed in column 1.
    explicit Fixture(const std::vector<std::string>& cells = {}) {
        Form_Load(ws);
        for (size_t i = 0; i < cells.size(); ++i)
            ws.sprMain.SetCell(1, static_cast<int32_t>(i) + 1, cells[i]);
    }
    bool Run() { return ComputePreSampleStats(ws, ui); }
};

// One critical message titled "VELTA".
void ExpectOneCritical(const ScriptedPlatform& ui) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "VELTA");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);
}

// The shown texts of every statistic, joined by '|'.
std::string Shown(const Workspace& ws) {
    std::string s;
    for (const Field* f :
         {&ws.txtSampleMean, &ws.txtSampleStDev, &ws.txtSampleN, &ws.txtOrvoStDev, &ws.txtOrvoStErr,
          &ws.txtOrvoStErrSD, &ws.Text2, &ws.Label17, &ws.txtLimite})
        s += f->text + "|";
    return s + ws.PreSampleReady;
}

}  // namespace

TEST(PreSample, OneToFiveShowsEveryStatistic) {
    Fixture f({"1", "2", "3", "4", "5"});
    EXPECT_TRUE(f.Run());
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(Shown(f.ws), "3.|1.581|5|1.647|.707|.455|1.58|Maximum number: 1.00E+01|10|1");
    EXPECT_TRUE(f.ws.cmdEsegui.enabled);

    const SampleStats s = ComputeSampleStats(std::vector<double>{0, 1, 2, 3, 4, 5});
    EXPECT_NEAR(s.sd, 1.58113883, 1e-8);
    EXPECT_NEAR(s.jackknifeSd, 1.64698934, 1e-8);
    EXPECT_NEAR(s.jackknifeSeMean, 0.70710678, 1e-8);
    EXPECT_NEAR(s.jackknifeSeSd, 0.45514122, 1e-8);
    // The jackknife standard error of the mean is sd / sqrt(n).
    const SampleStats t = ComputeSampleStats({0, 3.1, 9.4, 2.2, 7.7, 5.0, 1.3, 8.8, 6.6});
    EXPECT_NEAR(t.jackknifeSeMean, t.sd / std::sqrt(8.0), 1e-12);

    Fixture same({"7", "7", "7", "7"});  // constant values have zero spread
    EXPECT_TRUE(same.Run());
    EXPECT_EQ(same.ws.txtSampleMean.text + same.ws.txtSampleStDev.text + same.ws.txtOrvoStErr.text,
              "7...");
}

TEST(PreSample, MaximumNumberAndTheCapOfTheRequestedNumber) {
    for (const auto& [n, max] : {std::pair{4, 6.0}, {7, 35.0}, {20, 184756.0}})
        EXPECT_EQ(MaxVirtualSamples(n), max) << n;
    // Beyond 170 values the factorials overflow; the log-gamma value stays close.
    EXPECT_NEAR(MaxVirtualSamples(171) / MaxVirtualSamples(170), 171.0 / 86.0, 1e-9);
    EXPECT_NEAR(MaxVirtualSamples(1000) / 2.702882409454366e299, 1.0, 1e-11);

    std::vector<std::string> twelve, thousand;
    for (int i = 1; i <= 12; ++i) twelve.push_back(std::to_string(i * 1.5));
    for (int i = 0; i < 1000; ++i) thousand.push_back(std::to_string((i * 37) % 101));
    Fixture f(twelve);
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.ws.txtLimite.text, "250");  // C(12, 6) = 924 is larger
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 9.24E+02");
    // Running again shows one number after the prefix.
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.ws.Label17.text, "Maximum number: 9.24E+02");

    f.ws.txtLimite.text = "abc";  // not a number: left for the generation to refuse
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.ws.txtLimite.text, "abc");

    // Large pre-samples get a finite maximum.
    Fixture big(thousand);
    EXPECT_TRUE(big.Run());
    EXPECT_EQ(big.ws.txtSampleN.text, "1000");
    EXPECT_EQ(big.ws.Label17.text, "Maximum number: 2.70E+299");
    EXPECT_EQ(big.ws.txtLimite.text, "250");
}

TEST(PreSample, BadCellsLeaveEverythingAsItWas) {
    Fixture f({"1", "2", "3", "4", "5"});
    ASSERT_TRUE(f.Run());
    const Workspace before = f.ws;

    for (const char* bad : {"abc", "1e999", "nan", "inf", " "}) {
        Fixture g;
        g.ws = before;
        g.ws.sprMain.SetCell(1, 3, bad);
        EXPECT_FALSE(g.Run()) << bad;
        ExpectOneCritical(g.ui);
        EXPECT_EQ(g.ui.messages.at(0).text,
                  "There is something wrong with the file you are trying to open. Please, check");
        EXPECT_EQ(g.ws.txtSampleMean.text, "3.");
        EXPECT_EQ(g.ws.Label17.text, "Maximum number: 1.00E+01");
    }

    // A gap between values is an empty cell inside the data rows.
    Fixture gap({"1", "2", "", "4", "5"});
    EXPECT_FALSE(gap.Run());
    EXPECT_EQ(gap.ws.PreSampleReady, "0");
    EXPECT_FALSE(gap.ws.cmdEsegui.enabled);
    EXPECT_EQ(gap.ws.txtSampleMean.text, "");

    // A value in another column makes its row part of the data.
    Fixture other({"1", "2", "3"});
    other.ws.sprMain.SetCell(2, 4, "9");
    EXPECT_FALSE(other.Run());
}

TEST(PreSample, SizesOutsideTheSupportedRangeAndOverflowingValuesAreRefused) {
    std::vector<std::vector<std::string>> columns = {{"1e300", "-1e300", "1e300"}};
    for (int n : {0, 1, 2, 1001}) columns.emplace_back(static_cast<size_t>(n), "4.5");
    for (const auto& cells : columns) {
        SCOPED_TRACE(cells.size());
        Fixture f(cells);
        EXPECT_FALSE(f.Run());
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ws.PreSampleReady, "0");
        EXPECT_EQ(f.ws.txtSampleStDev.text, "");
        if (cells.size() == 3) continue;  // the overflow
        ExpectOneCritical(f.ui);
        EXPECT_EQ(f.ws.txtSampleN.text, "");
        EXPECT_EQ(f.ws.Label17.text, "Maximum number: ");
    }
}

// Mean and standard deviation against the certified values of the NIST StRD
// univariate data sets.
TEST(PreSample, NistUnivariateReferenceValues) {
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
