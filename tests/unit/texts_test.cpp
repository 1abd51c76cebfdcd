// Choosing the language and the exact texts of both tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system.h"
#include "texts/texts.h"

namespace korvo {
namespace {

TEST(LanguageChoiceTest, SettingDecidesOverSystem) {
    EXPECT_EQ(chooseLanguage("german", "english").languageCode, "deutsch");
    EXPECT_EQ(chooseLanguage("german", "english").languageChoice, "German");
    EXPECT_EQ(chooseLanguage("english", "deutsch").languageCode, "english");
    EXPECT_EQ(chooseLanguage("english", "deutsch").languageChoice, "English");
    // "deutsch" is not a setting the program knows: the system decides.
    LanguageState unknown = chooseLanguage("deutsch", "english");
    EXPECT_EQ(unknown.languageChoice, "Auto");
    EXPECT_EQ(unknown.languageCode, "english");
    EXPECT_EQ(chooseLanguage("", "deutsch").languageCode, "deutsch");
    EXPECT_EQ(chooseLanguage("auto", "deutsch").languageChoice, "Auto");
}

TEST(LanguageChoiceTest, SystemNameGivesItsFirstSevenLettersLowered) {
    EXPECT_EQ(languageCodeFromSystemName("Deutsch"), "deutsch");
    EXPECT_EQ(languageCodeFromSystemName("Deutsch (Schweiz)"), "deutsch");
    EXPECT_EQ(languageCodeFromSystemName("German"), "german");
    EXPECT_EQ(languageCodeFromSystemName("Nederlands"), "nederla");
    EXPECT_EQ(languageCodeFromSystemName(""), "");
    // A system naming German in English still gives English texts.
    EXPECT_EQ(buildTextTable(chooseLanguage("", "german").languageCode).exit, "Exit");
}

#ifndef _WIN32
TEST(LanguageChoiceTest, LinuxNamesTheLanguageFromLocaleVariables) {
    const auto nameWith = [](const char* all, const char* messages, const char* lang) {
        const auto set = [](const char* name, const char* value) {
            if (value != nullptr) {
                ::setenv(name, value, 1);
            } else {
                ::unsetenv(name);
            }
        };
        set("LC_ALL", all);
        set("LC_MESSAGES", messages);
        set("LANG", lang);
        return platform::userLanguageName();
    };
    EXPECT_EQ(nameWith(nullptr, nullptr, "de_DE.UTF-8"), "Deutsch");
    EXPECT_EQ(nameWith(nullptr, "de_AT", "en_US.UTF-8"), "Deutsch");
    EXPECT_EQ(nameWith("fr_FR", "de_AT", "de_DE"), "Fran\347ais");
    EXPECT_EQ(nameWith(nullptr, nullptr, nullptr), "English");
    EXPECT_EQ(nameWith("C", nullptr, "de_DE"), "English");
    EXPECT_EQ(nameWith("", "", "de"), "Deutsch");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANG");
}
#endif

TEST(TextTableTest, ExactTextsInBothLanguages) {
    TextTable en = buildTextTable("english");
    TextTable de = buildTextTable("deutsch");
    EXPECT_EQ(en.connecting, " Connecting... ");
    EXPECT_EQ(de.connecting, " Verbinde... ");
    EXPECT_EQ(en.noUsernameEntered, "No username entered.");
    EXPECT_EQ(de.noUsernameEntered, "Kein Nutzername eingegeben.");
    EXPECT_EQ(en.noPasswordEntered, "No password entered.");
    EXPECT_EQ(de.noPasswordEntered, "Kein Passwort eingegeben.");
    EXPECT_EQ(de.open,
              "\xD6"
              "ffnen");
    EXPECT_EQ(de.menu, "Men\xFC");
    EXPECT_EQ(en.helpTopicPrefix, "en");
    EXPECT_EQ(de.helpTopicPrefix, "de");
    EXPECT_EQ(de.changesAfterRestart,
              "Die \xC4nderungen werden erst beim n\xE4"
              "chsten Programmstart \xFC"
              "bernommen.");
}

TEST(TextTableTest, AssembledTexts) {
    TextTable en = buildTextTable("english");
    TextTable de = buildTextTable("deutsch");
    EXPECT_EQ(en.helpFileMissing, "Help file \"help.chm\" not found.");
    EXPECT_EQ(de.helpFileMissing, "Hilfedatei \"help.chm\" nicht gefunden.");
    EXPECT_EQ(en.serverNeedsLogin,
              "To run the server you have to select a username and a password first.");
    EXPECT_EQ(de.serverNeedsLogin,
              "Damit der Server gestartet werden kann m\xFCssen Sie\n\r"
              "einen Benutzernamen und Passwort ausw\xE4hlen.");
    EXPECT_EQ(en.unsupportedSystem.substr(en.unsupportedSystem.find('\n')),
              "\n\rWindows 98 or higher required.");
    EXPECT_EQ(
        de.unsupportedSystem,
        "Dieses Betriebssystem wird nicht unterst\xFCtzt.\n\rWindows 98 oder neuer ben\xF6tigt.");
    EXPECT_EQ(fixedText::kClientStatusPrefix.size() + en.noConnection.size(), 24u);
}

}  // namespace
}  // namespace korvo
