// The listener's hold on its port, on the system's own sockets over 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/net.h"

namespace {

TEST(NetTest, APortThatIsListenedOnIsRefusedToASecondServer) {
    ASSERT_TRUE(platform::startNetwork());
    const int first = platform::openServer(0);
    ASSERT_NE(first, 0);
    EXPECT_EQ(platform::openServer(platform::serverPort(first)), 0);
    platform::releaseServer(first);
}

TEST(NetTest, AServerThatServedAConnectionBindsItsPortAgainAtOnceAfterItsRelease) {
    ASSERT_TRUE(platform::startNetwork());
    const int server = platform::openServer(0);
    ASSERT_NE(server, 0);
    const int port = platform::serverPort(server);
    const int client = platform::openConnection("127.0.0.1", port);
    ASSERT_NE(client, 0);
    int accepted = 0;
    for (int i = 0; i < 200 && accepted == 0; ++i) {
        platform::waitForActivity(server, 10);
        accepted = platform::acceptConnection(server);
    }
    ASSERT_NE(accepted, 0);
    const uint8_t byte = 7;
    ASSERT_TRUE(platform::sendBytes(accepted, &byte, 1));
    uint8_t got = 0;
    ASSERT_EQ(platform::receiveBytes(client, &got, 1, 1000), 1u);
    // The server closes first, as it does when it stops while a client is connected.
    platform::releaseServer(server);
    const int again = platform::openServer(port);
    EXPECT_NE(again, 0);
    platform::releaseConnection(client);
    platform::releaseServer(again);
}

}  // namespace
