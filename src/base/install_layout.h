#pragma once
// Where the programs find what is installed with them: the reader process and
// the user guide. An installed program looks relative to its own folder, in
// the places the install rules use, so the whole tree can move (a package
// unpacked anywhere, another --prefix). Only a program of the build tree
// falls back on the build tree's copies.
#include <filesystem>

namespace velta {

// The running program's file (/proc/self/exe); empty when unknown.
std::filesystem::path RunningProgram();

// Whether `program` lies inside the build tree these programs were built in.
bool RunsFromBuildTree(const std::filesystem::path& program);

// The folders the install rules give the reader process and the
// documentation, for a program installed as `program` (<prefix>/bin/velta:
// <prefix>/lib/velta and <prefix>/share/doc/velta).
std::filesystem::path InstalledReaderFolder(const std::filesystem::path& program);
std::filesystem::path InstalledDocFolder(const std::filesystem::path& program);

// The user guide for `program`: the installed one, else for a program of the
// build tree the source tree's; empty when there is none on disk.
std::filesystem::path UserGuideFile(const std::filesystem::path& program);

}  // namespace velta
