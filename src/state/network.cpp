#include "state/network.h"

#include <atomic>

#include "platform/net.h"
#include "state/process_state.h"

namespace korvo {
namespace {
std::atomic<bool> networkStarted{false};
}

bool initNetwork() {
    if (networkStarted.load())
        return true;
    if (!platform::startNetwork())
        return false;
    networkStarted.store(true);
    return true;
}

int closeConnection(int connection) {
    if (connection <= 0)
        return 0;
    platform::releaseConnection(connection);
    int expected = connection;
    clientConnection.compare_exchange_strong(expected, 0);
    return 0;
}

}  // namespace korvo
