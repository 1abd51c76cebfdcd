#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/linux/process_end.h"
#include "platform/process.h"

namespace platform {

namespace {

// Kept as plain character arrays: they are read while the process ends, possibly from
// a signal handler, where no allocation may happen.
constexpr size_t kPathCapacity = 4096;
char privateDirectory[kPathCapacity];
char framePath[kPathCapacity];

constexpr const char* kFrameFileName = "/frame.jpg";

// Ended from outside (Ctrl+C, a logout, kill): leave nothing behind in the temporary
// directory, then end the way the signal would have ended the process anyway.
void onEndSignal(int signal) {
    removePrivateDirectory();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void removeOnEndSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

std::string reserveTempFramePath() {
    if (privateDirectory[0] != '\0')
        return framePath;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base != nullptr && base[0] == '/') ? base : "/tmp";
    pattern += "/korvo-XXXXXX";
    if (pattern.size() + std::strlen(kFrameFileName) + 1 > kPathCapacity)
        pattern = "/tmp/korvo-XXXXXX";
    std::string directory = pattern;
    if (::mkdtemp(directory.data()) == nullptr)  // mkdtemp gives mode 0700
        return {};
    const std::string frame = directory + kFrameFileName;
    std::memcpy(privateDirectory, directory.c_str(), directory.size() + 1);
    std::memcpy(framePath, frame.c_str(), frame.size() + 1);
    removeOnEndSignals();
    return frame;
}

void removePrivateDirectory() {
    if (privateDirectory[0] == '\0')
        return;
    ::unlink(framePath);
    ::rmdir(privateDirectory);
}

void endProcess(int exitCode) {
    removePrivateDirectory();
    ::_exit(exitCode);
}

}  // namespace platform
