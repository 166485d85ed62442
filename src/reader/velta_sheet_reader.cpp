// velta-sheet-reader: parses one workbook for VELTA's Open command in a
// process of its own. Usage: velta-sheet-reader SHEET[:COLUMN] -- FILE,
// where SHEET is the 0-based sheet and COLUMN the 0-based column wanted
// (default the first). Writes the sheet names and
// that column to standard output in the exchange form of data/sheet_reader.h
// and exits 0; any other ending tells the caller the file stopped its reader.
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "data/sheet_reader.h"

namespace {

bool WriteAll(const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = write(STDOUT_FILENO, s.data() + done, s.size() - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[2], "--") != 0) _exit(2);
    int32_t sheet = 0, column = 0;
    const char* end = argv[1] + std::strlen(argv[1]);
    const char* at = std::from_chars(argv[1], end, sheet).ptr;
    if (at != end && *at == ':') at = std::from_chars(at + 1, end, column).ptr;
    if (at != end || column < 0) _exit(2);
    try {
        const std::string out = velta::ReadSheetToText(argv[3], sheet, column);
        // _exit: no leak report, no destructors of libraries that a damaged
        // file may have left in a bad state; the answer is already written.
        _exit(WriteAll(out) ? 0 : 3);
    } catch (const std::bad_alloc&) {
        _exit(velta::kReaderOutOfMemory);  // the address-space limit
    } catch (...) {
        _exit(4);
    }
}
