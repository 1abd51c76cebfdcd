// Arbitrary bytes from a server, taken as the client's receive thread takes them: turn
// after turn until nothing is left. Nothing may crash, hang, write outside frameBuffer
// or keep more of a file than the client holds. The first byte chooses where the frame
// being assembled stands and whether the client thread waits, so that the end of
// frameBuffer and the idle release are reached with short inputs. Pauses take no time
// (fake clock).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fake/fake_host.h"
#include "platform/net.h"
#include "platform/sync.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/receive_limits.h"
#include "viewer/receive_loop.h"
#include "viewer/viewer_state.h"

namespace {

int listener = -1;
int port = 0;

bool listen() {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 4) != 0)
        return false;
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return true;
}

// The client's connection and the raw server socket at its other end.
bool connectPair(int& connection, int& serverFd) {
    connection = platform::openConnection("127.0.0.1", port);
    serverFd = connection != 0 ? ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (serverFd < 0)
        return false;
    // Closing with a reset leaves no TIME_WAIT behind, so ports do not run out.
    linger noLinger{1, 0};
    ::setsockopt(serverFd, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536)
        return 0;
    if (listener < 0) {
        korvo::tempFramePath = "/tmp/korvo-fuzz-received-frame";
        korvo::clientSemaphore = platform::createSemaphore(0);
        if (!listen())
            std::abort();
    }
    korvo::ReceiveState state;
    if (data[0] & 1)
        state.frameTotal = korvo::kFrameDataCapacity - data[0];
    korvo::clientWaiting = (data[0] & 2) ? 1 : 0;
    ++data;
    --size;

    int connection = 0;
    int server = -1;
    // The loopback can run short of ports or descriptors over a long run; that is the
    // harness's limit, not a finding.
    if (!connectPair(connection, server)) {
        if (server >= 0)
            ::close(server);
        platform::releaseConnection(connection);
        return 0;
    }
    if (size > 0 && ::send(server, data, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size))
        std::abort();
    // The end of the input is the end of the stream: replies cut short do not wait.
    ::shutdown(server, SHUT_WR);

    for (size_t turn = 0; turn <= size && platform::pendingBytes(connection) > 0; ++turn)
        korvo::receiveOnce(connection, state);

    if (korvo::loadLittleEndian32(korvo::frameBuffer) > korvo::kFrameDataCapacity ||
        state.frameTotal > korvo::kFrameDataCapacity)
        std::abort();
    std::error_code ignored;
    if (std::filesystem::exists(korvo::tempFramePath, ignored) &&
        std::filesystem::file_size(korvo::tempFramePath, ignored) > korvo::kLargestFileFrame)
        std::abort();
    std::filesystem::remove(korvo::tempFramePath, ignored);
    while (platform::tryWaitSemaphore(korvo::clientSemaphore)) {
    }
    platform::fake::clearInjectedCalls();
    ::close(server);
    platform::releaseConnection(connection);
    return 0;
}
