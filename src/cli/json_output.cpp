#include "cli/json_output.h"

#include <cmath>

#include "base/numbers.h"
#include "data/presample.h"

#ifndef VELTA_VERSION
#define VELTA_VERSION "unknown"
#endif

namespace velta::cli {

namespace {

// A field's text as a number, or null when it is empty or not a number.
Json Number(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !std::isfinite(*v)) return nullptr;
    return *v;
}

Json Integer(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !IsWholeNumber(text)) return nullptr;
    return RoundToInt32(*v);
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

// sprRep column `col`, rows 1 .. 6; null when the column is empty.
Json Statistics(const Workspace& ws, int32_t col) {
    static const char* const kNames[] = {"averageMean", "maximumMean", "minimumMean",
                                         "averageSd",   "maximumSd",   "minimumSd"};
    Json j;
    bool any = false;
    for (int32_t r = 1; r <= 6; ++r) {
        const std::string& t = ws.sprRep.CellText(col, r);
        any |= !t.empty();
        j[kNames[r - 1]] = Number(t);
    }
    return any ? j : Json(nullptr);
}

// The four lines of one chart from sprReport rows first .. first + 3.
Json Lines(const Workspace& ws, int32_t first) {
    const Grid& g = ws.sprReport;
    Json j;
    j["upperLeft"] = {{"intercept", Number(g.CellText(2, first))},
                      {"slope", Number(g.CellText(3, first))}};
    j["lowerLeft"] = {{"intercept", Number(g.CellText(2, first + 1))},
                      {"slope", Number(g.CellText(3, first + 1))}};
    j["upperRight"] = {{"level", Number(g.CellText(2, first + 2))}};
    j["lowerRight"] = {{"level", Number(g.CellText(2, first + 3))}};
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

Json AnalysisJson(const Analysis& a, const Options& o) {
    const Workspace& ws = a.ws;
    Json j;

    Json input;
    input["file"] = Text(a.file);
    input["sheet"] = Text(a.sheet);
    input["column"] = ColumnLetter(a.column);
    input["header"] = Text(a.header);
    input["missingValues"] = {{"count", a.missingCount}, {"cells", a.missingCells}};
    const auto x = ReadPreSample(ws.sprMain);
    const bool accepted = ws.PreSampleReady == "1" && x;
    input["N"] = accepted ? Json(static_cast<int32_t>(x->size()) - 1) : Json(nullptr);
    Json values = Json::array();
    if (accepted)
        for (size_t i = 1; i < x->size(); ++i) values.push_back((*x)[i]);
    input["values"] = std::move(values);
    j["input"] = std::move(input);

    if (accepted) {
        const SampleStats s = ComputeSampleStats(*x);
        Json p;
        p["mean"] = s.mean;
        p["sd"] = s.sd;
        p["n"] = s.n;
        p["jackknifeSd"] = s.jackknifeSd;
        p["jackknifeSeMean"] = s.jackknifeSeMean;
        p["jackknifeSeSd"] = s.jackknifeSeSd;
        p["maxVirtualSamples"] = MaxVirtualSamples(s.n);
        p["texts"] = {{"mean", ws.txtSampleMean.text},
                      {"sd", ws.txtSampleStDev.text},
                      {"n", ws.txtSampleN.text},
                      {"jackknifeSd", ws.txtOrvoStDev.text},
                      {"jackknifeSeMean", ws.txtOrvoStErr.text},
                      {"jackknifeSeSd", ws.txtOrvoStErrSD.text},
                      {"maximumNumber", ws.Label17.text}};
        j["preSample"] = std::move(p);
    } else {
        j["preSample"] = nullptr;
    }

    const bool generated = !ws.VirtualSampleTable.Empty();
    Json g;
    g["V"] = generated ? Json(ws.VirtualSampleTable.V) : Integer(ws.txtLimite.text);
    g["Jump"] = generated ? Json(ws.Jump) : Json(nullptr);
    g["seed"] = o.seed;
    g["meansAxis"] = generated ? Json({ws.MeansLower, ws.MeansUpper}) : Json(nullptr);
    g["sdsAxis"] = generated ? Json({ws.SDsLower, ws.SDsUpper}) : Json(nullptr);
    j["generation"] = std::move(g);

    j["trimming"] = {{"P", Integer(ws.txtPerc.text)}, {"done", ws.DataTrimmed}};

    Json aut;
    const StepRecord* autoStep = a.Step("Automatic");
    const bool autoDone = autoStep && autoStep->status == "done";
    aut["succeeded"] = autoDone;
    if (autoDone) {
        aut["size"] = Integer(ws.Text3.text);
        aut["row"] = ws.SampleSizeM;
        aut["meansLines"] = Lines(ws, 3);
        aut["sdsLines"] = Lines(ws, 7);
        aut["cv"] = {{"lower", Number(ws.txtAutoMeanBasso.text)},
                     {"upper", Number(ws.txtAutoMeanAlto.text)}};
        aut["statistics"] = Statistics(ws, 2);
        aut["reason"] = nullptr;
    } else {
        aut["reason"] = ReasonOf(autoStep);
    }
    j["automatic"] = std::move(aut);

    if (!ws.Text4.text.empty()) {
        Json m;
        m["size"] = Integer(ws.Text4.text);
        m["fromAutomatic"] = !o.manual.has_value();
        m["cv"] = {{"lower", Number(ws.txtManualMeanBasso.text)},
                   {"upper", Number(ws.txtManualMeanAlto.text)}};
        m["statistics"] = Statistics(ws, 1);
        j["manual"] = std::move(m);
    } else {
        j["manual"] = nullptr;
    }

    if (o.maxError) {
        Json t;
        t["alpha"] = ws.cmbAlphaStud.text;
        t["maxError"] = Number(ws.Text1.text);
        t["sd"] = Number(ws.Text2.text);
        t["texts"] = {{"maxError", ws.Text1.text}, {"sd", ws.Text2.text}};
        const StepRecord* st = a.Step("Student-t");
        const bool done = st && st->status == "done";
        t["succeeded"] = done;
        t["size"] = done ? Integer(ws.Text5.text) : Json(nullptr);
        t["statistics"] = done ? Statistics(ws, 3) : Json(nullptr);
        t["reason"] = done ? Json(nullptr) : Json(ReasonOf(st));
        j["studentT"] = std::move(t);
    } else {
        j["studentT"] = nullptr;
    }

    Json outputs = Json::object();
    for (const auto& [key, path] : a.outputs) outputs[key] = path;
    j["outputs"] = std::move(outputs);

    Json steps = Json::array();
    std::vector<ShownMessage> all;
    for (const StepRecord& s : a.steps) {
        steps.push_back({{"command", s.command}, {"status", s.status}});
        all.insert(all.end(), s.messages.begin(), s.messages.end());
    }
    j["steps"] = std::move(steps);
    j["messages"] = Messages(all);
    j["exitStatus"] = a.exitStatus;
    return j;
}

Json DocumentJson(const std::vector<Json>& results, const Options& o, int exitStatus,
                  const std::vector<ShownMessage>& inputMessages) {
    Json d;
    d["program"] = "velta-cli";
    d["version"] = VELTA_VERSION;
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
