#include "io/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velta {

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

// Creates a fresh file beside `target`; returns its descriptor or -1.
int CreateTemporary(const std::string& target, std::string& tempName) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::string ReplaceFileContents(const std::string& name, std::string_view bytes) {
    // A link is followed, so that the file it names gets the report and the
    // link stays a link.
    std::string fileName = name;
    struct stat existing {};
    bool exists = ::lstat(fileName.c_str(), &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        char* real = ::realpath(name.c_str(), nullptr);
        if (!real) return Reason(errno);
        fileName = real;
        std::free(real);
        exists = ::stat(fileName.c_str(), &existing) == 0;
    }
    if (exists) {
        if (S_ISDIR(existing.st_mode)) return Reason(EISDIR);
        // Devices and pipes cannot be replaced by renaming a file over them.
        if (!S_ISREG(existing.st_mode)) return "Not a regular file";
        // A file without any write permission is read-only for everybody,
        // the administrator included.
        if ((existing.st_mode & 0222) == 0 || ::access(fileName.c_str(), W_OK) != 0)
            return Reason(EACCES);
    }
    std::string tempName;
    const int fd = CreateTemporary(fileName, tempName);
    if (fd < 0) return Reason(errno);
    int err = 0;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0 && err == 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno != EINTR) err = errno;
            continue;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (err == 0 && exists && ::fchmod(fd, existing.st_mode & 07777) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tempName.c_str(), fileName.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tempName.c_str());
        return Reason(err);
    }
    return {};
}

}  // namespace velta
