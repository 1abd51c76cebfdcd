// The GUI thread's message loop, the event queue, the hidden window that carries work
// from other threads, and the helpers every part of the backend shares.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/clock.h"
#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {

Records& records() {
    static Records instance;
    return instance;
}

Handles& handles() {
    static Handles instance;
    return instance;
}

namespace {

std::atomic<DWORD> guiThread{0};
// Work for the GUI thread in call order; guarded by the records' mutex.
std::deque<std::function<void()>> pendingWork;

void runPendingWork() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(records().mutex);
            if (pendingWork.empty())
                return;
            work = std::move(pendingWork.front());
            pendingWork.pop_front();
        }
        work();
    }
}

LRESULT CALLBACK messageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunWorkMessage) {
        runPendingWork();
        return 0;
    }
    if (message == kTrayMessage && handleTrayMessage(wParam, lParam))
        return 0;
    if (message == taskbarCreatedMessage()) {
        restoreTrayIcon();
        return 0;
    }
    if (message == WM_COMMAND && lParam == 0) {
        // A popup menu's item (the tray menu): it belongs to no window.
        pushEvent(Event{EventKind::Command, 0, LOWORD(wParam), 0, 0});
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Hands one message to its window, unless it is a shortcut or Tab, which moves the focus
// between the controls of a window. Only Tab goes to the dialog manager: it would turn
// Enter and Escape into commands 1 and 2, which are the program's own numbers.
void dispatch(MSG& message) {
    if (takeShortcut(message))
        return;
    const bool tab =
        (message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_TAB;
    HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (tab && root != nullptr && windowIdOf(root) != 0 && ::IsDialogMessageW(root, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace

bool onGuiThreadNow() {
    const DWORD gui = guiThread.load();
    return gui != 0 && ::GetCurrentThreadId() == gui;
}

void onGuiThread(std::function<void()> work) {
    if (onGuiThreadNow()) {
        work();
        return;
    }
    std::lock_guard lock(records().mutex);
    if (!records().running)
        return;
    pendingWork.push_back(std::move(work));
    ::PostMessageW(handles().messages, kRunWorkMessage, 0, 0);
}

void pushEvent(const Event& event) {
    std::lock_guard lock(records().mutex);
    if (!records().running)
        return;
    records().events.push(event);
    if (!onGuiThreadNow())
        ::PostMessageW(handles().messages, WM_NULL, 0, 0);  // wakes waitEvent
}

std::wstring toDisplay(const std::string& text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            // LF CR, CR LF, LF or CR alone: one line break.
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if ((next == '\n' || next == '\r') && next != c)
                ++i;
            shown += L"\r\n";
            continue;
        }
        shown += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return shown;
}

std::string fromDisplay(const std::wstring& text) {
    // Characters beyond ISO 8859-1 cannot travel through the interface; they become '?'.
    std::string latin;
    latin.reserve(text.size());
    for (wchar_t c : text)
        latin.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return latin;
}

std::string windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return fromDisplay(text);
}

int windowIdOf(HWND window) {
    for (const auto& [id, w] : handles().windows)
        if (w.top == window)
            return id;
    return 0;
}

int controlIdOf(HWND control) {
    for (const auto& [id, handle] : handles().controls)
        if (handle == control)
            return id;
    return 0;
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool initUi() {
    if (onGuiThreadNow())
        return true;
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                    ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&classes);
    if (!registerWindowClasses())
        return false;
    HWND messages = ::CreateWindowExW(0, kMessageClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
    if (messages == nullptr)
        return false;
    ::SetWindowLongPtrW(messages, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(messageProc));
    handles().messages = messages;
    handles().font = makeMessageFont();
    handles().dialogFont = makeDialogFont();
    guiThread = ::GetCurrentThreadId();
    {
        std::lock_guard lock(records().mutex);
        records().running = true;
        records().events.clear();
    }
    initTray();
    return true;
}

bool uiAvailable() {
    std::lock_guard lock(records().mutex);
    return records().running;
}

void shutdownUi() {
    if (!onGuiThreadNow())
        return;
    stopHelpViewer();
    shutdownTray();
    std::vector<int> open;
    for (const auto& [id, ignored] : handles().windows)
        open.push_back(id);
    for (int id : open)
        closeWindow(id);
    for (auto& [id, menu] : handles().menus)
        ::DestroyMenu(menu);
    for (HBITMAP bitmap : handles().menuBitmaps)
        ::DeleteObject(bitmap);
    HWND messages = handles().messages;
    for (HFONT font : {handles().font, handles().dialogFont})
        ::DeleteObject(font);
    {
        std::lock_guard lock(records().mutex);
        records().running = false;
        records().clear();
        records().topWindows.clear();
        pendingWork.clear();
    }
    handles() = Handles{};
    ::DestroyWindow(messages);
    guiThread = 0;
}

Event waitEvent(int timeoutMs) {
    if (!onGuiThreadNow())
        return Event{};
    const uint64_t start = monotonicMs();
    for (;;) {
        {
            std::lock_guard lock(records().mutex);
            if (std::optional<Event> next = records().events.tryPop())
                return *next;
        }
        MSG message;
        bool handled = false;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatch(message);
            handled = true;
            std::lock_guard lock(records().mutex);
            if (records().events.size() > 0)
                break;
        }
        if (handled)
            continue;
        DWORD wait = INFINITE;
        if (timeoutMs >= 0) {
            const uint64_t elapsed = monotonicMs() - start;
            if (elapsed >= static_cast<uint64_t>(timeoutMs))
                return Event{};
            wait = static_cast<DWORD>(static_cast<uint64_t>(timeoutMs) - elapsed);
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void postEvent(const Event& event) {
    pushEvent(event);
}

}  // namespace platform
