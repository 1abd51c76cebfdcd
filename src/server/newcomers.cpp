#include "server/newcomers.h"

#include <algorithm>
#include <vector>

#include "platform/net.h"
#include "state/network.h"

namespace korvo {
namespace {

struct Newcomer {
    int connection = 0;
    uint32_t address = 0;
    uint64_t acceptedMs = 0;
    int messages = 0;
};

// In accept order, oldest first.
std::vector<Newcomer> newcomers;

std::vector<Newcomer>::iterator find(int connection) {
    return std::find_if(newcomers.begin(), newcomers.end(),
                        [connection](const Newcomer& n) { return n.connection == connection; });
}

void closeAt(std::vector<Newcomer>::iterator position) {
    closeConnection(position->connection);
    newcomers.erase(position);
}

}  // namespace

void admitNewcomer(int connection, uint32_t address, uint64_t nowMs) {
    newcomers.push_back({connection, address, nowMs, 0});
    auto sameAddress = [address](const Newcomer& n) { return n.address == address; };
    if (static_cast<size_t>(std::count_if(newcomers.begin(), newcomers.end(), sameAddress)) >
        kMostNewcomersPerAddress)
        closeAt(std::find_if(newcomers.begin(), newcomers.end(), sameAddress));
    if (newcomers.size() > kMostNewcomers)
        closeAt(newcomers.begin());
}

bool isNewcomer(int connection) {
    return find(connection) != newcomers.end();
}

bool countNewcomerMessage(int connection) {
    auto found = find(connection);
    if (found == newcomers.end())
        return false;
    return ++found->messages <= kMostMessagesBeforeLogin;
}

void forgetNewcomer(int connection) {
    auto found = find(connection);
    if (found != newcomers.end())
        newcomers.erase(found);
}

void closeLateNewcomers(uint64_t nowMs) {
    std::erase_if(newcomers, [nowMs](const Newcomer& n) {
        if (!platform::isConnectionOpen(n.connection))
            return true;
        if (nowMs - n.acceptedMs < kLoginDeadlineMs)
            return false;
        closeConnection(n.connection);
        return true;
    });
}

void forgetAllNewcomers() {
    newcomers.clear();
}

}  // namespace korvo
