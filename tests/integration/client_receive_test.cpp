// The receive thread's turns against bytes a test sends: frame chunks, whole files,
// replies, silence and garbage, and the bounds that keep each of them in frameBuffer and
// in step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "platform/net.h"
#include "platform/sync.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "support/temp_dir.h"
#include "viewer/client_work_area.h"
#include "viewer/frame_buffer_owner.h"
#include "viewer/receive_limits.h"
#include "viewer/receive_loop.h"
#include "viewer/viewer_state.h"

namespace testing_support {
namespace {

using korvo::ReceiveStep;

class ReceivePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (korvo::clientSemaphore == nullptr)
            korvo::clientSemaphore = platform::createSemaphore(0);
        drainUnits();
        korvo::clientWaiting = 0;
        korvo::tempFramePath = temp_.file("frame.tmp");
        std::memset(korvo::frameBuffer, 0, 64);
        korvo::lendFrameBuffer();  // as while the client thread awaits a frame
        listener_ = platform::openServer(0);
        ASSERT_NE(listener_, 0);
        client_ = platform::openConnection("127.0.0.1", platform::serverPort(listener_));
        ASSERT_NE(client_, 0);
        for (int i = 0; i < 200 && server_ == 0; ++i) {
            platform::NetEvent event = platform::pollServer(listener_, 0);
            if (event.kind == platform::NetEventKind::Connect)
                server_ = event.connection;
        }
        ASSERT_NE(server_, 0);
    }
    void TearDown() override {
        korvo::clientWaiting = 0;
        korvo::takeFrameBufferBack();
        platform::releaseConnection(client_);
        platform::releaseServer(listener_);
    }

    static int drainUnits() {
        int units = 0;
        while (platform::tryWaitSemaphore(korvo::clientSemaphore))
            ++units;
        return units;
    }

