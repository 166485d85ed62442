#pragma once
// velta-cli as a function of its arguments and streams, so that tests run it
// in-process exactly as the executable does.
#include <istream>
#include <ostream>

#include "cli/analysis.h"

namespace velta::cli {

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Standard error is a terminal: long steps show a progress bar there.
    bool errIsTerminal = false;
};

// Runs velta-cli; returns its exit status (0, 1 or 2). `renderChart` draws
// the window's charts, or is empty in a build without them.
int RunCli(int argc, const char* const* argv, Streams io, const ChartRenderer& renderChart);

}  // namespace velta::cli
