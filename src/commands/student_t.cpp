#include "commands/student_t.h"

#include <new>

#include "analysis/student_t.h"
#include "base/errors.h"
#include "base/numbers.h"
#include "commands/messages.h"

namespace velta {

std::optional<double> ParseStudentSd(const std::string& text) {
    const auto v = ParseNumber(text);
    return v && *v > 0 ? v : std::nullopt;
}

std::optional<double> ParseMaxError(const std::string& text) {
    const auto v = ParseNumber(text);
    return v && *v > 0 ? v : std::nullopt;
}

std::string BeyondChartsMessage(int32_t size, int32_t largest) {
    return "The Student-t sample size is " + FormatInteger(size) +
           ", more than the largest size the pre-sample gives (" + FormatInteger(largest) +
           "): the charts cannot mark it, and the statistics of its virtual samples are not "
           "available.";
}

void StudentT(Session& s, Platform& ui) {
    const Pilot* pilot = s.analysis.pilot();
    const auto sd = ParseStudentSd(s.inputs.studentSd);
    if (!sd) {
        const auto typed = ParseNumber(s.inputs.studentSd);
        const bool equalValues = pilot && pilot->stats.sd == 0 && typed && *typed == 0;
        ShowCritical(ui, equalValues ? kEqualValuesSdMessage : kInvalidStudentSdMessage);
        return;
    }
    const auto d = ParseMaxError(s.inputs.maxError);
    if (!d) {
        ShowCritical(ui, kInvalidStudentDifferenceMessage);
        return;
    }
    if (!pilot) {
        ui.MessageBox(kNoPreSampleMessage, MsgButtons::Ok, MsgIcon::Exclamation, kVeltaTitle);
        return;
    }
    const Trimming* t = s.analysis.trimming();
    const auto alpha = AlphaOf(s.inputs.alpha);
    if (!t || !alpha) return;

    const std::optional<int32_t> n = StudentTSize(*sd, *d, *alpha);
    if (!n) {
        ShowCritical(ui, kTooLargeStudentSizeMessage);
        return;
    }
    // The largest size the charts hold.
    const int32_t largest = pilot->Size() - 1;
    try {
        StudentTAnswer answer{s.inputs.alpha, s.inputs.maxError, *d, s.inputs.studentSd, *sd, *n,
                              std::nullopt};
        if (*n <= largest)
            answer.statistics = StatisticsAtSize(*t->tables, s.analysis.generation()->jump, *n);
        s.analysis.SetStudentT(std::move(answer));
        if (*n > largest) ShowInformation(ui, BeyondChartsMessage(*n, largest));
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    s.analysis.ClearStudentT();
    ShowCritical(ui, kUnexpectedErrorMessage);
}

}  // namespace velta
