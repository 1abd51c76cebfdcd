// The settings window's controls, and the values they take from settings.ini, from
// Reset, and back into settings.ini.
#pragma once

#include <string_view>

namespace korvo {

// The first item of the start list, and what the file holds when it is chosen.
inline constexpr std::string_view kNoStartItem = "--";

// Creates the hidden window and its controls; false when the window cannot be created.
bool buildSettingsWindow();

// Fills the controls from settings.ini (not from the in-memory settings).
void fillSettingsWindow();

// The values of Reset; nothing is saved.
void resetSettingsWindow();

// Writes every value to settings.ini and sets clientIp and clientPort.
void saveSettingsWindow();

}  // namespace korvo
