#include "viewer/frame_intake.h"

#include <cstring>

#include "codec/jpeg_decode.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/sync.h"
#include "platform/threads.h"
#include "protocol/crc32.h"
#include "protocol/server_replies.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/client_counters.h"
#include "viewer/client_link.h"
#include "viewer/client_work_area.h"
#include "viewer/frame_buffer_owner.h"
#include "viewer/frame_view.h"
#include "viewer/input_capture.h"
#include "viewer/viewer_state.h"

namespace korvo {

namespace {

struct Intake {
    ReceivedFrame frame;
    bool usable = false;  // run.candidate holds the decoded picture, or the frame is unchanged
};

bool keepAliveEchoArrived() {
    uint8_t reply[kAliveEchoRest.size()];
    loadClientBytes(kKeepAliveReplyOffset, reply, sizeof reply);
    return std::memcmp(reply, kAliveEchoRest.data(), sizeof reply) == 0;
}

void checkKeepAliveEcho(ClientRun& run) {
    const bool seen = keepAliveEchoArrived();
    if (seen)
        zeroClientBytes(kKeepAliveReplyOffset, kAliveEchoRest.size());
    checkKeepAlive(run, seen);
}

// The pointer is sampled once the frame is in; keys wait until then.
bool samplePointer() {
    if (!pause(baseTickMs))
        return false;
    capturePointer();
    if (!pause(shortTickMs))
        return false;
    showingFrame.store(0);
    return true;
}

// Decodes the frame's bytes into run.candidate, no larger than the view can use, unless
// they are the bytes of the picture this run has on show. False when they do not decode.
bool takeFrameBytes(ClientRun& run, const uint8_t* bytes, size_t length, Intake& intake) {
    intake.frame.crc = crc32(bytes, length);
    intake.frame.length = length;
    // The run's first frame sizes the window by its header, so it is always decoded.
    if (run.windowFitted && frameOnShow(intake.frame.crc, length)) {
        intake.frame.unchanged = true;
        return true;
    }
    DecodeRequest request{frameCover(run), {}};
    const bool decoded = decodeJpeg(bytes, length, run.candidate, &request);
    intake.frame.announced = request.announced;
    return decoded;
}

bool takeFileFrame(ClientRun& run, Intake& intake) {
    platform::FileImage file;
    if (platform::readFileImage(tempFramePath, file) && !file.bytes.empty())
        intake.usable = takeFrameBytes(run, reinterpret_cast<const uint8_t*>(file.bytes.data()),
                                       file.bytes.size(), intake);
    intake.frame.fromFile = true;
    platform::removeFile(tempFramePath);
    return samplePointer();
}

// Waits for the answer to the "crc32" sent when `before` answers had come. Every unit
// taken meanwhile belongs to a reply, so the count stays right for the waits that follow;
// false when the thread was terminated. `answered` tells whether the answer came in time.
bool awaitChecksum(uint32_t before, bool& answered) {
    answered = false;
    const uint64_t deadline = platform::monotonicMs() + kChecksumWaitMs;
    clientWaiting.store(1);
    for (;;) {
        const uint64_t now = platform::monotonicMs();
        if (now >= deadline || platform::stopRaised())
            break;
        if (!platform::timedWaitSemaphore(clientSemaphore, static_cast<int>(deadline - now))) {
            if (clientSemaphore == nullptr && !pause(shortTickMs))
                break;
            continue;
        }
        if (checksumReplies.load() != before) {
            answered = true;
            break;
        }
    }
    clientWaiting.store(0);
    return !platform::stopRaised();
}

// "crc32" goes out whether or not a frame came, and its answer is waited for alike, so
// that the server sees the same sequence in every cycle.
bool takeMemoryFrame(ClientRun& run, Intake& intake) {
    const auto length = static_cast<int32_t>(loadLittleEndian32(frameBuffer));
    if (!samplePointer())
        return false;
    const uint32_t before = checksumReplies.load();
    sendText(run.connection, kKeywordCrc32);
    if (!pause(shortTickMs))
        return false;
    if (length > 0 && static_cast<size_t>(length) <= kFrameDataCapacity)
        intake.usable = takeFrameBytes(run, frameBuffer + kFrameLengthBytes,
                                       static_cast<size_t>(length), intake);
    bool answered = false;
    if (!awaitChecksum(before, answered))
        return false;
    if (intake.usable && (!answered || reportedFrameCrc.load() != intake.frame.crc))
        intake.usable = false;
    return true;
}

}  // namespace

bool runFrameStep(ClientRun& run) {
    lendFrameBuffer();
    sendText(run.connection, run.requestKeyword);
    if (!pause(baseTickMs))
        return false;
    const bool waited = waitForReply();
    takeFrameBufferBack();
    if (!waited || !pause(baseTickMs))
        return false;
    checkKeepAliveEcho(run);

    showingFrame.store(1);
    Intake intake;
    const bool going = platform::fileExists(tempFramePath) ? takeFileFrame(run, intake)
                                                           : takeMemoryFrame(run, intake);
    if (!going)
        return false;
    std::memset(frameBuffer, 0, kFrameBufferClearedBytes);

    if (intake.usable) {
        countUsableFrame(run);
        if (!presentFrame(run, intake.frame))
            return false;
        run.failedFrames = 0;
        return true;
    }
    countFailedFrame(run);
    return pause(shortTickMs);
}

}  // namespace korvo
