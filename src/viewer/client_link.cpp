#include "viewer/client_link.h"

#include "platform/net.h"
#include "platform/sync.h"
#include "platform/threads.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/receive_limits.h"
#include "viewer/viewer_state.h"

namespace korvo {

void sendText(int connection, std::string_view text) {
    sendBytes(connection, text.data(), text.size());
}

void sendBytes(int connection, const void* bytes, size_t count) {
    platform::sendBytes(connection, bytes, count);
}

bool waitForReply() {
    clientWaiting.store(1);
    bool taken = platform::waitSemaphore(clientSemaphore);
    // Without a semaphore (start-up could not make one) every wait ends as the idle
    // release would end it.
    if (!taken && clientSemaphore == nullptr)
        taken = pause(kIdleReleaseMs);
    clientWaiting.store(0);
    return taken;
}

bool pause(int ms) {
    return platform::sleepUnlessStopped(ms);
}

}  // namespace korvo
