// Where the program's own files are: settings.ini, and the help file.
#pragma once

#include <string>

namespace korvo {

// The settings file for a program in programDirectory. A portable copy keeps it beside
// the program: when a settings.ini is there, or the user may create one there. An
// installed program, whose folder the user may not write, keeps it in the user's
// configuration folder, which is created (the user's alone) when missing. Everything else
// the program keeps lives in the folder of this file.
std::string chooseSettingsPath(const std::string& programDirectory);

// The folder of a settings path that chooseSettingsPath gave.
std::string programFilesFolder(const std::string& settingsPath);

// The help file: in the current folder, else beside the program, else in the installed
// data folder. Empty when there is none.
std::string findHelpFile(const std::string& programDirectory);

}  // namespace korvo
