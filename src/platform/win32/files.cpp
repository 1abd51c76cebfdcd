// Whole-file access through the kernel32 file functions, with wide paths throughout.
#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <mutex>

#include "platform/win32/file_faults.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

HANDLE openExisting(const std::string& path, DWORD access) {
    return ::CreateFileW(win32::widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool readAll(HANDLE file, std::string& out) {
    out.clear();
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        out.append(chunk, got);
    }
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), INT_MAX));
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::mutex injectedMutex;
std::deque<DWORD> injectedFailures;

// An injected failure for the next placement, with the files left as the system leaves
// them; 0 when none waits.
DWORD injectedFailure(const std::wstring& target) {
    std::lock_guard lock(injectedMutex);
    if (injectedFailures.empty())
        return 0;
    const DWORD error = injectedFailures.front();
    injectedFailures.pop_front();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        ::DeleteFileW(target.c_str());
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        ::MoveFileExW(target.c_str(), (target + L".replaced").c_str(), MOVEFILE_REPLACE_EXISTING);
    return error;
}

// One attempt to put the temporary file in the target's place: ReplaceFileW over an
// existing file (it keeps the old file's attributes and security), else a rename. The
// Win32 error, 0 on success.
DWORD placeOnce(const std::wstring& temp, const std::wstring& target, bool replace) {
    if (const DWORD injected = injectedFailure(target))
        return injected;
    const BOOL placed =
        replace ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, 0, nullptr, nullptr)
                : ::MoveFileExW(temp.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return placed ? 0 : ::GetLastError();
}

// An indexer or a virus scanner holds files open for a moment.
bool isPassingLock(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
}

constexpr int kPlacementAttempts = 10;
constexpr DWORD kPlacementPauseMs = 50;

// Puts the temporary file in the target's place, waiting out passing locks. When
// ReplaceFileW could not move the new file in, the old one has already left its name
// and the new text lives only in the temporary file: that file is then moved in. The
// Win32 error of the last attempt, 0 on success.
DWORD placeFile(const std::wstring& temp, const std::wstring& target, bool existed) {
    bool replace = existed;
    DWORD error = 0;
    for (int attempt = 0; attempt < kPlacementAttempts; ++attempt) {
        error = placeOnce(temp, target, replace);
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            replace = false;
            continue;
        }
        if (!isPassingLock(error))
            return error;
        ::Sleep(kPlacementPauseMs);
    }
    return error;
}

enum class Outcome { Written, Failed, FolderRefused };

// The new text goes to a temporary file beside the target, which then takes the target's
// place in one step, so the target is never seen half-written.
Outcome replaceByRename(const std::string& path, bool existed, std::string_view bytes) {
    const std::wstring target = win32::widen(path);
    wchar_t temp[MAX_PATH];
    if (::GetTempFileNameW(folderOf(target).c_str(), L"kor", 0, temp) == 0)
        return Outcome::FolderRefused;
    HANDLE file = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE && writeAll(file, bytes) && ::FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        ok = ::CloseHandle(file) && ok;
    if (!ok) {
        ::DeleteFileW(temp);
        return Outcome::Failed;
    }
    const DWORD error = placeFile(temp, target, existed);
    if (error == 0)
        return Outcome::Written;
    // Never the only copy: with the old file gone, the temporary file keeps the new text.
    if (!existed || ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileW(temp);
    return error == ERROR_ACCESS_DENIED ? Outcome::FolderRefused : Outcome::Failed;
}

// Overwrites the file itself; a failure part way leaves a mix of both, and false.
bool writeInPlace(const std::string& target, std::string_view bytes) {
    HANDLE file = openExisting(target, GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = writeAll(file, bytes) && ::SetEndOfFile(file) && ::FlushFileBuffers(file);
    return ::CloseHandle(file) && ok;
}

// Facts about the existing file: whether it is a plain file and how many names it has.
bool inspect(const std::string& path, bool& regular, DWORD& links) {
    HANDLE file = openExisting(path, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    regular = ok && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    links = ok ? info.nNumberOfLinks : 1;
    return ok;
}

}  // namespace

bool fileExists(const std::string& path) {
    return ::GetFileAttributesW(win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool readFileImage(const std::string& path, FileImage& image) {
    image = FileImage{};
    HANDLE file = openExisting(path, GENERIC_READ | GENERIC_WRITE);
    image.writable = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        file = openExisting(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = ::GetFileType(file) == FILE_TYPE_DISK && readAll(file, image.bytes);
    ::CloseHandle(file);
    if (!ok)
        image = FileImage{};
    return ok;
}

bool createFile(const std::string& path) {
    HANDLE file = ::CreateFileW(win32::widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    bool regular = false;
    DWORD links = 1;
    const bool existed = inspect(path, regular, links);
    if (existed && !regular)
        return false;
    // A new file under the name would split it from its other hard links.
    if (existed && links > 1)
        return writeInPlace(path, bytes);
    const Outcome outcome = replaceByRename(path, existed, bytes);
    if (outcome == Outcome::FolderRefused && existed)
        return writeInPlace(path, bytes);
    return outcome == Outcome::Written;
}

bool removeFile(const std::string& path) {
    if (::DeleteFileW(win32::widen(path).c_str()))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::FILE* openFileStream(const std::string& path, const char* mode) {
    return ::_wfopen(win32::widen(path).c_str(), win32::widen(mode).c_str());
}

}  // namespace platform

namespace platform::win32 {

void failNextFilePlacements(const std::vector<unsigned long>& errors) {
    std::lock_guard lock(injectedMutex);
    injectedFailures.assign(errors.begin(), errors.end());
}

}  // namespace platform::win32
