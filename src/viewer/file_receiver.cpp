#include "viewer/file_receiver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/net.h"
#include "platform/threads.h"
#include "protocol/wire.h"
#include "viewer/receive_limits.h"

namespace korvo {

namespace {

constexpr size_t kPieceSize = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The announced bytes, read as they arrive; each piece goes to the file when there is
// one. Stops early as receiveFile describes.
void receiveBody(int connection, uint64_t size, std::FILE* file) {
    std::vector<uint8_t> piece(kPieceSize);
    const uint64_t deadline = frameDeadlineMs(platform::monotonicMs(), size);
    uint64_t received = 0;
    while (received < size) {
        const int wait = frameWaitMs(deadline, platform::monotonicMs());
        if (wait == 0 || !platform::waitReadable(connection, wait) || platform::stopRaised())
            return;
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(size - received, kPieceSize));
        const size_t count = platform::receiveBytes(connection, piece.data(), wanted, 0);
        if (count == 0)
            return;
        if (file != nullptr && std::fwrite(piece.data(), 1, count, file) != count)
            file = nullptr;  // the disk refuses; the rest is still taken off the stream
        received += count;
    }
}

}  // namespace

void receiveFile(int connection, const std::string& path) {
    FileHandle file(platform::openFileStream(path, "wb"));
    uint8_t header[kFileHeaderLength] = {};
    if (!platform::waitReadable(connection, kReplyStallLimitMs))
        return;
    if (platform::receiveBytes(connection, header, sizeof header, kReplyStallLimitMs) !=
        sizeof header)
        return;
    const uint32_t size = decodeFileSize(header);
    receiveBody(connection, size, size <= kLargestFileFrame ? file.get() : nullptr);
}

}  // namespace korvo
