// The server role is the real one. Until the client, the settings window and the
// connect dialog are part of the program, they cannot start and capture nothing.
#include "app/roles/roles.h"

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
    return false;
}

bool runSettingsWindow(int) {
    return false;
}

void captureShortcut(int eventNumber) {
    captureShortcutEvent(eventNumber);
}

void captureViewClick(int flagPosition) {
    captureClick(flagPosition);
}

void showCurrentFrameAgain() {}

}  // namespace korvo
