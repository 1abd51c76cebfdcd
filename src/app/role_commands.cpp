#include "app/role_commands.h"

#include <string>

#include "app/messages.h"
#include "app/roles/roles.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "texts/texts.h"

namespace korvo {

namespace {

// Before a new run, the semaphore is topped up and then drained, so that the count is 0
// unless more than this many units were left from the last run.
constexpr int kSemaphoreTopUp = 6;
constexpr int kSemaphoreDrain = 11;

constexpr int kServerPage = 1;

void showInformation(const std::string& text) {
    showMessage(mainWindow, std::string(fixedText::kInformation), text,
                platform::MessageIcon::Information);
}

void waitForRoleToStop() {
    for (int i = 0; i < kStopWaitTicks; ++i)
        platform::sleepMs(shortTickMs);
}

void stopClient() {
    stopClientRequested = 1;
    waitForRoleToStop();
    if (platform::threadRunning(receiveThread))
        platform::terminateThread(receiveThread);
    if (platform::threadRunning(clientThread)) {
        platform::terminateThread(clientThread);
        platform::setStatusField(kMainWindowId, statusField::kClientStatus,
                                 std::string(fixedText::kClientStatusPrefix) + texts.noConnection,
                                 nullptr);
        platform::showImage(mainControl::kView, nullptr);
    }
    stopClientRequested = 0;
    closeClientConnection();
}

void startClient() {
    if (!runConnectDialog())
        return;
    for (int i = 0; i < kSemaphoreTopUp; ++i)
        platform::postSemaphore(clientSemaphore);
    for (int i = 0; i < kSemaphoreDrain; ++i)
        platform::tryWaitSemaphore(clientSemaphore);
    clientThread = startClientRole();
}

void stopServer() {
    closeServerRole();
    stopServerRequested = 1;
    waitForRoleToStop();
    if (platform::threadRunning(serverThread)) {
        platform::terminateThread(serverThread);
        // A terminated server thread never clears its stop request; left standing, it
        // would stop the next server at once.
        stopServerRequested = 0;
    }
    platform::setStatusField(kMainWindowId, statusField::kServerStatus,
                             std::string(fixedText::kServerOffline), nullptr);
}

}  // namespace

void clientCommand() {
    if (platform::threadRunning(serverThread)) {
        showInformation(texts.clientAndServerExclusive);
        return;
    }
    if (platform::threadRunning(clientThread))
        stopClient();
    else
        startClient();
}

void startOrStopServer() {
    if (settings.serverUser.empty() || settings.serverPassword.empty()) {
        showInformation(texts.serverNeedsLogin);
        runSettingsWindow(kServerPage);
        return;
    }
    if (platform::threadRunning(serverThread))
        stopServer();
    else
        serverThread = startServerRole();
}

void serverCommand() {
    if (platform::threadRunning(clientThread)) {
        showInformation(texts.clientAndServerExclusive);
        return;
    }
    startOrStopServer();
}

}  // namespace korvo
