#pragma once
// Messages that several commands show.
namespace velta {

inline constexpr const char* kUnexpectedErrorMessage =
    "An unexpected error occurred. Try to change settings or contact the software developer";
inline constexpr const char* kVeltaTitle = "VELTA";

}  // namespace velta
