#include "cli/json_output.h"

#include <cmath>

#include "analysis/random.h"
#include "base/numbers.h"
#include "base/version.h"
#include "view/window_view.h"

namespace velta::cli {

namespace {

// A box's text as a whole number, or null when it is not one.
Json Integer(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !IsWholeNumber(text)) return nullptr;
    return RoundToInt32(*v);
}

Json Number(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !std::isfinite(*v)) return nullptr;
    return *v;
}

Json Text(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(text);
}

Json Messages(const std::vector<ShownMessage>& messages) {
    Json list = Json::array();
    for (const ShownMessage& m : messages) {
        Json j;
        j["command"] = m.step;
        j["title"] = m.title;
        j["kind"] = m.kind;
        j["text"] = m.text;
        j["answer"] = Text(m.answer);
        list.push_back(std::move(j));
    }
    return list;
}

Json Statistics(const SizeStatistics& s) {
    return {{"averageMean", s.meanA}, {"maximumMean", s.maxA}, {"minimumMean", s.minA},
            {"averageSd", s.meanB},   {"maximumSd", s.maxB},   {"minimumSd", s.minNonZeroB}};
}

Json Coefficients(const std::optional<CoefficientsOfVariation>& cv) {
    if (!cv) return {{"lower", nullptr}, {"upper", nullptr}};
    return {{"lower", cv->lower}, {"upper", cv->upper}};
}

// Each repeat with its own seed, so that any one can be run again alone
// (velta-cli --seed).
Json Repeats(const RepeatsAnswer* r) {
    if (!r) return nullptr;
    Json sizes = Json::array(), seeds = Json::array();
    for (int32_t i = 0; i < r->Count(); ++i) {
        const auto& size = r->sizes[static_cast<size_t>(i)];
        sizes.push_back(size ? Json(*size) : Json(nullptr));
        seeds.push_back(RepeatSeed(r->inputs.seed, i + 1));
    }
    const auto lo = r->Smallest(), hi = r->Largest();
    const auto median = r->Median();
    return {{"seed", r->inputs.seed},
            {"V", r->inputs.samples},
            {"P", r->inputs.percent},
            {"R", r->Count()},
            {"sizes", std::move(sizes)},
            {"seeds", std::move(seeds)},
            {"smallest", lo ? Json(*lo) : Json(nullptr)},
            {"largest", hi ? Json(*hi) : Json(nullptr)},
            {"median", median ? Json(*median) : Json(nullptr)},
            {"failures", r->Failures()}};
}

Json Lines(const FittedLines& f) {
    Json j;
    j["upperLeft"] = {{"intercept", f.upperIntercept}, {"slope", f.upperSlope}};
    j["lowerLeft"] = {{"intercept", f.lowerIntercept}, {"slope", f.lowerSlope}};
    j["upperRight"] = {{"level", f.upperLevel}};
    j["lowerRight"] = {{"level", f.lowerLevel}};
    return j;
}

std::string ReasonOf(const StepRecord* s) {
    if (!s) return "not run";
    if (s->status == "unavailable") return "not available in this build";
    if (s->status == "skipped") return "an earlier step did not succeed";
    if (s->status == "refused") return "refused: an earlier step is missing";
    std::string reason;
    for (const ShownMessage& m : s->messages) {
        if (m.kind != "critical" && m.kind != "warning" && m.kind != "question") continue;
        if (!reason.empty()) reason += '\n';
        reason += m.text;
    }
    return reason.empty() ? "did not succeed" : reason;
}

}  // namespace

