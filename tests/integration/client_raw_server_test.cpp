// The real client thread against a scripted server, for what the real server never
// does: undecodable and mismatching frames, late answers, silence, no server at all.
#include <algorithm>
#include <chrono>

#include "client_fixture.h"
#include "protocol/crc32.h"
#include "protocol/wire.h"
#include "scripted_server.h"
#include "viewer/receive_limits.h"

namespace testing_support {
namespace {

std::string checksumReply(const std::string& frame) {
    auto reply = korvo::encodeChecksumReply(
        korvo::crc32(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()));
    return std::string(reinterpret_cast<const char*>(reply.data()), reply.size());
}

std::string fileTransfer(const std::string& file) {
    auto header = korvo::encodeFileHeader(static_cast<uint32_t>(file.size()));
    return std::string(reinterpret_cast<const char*>(header.data()), header.size()) + file;
}

// Answers login, keep-alive and ready as the real server does; frames and checksums as
// the test says.
struct Answers {
    std::function<void(ScriptedServer&, const std::string& keyword)> frame;
    std::function<void(ScriptedServer&)> checksum;
};

ScriptedServer::Script answering(Answers answers) {
    return [answers](ScriptedServer& server, const std::string& keyword) {
        if (keyword == "login")
            server.send("\x02\x09");
        else if (keyword == "alive")
            server.send("alive");
        else if (keyword == "ready")
            server.send("\x03");
        else if (keyword == "crc32")
            answers.checksum(server);
        else if (keyword == "image" || keyword == "imag2")
            answers.frame(server, keyword);
    };
}

using ClientRawServerTest = ClientTest;

TEST_F(ClientRawServerTest, NoServerToConnectToTellsTheUserAndClearsTheView) {
    int port = 0;
    {
        ScriptedServer gone([](ScriptedServer&, const std::string&) {});
        port = gone.port();
    }
    startClient(port);
    ASSERT_TRUE(eventually([] { return !clientRunning(); }));
    EXPECT_EQ(messageBoxes(), std::vector<std::string>{"Error|Can not connect to the server."});
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_FALSE(view().hasImage);
}

TEST_F(ClientRawServerTest, AnUndecodableFileFrameFallsBackToTheMemoryRouteForGood) {
    const std::string frame = testJpeg();
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string& keyword) {
            if (keyword == "image")
                s.send(fileTransfer("not a picture"));
            else
                s.sendChunks(frame);
        },
        [&](ScriptedServer& s) { s.send(checksumReply(frame)); },
    }));
    startClient(server.port());
    ASSERT_TRUE(eventually([] { return view().imageShows > 0; }));
    EXPECT_TRUE(eventually([&] { return server.frameRequests().size() >= 5; }));
    const auto requests = server.frameRequests();
    EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 5),
              (std::vector<std::string>{"image", "image", "imag2", "imag2", "imag2"}));
    EXPECT_TRUE(clientRunning());
}

TEST_F(ClientRawServerTest, FramesFailingTheirChecksumAreDroppedUntilTheRunGivesUp) {
    const std::string frame = testJpeg();
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string&) { s.sendChunks(frame); },
        [&](ScriptedServer& s) { s.send(checksumReply(frame + "x")); },
    }));
    startClient(server.port());
    ASSERT_TRUE(eventually([] { return !clientRunning(); }, 15000));
    EXPECT_EQ(server.frameRequests(),
              (std::vector<std::string>{"image", "image", "imag2", "imag2", "imag2", "imag2"}));
    EXPECT_EQ(view().imageShows, 0);
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(ClientRawServerTest, AChecksumAnsweredLateStillCountsForItsFrame) {
    // Every frame differs from the one before, as on a changing screen; the checksum comes
    // later than the receive thread's idle sleep and the client's pause after "crc32".
    int seed = 0;
    std::string frame;
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string&) {
            frame = testJpeg(96, 64, ++seed);
            s.sendChunks(frame);
        },
        [&](ScriptedServer& s) {
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
            s.send(checksumReply(frame));
        },
    }));
    startClient(server.port());
    EXPECT_TRUE(eventually([] { return view().imageShows >= 3; }, 10000));
    EXPECT_EQ(server.frameRequests().back(), "image") << "no fallback: every frame was usable";
}

TEST_F(ClientRawServerTest, AClientCommandTerminatesARunStuckInAWaitAndTheNextRunWorks) {
    ScriptedServer silent([](ScriptedServer&, const std::string&) {});
    startClient(silent.port());
    ASSERT_TRUE(eventually([&] { return !silent.requests().empty(); }));

    clientCommand();  // the run waits for a login reply that never comes: it is terminated
    EXPECT_FALSE(clientRunning());
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_FALSE(view().hasImage);
    EXPECT_EQ(korvo::clientConnection, 0);
    EXPECT_TRUE(eventually(
        [] { return korvo::receiveLoopsActive() == 0 && korvo::clientRunsActive() == 0; }));

    const std::string frame = testJpeg();
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string&) { s.sendChunks(frame); },
        [&](ScriptedServer& s) { s.send(checksumReply(frame)); },
    }));
    startClient(server.port());
    EXPECT_TRUE(eventually([] { return view().imageShows >= 2; }));
    EXPECT_EQ(server.frameRequests().back(), "image");
    EXPECT_TRUE(messageBoxes().empty());
}

