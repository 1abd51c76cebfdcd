// The connect dialog fills its fields from settings.ini, copies what was typed into the
// client settings, lists every failed check in one box, and saves only when asked.
#include "dialogs/connect_dialog.h"
#include "dialog_fixture.h"
#include "settings/password.h"

namespace korvo::dialog_testing {
namespace {

using namespace connectControl;

class ConnectDialogTest : public DialogTest {
protected:
    void openDialog() {
        open([] { return ConnectDialog(); }, kConnectDialogId);
    }
    static void type(const std::string& address, const std::string& port, const std::string& user,
                     const std::string& password) {
        fake::typeText(kAddress, address);
        fake::typeText(kPort, port);
        fake::typeText(kUser, user);
        fake::typeText(kPassword, password);
    }
};

TEST_F(ConnectDialogTest, EveryFailedCheckIsListedEvenWithMessagesSuppressed) {
    settings.suppressMessages = 1;
    openDialog();
    fake::FakeWindow window;
    ASSERT_TRUE(fake::window(kConnectDialogId, window));
    EXPECT_EQ(window.title, "Korvo v1.1");
    EXPECT_EQ(window.owner, kMainWindowId);
    EXPECT_EQ(window.inner.width, 300);
    EXPECT_EQ(window.inner.height, 210);
    EXPECT_EQ(window.fades, 1);
    EXPECT_EQ(text(kAddress), "0.0.0.0");  // blank
    EXPECT_EQ(text(kPort), "");

    enter();
    auto boxes = boxesOnceThere(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, kConnectDialogId);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(boxes[0].text,
              "1) No valid server ip entered.\n\r2) No valid port number entered.\n\r"
              "3) No username entered.\n\r4) No password entered.\n\r");

    // One failed check is number 1, whichever it is; blanks alone are no password, and a
    // port beyond 16 bits is no port.
    type("0.0.0.1", "6000", "", "secret");
    fake::clickControl(kOk);
    boxes = boxesOnceThere(2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "1) No username entered.\n\r");
    type("10.0.0.1", "6000", "anna", "   ");
    enter();
    boxes = boxesOnceThere(3);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, "1) No password entered.\n\r");
    type("10.0.0.1", "65536", "anna", "secret");
    enter();
    boxes = boxesOnceThere(4);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, "1) No valid port number entered.\n\r");

    // The entries were copied all the same, and the dialog is still open.
    EXPECT_EQ(settings.clientIp, "10.0.0.1");
    EXPECT_EQ(settings.clientPort, 65536);
    EXPECT_TRUE(platform::windowShown(kConnectDialogId));
    escape();
    EXPECT_FALSE(answer());
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ConnectDialogTest, ValidEntriesAreUsedAndSavedOnlyWhenAsked) {
    const std::string file = "[client]\r\nip = 10.1\r\nport = x\r\nuser = anna\r\n";
    store(file);
    openDialog();
    EXPECT_EQ(text(kAddress), "10.1.0.0");
    EXPECT_EQ(text(kPort), "");  // a stored port that is no number
    EXPECT_EQ(text(kUser), "anna");
    type("0.0.0.1", "00080", " bob ", "secret ");
    enter();
    EXPECT_TRUE(answer());
    EXPECT_EQ(settings.clientIp, "0.0.0.1");
    EXPECT_EQ(settings.clientPort, 80);
    EXPECT_EQ(settings.clientUser, "bob");
    EXPECT_EQ(settings.clientPassword, "secret");
    EXPECT_EQ(stored(), file);
    EXPECT_TRUE(fake::messageBoxes().empty());

    openDialog();
    type("192.168.0.10", "00080", "bob", "secret");
    fake::clickControl(kSaveAsDefault);
    fake::clickControl(kOk);
    EXPECT_TRUE(answer());
    EXPECT_EQ(stored(), "[client]\r\nip = 192.168.0.10\r\nport = 80\r\nuser = bob\r\npass = " +
                            encodePassword("secret") + "\r\n");
}

TEST_F(ConnectDialogTest, ResetThenEscapeChangesNothing) {
    const std::string file = "[client]\r\nip = 10.0.0.2\r\nport = 7000\r\nuser = anna\r\npass = " +
                             encodePassword("secret") + "\r\n";
    store(file);
    settings.clientIp = "1.2.3.4";
    openDialog();
    EXPECT_EQ(text(kPassword), "secret");
    fake::clickControl(kSaveAsDefault);
    fake::clickControl(kReset);
    EXPECT_TRUE(eventually([] { return text(kUser).empty(); }));
    EXPECT_EQ(text(kAddress), "0.0.0.0");
    EXPECT_EQ(text(kPort), "");
    EXPECT_EQ(text(kPassword), "");
    EXPECT_EQ(state(kSaveAsDefault), 0);
    platform::postEvent({platform::EventKind::CloseRequested, kConnectDialogId, 0, 0, 0});
    EXPECT_FALSE(answer());
    EXPECT_EQ(stored(), file);
    EXPECT_EQ(settings.clientIp, "1.2.3.4");
}

}  // namespace
}  // namespace korvo::dialog_testing
