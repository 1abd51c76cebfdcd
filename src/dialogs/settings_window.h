// The settings window: every setting of settings.ini on three pages, Client, Server and
// Miscellaneous.
#pragma once

namespace korvo {

// Opens the window on the page (kClientSettingsPage or kServerSettingsPage) and waits.
// True when the user confirmed with OK or Enter, after every value was written; of the
// in-memory settings only clientIp and clientPort change. GUI thread only.
bool SettingsWindow(int initialPage);

}  // namespace korvo
