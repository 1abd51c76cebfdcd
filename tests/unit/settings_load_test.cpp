// Loading settings.ini at start-up: defaults and repairs.
#include <gtest/gtest.h>

#include "settings/password.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace korvo {
namespace {

using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { settingsPath = dir.file("settings.ini"); }
    Settings load(const std::string& file) {
        writeBytes(settingsPath, file);
        return loadSettings();
    }
    TempDir dir;
};

TEST_F(LoadSettingsTest, MissingFileGivesDefaultsAndIsNotCreated) {
    Settings s = loadSettings();
    EXPECT_EQ(s.clientIp, "");
    EXPECT_EQ(s.clientPort, 6000);
    EXPECT_EQ(s.serverPort, 6000);
    EXPECT_EQ(s.serverMaxClients, 10000);
    EXPECT_EQ(s.imageQuality, 5);
    EXPECT_EQ(s.allowMouse, 0);
    EXPECT_EQ(s.allowKeyboard, 0);
    EXPECT_EQ(s.suppressMessages, 0);
    EXPECT_EQ(s.startInTray, 0);
    EXPECT_EQ(s.startMode, StartMode::None);
    EXPECT_EQ(s.languageSetting, "");
    EXPECT_EQ(s.clientPassword, "");
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(LoadSettingsTest, FullFileIsReadIntoEveryField) {
    const std::string file =
        "[client]\r\nip =  192.168.0.7 \r\nport = 7001\r\nuser = anna\r\npass = " +
        encodePassword("geheim") +
        "\r\n[server]\r\nuser = bob\r\npass = " + encodePassword("pw=1") +
        "\r\nport = 7002\r\nlimit = 1\r\nclients = 3\r\nimage = 10\r\n"
        "keyboard = 1\r\nmouse = 1\r\n"
        "[misc]\r\nlang = English\r\nstart = server\r\nsystray = 1\r\n"
        "suppress = 1\r\n";
    Settings s = load(file);
    EXPECT_EQ(s.clientIp, "192.168.0.7");
    EXPECT_EQ(s.clientPort, 7001);
    EXPECT_EQ(s.clientUser, "anna");
    EXPECT_EQ(s.clientPassword, "geheim");
    EXPECT_EQ(s.serverUser, "bob");
    EXPECT_EQ(s.serverPassword, "pw=1");
    EXPECT_EQ(s.serverPort, 7002);
    EXPECT_EQ(s.serverMaxClients, 3);
    EXPECT_EQ(s.imageQuality, 10);
    EXPECT_EQ(s.allowKeyboard, 1);
    EXPECT_EQ(s.allowMouse, 1);
    EXPECT_EQ(s.languageSetting, "english");
    EXPECT_EQ(s.startMode, StartMode::Server);
    EXPECT_EQ(s.startInTray, 1);
    EXPECT_EQ(s.suppressMessages, 1);
    EXPECT_EQ(readBytes(settingsPath), file) << "loading never writes";
}

TEST_F(LoadSettingsTest, PortsAreRepaired) {
    for (const char* port : {"0", "-5", "abc", ""}) {
        Settings s =
            load(std::string("[client]\r\nport = ") + port + "\r\n[server]\r\nport=" + port);
        EXPECT_EQ(s.clientPort, 6000) << port;
        EXPECT_EQ(s.serverPort, 6000) << port;
    }
    EXPECT_EQ(load("[CLIENT]\r\nPORT =   7000   \r\n").clientPort, 7000);
    EXPECT_EQ(load("[client]\r\nport = $1F40\r\n").clientPort, 8000);
}

TEST_F(LoadSettingsTest, ImageQualityOutsideOneToTenBecomesFive) {
    EXPECT_EQ(load("[server]\nimage = 0\n").imageQuality, 5);
    EXPECT_EQ(load("[server]\nimage = 11\n").imageQuality, 5);
    EXPECT_EQ(load("[server]\nimage = 10\n").imageQuality, 10);
    EXPECT_EQ(load("[server]\nimage = 1\n").imageQuality, 1);
}

TEST_F(LoadSettingsTest, ClientLimitOnlyWhenSwitchIsExactlyOne) {
    EXPECT_EQ(load("[server]\nlimit = 1\n").serverMaxClients, 0);
    EXPECT_EQ(load("[server]\nlimit = 1\nclients =\n").serverMaxClients, 0);
    EXPECT_EQ(load("[server]\nlimit = 2\nclients = 4\n").serverMaxClients, 10000);
    EXPECT_EQ(load("[server]\nlimit = 0\nclients = 4\n").serverMaxClients, 10000);
    EXPECT_EQ(load("[server]\nlimit = 1\nclients = 50000\n").serverMaxClients, 50000);
}

TEST_F(LoadSettingsTest, StartModeIsCaseSensitiveAndLanguageIsLowered) {
    EXPECT_EQ(load("[misc]\nstart = Client\n").startMode, StartMode::None);
    EXPECT_EQ(load("[misc]\nstart = client\n").startMode, StartMode::Client);
    EXPECT_EQ(load("[misc]\nstart = --\n").startMode, StartMode::None);
    EXPECT_EQ(load("[misc]\nlang = GERMAN\n").languageSetting, "german");
    EXPECT_EQ(load("[misc]\nlang = \xC4\xD6\n").languageSetting, "\xE4\xF6");
}

TEST_F(LoadSettingsTest, UndecodablePasswordIsEmptyAndStaysInFile) {
    const std::string file = "[client]\npass = abc\n[server]\npass = ab$=\n";
    Settings s = load(file);
    EXPECT_EQ(s.clientPassword, "");
    EXPECT_EQ(s.serverPassword, "");
    EXPECT_EQ(readBytes(settingsPath), file);
}

TEST_F(LoadSettingsTest, PasswordOfAnyLengthSurvivesTheFile) {
    std::string longPassword(20000, 'x');
    for (size_t i = 0; i < longPassword.size(); ++i) {
        longPassword[i] = static_cast<char>(1 + i % 255);
    }
    writeSetting(SettingsGroup::Server, "pass", encodePassword(longPassword));
    EXPECT_EQ(loadSettings().serverPassword, longPassword);
}

}  // namespace
}  // namespace korvo
