#include "viewer/request_cycle.h"

#include <array>

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

// The pending input as it stands, taken byte by byte from where the GUI thread writes it.
void sendInputEvent(int connection) {
    std::array<uint8_t, kInputAreaSize> pending{};
    loadClientBytes(kPointerOffset, pending.data() + kPointerOffset, 8);
    loadClientBytes(kButtonsOffset, pending.data() + kButtonsOffset, 8);
    pending[kKeyKindOffset] = loadClientByte(kKeyKindOffset);
    pending[kMouseChangedOffset] = loadClientByte(kMouseChangedOffset);
    loadClientBytes(kKeyValueOffset, pending.data() + kKeyValueOffset, 2);
    uint8_t body[kInputEventSize] = {};
    encodeInputEvent(placedInputEvent(pending.data()), body);
    const auto message = encodeEventMessage(body);
    sendBytes(connection, message.data(), message.size());
}

// Clicks and keys go out once; the pointer goes out again with every event.
void resetOneShotInput() {
    zeroClientBytes(kButtonsOffset, 8);
    zeroClientBytes(kMouseChangedOffset, 2);
    zeroClientBytes(kKeyKindOffset, 2);
    zeroClientBytes(kKeyValueOffset, 4);
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
    resetOneShotInput();

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
