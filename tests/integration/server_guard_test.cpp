// What a stranger on the network, or a client that stops reading, can do to the server:
// none of it stalls the others or stays behind.
#include <algorithm>
#include <cstring>

#include "protocol/input_event.h"
#include "server/connection_record.h"
#include "server/newcomers.h"
#include "server/request_handler.h"
#include "server/server_clock.h"
#include "server_fixture.h"

namespace testing_support {
namespace {

using korvo::clientSlotCount;

std::string eventMessage(const korvo::InputEvent& event) {
    uint8_t body[korvo::kInputEventSize];
    korvo::encodeInputEvent(event, body);
    auto message = korvo::encodeEventMessage(body);
    return std::string(reinterpret_cast<const char*>(message.data()), message.size());
}

// An event whose every field would do something.
korvo::InputEvent busyEvent() {
    korvo::InputEvent event;
    event.pointerX = 1234;
    event.pointerY = 5678;
    event.leftClick = 1;
    event.mouseChanged = 1;
    event.keyKind = korvo::kKeyKindVirtualKey;
    event.keyValue[0] = 0x41;
    return event;
}

// Pixels that no encoder can make small: a 1080p frame of them is most of a megabyte.
std::vector<uint8_t> noise(int width, int height) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    uint32_t state = 12345;
    for (uint8_t& byte : rows) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return rows;
}

std::string repeated(const std::string& message, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += message;
    return all;
}

// One cycle's frame and checksum, asked for together: the chunk stream of `streamLength`
// bytes and the 5-byte checksum reply; true when all of it came within waitMs.
bool frameAndChecksum(RawClient& client, size_t streamLength, int waitMs) {
    client.send("imag2crc32");
    const std::string answer = client.receive(streamLength + 5, waitMs);
    return answer.size() == streamLength + 5 && answer[streamLength] == '\x04';
}

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

TEST_F(ServerTest, ClientThatStopsTakingFramesIsDroppedAndTheOthersAreServed) {
    platform::fake::scriptScreen(platform::fake::desktopScript(1920, 1080, noise(1920, 1080)));
    startServer();
    auto stuck = std::make_unique<RawClient>(port_, 4096);
    stuck->send(loginMessage("anna", "secret"));
    ASSERT_EQ(stuck->receive(2), bytes({0x02, 0x09}));
    auto other = loggedIn();
    // The picture never changes, so neither does the frame: its stream's length, once.
    other->send("imag2crc32");
    const size_t streamLength = other->receive(SIZE_MAX, 1000).size() - 5;
    ASSERT_GT(streamLength, 500000u);
    const int capturesBefore = platform::fake::captureCount();

    const auto attack = Clock::now();
    stuck->send(repeated("imag2", 20));
    double longestGapS = 0;
    int frames = 0;
    auto last = attack;
    auto dropped = attack;
    bool stuckListed = true;
    while (secondsBetween(attack, Clock::now()) < 8 && (stuckListed || frames < 5)) {
        ASSERT_TRUE(frameAndChecksum(*other, streamLength, 5000)) << frames;
        const auto now = Clock::now();
        longestGapS = std::max(longestGapS, secondsBetween(last, now));
        last = now;
        ++frames;
        if (stuckListed && clientSlotCount() == 1) {
            stuckListed = false;
            dropped = now;
        }
    }
    // Generous bounds on a shared machine: the cycle went on, the stuck reader went after
    // taking nothing for about 3 s.
    EXPECT_LT(longestGapS, 1.5);
    EXPECT_FALSE(stuckListed);
    EXPECT_GE(secondsBetween(attack, dropped), 2.9);
    EXPECT_LT(secondsBetween(attack, dropped), 6.0);
    EXPECT_TRUE(stuck->closedByPeer());
    // Its next request waited for its frame to reach it, which never happened, and the rest
    // went with the connection. (Where the system does not tell what the peer has
    // acknowledged, frames the socket buffers took whole count as reached.)
    EXPECT_LT(platform::fake::captureCount() - capturesBefore - frames, 20);
    expectListMirrorsTable();
}

TEST_F(ServerTest, ConnectionBeforeLoginGetsEightAnswersAndIsThenClosed) {
    startServer();
    auto stranger = connect();
    stranger->send(repeated("alive", 40));
    EXPECT_EQ(stranger->receive(SIZE_MAX, 1000), repeated("alive", 8));
    EXPECT_TRUE(stranger->closedByPeer(0));
}

TEST_F(ServerTest, FifthConnectionFromOneAddressBeforeLoginClosesTheOldest) {
    startServer();
    std::vector<std::unique_ptr<RawClient>> strangers;
    for (int i = 0; i < 5; ++i) {
        strangers.push_back(connect());
        // Answered: the server has taken it in.
        strangers.back()->send("alive");
        ASSERT_EQ(strangers.back()->receive(5), "alive") << i;
    }
    EXPECT_TRUE(strangers[0]->closedByPeer(1000));
    for (int i = 1; i < 5; ++i) {
        strangers[i]->send("alive");
        EXPECT_EQ(strangers[i]->receive(5), "alive") << i;
    }
}

TEST(NewcomerTable, SixteenAtMostFourPerAddressTheOldestGoFirst) {
    // Handles that name no socket: closing them is a no-op, forgetting them is what shows.
    const int base = 1 << 30;
    for (int i = 0; i < 20; ++i)
        korvo::admitNewcomer(base + i, 0x0A000000u + static_cast<uint32_t>(i / 4), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(korvo::isNewcomer(base + i)) << i;
    for (int i = 4; i < 20; ++i)
        EXPECT_TRUE(korvo::isNewcomer(base + i)) << i;

    // A fifth from one address pushes out that address's oldest, not the oldest of all.
    korvo::admitNewcomer(base + 20, 0x0A000004u, 0);
    EXPECT_FALSE(korvo::isNewcomer(base + 16));
    EXPECT_TRUE(korvo::isNewcomer(base + 4));
    korvo::forgetAllConnectionRecords();
}

TEST_F(ServerTest, ConnectionNotLoggedInWithinTenSecondsIsClosedButClientsStay) {
    startServer();
    auto client = loggedIn();
    auto stranger = connect();
    stranger->send("alive");
    ASSERT_EQ(stranger->receive(5), "alive");

    korvo::shiftServerClock(korvo::kLoginDeadlineMs);
    EXPECT_TRUE(stranger->closedByPeer(1000));
    korvo::shiftServerClock(24 * 60 * 60 * 1000);
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
    EXPECT_EQ(clientSlotCount(), 1u);
}

TEST_F(ServerTest, FloodOfConnectionsDoesNotHoldUpTheClients) {
    startServer();
    auto client = loggedIn();
    std::vector<std::unique_ptr<RawClient>> flood;
    for (int i = 0; i < 90; ++i)
        flood.push_back(connect());
    auto begin = std::chrono::steady_clock::now();
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - begin);
    // Taken one per round, ninety connections would come first: 450 ms of rounds.
    EXPECT_LT(took.count(), 250);
}

TEST_F(ServerTest, ShortEventBodyIsDroppedNotCompletedFromAnEarlierOne) {
    startServer();
    auto stranger = connect();
    stranger->send(eventMessage(busyEvent()) + "alive");
    ASSERT_EQ(stranger->receive(5), "alive");
    auto client = loggedIn();
    // Half a body: the pointer's position and two bytes more.
    client->send(eventMessage(busyEvent()).substr(0, korvo::kKeywordLength + 10));
    // Past the time the server waits for the rest of the body.
    std::this_thread::sleep_for(std::chrono::milliseconds(korvo::kMessageCompletionMs + 150));
    client->send("ready");
    EXPECT_EQ(client->receive(1), bytes({0x03}));
    EXPECT_TRUE(platform::fake::injectedCalls().empty());
}

TEST_F(ServerTest, NothingOfAStrangersEventOrOfAnyLoginStaysInTheWorkArea) {
    startServer();
    auto stranger = connect();
    stranger->send(eventMessage(busyEvent()) + "alive");
    ASSERT_EQ(stranger->receive(5), "alive");
    auto guesser = connect();
    guesser->send(loginMessage("anna", "guessed"));
    ASSERT_EQ(guesser->receive(2), bytes({0x02, 0xFF}));
    auto client = loggedIn();
    stopServer();

    const uint8_t* area = korvo::serverWorkArea;
    const uint8_t* end = area + korvo::kWorkAreaSize;
    for (std::string secret : {"secret", "guessed"})
        EXPECT_EQ(std::search(area, end, secret.begin(), secret.end()), end) << secret;
    // Past the keyword that each message leaves at the start.
    EXPECT_TRUE(std::all_of(area + korvo::kKeywordLength, area + korvo::kEventBodyLength,
                            [](uint8_t byte) { return byte == 0; }));
}

}  // namespace
}  // namespace testing_support
