// A helper of the dialogs test, run under Wine beside korvo.exe. It finds a visible
// top-level window by its title and looks at it or works it as a person would:
//   dialog_probe wait WINDOW               waits (30 s at most) until the window shows
//   dialog_probe gone WINDOW               waits (30 s at most) until it no longer shows
//   dialog_probe list WINDOW               prints the window and its controls, one a line
//   dialog_probe set WINDOW CONTROL TEXT   sets the text of an edit or address control
//   dialog_probe click WINDOW CONTROL      clicks a button or check box (BM_CLICK)
//   dialog_probe pick WINDOW CONTROL ITEM  chooses a drop-down list's item
//   dialog_probe key WINDOW [CONTROL] KEY  clicks into the control, if one is named, then
//                                          presses the key (enter or escape), through the
//                                          input queue: it goes where the focus is
//   dialog_probe tab WINDOW TITLE          clicks the tab of this title
//   dialog_probe command WINDOW ID         sends the window the menu command ID
//   dialog_probe box TITLE                 waits for a message box with this title, prints
//                                          its text (line breaks as "|") and answers OK
// WINDOW is a title; "tool:" before it names the tool window (a dialog) of that title, as
// the connect dialog has the main window's title. CONTROL names a button, check box or
// label by its text; a label's text followed by ">" names the first field to its right
// on the same row, ">>" the second.
//
// The list: first the window (title, client area's position on the screen and size,
// flags tool, fixed, disabled, owner-enabled or owner-disabled), then each control top to bottom:
// kind, text, position in the client area (x,y,w,h), then flags: hidden, disabled,
// checked, password, digits, cut (an edit field that does not show its whole text), and
// items=... and selected=... for drop-down lists and tab controls. Fields are separated
// by tabs.
// Exit code 0 when it happened, 1 when not.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPatienceMs = 30000;

std::wstring wide(const char* text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(std::max(length, 1)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), length);
    result.resize(result.size() - 1);
    return result;
}

std::string utf8(const std::wstring& text) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(length, 1)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

template <typename Found>
bool waitFor(Found found) {
    const ULONGLONG end = ::GetTickCount64() + kPatienceMs;
    while (::GetTickCount64() < end) {
        if (found())
            return true;
        ::Sleep(50);
    }
    return false;
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                          nullptr);
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool toolWindow(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

// The visible window of this title; with "tool:" before the title only a tool window,
// otherwise a window that is no tool window where there is one.
HWND topWindow(const std::wstring& name, const wchar_t* windowClass = nullptr) {
    const bool tool = name.rfind(L"tool:", 0) == 0;
    const std::wstring title = tool ? name.substr(5) : name;
    HWND found = nullptr;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, windowClass, title.c_str());
         window != nullptr; window = ::FindWindowExW(nullptr, window, windowClass, title.c_str())) {
        if (!::IsWindowVisible(window) || (tool && !toolWindow(window)))
            continue;
        if (tool || !toolWindow(window))
            return window;
        found = window;
    }
    return tool ? nullptr : found;
}

// ---- The controls of a window ----

std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

struct Control {
    HWND handle;
    std::wstring kind;
    RECT place;  // in the top window's client area
};

std::wstring kindOf(HWND control) {
    const std::wstring name = classOf(control);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
        const DWORD type = style & BS_TYPEMASK;
        return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ? L"CheckBox" : L"Button";
    }
    if (_wcsicmp(name.c_str(), L"Static") == 0)
        return L"Label";
    if (_wcsicmp(name.c_str(), L"Edit") == 0)
        return L"Edit";
    if (_wcsicmp(name.c_str(), L"ComboBox") == 0)
        return L"ComboBox";
    if (name == WC_IPADDRESSW)
        return L"Address";
    if (name == WC_TABCONTROLW)
        return L"Tabs";
    return name;
}

// Every control of the window, top to bottom and left to right; the fields inside
// address controls count as part of them.
std::vector<Control> controlsOf(HWND top) {
    std::vector<Control> controls;
    for (HWND handle : childrenOf(top)) {
        if (classOf(::GetParent(handle)) == WC_IPADDRESSW)
            continue;
        RECT place{};
        ::GetWindowRect(handle, &place);
        ::MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&place), 2);
        controls.push_back(Control{handle, kindOf(handle), place});
    }
    std::stable_sort(controls.begin(), controls.end(), [](const Control& a, const Control& b) {
        return a.place.top != b.place.top ? a.place.top < b.place.top : a.place.left < b.place.left;
    });
    return controls;
}

