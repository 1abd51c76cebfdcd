#include "texts/texts.h"

#include <string>

namespace korvo {

LanguageState language;
TextTable texts;

namespace {

// ISO 8859-1 bytes, written as octal escapes: \344 ä, \366 ö, \374 ü, \326 Ö.
TextTable englishTexts() {
    TextTable t;
    t.runClient = "Run client";
    t.connectionEstablished = " Connection established ";
    t.connecting = " Connecting... ";
    t.useEntriesAsDefault = "Use the current entries as default";
    t.noPasswordEntered = "No password entered.";
    t.noValidPortEntered = "No valid port number entered.";
    t.noUsernameEntered = "No username entered.";
    t.noValidServerIpEntered = "No valid server ip entered.";
    t.error = "Error";
    t.alreadyRunning = "There is already an instance of Korvo running";
    t.cannotInitializeNetwork = "Can not initialize the network.";
    t.cannotConnect = "Can not connect to the server.";
    t.cannotCreateServer = "Can not create the network server.";
    t.errorOccurred = "An error occurred. The program will be terminated now.";
    t.exit = "Exit";
    t.help = "Help";
    t.startInTray = "Start in tray";
    t.helpTopicPrefix = "en";
    t.helpFileMissing = "Help file \"" + std::string(fixedText::kHelpFileName) + "\" not found.";
    t.imageQuality = "Image quality";
    t.allowMouse = "Allow mouse access";
    t.menu = "Menu";
    t.miscellaneous = "Miscellaneous";
    t.noConnection = "No connection";
    t.serverNeedsLogin = "To run the server you have to select a username and a password first.";
    t.number = "number";
    t.open = "Open";
    t.unsupportedSystem = "This operating system is not supported." + std::string(kLineBreak) +
                          "Windows 98 or higher required.";
    t.onStartup = "On startup";
    t.changesAfterRestart = "Changes will take effect after a restart.";
    t.clientAndServerExclusive = "Client and server can not be runned at the same time.";
    t.runServer = "Run server";
    t.settings = "Settings";
    t.connectedSince = "Connected since";
    t.suppressMessages = "Suppress message boxes";
    t.username = "Username";
    t.password = "Password";
    t.language = "Language";
    t.allowKeyboard = "Allow keyboard access";
    t.hideInTray = "Hide in tray";
    t.loginFailedServerFull = "Login failed. The server does not accept more clients.";
    t.loginFailedWrongCredentials = "Login failed. Wrong username or password.";
    return t;
}

TextTable germanTexts() {
    TextTable t;
    t.runClient = "Client starten";
    t.connectionEstablished = " Verbindung hergestellt ";
    t.connecting = " Verbinde... ";
    t.useEntriesAsDefault = "Eingaben als Standard verwenden";
    t.noPasswordEntered = "Kein Passwort eingegeben.";
    t.noValidPortEntered = "Keine g\374ltige Portnummer eingegeben.";
    t.noUsernameEntered = "Kein Nutzername eingegeben.";
    t.noValidServerIpEntered = "Keine g\374ltige Server IP eingegeben.";
    t.error = "Fehler";
    t.alreadyRunning = "Es l\344uft bereits eine andere Instanz von Korvo";
    t.cannotInitializeNetwork = "Konnte das Netzwerk nicht initialisieren.";
    t.cannotConnect = "Konnte keine Verbindung zum Server herstellen.";
    t.cannotCreateServer = "Der Server konnte nicht erstellt werden.";
    t.errorOccurred = "Es ist ein Fehler aufgetreten. Das Program wird beendet.";
    t.exit = "Beenden";
    t.help = "Hilfe";
    t.startInTray = "Im Tray starten";
    t.helpTopicPrefix = "de";
    t.helpFileMissing =
        "Hilfedatei \"" + std::string(fixedText::kHelpFileName) + "\" nicht gefunden.";
    t.imageQuality = "Bildqualit\344t";
    t.allowMouse = "Maus freigeben";
    t.menu = "Men\374";
    t.miscellaneous = "Sonstiges";
    t.noConnection = "Keine Verbindung";
    t.serverNeedsLogin = "Damit der Server gestartet werden kann m\374ssen Sie" +
                         std::string(kLineBreak) + "einen Benutzernamen und Passwort ausw\344hlen.";
    t.number = "nummer";
    t.open = "\326ffnen";
    t.unsupportedSystem = "Dieses Betriebssystem wird nicht unterst\374tzt." +
                          std::string(kLineBreak) + "Windows 98 oder neuer ben\366tigt.";
    t.onStartup = "Beim Programmstart";
    t.changesAfterRestart =
        "Die \304nderungen werden erst beim n\344chsten Programmstart \374bernommen.";
    t.clientAndServerExclusive =
        "Der Client und Server k\366nnen nicht gleichzeitig ausgef\374hrt werden.";
    t.runServer = "Server starten";
    t.settings = "Einstellungen";
    t.connectedSince = "Verbunden seit";
    t.suppressMessages = "Meldungen unterdr\374cken";
    t.username = "Benutzername";
    t.password = "Passwort";
    t.language = "Sprache";
    t.allowKeyboard = "Tastatur freigeben";
    t.hideInTray = "Im Tray verstecken";
    t.loginFailedServerFull = "Login fehlgeschlagen. Der Server akzeptiert keine weiteren Clients.";
    t.loginFailedWrongCredentials =
        "Login fehlgeschlagen. Falscher Benutzername oder falsches Passwort.";
    return t;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

}  // namespace

std::string languageCodeFromSystemName(std::string_view systemName) {
    std::string code(systemName.substr(0, 7));
    for (char& c : code)
        c = lowerAscii(c);
    return code;
}

LanguageState chooseLanguage(std::string_view languageSetting, std::string_view systemCode) {
    if (languageSetting == "german")
        return {"deutsch", std::string(fixedText::kGerman)};
    if (languageSetting == "english")
        return {"english", std::string(fixedText::kEnglish)};
    return {std::string(systemCode), std::string(fixedText::kAuto)};
}

TextTable buildTextTable(std::string_view languageCode) {
    return languageCode == "deutsch" ? germanTexts() : englishTexts();
}

}  // namespace korvo