Json AnalysisJson(const ColumnRun& run, const Options& o) {
    const Session& s = run.session;
    const Analysis& a = s.analysis;
    const WindowView view = WindowViewOf(s);
    Json j;

    const Pilot* pilot = a.pilot();
    Json input;
    input["file"] = Text(run.file);
    input["sheet"] = Text(run.sheet);
    input["column"] = ColumnLetter(run.column);
    input["header"] = Text(run.header);
    input["missingValues"] = {{"count", run.missingCount}, {"cells", run.missingCells}};
    input["N"] = pilot ? Json(pilot->Size()) : Json(nullptr);
    input["values"] = pilot ? Json(pilot->values) : Json::array();
    j["input"] = std::move(input);

    if (pilot) {
        const SampleStats& st = pilot->stats;
        Json p;
        p["mean"] = st.mean;
        p["sd"] = st.sd;
        p["n"] = st.n;
        p["jackknifeSd"] = st.jackknifeSd;
        p["jackknifeSeMean"] = st.jackknifeSeMean;
        p["jackknifeSeSd"] = st.jackknifeSeSd;
        p["maxVirtualSamples"] = pilot->maximumVirtualSamples;
        p["texts"] = {{"mean", view.mean},
                      {"sd", view.sd},
                      {"n", view.n},
                      {"jackknifeSd", view.jackknifeSd},
                      {"jackknifeSeMean", view.jackknifeSeMean},
                      {"jackknifeSeSd", view.jackknifeSeSd},
                      {"maximumNumber", view.maximumNumber}};
        j["preSample"] = std::move(p);
    } else {
        j["preSample"] = nullptr;
    }

    const Generation* g = a.generation();
    Json gen;
    gen["V"] = g ? Json(g->samples) : Integer(s.inputs.virtualSamples);
    gen["Jump"] = g ? Json(g->jump) : Json(nullptr);
    gen["seed"] = o.seed;
    gen["meansAxis"] = g ? Json({g->meansAxis.lower, g->meansAxis.upper}) : Json(nullptr);
    gen["sdsAxis"] = g ? Json({g->sdsAxis.lower, g->sdsAxis.upper}) : Json(nullptr);
    j["generation"] = std::move(gen);

    const Trimming* t = a.trimming();
    j["trimming"] = {{"P", t ? Json(t->percent) : Integer(s.inputs.trimPercent)},
                     {"done", t != nullptr}};

    Json aut;
    const AutomaticAnswer* automatic = a.automatic();
    const bool autoDone = automatic && automatic->succeeded;
    aut["succeeded"] = autoDone;
    if (autoDone) {
        aut["size"] = automatic->size;
        aut["meansLines"] = Lines(automatic->means);
        aut["sdsLines"] = Lines(automatic->sds);
        aut["cv"] = Coefficients(automatic->cv);
        aut["statistics"] = Statistics(automatic->statistics);
        aut["reason"] = nullptr;
    } else {
        aut["size"] = nullptr;
        aut["reason"] = ReasonOf(run.Step("Automatic"));
    }
    aut["repeats"] = Repeats(a.repeats());
    j["automatic"] = std::move(aut);

    if (const ManualAnswer* m = a.manual()) {
        Json manual;
        manual["size"] = m->size;
        manual["fromAutomatic"] = m->fromAutomatic;
        manual["cv"] = Coefficients(m->cv);
        manual["statistics"] = Statistics(m->statistics);
        j["manual"] = std::move(manual);
    } else {
        j["manual"] = nullptr;
    }

    if (o.maxError) {
        const StudentTAnswer* st = a.studentT();
        Json student;
        student["alpha"] = st ? st->alpha : s.inputs.alpha;
        student["maxError"] = st ? Json(st->maxError) : Number(s.inputs.maxError);
        student["sd"] = st ? Json(st->sd) : Number(s.inputs.studentSd);
        student["texts"] = {{"maxError", st ? st->maxErrorText : s.inputs.maxError},
                            {"sd", st ? st->sdText : s.inputs.studentSd}};
        student["succeeded"] = st != nullptr;
        student["size"] = st ? Json(st->size) : Json(nullptr);
        student["withinCharts"] = st ? st->WithinCharts() : false;
        student["statistics"] = st && st->statistics ? Statistics(*st->statistics) : Json(nullptr);
        student["reason"] = st ? Json(nullptr) : Json(ReasonOf(run.Step("Student-t")));
        j["studentT"] = std::move(student);
    } else {
        j["studentT"] = nullptr;
    }

    Json outputs = Json::object();
    for (const auto& [key, path] : run.outputs) outputs[key] = path;
    j["outputs"] = std::move(outputs);

    Json steps = Json::array();
    std::vector<ShownMessage> all;
    for (const StepRecord& step : run.steps) {
        steps.push_back({{"command", step.command}, {"status", step.status}});
        all.insert(all.end(), step.messages.begin(), step.messages.end());
    }
    j["steps"] = std::move(steps);
    j["messages"] = Messages(all);
    j["exitStatus"] = run.exitStatus;
    return j;
}

Json DocumentJson(const std::vector<Json>& results, const Options& o, int exitStatus,
                  const std::vector<ShownMessage>& inputMessages) {
    Json d;
    d["program"] = "velta-cli";
    d["version"] = kVersion;
    d["exitStatus"] = exitStatus;
    d["options"] = {{"virtualSamples", Text(o.virtualSamples)},
                    {"trim", o.trim},
                    {"manual", o.manual ? Json(*o.manual) : Json(nullptr)},
                    {"alpha", o.alpha},
                    {"maxError", o.maxError ? Json(*o.maxError) : Json(nullptr)},
                    {"sd", o.sd ? Json(*o.sd) : Json(nullptr)},
                    {"seed", o.seed},
                    {"allColumns", o.allColumns}};
    d["inputMessages"] = Messages(inputMessages);
    d["results"] = results;
    return d;
}

}  // namespace velta::cli
