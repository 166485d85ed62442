#pragma once
// The Platform of the batch command line. File dialogs are answered with the
// paths given on the command line, the sheet question with --sheet, the
// column question with --column, and the
// generation's Yes/No questions with Yes only under --yes. Every message box
// goes to standard error with its title and kind (reworded where the window's
// text points at a control) and is kept, as the window words it, for the JSON
// document. A long generation shows a progress bar on a terminal. Files the
// commands write go through the program's file writer; "-" is standard output.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "view/session.h"
#include "platform/platform.h"

namespace velta::cli {

struct ShownMessage {
    std::string step;    // the command that showed it: "Open", "Generate", ...
    std::string title;   // as shown: the application title when the box had none
    std::string kind;    // "message", "critical", "question", "warning", "information"
    std::string text;    // line breaks as '\n'
    std::string answer;  // "Yes" or "No" for a question, "" otherwise
};

// The kind printed for a box: a Yes/No box is a question whatever its icon.
std::string MessageKind(MsgButtons buttons, MsgIcon icon);
// A message text with its carriage returns as line feeds.
std::string PlainText(const std::string& text);
// The text printed on standard error for a message the window shows as
// `plainText`: the same, except where the window's wording names one of its
// controls (the slider, the procedures to run), which the command line
// replaces by its options. `ws` (may be null) gives the range of sizes.
std::string CommandLineText(const std::string& plainText, const Session* session);

class BatchPlatform : public Platform {
  public:
    // `progress`: draw a bar on `err` (a terminal) for steps that take long.
    BatchPlatform(std::ostream& err, bool answerYes, bool quiet, bool progress);
    ~BatchPlatform() override;

    // File dialogs return these in order; an empty queue cancels.
    std::deque<std::string> files;
    // Answer to the sheet question: a 1-based number or a sheet name; "" takes
    // the question's default (the first sheet).
    std::string sheetAnswer;
    // Answer to the column question: a letter, a number or a header; "" takes
    // the question's default (the column the import was asked for).
    std::string columnAnswer;
    // The sheet names the last sheet question offered (empty when none was asked).
    std::vector<std::string> offeredSheets;
    bool sheetNotFound = false;

    std::vector<ShownMessage> messages;
    // Printed before each message on standard error: which column it is
    // about when several are sized ("column B: "), else "".
    std::string messagePrefix;
    // Where "-" sends a file the commands write; none refuses it.
    std::ostream* standardOutput = nullptr;
    // A Yes/No question was answered No because --yes was not given.
    bool unansweredQuestion = false;

    // Brackets one command: its messages are tagged with `step`, and the
    // progress bar (if any) follows `session` and is cleared at the end. A step
    // that reports no progress of its own (the trimming) gets a spinner once
    // it has run for half a second.
    void BeginStep(const std::string& step, const Session* session);
    void EndStep();
    // Messages shown since the last BeginStep.
    std::vector<ShownMessage> StepMessages() const;

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string FileDialog(const FileDialogRequest& request) override;
    void SetBusy(bool) override {}
    void ProcessEvents() override;
    std::string TimeText() override;
    std::string DateText() override;
    std::string DateTimeText() override;
    double MonotonicSeconds() override;
    void ShowHelp() override {}
    std::string WriteFile(const std::string& path, std::string_view bytes) override;
    bool NamesAreExact() const override { return true; }

  private:
    void ClearBar();  // with mu_ held
    void Spin();      // the spinner thread of a step

    // The spinner thread and the command share err_.
    std::mutex mu_;
    std::condition_variable stepEnded_;
    bool stepOpen_ = false;
    std::thread spinner_;

    std::ostream& err_;
    bool answerYes_;
    bool quiet_;
    bool progress_;
    std::string step_;
    const Session* session_ = nullptr;
    size_t stepFirst_ = 0;
    double stepStart_ = 0.0;
    int shownPercent_ = -1;
    bool barDrawn_ = false;
    bool spinnerDrawn_ = false;
};

}  // namespace velta::cli
