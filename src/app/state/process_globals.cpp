#include "app/state/process_globals.h"

namespace korvo {

std::atomic<platform::ThreadHandle> guiThread{nullptr};
std::atomic<platform::ThreadHandle> serverThread{nullptr};
std::atomic<platform::ThreadHandle> clientThread{nullptr};
std::atomic<platform::ThreadHandle> receiveThread{nullptr};
platform::Semaphore clientSemaphore = nullptr;

}  // namespace korvo

#include "app/state/main_window_ids.h"

namespace korvo {

std::atomic<int> mainWindow{0};

}  // namespace korvo
