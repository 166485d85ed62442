#include "commands/unsaved_units.h"

#include "commands/messages.h"
#include "commands/pilot_commands.h"

namespace velta {

bool MayDiscardTypedUnits(Session& s, Platform& ui) {
    if (!s.unitsUnsaved || s.units.DataRowCount() == 0) return true;
    switch (ui.MessageBox(kSaveTypedValuesQuestion, MsgButtons::SaveDiscardCancel,
                          MsgIcon::Question, kVeltaTitle)) {
        case MsgAnswer::Save:
            SaveTypedValues(s, ui);
            // A cancelled save dialog keeps them, and the command waits.
            return !s.unitsUnsaved;
        case MsgAnswer::Discard:
            return true;
        default:
            return false;
    }
}

}  // namespace velta