bool shown(HWND control) {
    return ::IsWindowVisible(control) != 0;
}

// The four fields of an address control, left to right.
std::vector<HWND> addressFields(HWND address) {
    std::vector<HWND> fields = childrenOf(address);
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return fields;
}

std::wstring addressText(HWND address) {
    std::wstring text;
    const std::vector<HWND> fields = addressFields(address);
    for (size_t i = 0; i < fields.size(); ++i)
        text += (i > 0 ? L"." : L"") + textOf(fields[i]);
    return text;
}

// The tab control answers through pointers into its caller's memory: the questions go
// with memory lent in the control's own process.
struct Lent {
    HANDLE process = nullptr;
    char* block = nullptr;
};

Lent lend(HWND window, SIZE_T size) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    Lent lent;
    lent.process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (lent.process != nullptr)
        lent.block = static_cast<char*>(::VirtualAllocEx(lent.process, nullptr, size,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return lent;
}

void giveBack(const Lent& lent) {
    if (lent.block != nullptr)
        ::VirtualFreeEx(lent.process, lent.block, 0, MEM_RELEASE);
    if (lent.process != nullptr)
        ::CloseHandle(lent.process);
}

bool put(const Lent& lent, SIZE_T at, const void* data, SIZE_T size) {
    SIZE_T moved = 0;
    return ::WriteProcessMemory(lent.process, lent.block + at, data, size, &moved) != 0;
}

bool get(const Lent& lent, SIZE_T at, void* data, SIZE_T size) {
    SIZE_T moved = 0;
    return ::ReadProcessMemory(lent.process, lent.block + at, data, size, &moved) != 0;
}

std::wstring tabTitle(HWND tabs, int index) {
    constexpr int kLetters = 128;
    wchar_t letters[kLetters] = {};
    const Lent lent = lend(tabs, sizeof(TCITEMW) + sizeof letters);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(lent.block + sizeof item);
    item.cchTextMax = kLetters;
    const bool read = lent.block != nullptr && put(lent, 0, &item, sizeof item) &&
                      ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(lent.block)) &&
                      get(lent, sizeof item, letters, sizeof letters);
    giveBack(lent);
    letters[kLetters - 1] = L'\0';
    return read ? letters : L"?";
}

// The tab's header on the screen.
bool tabPlace(HWND tabs, int index, RECT& place) {
    const Lent lent = lend(tabs, sizeof place);
    const bool read = lent.block != nullptr &&
                      ::SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(lent.block)) &&
                      get(lent, 0, &place, sizeof place);
    giveBack(lent);
    ::MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&place), 2);
    return read;
}

std::wstring comboItem(HWND combo, int index) {
    wchar_t text[256] = {};
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0 || length >= 256)
        return L"?";
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// Whether an edit field shows its whole text: its last letter ends inside the field.
bool editShowsAll(HWND edit, const std::wstring& text) {
    if (text.size() < 2)
        return true;
    const auto last = static_cast<WPARAM>(text.size() - 1);
    const auto firstX = static_cast<short>(LOWORD(::SendMessageW(edit, EM_POSFROMCHAR, 0, 0)));
    const auto lastX = static_cast<short>(LOWORD(::SendMessageW(edit, EM_POSFROMCHAR, last, 0)));
    const int letter = (lastX - firstX) / static_cast<int>(last);
    const int rightMargin = HIWORD(::SendMessageW(edit, EM_GETMARGINS, 0, 0));
    RECT client{};
    ::GetClientRect(edit, &client);
    return lastX + letter <= client.right - rightMargin;
}

