#include "server/request_handler.h"

#include <cstring>

#include "host/frame_capture.h"
#include "host/frame_encoding.h"
#include "host/input_injection.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "protocol/sha1.h"
#include "protocol/wire.h"
#include "server/client_table.h"
#include "server/frame_delivery.h"
#include "settings/latin1.h"
#include "settings/settings.h"
#include "state/network.h"
#include "state/process_state.h"

namespace korvo {

// Every stream the encoder can leave in frameBuffer goes out whole: it keeps clear of
// the tail block where the chunks of a frame that reaches the midpoint are staged.
static_assert(kEncodedFrameCapacity <= kLargestChunkedFrame);

namespace {

// Places inside serverWorkArea.
constexpr size_t kLoginAreaOffset = 1000;
constexpr size_t kLoginAreaLength = 512;
constexpr size_t kChecksumReplyOffset = 1600;

std::string upperHex(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Both digests are 40 characters; the time taken does not tell where they differ.
bool equalInConstantTime(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned difference = 0;
    for (size_t i = 0; i < a.size(); ++i)
        difference |=
            static_cast<unsigned>(static_cast<uint8_t>(a[i]) ^ static_cast<uint8_t>(b[i]));
    return difference == 0;
}

void sendByte(int connection, uint8_t byte) {
    platform::sendBytes(connection, &byte, 1);
}

void handleLogin(int connection) {
    uint8_t* area = serverWorkArea + kLoginAreaOffset;
    std::memset(area, 0, kLoginAreaLength);
    platform::receiveBytes(connection, area, kLoginBodyLength, kMessageCompletionMs);
    LoginFields login = decodeLoginBody(area);

    sendByte(connection, kTagLoginResult);
    if (!credentialsMatch(login.username, login.password)) {
        sendByte(connection, kLoginWrongCredentials);
        closeConnection(connection);
        return;
    }
    if (static_cast<int64_t>(clientSlotCount()) >= settings.serverMaxClients) {
        sendByte(connection, kLoginServerFull);
        closeConnection(connection);
        return;
    }
    addClientSlot(connection);
    sendByte(connection, kLoginAccepted);
}

void handleData(int connection) {
    std::memset(serverWorkArea, 0, kKeywordLength);
    size_t got =
        platform::receiveBytes(connection, serverWorkArea, kKeywordLength, kMessageCompletionMs);

    switch (decodeKeyword(serverWorkArea, got)) {
        case ClientKeyword::Alive:
            platform::sendBytes(connection, kKeywordAlive.data(), kKeywordAlive.size());
            platform::sleepMs(shortTickMs);
            break;
        case ClientKeyword::Crc32: {
            auto reply = encodeChecksumReply(lastFrameCrc.load());
            std::memcpy(serverWorkArea + kChecksumReplyOffset, reply.data(), reply.size());
            platform::sendBytes(connection, serverWorkArea + kChecksumReplyOffset, reply.size());
            platform::sleepMs(tinyTickMs);
            break;
        }
        case ClientKeyword::Image:
            if (isLoggedIn(connection))
                serveFrame(connection);
            break;
        case ClientKeyword::Imag2: {
            bool loggedIn = isLoggedIn(connection);
            int kept = framesViaPipe.exchange(1);
            if (loggedIn)
                serveFrame(connection);
            framesViaPipe.store(kept);
            break;
        }
        case ClientKeyword::Ready:
            if (isLoggedIn(connection))
                sendByte(connection, kTagReady);
            break;
        case ClientKeyword::Event: {
            bool loggedIn = isLoggedIn(connection);
            // Read in either case so that the stream stays in step.
            platform::receiveBytes(connection, serverWorkArea, kEventBodyLength,
                                   kMessageCompletionMs);
            if (loggedIn) {
                applyInputEvent();
                platform::sleepMs(shortTickMs);
            }
            break;
        }
        case ClientKeyword::Login:
            handleLogin(connection);
            break;
        case ClientKeyword::Unknown:
            break;
    }
}

}  // namespace

bool credentialsMatch(std::string_view username, std::string_view password) {
    std::string received = upperHex(sha1Hex(password));
    std::string expected = upperHex(sha1Hex(settings.serverPassword));
    bool passwordMatches = equalInConstantTime(received, expected);
    return equalsIgnoringAsciiCase(username, settings.serverUser) && passwordMatches;
}

void serveFrame(int connection) {
    bool viaMemory = framesViaPipe.load() == 1;
    size_t result = captureFrame();
    if (viaMemory)
        sendMemoryFrame(connection, result);
    else
        sendFileFrame(connection, tempFramePath);
    platform::sleepMs(shortTickMs);
}

void handleClientEvent(int connection, ClientEventKind kind) {
    if (kind == ClientEventKind::Data)
        handleData(connection);
    else
        purgeDeadSlots();
    platform::sleepMs(baseTickMs);
}

}  // namespace korvo
