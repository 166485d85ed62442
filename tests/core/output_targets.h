#pragma once
// Output targets of every kind, made inside a test's own temporary folder and
// never anywhere else: a new name, a regular file, a read-only file, a
// symbolic link to a file and one to a missing file, a named pipe with a
// reader thread, a character device made with mknod (as root; the null
// device's numbers, so what is written vanishes) and a folder. A test hands
// Path() to a writer and then checks what landed and that the target is still
// what it was: a link a link, a pipe a pipe, the device the same device, the
// permission bits unchanged, a refused target untouched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace velta::test {

enum class TargetKind {
    NewName,
    RegularFile,
    ReadOnlyFile,
    LinkToFile,
    LinkToMissing,
    NamedPipe,
    CharDevice,
    Folder
};

inline constexpr TargetKind kTargetKinds[] = {TargetKind::NewName,       TargetKind::RegularFile,
                                              TargetKind::ReadOnlyFile,  TargetKind::LinkToFile,
                                              TargetKind::LinkToMissing, TargetKind::NamedPipe,
                                              TargetKind::CharDevice,    TargetKind::Folder};

inline const char* KindName(TargetKind kind) {
    static const char* const names[] = {"new name",
                                        "regular file",
                                        "read-only file",
                                        "link to a file",
                                        "link to a missing file",
                                        "named pipe",
                                        "character device",
                                        "folder"};
    return names[static_cast<int>(kind)];
}

// The reason the program's file writer gives for a target it refuses; ""
// for one it writes.
inline std::string ExpectedRefusal(TargetKind kind) {
    return kind == TargetKind::ReadOnlyFile ? "Permission denied"
           : kind == TargetKind::Folder     ? "It is a folder, not a file"
                                            : "";
}

// A fresh folder for the running test (and `suffix`), removed at the end.
struct TestFolder {
    std::filesystem::path path;
    explicit TestFolder(const std::string& suffix = "") {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("velta_" + std::to_string(::getpid()) + "_" + test->test_suite_name() + "_" +
                test->name() + suffix);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TestFolder() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    // The path of `name` in the folder, as a text.
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

inline std::string ReadAllBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class OutputTarget {
  public:
    static constexpr const char* kOldContent = "old content";

    // Makes a target of `kind` at `path`, whose folder exists.
    OutputTarget(TargetKind kind, std::filesystem::path path)
        : kind_(kind), path_(std::move(path)), file_(path_) {
        namespace fs = std::filesystem;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;  // a file the writer makes
        switch (kind_) {
            case TargetKind::RegularFile:
            case TargetKind::ReadOnlyFile:
                MakeFile(path_, kind_ == TargetKind::RegularFile ? 0640 : 0444);
                break;
            case TargetKind::LinkToFile:
            case TargetKind::LinkToMissing:
                file_ = path_.parent_path() /
                        ((kind_ == TargetKind::LinkToFile ? "linked-" : "missing-") +
                         path_.filename().string());
                if (kind_ == TargetKind::LinkToFile) MakeFile(file_, 0604);
                fs::create_symlink(file_.filename(), path_);  // relative, as people make them
                break;
            case TargetKind::NamedPipe:
                // The reading end is open before any writer comes, so a
                // writer's open never waits; the test's own writing end keeps
                // the reader from seeing the end until Release.
                if (::mkfifo(path_.c_str(), 0600) != 0) {
                    skip_ = "mkfifo failed";
                    break;
                }
                readEnd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                holdEnd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
                ::fcntl(readEnd_, F_SETFL, 0);
                reader_ = std::thread([this] {
                    char buf[65536];
                    for (ssize_t n; (n = ::read(readEnd_, buf, sizeof buf)) > 0;)
                        received_.append(buf, static_cast<size_t>(n));
                });
                break;
            case TargetKind::CharDevice:
                if (::geteuid() != 0) {
                    skip_ = "making a device node needs root";
                } else if (::mknod(path_.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
                    skip_ = "mknod is not allowed here";
                }
                break;
            case TargetKind::Folder:
                fs::create_directory(path_);
                break;
            case TargetKind::NewName:
                break;
        }
    }

    ~OutputTarget() { Release(); }
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    // Why this kind cannot be made here; "" when it was made.
    const std::string& Skip() const { return skip_; }
    std::string Path() const { return path_.string(); }
    bool Refused() const { return !ExpectedRefusal(kind_).empty(); }
    // A device's bytes cannot be read back.
    bool Readable() const { return kind_ != TargetKind::CharDevice; }

    // What the target holds now: the file's bytes (a link's target's), or
    // all the pipe's reader received (asked once the writer has returned).
    std::string Landed() {
        if (kind_ != TargetKind::NamedPipe) return ReadAllBytes(file_);
        Release();
        return received_;
    }

    // The target is still of its kind with its permission bits; a refused
    // one holds what it held.
    void ExpectIntact() const {
        SCOPED_TRACE(KindName(kind_));
        struct stat st {};
        ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
        switch (kind_) {
            case TargetKind::LinkToFile:
            case TargetKind::LinkToMissing:
                EXPECT_TRUE(S_ISLNK(st.st_mode));
                ASSERT_EQ(::lstat(file_.c_str(), &st), 0);
                [[fallthrough]];
            case TargetKind::NewName:
            case TargetKind::RegularFile:
            case TargetKind::ReadOnlyFile:
                EXPECT_TRUE(S_ISREG(st.st_mode));
                EXPECT_EQ(st.st_mode & 07777, mode_);
                break;
            case TargetKind::NamedPipe:
                EXPECT_TRUE(S_ISFIFO(st.st_mode));
                break;
            case TargetKind::CharDevice:
                EXPECT_TRUE(S_ISCHR(st.st_mode));
                EXPECT_EQ(st.st_rdev, makedev(1, 3));
                break;
            case TargetKind::Folder:
                EXPECT_TRUE(S_ISDIR(st.st_mode));
                EXPECT_TRUE(std::filesystem::is_empty(path_));
                break;
        }
        if (kind_ == TargetKind::ReadOnlyFile) {
            EXPECT_EQ(ReadAllBytes(file_), kOldContent);
        }
    }

  private:
    void MakeFile(const std::filesystem::path& p, mode_t mode) {
        std::ofstream(p, std::ios::binary) << kOldContent;
        ::chmod(p.c_str(), mode);
        mode_ = mode;
    }

    // Once the writers are done, the test's own writing end goes and the
    // reader sees the end.
    void Release() {
        if (!reader_.joinable()) return;
        ::close(holdEnd_);
        reader_.join();
        ::close(readEnd_);
    }

    TargetKind kind_;
    std::filesystem::path path_;
    std::filesystem::path file_;  // where the bytes land: the link's target
    mode_t mode_ = 0;
    std::string skip_;
    int readEnd_ = -1;
    int holdEnd_ = -1;
    std::thread reader_;
    std::string received_;
};

}  // namespace velta::test
