// Every text the program shows, in the language chosen once at start-up.
// Texts are single-byte ISO 8859-1 strings; leading and trailing blanks belong to them.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

// Two-line messages are joined with these two characters.
inline constexpr std::string_view kLineBreak = "\n\r";

struct TextTable {
    std::string runClient;
    std::string connectionEstablished;
    std::string connecting;
    std::string useEntriesAsDefault;
    std::string noPasswordEntered;
    std::string noValidPortEntered;
    std::string noUsernameEntered;
    std::string noValidServerIpEntered;
    std::string error;
    std::string alreadyRunning;
    std::string cannotInitializeNetwork;
    std::string cannotConnect;
    std::string cannotCreateServer;
    std::string errorOccurred;
    std::string exit;
    std::string help;
    std::string startInTray;
    std::string helpTopicPrefix;
    std::string helpFileMissing;
    std::string imageQuality;
    std::string allowMouse;
    std::string menu;
    std::string miscellaneous;
    std::string noConnection;
    std::string serverNeedsLogin;
    std::string number;
    std::string open;
    std::string unsupportedSystem;
    std::string onStartup;
    std::string changesAfterRestart;
    std::string clientAndServerExclusive;
    std::string runServer;
    std::string settings;
    std::string connectedSince;
    std::string suppressMessages;
    std::string username;
    std::string password;
    std::string language;
    std::string allowKeyboard;
    std::string hideInTray;
    std::string loginFailedServerFull;
    std::string loginFailedWrongCredentials;
};

// Texts that exist in one language only.
namespace fixedText {
inline constexpr std::string_view kProductTitle = "Korvo v1.1";
inline constexpr std::string_view kInformation = "Information";
inline constexpr std::string_view kHomepage = "Homepage";
inline constexpr std::string_view kClient = "Client";
inline constexpr std::string_view kServer = "Server";
inline constexpr std::string_view kHelpMenu = "?";
inline constexpr std::string_view kNumberColumn = "Nr.";
inline constexpr std::string_view kClientIpColumn = "Client IP";
inline constexpr std::string_view kClientStatusPrefix = "   Client: ";
inline constexpr std::string_view kServerOffline = "   Server: Offline";
inline constexpr std::string_view kServerOnline = "   Server: Online";
inline constexpr std::string_view kGerman = "German";
inline constexpr std::string_view kEnglish = "English";
inline constexpr std::string_view kAuto = "Auto";
inline constexpr std::string_view kHelpFileName = "help.chm";
inline constexpr std::string_view kServerIpAndPort = "Server-IP + Port:";
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kMaxClients = "Max. Clients:";
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kReset = "Reset";
}  // namespace fixedText

struct LanguageState {
    std::string languageCode;    // "deutsch", "english" or the system's first seven letters
    std::string languageChoice;  // "German", "English" or "Auto"
};

// The process-wide choice and its texts, fixed at start-up.
extern LanguageState language;
extern TextTable texts;

// The first seven letters, lower-cased, of the system's name for the user's language
// (of which at most nine characters are seen).
std::string languageCodeFromSystemName(std::string_view systemName);

// Applies the "lang" setting (already lower-cased and trimmed) to the code the system
// gave: "german" and "english" decide, anything else leaves the choice to the system.
LanguageState chooseLanguage(std::string_view languageSetting, std::string_view systemCode);

// German texts only for the code "deutsch"; English otherwise.
TextTable buildTextTable(std::string_view languageCode);

}  // namespace korvo
