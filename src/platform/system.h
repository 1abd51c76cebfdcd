// Facts about the system and the user the program runs for.
#pragma once

#include <string>

namespace platform {

// The system's name for the user's language, in that language ("Deutsch", "English",
// "Français", ...), as a single-byte ISO 8859-1 string. English when nothing is set.
std::string userLanguageName();

}  // namespace platform

namespace platform {

// The directory that holds the running executable, without a trailing separator.
std::string executableDirectory();

}  // namespace platform

namespace platform {

// Whether the program runs on this system, and how frames reach memory there.
enum class SystemSupport {
    Refused,         // too old a system: the program shows why and ends
    FramesInMemory,  // runs; frames always take the memory route (framesViaPipe)
    Full,            // runs
};

SystemSupport systemSupport();

}  // namespace platform
