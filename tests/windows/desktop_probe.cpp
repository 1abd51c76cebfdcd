// A helper of the tests of the program itself, run under Wine beside korvo.exe:
//   desktop_probe window    waits (30 s at most) until the program's main window shows
//   desktop_probe type C    shows a focused edit control, says "ready", and waits (30 s at
//                           most) until the character C has been typed into it
//   desktop_probe close     asks the main window to close, as its close box does
//   desktop_probe dismiss   waits for a message box and answers it with OK
//   desktop_probe record-keys
//                           shows a focused window, says "ready" and records the keys it
//                           is sent until Return (30 s at most): "key VK EXTENDED" for
//                           each key pressed (hexadecimal virtual key, 0 or 1), then
//                           "chars TEXT" with the characters they typed
//   desktop_probe tray-restart
//                           waits for the program's tray icon, takes it out of the tray
//                           as an Explorer restart loses it, announces a new taskbar
//                           and waits (30 s at most) until the icon is back
//   desktop_probe run-in-unicode-folder BASE
//                           runs BASE\Grüße-Ω-テスト\korvo.exe in that folder, with TEMP
//                           and TMP set to its subfolder "temp" (Wine would replace
//                           values given from outside), and ends with its exit code
// Exit code 0 when it happened, 1 when not.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kPatienceMs = 30000;

void pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

template <typename Found>
bool waitFor(Found found) {
    const ULONGLONG end = ::GetTickCount64() + kPatienceMs;
    while (::GetTickCount64() < end) {
        if (found())
            return true;
        pump();
        ::Sleep(50);
    }
    return false;
}

HWND mainWindow() {
    HWND window = ::FindWindowW(L"KorvoWindow", nullptr);
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

int typeInto(char wanted) {
    HWND edit = ::CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  300, 300, 300, 80, nullptr, nullptr, nullptr, nullptr);
    if (edit == nullptr)
        return 1;
    ::SetForegroundWindow(edit);
    ::SetFocus(edit);
    pump();
    std::printf("ready\n");
    std::fflush(stdout);
    const bool typed = waitFor([&] {
        char text[64] = {};
        ::GetWindowTextA(edit, text, sizeof text);
        return std::strchr(text, wanted) != nullptr;
    });
    ::DestroyWindow(edit);
    return typed ? 0 : 1;
}

// Whether the tray holds the program's icon: only an icon that is there can be changed.
bool trayHoldsIcon(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != 0;
}

int trayRestart() {
    HWND owner = nullptr;
    if (!waitFor([&] {
            owner = ::FindWindowW(L"KorvoMessages", nullptr);
            return owner != nullptr && trayHoldsIcon(owner);
        }))
        return 1;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    if (!::Shell_NotifyIconW(NIM_DELETE, &data) || trayHoldsIcon(owner))
        return 1;
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                          SMTO_ABORTIFHUNG, 5000, &answer);
    return waitFor([&] { return trayHoldsIcon(owner); }) ? 0 : 1;
}

std::string recordedKeys;
std::string recordedChars;
bool returnPressed = false;

LRESULT CALLBACK recordKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        char line[32];
        std::snprintf(line, sizeof line, "key %02X %d\n", static_cast<unsigned>(wParam),
                      (lParam & (1 << 24)) != 0 ? 1 : 0);
        recordedKeys += line;
        returnPressed = returnPressed || wParam == VK_RETURN;
    }
    if (message == WM_CHAR && wParam >= 0x20 && wParam < 0x7F)
        recordedChars += static_cast<char>(wParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int recordKeys() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = recordKey;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KeyRecorder";
    ::RegisterClassW(&windowClass);
    HWND window =
        ::CreateWindowExW(WS_EX_TOPMOST, L"KeyRecorder", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          300, 300, 300, 80, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr)
        return 1;
    ::SetForegroundWindow(window);
    ::SetFocus(window);
    pump();
    std::printf("ready\n");
    std::fflush(stdout);
    const bool ended = waitFor([] { return returnPressed; });
    pump();
    std::printf("%schars %s\n", recordedKeys.c_str(), recordedChars.c_str());
    ::DestroyWindow(window);
    return ended ? 0 : 1;
}

int runInUnicodeFolder(const char* base) {
    wchar_t wideBase[MAX_PATH];
    if (::MultiByteToWideChar(CP_UTF8, 0, base, -1, wideBase, MAX_PATH) == 0)
        return 1;
    const std::wstring folder = std::wstring(wideBase) + L"\\Grüße-Ω-テスト";
    const std::wstring temp = folder + L"\\temp";
    ::SetEnvironmentVariableW(L"TEMP", temp.c_str());
    ::SetEnvironmentVariableW(L"TMP", temp.c_str());
    std::wstring command = L"\"" + folder + L"\\korvo.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The program ends with this probe, should the test stop it early.
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                          nullptr, folder.c_str(), &startup, &process))
        return 1;
    ::AssignProcessToJobObject(job, process.hProcess);
    ::ResumeThread(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "window") == 0)
        return waitFor([] { return mainWindow() != nullptr; }) ? 0 : 1;
    if (argc >= 2 && std::strcmp(argv[1], "close") == 0) {
        HWND window = mainWindow();
        return window != nullptr && ::PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "dismiss") == 0) {
        HWND box = nullptr;
        if (!waitFor([&] { return (box = ::FindWindowW(L"#32770", nullptr)) != nullptr; }))
            return 1;
        return ::PostMessageW(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "tray-restart") == 0)
        return trayRestart();
    if (argc >= 2 && std::strcmp(argv[1], "record-keys") == 0)
        return recordKeys();
    if (argc >= 3 && std::strcmp(argv[1], "run-in-unicode-folder") == 0)
        return runInUnicodeFolder(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "type") == 0)
        return typeInto(argv[2][0]);
    return 1;
}
