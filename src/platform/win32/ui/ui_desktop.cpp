// The desktop's services: the browser for a web address, and the compiled help viewer
// through HtmlHelpW, which hhctrl.ocx offers and is looked up when first needed.
#include <windows.h>
// after windows.h, which they need
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/ui/ui_state.h"
#include "platform/win32/wide.h"

namespace platform::win32ui {
namespace {

constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL

using HtmlHelp = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The viewer from the system folder by its full name: a file of that name beside the
// program, or in the current folder, is never loaded in its place.
HMODULE loadViewerFromSystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryW((std::wstring(folder, length) + L"\\hhctrl.ocx").c_str());
}

HtmlHelp htmlHelp() {
    static const HtmlHelp found = [] {
        HMODULE viewer = loadViewerFromSystemFolder();
        if (viewer == nullptr)
            return HtmlHelp{nullptr};
        return reinterpret_cast<HtmlHelp>(
            reinterpret_cast<void*>(::GetProcAddress(viewer, "HtmlHelpW")));
    }();
    return found;
}

// ShellExecuteW may hand the address to a shell extension that needs COM on the calling
// thread; once per thread is enough, and a thread that has it already keeps its own.
void startComOnThisThread() {
    thread_local const bool started = [] {
        const HRESULT result =
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        return SUCCEEDED(result);
    }();
    static_cast<void>(started);
}

HWND helpWindow = nullptr;

}  // namespace
}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool openUrl(const std::string& url) {
    startComOnThisThread();
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", toDisplay(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool startHelpViewer(const std::string& file, const std::string& page) {
    stopHelpViewer();
    HtmlHelp help = htmlHelp();
    if (help == nullptr || !onGuiThreadNow())
        return false;
    const std::wstring topic = win32::widen(file + "::/" + page);
    helpWindow = help(::GetDesktopWindow(), topic.c_str(), kDisplayTopic, 0);
    return helpWindow != nullptr;
}

void stopHelpViewer() {
    if (helpWindow == nullptr)
        return;
    if (HtmlHelp help = htmlHelp())
        help(nullptr, nullptr, kCloseAll, 0);
    helpWindow = nullptr;
}

}  // namespace platform
