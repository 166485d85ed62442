#include "cli/output_file.h"

#include <unistd.h>

#include "base/file_output.h"

namespace velta::cli {

bool IsStandardOutput(const std::string& path) {
    return path == "-" || DescriptorNamed(path) == STDOUT_FILENO;
}

std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out) {
    if (!IsStandardOutput(path)) return WriteOutputFile(path, bytes);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return out ? std::string() : std::string("standard output cannot be written");
}

std::string CheckOutput(const std::string& path) {
    return IsStandardOutput(path) ? std::string() : CheckOutputFile(path);
}

}  // namespace velta::cli
