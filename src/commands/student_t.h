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
    "The specified standard deviation is not valid: type a number greater than 0";
inline constexpr const char* kEqualValuesSdMessage =
    "All the values of the pre-sample are equal, so its standard deviation is 0. Type in "
    "Standard deviation the one expected in the population";
inline constexpr const char* kInvalidStudentDifferenceMessage =
    "The specified maximum difference between sample and population means is not valid: type a "
    "number greater than 0";
inline constexpr const char* kNoPreSampleMessage =
    "Please, specify the values of the pre-sampling or open a file";
inline constexpr const char* kTooLargeStudentSizeMessage =
    "The Student-t sample size would exceed 10,000,000: the Max. accepted error is too small for "
    "this standard deviation. Try with a higher one";
// Said when the size is larger than the charts' largest size.
std::string BeyondChartsMessage(int32_t size, int32_t largest);

// The standard deviation and the maximum accepted error typed, when each is
// a finite number above 0.
std::optional<double> ParseStudentSd(const std::string& text);
std::optional<double> ParseMaxError(const std::string& text);

void StudentT(Session& s, Platform& ui);

}  // namespace velta
