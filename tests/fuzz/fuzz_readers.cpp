// Fuzz target over the import path: the bytes become a file of one of the
// four formats, which the reader process's own code reads in process; its
// answer must always be a well-formed exchange text. The first byte picks the
// format (bits 0-1), the sheet (bits 2-3), and whether the bytes themselves
// are fed to the exchange-form parser instead (bit 4). Every column parsed
// is then read as a pilot sample.
//
// FreeXL is a library we do not own and cannot mend: its faults are
// contained by the reader process. Here .xls inputs go through our own walk
// of the file only, unless VELTA_FUZZ_FREEXL is set in the environment
// (to hunt for FreeXL faults, which must then end in the reader's failure).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/pilot_column.h"
#include "data/sheet_reader.h"
#include "data/spreadsheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    velta::SheetReadResult parsed;
    // Whatever a well-formed answer holds, its column reads as a pilot or is
    // refused with a message.
    auto checkPilot = [](const velta::SheetColumn& column) {
        const velta::PilotColumn p = velta::ReadPilotColumn(column);
        if (p.accepted != p.message.empty() || p.texts.size() != p.values.size() ||
            p.missingCells.size() > velta::kMaxListedMissingCells ||
            static_cast<int64_t>(p.missingCells.size()) > p.missingCount)
            std::abort();
    };
    if (mode & 0x10) {
        if (velta::ParseSheetText(body, parsed)) checkPilot(parsed.column);
        return 0;
    }
    static const char* const kExtensions[] = {".xls", ".xlsx", ".ods", ".csv"};
    const char* ext = kExtensions[mode & 3];
    const int32_t sheet = (mode >> 2) & 3;
    static const bool withFreexl = std::getenv("VELTA_FUZZ_FREEXL") != nullptr;
    if ((mode & 3) == 0 && !withFreexl) {
        const std::vector<uint8_t> file(body.begin(), body.end());
        for (const velta::XlsFormulaCell& c : velta::XlsFormulaColumn(file, sheet))
            if (c.row < 0 || c.row > 65535 || c.col < 0 || c.col > 65535 ||
                c.text.empty() == c.note.empty())
                std::abort();
        return 0;
    }
    const std::string path =
        std::filesystem::temp_directory_path() / ("velta-fuzz-" + std::to_string(getpid()) + ext);
    std::ofstream(path, std::ios::binary)
        .write(body.data(), static_cast<std::streamsize>(body.size()));
    const std::string text = velta::ReadSheetToText(path, sheet);
    std::remove(path.c_str());
    if (!velta::ParseSheetText(text, parsed)) std::abort();
    checkPilot(parsed.column);
    return 0;
}
