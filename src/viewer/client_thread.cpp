#include "viewer/client_thread.h"

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/clock.h"
#include "platform/net.h"
#include "platform/sync.h"
#include "platform/ui.h"
#include "protocol/wire.h"
#include "settings/client_settings.h"
#include "state/main_window_ids.h"
#include "state/message_box.h"
#include "state/network.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "texts/texts.h"
#include "viewer/client_link.h"
#include "viewer/client_work_area.h"
#include "viewer/frame_buffer_owner.h"
#include "viewer/frame_view.h"
#include "viewer/input_capture.h"
#include "viewer/receive_loop.h"
#include "viewer/request_cycle.h"
#include "viewer/viewer_state.h"

namespace korvo {

namespace {

constexpr int kLeaveWaitMs = 2000;
// A terminated client thread leaves within milliseconds once its connection is shut down,
// unless it sits in a message box or a connect, where it does not touch the connection.
constexpr int kClientLeaveWaitMs = 200;

constexpr int8_t kLoginServerFullValue = static_cast<int8_t>(kLoginServerFull);
constexpr int8_t kLoginWrongCredentialsValue = static_cast<int8_t>(kLoginWrongCredentials);
constexpr int8_t kLoginAcceptedValue = static_cast<int8_t>(kLoginAccepted);

std::atomic<int> runsActive{0};

void setClientStatus(const std::string& text) {
    platform::setStatusField(kMainWindowId, statusField::kClientStatus,
                             std::string(fixedText::kClientStatusPrefix) + text, nullptr);
}

void showError(const std::string& text) {
    showMessage(mainWindow, texts.error, text, platform::MessageIcon::Error);
}

// Waits at most waitMs for the condition; its last answer.
template <typename Condition>
bool waitUntil(Condition condition, int waitMs) {
    for (int waited = 0; !condition() && waited < waitMs; waited += shortTickMs)
        platform::sleepMs(shortTickMs);
    return condition();
}

bool receiveLoopsHaveLeft() {
    return waitUntil([] { return receiveLoopsActive() == 0; }, kLeaveWaitMs);
}

// Through volatile, so that the compiler keeps the stores although nothing reads them.
template <typename Text>
void wipe(Text& text) {
    volatile char* bytes = reinterpret_cast<volatile char*>(text.data());
    for (size_t i = 0; i < text.size(); ++i)
        bytes[i] = 0;
}

void forgetLogin(ClientSettings& target) {
    wipe(target.user);
    wipe(target.password);
}

// The copies of the username and the password, and the message built from them, are
// emptied as soon as the message is out.
void sendLogin(int connection, ClientSettings& target) {
    auto login = encodeLogin(target.user, target.password);
    sendBytes(connection, login.data(), login.size());
    forgetLogin(target);
    wipe(login);
}

// Starts the receive thread and waits for the login reply. False when this thread was
// terminated meanwhile. Without a receive thread the run gives up at its first end test.
bool startReceiving(ClientRun& run) {
    run.receiver = startReceiveThread(run.connection);
    receiveThread = run.receiver;
    if (run.receiver == nullptr) {
        run.giveUp = true;
        return true;
    }
    return pause(baseTickMs) && waitForReply();
}

void applyLoginResult(ClientRun& run) {
    switch (static_cast<int8_t>(loadClientByte(kLoginResultOffset))) {
        case kLoginServerFullValue:
            showError(texts.loginFailedServerFull);
            run.giveUp = true;
            break;
        case kLoginWrongCredentialsValue:
            showError(texts.loginFailedWrongCredentials);
            run.giveUp = true;
            break;
        case kLoginAcceptedValue:
            setClientStatus(texts.connectionEstablished + run.serverIp);
            break;
        default:
            break;
    }
}

// The receive thread first, then the connection it reads: it is shut down to wake the
// thread, and released only once the thread has left.
void stopReceiving(int connection, platform::ThreadHandle receiver) {
    platform::terminateThread(receiver);
    platform::shutdownConnection(connection);
    if (receiveLoopsHaveLeft())
        closeConnection(connection);
}

int endRun(const ClientRun& run) {
    stopReceiving(run.connection, run.receiver);
    clearView();
    freeShownImage();
    setClientStatus(texts.noConnection);
    stopClientRequested.store(0);
    return 0;
}

void clientThreadEntry() {
    runClient();
    runsActive.fetch_sub(1);
}

// runClient with the settings as the run began.
int connectAndRun(ClientSettings& target) {
    ClientRun run;
    run.serverIp = target.ip;
    freeHeldCopy();
    showingFrame.store(0);
    takeFrameBufferBack();

    if (!initNetwork()) {
        showError(texts.cannotInitializeNetwork);
        return 1;
    }
    setClientStatus(texts.connecting + target.ip);
    run.connection = platform::openConnection(target.ip, target.port);
    if (platform::stopRaised()) {
        platform::releaseConnection(run.connection);
        return 1;
    }
    if (run.connection == 0) {
        clearView();
        setClientStatus(texts.noConnection);
        showError(texts.cannotConnect);
        return 1;
    }
    clientConnection.store(run.connection);

    // No result is known before the reply: a byte left from an earlier run must not read
    // as one when the server stays silent. Nor may units an earlier run left (a server
    // can send replies nobody asked for) release this run's waits before their replies;
    // no receive thread runs yet that could post one of this run's.
    storeClientByte(kLoginResultOffset, 0);
    while (platform::tryWaitSemaphore(clientSemaphore)) {
    }
    forgetPendingInput();
    sendLogin(run.connection, target);
    if (!startReceiving(run))
        return 0;
    applyLoginResult(run);

    for (;;) {
        switch (runCycle(run)) {
            case CycleEnd::Next:
                break;
            case CycleEnd::RunOver:
                return endRun(run);
            case CycleEnd::Terminated:
                return 0;
        }
    }
}

}  // namespace

int runClient() {
    // A copy: the settings window may change the settings while the run goes on. The
    // login's copies are emptied once it is out, or here when the run never got so far.
    ClientSettings target = clientSettings();
    const int result = connectAndRun(target);
    forgetLogin(target);
    return result;
}

platform::ThreadHandle startClientThread() {
    waitUntil([] { return runsActive.load() == 0 && receiveLoopsActive() == 0; }, kLeaveWaitMs);
    runsActive.fetch_add(1);
    platform::ThreadHandle thread = platform::startThread(clientThreadEntry);
    if (thread == nullptr)
        runsActive.fetch_sub(1);
    return thread;
}

void releaseClientConnection() {
    platform::terminateThread(receiveThread);
    const int connection = clientConnection.load();
    if (connection <= 0)
        return;
    platform::shutdownConnection(connection);
    if (!receiveLoopsHaveLeft())
        return;  // shut down for good, but a thread may still read it: left open
    waitUntil([] { return runsActive.load() == 0; }, kClientLeaveWaitMs);
    closeConnection(connection);
}

int clientRunsActive() {
    return runsActive.load();
}

}  // namespace korvo
