// Top-level windows: creation with the program's inner geometry, showing, fading, and
// what their window procedure reports (resizes, the close box, commands of controls).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

struct Styles {
    DWORD style = 0;
    DWORD extended = 0;
};

Styles stylesFor(unsigned flags) {
    if ((flags & kWindowToolWindow) != 0)
        return {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT};
    if ((flags & kWindowResizable) != 0)
        return {WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    return {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
            WS_EX_CONTROLPARENT};
}

// The outer rectangle of a window whose inner area (menu bar and client area) is `inner`:
// the menu bar lies inside the inner area, so it is not added.
RECT outerRect(HWND window, Rect inner) {
    RECT outer{inner.x, inner.y, inner.x + inner.width, inner.y + inner.height};
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const auto extended = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&outer, style, FALSE, extended);
    return outer;
}

int menuHeightOf(HWND window) {
    if (::GetMenu(window) == nullptr)
        return 0;
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (!::GetMenuBarInfo(window, OBJID_MENU, 0, &bar))
        return ::GetSystemMetrics(SM_CYMENU);
    return bar.rcBar.bottom - bar.rcBar.top + 1;
}

// The record's geometry and state from the window as it is now.
void storeGeometry(int id, HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const int menu = menuHeightOf(window);
    std::lock_guard lock(records().mutex);
    WindowRecord* record = records().window(id);
    if (record == nullptr)
        return;
    record->minimised = ::IsIconic(window) != 0;
    record->menuBarHeight = menu;
    if (record->minimised)
        return;
    record->inner = Rect{origin.x, origin.y - menu, client.right, client.bottom + menu};
}

// Every other window of ours takes no input while a modal window is shown.
void setOthersEnabled(int modal, bool enabled) {
    for (const auto& [id, w] : handles().windows)
        if (id != modal)
            ::EnableWindow(w.top, enabled);
}

