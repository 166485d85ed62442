#pragma once
// The JSON document of a run: the program, the options that shape the
// results, and one result per analysed column with the pilot's statistics,
// the generation, the trimming, the automatic, manual and Student-t results,
// the outputs written and every message the commands showed. Its schema is
// docs/velta-result.schema.json.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/analysis.h"
#include "cli/options.h"

namespace velta::cli {

using Json = nlohmann::ordered_json;

Json AnalysisJson(const ColumnRun& run, const Options& o);
Json DocumentJson(const std::vector<Json>& results, const Options& o, int exitStatus,
                  const std::vector<ShownMessage>& inputMessages);

}  // namespace velta::cli
