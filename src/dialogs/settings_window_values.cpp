// What the settings window shows, from settings.ini or from Reset, and what it saves.
#include <string>

#include "dialogs/client_fields.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/dialog_window.h"
#include "dialogs/settings_window_parts.h"
#include "platform/ui.h"
#include "settings/client_settings.h"
#include "settings/latin1.h"
#include "settings/numbers.h"
#include "settings/password.h"
#include "settings/settings.h"
#include "texts/texts.h"

namespace korvo {
namespace {

using namespace settingsControl;

constexpr int64_t kDefaultPort = 6000;
constexpr int kDefaultQuality = 5;

std::string trimmedText(int control) {
    return std::string(trimBlanks(platform::controlText(control)));
}

std::string storedPassword(int control) {
    return encodePassword(trimmedText(control));
}

std::string stateText(int control) {
    return formatInteger(platform::controlState(control));
}

void fillClientLimit() {
    const int64_t limit = parseInteger(readSetting(SettingsGroup::Server, "limit"));
    const int64_t count = parseInteger(readSetting(SettingsGroup::Server, "clients"));
    platform::setControlText(kClientCount, count > 0 ? formatInteger(count) : "1");
    const bool limited = limit == 1 && count > 0;
    platform::setControlState(kClientLimit, limited ? 1 : 0);
    platform::setControlEnabled(kClientCount, limited);
}

void fillQuality() {
    selectComboItem(kQuality, std::to_string(kDefaultQuality));
    const int64_t quality = parseInteger(readSetting(SettingsGroup::Server, "image"));
    if (quality >= 1 && quality <= 10)
        selectComboItem(kQuality, formatInteger(quality));
}

std::string_view languageItem(const std::string& storedLanguage) {
    const std::string language(trimBlanks(latin1ToLower(storedLanguage)));
    if (language == "german")
        return fixedText::kGerman;
    if (language == "english")
        return fixedText::kEnglish;
    return fixedText::kAuto;
}

std::string startItem(const std::string& storedStart) {
    if (storedStart == "client")
        return texts.runClient;
    if (storedStart == "server")
        return texts.runServer;
    return std::string(kNoStartItem);
}

std::string startValue(const std::string& item) {
    if (item == texts.runClient)
        return "client";
    if (item == texts.runServer)
        return "server";
    return std::string(kNoStartItem);
}

}  // namespace

void fillSettingsWindow() {
    fillClientFields({kAddress, kClientPort, kClientUser, kClientPassword});
    platform::setControlText(kServerUser, readSetting(SettingsGroup::Server, "user"));
    platform::setControlText(kServerPassword,
                             decodePassword(readSetting(SettingsGroup::Server, "pass")));
    platform::setControlText(kServerPort, portFieldText(readSetting(SettingsGroup::Server, "port"),
                                                        formatInteger(kDefaultPort)));
    fillClientLimit();
    fillQuality();
    platform::setControlState(kKeyboard,
                              switchState(readSetting(SettingsGroup::Server, "keyboard")));
    platform::setControlState(kMouse, switchState(readSetting(SettingsGroup::Server, "mouse")));
    selectComboItem(kLanguage, std::string(languageItem(readSetting(SettingsGroup::Misc, "lang"))));
    selectComboItem(kStart, startItem(readSetting(SettingsGroup::Misc, "start")));
    platform::setControlState(kStartInTray,
                              switchState(readSetting(SettingsGroup::Misc, "systray")));
    platform::setControlState(kSuppress, switchState(readSetting(SettingsGroup::Misc, "suppress")));
}

void resetSettingsWindow() {
    platform::setControlText(kAddress, "");
    platform::setControlText(kClientPort, formatInteger(kDefaultPort));
    for (int field : {kClientUser, kClientPassword, kServerUser, kServerPassword})
        platform::setControlText(field, "");
    platform::setControlText(kServerPort, formatInteger(kDefaultPort));
    platform::setControlState(kClientLimit, 0);
    platform::setControlEnabled(kClientCount, false);
    platform::setControlText(kClientCount, "");
    selectComboItem(kQuality, std::to_string(kDefaultQuality));
    selectComboItem(kLanguage, std::string(fixedText::kAuto));
    selectComboItem(kStart, std::string(kNoStartItem));
    for (int box : {kKeyboard, kMouse, kStartInTray, kSuppress})
        platform::setControlState(box, 0);
}

void saveSettingsWindow() {
    ClientSettings client = clientSettings();
    client.ip = trimmedText(kAddress);
    client.port = parseInteger(platform::controlText(kClientPort));
    if (client.port < 1)
        client.port = kDefaultPort;
    setClientSettings(client);
    const std::string serverPort = trimmedText(kServerPort);

    writeSetting(SettingsGroup::Client, "ip", settings.clientIp);
    writeSetting(SettingsGroup::Client, "port", formatInteger(settings.clientPort));
    writeSetting(SettingsGroup::Client, "user", trimmedText(kClientUser));
    writeSetting(SettingsGroup::Client, "pass", storedPassword(kClientPassword));
    writeSetting(SettingsGroup::Server, "user", trimmedText(kServerUser));
    writeSetting(SettingsGroup::Server, "pass", storedPassword(kServerPassword));
    writeSetting(SettingsGroup::Server, "port",
                 parseInteger(serverPort) < 1 ? formatInteger(kDefaultPort) : serverPort);
    writeSetting(SettingsGroup::Server, "limit",
                 platform::controlState(kClientLimit) == 1 ? "1" : "0");
    writeSetting(SettingsGroup::Server, "clients", platform::controlText(kClientCount));
    writeSetting(SettingsGroup::Server, "image", platform::controlText(kQuality));
    writeSetting(SettingsGroup::Server, "keyboard", stateText(kKeyboard));
    writeSetting(SettingsGroup::Server, "mouse", stateText(kMouse));
    writeSetting(SettingsGroup::Misc, "lang", platform::controlText(kLanguage));
    writeSetting(SettingsGroup::Misc, "start", startValue(platform::controlText(kStart)));
    writeSetting(SettingsGroup::Misc, "systray", stateText(kStartInTray));
    writeSetting(SettingsGroup::Misc, "suppress", stateText(kSuppress));
}

}  // namespace korvo