    // Sends the bytes from the server's end and waits until all of them can be read.
    void serverSends(const std::string& bytes) {
        const size_t before = platform::pendingBytes(client_);
        ASSERT_TRUE(platform::sendBytes(server_, bytes.data(), bytes.size()));
        for (int i = 0; i < 400 && platform::pendingBytes(client_) < before + bytes.size(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    ReceiveStep step() { return korvo::receiveOnce(client_, state_); }

    static uint32_t storedFrameLength() { return korvo::loadLittleEndian32(korvo::frameBuffer); }

    static std::string chunk(size_t length, char fill) {
        return "\x01" + std::string(length, fill);
    }

    static std::string fileHeader(uint32_t size) {
        auto header = korvo::encodeFileHeader(size);
        return std::string(reinterpret_cast<const char*>(header.data()), header.size());
    }

    TempDir temp_;
    int listener_ = 0;
    int client_ = 0;
    int server_ = 0;
    korvo::ReceiveState state_;
};

TEST_F(ReceivePathTest, FullChunksKeepTheFrameOpenUntilAShortOneEndsIt) {
    serverSends(chunk(1023, 'a') + chunk(1023, 'b'));
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(drainUnits(), 0) << "a frame of exactly 2 x 1023 bytes has not ended";
    EXPECT_EQ(storedFrameLength(), 0u);

    // A frame ends with the JPEG end-of-image marker.
    serverSends("\x01" + std::string(8, 'c') + "\xFF\xD9");
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(drainUnits(), 1);
    EXPECT_EQ(storedFrameLength(), 2056u);
    const auto* data = reinterpret_cast<const char*>(korvo::frameBuffer) + 4;
    EXPECT_EQ(std::string(data, 2056),
              std::string(1023, 'a') + std::string(1023, 'b') + std::string(8, 'c') + "\xFF\xD9");
}

// TCP may deliver a chunk in parts: a short read whose frame has not reached its
// end-of-image marker is completed, not taken for the frame's last chunk.
TEST_F(ReceivePathTest, AChunkThatComesInPartsStaysOneChunk) {
    serverSends(chunk(400, 'a'));
    std::thread rest([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        serverSends(std::string(623, 'b') + "\x01\xFF\xD9");
    });
    EXPECT_EQ(step(), ReceiveStep::Handled);
    rest.join();
    EXPECT_EQ(drainUnits(), 0) << "the first part ended the frame";
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(drainUnits(), 1);
    EXPECT_EQ(storedFrameLength(), 1025u);
}

TEST_F(ReceivePathTest, AnEndlessChunkStreamIsDroppedAtTheEndOfFrameBuffer) {
    constexpr size_t kFullChunksThatFit = korvo::kFrameDataCapacity / 1023;  // 1955
    std::thread sender([this] {
        const std::string full = chunk(1023, 'x');
        for (size_t i = 0; i < kFullChunksThatFit + 2; ++i)
            platform::sendBytes(server_, full.data(), full.size());
    });
    size_t taken = 0;
    while (drainUnits() == 0 && taken < kFullChunksThatFit + 2) {
        if (step() == ReceiveStep::Handled)
            ++taken;
    }
    EXPECT_EQ(taken, kFullChunksThatFit + 1) << "the chunk that does not fit drops the frame";
    EXPECT_EQ(storedFrameLength(), 0u);
    EXPECT_EQ(state_.frameTotal, 0u);
    while (step() != ReceiveStep::Handled) {
    }
    EXPECT_EQ(state_.frameTotal, 1023u) << "what follows starts a new frame";
    sender.join();
}

TEST_F(ReceivePathTest, AWholeFileTakesNoMoreThanItsAnnouncedSize) {
    serverSends(fileHeader(100) + std::string(100, 'f') + "\x03");
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(readBytes(korvo::tempFramePath), std::string(100, 'f'));
    EXPECT_EQ(drainUnits(), 1);
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(korvo::loadClientByte(korvo::kReplyTagOffset), 0x03);
    EXPECT_EQ(drainUnits(), 1);
}

TEST_F(ReceivePathTest, AFileLargerThanTheClientHoldsIsRefusedAndSkipped) {
    const uint32_t size = korvo::kLargestFileFrame + 1;
    std::thread sender([&] {
        std::string transfer = fileHeader(size) + std::string(size, 'f') + "alive";
        platform::sendBytes(server_, transfer.data(), transfer.size());
    });
    while (step() != ReceiveStep::Handled) {
    }
    sender.join();
    EXPECT_EQ(readBytes(korvo::tempFramePath), "");
    EXPECT_EQ(drainUnits(), 1);
    while (step() != ReceiveStep::Handled) {
    }
    uint8_t echo[4];
    korvo::loadClientBytes(korvo::kKeepAliveReplyOffset, echo, 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(echo), 4), "live") << "the stream is in step";
}

TEST_F(ReceivePathTest, AStalledFileKeepsWhatCameOnceThreeSecondsPassWithoutAByte) {
    serverSends(fileHeader(1000) + std::string(10, 'f'));
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(step(), ReceiveStep::Handled);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(took, std::chrono::milliseconds(korvo::kReplyStallLimitMs - 50));
    EXPECT_LT(took, std::chrono::milliseconds(korvo::kReplyStallLimitMs + 2000));
    EXPECT_EQ(readBytes(korvo::tempFramePath), std::string(10, 'f'));
    EXPECT_EQ(drainUnits(), 1);
}

// Each byte comes well within the stall limit, but the whole file far slower than a slow
// link would bring it: the transfer is given up at its deadline, keeping what came.
TEST_F(ReceivePathTest, AFileTrickledByteByByteIsGivenUpAtItsDeadline) {
    serverSends(fileHeader(1000));
    std::atomic<bool> trickling{true};
    std::thread trickle([&] {
        for (int i = 0; i < 100 && trickling; ++i) {
            platform::sendBytes(server_, "t", 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(step(), ReceiveStep::Handled);
    const auto took = std::chrono::steady_clock::now() - begin;
    trickling = false;
    trickle.join();
    EXPECT_LT(took, std::chrono::milliseconds(korvo::kFrameTimeFloorMs + 500));
    const std::string kept = readBytes(korvo::tempFramePath);
    EXPECT_GT(kept.size(), 30u);
    EXPECT_LT(kept.size(), 60u);
    EXPECT_EQ(drainUnits(), 1);
}

TEST_F(ReceivePathTest, AFileMagicArrivingInPiecesIsWaitedFor) {
    serverSends("QZMG");
    EXPECT_EQ(step(), ReceiveStep::Idle);
    EXPECT_EQ(platform::pendingBytes(client_), 4u);
    serverSends(fileHeader(3).substr(4) + "jpg");
    EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(readBytes(korvo::tempFramePath), "jpg");
}

TEST_F(ReceivePathTest, TheIdleReleaseReachesTheWaiterAtTheHundredAndFirstSilentPoll) {
    korvo::clientWaiting = 1;
    for (int poll = 0; poll < korvo::kIdlePollLimit; ++poll)
        EXPECT_EQ(step(), ReceiveStep::Idle);
    EXPECT_EQ(drainUnits(), 0);
    step();
    EXPECT_EQ(drainUnits(), 1) << "the release is not taken back";

    // Silence while nobody waits arms nothing.
    korvo::clientWaiting = 0;
    for (int poll = 0; poll < 3 * korvo::kIdlePollLimit; ++poll)
        step();
    EXPECT_EQ(drainUnits(), 0);
}

TEST_F(ReceivePathTest, AStreamOfStrayBytesReleasesTheWaiterLikeSilence) {
    korvo::clientWaiting = 1;
    serverSends(std::string(korvo::kIdlePollLimit + 1, '\xEE'));
    for (int byte = 0; byte <= korvo::kIdlePollLimit; ++byte)
        EXPECT_EQ(step(), ReceiveStep::Handled);
    EXPECT_EQ(drainUnits(), 1);
}

}  // namespace
}  // namespace testing_support
