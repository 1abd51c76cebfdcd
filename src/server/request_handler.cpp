#include "server/request_handler.h"

#include <cstring>

#include "host/frame_capture.h"
#include "host/frame_encoding.h"
#include "host/input_injection.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "protocol/wire.h"
#include "server/client_table.h"
#include "server/connection_record.h"
#include "server/frame_delivery.h"
#include "server/login.h"
#include "server/newcomers.h"
#include "server/replies.h"
#include "state/process_state.h"

namespace korvo {

// Every stream the encoder can leave in frameBuffer goes out whole: it keeps the last
// block free for the byte that gives a frame its short last chunk.
static_assert(kEncodedFrameCapacity <= kLargestChunkedFrame);

namespace {

// Places inside serverWorkArea.
constexpr size_t kChecksumReplyOffset = 1600;

// The pause owed: shortTickMs after an applied event.
int handleEvent(int connection, bool loggedIn) {
    // Zeroed first, so that nothing of an earlier body can complete a short one.
    std::memset(serverWorkArea, 0, kEventBodyLength);
    const size_t got = platform::receiveBytes(connection, serverWorkArea, kEventBodyLength,
                                              loggedIn ? kMessageCompletionMs : 0);
    if (loggedIn && got == kEventBodyLength) {
        applyInputEvent();
        return shortTickMs;
    }
    // A stranger's body, or a short one: read so that the stream stays in step, and gone.
    std::memset(serverWorkArea, 0, kEventBodyLength);
    if (!loggedIn && got < kEventBodyLength)
        dropConnection(connection);
    return 0;
}

// The pauses owed after the answer.
int handleData(int connection) {
    const bool loggedIn = isLoggedIn(connection);
    if (!loggedIn && !countNewcomerMessage(connection)) {
        dropConnection(connection);
        return 0;
    }
    std::memset(serverWorkArea, 0, kKeywordLength);
    const size_t got = platform::receiveBytes(connection, serverWorkArea, kKeywordLength,
                                              loggedIn ? kMessageCompletionMs : 0);
    if (!loggedIn && got < kKeywordLength) {
        dropConnection(connection);
        return 0;
    }

    switch (decodeKeyword(serverWorkArea, got)) {
        case ClientKeyword::Alive:
            if (sendReply(connection, kKeywordAlive.data(), kKeywordAlive.size()))
                return shortTickMs;
            break;
        case ClientKeyword::Crc32: {
            auto reply = encodeChecksumReply(checksumFor(connection));
            std::memcpy(serverWorkArea + kChecksumReplyOffset, reply.data(), reply.size());
            if (sendReply(connection, serverWorkArea + kChecksumReplyOffset, reply.size()))
                return tinyTickMs;
            break;
        }
        case ClientKeyword::Image:
            if (loggedIn)
                return serveFrame(connection);
            break;
        case ClientKeyword::Imag2: {
            int kept = framesViaPipe.exchange(1);
            int pause = loggedIn ? serveFrame(connection) : 0;
            framesViaPipe.store(kept);
            return pause;
        }
        case ClientKeyword::Ready:
            if (loggedIn)
                sendReplyByte(connection, kTagReady);
            break;
        case ClientKeyword::Event:
            return handleEvent(connection, loggedIn);
        case ClientKeyword::Login:
            handleLogin(connection, loggedIn);
            break;
        case ClientKeyword::Unknown:
            break;
    }
    return 0;
}

}  // namespace

int serveFrame(int connection) {
    bool viaMemory = framesViaPipe.load() == 1;
    size_t result = captureFrame();
    Delivery delivery =
        viaMemory ? sendMemoryFrame(connection, result) : sendFileFrame(connection, tempFramePath);
    if (delivery == Delivery::Broken)
        dropConnection(connection);
    return shortTickMs;
}

int handleClientEvent(int connection, ClientEventKind kind) {
    int pauseMs = 0;
    if (kind == ClientEventKind::Data) {
        pauseMs = handleData(connection);
    } else {
        forgetConnectionRecord(connection);
        purgeDeadSlots();
    }
    return pauseMs + baseTickMs;
}

}  // namespace korvo
