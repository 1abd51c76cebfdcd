// Clean-up that every way out of the process shares; safe while other threads are stuck.
#pragma once

namespace platform {

void removeTempFrameFile();

}  // namespace platform
