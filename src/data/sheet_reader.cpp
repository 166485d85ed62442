#include "data/sheet_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>

#include "base/install_layout.h"
#include "base/numbers.h"

namespace velta {

namespace {

namespace fs = std::filesystem;

// The exchange form: records "<tag> <number> <length>\n<bytes>\n". V (form
// version) comes first and E (end) last; S is the status, W the reason, N a
// sheet name, R the row count of the column read, T "too many values", M
// "too many missing-value marks", K the sheet's column count, C a cell and O
// a note (number = row), F the number of filled cells of row 1 and H the
// text of one of them (number = column).
constexpr int kFormVersion = 2;
constexpr size_t kMaxNames = 65535;
constexpr size_t kMaxNameBytes = 1024;

void Put(std::string& out, char tag, int64_t number, std::string_view bytes = {}) {
    out += tag;
    out += ' ';
    out += std::to_string(number);
    out += ' ';
    out += std::to_string(bytes.size());
    out += '\n';
    out += bytes;
    out += '\n';
}

// Why a file whose content differs from what its name promises cannot be read.
std::string MismatchReason(SheetFormat byName, SheetFormat byContent, uintmax_t size) {
    if (size == 0) return "The file is empty.";
    if (byContent == SheetFormat::Unknown)
        return byName == SheetFormat::Csv
                   ? "It is not a text file of values."
                   : "Its content is not that of a workbook, or it is damaged.";
    if (byContent == SheetFormat::Csv) return "It is a text file, not a workbook.";
    return std::string("It is a ") + FormatLabel(byContent) + " workbook named " +
           FormatLabel(byName) + ": give it the " + FormatLabel(byContent) +
           " extension and open it again.";
}

SheetReadResult ReadInProcess(const std::string& path, int32_t sheetIndex, int32_t column) {
    using Status = SheetReadResult::Status;
    SheetReadResult r;
    const SheetFormat byName = FormatFromName(path);
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    const SheetFormat byContent = FormatFromContent(path);
    if (byName == SheetFormat::Unknown || ec || size == 0 || byContent != byName) {
        r.status = Status::NotWorkbook;
        r.why = byName == SheetFormat::Unknown ? "VELTA reads .xls, .xlsx, .ods and .csv files."
                                               : MismatchReason(byName, byContent, ec ? 0 : size);
        return r;
    }
    std::unique_ptr<WorkbookReader> book = OpenWorkbook(path, byName, r.why);
    if (!book) {
        r.status = Status::NotWorkbook;
        return r;
    }
    r.names = book->ListSheets();
    if (r.names.size() > kMaxNames) {
        r.status = Status::NotWorkbook;
        r.why = "The workbook has more than " + std::to_string(kMaxNames) +
                " sheets, the most VELTA reads.";
        r.names.clear();
        return r;
    }
    for (std::string& n : r.names)
        if (n.size() > kMaxNameBytes) n.resize(kMaxNameBytes);
    if (r.names.empty()) {
        r.status = Status::NoSheets;
        return r;
    }
    r.column.column = column;
    r.status = book->ImportSheet(sheetIndex, r.column, r.why) ? Status::Read : Status::SheetFailed;
    return r;
}

bool ParseInt(std::string_view s, int64_t& v) {
    if (s.empty() || s.size() > 19) return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

}  // namespace

std::string ReadSheetToText(const std::string& path, int32_t sheetIndex, int32_t column) {
    const SheetReadResult r = ReadInProcess(path, sheetIndex, column);
    std::string out;
    Put(out, 'V', kFormVersion);
    Put(out, 'S', static_cast<int64_t>(r.status));
    Put(out, 'W', 0, r.why);
    for (const std::string& n : r.names) Put(out, 'N', 0, n);
    Put(out, 'R', r.column.rows);
    Put(out, 'T', r.column.tooManyRows ? 1 : 0);
    Put(out, 'M', r.column.tooManyMissing ? 1 : 0);
    Put(out, 'K', r.column.sheetCols);
    for (const auto& [row, text] : r.column.cells) Put(out, 'C', row, text);
    for (const auto& [row, note] : r.column.notes) Put(out, 'O', row, note);
    Put(out, 'F', r.column.firstRowFilled);
    for (const auto& [col, text] : r.column.firstRow) Put(out, 'H', col, text);
    Put(out, 'E', 0);
    return out;
}

bool ParseSheetText(std::string_view text, SheetReadResult& out) {
    out = SheetReadResult{};
    bool version = false, status = false, ended = false;
    int32_t lastRow = -1;
    int64_t lastColumn = -1, kept = 0;
    // Rows and columns are 32-bit; a text file of values may have more rows
    // and fields than a sheet.
    constexpr int64_t kMaxRow = std::numeric_limits<int32_t>::max();
    size_t at = 0;
    while (at < text.size()) {
        if (ended) return false;  // nothing may follow the end
        const size_t eol = text.find('\n', at);
        if (eol == std::string_view::npos || eol - at < 5 || text[at + 1] != ' ') return false;
        const char tag = text[at];
        const std::string_view head = text.substr(at + 2, eol - at - 2);
        const size_t space = head.find(' ');
        int64_t number = 0, length = 0;
        if (space == std::string_view::npos || !ParseInt(head.substr(0, space), number) ||
            !ParseInt(head.substr(space + 1), length) || length < 0 ||
            static_cast<uint64_t>(length) + 1 > text.size() - eol - 1 ||
            text[eol + 1 + length] != '\n')
            return false;
        const std::string_view bytes = text.substr(eol + 1, static_cast<size_t>(length));
        at = eol + 2 + static_cast<size_t>(length);
        if (!version && tag != 'V') return false;
        switch (tag) {
            case 'V':
                if (version || number != kFormVersion) return false;
                version = true;
                break;
            case 'S':
                if (status || number < 0 || number > static_cast<int64_t>(4)) return false;
                out.status = static_cast<SheetReadResult::Status>(number);
                status = true;
                break;
            case 'W':
                if (bytes.size() > kMaxCellText) return false;
                out.why = bytes;
                break;
            case 'N':
                if (out.names.size() >= kMaxNames || bytes.size() > kMaxNameBytes) return false;
                out.names.emplace_back(bytes);
                break;
            case 'R':
                if (number < 0 || number > kMaxRow) return false;
                out.column.rows = static_cast<int32_t>(number);
                break;
            case 'T':
            case 'M':
                if (number != 0 && number != 1) return false;
                (tag == 'T' ? out.column.tooManyRows : out.column.tooManyMissing) = number == 1;
                break;
            case 'K':
            case 'F':
                if (number < 0 || number > kMaxRow) return false;
                (tag == 'K' ? out.column.sheetCols : out.column.firstRowFilled) =
                    static_cast<int32_t>(number);
                break;
            case 'C':
            case 'O': {
                if (number < 0 || number >= kMaxRow || bytes.size() > kMaxCellText ||
                    ++kept > kMaxKeptValues + kMaxMissingMarks)
                    return false;
                const auto row = static_cast<int32_t>(number);
                if (out.column.cells.count(row) || out.column.notes.count(row)) return false;
                if (tag == 'C' && (bytes.empty() || row <= lastRow)) return false;
                if (tag == 'C') lastRow = row;
                (tag == 'C' ? out.column.cells : out.column.notes)[row] = std::string(bytes);
                break;
            }
            case 'H': {
                if (number <= lastColumn || number >= kMaxRow || bytes.empty() ||
                    bytes.size() > kMaxCellText ||
                    out.column.firstRow.size() >= static_cast<size_t>(kMaxListedColumns))
                    return false;
                lastColumn = number;
                out.column.firstRow[static_cast<int32_t>(number)] = std::string(bytes);
                break;
            }
            case 'E':
                ended = true;
                break;
            default:
                return false;
        }
    }
    if (!ended || !status) return false;
    // Every kept row lies inside the column's row count.
    const int32_t rows = out.column.rows;
    if ((!out.column.cells.empty() && out.column.cells.rbegin()->first >= rows) ||
        (!out.column.notes.empty() && out.column.notes.rbegin()->first >= rows))
        return false;
    if (out.status == SheetReadResult::Status::Read && out.names.empty()) return false;
    if (static_cast<size_t>(out.column.firstRowFilled) < out.column.firstRow.size()) return false;
    return true;
}

std::string SheetReaderProgram() {
    if (const char* env = std::getenv("VELTA_SHEET_READER"); env && *env) return env;
    return SheetReaderProgramFor(RunningProgram());
}

std::string SheetReaderProgramFor(const fs::path& program) {
    constexpr const char* kName = "velta-sheet-reader";
    if (program.empty()) {
#ifdef VELTA_SHEET_READER_BUILD_PATH
        return VELTA_SHEET_READER_BUILD_PATH;
#else
        return kName;
#endif
    }
    const fs::path installed = InstalledReaderFolder(program) / kName;
    for (const fs::path& candidate : {program.parent_path() / kName, installed})
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
#ifdef VELTA_SHEET_READER_BUILD_PATH
    if (RunsFromBuildTree(program)) return VELTA_SHEET_READER_BUILD_PATH;
#endif
    // Not there: still the installed place, so that an installed program
    // never starts a build tree's reader (Open then reports a stopped reader).
    return installed.string();
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// "64 MiB", "2 GiB", or bytes when not a whole number of either.
std::string ByteSize(uint64_t bytes) {
    if (bytes >= (1u << 30) && bytes % (1u << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

SheetReadResult ReadSheetColumn(const std::string& path, int32_t sheetIndex,
                                const ReaderLimits& limits, int32_t column) {
    SheetReadResult stopped;
    stopped.status = SheetReadResult::Status::ReaderStopped;
    stopped.why = kReaderStoppedDetail;

    // Everything the child needs is prepared before the fork: after it, only
    // async-signal-safe calls.
    std::string program = SheetReaderProgram();
    // "SHEET", or "SHEET:COLUMN" for another column than the first.
    std::string index = std::to_string(sheetIndex);
    if (column != 0) index += ":" + std::to_string(column);
    std::string file = path;
    std::string dashes = "--";
    char* argv[] = {program.data(), index.data(), dashes.data(), file.data(), nullptr};
    const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
    const rlimit as{limits.addressSpaceBytes, limits.addressSpaceBytes};
    const rlimit none{0, 0};

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return stopped;
    Fd readEnd{fds[0]}, writeEnd{fds[1]};
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    Fd nullFd{devNull};
    const pid_t pid = fork();
    if (pid < 0) return stopped;
    if (pid == 0) {
        if (dup2(fds[1], STDOUT_FILENO) < 0) _exit(126);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        setrlimit(RLIMIT_CPU, &cpu);
        if (!kSanitized) setrlimit(RLIMIT_AS, &as);
        setrlimit(RLIMIT_CORE, &none);
        setrlimit(RLIMIT_FSIZE, &none);  // the reader writes no file
        execv(argv[0], argv);
        _exit(127);
    }
    close(writeEnd.fd);
    writeEnd.fd = -1;

    // Why the reader was stopped before it ended by itself, if it was.
    enum class Stop { None, WallTime, Output, Broken } stop = Stop::None;
    std::string output;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.wallMilliseconds);
    char buf[65536];
    while (stop == Stop::None) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            stop = Stop::WallTime;
            break;
        }
        pollfd p{readEnd.fd, POLLIN, 0};
        const int n = poll(&p, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            stop = n == 0 ? Stop::WallTime : Stop::Broken;
            break;
        }
        const ssize_t got = read(readEnd.fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) stop = Stop::Broken;
        if (got <= 0) break;
        if (output.size() + static_cast<size_t>(got) > limits.maxOutputBytes)
            stop = Stop::Output;
        else
            output.append(buf, static_cast<size_t>(got));
    }
    // A reader that closed its output but goes on is stopped at the deadline too.
    int status = 0;
    rusage usage{};
    for (;;) {
        if (stop != Stop::None) kill(pid, SIGKILL);
        const pid_t w = wait4(pid, &status, stop == Stop::None ? WNOHANG : 0, &usage);
        if (w == pid || (w < 0 && errno != EINTR)) break;
        if (w == 0 && std::chrono::steady_clock::now() >= deadline) stop = Stop::WallTime;
        if (w == 0 && stop == Stop::None) usleep(1000);
    }
    const double cpuUsed = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (stop == Stop::WallTime) {
        stopped.why = "Reading it took more than " + FormatGeneral(limits.wallMilliseconds / 1000.0) +
                      " seconds, the most VELTA waits for one file.";
        return stopped;
    }
    if (stop == Stop::Output) {
        stopped.why = "Its reader's answer is larger than " + ByteSize(limits.maxOutputBytes) +
                      ", the most VELTA accepts.";
        return stopped;
    }
    if (stop == Stop::None && WIFSIGNALED(status) &&
        (WTERMSIG(status) == SIGXCPU || cpuUsed >= limits.cpuSeconds)) {
        stopped.why = "Reading it took more than " + std::to_string(limits.cpuSeconds) +
                      " seconds of processor time, the most VELTA gives one file.";
        return stopped;
    }
    if (stop == Stop::None && WIFEXITED(status) && WEXITSTATUS(status) == kReaderOutOfMemory) {
        stopped.why = "Reading it needs more than " + ByteSize(limits.addressSpaceBytes) +
                      " of memory, the most VELTA gives one file.";
        return stopped;
    }
    if (stop != Stop::None || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return stopped;
    SheetReadResult r;
    if (!ParseSheetText(output, r)) return stopped;
    if (r.status == SheetReadResult::Status::ReaderStopped) r.why = kReaderStoppedDetail;
    r.column.column = column;
    return r;
}

}  // namespace velta
