#pragma once
// Tables of cases kept as text under tests/data/cases: a case a line, its
// fields separated by tabs; lines that are empty or start with "#" are
// skipped; \t, \r, \n and \\ in a field stand for that character.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace velta::test {

using Case = std::vector<std::string>;

// The pieces of a text between `separator`s (one piece for a text without any).
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    for (size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
        to = text.find(separator, from);
        pieces.push_back(text.substr(from, to - from));
    }
    return pieces;
}

inline std::vector<Case> ReadCases(const std::string& name) {
    std::ifstream in(std::string(VELTA_TEST_DATA_DIR) + "/cases/" + name);
    std::vector<Case> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Case c(1);
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\t') {
                c.emplace_back();
            } else if (line[i] == '\\' && i + 1 < line.size()) {
                const char e = line[++i];
                c.back() += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
            } else {
                c.back() += line[i];
            }
        }
        cases.push_back(std::move(c));
    }
    EXPECT_FALSE(cases.empty()) << "no cases in " << name;
    return cases;
}

}  // namespace velta::test
