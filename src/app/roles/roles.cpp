// The server role, the settings window and the connect dialog are the real ones. Until
// the client is part of the program, it cannot start and captures nothing.
#include "app/roles/roles.h"

#include "dialogs/connect_dialog.h"
#include "dialogs/settings_window.h"
#include "server/server_thread.h"
#include "viewer/input_capture.h"

namespace korvo {

platform::ThreadHandle startServerRole() {
    return startServerThread();
}

platform::ThreadHandle startClientRole() {
    return nullptr;
}

void closeServerRole() {
    closeServer();
}

void closeClientConnection() {}

bool runConnectDialog() {
    return ConnectDialog();
}

bool runSettingsWindow(int page) {
    return SettingsWindow(page);
}

void captureShortcut(int eventNumber) {
    captureShortcutEvent(eventNumber);
}

void captureViewClick(int flagPosition) {
    captureClick(flagPosition);
}

void showCurrentFrameAgain() {}

}  // namespace korvo
