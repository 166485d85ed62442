// The program's one file writer (the report, the tables, the charts and the
// JSON all go through it): every kind of target, the refusal texts of names
// that are no file, failed writes, owners and descriptor names.
#include "base/file_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>
#include <tuple>

#include "test_folder.h"

using namespace velta;
using namespace velta::test;
namespace fs = std::filesystem;

// Every kind of target, made in the test's own folder, gets the bytes (a
// link's target, a named pipe's reader, a null device) or is refused, and is
// still what it was, with its permission bits; no temporary file is left.
TEST(FileOutput, EveryKindOfTargetGetsTheBytesOrIsRefusedUntouched) {
    enum Kind { NewName, Regular, ReadOnly, LinkToFile, LinkToMissing, Pipe, Device, Folder };
    const char* const names[] = {
        "new name",   "regular file", "read-only file", "link to a file", "link to a missing file",
        "named pipe", "device",       "folder"};
    const std::string bytes("new\r\ncontent\0with a zero\r\n", 26);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (int kind = NewName; kind <= Folder; ++kind) {
        SCOPED_TRACE(names[kind]);
        TestFolder dir("_" + std::to_string(kind));
        const fs::path out = dir.path / "out.dat";
        fs::path file = out;  // where the bytes land
        mode_t mode = 0666 & ~mask;
        const auto make = [&](const fs::path& p, mode_t m) {
            std::ofstream(p) << "old content";
            ::chmod(p.c_str(), mode = m);
        };
        std::string received;
        std::thread reader;
        int readEnd = -1, holdEnd = -1;
        if (kind == Regular || kind == ReadOnly) make(out, kind == Regular ? 0640 : 0444);
        if (kind == LinkToFile || kind == LinkToMissing) {
            file = dir.path / (kind == LinkToFile ? "linked" : "missing");
            if (kind == LinkToFile) make(file, 0604);
            fs::create_symlink(file.filename(), out);  // relative, as people make them
        }
        if (kind == Pipe) {
            // The reading end is open before the writer comes, and the test's
            // own writing end keeps the reader from seeing the end too early.
            ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
            readEnd = ::open(out.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            holdEnd = ::open(out.c_str(), O_WRONLY | O_CLOEXEC);
            ::fcntl(readEnd, F_SETFL, 0);
            reader = std::thread([&] {
                char buf[4096];
                for (ssize_t n; (n = ::read(readEnd, buf, sizeof buf)) > 0;)
                    received.append(buf, static_cast<size_t>(n));
            });
        }
        if (kind == Device &&
            (::geteuid() != 0 || ::mknod(out.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)) {
            std::cout << "[  SKIPPED ] a device node: making one needs root\n";
            continue;
        }
        if (kind == Folder) fs::create_directory(out);

        const std::string refusal = kind == ReadOnly ? "Permission denied"
                                    : kind == Folder ? "It is a folder, not a file"
                                                     : "";
        const auto before = dir.Names();
        EXPECT_EQ(CheckOutputFile(out), refusal);
        EXPECT_EQ(WriteOutputFile(out, bytes), refusal);
        if (reader.joinable()) {
            ::close(holdEnd);
            reader.join();
            ::close(readEnd);
            EXPECT_EQ(received, bytes);
        } else if (refusal.empty() && kind != Device) {
            EXPECT_EQ(ReadAllBytes(file), bytes);
        }
        EXPECT_TRUE(kind != ReadOnly || ReadAllBytes(out) == "old content");
        struct stat st {};
        ASSERT_EQ(::lstat(out.c_str(), &st), 0);
        const bool link = kind == LinkToFile || kind == LinkToMissing;
        EXPECT_EQ(st.st_mode & S_IFMT, kind == Pipe     ? S_IFIFO
                                       : kind == Device ? S_IFCHR
                                       : kind == Folder ? S_IFDIR
                                       : link           ? S_IFLNK
                                                        : S_IFREG);
        ASSERT_TRUE(!link || ::stat(out.c_str(), &st) == 0);
        EXPECT_TRUE(kind > LinkToMissing || (st.st_mode & 07777) == mode) << std::oct << st.st_mode;
        EXPECT_TRUE(kind != Device || st.st_rdev == makedev(1, 3));
        EXPECT_TRUE(kind != Folder || fs::is_empty(out));
        auto after = dir.Names();
        std::erase(after, kind == NewName ? "out.dat" : kind == LinkToMissing ? "missing" : "");
        EXPECT_EQ(after, before);
    }
}

TEST(FileOutput, RefusesWhatIsNoFileBeforeTouchingIt) {
    TestFolder dir;
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (dir / "sock").c_str());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_directory(dir.path / "folder");
    fs::create_symlink("folder", dir.path / "link-to-folder");
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    std::ofstream(dir.path / "plain") << "x";
    std::vector<std::pair<std::string, std::string>> cases = {
        {dir / "sock", "It is a socket, not a file"},
        {dir / "folder", "It is a folder, not a file"},
        {dir / "link-to-folder", "It is a folder, not a file"},
        {dir / "none/out.dat", "The folder " + (dir / "none") + " does not exist"},
        {dir / "plain/out.dat", (dir / "plain") + " is not a folder"},
        {dir / "loop-a", "Too many levels of symbolic links"},
        {"", "No file name was given"},
    };
    // A block device of a major number set aside for local use, so that no
    // disk stands behind it even if it were opened; only root makes one.
    if (::mknod((dir / "block").c_str(), S_IFBLK | 0600, makedev(240, 0)) == 0)
        cases.push_back({dir / "block", "It is a block device, not a file"});
    const auto before = dir.Names();
    for (const auto& [path, reason] : cases) {
        EXPECT_EQ(CheckOutputFile(path), reason) << path;
        EXPECT_EQ(WriteOutputFile(path, "x"), reason) << path;
    }
    ::close(s);
    EXPECT_EQ(dir.Names(), before);
    EXPECT_TRUE(fs::is_socket(dir.path / "sock"));
    EXPECT_EQ(ReadAllBytes(dir.path / "plain"), "x");
    EXPECT_TRUE(fs::is_empty(dir.path / "folder"));
}

TEST(FileOutput, ReplacesInPlaceOrFailsLeavingTheOldFileAndNoTemporary) {
    TestFolder dir;
    const std::string bytes("new\r\n\0zero", 10);
    std::ofstream(dir.path / "r.dat") << "old";
    EXPECT_EQ(WriteOutputFile(dir / "r.dat", bytes), "");
    EXPECT_EQ(ReadAllBytes(dir.path / "r.dat"), bytes);
    // A file-size limit makes the write fail part-way, as a full disk does.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string reason = WriteOutputFile(dir / "r.dat", std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(ReadAllBytes(dir.path / "r.dat"), bytes);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"r.dat"});

    // A device that refuses the bytes (the full device's numbers) says why.
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node or giving a file away needs root";
    ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(WriteOutputFile(dir / "full", "x"), "No space left on device");
    // A replaced file keeps its owner and its mode.
    ASSERT_EQ(::chown((dir / "r.dat").c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod((dir / "r.dat").c_str(), 04750), 0);
    EXPECT_EQ(WriteOutputFile(dir / "r.dat", "new"), "");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "r.dat").c_str(), &st), 0);
    EXPECT_EQ(std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777),
              std::tuple(uid_t{4321}, gid_t{4322}, mode_t{04750}));
}

TEST(FileOutput, DescriptorNamesWriteToTheOpenDescriptor) {
    const std::pair<const char*, int> names[] = {
        {"/dev/stdout", 1},          {"/dev/stderr", 2}, {"/dev/fd/7", 7},
        {"/proc/self/fd/12", 12},    {"/dev/fd/", -1},   {"/dev/fd/1x", -1},
        {"/dev/fd/12345678901", -1}, {"out.json", -1},   {"/dev/stdout2", -1}};
    for (const auto& [path, fd] : names) EXPECT_EQ(DescriptorNamed(path), fd) << path;

    // A pipe of the test's own: the bytes arrive in order; once its reader is
    // gone the write fails instead of ending the program with SIGPIPE.
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
    EXPECT_EQ(CheckOutputFile(name), "Bad file descriptor");
}
