// Arbitrary bytes from a client, handled as the server thread handles them: every data
// event goes to the request handler until nothing is left. Nothing may crash, hang or
// touch memory outside the work areas. Pauses take no time (fake clock); frames come
// from a small fake screen.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/fake/fake_host.h"
#include "platform/net.h"
#include "server/client_table.h"
#include "server/newcomers.h"
#include "server/outgoing.h"
#include "server/request_handler.h"
#include "server/server_clock.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace {

int server = 0;

// A raw client socket and the server's handle of the same connection.
bool connectPair(int& clientFd, int& connection) {
    connection = 0;
    clientFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(platform::serverPort(server)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Closing with a reset leaves no TIME_WAIT behind, so ports do not run out.
    linger noLinger{1, 0};
    ::setsockopt(clientFd, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    if (clientFd < 0 ||
        ::connect(clientFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return false;
    for (int attempt = 0; attempt < 1000 && connection == 0; ++attempt) {
        platform::NetEvent event = platform::pollServer(server, 0);
        if (event.kind == platform::NetEventKind::Connect)
            connection = event.connection;
    }
    return connection != 0;
}

void drain(int clientFd) {
    static uint8_t scratch[65536];
    while (::recv(clientFd, scratch, sizeof scratch, MSG_DONTWAIT) > 0) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    if (server == 0) {
        korvo::settings.serverUser = "anna";
        korvo::settings.serverPassword = "secret";
        korvo::settings.serverMaxClients = 2;
        korvo::settings.allowMouse = 1;
        korvo::settings.allowKeyboard = 1;
        korvo::tempFramePath = "/tmp/korvo-fuzz-frame";
        platform::fake::scriptScreen(platform::fake::desktopScript(16, 16));
        server = platform::openServer(0);
        if (server == 0)
            std::abort();
    }
    korvo::framesViaPipe = static_cast<int>(size & 1);

    int client = -1;
    int connection = 0;
    // The loopback can run short of ports or descriptors over a long run; that is the
    // harness's limit, not a finding.
    if (!connectPair(client, connection)) {
        if (client >= 0)
            ::close(client);
        platform::releaseConnection(connection);
        return 0;
    }
    // As the server thread takes in every connection it accepts.
    korvo::admitNewcomer(connection, INADDR_LOOPBACK, 0);
    if (size > 0 && ::send(client, data, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size))
        std::abort();
    // The end of the input is the end of the stream: short messages do not wait.
    ::shutdown(client, SHUT_WR);

    // Every message is at least one byte, so this many events cover the whole input.
    for (size_t event = 0; event <= size && platform::pendingBytes(connection) > 0; ++event) {
        korvo::handleClientEvent(connection, korvo::ClientEventKind::Data);
        // As the server thread does between requests: what the socket did not take at once
        // goes out as the reader makes room.
        for (int round = 0; round < 64 && korvo::hasUnsentOutput(connection); ++round) {
            drain(client);
            korvo::sendPendingOutput(korvo::serverNowMs());
        }
        drain(client);
        platform::fake::clearInjectedCalls();
    }
    ::close(client);
    platform::releaseConnection(connection);
    korvo::handleClientEvent(connection, korvo::ClientEventKind::Lost);
    if (korvo::clientSlotCount() != 0)
        std::abort();
    return 0;
}
