// The folders where the program may keep its files: its own folder, the user's
// configuration folder, and the data folder an installation puts beside the program.
#pragma once

#include <string>

namespace platform {

// The user's configuration folder for this program, without a trailing separator, whether
// it exists or not: $XDG_CONFIG_HOME/korvo (by default ~/.config/korvo) on Linux,
// %APPDATA%\Korvo on Windows. Empty when the system names none.
std::string userConfigDirectory();

// True when this process may create files in the folder.
bool directoryWritable(const std::string& path);

// Creates the folder and its missing parents; every folder it creates is the user's alone
// (mode 0700 on Linux). True when the folder exists afterwards.
bool createPrivateDirectory(const std::string& path);

// Where an installation keeps the program's data files when the program lives in
// programDirectory: on Linux <prefix>/share/korvo for a program in <prefix>/bin. Empty
// where an installation keeps them beside the program (Windows) or the program is not
// installed that way.
std::string installedDataDirectory(const std::string& programDirectory);

}  // namespace platform
