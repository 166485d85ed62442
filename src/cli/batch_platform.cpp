#include "cli/batch_platform.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "base/file_output.h"
#include "base/numbers.h"
#include "cli/output_file.h"
#include "commands/automatic.h"
#include "commands/student_t.h"
#include "commands/write_report.h"
#include "data/spreadsheet_commands.h"

namespace velta::cli {

std::string MessageKind(MsgButtons buttons, MsgIcon icon) {
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) return "question";
    switch (icon) {
        case MsgIcon::Critical:
            return "critical";
        case MsgIcon::Question:
            return "question";
        case MsgIcon::Exclamation:
            return "warning";
        case MsgIcon::Information:
            return "information";
        case MsgIcon::None:
            break;
    }
    return "message";
}

std::string PlainText(const std::string& text) {
    std::string s = text;
    std::replace(s.begin(), s.end(), '\r', '\n');
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

std::string CommandLineText(const std::string& plainText, const Session* session) {
    if (plainText == kTrySliderMessage) {
        std::string text = "You may try other sample sizes with --manual SIZE";
        const Pilot* pilot = session ? session->analysis.pilot() : nullptr;
        if (pilot && pilot->Size() > 3) text += " (2 .. " + FormatInteger(pilot->Size() - 1) + ")";
        return text;
    }
    if (plainText == kIncompleteResultsMessage)
        return "The report needs a manual sample size: Automatic gave none; choose one with "
               "--manual SIZE";
    if (plainText == kTooLargeStudentSizeMessage)
        return "The Student-t sample size would exceed 10,000,000: the Max. accepted error is too "
               "small for this standard deviation. Try a higher --max-error";
    return plainText;
}

BatchPlatform::BatchPlatform(std::ostream& err, bool answerYes, bool quiet, bool progress)
    : err_(err), answerYes_(answerYes), quiet_(quiet), progress_(progress && !quiet) {}

BatchPlatform::~BatchPlatform() {
    EndStep();
}

void BatchPlatform::BeginStep(const std::string& step, const Session* session) {
    EndStep();
    step_ = step;
    session_ = session;
    stepFirst_ = messages.size();
    stepStart_ = MonotonicSeconds();
    shownPercent_ = -1;
    if (!progress_) return;
    stepOpen_ = true;
    spinner_ = std::thread([this] { Spin(); });
}

void BatchPlatform::EndStep() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        stepOpen_ = false;
    }
    stepEnded_.notify_all();
    if (spinner_.joinable()) spinner_.join();
    std::lock_guard<std::mutex> lock(mu_);
    ClearBar();
    session_ = nullptr;
}

void BatchPlatform::Spin() {
    static const char kFrames[] = {'|', '/', '-', '\\'};
    std::unique_lock<std::mutex> lock(mu_);
    if (stepEnded_.wait_for(lock, std::chrono::milliseconds(500), [this] { return !stepOpen_; }))
        return;
    for (int frame = 0; stepOpen_; ++frame) {
        // A step with a bar of its own draws that instead.
        if (!barDrawn_) {
            err_ << '\r' << step_ << " " << kFrames[frame % 4];
            err_.flush();
            spinnerDrawn_ = true;
        }
        stepEnded_.wait_for(lock, std::chrono::milliseconds(200), [this] { return !stepOpen_; });
    }
}

std::vector<ShownMessage> BatchPlatform::StepMessages() const {
    return {messages.begin() + static_cast<std::ptrdiff_t>(stepFirst_), messages.end()};
}

