// Showing and hiding a window, with or without the fade, as every window of the program
// does it.
#pragma once

namespace korvo {

// Hides (hide = 1) or shows the window; with fade = 1 it fades over fadeMs first, and
// the caller waits for that. Returns 1.
int setWindowShown(int window, int hide, int fade);

}  // namespace korvo
