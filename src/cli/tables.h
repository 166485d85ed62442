#pragma once
// The virtual-sample and trimmed tables as CSV, for analysis in R or Python:
// one line per sample size that holds data (its label first, as the charts
// label it), one column per virtual sample.
#include <map>
#include <string>

#include "base/table.h"
#include "analysis/analysis.h"

namespace velta::cli {

// The CSV text of the V virtual samples of `t` (columns 0 .. V-1) on the
// charted rows that hold data: rows Jump-1, 2 Jump-1, ... up to N-3, each
// labelled with its sample size, row + 2.
std::string TableCsv(const Table2D& t, int32_t N, int32_t V, int32_t jump);

// The four tables' names, without the prefix and ".csv".
inline constexpr const char* kTableNames[] = {"means", "sds", "trimmed_means", "trimmed_sds"};
// Where table `name` is written in `dir`.
std::string TablePath(const std::string& dir, const std::string& prefix, const std::string& name);

// Writes means.csv, sds.csv and, once trimmed, trimmed_means.csv and
// trimmed_sds.csv (each name after `prefix`) into `dir`, creating the folder
// when its parent exists; each file by the program's one file writer.
// Records what it wrote in `outputs`.
bool WriteTables(const Analysis& a, const std::string& dir, const std::string& prefix,
                 std::map<std::string, std::string>& outputs, std::string& why);

}  // namespace velta::cli
