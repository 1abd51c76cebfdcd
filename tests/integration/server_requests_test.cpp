// Keep-alive, checksum, ready, input events and frames through the real server thread.
#include <cstring>

#include "protocol/crc32.h"
#include "protocol/input_event.h"
#include "server_fixture.h"

namespace testing_support {
namespace {

// Reads one chunked frame: tags and payloads until a chunk shorter than 1023 bytes
// (or, after a full chunk, until no further chunk comes).
std::string receiveChunkedFrame(RawClient& client) {
    std::string frame;
    for (;;) {
        std::string tag = client.receive(1, frame.empty() ? 3000 : 300);
        if (tag.empty())
            return frame;
        EXPECT_EQ(tag[0], 0x01);
        std::string payload = client.receive(1023, 300);
        frame += payload;
        if (payload.size() != 1023)
            return frame;
    }
}

bool looksLikeJpeg(const std::string& data) {
    return data.size() > 4 && static_cast<uint8_t>(data[0]) == 0xFF &&
           static_cast<uint8_t>(data[1]) == 0xD8 &&
           static_cast<uint8_t>(data[data.size() - 2]) == 0xFF &&
           static_cast<uint8_t>(data[data.size() - 1]) == 0xD9;
}

uint32_t crcOf(const std::string& data) {
    return korvo::crc32(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

std::string checksumReply(uint32_t crc) {
    auto reply = korvo::encodeChecksumReply(crc);
    return std::string(reinterpret_cast<const char*>(reply.data()), reply.size());
}

std::string eventMessage(const korvo::InputEvent& event) {
    uint8_t body[korvo::kInputEventSize];
    korvo::encodeInputEvent(event, body);
    auto message = korvo::encodeEventMessage(body);
    return std::string(reinterpret_cast<const char*>(message.data()), message.size());
}

TEST_F(ServerTest, KeepAliveAndChecksumAreAnsweredWithoutLogin) {
    startServer();
    auto client = connect();
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
    client->send("crc32");
    EXPECT_EQ(client->receive(5), bytes({0x04, 0, 0, 0, 0}));
}

TEST_F(ServerTest, RequestsThatNeedALoginGetNoAnswerBeforeIt) {
    startServer();
    auto client = connect();
    korvo::framesViaPipe = 0;
    for (const char* request : {"image", "imag2", "ready", "Alive", "xyzzy"}) {
        client->send(request);
        EXPECT_TRUE(client->silentFor(150)) << request;
    }
    EXPECT_EQ(korvo::framesViaPipe, 0);
    EXPECT_EQ(platform::fake::captureCount(), 0);
    // The stream is still in step.
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
}

TEST_F(ServerTest, EventBeforeLoginIsConsumedAndDropped) {
    startServer();
    auto client = connect();
    korvo::InputEvent event;
    event.pointerX = 5000;
    event.pointerY = 5000;
    event.keyKind = korvo::kKeyKindVirtualKey;
    event.keyValue[0] = 0x41;
    client->send(eventMessage(event) + "alive");
    EXPECT_EQ(client->receive(5), "alive");
    EXPECT_TRUE(platform::fake::injectedCalls().empty());
}

TEST_F(ServerTest, EventAfterLoginReachesTheInjectorInOrder) {
    startServer();
    platform::fake::moveFakeCursor(10, 20);
    auto client = loggedIn();
    korvo::InputEvent event;
    event.pointerX = 5000;  // the middle of the 64 x 48 display
    event.pointerY = 5000;
    event.leftClick = 1;
    event.mouseChanged = 1;
    event.keyKind = korvo::kKeyKindCharacter;
    event.keyValue[0] = 'A';
    client->send(eventMessage(event) + "ready");
    EXPECT_EQ(client->receive(1), bytes({0x03}));
    EXPECT_EQ(platform::fake::injectedCalls(),
              (std::vector<std::string>{"keyboardEvent 0xA0 1 0", "keyboardEvent 0x41 1 0",
                                        "keyboardEvent 0x41 1 2", "keyboardEvent 0xA0 1 2",
                                        "setCursorPosition 32 24", "mouseButton 2 10 20",
                                        "mouseButton 4 10 20"}));
}

TEST_F(ServerTest, MemoryRouteFrameMatchesTheChecksumReply) {
    startServer();
    auto client = loggedIn();
    client->send("imag2");
    std::string frame = receiveChunkedFrame(*client);
    EXPECT_TRUE(looksLikeJpeg(frame)) << frame.size();
    EXPECT_EQ(korvo::framesViaPipe, 0);  // restored after the request
    client->send("crc32");
    EXPECT_EQ(client->receive(5), checksumReply(crcOf(frame)));

    // Another client asks for the checksum of the frame the first one got.
    auto other = connect();
    other->send("crc32");
    EXPECT_EQ(other->receive(5), checksumReply(crcOf(frame)));
}

// Another client's frame in between does not change what a client is told about its own.
TEST_F(ServerTest, ChecksumReplyIsThatOfTheFrameTheClientWasSent) {
    startServer();
    auto first = loggedIn();
    auto second = loggedIn();
    first->send("imag2");
    std::string firstFrame = receiveChunkedFrame(*first);
    platform::fake::scriptScreen(platform::fake::desktopScript(32, 24, picture(32, 24)));
    second->send("imag2");
    std::string secondFrame = receiveChunkedFrame(*second);
    ASSERT_NE(crcOf(firstFrame), crcOf(secondFrame));
    first->send("crc32");
    EXPECT_EQ(first->receive(5), checksumReply(crcOf(firstFrame)));
    second->send("crc32");
    EXPECT_EQ(second->receive(5), checksumReply(crcOf(secondFrame)));
}

TEST_F(ServerTest, FileRouteSendsTheWholeFileOnceAndRemovesIt) {
    startServer();
    auto client = loggedIn();
    client->send("image");
    std::string header = client->receive(12);
    ASSERT_EQ(header.size(), 12u);
    EXPECT_EQ(header.substr(0, 8), "QZMGSFLE");
    uint32_t size = korvo::loadLittleEndian32(reinterpret_cast<const uint8_t*>(header.data() + 8));
    std::string file = client->receive(size);
    EXPECT_EQ(file.size(), size);
    EXPECT_TRUE(looksLikeJpeg(file));
    EXPECT_TRUE(client->silentFor(100));
    EXPECT_TRUE(eventually([] { return !std::filesystem::exists(korvo::tempFramePath); }));
}

TEST_F(ServerTest, ImageWhileFramesViaPipeIsSetGoesByTheMemoryRoute) {
    korvo::framesViaPipe = 1;
    startServer();
    auto client = loggedIn();
    client->send("image");
    std::string frame = receiveChunkedFrame(*client);
    EXPECT_TRUE(looksLikeJpeg(frame));
    EXPECT_EQ(korvo::framesViaPipe, 1);
}

TEST_F(ServerTest, FailedCaptureSendsNothingByEitherRoute) {
    startServer();
    auto client = loggedIn();
    auto script = platform::fake::desktopScript(64, 48);
    script.displayPresent = false;
    platform::fake::scriptScreen(script);
    for (const char* request : {"image", "imag2"}) {
        client->send(request);
        EXPECT_TRUE(client->silentFor(200)) << request;
    }
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
}

TEST_F(ServerTest, DataStartingWithTheFileMagicClosesThatConnectionOnly) {
    startServer();
    auto keeper = loggedIn();
    auto odd = loggedIn();
    ASSERT_EQ(korvo::clientSlotCount(), 2u);
    odd->send("QZMGSFLE" + std::string(5000, 'x'));
    EXPECT_TRUE(odd->closedByPeer());
    // Treated as lost: its row goes at once, the others are served as before.
    EXPECT_TRUE(eventually([] { return korvo::clientSlotCount() == 1; }));
    keeper->send("alive");
    EXPECT_EQ(keeper->receive(5), "alive");
}

TEST_F(ServerTest, ConnectionsAreServedInTurn) {
    startServer();
    auto busy = loggedIn();
    auto quiet = loggedIn();
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "alive";
    busy->send(many);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    quiet->send("alive");
    EXPECT_EQ(quiet->receive(5), "alive");
    // By then the busy client has had only a few of its 40 answers.
    std::string busyAnswers = busy->receive(200, 0);
    EXPECT_LT(busyAnswers.size(), 5u * 10u);
    EXPECT_EQ(busy->receive(200 - busyAnswers.size()).size(), 200 - busyAnswers.size());
}

}  // namespace
}  // namespace testing_support
