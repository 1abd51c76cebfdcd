// The user's configuration folder after the XDG base directory rules, and the installed
// data folder after the file-system hierarchy (<prefix>/bin beside <prefix>/share).
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/folders.h"

namespace platform {

namespace {

constexpr mode_t kPrivateFolderMode = 0700;

std::string homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    const passwd* entry = ::getpwuid(::geteuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return entry->pw_dir;
    return "";
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string userConfigDirectory() {
    // The base directory rules ignore a relative XDG_CONFIG_HOME.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return std::string(configHome) + "/korvo";
    const std::string home = homeDirectory();
    if (home.empty())
        return "";
    return (home == "/" ? "" : home) + "/.config/korvo";
}

bool directoryWritable(const std::string& path) {
    // The effective ids decide, as they do when the file is created.
    return !path.empty() && ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0 &&
           isDirectory(path);
}

bool createPrivateDirectory(const std::string& path) {
    if (path.empty())
        return false;
    // Each missing folder from the top down; one that appears meanwhile is fine.
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    return isDirectory(path);
}

std::string installedDataDirectory(const std::string& programDirectory) {
    const std::string bin = "/bin";
    if (programDirectory.size() <= bin.size() ||
        programDirectory.compare(programDirectory.size() - bin.size(), bin.size(), bin) != 0)
        return "";
    return programDirectory.substr(0, programDirectory.size() - bin.size()) + "/share/korvo";
}

}  // namespace platform
