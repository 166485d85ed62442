// Where an installed program finds the reader process and the user guide:
// relative to itself in the installed layout wherever the tree was put, and
// the build tree's copies only for the build tree's own programs.
#include "base/install_layout.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/sheet_reader.h"
#include "test_folder.h"

namespace velta {
namespace {

namespace fs = std::filesystem;

TEST(InstalledTree, ReaderAndGuideOfTheInstalledTreeNeverTheBuildTrees) {
    // A prefix such as a package unpacked into a temporary folder.
    const test::TestFolder dir;
    const fs::path prefix = dir.path / "usr", program = prefix / "bin" / "velta-cli";
    fs::create_directories(prefix / "bin");
    const auto put = [&](const fs::path& relative, mode_t mode) {
        fs::create_directories((prefix / relative).parent_path());
        std::ofstream(prefix / relative) << "#!/bin/sh\n";
        chmod((prefix / relative).c_str(), mode);
        return prefix / relative;
    };
    const fs::path installed = prefix / "lib/velta/velta-sheet-reader";
    // Nothing installed: the installed places are named, not the build
    // tree's copies, which an installed program must never run or show.
    EXPECT_FALSE(RunsFromBuildTree(program));
    EXPECT_EQ(SheetReaderProgramFor(program), installed.string());
    EXPECT_EQ(UserGuideFile(program), fs::path());
    const fs::path beside = put("bin/velta-sheet-reader", 0644);  // not executable: not taken
    EXPECT_EQ(SheetReaderProgramFor(program), installed.string());
    chmod(beside.c_str(), 0755);
    EXPECT_EQ(SheetReaderProgramFor(program), beside.string());
    const fs::path guide = put("share/doc/velta/user_guide.html", 0644);
    EXPECT_EQ(UserGuideFile(prefix / "bin" / "velta"), guide);
}

TEST(BuildTree, ItsOwnProgramsFallBackOnItsCopies) {
    // This test program is one of the build tree's.
    const fs::path self = RunningProgram();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(RunsFromBuildTree(self));
    const std::string reader = SheetReaderProgramFor(self);
    EXPECT_EQ(access(reader.c_str(), X_OK), 0) << reader;
    EXPECT_EQ(fs::path(reader).filename(), "velta-sheet-reader");
    EXPECT_EQ(UserGuideFile(self), fs::path(VELTA_SOURCE_DIR) / "docs" / "user_guide.html");

    const fs::path build = VELTA_TEST_BUILD_DIR;
    for (const auto& [program, inside] : std::vector<std::pair<fs::path, bool>>{
             {build / "src" / "velta", true},
             {build / "velta", true},
             {fs::path(build.string() + "2") / "src" / "velta", false},  // a sibling folder
             {build.parent_path() / "velta", false},
             {"/usr/bin/velta", false},
             {fs::path(), false},
         })
        EXPECT_EQ(RunsFromBuildTree(program), inside) << program;
}

}  // namespace
}  // namespace velta
