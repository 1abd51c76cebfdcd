#include "app/gui.h"

#include <string>

#include "app/main_window.h"
#include "app/messages.h"
#include "app/role_commands.h"
#include "app/roles/roles.h"
#include "app/state/main_window_ids.h"
#include "app/state/process_globals.h"
#include "app/texts/texts.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "protocol/process_state.h"
#include "settings/settings.h"

namespace korvo {

namespace {

constexpr int kClientSettingsPage = 0;
constexpr int kExitWaitTicks = 50;

// Flag positions of the four clicks in the client's pending input.
constexpr int kLeftClickFlag = 14;
constexpr int kRightClickFlag = 15;
constexpr int kLeftDoubleClickFlag = 16;
constexpr int kRightDoubleClickFlag = 17;

// Set when this thread has opened the help viewer.
bool helpOpened = false;

// Without a tray there would be no way back to a hidden window.
bool canHideInTray() {
    return platform::trayAvailable();
}

void bringBackFromTray() {
    removeIconFromTray();
    setWindowShown(kMainWindowId, 0, 0);
}

void hideInTray() {
    if (!canHideInTray())
        return;
    setWindowShown(kMainWindowId, 1, 0);
    putIconIntoTray();
}

std::string restartNoticeCheckText() {
    return language.languageCode == "deutsch" ? "Diese Meldung nicht mehr anzeigen"
                                              : "Do not show this message again";
}

void helpCommand() {
    if (helpOpened) {
        platform::stopHelpViewer();
        helpOpened = false;
    }
    const std::string file(fixedText::kHelpFileName);
    if (platform::fileExists(file)) {
        helpOpened = platform::startHelpViewer(file, texts.helpTopicPrefix + ".html");
        return;
    }
    showMessage(mainWindow, texts.error, texts.helpFileMissing, platform::MessageIcon::Error);
}

void settingsCommand() {
    if (!runSettingsWindow(kClientSettingsPage))
        return;
    platform::showMessageBoxOnce(mainWindow, std::string(fixedText::kInformation),
                                 texts.changesAfterRestart, platform::MessageIcon::Information,
                                 std::string(kRestartNoticeValueName), restartNoticeCheckText());
}

// False when the command leaves the loop.
bool handleCommand(int commandId) {
    switch (commandId) {
        case command::kExit:
            return false;
        case command::kHideInTray:
            hideInTray();
            break;
        case command::kOpen:
            bringBackFromTray();
            break;
        case command::kHelp:
            helpCommand();
            break;
        case command::kHomepage:
            platform::openUrl(std::string(kHomepageUrl));
            break;
        case command::kSettings:
            settingsCommand();
            break;
        case command::kClient:
            clientCommand();
            break;
        case command::kServer:
            serverCommand();
            break;
        default:
            break;
    }
    return true;
}

void handleTray(int action) {
    switch (static_cast<platform::TrayAction>(action)) {
        case platform::TrayAction::LeftDoubleClick:
            bringBackFromTray();
            break;
        case platform::TrayAction::RightClick:
            platform::showPopupMenu(menuId::kTrayPopup);
            break;
        default:
            break;
    }
}

void handleViewClick(const platform::Event& event, int flagPosition) {
    if (event.id == mainControl::kView)
        captureViewClick(flagPosition);
}

}  // namespace

bool handleEvent(const platform::Event& event) {
    using platform::EventKind;
    const bool ofMainWindow = event.window == kMainWindowId;
    switch (event.kind) {
        case EventKind::Command:
            return handleCommand(event.id);
        case EventKind::Tray:
            handleTray(event.data);
            break;
        case EventKind::LeftClick:
            handleViewClick(event, kLeftClickFlag);
            break;
        case EventKind::RightClick:
            handleViewClick(event, kRightClickFlag);
            break;
        case EventKind::LeftDoubleClick:
            handleViewClick(event, kLeftDoubleClickFlag);
            break;
        case EventKind::RightDoubleClick:
            handleViewClick(event, kRightDoubleClickFlag);
            break;
        case EventKind::Shortcut:
            captureShortcut(event.data);
            break;
        case EventKind::Resized:
            if (ofMainWindow) {
                layOutMainWindow(event.data, event.data2);
                showCurrentFrameAgain();
            }
            break;
        case EventKind::CloseRequested:
            return !ofMainWindow;
        case EventKind::None:
            break;
    }
    return true;
}

void applyStartupChoices() {
    if (settings.startInTray == 1 && canHideInTray())
        putIconIntoTray();
    else
        setWindowShown(kMainWindowId, 0, 1);
    if (settings.startMode == StartMode::Server)
        startOrStopServer();
    else if (settings.startMode == StartMode::Client)
        clientThread = startClientRole();
}

void runExitPath() {
    if (helpOpened)
        platform::stopHelpViewer();
    exitRequested = 1;
    setWindowShown(kMainWindowId, 1, 1);
    stopServerRequested = 1;
    stopClientRequested = 1;
    platform::sleepMs(kExitWaitTicks * baseTickMs);
}

void runGui() {
    if (buildMainWindow()) {
        applyStartupChoices();
        while (handleEvent(platform::waitEvent())) {
        }
    }
    runExitPath();
}

}  // namespace korvo
