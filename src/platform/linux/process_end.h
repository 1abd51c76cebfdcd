// Clean-up that every way out of the process shares. Async-signal-safe.
#pragma once

namespace platform {

void removePrivateDirectory();

}  // namespace platform
