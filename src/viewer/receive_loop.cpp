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
#include "viewer/frame_buffer_owner.h"
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

// A frame is a JPEG stream, which ends with its end-of-image marker (the server may add one
// zero byte after it); inside the stream the marker cannot occur. So a chunk shorter than
// 1023 bytes whose frame does not end so is one that TCP delivered in parts, not the last.
bool endsFrame(const uint8_t* frameEnd, size_t frameLength) {
    if (frameLength >= 2 && frameEnd[-2] == 0xFF && frameEnd[-1] == 0xD9)
        return true;
    return frameLength >= 3 && frameEnd[-3] == 0xFF && frameEnd[-2] == 0xD9 && frameEnd[-1] == 0;
}

// How long a read of the frame in hand may wait now, with `bytes` of it in.
int frameInHandWaitMs(const ReceiveState& state, size_t bytes) {
    return frameWaitMs(frameDeadlineMs(state.frameStartMs, bytes), platform::monotonicMs());
}

bool waitForFrameBytes(int connection, const ReceiveState& state, size_t bytes) {
    const int waitMs = frameInHandWaitMs(state, bytes);
    return waitMs > 0 && platform::waitReadable(connection, waitMs);
}

// The payload of one frame chunk: a first read of what has come, completed while TCP
// delivers the chunk in parts, each within the stall limit and the frame's deadline. A
// short chunk may end a frame, so a read that reached the frame's end is not held open.
size_t receiveChunkPayload(int connection, uint8_t* chunk, const ReceiveState& state) {
    if (!waitForFrameBytes(connection, state, state.frameTotal))
        return 0;
    size_t count = platform::receiveBytes(connection, chunk, kChunkPayload, 0);
    while (count > 0 && count < kChunkPayload &&
           !endsFrame(chunk + count, state.frameTotal + count) && !platform::stopRaised() &&
           waitForFrameBytes(connection, state, state.frameTotal + count)) {
        const size_t more =
            platform::receiveBytes(connection, chunk + count, kChunkPayload - count, 0);
        if (more == 0)
            break;
        count += more;
    }
    return count;
}

void beginFrame(ReceiveState& state) {
    state.frameStartMs = platform::monotonicMs();
    state.frameKept = frameBufferLent();
    std::memset(state.frameTail, 0, sizeof state.frameTail);
}

// Ends the frame in hand. A kept frame's length goes before its bytes (0 for one that was
// dropped) and true tells that the client thread is to be released; a frame nobody
// awaited ends unseen.
bool endFrame(ReceiveState& state, size_t length) {
    uint8_t stored[kFrameLengthBytes];
    storeLittleEndian32(static_cast<uint32_t>(length), stored);
    const bool kept = state.frameKept && writeFrameBuffer(0, stored, sizeof stored);
    state.frameTotal = 0;
    state.frameKept = false;
    return kept;
}

// Takes one chunk of a frame; true when the client thread is to be released. A frame
// that would pass the end of frameBuffer, or that is slower than its deadline, is dropped
// whole (its length reads 0): what follows of it is read as new messages.
bool takeFrameChunk(int connection, ReceiveState& state) {
    if (state.frameTotal == 0)
        beginFrame(state);
    // The frame's last bytes before this chunk, then the chunk: the end test may look back.
    uint8_t piece[sizeof state.frameTail + kChunkPayload];
    std::memcpy(piece, state.frameTail, sizeof state.frameTail);
    uint8_t* const chunk = piece + sizeof state.frameTail;
    const size_t count = receiveChunkPayload(connection, chunk, state);
    if (platform::stopRaised())
        return false;
    if (frameInHandWaitMs(state, state.frameTotal + count) == 0 ||
        state.frameTotal + count > kFrameDataCapacity)
        return endFrame(state, 0);
    if (state.frameKept && !writeFrameBuffer(kFrameLengthBytes + state.frameTotal, chunk, count))
        state.frameKept = false;  // its wait is over: the rest is dropped
    state.frameTotal += count;
    std::memcpy(state.frameTail, piece + count, sizeof state.frameTail);
    if (count == kChunkPayload)
        return false;
    return endFrame(state, state.frameTotal);
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
