#pragma once
// The analysis in progress: every value the main window shows, as the exact
// texts the user sees, plus the window-level values and the flags. One
// Workspace per main window; New replaces it with a freshly loaded one.
// Commands read and write it; the Qt window only renders it and writes user
// edits back.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/automatic_size.h"
#include "base/table.h"
#include "model/chart_model.h"
#include "model/grid.h"

namespace velta {

struct Field {
    std::string text;
    bool enabled = true;
    bool visible = true;
};

struct ComboBox {
    std::vector<std::string> items;
    std::string text;
};

// The slider between the charts (minimum, maximum, step, position and the
// highlighted selection start on its track).
struct Slider {
    int32_t min = 0;
    int32_t max = 10;
    int32_t step = 1;
    int32_t value = 0;
    int32_t selStart = 0;
    bool enabled = true;
};

struct StatusPanel {
    std::string text;
    bool enabled = true;
};

// The two tables of a generation: means and standard deviations.
struct StatsTables {
    Table2D means;
    Table2D sds;
    bool Empty() const { return means.Empty(); }
    // V, the number of virtual samples the tables were generated with (their
    // columns 0 .. V-1; column V and any line columns after it are not
    // virtual samples). 0 before the first generation.
    int32_t V = 0;
    // P, the percentage the trimmed tables were trimmed at (the report's
    // configuration); 0 for untrimmed tables.
    int32_t P = 0;
};

inline constexpr const char* kMaximumNumberPrefix = "Maximum number: ";

// The progress window of a generation, as the generation drives it: shown or
// closed, its three phase captions (greyed until reached, blue while active)
// and its four bars (0 .. 100, index 0 unused). V is the running
// generation's number of virtual samples, the denominator of bars 1 and 2.
struct ProgressPhase {
    bool enabled = false;
    bool blue = false;
};
struct ProgressWindowState {
    bool shown = false;
    ProgressPhase Label2;  // "Generation of the virtual samples"
    ProgressPhase Label1;  // "Means and standard deviations computation"
    ProgressPhase Label3;  // "Creation of the charts"
    std::array<float, 5> bars{};
    int32_t V = 0;
};

struct Workspace {
    Workspace();

    // The window caption.
    std::string caption = "VELTA 1.00";

    // Grids.
    Grid sprMain{26, 500};
    Grid sprRep{8, 20};
    Grid sprReport{8, 20};

    // "Sample statistics" and "Jackknife statistics".
    Field txtSampleMean, txtSampleStDev, txtSampleN;
    Field txtOrvoStDev, txtOrvoStErr, txtOrvoStErrSD;

    // "Virtual samples".
    Field txtLimite{"250"};
    Field Label17{kMaximumNumberPrefix};
    Field cmdEsegui;

    // "Trimming"; DataTrimmed is shown as the background colour of txtPerc.
    Field txtPerc{"5"};
    Field cmdFilter;
    bool DataTrimmed = false;

    // "Automatic sample size determination".
    Field cmdAutoSampleSize;
    Field Command1;

    // "Manual sample size determination" and the charts.
    Slider Slider1;
    ChartModel VtChart1{"Means"};
    ChartModel VtChart2{"Standard deviations"};
    // Average labels beside the charts.
    Field Label28, Label29, Label30, Label31;

    // "Coefficients of variation".
    Field txtAutoMeanAlto, txtAutoMeanBasso, txtManualMeanAlto, txtManualMeanBasso;

    // "Student-t sample size determination".
    ComboBox cmbAlphaStud;
    Field Text1, Text2;
    Field tStudentSampleSize;

    // "Results".
    Field Text3, Text4, Text5;

    // Status bar, panels 1..8 (index 0 unused).
    std::array<StatusPanel, 9> StatusBar1;

    // Flags, each "0" or "1".
    std::string PreSampleReady = "0";    // Label18
    std::string PreSampleSaved = "0";    // Label27
    std::string AbortRequested = "0";    // Label19
    std::string AutoSizeDone = "0";      // Label20
    std::string StudentMarkDrawn = "0";  // Label10

    // Window-level values.
    int32_t Jump = 0;
    int32_t MeansLower = 0, MeansUpper = 0, SDsLower = 0, SDsUpper = 0;
    int32_t SampleSizeM = 0, SampleSizeDS = 0;
    int32_t StudentSampleSize = 0;
    int32_t mioI = 0, TotI = 0, mioI1 = 0, TotI1 = 0;
    StatsTables VirtualSampleTable;
    StatsTables TrimmedTable;

    // Set while a generation runs: every other command is refused meanwhile.
    bool generationRunning = false;
    // Progress of the running generation (virtual sample being drawn, being
    // summarised) and the progress window that shows it.
    int32_t DrawProgress = 0, StatsProgress = 0;
    ProgressWindowState frmAvanzamento;

    // Requests to the window that hosts this workspace; the window consumes
    // the About request (sets it back to 0) when it shows the window.
    bool exitRequested = false;
    int aboutRequests = 0;

    // The exact maximum number of distinct virtual samples, behind the
    // rounded "Maximum number: " caption of Label17 (0 before acceptance).
    double maxVirtualSamples = 0.0;
    // The last automatic answer, whose standard-deviations lines follow the
    // means' ones onto the chart.
    AutomaticAnswer lastAutomatic;
    // A note for the status bar (why Generate is unavailable, for example).
    std::string statusNote;
};

// The load sequence of the main window on top of the design-time defaults.
void Form_Load(Workspace& ws);
// A freshly loaded workspace in place of `ws`: what New does, and what Open
// starts from when a pre-sample was already accepted.
void ResetWorkspace(Workspace& ws);

// Hides the four average labels beside the charts.
void HideAverageLabels(Workspace& ws);
// Empties txtAutoMeanAlto, txtAutoMeanBasso, txtManualMeanAlto,
// txtManualMeanBasso, Text3 and Text4, in that order, and Text5 too when
// withStudent is set.
void EmptyResultFields(Workspace& ws, bool withStudent);

}  // namespace velta
