// Message boxes, showing and hiding windows, and the tray icon.
#pragma once

#include <string>

#include "platform/ui.h"

namespace korvo {

// An OK box with the error or information icon over `owner` (0 for none), from any
// thread; blocks only its caller. Shows nothing and answers 0 when suppressMessages is
// 1; otherwise answers the button pressed.
int showMessage(int owner, const std::string& title, const std::string& text,
                platform::MessageIcon icon);

// The one box that is never silenced: another instance runs (OK, no icon, no title).
void showAlreadyRunning();

// Hides (hide = 1) or shows the window; with fade = 1 it fades over fadeMs first, and
// the caller waits for that. Returns 1.
int setWindowShown(int window, int hide, int fade);

// The application icon in the tray with the window title as its tooltip; GUI thread.
void putIconIntoTray();
void removeIconFromTray();

}  // namespace korvo
