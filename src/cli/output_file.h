#pragma once
// Where an output of the command line goes. "-" means standard output, and
// so do the names of this process's standard output (/dev/stdout,
// /dev/fd/1, /proc/self/fd/1), so that the text arrives in order with the
// rest of standard output. Any other name is written by the program's one
// file writer (base/file_output.h): whole or not at all for a file, in place
// for a device or a pipe, never over a folder or a read-only file.
#include <ostream>
#include <string>
#include <string_view>

namespace velta::cli {

bool IsStandardOutput(const std::string& path);

// Writes an output to `out` when it names standard output, else to its file.
// "" on success, otherwise why not.
std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out);

// Why an output could not be written, found before any work is done; "" when
// it can be (or goes to standard output).
std::string CheckOutput(const std::string& path);

}  // namespace velta::cli
