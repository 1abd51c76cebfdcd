#include "server/frame_checksums.h"

#include <unordered_map>

#include "server/frame_delivery.h"

namespace korvo {
namespace {

// Logged-in connections only (only they are sent frames), and each leaves when its
// connection does.
std::unordered_map<int, uint32_t> checksums;

}  // namespace

void noteFrameChecksum(int connection, uint32_t crc) {
    checksums[connection] = crc;
}

uint32_t checksumFor(int connection) {
    auto found = checksums.find(connection);
    return found != checksums.end() ? found->second : lastFrameCrc.load();
}

void forgetFrameChecksum(int connection) {
    checksums.erase(connection);
}

void forgetAllFrameChecksums() {
    checksums.clear();
}

}  // namespace korvo
