#include "app/gui.h"

#include <string>

#include "app/main_window.h"
#include "app/messages.h"
#include "app/role_commands.h"
#include "app/roles/roles.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "protocol/input_event.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/program_files.h"
#include "state/role_threads.h"
#include "texts/texts.h"

namespace korvo {

namespace {

constexpr int kClientSettingsPage = 0;
constexpr int kExitWaitTicks = 50;

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
    const std::string file = findHelpFile(platform::executableDirectory());
    if (!file.empty()) {
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

// The flag's position in the client's pending input.
void handleViewClick(const platform::Event& event, size_t flagOffset) {
    if (event.id == mainControl::kView)
        captureViewClick(static_cast<int>(flagOffset));
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
            handleViewClick(event, kLeftClickOffset);
            break;
        case EventKind::RightClick:
            handleViewClick(event, kRightClickOffset);
            break;
        case EventKind::LeftDoubleClick:
            handleViewClick(event, kLeftDoubleClickOffset);
            break;
        case EventKind::RightDoubleClick:
            handleViewClick(event, kRightDoubleClickOffset);
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
