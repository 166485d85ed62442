#pragma once
// The Platform of the window: Qt dialogs, the busy pointer and the event loop.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace velta::qt {

class QtPlatform : public Platform {
  public:
    explicit QtPlatform(QWidget* parent) : parent_(parent) {}

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string FileDialog(const FileDialogRequest& request) override;
    void SetBusy(bool busy) override;
    void ShowNow() override;
    void ProcessEvents() override;
    std::string TimeText() override;
    std::string DateText() override;
    std::string DateTimeText() override;
    double MonotonicSeconds() override;
    void ShowHelp() override;

    // Called inside ProcessEvents before the event loop runs, and before a
    // message box, so the window shows the session as it is now (progress,
    // the results a message is about).
    std::function<void()> onRefresh;
    std::function<void()> onHelp;
    // Called by ShowNow: draws the window as it is now without running
    // events (which could start another command in the middle of one).
    std::function<void()> onShowNow;

    // A save dialog with Qt's filter form that confirms overwriting (chart
    // images); "" when cancelled. Starts in the last folder used.
    std::string ChooseSaveFile(const std::string& title, const std::string& qtFilter);
    // The folder the next file dialog opens in: the last one a dialog
    // returned, remembered between runs.
    QString LastFolder() const;
    void RememberFolder(const QString& chosenFile);

    // The next open-file dialog is not shown but answered with `file`, as if
    // it had been chosen there (a file given at start); nullopt withdraws it.
    void PreAnswerOpenDialog(std::optional<std::string> file) { openAnswer_ = std::move(file); }

    // Message boxes, input boxes and file dialogs (chart images' included)
    // go to `answers` instead of being shown, while it is set: tests answer
    // them synchronously and see what was asked. nullptr shows them again.
    void AnswerDialogsWith(Platform* answers) { answers_ = answers; }

  private:
    QPointer<QWidget> parent_;
    std::optional<std::string> openAnswer_;
    Platform* answers_ = nullptr;
    int busyDepth_ = 0;
};

// "Description (*.a;*.b)|*.a;*.b|..." to Qt's "Description (*.a *.b);;...".
QString QtFilterFromPairs(const std::string& filter);

// Whether this process keeps settings between runs: only when it has named
// its organisation (the program does; tests and tools that do not leave the
// user's settings alone and do not depend on them).
bool KeepsSettings();

// Where a dialog asked for `requested` ("*.xls", "name.dat", "/abs/x.xls")
// opens: a bare name or pattern in `lastFolder`, a path as it is.
QString DialogStartPath(const QString& requested, const QString& lastFolder);

}  // namespace velta::qt
