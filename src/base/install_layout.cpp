#include "base/install_layout.h"

#include <system_error>

// Set by the build from the install destinations; these defaults are the
// layout of the install rules.
#ifndef VELTA_READER_FROM_PROGRAMS
#define VELTA_READER_FROM_PROGRAMS "../lib/velta"
#endif
#ifndef VELTA_DOC_FROM_PROGRAMS
#define VELTA_DOC_FROM_PROGRAMS "../share/doc/velta"
#endif

namespace velta {

namespace fs = std::filesystem;

fs::path RunningProgram() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
}

bool RunsFromBuildTree(const fs::path& program) {
#ifdef VELTA_BUILD_DIR
    std::error_code ec;
    const fs::path build = fs::weakly_canonical(VELTA_BUILD_DIR, ec);
    if (ec || build.empty() || program.empty()) return false;
    const fs::path folder = fs::weakly_canonical(program.parent_path(), ec);
    if (ec) return false;
    // Component by component: /x/build2 is not inside /x/build.
    auto b = build.begin();
    auto f = folder.begin();
    for (; b != build.end(); ++b, ++f)
        if (f == folder.end() || *f != *b) return false;
    return true;
#else
    (void)program;
    return false;
#endif
}

fs::path InstalledReaderFolder(const fs::path& program) {
    return (program.parent_path() / VELTA_READER_FROM_PROGRAMS).lexically_normal();
}

fs::path InstalledDocFolder(const fs::path& program) {
    return (program.parent_path() / VELTA_DOC_FROM_PROGRAMS).lexically_normal();
}

fs::path UserGuideFile(const fs::path& program) {
    std::error_code ec;
    if (!program.empty()) {
        const fs::path installed = InstalledDocFolder(program) / "user_guide.html";
        if (fs::is_regular_file(installed, ec)) return installed;
    }
#ifdef VELTA_SOURCE_DIR
    if (RunsFromBuildTree(program)) {
        const fs::path source = fs::path(VELTA_SOURCE_DIR) / "docs" / "user_guide.html";
        if (fs::is_regular_file(source, ec)) return source;
    }
#endif
    return {};
}

}  // namespace velta
