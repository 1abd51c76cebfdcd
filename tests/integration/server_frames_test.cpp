// The exact bytes of both frame routes, for frames of chosen sizes.
#include <atomic>
#include <cstring>

#include "protocol/crc32.h"
#include "server/connection_record.h"
#include "server/outgoing.h"
#include "server/server_clock.h"
#include "server_fixture.h"

namespace testing_support {
namespace {

using korvo::Delivery;

// A server-side connection handle and the raw client at its other end.
class FrameRouteTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = platform::openServer(0);
        ASSERT_NE(server_, 0);
        client_ = std::make_unique<RawClient>(platform::serverPort(server_));
        ASSERT_TRUE(client_->connected());
        ASSERT_TRUE(eventually([this] {
            platform::NetEvent event = platform::pollServer(server_, 0);
            connection_ = event.kind == platform::NetEventKind::Connect ? event.connection : 0;
            return connection_ != 0;
        }));
        // A logged-in client's record, as the server thread keeps one for each connection.
        korvo::addConnectionRecord(connection_, 0, korvo::serverNowMs()).newcomer = false;
        korvo::lastFrameCrc = 0;
        korvo::tempFramePath = temp_.file("frame.tmp");
    }
    void TearDown() override {
        korvo::forgetAllConnectionRecords();
        platform::releaseServer(server_);
    }

