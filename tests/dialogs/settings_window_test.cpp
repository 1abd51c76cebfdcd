// The settings window fills its controls from settings.ini and writes every value back,
// in its order, when confirmed; Escape and Reset write nothing.
#include "dialogs/settings_window.h"
#include "dialog_fixture.h"
#include "settings/password.h"

namespace korvo::dialog_testing {
namespace {

using namespace settingsControl;

class SettingsWindowTest : public DialogTest {
protected:
    void openOn(int page) {
        open([page] { return SettingsWindow(page); }, kSettingsWindowId);
    }
};

TEST_F(SettingsWindowTest, WithoutAFileItShowsTheDefaultsAndOkWritesTheWholeFile) {
    openOn(kServerSettingsPage);
    fake::FakeWindow window;
    ASSERT_TRUE(fake::window(kSettingsWindowId, window));
    EXPECT_EQ(window.title, "Settings");
    EXPECT_EQ(window.owner, kMainWindowId);
    EXPECT_EQ(window.inner.width, 400);
    EXPECT_EQ(window.inner.height, 280);
    EXPECT_EQ(window.fades, 0);  // shown at once
    EXPECT_EQ(state(kPages), kServerSettingsPage);
    EXPECT_EQ(text(kClientPort), "");
    EXPECT_EQ(text(kServerPort), "6000");
    EXPECT_EQ(text(kClientCount), "1");
    EXPECT_FALSE(enabled(kClientCount));
    EXPECT_EQ(text(kQuality), "5");
    EXPECT_EQ(text(kLanguage), "Auto");
    EXPECT_EQ(text(kStart), "--");
    for (int box : {kClientLimit, kKeyboard, kMouse, kStartInTray, kSuppress})
        EXPECT_EQ(state(box), 0) << box;

    fake::clickControl(kOk);
    EXPECT_TRUE(answer());
    EXPECT_EQ(stored(),
              "[client]\r\nip = 0.0.0.0\r\nport = 6000\r\nuser = \r\npass = \r\n"
              "[server]\r\nuser = \r\npass = \r\nport = 6000\r\nlimit = 0\r\nclients = 1\r\n"
              "image = 5\r\nkeyboard = 0\r\nmouse = 0\r\n"
              "[misc]\r\nlang = Auto\r\nstart = --\r\nsystray = 0\r\nsuppress = 0\r\n");
    EXPECT_FALSE(platform::windowExists(kSettingsWindowId));
}

TEST_F(SettingsWindowTest, StoredValuesComeBackAsTheyWereAndEnterSavesThemUnchanged) {
    const std::string file =
        "[client]\r\nip = 10.1\r\nport = 7001\r\nuser = anna\r\npass = " +
        encodePassword("geheim") + "\r\n[server]\r\nuser = bob\r\npass = " + encodePassword("pw") +
        "\r\nport = 7000\r\nlimit = 1\r\nclients = 3\r\nimage = 7\r\nkeyboard = 1\r\n"
        "mouse = 0\r\n[misc]\r\nlang = English\r\nstart = server\r\nsystray = 1\r\n"
        "suppress = 0\r\n";
    store(file);
    settings.serverPort = 6001;
    openOn(kClientSettingsPage);
    EXPECT_EQ(state(kPages), kClientSettingsPage);
    EXPECT_EQ(text(kAddress), "10.1.0.0");
    EXPECT_EQ(text(kClientPassword), "geheim");
    EXPECT_EQ(text(kServerPassword), "pw");
    EXPECT_EQ(state(kClientLimit), 1);
    EXPECT_TRUE(enabled(kClientCount));
    EXPECT_EQ(text(kQuality), "7");
    EXPECT_EQ(text(kStart), "Run server");
    enter();
    EXPECT_TRUE(answer());
    std::string expected = file;
    expected.replace(expected.find("10.1"), 4, "10.1.0.0");
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(settings.clientIp, "10.1.0.0");
    EXPECT_EQ(settings.clientPort, 7001);
    EXPECT_EQ(settings.serverPort, 6001);  // only the client's address and port change
}

TEST_F(SettingsWindowTest, OddStoredValuesAreShownTheWayTheProgramReadsThem) {
    // A limit without a count, a quality out of range, a language in lower case, and a
    // switch that is not 1 (so off).
    store(
        "[server]\r\nlimit = 1\r\nclients = 0\r\nimage = 12\r\nmouse = 2\r\n"
        "[misc]\r\nlang =  english \r\n");
    openOn(kClientSettingsPage);
    EXPECT_EQ(state(kClientLimit), 0);
    EXPECT_FALSE(enabled(kClientCount));
    EXPECT_EQ(text(kClientCount), "1");
    EXPECT_EQ(text(kQuality), "5");
    EXPECT_EQ(text(kLanguage), "English");
    EXPECT_EQ(state(kMouse), 0);

    // The box enables the count field; unchecked again, what it holds is still saved.
    fake::clickControl(kClientLimit);
    EXPECT_TRUE(eventually([] { return enabled(kClientCount); }));
    fake::typeText(kClientCount, "25");
    fake::clickControl(kClientLimit);
    EXPECT_TRUE(eventually([] { return !enabled(kClientCount); }));
    // A client port of 0 is saved as 6000.
    fake::typeText(kClientPort, "0");
    enter();
    EXPECT_TRUE(answer());
    EXPECT_EQ(settings.clientPort, 6000);
    const std::string file = stored();
    EXPECT_NE(file.find("[client]\r\nip = 0.0.0.0\r\nport = 6000\r\n"), std::string::npos);
    EXPECT_NE(file.find("limit = 0\r\nclients = 25\r\nimage = 5\r\n"), std::string::npos);
    EXPECT_NE(file.find("mouse = 0\r\n"), std::string::npos);
    EXPECT_NE(file.find("lang = English\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, TheGermanStartListSavesClient) {
    useLanguage("german");
    openOn(kClientSettingsPage);
    EXPECT_EQ(platform::windowTitle(kSettingsWindowId), "Einstellungen");
    fake::FakeControl start;
    ASSERT_TRUE(fake::control(kStart, start));
    EXPECT_EQ(start.comboItems,
              (std::vector<std::string>{"--", "Client starten", "Server starten"}));
    platform::setControlState(kStart, 1);
    enter();
    EXPECT_TRUE(answer());
    EXPECT_NE(stored().find("start = client\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, ResetThenEscapeOrTheCloseBoxWritesNothing) {
    const std::string file = "; mine\r\n[server]\r\nport = 7000\r\nkeyboard = 1\r\n";
    store(file);
    openOn(kServerSettingsPage);
    fake::clickControl(kReset);
    EXPECT_TRUE(eventually([] { return text(kClientPort) == "6000"; }));
    EXPECT_EQ(text(kServerPort), "6000");
    EXPECT_EQ(state(kKeyboard), 0);
    escape();
    EXPECT_FALSE(answer());
    EXPECT_EQ(stored(), file);

    openOn(kServerSettingsPage);
    platform::postEvent({platform::EventKind::CloseRequested, kSettingsWindowId, 0, 0, 0});
    EXPECT_FALSE(answer());
    EXPECT_EQ(stored(), file);
    EXPECT_EQ(settings.clientPort, 6000);
}

TEST_F(SettingsWindowTest, TheMainWindowsEventsWaitUntilTheWindowCloses) {
    openOn(kClientSettingsPage);
    const platform::Event command{platform::EventKind::Command, kMainWindowId, 1001, 0, 0};
    platform::postEvent(command);
    escape();
    EXPECT_FALSE(answer());
    const platform::Event after = platform::waitEvent(0);
    EXPECT_EQ(after.kind, command.kind);
    EXPECT_EQ(after.window, kMainWindowId);
    EXPECT_EQ(after.id, 1001);
}

}  // namespace
}  // namespace korvo::dialog_testing
