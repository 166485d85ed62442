// velta-cli: the batch command line. Chart drawing, the only part that needs
// Qt, is the window's own, linked in when the build has the window; it starts
// an offscreen Qt application on the first chart only.
#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

#ifdef VELTA_CLI_CHARTS
#include "platform/qt/chart_export.h"
#endif

int main(int argc, char** argv) {
    velta::cli::ChartRenderer renderer;
#ifdef VELTA_CLI_CHARTS
    renderer = velta::qt::RenderChart;
#endif
    try {
        return velta::cli::RunCli(
            argc, argv, {std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) == 1}, renderer);
    } catch (const std::exception& e) {
        std::cerr << "velta-cli: unexpected error: " << e.what() << '\n';
        return velta::cli::kExitFailed;
    }
}
