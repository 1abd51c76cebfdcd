// A logged-in client made of a plain socket that runs the full request cycle against the
// server, for load programs: alive, event, imag2 with the whole frame read, crc32 checked
// against the frame received, ready. 127.0.0.1 only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "protocol/crc32.h"
#include "protocol/input_event.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server_process.h"

namespace bench_support {

// Longer than any fair wait: many clients share one paced thread.
inline constexpr int kReplyWaitMs = 15000;

inline std::string loginMessage(const std::string& password) {
    auto message = korvo::encodeLogin(kUser, password);
    return std::string(reinterpret_cast<const char*>(message.data()), message.size());
}

// A frame is a JPEG stream that ends with its end-of-image marker, perhaps followed by one
// zero byte: a chunk shorter than 1023 bytes that does not end so came in parts.
inline bool endsFrame(const std::string& frame) {
    const size_t n = frame.size();
    return (n >= 2 && frame.compare(n - 2, 2, "\xFF\xD9") == 0) ||
           (n >= 3 && frame.compare(n - 3, 3, std::string("\xFF\xD9\0", 3)) == 0);
}

// Reads one frame's chunk stream; false when it did not come.
inline bool receiveFrame(testing_support::RawClient& client, std::string& frame) {
    frame.clear();
    for (;;) {
        if (client.receive(1, frame.empty() ? kReplyWaitMs : 3000).size() != 1)
            return false;
        std::string payload = client.receive(korvo::kChunkPayload, 50);
        frame += payload;
        while (payload.size() < korvo::kChunkPayload && !endsFrame(frame)) {
            std::string rest = client.receive(korvo::kChunkPayload - payload.size(), 3000);
            if (rest.empty())
                return false;
            payload += rest;
            frame += rest;
        }
        if (payload.size() != korvo::kChunkPayload)
            return true;
    }
}

// The cycle's "event": the pointer far off the view, nothing pressed.
inline void sendIdleEvent(testing_support::RawClient& client) {
    korvo::InputEvent event;
    event.pointerX = 5000;
    event.pointerY = 5000;
    uint8_t body[korvo::kInputEventSize];
    korvo::encodeInputEvent(event, body);
    auto message = korvo::encodeEventMessage(body);
    client.send(message.data(), message.size());
}

// One cycle; false (with the reason) when the server did not answer in time.
// `checksumMatches` tells whether the frame's CRC-32 was the one the server reported.
inline bool requestCycle(testing_support::RawClient& client, bool& checksumMatches,
                         std::string& reason) {
    client.send("alive");
    if (client.receive(5, kReplyWaitMs) != "alive")
        return reason = "no echo", false;
    sendIdleEvent(client);
    client.send("imag2");
    std::string frame;
    if (!receiveFrame(client, frame))
        return reason = "no frame", false;
    client.send("crc32");
    std::string reply = client.receive(5, kReplyWaitMs);
    if (reply.size() != 5)
        return reason = "no checksum", false;
    uint32_t crc = korvo::crc32(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    checksumMatches =
        korvo::loadLittleEndian32(reinterpret_cast<const uint8_t*>(reply.data() + 1)) == crc;
    client.send("ready");
    if (client.receive(1, kReplyWaitMs).size() != 1)
        return reason = "no ready", false;
    return true;
}

// A client that logged in, or the end of the program.
inline std::unique_ptr<testing_support::RawClient> loggedInClient(int port, int receiveBuffer = 0) {
    auto client = std::make_unique<testing_support::RawClient>(port, receiveBuffer);
    client->send(loginMessage(kPassword));
    if (client->receive(2, kReplyWaitMs) != testing_support::bytes({0x02, 0x09})) {
        std::fprintf(stderr, "a client could not log in\n");
        std::exit(1);
    }
    return client;
}

}  // namespace bench_support
