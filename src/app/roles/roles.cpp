// What the main window asks of the roles and their windows: the real server, client,
// input capture, settings window and connect dialog.
#include "app/roles/roles.h"

#include "dialogs/connect_dialog.h"
#include "dialogs/settings_window.h"
#include "server/server_thread.h"
#include "viewer/client_thread.h"
#include "viewer/frame_view.h"
#include "viewer/input_capture.h"

namespace korvo {

platform::ThreadHandle startServerRole() {
    return startServerThread();
}

platform::ThreadHandle startClientRole() {
    return startClientThread();
}

void closeServerRole() {
    closeServer();
}

void closeClientConnection() {
    releaseClientConnection();
}

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

void showCurrentFrameAgain() {
    rescaleShownImage();
}

}  // namespace korvo
