#include "viewer/request_cycle.h"

#include "platform/files.h"
#include "platform/sync.h"
#include "platform/threads.h"
#include "platform/ui.h"
#include "protocol/input_event.h"
#include "protocol/server_replies.h"
#include "protocol/wire.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/client_counters.h"
#include "viewer/client_link.h"
#include "viewer/client_work_area.h"
#include "viewer/frame_intake.h"
#include "viewer/frame_view.h"
#include "viewer/input_capture.h"

namespace korvo {

namespace {

// Surplus units the drain before "ready" takes, such as a reply that came after its
// wait had been released.
constexpr int kDrainTries = 2;

void ageHeldCopyAndShowIt(ClientRun& run) {
    if (!heldCopyLive())
        return;
    const bool expired = ageHeldCopy(run);
    showHeldCopy();
    if (expired) {
        freeHeldCopy();
        platform::removeFile(tempFramePath);
    }
}

// Clicks and keys go out once; the pointer goes out again with every event. Taking the
// pending input clears the one-shot fields in the same step, so nothing captured between
// the copy and the clearing is lost.
void sendInputEvent(int connection) {
    uint8_t body[kInputEventSize] = {};
    encodeInputEvent(takePendingInput(), body);
    const auto message = encodeEventMessage(body);
    sendBytes(connection, message.data(), message.size());
}

bool clientTabShown() {
    return !platform::windowMinimised(kMainWindowId) &&
           platform::controlState(mainControl::kTabPanel) == kClientTabIndex;
}

}  // namespace

CycleEnd runCycle(ClientRun& run) {
    // A thread terminated while a message box held it leaves here.
    if (platform::stopRaised())
        return CycleEnd::Terminated;
    ageHeldCopyAndShowIt(run);
    if (stopClientRequested.load() == 1 || run.giveUp)
        return CycleEnd::RunOver;

    sendText(run.connection, kKeywordAlive);
    if (!waitForReply())
        return CycleEnd::Terminated;
    // Only an echo that arrives from here on counts in the frame step's check.
    zeroClientBytes(kKeepAliveReplyOffset, kAliveEchoRest.size());

    sendInputEvent(run.connection);

    if (clientTabShown() && !runFrameStep(run))
        return CycleEnd::Terminated;

    for (int i = 0; i < kDrainTries; ++i)
        platform::tryWaitSemaphore(clientSemaphore);

    sendText(run.connection, kKeywordReady);
    if (!waitForReply() || !pause(shortTickMs))
        return CycleEnd::Terminated;
    return CycleEnd::Next;
}

}  // namespace korvo