// A server that trickles its frame a byte at a time, fast enough for every per-read limit,
// holds the frame wait no longer than the frame's deadline: the client moves on to its
// checksum request, and the frames that come at a sound pace are shown.
TEST_F(ClientRawServerTest, AFrameTrickledByteByByteFailsByItsDeadlineAndTheRunGoesOn) {
    const std::string frame = testJpeg();
    int frameRequests = 0;
    std::chrono::steady_clock::duration heldFor{};
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string&) {
            if (++frameRequests > 1) {
                s.sendChunks(frame);
                return;
            }
            const std::string chunk = "\x01" + std::string(1023, 'z');
            const auto began = std::chrono::steady_clock::now();
            const auto giveUp = began + std::chrono::seconds(12);
            for (size_t i = 0; i < chunk.size() && s.running() && !s.requestWaiting() &&
                               std::chrono::steady_clock::now() < giveUp;
                 ++i) {
                s.send(chunk.substr(i, 1));
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            heldFor = std::chrono::steady_clock::now() - began;
        },
        [&](ScriptedServer& s) { s.send(checksumReply(frame)); },
    }));
    startClient(server.port());
    ASSERT_TRUE(eventually([] { return view().imageShows > 0; }, 20000));
    EXPECT_GT(heldFor, std::chrono::milliseconds(korvo::kFrameTimeFloorMs - 200));
    EXPECT_LT(heldFor, std::chrono::milliseconds(korvo::kFrameTimeFloorMs + 1500));
    const auto requests = server.requests();
    const auto firstFrame = std::find(requests.begin(), requests.end(), "image");
    ASSERT_LT(firstFrame + 1, requests.end());
    EXPECT_EQ(firstFrame[1], "crc32");
}

// A server that sends frames nobody asked for while the client thread checks and decodes
// the one it asked for: they are read and dropped, and every asked-for frame is shown.
// Run under ThreadSanitizer, this shows that frameBuffer has one writer at a time.
TEST_F(ClientRawServerTest, FramesNobodyAskedForAreDroppedWhileTheAskedOneIsDecoded) {
    int seed = 0;
    std::string frame;
    const std::string unasked = testJpeg(96, 64, 100);
    ScriptedServer server(answering({
        [&](ScriptedServer& s, const std::string&) {
            frame = testJpeg(96, 64, ++seed);
            s.sendChunks(frame);
        },
        [&](ScriptedServer& s) {
            s.send(checksumReply(frame));
            s.sendChunks(unasked);
        },
    }));
    startClient(server.port());
    EXPECT_TRUE(eventually([] { return view().imageShows >= 4; }, 15000));
    EXPECT_EQ(server.frameRequests().back(), "image") << "no fallback: every frame was usable";
}

// A frame request that brings nothing is followed by "crc32" all the same, and its answer
// is waited for, so that the server sees the same sequence in every cycle.
TEST_F(ClientRawServerTest, ACycleWithoutAFrameStillAsksForTheChecksum) {
    ScriptedServer server(answering({
        [](ScriptedServer&, const std::string&) {},
        [](ScriptedServer& s) { s.send(std::string("\x04\0\0\0\0", 5)); },
    }));
    startClient(server.port());
    ASSERT_TRUE(eventually([&] { return server.frameRequests().size() >= 2; }, 15000));
    const auto requests = server.requests();
    EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 8),
              (std::vector<std::string>{"login", "alive", "event", "image", "crc32", "ready",
                                        "alive", "event"}));
}

// Every wait ends by the receive thread's idle release, about two seconds each: this
// run takes some forty seconds to reach its limits.
TEST_F(ClientRawServerTest, ASilentServerEndsTheRunByItsLimitsWithoutABox) {
    ScriptedServer server([](ScriptedServer&, const std::string&) {});
    startClient(server.port());
    ASSERT_TRUE(eventually([&] { return !server.requests().empty(); }));
    EXPECT_EQ(clientStatus(), "   Client:  Connecting... 127.0.0.1");
    ASSERT_TRUE(eventually([] { return !clientRunning(); }, 90000));
    EXPECT_EQ(server.frameRequests(),
              (std::vector<std::string>{"image", "image", "imag2", "imag2", "imag2", "imag2"}));
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_TRUE(messageBoxes().empty());
}

}  // namespace
}  // namespace testing_support
