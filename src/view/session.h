#pragma once
// Everything one main window holds: the analysis, what the user typed into
// the grid and the boxes, and the state of the window around them (the
// status line, a running generation and its progress window, requests to
// the window). Commands change a Session; the window shows WindowViewOf it.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/analysis.h"
#include "view/grid.h"
#include "view/grid_history.h"

namespace velta {

// The boxes the user types in, as typed. A command reads and checks them
// when it runs; what it computed from them goes into the analysis.
struct TypedInputs {
    // Enough that the automatic size is the pilot's, not one draw's: from
    // 20000 on it no longer moves over seeds for the example and most real
    // pilots, and at 30000 the default seed's draw of the example answers
    // too (at 20000 and 25000 it is one of the few that cannot succeed).
    // Generation stays a blink.
    std::string virtualSamples = "30000";
    std::string seed = "5489";  // where every generation starts the random source
    std::string trimPercent = "5";
    std::string alpha = "0.05";
    std::string maxError;
    std::string studentSd;
    friend bool operator==(const TypedInputs&, const TypedInputs&) = default;
};

inline constexpr std::array<const char*, 3> kAlphaChoices = {"0.01", "0.05", "0.10"};

// The progress window of a running generation: its three phases (greyed
// until reached, highlighted while active) and four bars (0 .. 100): the
// drawing, the statistics, and the two charts.
struct GenerationProgress {
    struct Phase {
        bool reached = false;
        bool active = false;
    };
    bool shown = false;
    std::array<Phase, 3> phases{};
    std::array<float, 4> bars{};
    int32_t samples = 0;     // V of the running generation
    int32_t drawn = 0;       // virtual samples drawn so far
    int32_t summarised = 0;  // virtual samples summarised so far
};

struct Session {
    // The sampling units as typed or opened: column 1 from row 1 down, the
    // header in row 0.
    Grid units{26, 500};
    TypedInputs inputs;
    Analysis analysis;

    // The grid was edited after its values were accepted as the pilot: the
    // pilot no longer matches it, so Generate waits for a new acceptance.
    bool unitsChanged = false;
    // The typed values were saved as .xls in this workspace.
    bool typedValuesSaved = false;
    // The sampling units were edited since they were last saved or opened:
    // New, Open and Exit ask before they are lost.
    bool unitsUnsaved = false;
    // Undo and redo of the edits of the units grid.
    GridHistory unitsHistory;
    // The status line's words for a step that keeps the window busy without
    // a progress window (trimming, Automatic), set while the window is drawn
    // just before the step starts.
    std::string busyStatus;

    // A generation is running (only Help, About and Exit are taken), when it
    // started, and its progress window.
    bool generationRunning = false;
    bool abortRequested = false;
    std::string runningSince;
    GenerationProgress progress;

    // The last file a command wrote, for the status line: what it holds and where.
    struct WrittenFile {
        std::string what;
        std::string path;
    };
    std::optional<WrittenFile> lastWritten;

    // How many times a successful Automatic is repeated (0: never), and the
    // repeats running in the background.
    int32_t repeats = kDefaultRepeats;
    std::shared_ptr<RepeatsJob> repeatsJob;

    // Requests to the window: close it, show About (consumed by the window).
    bool exitRequested = false;
    int aboutRequests = 0;
};

}  // namespace velta
