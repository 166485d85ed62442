#include "commands/generate.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>
#include <new>
#include <thread>

#include "analysis/generation.h"
#include "base/errors.h"
#include "base/numbers.h"
#include "commands/messages.h"
#include "commands/repeats.h"

namespace velta {

std::optional<uint64_t> ParseSeed(const std::string& text) {
    const std::string_view t = TrimBlanks(text);
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

int32_t ParseVirtualSamples(const std::string& text) {
    // The maximum number as the window shows it ("184,756") reads as itself.
    if (const auto grouped = ParseGroupedWholeNumber(text))
        return *grouped >= 1 && *grouped < std::numeric_limits<int32_t>::max()
                   ? static_cast<int32_t>(*grouped)
                   : 0;
    const auto v = ParseNumber(text);
    // V + 1 columns must fit a 32-bit count.
    if (!v || !IsWholeNumber(text) || *v < 1 || *v >= std::numeric_limits<int32_t>::max())
        return 0;
    return RoundToInt32(*v);
}

double GenerationBytes(int32_t N, int32_t V) {
    return (2.0 + 4 * 8.0) * N * (static_cast<double>(V) + 1);
}

namespace {

// Refuses a V whose tables would not fit comfortably in the memory the
// machine has free: the system would otherwise end the program, and the
// typed pilot with it.
bool EnoughMemory(Platform& ui, int32_t N, int32_t V) {
    const double need = GenerationBytes(std::max(N, 3), V);
    const double available = static_cast<double>(ui.AvailableMemory());
    if (available <= 0.0 || need <= 0.75 * available) return true;
    auto mb = [](double bytes) {
        return FormatInteger(static_cast<int64_t>(bytes / 1048576.0 + 0.5));
    };
    ShowCritical(ui, "There is not enough memory for " + FormatInteger(V) +
                         " virtual samples: they need about " + mb(need) + " MB, and " +
                         mb(available) + " MB are available." + "\r" +
                         "Please, specify a lower number of virtual samples.");
    return false;
}

// V, or 0 when the entry is refused or a question is answered No.
int32_t AskForV(const Session& s, const Pilot& pilot, Platform& ui) {
    const int32_t v = ParseVirtualSamples(s.inputs.virtualSamples);
    if (v == 0) {
        ShowCritical(ui, kInvalidVirtualSamplesMessage);
        return 0;
    }
    if (!EnoughMemory(ui, pilot.Size(), v)) return 0;
    // The exact maximum, not the rounded one the window shows: a V between
    // the two is not redundant.
    const char* question = v > pilot.maximumVirtualSamples ? kRedundantSamplesQuestion
                           : v > kLargeVirtualSamples ? kHighSamplesQuestion
                                                            : nullptr;
    if (question &&
        ui.MessageBox(question, MsgButtons::YesNo, MsgIcon::None, kVeltaTitle) == MsgAnswer::No)
        return 0;
    return v;
}

// The progress window follows the generation's phases.
class WindowProgress : public Progress {
  public:
    WindowProgress(Session& s, Platform& ui) : s_(s), ui_(ui) {}
    // Each phase paces its pauses afresh: its first item always pauses, so
    // an Abort pressed at the end of a phase is seen before the next.
    void Begin(Phase p) override {
        pacer_.emplace(s_, ui_);
        s_.progress.phases[Index(p)] = {true, true};
    }
    void End(Phase p) override { s_.progress.phases[Index(p)].active = false; }
    bool Advance(Phase p, int32_t item) override {
        if (pacer_ && pacer_->Offer()) return true;
        (p == Phase::Drawing ? s_.progress.drawn : s_.progress.summarised) = item;
        return false;
    }

  private:
    static size_t Index(Phase p) { return p == Phase::Drawing ? 0 : 1; }
    Session& s_;
    Platform& ui_;
    std::optional<PausePacer> pacer_;
};

// Marks the session busy for the life of the object, however the command ends.
struct Running {
    Session& s;
    explicit Running(Session& session, const std::string& since, int32_t V) : s(session) {
        s.generationRunning = true;
        s.abortRequested = false;
        s.runningSince = since;
        s.progress = GenerationProgress();
        s.progress.shown = true;
        s.progress.samples = V;
    }
    ~Running() {
        s.generationRunning = false;
        s.abortRequested = false;
        s.runningSince.clear();
        s.progress = GenerationProgress();
    }
};

void Run(Session& s, Platform& ui) {
    const Pilot* pilot = s.analysis.pilot();
    if (!pilot) return;
    const auto seed = ParseSeed(s.inputs.seed);
    if (!seed) {
        ShowCritical(ui, kInvalidSeedMessage);
        return;
    }
    const int32_t V = AskForV(s, *pilot, ui);
    if (V == 0) return;

    Generation g;
    g.samples = V;
    g.seed = *seed;
    RandomSource rng(*seed);
    g.jump = JumpFor(pilot->Size());
    g.startedAt = ui.TimeText();
    // Repeats of the old automatic size would only slow the new clouds down.
    const bool repeating = s.repeatsJob != nullptr;
    s.repeatsJob.reset();
    const Running running(s, g.startedAt, V);
    WindowProgress progress(s, ui);
    const auto cores = static_cast<int32_t>(std::thread::hardware_concurrency());
    auto tables = GenerateClouds(pilot->OneBased(), V, g.jump, rng, progress, cores);
    if (!tables) {
        // Aborted: the previous analysis stays, and so do its repeats.
        if (repeating) StartRepeats(s);
        return;
    }

    // The charts' fixed value ranges over the rows that hold data.
    s.progress.phases[2] = {true, true};
    const int32_t N = pilot->Size();
    g.meansAxis = ValueRangeOf(tables->means, N, V, g.jump, true);
    g.sdsAxis = ValueRangeOf(tables->sds, N, V, g.jump, false);
    g.tables = std::make_shared<const CloudTables>(std::move(*tables));
    g.completedAt = ui.TimeText();
    s.analysis.SetGeneration(std::move(g));
}

}  // namespace

void Generate(Session& s, Platform& ui) {
    try {
        Run(s, ui);
    } catch (const RuntimeError&) {
        ShowCritical(ui, kUnexpectedErrorMessage);
    } catch (const std::bad_alloc&) {
        // Too many virtual samples for the memory at hand.
        ShowCritical(ui, kUnexpectedErrorMessage);
    }
}

namespace {
// The quotient in doubles, handed to the bar in single precision.
float Percent(int32_t count, int32_t total) {
    return static_cast<float>(static_cast<double>(count) / static_cast<double>(total) * 100.0);
}
}  // namespace

void UpdateProgressBars(GenerationProgress& p) {
    if (!p.shown || p.samples == 0) return;
    if (p.drawn != 0) p.bars[0] = Percent(p.drawn, p.samples);
    if (p.summarised != 0) p.bars[1] = Percent(p.summarised, p.samples);
}

bool PausePacer::Offer() {
    if (!first_ && ++skipped_ < stride_) return false;
    skipped_ = 0;
    const double now = ui_.MonotonicSeconds();
    if (!first_ && now - last_ < interval_) {
        // Offers far apart from each other keep the stride at 1; quick ones
        // double it, up to the point where a pause can be late by a few
        // hundred offers at most.
        if (now - last_ < interval_ / 16 && stride_ < 256) stride_ *= 2;
        return false;
    }
    first_ = false;
    UpdateProgressBars(s_.progress);
    ui_.ProcessEvents();
    last_ = ui_.MonotonicSeconds();
    return s_.abortRequested;
}

}  // namespace velta