void printControl(const Control& control) {
    HWND handle = control.handle;
    const std::wstring& kind = control.kind;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(handle, GWL_STYLE));
    std::wstring text = kind == L"Address" ? addressText(handle) : textOf(handle);
    std::wstring flags;
    if (!shown(handle))
        flags += L" hidden";
    if (!::IsWindowEnabled(handle))
        flags += L" disabled";
    if (kind == L"CheckBox" && ::SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED)
        flags += L" checked";
    if (kind == L"Edit" && (style & ES_PASSWORD) != 0)
        flags += L" password";
    if (kind == L"Edit" && (style & ES_NUMBER) != 0)
        flags += L" digits";
    if (kind == L"Edit" && (style & ES_PASSWORD) == 0 && !editShowsAll(handle, text))
        flags += L" cut";
    if (kind == L"ComboBox" || kind == L"Tabs") {
        const bool combo = kind == L"ComboBox";
        const auto count =
            static_cast<int>(::SendMessageW(handle, combo ? CB_GETCOUNT : TCM_GETITEMCOUNT, 0, 0));
        const auto selected =
            static_cast<int>(::SendMessageW(handle, combo ? CB_GETCURSEL : TCM_GETCURSEL, 0, 0));
        std::wstring items;
        for (int i = 0; i < count; ++i)
            items += (i > 0 ? L"," : L"") + (combo ? comboItem(handle, i) : tabTitle(handle, i));
        flags += L" items=" + items;
        flags += L" selected=" + (selected < 0 ? L""
                                               : (combo ? comboItem(handle, selected)
                                                        : tabTitle(handle, selected)));
    }
    const RECT& r = control.place;
    std::printf("%s\t%s\t%ld,%ld,%ld,%ld\t%s\n", utf8(kind).c_str(), utf8(text).c_str(), r.left,
                r.top, r.right - r.left, r.bottom - r.top, utf8(flags).c_str());
}

int list(HWND top) {
    RECT client{};
    ::GetClientRect(top, &client);
    HWND owner = ::GetWindow(top, GW_OWNER);
    const auto extended = static_cast<DWORD>(::GetWindowLongPtrW(top, GWL_EXSTYLE));
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(top, GWL_STYLE));
    std::wstring flags;
    if ((extended & WS_EX_TOOLWINDOW) != 0)
        flags += L" tool";
    if ((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0)
        flags += L" fixed";
    if (!::IsWindowEnabled(top))
        flags += L" disabled";
    if (owner != nullptr)
        flags += ::IsWindowEnabled(owner) ? L" owner-enabled" : L" owner-disabled";
    POINT origin{0, 0};
    ::ClientToScreen(top, &origin);
    std::printf("Window\t%s\t%ld,%ld,%ld,%ld\t%s\n", utf8(textOf(top)).c_str(), origin.x, origin.y,
                client.right, client.bottom, utf8(flags).c_str());
    for (const Control& control : controlsOf(top))
        printControl(control);
    return 0;
}

// ---- Naming a control ----

HWND findControl(HWND top, const std::wstring& name) {
    std::vector<Control> controls = controlsOf(top);
    std::erase_if(controls, [](const Control& c) { return !shown(c.handle); });
    size_t arrows = 0;
    while (arrows < name.size() && name[name.size() - 1 - arrows] == L'>')
        ++arrows;
    const std::wstring text = name.substr(0, name.size() - arrows);
    for (const Control& control : controls) {
        if (control.kind == L"Tabs" || control.kind == L"Address" || textOf(control.handle) != text)
            continue;
        if (arrows == 0)
            return control.handle;
        // The fields to the label's right whose middle lies within the label's height.
        std::vector<const Control*> right;
        for (const Control& field : controls) {
            const long middle = (field.place.top + field.place.bottom) / 2;
            if (field.handle != control.handle && field.place.left >= control.place.right &&
                middle >= control.place.top - 4 && middle <= control.place.bottom + 4 &&
                field.kind != L"Label" && field.kind.rfind(L"Korvo", 0) != 0)
                right.push_back(&field);
        }
        std::sort(right.begin(), right.end(),
                  [](const Control* a, const Control* b) { return a->place.left < b->place.left; });
        return arrows <= right.size() ? right[arrows - 1]->handle : nullptr;
    }
    return nullptr;
}

// ---- Acting ----