LRESULT CALLBACK topProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = windowIdOf(window);
    if (id == 0)
        return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CLOSE:
            pushEvent(Event{EventKind::CloseRequested, id, 0, 0, 0});
            return 0;
        case WM_SIZE: {
            storeGeometry(id, window);
            layoutBars(id);
            if (wParam != SIZE_MINIMIZED) {
                const Rect inner = windowGeometry(id);
                pushEvent(Event{EventKind::Resized, id, 0, inner.width, inner.height});
            }
            return 0;
        }
        case WM_MOVE:
            storeGeometry(id, window);
            return 0;
        case WM_SHOWWINDOW: {
            std::lock_guard lock(records().mutex);
            if (WindowRecord* record = records().window(id))
                record->shown = wParam != 0;
            break;
        }
        case WM_GETMINMAXINFO: {
            std::lock_guard lock(records().mutex);
            const WindowRecord* record = records().window(id);
            if (record != nullptr && (record->flags & kWindowMinimumSize) != 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                const RECT* smallest =
                    reinterpret_cast<const RECT*>(::GetPropW(window, L"KorvoMinimum"));
                if (smallest != nullptr)
                    limits->ptMinTrackSize = {smallest->right - smallest->left,
                                              smallest->bottom - smallest->top};
            }
            return 0;
        }
        case WM_COMMAND:
            if (lParam == 0 && HIWORD(wParam) <= 1) {
                // A menu item or an accelerator of the menu bar.
                pushEvent(Event{EventKind::Command, id, LOWORD(wParam), 0, 0});
                return 0;
            }
            if (handleCommand(window, wParam, lParam))
                return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (handleNotify(window, lParam, result))
                return result;
            break;
        }
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(const wchar_t* name, WNDPROC procedure, UINT style, HBRUSH background) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    // The program's icon resource (korvo.rc), where the executable has one.
    windowClass.hIcon = ::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool registerWindowClasses() {
    const auto face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return registerClass(kTopClass, topProc, 0, face) &&
           registerClass(kContainerClass, containerProc, 0, face) &&
           registerClass(kImageClass, imageViewProc, CS_DBLCLKS, nullptr) &&
           registerClass(kMessageClass, ::DefWindowProcW, 0, nullptr);
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool openWindow(int window, Rect inner, const std::string& title, unsigned flags, int owner) {
    if (!onGuiThreadNow() || window <= 0 || handles().windows.count(window) != 0)
        return false;
    const Styles styles = stylesFor(flags);
    auto found = handles().windows.find(owner);
    HWND ownerHandle = found != handles().windows.end() ? found->second.top : nullptr;
    RECT outer{inner.x, inner.y, inner.x + inner.width, inner.y + inner.height};
    ::AdjustWindowRectEx(&outer, styles.style, FALSE, styles.extended);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int x = outer.left;
    int y = outer.top;
    if ((flags & kWindowCentred) != 0) {
        RECT over{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        if (ownerHandle != nullptr)
            ::GetWindowRect(ownerHandle, &over);
        x = over.left + (over.right - over.left - width) / 2;
        y = over.top + (over.bottom - over.top - height) / 2;
    }
    HWND top = ::CreateWindowExW(styles.extended, kTopClass, toDisplay(title).c_str(), styles.style,
                                 x, y, width, height, ownerHandle, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (top == nullptr)
        return false;
    {
        std::lock_guard lock(records().mutex);
        records().addWindow(window, inner, title, flags, owner);
        records().topWindows[window] = top;
    }
    handles().windows[window].top = top;
    if ((flags & kWindowMinimumSize) != 0)
        ::SetPropW(top, L"KorvoMinimum", new RECT{0, 0, width, height});
    storeGeometry(window, top);
    return true;
}

void closeWindow(int window) {
    if (!onGuiThreadNow())
        return;
    std::vector<int> owned;
    {
        std::lock_guard lock(records().mutex);
        owned = records().ownedWindows(window);
    }
    for (int other : owned)
        closeWindow(other);
    auto found = handles().windows.find(window);
    if (found == handles().windows.end())
        return;
    WindowHandles w = found->second;
    std::vector<int> controls;
    bool modal = false;
    {
        std::lock_guard lock(records().mutex);
        const WindowRecord* record = records().window(window);
        modal = record != nullptr && (record->flags & kWindowModal) != 0 && record->shown;
        controls = records().removeWindow(window);
        records().topWindows.erase(window);
    }
    if (modal)
        setOthersEnabled(window, true);
    for (int control : controls) {
        // A window opened again reuses its ids: nothing of the old controls may stay.
        handles().controls.erase(control);
        handles().tabPages.erase(control);
        handles().viewSerials.erase(control);
        auto bitmap = handles().viewBitmaps.find(control);
        if (bitmap != handles().viewBitmaps.end()) {
            ::DeleteObject(bitmap->second);
            handles().viewBitmaps.erase(bitmap);
        }
    }
    handles().windows.erase(found);
    delete reinterpret_cast<RECT*>(::RemovePropW(w.top, L"KorvoMinimum"));
    ::DestroyWindow(w.top);  // its controls, menu bar, toolbar and status bar with it
    if (w.toolImages != nullptr)
        ::ImageList_Destroy(w.toolImages);
    for (HICON icon : w.statusIcons)
        if (icon != nullptr)
            ::DestroyIcon(icon);
    if (w.icon != nullptr)
        ::DestroyIcon(w.icon);
}

bool windowExists(int window) {
    std::lock_guard lock(records().mutex);
    return records().window(window) != nullptr;
}

void setWindowTitle(int window, const std::string& title) {
    {
        std::lock_guard lock(records().mutex);
        WindowRecord* record = records().window(window);
        if (record == nullptr)
            return;
        record->title = title;
    }
    onGuiThread([window, title] {
        auto found = handles().windows.find(window);
        if (found != handles().windows.end())
            ::SetWindowTextW(found->second.top, toDisplay(title).c_str());
    });
}

std::string windowTitle(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr ? record->title : std::string();
}

void setWindowIcon(int window, const Image* icon) {
    std::shared_ptr<const Image> copy =
        icon != nullptr && icon->valid() ? std::make_shared<const Image>(*icon) : nullptr;
    onGuiThread([window, copy] {
        auto found = handles().windows.find(window);
        if (found == handles().windows.end())
            return;
        HICON made = makeIcon(copy.get());
        HICON shown =
            made != nullptr ? made : ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        ::SendMessageW(found->second.top, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(shown));
        ::SendMessageW(found->second.top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(shown));
        if (found->second.icon != nullptr)
            ::DestroyIcon(found->second.icon);
        found->second.icon = made;
    });
}

void showWindow(int window, bool shown) {
    onGuiThread([window, shown] {
        auto found = handles().windows.find(window);
        if (found == handles().windows.end())
            return;
        unsigned flags = 0;
        {
            std::lock_guard lock(records().mutex);
            if (const WindowRecord* record = records().window(window))
                flags = record->flags;
        }
        if ((flags & kWindowModal) != 0)
            setOthersEnabled(window, !shown);
        // SW_SHOW brings a window back as it was: normal, maximised or minimised.
        ::ShowWindow(found->second.top, shown ? SW_SHOW : SW_HIDE);
        if (shown)
            ::SetForegroundWindow(found->second.top);
    });
}

void fadeWindow(int window, bool shown, int durationMs) {
    if (!onGuiThreadNow())
        return;
    auto found = handles().windows.find(window);
    if (found == handles().windows.end())
        return;
    const uint64_t start = monotonicMs();
    HWND top = found->second.top;
    ::AnimateWindow(top, static_cast<DWORD>(std::max(durationMs, 0)),
                    AW_BLEND | (shown ? AW_ACTIVATE : AW_HIDE));
    // Where the system does not blend, the window is still shown or hidden, and the wait
    // still takes its time while the GUI keeps working.
    showWindow(window, shown);
    while (monotonicMs() - start < static_cast<uint64_t>(std::max(durationMs, 0))) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        sleepMs(5);
    }
}

bool windowShown(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr && record->shown;
}

bool windowMinimised(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr && record->minimised;
}

Rect windowGeometry(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr ? record->inner : Rect{};
}

void setWindowGeometry(int window, Rect inner) {
    onGuiThread([window, inner] {
        auto found = handles().windows.find(window);
        if (found == handles().windows.end())
            return;
        const RECT outer = outerRect(found->second.top, inner);
        ::SetWindowPos(found->second.top, nullptr, outer.left, outer.top, outer.right - outer.left,
                       outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

ClientPoint pointerPosition(int window) {
    HWND top = nullptr;
    {
        std::lock_guard lock(records().mutex);
        auto found = records().topWindows.find(window);
        const WindowRecord* record = records().window(window);
        if (found == records().topWindows.end() || record == nullptr || !record->shown ||
            record->minimised)
            return ClientPoint{};
        top = found->second;
    }
    // The system answers for any thread without waiting for the GUI thread.
    POINT point{};
    RECT client{};
    if (!::GetCursorPos(&point) || !::ScreenToClient(top, &point) || !::GetClientRect(top, &client))
        return ClientPoint{};
    if (point.x < 0 || point.y < 0 || point.x >= client.right || point.y >= client.bottom)
        return ClientPoint{};
    return ClientPoint{point.x, point.y};
}

}  // namespace platform