    // Hands the socket the queued bytes as the server thread does, until all have gone or
    // the connection was dropped; true when all went.
    bool sendQueued() {
        while (korvo::hasUnsentOutput(connection_)) {
            korvo::sendPendingOutput(korvo::serverNowMs());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return korvo::findConnectionRecord(connection_) != nullptr;
    }

    // The reader takes nothing: frames, each once the last has gone, until the socket
    // buffers are full and part of one waits. True when one waits.
    bool fillTheSocketBuffers() {
        fillFrame(korvo::kLargestChunkedFrame);
        for (int frame = 0; frame < 20 && !korvo::hasUnsentOutput(connection_); ++frame)
            if (korvo::sendMemoryFrame(connection_, korvo::kLargestChunkedFrame) !=
                Delivery::Queued)
                return false;
        return korvo::hasUnsentOutput(connection_);
    }

    static void fillFrame(size_t length) {
        for (size_t i = 0; i < length; ++i)
            korvo::frameBuffer[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    }

    // A frame that would end with a full chunk goes out with one zero byte more.
    static size_t sentLength(size_t length) { return length % 1023 == 0 ? length + 1 : length; }

    // The stream the split prescribes: 0x01 and up to 1023 frame bytes per chunk, the
    // last chunk always shorter than 1023.
    static std::string expectedChunks(size_t frameLength) {
        std::string stream;
        const size_t length = sentLength(frameLength);
        if (length != frameLength)
            korvo::frameBuffer[frameLength] = 0;
        const char* frame = reinterpret_cast<const char*>(korvo::frameBuffer);
        for (size_t s = 0; s < length; s += 1023) {
            stream.push_back('\x01');
            stream.append(frame + s, std::min<size_t>(1023, length - s));
        }
        return stream;
    }

    // Sends on a thread of its own, as a large frame does not fit the socket buffers.
    bool sendFrameWhileReading(size_t length, std::string& received, size_t expectedBytes) {
        bool sent = false;
        std::thread sender([&] {
            sent = korvo::sendMemoryFrame(connection_, length) == Delivery::Queued && sendQueued();
        });
        received = client_->receive(expectedBytes, 10000);
        sender.join();
        return sent;
    }

    TempDir temp_;
    int server_ = 0;
    int connection_ = 0;
    std::unique_ptr<RawClient> client_;
};

TEST_F(FrameRouteTest, ChunkStreamIsExactForEdgeSizes) {
    for (size_t length : {1u, 1022u, 1023u, 1024u, 2046u, 3000u}) {
        fillFrame(length);
        std::string expected = expectedChunks(length);
        std::string received;
        ASSERT_TRUE(sendFrameWhileReading(length, received, expected.size())) << length;
        EXPECT_EQ(received, expected) << length;
        EXPECT_EQ(korvo::lastFrameCrc, korvo::crc32(korvo::frameBuffer, sentLength(length)));
        EXPECT_TRUE(client_->silentFor(20)) << length;
    }
    // 3000 bytes: chunks of 1023, 1023 and 954 payload bytes; 2046 bytes: 1023, 1023, 1.
    EXPECT_EQ(expectedChunks(3000).size(), 1024u + 1024u + 955u);
    EXPECT_EQ(expectedChunks(2046).size(), 1024u + 1024u + 2u);
    EXPECT_EQ(expectedChunks(2046).back(), '\0');
}

TEST_F(FrameRouteTest, FramesUpToTheLargestGoOutExactly) {
    for (size_t length : {size_t{1000000}, size_t{1000001}, size_t{1500000}, size_t{1023 * 1954},
                          korvo::kLargestChunkedFrame}) {
        fillFrame(length);
        std::string expected = expectedChunks(length);
        std::string received;
        ASSERT_TRUE(sendFrameWhileReading(length, received, expected.size())) << length;
        ASSERT_EQ(received.size(), expected.size()) << length;
        EXPECT_TRUE(received == expected) << length;
        EXPECT_EQ(korvo::lastFrameCrc, korvo::crc32(korvo::frameBuffer, sentLength(length)));
    }
}

TEST_F(FrameRouteTest, EmptyOrOversizedFrameSendsNothing) {
    korvo::lastFrameCrc = 0x12345678u;
    EXPECT_EQ(korvo::sendMemoryFrame(connection_, 0), Delivery::None);
    EXPECT_EQ(korvo::sendMemoryFrame(connection_, korvo::kLargestChunkedFrame + 1), Delivery::None);
    EXPECT_EQ(korvo::sendMemoryFrame(connection_, SIZE_MAX), Delivery::None);
    EXPECT_TRUE(client_->silentFor(50));
    EXPECT_EQ(korvo::lastFrameCrc, 0x12345678u);
}

TEST_F(FrameRouteTest, ShutdownEndsTheDeliveryToAClientThatStopsReading) {
    ASSERT_TRUE(fillTheSocketBuffers());
    platform::shutdownServer(server_);
    korvo::sendPendingOutput(korvo::serverNowMs());
    EXPECT_EQ(korvo::findConnectionRecord(connection_), nullptr);
    EXPECT_FALSE(platform::isConnectionOpen(connection_));
}

TEST_F(FrameRouteTest, FrameNotTakenForTheStallLimitIsBrokenOffAndItsBytesReleased) {
    ASSERT_TRUE(fillTheSocketBuffers());
    // At most the frame's chunk stream is held, whatever the socket took of it.
    EXPECT_LE(korvo::heldOutputBytes(connection_),
              korvo::kLargestChunkedFrame + korvo::kLargestChunkedFrame / 1023 + 1);

    korvo::shiftServerClock(korvo::kClientStallLimitMs - 1000);
    korvo::sendPendingOutput(korvo::serverNowMs());
    ASSERT_TRUE(korvo::hasUnsentOutput(connection_));
    korvo::shiftServerClock(korvo::kClientStallLimitMs);
    korvo::sendPendingOutput(korvo::serverNowMs());
    EXPECT_EQ(korvo::findConnectionRecord(connection_), nullptr);
    EXPECT_FALSE(platform::isConnectionOpen(connection_));
}

TEST_F(FrameRouteTest, FileRouteIsHeaderAndBytesAndDeletesTheFile) {
    std::string content(1500000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i % 253);
    writeBytes(korvo::tempFramePath, content);
    bool sent = false;
    std::thread sender([&] {
        sent = korvo::sendFileFrame(connection_, korvo::tempFramePath) == Delivery::Queued &&
               sendQueued();
    });
    std::string received = client_->receive(12 + content.size(), 10000);
    sender.join();
    EXPECT_TRUE(sent);
    ASSERT_EQ(received.size(), 12 + content.size());
    EXPECT_EQ(received.substr(0, 8), "QZMGSFLE");
    EXPECT_EQ(received.substr(8, 4), bytes({0x60, 0xE3, 0x16, 0x00}));  // 1,500,000
    EXPECT_TRUE(received.substr(12) == content);
    EXPECT_FALSE(std::filesystem::exists(korvo::tempFramePath));
}

TEST_F(FrameRouteTest, MissingOrEmptyFileSendsNothing) {
    EXPECT_EQ(korvo::sendFileFrame(connection_, korvo::tempFramePath), Delivery::None);
    writeBytes(korvo::tempFramePath, "");
    EXPECT_EQ(korvo::sendFileFrame(connection_, korvo::tempFramePath), Delivery::None);
    EXPECT_FALSE(std::filesystem::exists(korvo::tempFramePath));
    EXPECT_TRUE(client_->silentFor(50));
}

}  // namespace
}  // namespace testing_support
