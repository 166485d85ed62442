#pragma once
// Workbooks are parsed in a separate process, velta-sheet-reader, with its
// own limits on memory and time: a file that crashes or exhausts a parser
// (FreeXL's, libzip's, pugixml's or ours) ends that process, never the
// analysis in progress. The reader writes the sheet names and column 1 of
// one sheet in a small text form that the calling process checks.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/spreadsheet.h"

namespace velta {

// The detail line of a reader that crashed or answered nonsense. A reader
// stopped at one of its limits (ReaderLimits) is said so, with the limit.
inline constexpr const char* kReaderStoppedDetail = "The file is damaged: its reader stopped.";
// The exit status of a reader that ran out of memory under its limit.
inline constexpr int kReaderOutOfMemory = 5;

struct SheetReadResult {
    enum class Status {
        Read,          // names and the sheet's column 1
        NotWorkbook,   // the file is not a workbook we read (why says how)
        NoSheets,      // a workbook without a sheet
        SheetFailed,   // the names were read, the sheet was not (why says how)
        ReaderStopped  // crash, hang, limit or nonsense from the reader
    };
    Status status = Status::ReaderStopped;
    std::string why;
    std::vector<std::string> names;
    SheetColumn column;
};

// Limits of one reader process. The address-space limit is not applied in
// sanitizer builds, whose shadow memory needs terabytes of address space.
struct ReaderLimits {
    uint64_t addressSpaceBytes = 2ull << 30;
    uint32_t cpuSeconds = 10;
    uint32_t wallMilliseconds = 15000;
    uint64_t maxOutputBytes = 64ull << 20;
};

// Reads the sheet names of `path` and column `column` (0-based, normally the
// first) of sheet `sheetIndex` (0-based) in a reader process. The format is the one the name
// promises; the reader checks the content against it. Usable without any dialog.
SheetReadResult ReadSheetColumn(const std::string& path, int32_t sheetIndex,
                                const ReaderLimits& limits = {}, int32_t column = 0);

// The reader program: VELTA_SHEET_READER when set, else the one for the
// running program (SheetReaderProgramFor).
std::string SheetReaderProgram();
// The reader for `program`: velta-sheet-reader beside it, else where the
// install rules put it relative to it (../lib/velta), else, for a program of
// the build tree, the build tree's; else that installed place.
std::string SheetReaderProgramFor(const std::filesystem::path& program);

// What the reader process does, in process: reads and writes the result in
// the exchange form. Used by velta-sheet-reader and by the fuzz target.
std::string ReadSheetToText(const std::string& path, int32_t sheetIndex, int32_t column = 0);
// Checks and decodes the exchange form; false for anything malformed.
bool ParseSheetText(std::string_view text, SheetReadResult& out);

}  // namespace velta
