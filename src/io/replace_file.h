#pragma once
// Writing a whole file so that a failure never leaves a partial one.
#include <string>
#include <string_view>

namespace velta {

// Replaces the file's contents with `bytes` through a temporary file in the
// same folder renamed into place, so a failed write leaves neither a partial
// file nor a damaged old one. Returns "" on success, else the reason.
// Links are followed; devices, pipes and folders are refused.
std::string ReplaceFileContents(const std::string& fileName, std::string_view bytes);

}  // namespace velta
