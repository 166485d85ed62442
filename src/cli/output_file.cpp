#include "cli/output_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace velta::cli {

namespace fs = std::filesystem;

std::string TempPathFor(const std::string& path) {
    static std::atomic<int> counter{0};
    const fs::path p(path);
    const std::string name = "." + p.stem().string() + ".velta-" + std::to_string(getpid()) + "-" +
                             std::to_string(++counter) + p.extension().string();
    return (p.parent_path() / name).string();
}

bool CommitTemp(const std::string& temp, const std::string& path, std::string& why) {
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (!ec) return true;
    why = "cannot write " + path + ": " + ec.message();
    DiscardTemp(temp);
    return false;
}

void DiscardTemp(const std::string& temp) {
    std::error_code ec;
    fs::remove(temp, ec);
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& why) {
    const std::string temp = TempPathFor(path);
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) {
            why = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
        f.write(content.data(), static_cast<std::streamsize>(content.size()));
        f.close();
        if (!f) {
            why = "cannot write " + path + " (disk full?)";
            DiscardTemp(temp);
            return false;
        }
    }
    return CommitTemp(temp, path, why);
}

std::string CheckOutputPath(const std::string& path) {
    std::error_code ec;
    const fs::path p(path);
    if (fs::is_directory(p, ec)) return path + " is a folder";
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    if (!fs::is_directory(dir, ec)) return "the folder " + dir.string() + " does not exist";
    if (access(dir.c_str(), W_OK) != 0) return "the folder " + dir.string() + " is not writable";
    return "";
}

}  // namespace velta::cli
