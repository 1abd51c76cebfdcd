// The tray icon through Shell_NotifyIconW; its messages arrive at the hidden window.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

constexpr UINT kTrayIconId = 1;
HICON trayIcon = nullptr;

NOTIFYICONDATAW iconData() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = handles().messages;
    data.uID = kTrayIconId;
    return data;
}

}  // namespace

void initTray() {
    // The shell is always there to take an icon; without a taskbar (Wine without a
    // desktop) it shows in a small window of its own.
    std::lock_guard lock(records().mutex);
    records().trayAvailable = true;
}

void shutdownTray() {
    hideTrayIcon();
}

bool handleTrayMessage(WPARAM, LPARAM lParam) {
    TrayAction action;
    switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
            action = TrayAction::LeftClick;
            break;
        case WM_RBUTTONUP:
            action = TrayAction::RightClick;
            break;
        case WM_LBUTTONDBLCLK:
            action = TrayAction::LeftDoubleClick;
            break;
        case WM_RBUTTONDBLCLK:
            action = TrayAction::RightDoubleClick;
            break;
        default:
            return true;
    }
    pushEvent(Event{EventKind::Tray, 0, 0, static_cast<int>(action), 0});
    return true;
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool trayAvailable() {
    std::lock_guard lock(records().mutex);
    return records().trayAvailable;
}

void showTrayIcon(const Image* icon, const std::string& tooltip) {
    std::shared_ptr<const Image> copy =
        icon != nullptr && icon->valid() ? std::make_shared<const Image>(*icon) : nullptr;
    onGuiThread([copy, tooltip] {
        HICON made = makeIcon(copy.get());
        NOTIFYICONDATAW data = iconData();
        data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kTrayMessage;
        data.hIcon = made != nullptr ? made : ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
        const std::wstring tip = toDisplay(tooltip).substr(0, 127);
        tip.copy(data.szTip, tip.size());
        bool shown;
        {
            std::lock_guard lock(records().mutex);
            shown = records().trayShown;
        }
        const bool ok = ::Shell_NotifyIconW(shown ? NIM_MODIFY : NIM_ADD, &data) != 0;
        if (trayIcon != nullptr)
            ::DestroyIcon(trayIcon);
        trayIcon = made;
        std::lock_guard lock(records().mutex);
        records().trayShown = shown || ok;
    });
}

void hideTrayIcon() {
    onGuiThread([] {
        bool shown;
        {
            std::lock_guard lock(records().mutex);
            shown = records().trayShown;
            records().trayShown = false;
        }
        if (shown) {
            NOTIFYICONDATAW data = iconData();
            ::Shell_NotifyIconW(NIM_DELETE, &data);
        }
        if (trayIcon != nullptr)
            ::DestroyIcon(trayIcon);
        trayIcon = nullptr;
    });
}

bool trayIconShown() {
    std::lock_guard lock(records().mutex);
    return records().trayShown;
}

}  // namespace platform