MsgAnswer BatchPlatform::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                    const std::string& title) {
    ShownMessage m;
    m.step = step_;
    m.title = title.empty() ? kVeltaTitle : title;
    m.kind = MessageKind(buttons, icon);
    m.text = PlainText(text);
    MsgAnswer answer = MsgAnswer::Ok;
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) {
        answer = answerYes_ ? MsgAnswer::Yes : MsgAnswer::No;
        m.answer = answerYes_ ? "Yes" : "No";
        if (!answerYes_) unansweredQuestion = true;
    } else if (buttons == MsgButtons::OkCancel) {
        answer = MsgAnswer::Ok;
    } else if (buttons == MsgButtons::RetryCancel) {
        // Nothing changes between two tries of a batch run.
        answer = MsgAnswer::Cancel;
    }

    // Information is guidance for someone at the window, and a question
    // answered by --yes needs no reader: --quiet drops both. A box without an
    // icon is a refusal of the import: it stays.
    const bool show =
        !(quiet_ && (m.kind == "information" || (m.kind == "question" && answerYes_)));
    if (show) {
        std::lock_guard<std::mutex> lock(mu_);
        ClearBar();
        std::string body = CommandLineText(m.text, session_);
        for (size_t at = body.find('\n'); at != std::string::npos; at = body.find('\n', at + 1))
            body.insert(at + 1, "    ");
        err_ << messagePrefix << m.title << " (" << m.kind << "): " << body;
        if (!m.answer.empty()) err_ << "\n    -> " << m.answer << (answerYes_ ? " (--yes)" : "");
        err_ << '\n';
        err_.flush();
    }
    messages.push_back(std::move(m));
    return answer;
}

std::string BatchPlatform::InputBox(const std::string& prompt, const std::string& title,
                                    const std::string& defaultText) {
    // The column question: --column, or its default (the column asked for).
    if (title == kColumnChoiceTitle) return columnAnswer.empty() ? defaultText : columnAnswer;
    // The sheet question, whose prompt lists the sheets as "k)  name" lines.
    offeredSheets.clear();
    const std::string text = PlainText(prompt);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t mark = line.find(")  ");
        if (mark != std::string::npos && mark > 0 &&
            std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(mark),
                        [](char c) { return c >= '0' && c <= '9'; }))
            offeredSheets.push_back(line.substr(mark + 3));
        start = end + 1;
    }
    if (sheetAnswer.empty()) return defaultText;
    const auto number = ParseNumber(sheetAnswer);
    if (number && IsWholeNumber(sheetAnswer)) {
        if (*number < 1 || *number > static_cast<double>(offeredSheets.size())) {
            sheetNotFound = true;
            return "";
        }
        return sheetAnswer;
    }
    for (size_t i = 0; i < offeredSheets.size(); ++i)
        if (offeredSheets[i] == sheetAnswer) return std::to_string(i + 1);
    sheetNotFound = true;
    return "";
}

std::string BatchPlatform::FileDialog(const FileDialogRequest& request) {
    if (files.empty()) return request.fileName;
    std::string s = files.front();
    files.pop_front();
    return s;
}

std::string BatchPlatform::WriteFile(const std::string& path, std::string_view bytes) {
    if (!IsStandardOutput(path)) return WriteOutputFile(path, bytes);
    if (!standardOutput) return "standard output is not available";
    return WriteOutput(path, bytes, *standardOutput);
}

void BatchPlatform::ProcessEvents() {
    if (!progress_ || !session_) return;
    if (MonotonicSeconds() - stepStart_ < 0.5) return;
    const GenerationProgress& w = session_->progress;
    if (!w.shown) return;
    // The two phases of the progress window as one bar: drawing and statistics.
    const double done = (w.bars[0] + w.bars[1]) / 2.0;
    const int percent = std::clamp(static_cast<int>(done), 0, 100);
    std::lock_guard<std::mutex> lock(mu_);
    if (percent == shownPercent_) return;
    if (!barDrawn_) ClearBar();
    barDrawn_ = true;
    shownPercent_ = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    err_ << '\r' << step_ << " [" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << percent << "%";
    err_.flush();
}

void BatchPlatform::ClearBar() {
    if (!barDrawn_ && !spinnerDrawn_) return;
    err_ << '\r' << std::string(step_.size() + 40, ' ') << '\r';
    err_.flush();
    shownPercent_ = -1;
    barDrawn_ = spinnerDrawn_ = false;
}

namespace {
// The local time now in a strftime format.
std::string LocalNow(const char* format) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}
}  // namespace

std::string BatchPlatform::TimeText() {
    return LocalNow("%H:%M:%S");
}

std::string BatchPlatform::DateText() {
    return LocalNow("%d/%m/%Y");
}

std::string BatchPlatform::DateTimeText() {
    return LocalNow("%d/%m/%Y %H:%M:%S");
}

double BatchPlatform::MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace velta::cli
