#pragma once
// Output files are written whole or not at all: each is written under a
// temporary name in its own folder and renamed into place only once it is
// complete, so a failed run never leaves a partial file under the asked name.
#include <string>

namespace velta::cli {

// A fresh temporary name in the folder of `path`, with the same extension.
std::string TempPathFor(const std::string& path);
// Renames a complete temporary file to `path`; on failure removes it.
bool CommitTemp(const std::string& temp, const std::string& path, std::string& why);
// Removes a temporary file that is not to be kept (no error if absent).
void DiscardTemp(const std::string& temp);
// Writes `content` to `path` through a temporary file.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& why);
// "" when a file can be created at `path` (its folder exists, the path is not
// a folder); otherwise why not.
std::string CheckOutputPath(const std::string& path);

}  // namespace velta::cli
