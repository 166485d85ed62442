#pragma once
// A Platform that answers from queues filled in advance and records every
// call, for tests and the batch command line. Unqueued questions get the
// default answer (the first button: Ok, Yes or Save), inputs "" and file
// dialogs are cancelled.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velta {

class ScriptedPlatform : public Platform {
  public:
    struct Message {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
    };
    struct Input {
        std::string prompt, title, defaultText;
    };

    // Answers, consumed in order.
    std::deque<MsgAnswer> answers;
    std::deque<std::string> inputs;
    std::deque<std::string> files;  // a file dialog returns the next entry

    // What happened.
    std::vector<Message> messages;
    std::vector<Input> inputRequests;
    std::vector<FileDialogRequest> fileRequests;
    int helpShown = 0;
    int processEventsCalls = 0;
    bool busy = false;

    // Runs on every ProcessEvents, e.g. to press Abort in a test.
    std::function<void()> onProcessEvents;
    // Runs on every ShowNow, e.g. to see the status of a long step.
    std::function<void()> onShowNow;
    int showNowCalls = 0;
    // Fixed clock texts, and a clock that advances one millisecond per read.
    std::string timeText = "12:00:00";
    std::string dateText = "06/12/2026";
    std::string dateTimeText = "06/12/2026 12:00:00";
    double clock = 0.0;
    double clockStep = 0.001;
    // Memory the machine pretends to have free.
    uint64_t availableMemory = uint64_t{16} << 30;

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string FileDialog(const FileDialogRequest& request) override;
    void SetBusy(bool b) override { busy = b; }
    void ProcessEvents() override;
    void ShowNow() override;
    std::string TimeText() override { return timeText; }
    std::string DateText() override { return dateText; }
    std::string DateTimeText() override { return dateTimeText; }
    double MonotonicSeconds() override { return clock += clockStep; }
    void ShowHelp() override { ++helpShown; }
    uint64_t AvailableMemory() override { return availableMemory; }

    // Text of the last message, "" when none was shown.
    std::string LastMessage() const { return messages.empty() ? "" : messages.back().text; }
};

}  // namespace velta
