#include "settings/settings.h"

#include "platform/files.h"
#include "settings/latin1.h"
#include "settings/numbers.h"
#include "settings/password.h"
#include "settings/settings_document.h"

namespace korvo {

Settings settings;
std::string settingsPath;

std::string_view settingsGroupName(SettingsGroup group) {
    switch (group) {
        case SettingsGroup::Client:
            return "client";
        case SettingsGroup::Server:
            return "server";
        case SettingsGroup::Misc:
            return "misc";
    }
    return {};
}

std::string readSetting(SettingsGroup group, std::string_view key) {
    SettingsDocument& doc = threadSettingsDocument();
    if (!document::open(doc, settingsPath))
        return {};
    document::selectGroup(doc, settingsGroupName(group));
    std::string value = document::readString(doc, key, "");
    document::close(doc);
    return value;
}

bool writeSetting(SettingsGroup group, std::string_view key, std::string_view value) {
    SettingsDocument& doc = threadSettingsDocument();
    const bool opened = platform::fileExists(settingsPath) ? document::open(doc, settingsPath)
                                                           : document::create(doc, settingsPath);
    if (!opened)
        return false;
    document::selectGroup(doc, settingsGroupName(group));
    document::writeString(doc, key, value);
    const bool writable = doc.writable;
    return document::close(doc) && writable;
}

Settings loadSettings() {
    Settings loaded;
    loaded.clientIp = trimBlanks(readSetting(SettingsGroup::Client, "ip"));
    loaded.clientPort = parseInteger(readSetting(SettingsGroup::Client, "port"));
    loaded.clientUser = readSetting(SettingsGroup::Client, "user");
    const std::string clientPass = readSetting(SettingsGroup::Client, "pass");

    loaded.serverUser = readSetting(SettingsGroup::Server, "user");
    const std::string serverPass = readSetting(SettingsGroup::Server, "pass");
    loaded.serverPort = parseInteger(readSetting(SettingsGroup::Server, "port"));

    loaded.clientPassword = decodePassword(clientPass);
    loaded.serverPassword = decodePassword(serverPass);

    loaded.serverMaxClients = 10000;
    if (parseInteger(readSetting(SettingsGroup::Server, "limit")) == 1) {
        loaded.serverMaxClients = parseInteger(readSetting(SettingsGroup::Server, "clients"));
    }

    loaded.allowMouse = parseInteger(readSetting(SettingsGroup::Server, "mouse"));
    loaded.allowKeyboard = parseInteger(readSetting(SettingsGroup::Server, "keyboard"));
    loaded.imageQuality = parseInteger(readSetting(SettingsGroup::Server, "image"));

    if (loaded.clientPort < 1)
        loaded.clientPort = 6000;
    if (loaded.serverPort < 1)
        loaded.serverPort = 6000;
    if (loaded.imageQuality < 1 || loaded.imageQuality > 10)
        loaded.imageQuality = 5;

    loaded.suppressMessages = parseInteger(readSetting(SettingsGroup::Misc, "suppress"));
    loaded.startInTray = parseInteger(readSetting(SettingsGroup::Misc, "systray"));

    const std::string start = readSetting(SettingsGroup::Misc, "start");
    if (start == "client") {
        loaded.startMode = StartMode::Client;
    } else if (start == "server") {
        loaded.startMode = StartMode::Server;
    }

    loaded.languageSetting =
        std::string(trimBlanks(latin1ToLower(readSetting(SettingsGroup::Misc, "lang"))));
    return loaded;
}

}  // namespace korvo
