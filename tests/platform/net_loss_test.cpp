// A connection whose peer stopped answering, as the system ends it: the next look at the
// server reports it lost.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/net.h"

namespace {

// The descriptor of the connection the server accepted: bound to the server's port,
// not listening.
int acceptedDescriptor(int port) {
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        int listening = 0;
        socklen_t flagLength = sizeof listening;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            address.sin_family == AF_INET && ntohs(address.sin_port) == port &&
            ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &flagLength) == 0 &&
            listening == 0)
            return fd;
    }
    return -1;
}

TEST(NetLossTest, AConnectionThatTimedOutIsReportedLostAtTheFirstLook) {
    const int server = platform::openServer(0);
    ASSERT_NE(server, 0);
    const int port = platform::serverPort(server);
    // A client that never reads, with a small window that fills at once.
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(client, 0);
    const int small = 4096;
    ::setsockopt(client, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int connection = 0;
    for (int i = 0; i < 200 && connection == 0; ++i) {
        platform::waitForActivity(server, 10);
        connection = platform::acceptConnection(server);
    }
    ASSERT_NE(connection, 0);
    const int fd = acceptedDescriptor(port);
    ASSERT_GE(fd, 0);
    // Unacknowledged data older than this makes the system give the connection up.
    const unsigned userTimeoutMs = 300;
    ASSERT_EQ(::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs),
              0);
    // Handed to the socket until it takes no more: the client reads none of it.
    std::vector<uint8_t> frame(4 << 20);
    int64_t taken = 0;
    for (int i = 0; i < 1000; ++i) {
        taken = platform::sendSome(connection, frame.data(), frame.size());
        if (taken <= 0)
            break;
    }
    ASSERT_EQ(taken, 0);

    // Until the system has ended the connection; its reason stays pending on the socket.
    tcp_info info{};
    for (int i = 0; i < 1000; ++i) {
        socklen_t length = sizeof info;
        ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length), 0);
        if (info.tcpi_state == TCP_CLOSE)
            break;
        platform::sleepMs(10);
    }
    ASSERT_EQ(info.tcpi_state, TCP_CLOSE);
    const platform::NetEvent event = platform::pollConnections(server, 0);
    EXPECT_EQ(event.kind, platform::NetEventKind::Lost);
    EXPECT_EQ(event.connection, connection);
    EXPECT_FALSE(platform::isConnectionOpen(connection));
    ::close(client);
    platform::releaseServer(server);
}

}  // namespace
