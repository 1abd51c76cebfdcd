#include "dialogs/connect_dialog.h"

#include <string>

#include "dialogs/client_fields.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/dialog_window.h"
#include "platform/ui.h"
#include "settings/client_settings.h"
#include "settings/latin1.h"
#include "settings/numbers.h"
#include "settings/password.h"
#include "settings/settings.h"
#include "state/window_shown.h"
#include "texts/texts.h"

namespace korvo {
namespace {

using platform::ControlKind;
using platform::Rect;
using namespace connectControl;

constexpr int kWidth = 300;
constexpr int kHeight = 210;
// A TCP port is 16 bits: a larger number would connect to another port.
constexpr int64_t kHighestPort = 65535;

void add(int control, ControlKind kind, Rect geometry, const std::string& text) {
    addDialogControl(kConnectDialogId, control, kind, geometry, text);
}

bool buildConnectDialog() {
    if (!openDialogWindow(kConnectDialogId, kWidth, kHeight, std::string(fixedText::kProductTitle)))
        return false;
    add(kFrame, ControlKind::Frame, Rect{2, -4, 296, 212}, "");
    add(kAddressLabel, ControlKind::Label, Rect{30, 30, 78, 20},
        std::string(fixedText::kServerIpAndPort));
    add(kAddress, ControlKind::Ipv4Address, Rect{115, 27, 110, 20}, "");
    add(kPort, ControlKind::DigitsEdit, Rect{230, 27, 34, 20}, "");
    add(kUserLabel, ControlKind::Label, Rect{30, 70, 70, 20}, texts.username + ":");
    add(kUser, ControlKind::Edit, Rect{115, 67, 150, 20}, "");
    add(kPasswordLabel, ControlKind::Label, Rect{30, 110, 70, 20}, texts.password + ":");
    add(kPassword, ControlKind::PasswordEdit, Rect{115, 107, 150, 20}, "");
    add(kOk, ControlKind::Button, Rect{115, 147, 70, 20}, std::string(fixedText::kOk));
    add(kReset, ControlKind::Button, Rect{193, 147, 70, 20}, std::string(fixedText::kReset));
    add(kSaveAsDefault, ControlKind::CheckBox, Rect{10, 182, 200, 20}, texts.useEntriesAsDefault);
    return true;
}

void resetConnectDialog() {
    for (int field : {kAddress, kPort, kUser, kPassword})
        platform::setControlText(field, "");
    platform::setControlState(kSaveAsDefault, 0);
}

std::string trimmedText(int control) {
    return std::string(trimBlanks(platform::controlText(control)));
}

// The address with its dots removed, read as one number: 0 only for 0.0.0.0.
bool validAddress(const std::string& address) {
    std::string digits;
    for (char c : address)
        if (c != '.')
            digits.push_back(c);
    return parseInteger(digits) != 0;
}

bool validPort(int64_t port) {
    return port >= 1 && port <= kHighestPort;
}

void addError(std::string& errors, int& counter, const std::string& message) {
    errors += std::to_string(counter) + ") " + message + std::string(kLineBreak);
    ++counter;
}

void saveAsDefault() {
    writeSetting(SettingsGroup::Client, "ip", settings.clientIp);
    writeSetting(SettingsGroup::Client, "port", formatInteger(settings.clientPort));
    writeSetting(SettingsGroup::Client, "user", settings.clientUser);
    if (!settings.clientPassword.empty())
        writeSetting(SettingsGroup::Client, "pass", encodePassword(settings.clientPassword));
}

}  // namespace

bool validateConnectInput(int dialog) {
    setClientSettings({trimmedText(kAddress), parseInteger(platform::controlText(kPort)),
                       trimmedText(kUser), trimmedText(kPassword)});

    std::string errors;
    int counter = 1;
    if (!validAddress(settings.clientIp))
        addError(errors, counter, texts.noValidServerIpEntered);
    if (!validPort(settings.clientPort))
        addError(errors, counter, texts.noValidPortEntered);
    if (settings.clientUser.empty())
        addError(errors, counter, texts.noUsernameEntered);
    if (settings.clientPassword.empty())
        addError(errors, counter, texts.noPasswordEntered);
    if (!errors.empty()) {
        platform::showMessageBox(dialog, texts.error, errors, platform::MessageIcon::Error,
                                 platform::MessageButtons::Ok);
        return false;
    }
    if (platform::controlState(kSaveAsDefault) == 1)
        saveAsDefault();
    return true;
}

bool ConnectDialog() {
    if (!buildConnectDialog())
        return false;
    fillClientFields({kAddress, kPort, kUser, kPassword});
    installDialogKeys(kConnectDialogId);
    setWindowShown(kConnectDialogId, 0, 1);
    for (;;) {
        const DialogEvent event = nextDialogEvent(kConnectDialogId, kOk);
        if (event.action == DialogAction::Confirm && validateConnectInput(kConnectDialogId)) {
            endDialog(kConnectDialogId);
            return true;
        }
        if (event.action == DialogAction::Cancel) {
            endDialog(kConnectDialogId);
            return false;
        }
        if (event.action == DialogAction::Click && event.control == kReset)
            resetConnectDialog();
    }
}

}  // namespace korvo
