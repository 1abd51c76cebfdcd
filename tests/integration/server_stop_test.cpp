// A server run that ignores its stop, stuck in a capture, and the run after it.
#include "platform/clock.h"
#include "platform/threads.h"
#include "server_fixture.h"

namespace testing_support {
namespace {

class ForcedStopTest : public ServerTest {
protected:
    // Starts a run as the Server command does and logs one client in.
    platform::ThreadHandle startRun(std::unique_ptr<RawClient>& client) {
        platform::ThreadHandle run = korvo::startServerThread();
        EXPECT_NE(run, nullptr);
        EXPECT_TRUE(eventually([] { return korvo::serverOpen == 1; }));
        port_ = platform::serverPort(korvo::listeningServer);
        client = loggedIn();
        return run;
    }

    // The Server command's stop sequence, ending with a termination of a run that is
    // stuck in a capture of stallMs.
    void terminateStuckRun(platform::ThreadHandle run, RawClient& client, int stallMs) {
        auto script = platform::fake::screenScript();
        script.captureStallMs = stallMs;
        platform::fake::scriptScreen(script);
        client.send("imag2");
        ASSERT_TRUE(eventually([] { return platform::fake::captureCount() == 1; }));
        korvo::closeServer();
        korvo::stopServerRequested = 1;
        platform::sleepMs(505);
        platform::terminateThread(run);
        korvo::stopServerRequested = 0;
        ASSERT_TRUE(korvo::serverThreadActive);  // still inside the capture
    }

    void TearDown() override {
        korvo::closeServer();
        korvo::stopServerRequested = 1;
        eventually([] { return !korvo::serverThreadActive; }, 5000);
        korvo::stopServerRequested = 0;
    }
};

TEST_F(ForcedStopTest, NextRunWaitsForTheTerminatedOneAndStartsWithAnEmptyTable) {
    std::unique_ptr<RawClient> old;
    platform::ThreadHandle first = startRun(old);
    terminateStuckRun(first, *old, 1200);

    std::unique_ptr<RawClient> client;
    platform::ThreadHandle second = startRun(client);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(old->closedByPeer());
    auto rows = korvo::clientSlotsSnapshot();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, "1");
    expectListMirrorsTable();
    // Past the end of the old run's capture: it closed nothing of this run on its way out.
    platform::sleepMs(1200);
    client->send("alive");
    EXPECT_EQ(client->receive(5), "alive");
    EXPECT_EQ(korvo::serverOpen, 1);
    EXPECT_TRUE(ui::messageBoxes().empty());
}

TEST_F(ForcedStopTest, ARunThatWillNotLeaveKeepsTheNextOneFromStarting) {
    std::unique_ptr<RawClient> old;
    platform::ThreadHandle first = startRun(old);
    terminateStuckRun(first, *old, 3500);

    EXPECT_EQ(korvo::startServerThread(), nullptr);
    EXPECT_EQ(ui::messageBoxes(),
              std::vector<std::string>{"Error|Can not create the network server."});
    EXPECT_TRUE(eventually([] { return !korvo::serverThreadActive; }, 3000));
    EXPECT_TRUE(korvo::clientSlotsSnapshot().empty());
    EXPECT_TRUE(ui::clientRows().empty());
}

}  // namespace
}  // namespace testing_support
