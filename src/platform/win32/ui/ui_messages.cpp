// Message boxes. A system message box may be shown from any thread: the calling thread
// runs the box's own modal loop while the GUI thread goes on with its work.
#include <windows.h>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

UINT iconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return MB_ICONERROR;
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Warning:
            return MB_ICONWARNING;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::None:
            break;
    }
    return 0;
}

UINT buttonStyle(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageButtons::YesNo:
            return MB_YESNO;
        case MessageButtons::Ok:
            break;
    }
    return MB_OK;
}

HWND ownerHandle(int owner) {
    std::lock_guard lock(records().mutex);
    auto found = records().topWindows.find(owner);
    return found != records().topWindows.end() ? found->second : nullptr;
}

// SHMessageBoxCheckW, looked up at run time: shlwapi exports it by ordinal 191 on the
// systems that do not export it by name.
using MessageBoxCheck = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT, int, LPCWSTR);

MessageBoxCheck messageBoxCheck() {
    static const MessageBoxCheck found = [] {
        HMODULE shell = ::LoadLibraryW(L"shlwapi.dll");
        if (shell == nullptr)
            return MessageBoxCheck{nullptr};
        FARPROC named = ::GetProcAddress(shell, "SHMessageBoxCheckW");
        if (named == nullptr)
            named = ::GetProcAddress(shell, MAKEINTRESOURCEA(191));
        return reinterpret_cast<MessageBoxCheck>(reinterpret_cast<void*>(named));
    }();
    return found;
}

}  // namespace
}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

int showMessageBox(int owner, const std::string& title, const std::string& text, MessageIcon icon,
                   MessageButtons buttons) {
    if (!uiAvailable())
        return kAnswerNone;
    // The answers are the system's own numbers: IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7.
    const int answer =
        ::MessageBoxW(ownerHandle(owner), toDisplay(text).c_str(), toDisplay(title).c_str(),
                      iconStyle(icon) | buttonStyle(buttons) | MB_SETFOREGROUND);
    return answer > 0 ? answer : kAnswerNone;
}

int showMessageBoxOnce(int owner, const std::string& title, const std::string& text,
                       MessageIcon icon, const std::string& valueName, const std::string&) {
    if (!uiAvailable())
        return kAnswerNone;
    MessageBoxCheck check = messageBoxCheck();
    if (check == nullptr)
        return showMessageBox(owner, title, text, icon, MessageButtons::Ok);
    // The system labels the check box itself and keeps the choice in the user's registry
    // under the value name; once chosen, it answers the default (OK) without a box.
    const int answer = check(ownerHandle(owner), toDisplay(text).c_str(), toDisplay(title).c_str(),
                             iconStyle(icon) | MB_OK, IDOK, toDisplay(valueName).c_str());
    return answer > 0 ? answer : kAnswerOk;
}

}  // namespace platform
