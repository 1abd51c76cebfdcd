#include "viewer/receive_loop.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/clock.h"
#include "platform/net.h"
#include "platform/sync.h"
#include "protocol/server_replies.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/client_work_area.h"
#include "viewer/file_receiver.h"
#include "viewer/receive_limits.h"
#include "viewer/viewer_state.h"

namespace korvo {

namespace {

std::atomic<int> loopsActive{0};
// The connection a receive thread about to start is to read.
std::atomic<int> connectionToReceive{0};

// A terminated receive thread leaves without a word: the next run may already wait.
void signalClient() {
    if (!platform::stopRaised())
        platform::postSemaphore(clientSemaphore);
}

// A silent poll: after more than kIdlePollLimit of them in a row while the client thread
// waits, it is released once. The release is not taken back: it must reach the waiter.
void countIdlePoll(ReceiveState& state) {
    if (clientWaiting.load() != 1) {
        state.idlePolls = 0;
        return;
    }
    if (++state.idlePolls > kIdlePollLimit) {
        signalClient();
        state.idlePolls = 0;
    }
}

PendingReply lookAtConnection(int connection) {
    const size_t pending = platform::pendingBytes(connection);
    if (pending == 0)
        return PendingReply::None;
    uint8_t head[kFileMagic.size()] = {};
    const size_t peeked = platform::peekBytes(connection, head, sizeof head);
    return classifyPending(pending, head, peeked);
}

// A fixed-length body: waits a bounded time for it to begin and to complete. The count
// that came.
size_t receiveBody(int connection, uint8_t* buffer, size_t count) {
    if (!platform::waitReadable(connection, kReplyStallLimitMs))
        return 0;
    return platform::receiveBytes(connection, buffer, count, kReplyStallLimitMs);
}

// The payload of one frame chunk: one read of what has come, after a bounded wait for
// its first byte. A short chunk may end a frame, so this read is not held open for more.
size_t receiveChunkPayload(int connection, uint8_t* buffer) {
    if (!platform::waitReadable(connection, kReplyStallLimitMs))
        return 0;
    return platform::receiveBytes(connection, buffer, kChunkPayload, 0);
}

// A frame is a JPEG stream, which ends with its end-of-image marker (the server may add one
// zero byte after it); inside the stream the marker cannot occur. So a chunk shorter than
// 1023 bytes whose frame does not end so is one that TCP delivered in parts, not the last.
bool endsFrame(const uint8_t* frameEnd, size_t frameLength) {
    if (frameLength >= 2 && frameEnd[-2] == 0xFF && frameEnd[-1] == 0xD9)
        return true;
    return frameLength >= 3 && frameEnd[-3] == 0xFF && frameEnd[-2] == 0xD9 && frameEnd[-1] == 0;
}

// Completes a chunk that came in parts, each part within the stall limit.
size_t completeChunk(int connection, uint8_t* chunk, size_t count, size_t frameTotal) {
    while (count > 0 && count < kChunkPayload && !endsFrame(chunk + count, frameTotal + count) &&
           platform::waitReadable(connection, kReplyStallLimitMs) && !platform::stopRaised()) {
        const size_t more =
            platform::receiveBytes(connection, chunk + count, kChunkPayload - count, 0);
        if (more == 0)
            break;
        count += more;
    }
    return count;
}

void storeFrameLength(size_t length) {
    storeLittleEndian32(static_cast<uint32_t>(length), frameBuffer);
}

// Appends one chunk to the frame in frameBuffer; true when the frame is complete. A
// frame that would pass the end of frameBuffer is dropped whole (its length reads 0):
// what follows of it starts a new frame, which fails its checksum.
bool takeFrameChunk(int connection, ReceiveState& state) {
    uint8_t* const next = frameBuffer + kFrameLengthBytes + state.frameTotal;
    const size_t room = kFrameDataCapacity - state.frameTotal;
    uint8_t spare[kChunkPayload];
    uint8_t* const into = room >= kChunkPayload ? next : spare;
    size_t count = receiveChunkPayload(connection, into);
    if (into == next)
        count = completeChunk(connection, next, count, state.frameTotal);
    if (platform::stopRaised())
        return false;
    if (into == spare) {
        if (count == kChunkPayload || count > room) {
            storeFrameLength(0);
            state.frameTotal = 0;
            return true;
        }
        std::memcpy(next, spare, count);
    }
    state.frameTotal += count;
    if (count == kChunkPayload)
        return false;
    storeFrameLength(state.frameTotal);
    state.frameTotal = 0;
    return true;
}

void takeLoginResult(int connection) {
    uint8_t result = 0;
    if (receiveBody(connection, &result, 1) == 1 && !platform::stopRaised())
        storeClientByte(kLoginResultOffset, result);
}

void takeChecksum(int connection) {
    uint8_t crc[kChecksumReplyLength - 1] = {};
    if (receiveBody(connection, crc, sizeof crc) != sizeof crc || platform::stopRaised())
        return;
    storeClientBytes(kCrcReplyOffset, crc, sizeof crc);
    reportedFrameCrc.store(loadLittleEndian32(crc));
    checksumReplies.fetch_add(1);
}

void takeAliveEcho(int connection) {
    uint8_t rest[kAliveEchoRest.size()] = {};
    const size_t count = receiveBody(connection, rest, sizeof rest);
    if (!platform::stopRaised())
        storeClientBytes(kKeepAliveReplyOffset, rest, count);
}

ReceiveStep takeTaggedReply(int connection, ReceiveState& state) {
    uint8_t tag = 0;
    if (platform::receiveBytes(connection, &tag, 1, 0) != 1)
        return ReceiveStep::Idle;
    storeClientByte(kReplyTagOffset, tag);
    const ServerReply reply = decodeReplyTag(tag);
    if (reply == ServerReply::Unknown) {
        // A stray byte is no reply: a stream of them must not hold the waiter for ever.
        countIdlePoll(state);
        return ReceiveStep::Handled;
    }
    state.idlePolls = 0;
    switch (reply) {
        case ServerReply::FrameChunk:
            if (takeFrameChunk(connection, state))
                signalClient();
            break;
        case ServerReply::LoginResult:
            takeLoginResult(connection);
            signalClient();
            break;
        case ServerReply::Ready:
            signalClient();
            break;
        case ServerReply::Checksum:
            takeChecksum(connection);
            signalClient();
            break;
        case ServerReply::AliveEcho:
            takeAliveEcho(connection);
            signalClient();
            platform::sleepUnlessStopped(tinyTickMs);
            break;
        case ServerReply::Unknown:
            break;
    }
    return ReceiveStep::Handled;
}

void receiveThreadEntry() {
    receiveLoop(connectionToReceive.load());
    loopsActive.fetch_sub(1);
}

}  // namespace

ReceiveStep receiveOnce(int connection, ReceiveState& state) {
    switch (lookAtConnection(connection)) {
        case PendingReply::None:
        case PendingReply::Incomplete:
            countIdlePoll(state);
            return ReceiveStep::Idle;
        case PendingReply::File:
            state.idlePolls = 0;
            receiveFile(connection, tempFramePath);
            signalClient();
            return ReceiveStep::Handled;
        case PendingReply::Tagged:
            return takeTaggedReply(connection, state);
    }
    return ReceiveStep::Idle;
}

int receiveLoop(int connection) {
    if (connection <= 0)
        return 0;
    ReceiveState state;
    for (;;) {
        if (platform::stopRaised())
            break;
        if (receiveOnce(connection, state) == ReceiveStep::Idle &&
            !platform::sleepUnlessStopped(baseTickMs))
            break;
    }
    return 0;
}

platform::ThreadHandle startReceiveThread(int connection) {
    connectionToReceive.store(connection);
    loopsActive.fetch_add(1);
    platform::ThreadHandle thread = platform::startThread(receiveThreadEntry);
    if (thread == nullptr)
        loopsActive.fetch_sub(1);
    return thread;
}

int receiveLoopsActive() {
    return loopsActive.load();
}

}  // namespace korvo
