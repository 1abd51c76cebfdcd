// What the main window asks of the two roles and of the windows that arrive with them.
// The shell calls these; the server, the client, the viewer input capture, the settings
// window and the connect dialog provide them. They live in a library of their own so
// that tests of the shell can put stand-ins in their place.
#pragma once

#include "platform/threads.h"

namespace korvo {

// Starts the server thread; nullptr when none could be started.
platform::ThreadHandle startServerRole();

// Starts the client connection thread; nullptr when none could be started.
platform::ThreadHandle startClientRole();

// closeServer: the listening socket and every connection accepted through it.
void closeServerRole();

// closeConnection on clientConnection.
void closeClientConnection();

// The connect dialog; true when the user confirmed valid entries.
bool runConnectDialog();

// The settings window opened on the given page (0 client, 1 server); true when the user
// confirmed it with OK.
bool runSettingsWindow(int page);

// A key of the shortcut table, by its event number, for the viewer's input capture.
void captureShortcut(int eventNumber);

// A click on the view, by the position of its flag in the client's pending input.
void captureViewClick(int flagPosition);

// After the view was laid out again: show the current frame scaled to its new size.
void showCurrentFrameAgain();

}  // namespace korvo
