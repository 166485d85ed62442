#include "commands/trim.h"

#include <algorithm>
#include <memory>
#include <new>

#include "analysis/trimming.h"
#include "base/errors.h"
#include "base/numbers.h"
#include "commands/messages.h"

namespace velta {

int32_t ParsePercent(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !IsWholeNumber(text) || *v < 0.0) return -1;
    const int32_t p = RoundToInt32(*v);
    return p <= kMaxPercent ? p : -1;
}

void Trim(Session& s, Platform& ui) {
    const Generation* g = s.analysis.generation();
    if (!g) return;
    const int32_t P = ParsePercent(s.inputs.trimPercent);
    if (P < 0) {
        ShowCritical(ui, kInvalidPMessage);
        return;
    }
    try {
        const BusyPointer busy(ui);
        auto trimmed = std::make_shared<const CloudTables>(TrimClouds(*g->tables, P));
        s.analysis.SetTrimming({P, std::move(trimmed)});
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
        // Two more tables of the clouds' size did not fit.
    }
    ShowCritical(ui, kUnexpectedErrorMessage);
}

void ChooseManualSize(Session& s, Platform& ui, int32_t size) {
    const Trimming* t = s.analysis.trimming();
    if (!t) {
        ShowInformation(ui, kNotTrimmedSliderMessage);
        return;
    }
    const int32_t N = t->tables->Rows();
    size = std::clamp(size, 2, std::max(2, N - 1));
    try {
        s.analysis.SetManual(
            ManualAnswerAt(*t, s.analysis.generation()->jump, size, s.analysis.automatic()));
    } catch (const RuntimeError&) {
        // The slider goes on working whatever one size could not show.
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace velta