void setText(HWND control, const std::wstring& text) {
    if (classOf(control) != WC_IPADDRESSW) {
        ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    // Field by field, as typed.
    const std::vector<HWND> fields = addressFields(control);
    size_t start = 0;
    for (HWND field : fields) {
        const size_t dot = text.find(L'.', start);
        const std::wstring part =
            start == std::wstring::npos ? L"" : text.substr(start, dot - start);
        ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(part.c_str()));
        start = dot == std::wstring::npos ? dot : dot + 1;
    }
}

// A drop-down list's choice as the user makes it: the list tells its parent.
bool pick(HWND combo, const std::wstring& item) {
    const LRESULT index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR)
        return false;
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    return true;
}

void sendInput(INPUT input) {
    ::SendInput(1, &input, sizeof input);
    ::Sleep(30);
}

// A click at the middle of the place on the screen, through the system's input queue.
void clickAt(HWND top, const RECT& place) {
    ::SetForegroundWindow(top);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT mouse{};
    mouse.type = INPUT_MOUSE;
    mouse.mi.dx = ((place.left + place.right) / 2) * 65535 / (screenWidth - 1);
    mouse.mi.dy = ((place.top + place.bottom) / 2) * 65535 / (screenHeight - 1);
    for (DWORD flags : {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        mouse.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
        sendInput(mouse);
    }
    ::Sleep(200);
}

// The key as typed: it goes where the focus is.
void pressKey(WORD key) {
    INPUT keyboard{};
    keyboard.type = INPUT_KEYBOARD;
    keyboard.ki.wVk = key;
    sendInput(keyboard);
    keyboard.ki.dwFlags = KEYEVENTF_KEYUP;
    sendInput(keyboard);
}

int typeKey(const std::string& key) {
    if (key != "enter" && key != "escape")
        return 1;
    pressKey(key == "enter" ? VK_RETURN : VK_ESCAPE);
    return 0;
}

// A click on the tab of this title.
bool clickTab(HWND top, const std::wstring& title) {
    for (const Control& control : controlsOf(top)) {
        if (control.kind != L"Tabs")
            continue;
        const auto count = static_cast<int>(::SendMessageW(control.handle, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            RECT place{};
            if (tabTitle(control.handle, i) == title && tabPlace(control.handle, i, place)) {
                clickAt(top, place);
                return true;
            }
        }
    }
    return false;
}

int answerBox(const std::wstring& title) {
    HWND box = nullptr;
    if (!waitFor([&] { return (box = topWindow(title, L"#32770")) != nullptr; }))
        return 1;
    // The box's text: its labels that have one.
    std::wstring text;
    for (const Control& control : controlsOf(box))
        if (control.kind == L"Label")
            text += textOf(control.handle);
    std::erase(text, L'\n');
    std::replace(text.begin(), text.end(), L'\r', L'|');
    std::printf("%s\n", utf8(text).c_str());
    return ::PostMessageW(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain LF line ends for the shell
    if (argc < 3)
        return 1;
    const std::string verb = argv[1];
    const std::wstring title = wide(argv[2]);
    if (verb == "wait")
        return waitFor([&] { return topWindow(title) != nullptr; }) ? 0 : 1;
    if (verb == "gone")
        return waitFor([&] { return topWindow(title) == nullptr; }) ? 0 : 1;
    if (verb == "box")
        return answerBox(title);
    HWND top = topWindow(title);
    if (top == nullptr)
        return 1;
    if (verb == "list")
        return list(top);
    if (verb == "command" && argc >= 4)
        return ::PostMessageW(top, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), 0), 0) ? 0 : 1;
    if (argc < 4)
        return 1;
    if (verb == "key" && argc == 4)
        return typeKey(argv[3]);
    if (verb == "tab")
        return clickTab(top, wide(argv[3])) ? 0 : 1;
    HWND control = findControl(top, wide(argv[3]));
    if (control == nullptr)
        return 1;
    if (verb == "set" && argc >= 5) {
        setText(control, wide(argv[4]));
        return 0;
    }
    if (verb == "click")
        return ::SendMessageW(control, BM_CLICK, 0, 0), 0;
    if (verb == "pick" && argc >= 5)
        return pick(control, wide(argv[4])) ? 0 : 1;
    if (verb == "key" && argc >= 5) {
        RECT place{};
        ::GetWindowRect(control, &place);
        clickAt(top, place);
        return typeKey(argv[4]);
    }
    return 1;
}
