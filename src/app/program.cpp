#include "app/program.h"

#include <atomic>
#include <string>

#include "app/gui.h"
#include "app/messages.h"
#include "app/pictures.h"
#include "app/roles/roles.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "texts/texts.h"

namespace korvo {

namespace {

constexpr int kExitGraceTicks = 100;
constexpr int kEmergencyPauseMs = 250;

std::atomic<bool> shutdownStarted{false};

// The main thread runs the GUI; a box needs it, so none can be shown when it faulted.
platform::ThreadHandle mainThread = nullptr;

[[noreturn]] void waitForever() {
    for (;;)
        platform::sleepMs(1000);
}

void runWaiter() {
    waitForExitAndShutDown();
}

}  // namespace

bool startUp() {
    mainThread = platform::currentThread();
    // A display is needed for every box, the refusal boxes included.
    platform::initUi();
    tempFramePath = platform::reserveTempFramePath();
    loadApplicationIcon();
    clientSemaphore = platform::createSemaphore(0);
    platform::installFaultHandler(emergencyExit);
    loadConfiguration();
    const platform::SystemSupport support = platform::systemSupport();
    if (support == platform::SystemSupport::Refused) {
        showMessage(0, texts.error, texts.unsupportedSystem, platform::MessageIcon::Error);
        return false;
    }
    if (support == platform::SystemSupport::FramesInMemory)
        framesViaPipe = 1;
    if (!platform::claimSingleInstance()) {
        showAlreadyRunning();
        return false;
    }
    decodePictures();
    return true;
}

void runProgram() {
    if (!startUp())
        platform::endProcess(kExitRefused);
    // The GUI must run on the main thread, so a second thread does the main thread's
    // waiting and shutdown.
    guiThread = mainThread;
    // Should the waiter not start, the GUI's exit path leads into the same wait here.
    platform::startThread(runWaiter);
    runGui();
    waitForExitAndShutDown();
}

void shutDownRoles() {
    if (platform::threadRunning(clientThread)) {
        platform::terminateThread(clientThread);
        closeClientConnection();
    }
    if (platform::threadRunning(serverThread)) {
        closeServerRole();
        platform::terminateThread(serverThread);
    }
    if (platform::threadRunning(guiThread))
        platform::terminateThread(guiThread);
    closeServerRole();
    platform::removeFile(tempFramePath);
}

void waitForExitAndShutDown() {
    while (exitRequested != 1)
        platform::sleepMs(shortTickMs);
    platform::sleepMs(kExitGraceTicks * shortTickMs);
    if (shutdownStarted.exchange(true))
        waitForever();
    shutDownRoles();
    platform::endProcess(kExitOrderly);
}

void emergencyExit() {
    // The box needs a running GUI loop: when the GUI thread itself faulted, none runs.
    if (!platform::faultHappenedOn(mainThread))
        showMessage(0, texts.error, texts.errorOccurred, platform::MessageIcon::Error);
    stopServerRequested = 1;
    stopClientRequested = 1;
    platform::sleepMs(kEmergencyPauseMs);
    closeServerRole();
    if (platform::threadRunning(clientThread))
        platform::terminateThread(clientThread);
    else if (platform::threadRunning(serverThread))
        platform::terminateThread(serverThread);
    platform::removeFile(tempFramePath);
    platform::endProcess(kExitEmergency);
}

}  // namespace korvo
