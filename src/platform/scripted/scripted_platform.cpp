#include "platform/scripted/scripted_platform.h"

namespace velta {

MsgAnswer ScriptedPlatform::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                       const std::string& title) {
    messages.push_back({text, buttons, icon, title});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        case MsgButtons::RetryCancel:
            return MsgAnswer::Retry;
        case MsgButtons::SaveDiscardCancel:
            return MsgAnswer::Save;
        default:
            return MsgAnswer::Ok;
    }
}

std::string ScriptedPlatform::InputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
    inputRequests.push_back({prompt, title, defaultText});
    if (inputs.empty()) return "";
    std::string s = inputs.front();
    inputs.pop_front();
    return s;
}

std::string ScriptedPlatform::FileDialog(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) return request.fileName;
    std::string s = files.front();
    files.pop_front();
    return s;
}

void ScriptedPlatform::ShowNow() {
    ++showNowCalls;
    if (onShowNow) onShowNow();
}

void ScriptedPlatform::ProcessEvents() {
    ++processEventsCalls;
    if (onProcessEvents) onProcessEvents();
}

}  // namespace velta
