// The server and the client are the real ones. Until the settings window, the connect
// dialog and the viewer's input capture are part of the program, they cannot be opened
// and capture nothing.
#include "app/roles/roles.h"

#include "server/server_thread.h"
#include "viewer/client_thread.h"
#include "viewer/frame_view.h"

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
    return false;
}

bool runSettingsWindow(int) {
    return false;
}

void captureShortcut(int) {}

void captureViewClick(int) {}

void showCurrentFrameAgain() {
    rescaleShownImage();
}

}  // namespace korvo
