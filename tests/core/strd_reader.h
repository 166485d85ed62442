#pragma once
// Reads the NIST StRD reference files kept in tests/data/strd: a [data]
// section of whitespace-separated numbers (an optional header line of names
// is skipped) and a [certified] section of "key value..." lines.
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velta::reference {

struct StrdFile {
    std::vector<std::vector<double>> rows;                 // data rows, in file order
    std::map<std::string, std::vector<double>> certified;  // key -> values
    double Certified(const std::string& key, size_t i = 0) const { return certified.at(key).at(i); }
    std::vector<double> Column(size_t c) const {
        std::vector<double> out;
        for (const auto& r : rows) out.push_back(r.at(c));
        return out;
    }
};

inline StrdFile ReadStrd(const std::string& name) {
    std::ifstream in(std::string(VELTA_REFERENCE_DIR) + "/" + name + ".txt");
    if (!in) throw std::runtime_error("missing reference file " + name);
    StrdFile f;
    std::string line, section, key;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line[0] == '[') {
            if (line.starts_with('[')) section = line;
            continue;
        }
        std::istringstream ss(line);
        if (section == "[certified]") ss >> key;
        std::vector<double> values;
        for (double v; ss >> v;) values.push_back(v);
        if (section == "[certified]") f.certified[key] = values;
        if (section == "[data]" && !values.empty()) f.rows.push_back(values);
    }
    return f;
}

// Number of significant digits to which a agrees with the reference b.
inline double AgreeingDigits(double a, double b) {
    if (a == b) return 17.0;
    if (b == 0.0) return -std::log10(std::fabs(a));
    return -std::log10(std::fabs(a - b) / std::fabs(b));
}

}  // namespace velta::reference
