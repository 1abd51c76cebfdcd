// Until the server, the client, the settings window and the connect dialog are part of
// the program, no role can start and there is nothing to close or to capture.
#include "app/roles/roles.h"

namespace korvo {

platform::ThreadHandle startServerRole() {
    return nullptr;
}

platform::ThreadHandle startClientRole() {
    return nullptr;
}

void closeServerRole() {}

void closeClientConnection() {}

bool runConnectDialog() {
    return false;
}

bool runSettingsWindow(int) {
    return false;
}

void captureShortcut(int) {}

void captureViewClick(int) {}

void showCurrentFrameAgain() {}

}  // namespace korvo
