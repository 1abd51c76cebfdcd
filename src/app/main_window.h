// The main window: built by the GUI thread, laid out again on every resize.
#pragma once

#include "app/main_layout.h"

namespace korvo {

// Bar heights remembered when the window was built; GUI thread only.
extern BarHeights mainBars;

// Builds the hidden main window with its menus, toolbar, status bar, body, tray popup
// and shortcuts. False when the window itself could not be created.
bool buildMainWindow();

// Lays the body out for the window's inner size (height counted with the menu bar).
void layOutMainWindow(int width, int height);

// The body as it lies now.
BodyLayout currentBodyLayout();

}  // namespace korvo
