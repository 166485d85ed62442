#include "commands/repeats.h"

#include <algorithm>

#include "analysis/automatic_size.h"

#include "view/session.h"

namespace velta {

std::optional<RepeatInputs> RepeatInputsOf(const Session& s) {
    const Analysis& a = s.analysis;
    const AutomaticAnswer* automatic = a.automatic();
    if (!automatic) return std::nullopt;
    const Generation& g = *a.generation();
    // A pilot too small for the procedure fails in every draw alike.
    if (!automatic->succeeded && !HasCandidateBreakpoints(a.pilot()->Size(), g.jump))
        return std::nullopt;
    return RepeatInputs{a.pilot()->OneBased(), g.samples, g.jump, a.trimming()->percent, g.seed};
}

void StartRepeats(Session& s) {
    s.repeatsJob.reset();
    const auto inputs = RepeatInputsOf(s);
    if (!inputs || s.repeats <= 0) return;
    const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    s.repeatsJob = std::make_shared<RepeatsJob>(*inputs, s.repeats, cores);
}

void UpdateRepeats(Session& s) {
    if (!s.repeatsJob) return;
    const auto inputs = RepeatInputsOf(s);
    if (!inputs || *inputs != s.repeatsJob->inputs() || s.analysis.repeats()) {
        s.repeatsJob.reset();  // cancelled: what it repeats is gone
        return;
    }
    if (!s.repeatsJob->Done()) return;
    s.repeatsJob->Wait();
    if (!s.repeatsJob->Sizes().empty())
        s.analysis.SetRepeats(RepeatsAnswer{*inputs, s.repeatsJob->Sizes()});
    s.repeatsJob.reset();
}

void WaitForRepeats(Session& s) {
    if (!s.repeatsJob) return;
    UpdateRepeats(s);  // stale ones are dropped, not waited for
    if (!s.repeatsJob) return;
    s.repeatsJob->Wait();
    UpdateRepeats(s);
}

}  // namespace velta
