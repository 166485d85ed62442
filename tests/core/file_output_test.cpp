// The program's one file writer: what lands, and what is refused and left as
// it was, for every kind of target, made inside the test's own folder.
#include "base/file_output.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <tuple>
#include <vector>

#include "output_targets.h"

using namespace velta;
using namespace velta::test;
namespace fs = std::filesystem;

namespace {

using Folder = TestFolder;

std::string Underscored(std::string s) {
    std::replace(s.begin(), s.end(), ' ', '_');
    std::replace(s.begin(), s.end(), '-', '_');
    return s;
}

}  // namespace

TEST(FileOutput, EveryKindOfTargetGetsTheBytesOrIsRefusedUntouched) {
    const std::string bytes("new\r\ncontent\0with a zero\r\n", 26);
    for (TargetKind kind : kTargetKinds) {
        SCOPED_TRACE(KindName(kind));
        Folder dir("_" + Underscored(KindName(kind)));
        OutputTarget target(kind, dir.path / "out.dat");
        if (!target.Skip().empty()) {
            std::cout << "[  SKIPPED ] " << KindName(kind) << ": " << target.Skip() << '\n';
            continue;
        }
        const auto before = dir.Names();
        EXPECT_EQ(CheckOutputFile(target.Path()), ExpectedRefusal(kind));
        EXPECT_EQ(WriteOutputFile(target.Path(), bytes), ExpectedRefusal(kind));
        if (!target.Refused() && target.Readable()) {
            EXPECT_EQ(target.Landed(), bytes);
        }
        target.ExpectIntact();
        // No temporary file is left; only a new name or a link's missing
        // target adds a name.
        auto after = dir.Names();
        if (kind == TargetKind::NewName)
            after.erase(std::find(after.begin(), after.end(), "out.dat"));
        if (kind == TargetKind::LinkToMissing)
            after.erase(std::find(after.begin(), after.end(), "missing-out.dat"));
        EXPECT_EQ(after, before);
    }
}

TEST(FileOutput, RefusesWhatIsNoFileBeforeTouchingIt) {
    Folder dir;
    const fs::path socketPath = dir.path / "sock";
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_directory(dir.path / "folder");
    fs::create_symlink("folder", dir.path / "link-to-folder");
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    std::ofstream(dir.path / "plain") << "x";
    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        {socketPath.string(), "It is a socket, not a file"},
        {(dir.path / "link-to-folder").string(), "It is a folder, not a file"},
        {(dir.path / "none/out.dat").string(),
         "The folder " + (dir.path / "none").string() + " does not exist"},
        {(dir.path / "plain/out.dat").string(), (dir.path / "plain").string() + " is not a folder"},
        {(dir.path / "loop-a").string(), "Too many levels of symbolic links"},
        {"", "No file name was given"},
    };
    // A block device of a major number set aside for local use, so that no
    // disk stands behind it even if it were opened.
    if (::geteuid() == 0 &&
        ::mknod((dir.path / "block").c_str(), S_IFBLK | 0600, makedev(240, 0)) == 0) {
        EXPECT_EQ(WriteOutputFile((dir.path / "block").string(), "x"),
                  "It is a block device, not a file");
        EXPECT_TRUE(fs::is_block_file(dir.path / "block"));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckOutputFile(c.path), c.reason);
        EXPECT_EQ(WriteOutputFile(c.path, "x"), c.reason);
    }
    ::close(s);
    EXPECT_TRUE(fs::is_socket(socketPath));
    EXPECT_EQ(ReadAllBytes(dir.path / "plain"), "x");
    EXPECT_TRUE(fs::is_empty(dir.path / "folder"));
}

TEST(FileOutput, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    Folder dir;
    // A file-size limit makes the write fail part-way, as a full disk does.
    const fs::path file = dir.path / "r.dat";
    std::ofstream(file) << "old";
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string reason = WriteOutputFile(file.string(), std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(ReadAllBytes(file), "old");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"r.dat"});

    // A device that refuses the bytes (the full device's numbers) says why
    // and stays a device.
    if (::geteuid() == 0 &&
        ::mknod((dir.path / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        EXPECT_EQ(CheckOutputFile((dir.path / "full").string()), "");
        EXPECT_EQ(WriteOutputFile((dir.path / "full").string(), "x"), "No space left on device");
        EXPECT_TRUE(fs::is_character_file(dir.path / "full"));
    } else {
        std::cout << "[  SKIPPED ] full device: making a device node needs root\n";
    }
}

TEST(FileOutput, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirOwner) {
    Folder dir;
    const mode_t saved = ::umask(027);
    EXPECT_EQ(WriteOutputFile((dir.path / "new.dat").string(), "x"), "");
    ::umask(saved);
    EXPECT_EQ(fs::status(dir.path / "new.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
    const fs::path theirs = dir.path / "theirs.dat";
    std::ofstream(theirs) << "old";
    ASSERT_EQ(::chown(theirs.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 04750), 0);
    EXPECT_EQ(WriteOutputFile(theirs.string(), "new"), "");
    struct stat st {};
    ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777),
              std::tuple(uid_t{4321}, gid_t{4322}, mode_t{04750}));
    EXPECT_EQ(ReadAllBytes(theirs), "new");
}

TEST(FileOutput, DescriptorNamesWriteToTheOpenDescriptor) {
    const struct {
        const char* path;
        int fd;
    } names[] = {{"/dev/stdout", 1},          {"/dev/stderr", 2}, {"/dev/fd/7", 7},
                 {"/proc/self/fd/12", 12},    {"/dev/fd/", -1},   {"/dev/fd/1x", -1},
                 {"/dev/fd/12345678901", -1}, {"out.json", -1},   {"/dev/stdout2", -1}};
    for (const auto& n : names) EXPECT_EQ(DescriptorNamed(n.path), n.fd) << n.path;

    // A pipe of the test's own, by its descriptor's name: the bytes arrive in
    // order; once its reader is gone the write fails instead of ending the
    // program with SIGPIPE.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string name = "/proc/self/fd/" + std::to_string(ends[1]);
    EXPECT_EQ(WriteOutputFile(name, "first "), "");
    EXPECT_EQ(WriteOutputFile(name, "second"), "");
    char buf[32] = {};
    EXPECT_EQ(::read(ends[0], buf, sizeof buf), 12);
    EXPECT_EQ(std::string(buf), "first second");
    ::close(ends[0]);
    EXPECT_EQ(WriteOutputFile(name, "lost"), "Broken pipe");
    ::close(ends[1]);
    EXPECT_EQ(WriteOutputFile(name, "x"), "Bad file descriptor");
    EXPECT_EQ(CheckOutputFile(name), "Bad file descriptor");
}
