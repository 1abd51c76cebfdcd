// What the Win32 UI backend knows about the program's windows and controls, in two
// halves, as the other UI backends keep them: the records (texts, states, geometry, list
// rows), which any thread may read and change under one short lock, and the window
// handles, which only the GUI thread works with. A change from another thread updates the
// record and asks the GUI thread to bring the control in line with it.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_model/records.h"

namespace platform::win32ui {

using ui_model::ControlRecord;
using ui_model::WindowRecord;

// The shared half, guarded by `mutex`. The handles of the top-level windows are kept here
// too, so that other threads can ask the system about them (the pointer's position).
struct Records : ui_model::Records {
    bool running = false;
    std::map<int, HWND> topWindows;
};
Records& records();

// Pictures in the records are copies of the program's images.
ui_model::ImageHandle pictureOf(const Image* image);  // null for none or an invalid one
inline const Image* imageOf(const ui_model::ImageHandle& picture) {
    return static_cast<const Image*>(picture.get());
}

// The GUI thread's half.
struct WindowHandles {
    HWND top = nullptr;
    HMENU menuBar = nullptr;
    HWND toolBar = nullptr;
    HIMAGELIST toolImages = nullptr;
    std::map<int, std::wstring> toolTips;  // command -> tooltip
    HWND statusBar = nullptr;
    std::vector<HICON> statusIcons;
    HICON icon = nullptr;
    std::map<std::pair<int, unsigned>, int> shortcuts;  // (key, modifiers) -> event number
};
struct Handles {
    std::map<int, WindowHandles> windows;
    std::map<int, HWND> controls;
    std::map<int, HBITMAP> viewBitmaps;        // what each image view paints
    std::map<int, uint64_t> viewSerials;       // the record's image serial each one shows
    std::map<int, std::vector<int>> tabPages;  // a tab panel's pages in creation order
    std::map<int, HMENU> menus;
    std::vector<HBITMAP> menuBitmaps;
    HWND messages = nullptr;     // the hidden window that carries work, tray and popup messages
    HFONT font = nullptr;        // the main window's
    HFONT dialogFont = nullptr;  // tool windows'
};
Handles& handles();

// Runs `work` on the GUI thread: at once when called there, otherwise queued in call
// order. Dropped when the UI is not running.
void onGuiThread(std::function<void()> work);
bool onGuiThreadNow();

// Appends an event for waitEvent and wakes the GUI thread. Any thread.
void pushEvent(const Event& event);

// The interface's ISO 8859-1 texts as the system's UTF-16 and back; the program's LF CR
// line break becomes the system's CR LF.
std::wstring toDisplay(const std::string& text);
std::string fromDisplay(const std::wstring& text);
std::string windowText(HWND window);

// The fonts the controls get (ui_fonts.cpp).
HFONT makeMessageFont();
HFONT makeDialogFont();

// Icons and bitmaps from the program's images (straight alpha); null for none.
HICON makeIcon(const Image* image);
HBITMAP makeBitmap(const Image* image, bool premultiplied);

// The window and control ids behind a handle; 0 when it is none of ours.
int windowIdOf(HWND window);
int controlIdOf(HWND control);

// Synchronisation of one control or status field with its record; GUI thread only.
void applyControl(int control);
void applyStatusField(int window, int field);
void layoutBars(int window);
void layoutTabPages(int panel);
void applyList(int list, const ControlRecord& record);
HWND makeListView(HWND parent);

// Window procedures' shared handling of what controls report to their parents.
bool handleCommand(HWND parent, WPARAM wParam, LPARAM lParam);
bool handleNotify(HWND parent, LPARAM lParam, LRESULT& result);
LRESULT CALLBACK containerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK imageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Parts with their own start and end.
bool registerWindowClasses();
void initTray();
void shutdownTray();
bool handleTrayMessage(WPARAM wParam, LPARAM lParam);
// The message Explorer sends every top-level window when its taskbar is new, and the
// answer to it: the icon goes into the new tray.
UINT taskbarCreatedMessage();
void restoreTrayIcon();
bool takeShortcut(const MSG& message);

// Window classes and messages of the backend.
inline constexpr const wchar_t* kTopClass = L"KorvoWindow";
inline constexpr const wchar_t* kContainerClass = L"KorvoPanel";
inline constexpr const wchar_t* kImageClass = L"KorvoImage";
inline constexpr const wchar_t* kMessageClass = L"KorvoMessages";
inline constexpr UINT kRunWorkMessage = WM_APP + 1;
inline constexpr UINT kTrayMessage = WM_APP + 2;

}  // namespace platform::win32ui
