#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/process.h"

namespace platform {

namespace {

// ":0", ":0.0" and "localhost:0" name different strings but, apart from the screen
// number, one desktop; keep host and display number, as file-name-safe characters.
std::string displayKey() {
    const char* display = std::getenv("DISPLAY");
    std::string text = display != nullptr ? display : "";
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        const size_t dot = text.find('.', colon);
        if (dot != std::string::npos)
            text.erase(dot);
    }
    std::string key;
    for (char c : text) {
        const bool safe = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '-' || c == '.';
        key += safe ? c : '_';
    }
    return key.empty() ? "none" : key;
}

std::string lockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return runtime;
    return "/tmp";
}

}  // namespace

bool claimSingleInstance() {
    const std::string path =
        lockDirectory() + "/korvo-" + std::to_string(::getuid()) + "-" + displayKey() + ".lock";
    // O_NOFOLLOW: in a shared /tmp nobody can point our lock at another file.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::getuid() || !S_ISREG(info.st_mode)) {
        // Someone else's file: it must not decide whether we may run.
        ::close(fd);
        return true;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    return true;  // the descriptor stays open, and the lock held, until the process ends
}

}  // namespace platform
