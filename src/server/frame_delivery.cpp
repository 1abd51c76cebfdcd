#include "server/frame_delivery.h"

#include <cstring>
#include <limits>

#include "platform/files.h"
#include "protocol/crc32.h"
#include "protocol/wire.h"
#include "server/connection_record.h"
#include "server/outgoing.h"

namespace korvo {

std::atomic<uint32_t> lastFrameCrc{0};

namespace {

// The chunk stream of the longest frame: its bytes, and a tag before every 1023 of them.
constexpr size_t kLargestChunkStream =
    kLargestChunkedFrame + 1 + kLargestChunkedFrame / kChunkPayload;
uint8_t chunkStream[kLargestChunkStream];

// Lays the frame out as its chunks, tag and payload each; the stream's length.
size_t layOutChunks(size_t frameLength) {
    size_t length = 0;
    for (size_t index = 0; index < chunkCount(frameLength); ++index) {
        ChunkSpan span = chunkSpan(frameLength, index);
        chunkStream[length] = kTagFrameChunk;
        std::memcpy(chunkStream + length + 1, frameBuffer + span.offset, span.length);
        length += span.length + 1;
    }
    return length;
}

}  // namespace

Delivery sendMemoryFrame(int connection, size_t frameLength) {
    // An empty frame has no sound chunk sequence; the client's wait ends by its time-out.
    if (frameLength == 0 || frameLength > kLargestChunkedFrame)
        return Delivery::None;

    // The client knows a frame has ended only by a chunk shorter than 1023 bytes, so a
    // frame that fills its last chunk exactly would be lost and spoil the next one. One
    // zero byte after the JPEG's end marker gives it that short chunk; decoders stop at
    // the marker, and the checksum covers the byte like any other.
    static_assert(kLargestChunkedFrame % kChunkPayload != 0, "padding must stay in bounds");
    if (frameLength % kChunkPayload == 0) {
        frameBuffer[frameLength] = 0;
        ++frameLength;
    }

    const uint32_t crc = crc32(frameBuffer, frameLength);
    lastFrameCrc.store(crc);
    if (ConnectionRecord* record = findConnectionRecord(connection)) {
        record->hasFrameChecksum = true;
        record->frameChecksum = crc;
    }
    pauseWhileSending(shortTickMs);

    // One stream for every connection: what a socket does not take at once is copied into
    // that connection's record before the next frame is laid out here.
    const size_t streamLength = layOutChunks(frameLength);
    return queueOutput(connection, chunkStream, streamLength) ? Delivery::Queued : Delivery::Broken;
}

Delivery sendFileFrame(int connection, const std::string& path) {
    platform::FileImage file;
    bool readable = platform::readFileImage(path, file);
    platform::removeFile(path);
    if (!readable || file.bytes.empty() ||
        file.bytes.size() > std::numeric_limits<uint32_t>::max() - kFileHeaderLength)
        return Delivery::None;

    std::string transfer;
    transfer.reserve(kFileHeaderLength + file.bytes.size());
    auto header = encodeFileHeader(static_cast<uint32_t>(file.bytes.size()));
    transfer.append(reinterpret_cast<const char*>(header.data()), header.size());
    transfer.append(file.bytes);
    return queueOutput(connection, transfer.data(), transfer.size()) ? Delivery::Queued
                                                                     : Delivery::Broken;
}

}  // namespace korvo
