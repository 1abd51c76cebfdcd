// The second-instance box and the tray icon. Every other box goes through showMessage;
// windows are shown and hidden with setWindowShown.
#pragma once

#include <string>

#include "platform/ui.h"
#include "state/message_box.h"
#include "state/window_shown.h"

namespace korvo {

// The one box that is never silenced: another instance runs (OK, no icon, no title).
void showAlreadyRunning();

// The application icon in the tray with the window title as its tooltip; GUI thread.
void putIconIntoTray();
void removeIconFromTray();

}  // namespace korvo
