#pragma once
// The program's one way to write a file: the report, the .xls of typed
// values, every output of the command line and the exported charts all go
// through WriteOutputFile, so they follow the same rules.
//
// What the name is decides how it is written:
// - a new name or a regular file: the bytes go whole into a temporary file in
//   the same folder, which is synced and renamed over the name. A failed
//   write leaves the old file (or no file) as it was. A replaced file keeps
//   its permission bits (and its owner, where the program may set it); a new
//   one gets 0666 less the umask.
// - a symbolic link: the same, applied to the file the link points to, which
//   is created when it is missing; the link stays a link.
// - a character device or a named pipe (a terminal, /dev/null, process
//   substitution): written directly, in place; a pipe waits for its reader.
// - /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N: written to that
//   open descriptor of this process, at its position, whatever it is.
// - refused, with the reason: a folder, a socket, a block device, a file
//   without write permission (for the administrator too), a folder that does
//   not exist.
// A pipe whose reader has gone is an error, not the end of the program.
#include <string>
#include <string_view>

namespace velta {

// Writes `bytes` to `path`. Returns "" on success, otherwise the reason in
// plain words (without the path, which the caller shows).
std::string WriteOutputFile(const std::string& path, std::string_view bytes);

// The reason WriteOutputFile would refuse `path` before writing anything, or
// "" when it would go ahead (a write may still fail, on a full disk say).
// Opens nothing: a named pipe is not disturbed.
std::string CheckOutputFile(const std::string& path);

// The descriptor /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N
// names; -1 for any other path.
int DescriptorNamed(const std::string& path);

}  // namespace velta
