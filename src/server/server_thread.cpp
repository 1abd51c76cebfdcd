#include "server/server_thread.h"

#include "host/frame_capture.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/screen.h"
#include "platform/threads.h"
#include "protocol/wire.h"
#include "server/client_table.h"
#include "server/connection_record.h"
#include "server/login_throttle.h"
#include "server/newcomers.h"
#include "server/outgoing.h"
#include "server/request_handler.h"
#include "server/server_clock.h"
#include "server/server_view.h"
#include "settings/settings.h"
#include "state/network.h"
#include "state/process_state.h"
#include "state/program_files.h"
#include "texts/texts.h"

namespace korvo {

std::atomic<bool> serverThreadActive{false};
std::atomic<int> listeningServer{0};

namespace {

// How long a new run waits for a terminated one that is still on its way out.
constexpr int kPreviousRunWaitMs = 2000;

// Releases this run's listener and every connection accepted through it. The global
// handle is cleared only while it still names this run's listener.
void releaseListener(int server) {
    int expected = server;
    if (listeningServer.compare_exchange_strong(expected, 0))
        serverOpen.store(0);
    platform::releaseServer(server);
}

int endRun(int result) {
    serverThreadActive.store(false);
    return result;
}

void serverThreadEntry() {
    runServer();
}

// A client may not send a whole-file transfer: left unread it would be reported again
// and again, so the connection is dropped and handled as lost.
bool sendsAFile(int connection) {
    uint8_t head[kFileHeaderLength];
    size_t count = platform::peekBytes(connection, head, sizeof head);
    return startsWithFileMagic(head, count);
}

// Takes in what waits to be accepted, at most as many as there may be newcomers, so that
// a flood of connections drains from the backlog quickly while the oldest of them make
// room for the newest.
// True when it took any.
bool acceptWaitingConnections(int server) {
    for (size_t taken = 0; taken < kMostNewcomers; ++taken) {
        int connection = platform::acceptConnection(server);
        if (connection == 0)
            return taken > 0;
        uint32_t address = 0;
        if (!platform::peerAddress(connection, address))
            address = 0;
        admitNewcomer(connection, address, serverNowMs());
    }
    return true;
}

// The longest the thread waits without looking at the stop requests.
constexpr int kIdleWaitMs = 50;

// After a round with nothing to do the thread does not wake every 5 ms to look again: it
// waits for a connection or bytes to arrive and then sleeps on to the next 5 ms tick,
// where looking every 5 ms would have found them. What arrives is handled when it always
// was; only the empty looks are left out.
void waitForTheNextTick(int server) {
    const uint64_t idleSinceMs = platform::monotonicMs();
    platform::waitForActivity(server, kIdleWaitMs);
    const uint64_t waitedMs = platform::monotonicMs() - idleSinceMs;
    platform::sleepMs(shortTickMs - static_cast<int>(waitedMs % shortTickMs));
}

// What a run leaves behind when it ends.
void endServing(int server) {
    releaseListener(server);
    removeAllClientSlots();
    forgetAllConnectionRecords();
}

// The next connection with a request to handle, or a lost one. A connection whose answer
// to its last request has not all reached it is passed over: its next request waits for
// that, while the others go on being served.
platform::NetEvent pollForRequests(int server, int servedLast) {
    int firstPassedOver = 0;
    // Each look starts after the one passed over last, so every connection comes up once
    // before the first passed over comes up again; the bound is only a guard.
    for (size_t looks = 0; looks <= connectionRecords().size(); ++looks) {
        platform::NetEvent event = platform::pollConnections(server, servedLast);
        if (event.kind != platform::NetEventKind::Data || !awaitsDelivery(event.connection))
            return event;
        if (event.connection == firstPassedOver)
            break;
        if (firstPassedOver == 0)
            firstPassedOver = event.connection;
        servedLast = event.connection;
    }
    return {};
}

bool previousRunHasLeft() {
    for (int waited = 0; serverThreadActive.load() && waited < kPreviousRunWaitMs;
         waited += shortTickMs)
        platform::sleepMs(shortTickMs);
    return !serverThreadActive.load();
}

}  // namespace

platform::ThreadHandle startServerThread() {
    // Two runs would share the work area, frameBuffer and the table.
    if (!previousRunHasLeft()) {
        showServerError(texts.cannotCreateServer);
        return nullptr;
    }
    serverThreadActive.store(true);
    platform::ThreadHandle thread = platform::startThread(serverThreadEntry);
    if (thread == nullptr)
        serverThreadActive.store(false);
    return thread;
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
    int server = listeningServer.exchange(0);
    if (server != 0)
        platform::releaseServer(server);
    serverOpen.store(0);
}

int runServer() {
    serverThreadActive.store(true);
    // Rows of an earlier run that was terminated belong to nobody now; its newcomers and
    // failed logins neither.
    removeAllClientSlots();
    forgetAllConnectionRecords();
    forgetFailedLogins();
    // frameBuffer may have served the client role since.
    forgetLastFrame();
    platform::startSharingDisplay(programFilesFolder(settingsPath));
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
            // Terminated from outside: leave at once with what this run opened. No other
            // run starts before this one has left, so its rows go with it.
            endServing(server);
            return endRun(0);
        }
        if (stopServerRequested.load() == 1) {
            endServing(server);
            stopServerRequested.store(0);
            return endRun(0);
        }
        // New connections never cost the others their turn: the same round serves one
        // connection's data.
        const bool accepted = acceptWaitingConnections(server);
        closeLateNewcomers(serverNowMs());
        sendPendingOutput(serverNowMs());
        platform::NetEvent event = pollForRequests(server, servedLast);
        // The pauses that end a handled event and the one between looks follow each other
        // with nothing in between: one sleep of their sum.
        int pauseMs = 0;
        switch (event.kind) {
            case platform::NetEventKind::Data:
                if (sendsAFile(event.connection)) {
                    closeConnection(event.connection);
                    pauseMs = handleClientEvent(event.connection, ClientEventKind::Lost);
                    break;
                }
                pauseMs = handleClientEvent(event.connection, ClientEventKind::Data);
                servedLast = event.connection;
                break;
            case platform::NetEventKind::Lost:
                pauseMs = handleClientEvent(event.connection, ClientEventKind::Lost);
                break;
            case platform::NetEventKind::Connect:
            case platform::NetEventKind::None:
                break;
        }
        // Nothing waits for a socket to take its bytes: while some wait, the thread looks
        // again every millisecond instead of sleeping until a request comes.
        if (event.kind == platform::NetEventKind::None && !accepted && !anyUnsentOutput())
            waitForTheNextTick(server);
        else
            pauseWhileSending(pauseMs + shortTickMs);
    }
}

}  // namespace korvo
