#pragma once
// The pilot sample (the pre-sample): its values as the user gave them, where
// they came from, and its descriptive and jackknife statistics.
#include <cstdint>
#include <string>
#include <vector>

namespace velta {

// Pilots outside this range are refused with a message.
inline constexpr int32_t kMinSamplingUnits = 3;
inline constexpr int32_t kMaxSamplingUnits = 1000;

struct SampleStats {
    double mean = 0.0;
    double sd = 0.0;  // divisor N - 1
    int32_t n = 0;
    double jackknifeSd = 0.0;
    double jackknifeSeMean = 0.0;
    double jackknifeSeSd = 0.0;
};

// Where the values came from: a column of a sheet of a file, or typed.
struct PilotSource {
    std::string file;    // "" when the values were typed
    std::string sheet;   // the sheet's name, "" when not known
    int32_t column = 0;  // 0-based column of the sheet
    std::string header;  // the column's header text, "" when none
    int64_t missingCount = 0;  // cells skipped as missing values
};

struct Pilot {
    std::vector<std::string> texts;  // each unit as typed or read
    std::vector<double> values;      // their numbers, in the same order
    PilotSource source;
    SampleStats stats;
    double maximumVirtualSamples = 0.0;  // C(N, Int(N/2))

    int32_t Size() const { return static_cast<int32_t>(values.size()); }
    // The values in positions 1 .. N (position 0 unused), as the numeric
    // routines take them.
    std::vector<double> OneBased() const;
};

// Statistics of x(1..n) (position 0 unused), n >= 3. The jackknife recomputes
// the mean and the sum of squares of every leave-one-out sample directly.
SampleStats ComputeSampleStats(const std::vector<double>& x);

// C(N, Int(N/2)); exact while it has at most 15 digits, and to rounding
// beyond (up to C(1000, 500), about 2.7E+299).
double MaxVirtualSamples(int32_t n);

// The pilot of these values with its statistics. The caller has checked the
// size (kMinSamplingUnits .. kMaxSamplingUnits); `finite` is false when the
// statistics leave the range of doubles.
Pilot MakePilot(std::vector<std::string> texts, std::vector<double> values, PilotSource source,
                bool& finite);

}  // namespace velta
