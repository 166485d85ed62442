#pragma once
// "Generate the virtual samples": validates the number of virtual samples,
// asks about redundant or many samples and about memory, generates with the
// progress window, and puts the new generation into the analysis, which
// clears the trimming and every answer of the previous one. An abort or an
// error leaves the analysis as it was.
#include <cstdint>
#include <optional>
#include <string>

#include "analysis/random.h"
#include "platform/platform.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kInvalidVirtualSamplesMessage =
    "The specified number of virtual samples is not valid: type a whole number from 1 to "
    "2,147,483,646";
inline constexpr const char* kRedundantSamplesQuestion =
    "The specified number of virtual samples exceeds the maximum number, and it will generate "
    "redundant samples.\rDo you want to continue anyway?";
inline constexpr const char* kHighSamplesQuestion =
    "The specified number of virtual samples is high, and it may take a quite long time for "
    "generation.\rDo you want to continue anyway?";
inline constexpr const char* kInvalidSeedMessage =
    "The specified seed is not valid: type a whole number from 0 to 18446744073709551615";
// The seed typed, when it is a whole number from 0 to 2^64 - 1.
std::optional<uint64_t> ParseSeed(const std::string& text);
// Above this many virtual samples (ten times the default) the command asks
// before going on: a large pilot then takes seconds.
inline constexpr int32_t kLargeVirtualSamples = 300000;

// The number of virtual samples typed, when it is valid (a whole number from
// 1 whose tables can be counted in 32 bits, its thousands grouped by commas
// or not), else 0.
int32_t ParseVirtualSamples(const std::string& text);

// Bytes a generation of V virtual samples of N units holds at its peak over
// the whole analysis: the unit numbers (2 bytes a value) and the four tables
// of the generation and its trimming (8 bytes a value).
double GenerationBytes(int32_t N, int32_t V);

// Every generation starts the random source from the seed box.
void Generate(Session& s, Platform& ui);

// Lets pending events run during a long loop. Processing events costs more
// than one item of work when V is large, so a pause happens only when the
// caller offers one and at least `interval` seconds have passed since the
// last (the first offer always pauses). The bars are brought up to date just
// before each pause, as the window's timers would during it.
class PausePacer {
  public:
    PausePacer(Session& s, Platform& ui, double interval = 0.015)
        : s_(s), ui_(ui), interval_(interval) {}
    // Pauses when due. True when Abort was pressed; the request is looked at
    // only right after a pause.
    bool Offer();

  private:
    Session& s_;
    Platform& ui_;
    double interval_;
    double last_ = 0.0;
    bool first_ = true;
    // Reading the clock costs about as much as summarising a small virtual
    // sample, so while offers come much faster than the interval the clock
    // is read only every stride_-th offer.
    int32_t stride_ = 1;
    int32_t skipped_ = 0;
};

// The bars of the progress window follow its counters.
void UpdateProgressBars(GenerationProgress& p);

}  // namespace velta
