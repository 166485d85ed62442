#pragma once
// The analysis in progress, as numbers: the pilot sample, the generation of
// the virtual samples, their trimming and the three answers. It is the one
// source of truth: the window, the report and the command line show what is
// here, and compute their texts from it when they show them.
//
// Each stage is owned by the stage it was computed from, so putting in a new
// stage destroys everything computed from the old one: a new pilot takes the
// generation, the trimming and every answer with it; a new generation the
// trimming and every answer; a new trimming every answer. Nothing can outlive
// its inputs, whatever the order of the commands.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/automatic_size.h"
#include "analysis/cloud_tables.h"
#include "analysis/generation.h"
#include "analysis/pilot.h"
#include "analysis/repeats.h"
#include "analysis/size_statistics.h"

namespace velta {

struct Generation {
    int32_t samples = 0;  // V
    int32_t jump = 1;     // the sample-size step
    uint64_t seed = 0;    // where the random stream started
    std::shared_ptr<const CloudTables> tables;
    AxisRange meansAxis, sdsAxis;  // the charts' fixed value ranges
    std::string startedAt, completedAt;  // clock times, as the status line shows them
};

struct Trimming {
    int32_t percent = 0;  // P
    std::shared_ptr<const CloudTables> tables;
};

// A size chosen with the slider, or handed over by the automatic procedure.
struct ManualAnswer {
    int32_t size = 0;
    SizeStatistics statistics;
    // None for sizes 2 and 3, and when the means average 0.
    std::optional<CoefficientsOfVariation> cv;
    bool fromAutomatic = false;
};

struct StudentTAnswer {
    std::string alpha;         // "0.01", "0.05" or "0.10", as chosen
    std::string maxErrorText;  // the maximum accepted error as typed
    double maxError = 0.0;
    std::string sdText;  // the standard deviation as typed
    double sd = 0.0;
    int32_t size = 0;
    // The statistics of the virtual samples at the size; none for a size
    // beyond the charts (above N - 1), which have no such samples.
    std::optional<SizeStatistics> statistics;
    bool WithinCharts() const { return statistics.has_value(); }
};

class Analysis {
  public:
    const Pilot* pilot() const { return pilot_ ? &pilot_->pilot : nullptr; }
    const Generation* generation() const;
    const Trimming* trimming() const;
    // Present once Automatic ran on this trimming, succeeded or not.
    const AutomaticAnswer* automatic() const;
    const ManualAnswer* manual() const;
    const StudentTAnswer* studentT() const;
    // The repeats of the automatic answer, once they are in.
    const RepeatsAnswer* repeats() const;

    // Each setter needs the stage before it (std::logic_error otherwise) and
    // clears every stage after it.
    void SetPilot(Pilot p);
    void SetGeneration(Generation g);
    void SetTrimming(Trimming t);
    void SetAutomatic(AutomaticAnswer a);
    void SetManual(ManualAnswer m);
    void SetStudentT(StudentTAnswer s);
    // Needs an automatic answer; a new one clears it.
    void SetRepeats(RepeatsAnswer r);
    // After an unexpected error in a procedure whose results are the
    // automatic and manual sizes: neither is kept.
    void ClearSizes();
    void ClearStudentT();
    void Clear() { pilot_.reset(); }

  private:
    struct TrimmedStage {
        Trimming trimming;
        std::optional<AutomaticAnswer> automatic;
        std::optional<ManualAnswer> manual;
        std::optional<StudentTAnswer> studentT;
        std::optional<RepeatsAnswer> repeats;
    };
    struct GeneratedStage {
        Generation generation;
        std::optional<TrimmedStage> trimmed;
    };
    struct PilotStage {
        Pilot pilot;
        std::optional<GeneratedStage> generated;
    };
    TrimmedStage& Trimmed();
    std::optional<PilotStage> pilot_;
};

// The manual answer at a sample size of the trimmed clouds. At the automatic
// size the coefficients are the automatic ones, so that equal sizes show
// equal coefficients.
ManualAnswer ManualAnswerAt(const Trimming& t, int32_t jump, int32_t size,
                            const AutomaticAnswer* automatic);

}  // namespace velta
