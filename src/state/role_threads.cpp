#include "state/role_threads.h"

namespace korvo {

std::atomic<platform::ThreadHandle> guiThread{nullptr};
std::atomic<platform::ThreadHandle> serverThread{nullptr};
std::atomic<platform::ThreadHandle> clientThread{nullptr};
std::atomic<platform::ThreadHandle> receiveThread{nullptr};
platform::Semaphore clientSemaphore = nullptr;

}  // namespace korvo
