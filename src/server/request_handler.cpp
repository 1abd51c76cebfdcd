#include "server/request_handler.h"

#include <cstring>

#include "host/frame_capture.h"
#include "host/frame_encoding.h"
#include "host/input_injection.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "protocol/wire.h"
#include "server/client_table.h"
#include "server/frame_delivery.h"
#include "server/login.h"
#include "server/newcomers.h"
#include "server/replies.h"
#include "state/process_state.h"

namespace korvo {

// Every stream the encoder can leave in frameBuffer goes out whole: it keeps clear of
// the tail block where the chunks of a frame that reaches the midpoint are staged.
static_assert(kEncodedFrameCapacity <= kLargestChunkedFrame);

namespace {

// Places inside serverWorkArea.
constexpr size_t kChecksumReplyOffset = 1600;

void handleEvent(int connection, bool loggedIn) {
    // Zeroed first, so that nothing of an earlier body can complete a short one.
    std::memset(serverWorkArea, 0, kEventBodyLength);
    const size_t got = platform::receiveBytes(connection, serverWorkArea, kEventBodyLength,
                                              loggedIn ? kMessageCompletionMs : 0);
    if (loggedIn && got == kEventBodyLength) {
        applyInputEvent();
        platform::sleepMs(shortTickMs);
        return;
    }
    // A stranger's body, or a short one: read so that the stream stays in step, and gone.
    std::memset(serverWorkArea, 0, kEventBodyLength);
    if (!loggedIn && got < kEventBodyLength)
        dropConnection(connection);
}

void handleData(int connection) {
    const bool loggedIn = isLoggedIn(connection);
    if (!loggedIn && !countNewcomerMessage(connection)) {
        dropConnection(connection);
        return;
    }
    std::memset(serverWorkArea, 0, kKeywordLength);
    const size_t got = platform::receiveBytes(connection, serverWorkArea, kKeywordLength,
                                              loggedIn ? kMessageCompletionMs : 0);
    if (!loggedIn && got < kKeywordLength) {
        dropConnection(connection);
        return;
    }

    switch (decodeKeyword(serverWorkArea, got)) {
        case ClientKeyword::Alive:
            if (sendReply(connection, kKeywordAlive.data(), kKeywordAlive.size()))
                platform::sleepMs(shortTickMs);
            break;
        case ClientKeyword::Crc32: {
            auto reply = encodeChecksumReply(lastFrameCrc.load());
            std::memcpy(serverWorkArea + kChecksumReplyOffset, reply.data(), reply.size());
            if (sendReply(connection, serverWorkArea + kChecksumReplyOffset, reply.size()))
                platform::sleepMs(tinyTickMs);
            break;
        }
        case ClientKeyword::Image:
            if (loggedIn)
                serveFrame(connection);
            break;
        case ClientKeyword::Imag2: {
            int kept = framesViaPipe.exchange(1);
            if (loggedIn)
                serveFrame(connection);
            framesViaPipe.store(kept);
            break;
        }
        case ClientKeyword::Ready:
            if (loggedIn)
                sendReplyByte(connection, kTagReady);
            break;
        case ClientKeyword::Event:
            handleEvent(connection, loggedIn);
            break;
        case ClientKeyword::Login:
            handleLogin(connection, loggedIn);
            break;
        case ClientKeyword::Unknown:
            break;
    }
}

}  // namespace

void serveFrame(int connection) {
    bool viaMemory = framesViaPipe.load() == 1;
    size_t result = captureFrame();
    Delivery delivery = viaMemory ? sendMemoryFrame(connection, result, kClientSendLimitMs)
                                  : sendFileFrame(connection, tempFramePath, kClientSendLimitMs);
    if (delivery == Delivery::Broken)
        dropConnection(connection);
    platform::sleepMs(shortTickMs);
}

void handleClientEvent(int connection, ClientEventKind kind) {
    if (kind == ClientEventKind::Data) {
        handleData(connection);
    } else {
        forgetNewcomer(connection);
        purgeDeadSlots();
    }
    platform::sleepMs(baseTickMs);
}

}  // namespace korvo
