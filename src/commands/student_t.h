#pragma once
// The "Student-t" button: the Student-t sample size for the typed alpha,
// standard deviation and maximum accepted error, with the statistics of the
// virtual samples at it.
#include <optional>
#include <string>

#include "platform/platform.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kInvalidStudentSdMessage =
    "The specified standard deviation is not valid";
inline constexpr const char* kInvalidStudentDifferenceMessage =
    "The specified maximum difference between sample and population means is not valid";
inline constexpr const char* kNoPreSampleMessage =
    "Please, specify the values of the pre-sampling or open a file";
inline constexpr const char* kSingleValueMessage =
    "You have specified a single value. This is not enough";
inline constexpr const char* kIncoherentErrorMessage =
    "The Max. accepted error is incoherent with the pre-sampling data. Try with a higher one";

// The standard deviation typed, when it is a number not below 0, and the
// maximum accepted error, when it is a number above 0.
std::optional<double> ParseStudentSd(const std::string& text);
std::optional<double> ParseMaxError(const std::string& text);

void StudentT(Session& s, Platform& ui);

}  // namespace velta
