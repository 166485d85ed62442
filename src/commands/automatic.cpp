#include "commands/automatic.h"

#include <new>

#include "analysis/automatic_size.h"
#include "base/errors.h"
#include "commands/messages.h"
#include "commands/repeats.h"

namespace velta {

void Automatic(Session& s, Platform& ui) {
    const Trimming* t = s.analysis.trimming();
    if (!t) {
        ShowInformation(ui, kApplyFilterMessage);
        ui.SetBusy(false);
        return;
    }
    try {
        const int32_t jump = s.analysis.generation()->jump;
        s.analysis.SetAutomatic(FindAutomaticSize(*t->tables, jump));
        const AutomaticAnswer& a = *s.analysis.automatic();
        if (!a.succeeded) {
            // The repeats tell whether this draw or the pilot is to blame.
            StartRepeats(s);
            ShowCritical(ui, kAutomaticFailedMessage);
            return;
        }
        ManualAnswer manual = ManualAnswerAt(*t, jump, a.size, &a);
        manual.fromAutomatic = true;
        s.analysis.SetManual(std::move(manual));
        // How much the size moves is worked out in the background.
        StartRepeats(s);
        ShowInformation(ui, kTrySliderMessage);
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    s.analysis.ClearSizes();
    ShowCritical(ui, kUnexpectedErrorMessage);
}

}  // namespace velta
