#include "base/file_output.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace velta {

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// How a name is to be written, decided without opening it.
struct Plan {
    enum class Way { Replace, Direct, Descriptor, Refuse };
    Way way = Way::Refuse;
    std::string target;   // the file replaced or opened: a link's target
    bool exists = false;  // Replace: there is an old file, `old`
    struct stat old {};
    int descriptor = -1;
    std::string why;  // Refuse
};

Plan Refuse(std::string why) {
    Plan p;
    p.why = std::move(why);
    return p;
}

// Follows a chain of symbolic links by their texts, so that a link to a
// missing file ends in the missing file's name.
bool FollowLinks(std::string& path, std::string& why) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string text(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0) {
            why = Reason(errno);
            return false;
        }
        text.resize(static_cast<size_t>(n));
        path = !text.empty() && text.front() == '/' ? text : FolderOf(path) + "/" + text;
    }
    why = Reason(ELOOP);
    return false;
}

Plan MakePlan(const std::string& path) {
    if (path.empty()) return Refuse("No file name was given");
    if (const int fd = DescriptorNamed(path); fd >= 0) {
        Plan p;
        p.way = Plan::Way::Descriptor;
        p.descriptor = fd;
        return p;
    }
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (::stat(path.c_str(), &st) == 0) {
            // A regular file is replaced beside itself, wherever the link
            // points; anything else is opened through the link.
            if (S_ISREG(st.st_mode)) {
                char* real = ::realpath(path.c_str(), nullptr);
                if (!real) return Refuse(Reason(errno));
                target = real;
                std::free(real);
            }
        } else if (errno == ENOENT) {
            std::string why;
            if (!FollowLinks(target, why)) return Refuse(why);
        } else {
            return Refuse(Reason(errno));
        }
    }
    Plan p;
    p.target = target;
    if (::stat(target.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return Refuse(Reason(errno));
        const std::string dir = FolderOf(target);
        struct stat d {};
        if (::stat(dir.c_str(), &d) != 0)
            return Refuse(errno == ENOENT || errno == ENOTDIR
                              ? "The folder " + dir + " does not exist"
                              : Reason(errno));
        if (!S_ISDIR(d.st_mode)) return Refuse(dir + " is not a folder");
        p.way = Plan::Way::Replace;
        return p;
    }
    if (S_ISDIR(st.st_mode)) return Refuse("It is a folder, not a file");
    if (S_ISSOCK(st.st_mode)) return Refuse("It is a socket, not a file");
    if (S_ISBLK(st.st_mode)) return Refuse("It is a block device, not a file");
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
        p.way = Plan::Way::Direct;
        return p;
    }
    if (!S_ISREG(st.st_mode)) return Refuse("It is not a file");
    // A file without any write permission is read-only for everybody, the
    // administrator included, as the window has always treated it.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return Refuse(Reason(EACCES));
    p.way = Plan::Way::Replace;
    p.exists = true;
    p.old = st;
    return p;
}

std::string CannotCreateIn(const std::string& dir, int err) {
    return "Cannot create a file in the folder " + dir + ": " + Reason(err);
}

// While alive, a write to a pipe whose reader has gone fails with EPIPE
// instead of ending the program: SIGPIPE is blocked for this thread and a
// signal raised meanwhile is taken back before the old mask returns.
class SigpipeAsError {
  public:
    SigpipeAsError() {
        sigemptyset(&pipeOnly_);
        sigaddset(&pipeOnly_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeOnly_, &saved_);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeAsError() {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            sigtimedwait(&pipeOnly_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }
    SigpipeAsError(const SigpipeAsError&) = delete;
    SigpipeAsError& operator=(const SigpipeAsError&) = delete;

  private:
    sigset_t pipeOnly_{};
    sigset_t saved_{};
    bool wasPending_ = false;
};

// Writes all of `bytes`; 0 or the error number.
int WriteAll(int fd, std::string_view bytes) {
    SigpipeAsError guard;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {  // a descriptor left non-blocking by whoever opened it
                pollfd out{fd, POLLOUT, 0};
                ::poll(&out, 1, -1);
                continue;
            }
            return errno;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    return 0;
}

// A fresh file beside `target`, hidden, named after it; -1 with errno set
// when none can be made.
int CreateTemporary(const std::string& target, std::string& tempName) {
    static std::atomic<unsigned> counter{0};
    // Room for the suffix within the longest name a folder takes.
    const std::string stem = NameOf(target).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = FolderOf(target) + "/." + stem + ".velta-" + std::to_string(::getpid()) + "-" +
                   std::to_string(++counter);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The rename is durable once the folder is synced; a folder that cannot be
// synced changes nothing about the file written.
void SyncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string Replace(const Plan& plan, std::string_view bytes) {
    const std::string dir = FolderOf(plan.target);
    std::string temp;
    const int fd = CreateTemporary(plan.target, temp);
    if (fd < 0) return CannotCreateIn(dir, errno);
    int err = WriteAll(fd, bytes);
    if (err == 0 && plan.exists) {
        // The owner first, as changing it may clear set-id bits. Only the
        // administrator may give a file away; anyone else's copy is theirs.
        struct stat made {};
        if (::fstat(fd, &made) == 0 &&
            (made.st_uid != plan.old.st_uid || made.st_gid != plan.old.st_gid) &&
            ::fchown(fd, plan.old.st_uid, plan.old.st_gid) != 0) {
        }
        if (::fchmod(fd, plan.old.st_mode & 07777) != 0) err = errno;
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), plan.target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return Reason(err);
    }
    SyncFolder(dir);
    return {};
}

std::string WriteDirectly(const std::string& target, std::string_view bytes) {
    int fd;
    do {
        fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Reason(errno);
    int err = WriteAll(fd, bytes);
    if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
    return err == 0 ? std::string() : Reason(err);
}

}  // namespace

int DescriptorNamed(const std::string& path) {
    if (path == "/dev/stdin") return STDIN_FILENO;
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() <= prefix.size() || path.size() > prefix.size() + 9 ||
            path.compare(0, prefix.size(), prefix) != 0)
            continue;
        int fd = 0;
        for (size_t i = prefix.size(); i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9') return -1;
            fd = fd * 10 + (path[i] - '0');
        }
        return fd;
    }
    return -1;
}

std::string WriteOutputFile(const std::string& path, std::string_view bytes) {
    const Plan plan = MakePlan(path);
    switch (plan.way) {
        case Plan::Way::Refuse:
            return plan.why;
        case Plan::Way::Descriptor: {
            if (::fcntl(plan.descriptor, F_GETFD) == -1) return Reason(errno);
            const int err = WriteAll(plan.descriptor, bytes);
            return err == 0 ? std::string() : Reason(err);
        }
        case Plan::Way::Direct:
            return WriteDirectly(plan.target, bytes);
        case Plan::Way::Replace:
            break;
    }
    return Replace(plan, bytes);
}

std::string CheckOutputFile(const std::string& path) {
    const Plan plan = MakePlan(path);
    switch (plan.way) {
        case Plan::Way::Refuse:
            return plan.why;
        case Plan::Way::Descriptor:
            return ::fcntl(plan.descriptor, F_GETFD) == -1 ? Reason(errno) : std::string();
        case Plan::Way::Direct:
            return {};
        case Plan::Way::Replace:
            break;
    }
    const std::string dir = FolderOf(plan.target);
    return ::access(dir.c_str(), W_OK | X_OK) == 0 ? std::string() : CannotCreateIn(dir, errno);
}

}  // namespace velta
