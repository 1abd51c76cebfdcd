// The tray icon through Shell_NotifyIconW; its messages arrive at the hidden window.
// The shell forgets every icon when Explorer restarts and says so with the registered
// message "TaskbarCreated": the icon then goes in again. When the tray refuses the icon,
// the window comes back as if the icon had been double-clicked, since a hidden window
// without an icon could never be reached again.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

constexpr UINT kTrayIconId = 1;
HICON trayIcon = nullptr;
std::wstring trayTip;

NOTIFYICONDATAW iconData() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = handles().messages;
    data.uID = kTrayIconId;
    return data;
}

// Adds the icon, or changes it when it is there already. A busy shell may time out on
// an add that it carries out all the same: a change then finds the icon. False when the
// tray has no icon of ours afterwards.
bool putIconInTray(bool shown) {
    NOTIFYICONDATAW data = iconData();
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = trayIcon != nullptr ? trayIcon : ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    trayTip.copy(data.szTip, trayTip.size());
    if (shown && ::Shell_NotifyIconW(NIM_MODIFY, &data))
        return true;
    return ::Shell_NotifyIconW(NIM_ADD, &data) || ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

// Puts the icon in the tray and records whether it is there; a refused icon brings the
// window back.
void placeIcon(bool shown) {
    const bool placed = putIconInTray(shown);
    {
        std::lock_guard lock(records().mutex);
        records().trayShown = placed;
    }
    if (!placed)
        pushEvent(Event{EventKind::Tray, 0, 0, static_cast<int>(TrayAction::LeftDoubleClick), 0});
}

}  // namespace

UINT taskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void restoreTrayIcon() {
    if (platform::trayIconShown())
        placeIcon(false);
}

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
        if (trayIcon != nullptr)
            ::DestroyIcon(trayIcon);
        trayIcon = made;
        trayTip = toDisplay(tooltip).substr(0, 127);
        placeIcon(trayIconShown());
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
