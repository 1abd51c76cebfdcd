// The user's configuration folder is the roaming application data folder; paths are
// UTF-8 here and go to the system through its wide functions.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "platform/folders.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

bool isDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string userConfigDirectory() {
    PWSTR roaming = nullptr;
    std::string folder;
    if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &roaming) == S_OK)
        folder = win32::narrow(roaming);
    ::CoTaskMemFree(roaming);
    return folder.empty() ? "" : folder + "\\Korvo";
}

bool directoryWritable(const std::string& path) {
    // The folder's access rules are too many to read; creating a file asks the system.
    const std::wstring folder = win32::widen(path);
    if (!isDirectory(folder))
        return false;
    const std::wstring probe =
        folder + L"\\korvo-write-test-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

bool createPrivateDirectory(const std::string& path) {
    // A folder under the user's profile inherits an access list that is the user's alone.
    const std::wstring folder = win32::widen(path);
    if (folder.empty())
        return false;
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return isDirectory(folder);
}

std::string installedDataDirectory(const std::string&) {
    return "";
}

}  // namespace platform
