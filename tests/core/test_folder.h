#pragma once
// A test's own temporary folder, which tests write in and nowhere else, and
// a file's bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velta::test {

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

}  // namespace velta::test
