// Start-up of the process: where settings live and which language it speaks.
#pragma once

namespace korvo {

// Locates settings.ini beside the executable, loads the settings and fixes the
// language and its texts for the life of the process.
void loadConfiguration();

}  // namespace korvo
