#pragma once
// Messages and titles that several commands share.
#include <string>

#include "platform/platform.h"

namespace velta {

inline constexpr const char* kUnexpectedErrorMessage =
    "An unexpected error occurred. Try to change settings or contact the software developer";

inline void ShowCritical(Platform& ui, const std::string& text) {
    ui.MessageBox(text, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}
inline void ShowInformation(Platform& ui, const std::string& text) {
    ui.MessageBox(text, MsgButtons::Ok, MsgIcon::Information, kVeltaTitle);
}

// Sets the busy pointer for the life of the object.
class BusyPointer {
  public:
    explicit BusyPointer(Platform& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyPointer() { ui_.SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    Platform& ui_;
};

}  // namespace velta
