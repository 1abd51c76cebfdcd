// The desktop's services: the browser for a web address, and the compiled help viewer
// through HtmlHelpA, which hhctrl.ocx offers and is looked up when first needed.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL

using HtmlHelp = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelp htmlHelp() {
    static const HtmlHelp found = [] {
        HMODULE viewer = ::LoadLibraryW(L"hhctrl.ocx");
        if (viewer == nullptr)
            return HtmlHelp{nullptr};
        return reinterpret_cast<HtmlHelp>(
            reinterpret_cast<void*>(::GetProcAddress(viewer, "HtmlHelpA")));
    }();
    return found;
}

HWND helpWindow = nullptr;

}  // namespace
}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool openUrl(const std::string& url) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", toDisplay(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool startHelpViewer(const std::string& file, const std::string& page) {
    stopHelpViewer();
    HtmlHelp help = htmlHelp();
    if (help == nullptr || !onGuiThreadNow())
        return false;
    const std::string topic = file + "::/" + page;
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
