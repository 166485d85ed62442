#include "cli/tables.h"

#include <charconv>
#include <filesystem>

#include "base/file_output.h"

namespace velta::cli {

namespace fs = std::filesystem;

std::string TableCsv(const Table2D& t, int32_t N, int32_t V, int32_t jump) {
    std::string s = "size";
    for (int32_t c = 1; c <= V; ++c) s += ",v" + std::to_string(c);
    s += '\n';
    if (jump < 1) return s;
    char buf[32];
    for (int32_t r = jump - 1; r <= N - 3 && r < t.Rows(); r += jump) {
        s += std::to_string(r + 2);
        const double* x = t.Row(r);
        for (int32_t c = 0; c < V && c < t.Cols(); ++c) {
            // Shortest text that reads back as the same double.
            const auto res = std::to_chars(buf, buf + sizeof buf, x[c]);
            s += ',';
            s.append(buf, res.ptr);
        }
        s += '\n';
    }
    return s;
}

std::string TablePath(const std::string& dir, const std::string& prefix, const std::string& name) {
    return (fs::path(dir) / (prefix + name + ".csv")).string();
}

bool WriteTables(const Analysis& a, const std::string& dir, const std::string& prefix,
                 std::map<std::string, std::string>& outputs, std::string& why) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec) && !fs::create_directory(dir, ec)) {
        why = "cannot create the folder " + dir + (ec ? ": " + ec.message() : "");
        return false;
    }
    const Generation* g = a.generation();
    if (!g) return true;
    const CloudTables* trimmed = a.trimming() ? a.trimming()->tables.get() : nullptr;
    const int32_t N = g->tables->Rows();
    struct Entry {
        const char* key;
        const CloudTables* tables;
        bool means;
    };
    const Entry entries[] = {{kTableNames[0], g->tables.get(), true},
                             {kTableNames[1], g->tables.get(), false},
                             {kTableNames[2], trimmed, true},
                             {kTableNames[3], trimmed, false}};
    for (const Entry& e : entries) {
        if (!e.tables) continue;
        const Table2D& t = e.means ? e.tables->means : e.tables->sds;
        const std::string path = TablePath(dir, prefix, e.key);
        if (const std::string reason =
                WriteOutputFile(path, TableCsv(t, N, e.tables->samples, g->jump));
            !reason.empty()) {
            why = path + ": " + reason;
            return false;
        }
        outputs[std::string("table_") + e.key] = path;
    }
    return true;
}

}  // namespace velta::cli
