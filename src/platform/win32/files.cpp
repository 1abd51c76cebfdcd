// Whole-file access through the kernel32 file functions.
#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace platform {
namespace {

HANDLE openExisting(const std::string& path, DWORD access) {
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

enum class Outcome { Written, Failed, FolderRefused };

// The new text goes to a temporary file beside the target, which then takes the target's
// place in one step, so the target is never seen half-written. ReplaceFileA keeps the old
// file's attributes and security.
Outcome replaceByRename(const std::string& target, bool existed, std::string_view bytes) {
    char temp[MAX_PATH];
    if (::GetTempFileNameA(folderOf(target).c_str(), "kor", 0, temp) == 0)
        return Outcome::FolderRefused;
    HANDLE file = ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE && writeAll(file, bytes) && ::FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        ok = ::CloseHandle(file) && ok;
    DWORD error = 0;
    if (ok) {
        ok = existed ? ::ReplaceFileA(target.c_str(), temp, nullptr, 0, nullptr, nullptr) != 0
                     : ::MoveFileExA(temp, target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        error = ok ? 0 : ::GetLastError();
    }
    if (ok)
        return Outcome::Written;
    ::DeleteFileA(temp);
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
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
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
    if (::DeleteFileA(path.c_str()))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace platform
