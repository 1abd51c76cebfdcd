#include <limits.h>
#include <unistd.h>

#include <string>

#include "platform/system.h"

namespace platform {

std::string executableDirectory() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

SystemSupport systemSupport() {
    return SystemSupport::Full;
}

}  // namespace platform
