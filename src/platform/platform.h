#pragma once
// Everything outside the program's logic: dialogs, the busy pointer, letting
// pending events run, the clock, the help viewer and writing a named file.
// The window uses the Qt implementation; tests and the command line use the
// scripted one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_output.h"
#include "base/system_memory.h"

namespace velta {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, SaveDiscardCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry, Save, Discard };

// The title of every message box.
inline constexpr const char* kVeltaTitle = "VELTA";

struct FileDialogRequest {
    std::string title;
    // Filter in the "Description (*.ext)|*.ext|..." form, pairs separated by '|'.
    std::string filter;
    // Initial file name; a cancelled dialog leaves it as the result.
    std::string fileName;
    bool save = false;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Modal message box; an empty title means the application title.
    virtual MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // Modal input box; returns "" when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Returns the chosen file name, or request.fileName when cancelled.
    virtual std::string FileDialog(const FileDialogRequest& request) = 0;

    virtual void SetBusy(bool busy) = 0;
    // Shows the window as the session is now, without letting any input in:
    // the status of a long step before it starts.
    virtual void ShowNow() {}
    // Lets pending window events run (repaints, the progress window, Abort).
    virtual void ProcessEvents() = 0;
    // Current time of day in the system's format, today's date in the
    // system's short form, and date and time together.
    virtual std::string TimeText() = 0;
    virtual std::string DateText() = 0;
    virtual std::string DateTimeText() = 0;
    // Monotonic seconds, for throttling work such as event processing.
    virtual double MonotonicSeconds() = 0;
    // Opens the user guide.
    virtual void ShowHelp() = 0;
    // Bytes of memory the machine can still give the program (0: unknown).
    virtual uint64_t AvailableMemory() { return SystemAvailableMemory(); }
    // Writes a file the user named (the report) by the program's rules for
    // files; "" on success, else why not. The command line sends "-" to its
    // standard output.
    virtual std::string WriteFile(const std::string& path, std::string_view bytes) {
        return WriteOutputFile(path, bytes);
    }
    // True where file names come from the caller exactly as they must be used
    // (the command line), so that no extension is added to a chosen name.
    virtual bool NamesAreExact() const { return false; }
};

}  // namespace velta
