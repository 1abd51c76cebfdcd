// The menu bar and popup menus, the toolbar and the status bar.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <numeric>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {

namespace {

constexpr int kToolImageSide = 16;

WindowHandles* windowHandles(int window) {
    auto found = handles().windows.find(window);
    return found != handles().windows.end() ? &found->second : nullptr;
}

void storeBarHeights(int window) {
    WindowHandles* w = windowHandles(window);
    if (w == nullptr)
        return;
    RECT tool{};
    RECT status{};
    if (w->toolBar != nullptr)
        ::GetWindowRect(w->toolBar, &tool);
    if (w->statusBar != nullptr)
        ::GetWindowRect(w->statusBar, &status);
    std::lock_guard lock(records().mutex);
    if (WindowRecord* record = records().window(window)) {
        record->toolBarHeight = tool.bottom - tool.top;
        record->statusBarHeight = status.bottom - status.top;
    }
}

// The status bar's parts end at the sums of the program's field widths.
void setStatusParts(HWND bar, const std::vector<int>& widths) {
    std::vector<int> edges(widths.size());
    std::partial_sum(widths.begin(), widths.end(), edges.begin());
    ::SendMessageW(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

}  // namespace

void layoutBars(int window) {
    WindowHandles* w = windowHandles(window);
    if (w == nullptr)
        return;
    if (w->toolBar != nullptr)
        ::SendMessageW(w->toolBar, TB_AUTOSIZE, 0, 0);
    if (w->statusBar != nullptr)
        ::SendMessageW(w->statusBar, WM_SIZE, 0, 0);
    storeBarHeights(window);
}

void applyStatusField(int window, int field) {
    WindowHandles* w = windowHandles(window);
    if (w == nullptr || w->statusBar == nullptr)
        return;
    ui_model::StatusField status;
    {
        std::lock_guard lock(records().mutex);
        const WindowRecord* record = records().window(window);
        if (record == nullptr || field < 0 ||
            field >= static_cast<int>(record->statusFields.size()))
            return;
        status = record->statusFields[static_cast<size_t>(field)];
    }
    const auto index = static_cast<size_t>(field);
    ::SendMessageW(w->statusBar, SB_SETTEXTW, index | SBT_NOBORDERS,
                   reinterpret_cast<LPARAM>(toDisplay(status.text).c_str()));
    HICON icon = makeIcon(imageOf(status.image));
    ::SendMessageW(w->statusBar, SB_SETICON, index, reinterpret_cast<LPARAM>(icon));
    if (w->statusIcons.size() <= index)
        w->statusIcons.resize(index + 1, nullptr);
    if (w->statusIcons[index] != nullptr)
        ::DestroyIcon(w->statusIcons[index]);
    w->statusIcons[index] = icon;
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool addMenu(int window, int menu, const std::string& title) {
    if (!onGuiThreadNow())
        return false;
    WindowHandles* w = window != 0 ? windowHandles(window) : nullptr;
    if (window != 0 && w == nullptr)
        return false;
    {
        std::lock_guard lock(records().mutex);
        if (!records().addMenu(window, menu, title))
            return false;
    }
    HMENU popup = ::CreatePopupMenu();
    handles().menus[menu] = popup;
    if (w != nullptr) {
        const bool first = w->menuBar == nullptr;
        if (first)
            w->menuBar = ::CreateMenu();
        ::AppendMenuW(w->menuBar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                      toDisplay(title).c_str());
        if (first) {
            // The inner area holds the menu bar: the window keeps its outer size and the
            // client area gives the bar its room.
            ::SetMenu(w->top, w->menuBar);
        }
        ::DrawMenuBar(w->top);
    }
    return true;
}

void addMenuItem(int menu, int command, const std::string& text, const Image* image) {
    if (!onGuiThreadNow())
        return;
    auto found = handles().menus.find(menu);
    if (found == handles().menus.end())
        return;
    {
        std::lock_guard lock(records().mutex);
        records().addMenuItem(menu, ui_model::MenuItem{command, text, image != nullptr});
    }
    std::wstring shown = toDisplay(text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING;
    item.wID = static_cast<UINT>(command);
    item.dwTypeData = shown.data();
    // Menus draw 32-bit bitmaps with premultiplied alpha.
    if (HBITMAP bitmap = makeBitmap(image, true)) {
        item.fMask |= MIIM_BITMAP;
        item.hbmpItem = bitmap;
        handles().menuBitmaps.push_back(bitmap);
    }
    const auto position = static_cast<UINT>(::GetMenuItemCount(found->second));
    ::InsertMenuItemW(found->second, position, TRUE, &item);
}

void addMenuSeparator(int menu) {
    if (!onGuiThreadNow())
        return;
    auto found = handles().menus.find(menu);
    if (found == handles().menus.end())
        return;
    {
        std::lock_guard lock(records().mutex);
        records().addMenuItem(menu, ui_model::MenuItem{});
    }
    ::AppendMenuW(found->second, MF_SEPARATOR, 0, nullptr);
}

std::string menuItemText(int menu, int command) {
    std::lock_guard lock(records().mutex);
    return records().menuItemText(menu, command);
}

int menuBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr ? record->menuBarHeight : 0;
}

void showPopupMenu(int menu) {
    onGuiThread([menu] {
        auto found = handles().menus.find(menu);
        if (found == handles().menus.end())
            return;
        POINT at{};
        ::GetCursorPos(&at);
        int window = 0;
        {
            std::lock_guard lock(records().mutex);
            if (const ui_model::MenuRecord* record = records().menu(menu))
                window = record->window;
        }
        WindowHandles* w = window != 0 ? windowHandles(window) : nullptr;
        HWND owner = w != nullptr ? w->top : handles().messages;
        // Without this the menu would not close when the user clicks elsewhere.
        ::SetForegroundWindow(owner);
        ::TrackPopupMenu(found->second, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
        ::PostMessageW(owner, WM_NULL, 0, 0);
    });
}

void addToolButton(int window, int command, const Image* image, const std::string& tooltip) {
    if (!onGuiThreadNow())
        return;
    WindowHandles* w = windowHandles(window);
    if (w == nullptr)
        return;
    if (w->toolBar == nullptr) {
        w->toolBar = ::CreateWindowExW(
            0, TOOLBARCLASSNAMEW, L"",
            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, 0, 0,
            0, 0, w->top, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(w->toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        w->toolImages = ::ImageList_Create(kToolImageSide, kToolImageSide, ILC_COLOR32, 8, 8);
        ::SendMessageW(w->toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(w->toolImages));
    }
    int picture = I_IMAGENONE;
    if (HBITMAP bitmap = makeBitmap(image, false)) {
        picture = ::ImageList_Add(w->toolImages, bitmap, nullptr);
        ::DeleteObject(bitmap);
    }
    w->toolTips[command] = toDisplay(tooltip);
    TBBUTTON button{};
    button.iBitmap = picture;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    ::SendMessageW(w->toolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    layoutBars(window);
}

void addToolSeparator(int window) {
    if (!onGuiThreadNow())
        return;
    WindowHandles* w = windowHandles(window);
    if (w == nullptr || w->toolBar == nullptr)
        return;
    TBBUTTON separator{};
    separator.fsStyle = BTNS_SEP;
    ::SendMessageW(w->toolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&separator));
    layoutBars(window);
}

int toolBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr ? record->toolBarHeight : 0;
}

bool createStatusBar(int window, const std::vector<int>& fieldWidths) {
    if (!onGuiThreadNow())
        return false;
    WindowHandles* w = windowHandles(window);
    if (w == nullptr || w->statusBar != nullptr)
        return false;
    w->statusBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                     w->top, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (w->statusBar == nullptr)
        return false;
    ::SendMessageW(w->statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(handles().font), FALSE);
    setStatusParts(w->statusBar, fieldWidths);
    {
        std::lock_guard lock(records().mutex);
        records().addStatusBar(window, fieldWidths);
    }
    layoutBars(window);
    return true;
}

void setStatusField(int window, int field, const std::string& text, const Image* image) {
    {
        std::lock_guard lock(records().mutex);
        if (!records().setStatusField(window, field, text, pictureOf(image)))
            return;
    }
    onGuiThread([window, field] { applyStatusField(window, field); });
}

std::string statusFieldText(int window, int field) {
    std::lock_guard lock(records().mutex);
    return records().statusFieldText(window, field);
}

int statusBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    return record != nullptr ? record->statusBarHeight : 0;
}

}  // namespace platform
