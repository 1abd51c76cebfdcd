#include "platform/files.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

bool readAll(int fd, std::string& out) {
    out.clear();
    char chunk[16384];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            out.append(chunk, static_cast<size_t>(n));
        } else if (n == 0) {
            return true;
        } else if (errno != EINTR) {
            return false;
        }
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The file a path finally names, so that replacing it keeps a symbolic link in place.
std::string resolvedPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr)
        return buffer;
    return path;
}

enum class Outcome { Written, Failed, FolderRefused };

// The folder will not take a new file or let this process replace the old one there.
bool refusedByFolder(int error) {
    return error == EACCES || error == EPERM;
}

// Best effort: root hands the new file back to the old one's owner, anyone else keeps the old
// group when a member of it. Failing leaves the new file ours, with the right bits and content.
void keepOwner(int fd, const struct stat& old) {
    const uid_t owner = ::geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1);
    if (::fchown(fd, owner, old.st_gid) != 0) {
        // nothing more to try
    }
}

// What a rewritten file keeps of its permission bits: its owner's; a new one is 0600.
mode_t privateMode(const struct stat* old) {
    return old != nullptr ? (old->st_mode & 0700) : 0600;
}

// The new text goes to a temporary file beside the target, which is then renamed over it,
// so the target is never seen half-written.
Outcome replaceByRename(const std::string& target, const struct stat* old, std::string_view bytes) {
    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return refusedByFolder(errno) ? Outcome::FolderRefused : Outcome::Failed;
    if (old != nullptr)
        keepOwner(fd, *old);  // before fchmod, as changing the owner may clear set-id bits
    bool ok = ::fchmod(fd, privateMode(old)) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    int renameError = 0;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        renameError = errno;
        ok = false;
    }
    if (ok)
        return Outcome::Written;
    ::unlink(temp.c_str());
    return refusedByFolder(renameError) ? Outcome::FolderRefused : Outcome::Failed;
}

// Overwrites the file itself. The new text is written over the old before the file is cut to
// its length; a failure part way leaves a mix of both, and false. The file is narrowed to its
// owner's bits first, best effort: someone else's file may refuse that and still be written.
bool writeInPlace(const std::string& target, const struct stat& old, std::string_view bytes) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fchmod(fd, privateMode(&old)) != 0) {
        // written all the same
    }
    bool ok = writeAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
              ::fsync(fd) == 0;
    return (::close(fd) == 0) && ok;
}

}  // namespace

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool readFileImage(const std::string& path, FileImage& image) {
    image = FileImage{};
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    image.writable = fd >= 0;
    if (fd < 0)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && readAll(fd, image.bytes);
    ::close(fd);
    if (!ok)
        image = FileImage{};
    return ok;
}

bool createFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = resolvedPath(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    const bool regular = existed && S_ISREG(old.st_mode);

    // A new file under the name would split it from its other hard links.
    if (regular && old.st_nlink > 1)
        return writeInPlace(target, old, bytes);
    const Outcome outcome = replaceByRename(target, existed ? &old : nullptr, bytes);
    if (outcome == Outcome::FolderRefused && regular)
        return writeInPlace(target, old, bytes);
    return outcome == Outcome::Written;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::FILE* openFileStream(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace platform
