// The second-instance box, showing and hiding windows, and the tray icon. Every other
// box goes through showMessage.
#pragma once

#include <string>

#include "platform/ui.h"
#include "state/message_box.h"

namespace korvo {

// The one box that is never silenced: another instance runs (OK, no icon, no title).
void showAlreadyRunning();

// Hides (hide = 1) or shows the window; with fade = 1 it fades over fadeMs first, and
// the caller waits for that. Returns 1.
int setWindowShown(int window, int hide, int fade);

// The application icon in the tray with the window title as its tooltip; GUI thread.
void putIconIntoTray();
void removeIconFromTray();

}  // namespace korvo
