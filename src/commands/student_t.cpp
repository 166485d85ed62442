#include "commands/student_t.h"

#include <new>

#include "analysis/student_t.h"
#include "base/errors.h"
#include "base/numbers.h"
#include "commands/messages.h"

namespace velta {

std::optional<double> ParseStudentSd(const std::string& text) {
    const auto v = ParseNumber(text);
    return v && *v >= 0 ? v : std::nullopt;
}

std::optional<double> ParseMaxError(const std::string& text) {
    const auto v = ParseNumber(text);
    return v && *v > 0 ? v : std::nullopt;
}

void StudentT(Session& s, Platform& ui) {
    const auto sd = ParseStudentSd(s.inputs.studentSd);
    if (!sd) {
        ShowCritical(ui, kInvalidStudentSdMessage);
        return;
    }
    const auto d = ParseMaxError(s.inputs.maxError);
    if (!d) {
        ShowCritical(ui, kInvalidStudentDifferenceMessage);
        return;
    }
    const Pilot* pilot = s.analysis.pilot();
    if (!pilot) {
        ui.MessageBox(kNoPreSampleMessage, MsgButtons::Ok, MsgIcon::Exclamation, kVeltaTitle);
        return;
    }
    const Trimming* t = s.analysis.trimming();
    if (!t) return;

    const int32_t n = StudentTSize(*sd, *d, s.inputs.alpha);
    // The largest size the charts hold.
    const int32_t largest = pilot->Size() - 1;
    if (n == kNoStudentSize) {
        ShowCritical(ui, kIncoherentErrorMessage);
        return;
    }
    if (n > largest) {
        ShowCritical(ui, "The sample size computed using the Student-t (" + FormatInteger(n) +
                             ") is higher than " + FormatInteger(largest));
        return;
    }
    try {
        StudentTAnswer answer{s.inputs.alpha, s.inputs.maxError, *d, s.inputs.studentSd, *sd, n,
                              StatisticsAtSize(*t->tables, s.analysis.generation()->jump, n)};
        s.analysis.SetStudentT(std::move(answer));
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    s.analysis.ClearStudentT();
    ShowCritical(ui, kUnexpectedErrorMessage);
}

}  // namespace velta
