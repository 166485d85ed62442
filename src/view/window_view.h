#pragma once
// Everything the main window shows, computed from the session when it is
// shown: every text (through the display formats), which commands are
// available, the slider, the two charts and the progress window. The Qt
// window only draws this; the report and the command line read the analysis
// the same way, so nothing shown is ever kept as text past its inputs.
#include <array>
#include <cstdint>
#include <string>

#include "view/chart_picture.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kMaximumNumberPrefix = "Maximum number: ";

// "VELTA " and the version.
std::string WindowCaption();

struct SliderView {
    int32_t minimum = 2;
    int32_t maximum = 4;
    int32_t step = 1;
    int32_t position = 3;
    int32_t mark = 0;  // the automatic size on the track; 0 for none
    bool enabled = true;
    friend bool operator==(const SliderView&, const SliderView&) = default;
};

// Columns of the statistics grid and rows of each column.
enum class StatisticsColumn { Manual = 0, Automatic = 1, StudentT = 2 };
inline constexpr std::array<const char*, 6> kStatisticsRows = {
    "Average mean",
    "Maximum mean",
    "Minimum mean",
    "Average standard deviation",
    "Maximum standard deviation",
    "Minimum standard deviation"};

struct WindowView {
    std::string caption = WindowCaption();

    // The pilot's statistics.
    std::string mean, sd, n, jackknifeSd, jackknifeSeMean, jackknifeSeSd;
    std::string maximumNumber = kMaximumNumberPrefix;

    // The boxes, as typed (commands may fill or cap them).
    TypedInputs inputs;

    // Which commands are available.
    bool canGenerate = false, canTrim = false, canAutomatic = false, canManual = false,
         canStudentT = false;
    // The clouds shown are trimmed (the P box is tinted).
    bool trimmed = false;

    SliderView slider;
    ChartPicture meansChart, sdsChart;
    // Averages beside the charts; empty while there is none to show.
    std::string meansAverageAutomatic, meansAverageManual;
    std::string sdsAverageAutomatic, sdsAverageManual;

    // Coefficients of variation and the three sizes.
    std::string cvAutomaticLower, cvAutomaticUpper, cvManualLower, cvManualUpper;
    std::string automaticSize, manualSize, studentTSize;
    // Under the automatic size: how much it moves over the repeats, or how
    // far the repeats have come (the status line says so too).
    std::string automaticSpread;
    std::string repeatsProgress;

    // The statistics at the three sizes, [column][row].
    std::array<std::array<std::string, 6>, 3> statistics{};
    // The results grid: 12 rows of title, value and slope.
    std::array<std::array<std::string, 3>, 12> results{};

    // The status line: the pilot's file (its path), where the pilot in use
    // came from (file, sheet, column, or the typed values), the status of a
    // long step or else where the last report went.
    std::string fileName;
    std::string pilotSource;
    std::string statusMessage;
    std::string generationStarted, generationCompleted;
    std::string seedUsed;  // the seed of the clouds shown
    std::string note;

    GenerationProgress progress;
    bool generationRunning = false;
};

WindowView WindowViewOf(const Session& s);

// Results in the grids: six significant digits, as many as the grids' cells
// show whole, and far from the last digits' rounding noise. The JSON of the
// command line carries every digit.
inline constexpr int kResultDigits = 6;
std::string FormatResult(double v);
// What a coefficient of variation shows where the means average 0, and the
// statistics of a Student-t size beyond the charts.
inline constexpr const char* kNotApplicable = "n/a";
// The largest number of distinct virtual samples: every digit while there
// are at most 15 (184,756), else "0.00E+00".
std::string FormatMaximumNumber(double maximum);

// "in 20 repeats: 18 to 20 (median 19; 1 could not succeed)".
std::string RepeatsText(const RepeatsAnswer& r);
// The sizes the repeats gave: "18 to 20", "19", or "none could succeed".
std::string RepeatsRangeText(const RepeatsAnswer& r);
// A median size: whole, or with its half.
std::string FormatMedian(double median);

// Where a pilot came from, in words: "pilot.xls, sheet \"Leaves\", column
// A (Leaf length)", "pilot.csv, column A", or "typed values".
std::string PilotSourceText(const PilotSource& source);

// The statistics of a size as the grid shows them, rows 1 .. 6.
std::array<std::string, 6> StatisticsTexts(const SizeStatistics& st);

}  // namespace velta
