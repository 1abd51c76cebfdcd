#include "server/server_thread.h"

#include "app/texts/texts.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/threads.h"
#include "protocol/network.h"
#include "protocol/process_state.h"
#include "server/client_table.h"
#include "server/request_handler.h"
#include "server/server_view.h"
#include "settings/settings.h"

namespace korvo {

std::atomic<bool> serverThreadActive{false};
std::atomic<int> listeningServer{0};

namespace {

void releaseServer() {
    int server = listeningServer.exchange(0);
    if (server != 0)
        platform::closeServer(server);
    serverOpen.store(0);
}

int endRun(int result) {
    serverThreadActive.store(false);
    return result;
}

void serverThreadEntry() {
    runServer();
}

}  // namespace

platform::ThreadHandle startServerThread() {
    return platform::startThread(serverThreadEntry);
}

void closeServer() {
    if (serverOpen.load() != 1 && listeningServer.load() == 0)
        return;
    if (serverThreadActive.load()) {
        int server = listeningServer.load();
        if (server != 0)
            platform::shutdownServer(server);
        serverOpen.store(0);
        return;
    }
    releaseServer();
}

int runServer() {
    serverThreadActive.store(true);
    if (!initNetwork()) {
        showServerError(texts.cannotInitializeNetwork);
        return endRun(1);
    }
    int server = platform::openServer(settings.serverPort);
    if (server == 0) {
        showServerError(texts.cannotCreateServer);
        return endRun(1);
    }
    listeningServer.store(server);
    serverOpen.store(1);
    showServerStatus(true);

    // Each poll starts after the connection served last, so that a busy client does
    // not keep the others waiting.
    int servedLast = 0;
    for (;;) {
        if (platform::stopRaised()) {
            // Terminated from outside: leave at once and touch nothing shared but our
            // own sockets.
            releaseServer();
            return endRun(0);
        }
        if (stopServerRequested.load() == 1) {
            releaseServer();
            removeAllClientSlots();
            stopServerRequested.store(0);
            return endRun(0);
        }
        platform::NetEvent event = platform::pollServer(server, servedLast);
        switch (event.kind) {
            case platform::NetEventKind::Data:
                handleClientEvent(event.connection, ClientEventKind::Data);
                servedLast = event.connection;
                break;
            case platform::NetEventKind::Lost:
                handleClientEvent(event.connection, ClientEventKind::Lost);
                break;
            case platform::NetEventKind::File:
                // A whole-file transfer is nothing a client may send, and left unread
                // it would be reported again and again: the connection is dropped and
                // handled as lost.
                closeConnection(event.connection);
                handleClientEvent(event.connection, ClientEventKind::Lost);
                break;
            case platform::NetEventKind::Connect:
            case platform::NetEventKind::None:
                break;
        }
        platform::sleepMs(shortTickMs);
    }
}

}  // namespace korvo
