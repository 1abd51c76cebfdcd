// The process-wide settings and the only ways to settings.ini.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

enum class SettingsGroup { Client = 1, Server = 2, Misc = 3 };
enum class StartMode { None = 0, Client = 1, Server = 2 };

// Texts are single-byte ISO 8859-1 strings; passwords are held in plain text.
struct Settings {
    std::string clientIp;
    int64_t clientPort = 6000;
    std::string clientUser;
    std::string clientPassword;
    std::string serverUser;
    std::string serverPassword;
    int64_t serverPort = 6000;
    int64_t serverMaxClients = 10000;
    int64_t allowMouse = 0;
    int64_t allowKeyboard = 0;
    int64_t imageQuality = 5;
    int64_t suppressMessages = 0;
    int64_t startInTray = 0;
    StartMode startMode = StartMode::None;
    std::string languageSetting;
};

// Filled once at start-up; afterwards only the GUI thread changes the client fields.
extern Settings settings;
// Full path of settings.ini beside the executable.
extern std::string settingsPath;

// The group's name as it stands in the file: "client", "server" or "misc".
std::string_view settingsGroupName(SettingsGroup group);

// The stored value, or the empty text when the file or the key is missing.
std::string readSetting(SettingsGroup group, std::string_view key);
// Stores one value, keeping the rest of the file; creates the file when missing.
// Callers ignore the outcome; it is reported for tests.
bool writeSetting(SettingsGroup group, std::string_view key, std::string_view value);

// Reads every setting from settingsPath with its default and repair. Never writes.
Settings loadSettings();

}  // namespace korvo
