// The settings window's controls, in the order they are created, with their positions
// and fixed texts.
#include <string>

#include "dialogs/dialog_ids.h"
#include "dialogs/dialog_window.h"
#include "dialogs/settings_window_parts.h"
#include "platform/ui.h"
#include "texts/texts.h"

namespace korvo {
namespace {

using platform::ControlKind;
using platform::Rect;
using namespace settingsControl;

constexpr int kWidth = 400;
constexpr int kHeight = 280;
constexpr int kQualityItems = 10;

void add(int control, ControlKind kind, Rect geometry, const std::string& text, int parent) {
    addDialogControl(kSettingsWindowId, control, kind, geometry, text, parent);
}

std::string withColon(const std::string& text) {
    return text + ":";
}

void addFrames(int page, int outerFrame, int innerFrame) {
    add(outerFrame, ControlKind::Frame, Rect{2, -4, 388, 226}, "", page);
    add(innerFrame, ControlKind::Frame, Rect{6, 0, 380, 218}, "", page);
}

void addClientPage() {
    addFrames(kClientPage, kClientOuterFrame, kClientInnerFrame);
    add(kAddressLabel, ControlKind::Label, Rect{70, 75, 78, 20},
        std::string(fixedText::kServerIpAndPort), kClientPage);
    add(kAddress, ControlKind::Ipv4Address, Rect{158, 72, 120, 20}, "", kClientPage);
    add(kClientPort, ControlKind::DigitsEdit, Rect{283, 72, 34, 20}, "", kClientPage);
    add(kClientUserLabel, ControlKind::Label, Rect{70, 105, 78, 20}, withColon(texts.username),
        kClientPage);
    add(kClientUser, ControlKind::Edit, Rect{158, 102, 159, 20}, "", kClientPage);
    add(kClientPasswordLabel, ControlKind::Label, Rect{70, 135, 78, 20}, withColon(texts.password),
        kClientPage);
    add(kClientPassword, ControlKind::PasswordEdit, Rect{158, 132, 159, 20}, "", kClientPage);
}

void addServerPage() {
    addFrames(kServerPage, kServerOuterFrame, kServerInnerFrame);
    add(kServerUserLabel, ControlKind::Label, Rect{70, 30, 78, 20}, withColon(texts.username),
        kServerPage);
    add(kServerUser, ControlKind::Edit, Rect{158, 27, 159, 20}, "", kServerPage);
    add(kServerPasswordLabel, ControlKind::Label, Rect{70, 60, 78, 20}, withColon(texts.password),
        kServerPage);
    add(kServerPassword, ControlKind::PasswordEdit, Rect{158, 57, 159, 20}, "", kServerPage);
    add(kServerPortLabel, ControlKind::Label, Rect{70, 90, 78, 20},
        withColon(std::string(fixedText::kPort) + texts.number), kServerPage);
    add(kServerPort, ControlKind::DigitsEdit, Rect{158, 87, 34, 20}, "", kServerPage);
    add(kClientLimit, ControlKind::CheckBox, Rect{70, 137, 80, 20},
        std::string(fixedText::kMaxClients), kServerPage);
    add(kClientCount, ControlKind::DigitsEdit, Rect{159, 137, 30, 20}, "", kServerPage);
    add(kQualityLabel, ControlKind::Label, Rect{207, 140, 65, 20}, withColon(texts.imageQuality),
        kServerPage);
    add(kQuality, ControlKind::ComboBox, Rect{277, 137, 40, 20}, "", kServerPage);
    for (int quality = kQualityItems; quality >= 1; --quality)
        platform::addComboItem(kQuality, std::to_string(quality));
    add(kKeyboard, ControlKind::CheckBox, Rect{70, 177, 130, 20}, texts.allowKeyboard, kServerPage);
    add(kMouse, ControlKind::CheckBox, Rect{207, 177, 130, 20}, texts.allowMouse, kServerPage);
}

void addMiscPage() {
    addFrames(kMiscPage, kMiscOuterFrame, kMiscInnerFrame);
    add(kLanguageLabel, ControlKind::Label, Rect{70, 62, 78, 20}, withColon(texts.language),
        kMiscPage);
    add(kLanguage, ControlKind::ComboBox, Rect{158, 59, 159, 20}, "", kMiscPage);
    for (std::string_view item : {fixedText::kAuto, fixedText::kEnglish, fixedText::kGerman})
        platform::addComboItem(kLanguage, std::string(item));
    add(kStartLabel, ControlKind::Label, Rect{70, 102, 98, 20}, withColon(texts.onStartup),
        kMiscPage);
    add(kStart, ControlKind::ComboBox, Rect{178, 99, 139, 20}, "", kMiscPage);
    for (const std::string& item : {std::string(kNoStartItem), texts.runClient, texts.runServer})
        platform::addComboItem(kStart, item);
    add(kStartInTray, ControlKind::CheckBox, Rect{70, 142, 100, 20}, texts.startInTray, kMiscPage);
    add(kSuppress, ControlKind::CheckBox, Rect{180, 142, 140, 20}, texts.suppressMessages,
        kMiscPage);
}

}  // namespace

bool buildSettingsWindow() {
    if (!openDialogWindow(kSettingsWindowId, kWidth, kHeight, texts.settings))
        return false;
    add(kOk, ControlKind::Button, Rect{76, 255, 120, 20}, std::string(fixedText::kOk), 0);
    add(kReset, ControlKind::Button, Rect{201, 255, 120, 20}, std::string(fixedText::kReset), 0);
    add(kPages, ControlKind::TabPanel, Rect{0, 0, 400, 250}, "", 0);
    add(kClientPage, ControlKind::TabPage, Rect{}, std::string(fixedText::kClient), kPages);
    add(kServerPage, ControlKind::TabPage, Rect{}, std::string(fixedText::kServer), kPages);
    add(kMiscPage, ControlKind::TabPage, Rect{}, texts.miscellaneous, kPages);
    addClientPage();
    addServerPage();
    addMiscPage();
    return true;
}

}  // namespace korvo
