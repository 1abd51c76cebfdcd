#include "viewer/input_capture.h"

#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/clock.h"
#include "platform/threads.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/client_work_area.h"
#include "viewer/shortcut_table.h"
#include "viewer/viewer_area.h"
#include "viewer/viewer_state.h"

namespace korvo {

namespace {

constexpr float kPointerUnits = 10000.0f;
constexpr size_t kButtonBytes = 8;

// Guards the pending input in clientWorkArea and the waiting keys. Held only for a few
// stores, never across a wait, so a role thread that is told to stop never leaves it held.
std::mutex pendingInputLock;

// An event carries one key. Keys typed faster than the request cycle goes, or while a frame
// is taken in, wait here in order instead of being lost; each later event takes the next.
// Bounded, so that typing far ahead of a stalled connection costs keys, never memory; and
// a key older than kKeyLifeMs is dropped, not typed on the server long after the user
// gave up on it.
struct WaitingKey {
    uint8_t kind;
    uint8_t value;
    uint64_t typedMs;
};
constexpr size_t kMaxWaitingKeys = 64;
std::deque<WaitingKey> waitingKeys;
// When the key in the pending input was typed, if it came through storeKey.
bool placedKeyTimed = false;
uint64_t placedKeyTypedMs = 0;

bool stale(uint64_t typedMs, uint64_t nowMs) {
    return nowMs - typedMs > kKeyLifeMs;
}

bool clientRunning() {
    return platform::threadRunning(clientThread.load());
}

// The conditions under which a key over the view is taken.
bool keysWelcome() {
    return clientRunning() && clientViewShown() &&
           insideViewerArea(currentViewerArea(), mainWindowPointer());
}

// The single-byte code a key stands for; 0 when it stands for none.
uint8_t byteCode(int code) {
    return code >= 1 && code <= 0xFF ? static_cast<uint8_t>(code) : 0;
}

uint8_t characterOf(int eventNumber, int kind) {
    switch (kind) {
        case kCharacterPlain:
            return byteCode(eventNumber);
        case kCharacterShiftedLetter: {
            const int code = eventNumber - kShiftedLetterEventBase;
            return byteCode(code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code);
        }
        case kCharacterControl:
            // Backspace, Tab, Clear and Enter: the virtual key is the character's code.
            return byteCode(eventNumber - kVirtualKeyEventBase);
        default:
            return 0;
    }
}

// Clicks and keys go out once. The caller holds pendingInputLock.
void clearOneShotInput() {
    zeroClientBytes(kButtonsOffset, kButtonBytes);
    zeroClientBytes(kMouseChangedOffset, 2);
    zeroClientBytes(kKeyKindOffset, 2);
    zeroClientBytes(kKeyValueOffset, 4);
    placedKeyTimed = false;
}

// The caller holds pendingInputLock.
void placeKey(WaitingKey key) {
    storeClientByte(kKeyValueOffset, key.value);
    storeClientByte(kKeyValueOffset + 1, 0);  // the text's terminator, or the code's high byte
    storeClientByte(kKeyKindOffset, key.kind);
    placedKeyTimed = true;
    placedKeyTypedMs = key.typedMs;
}

// Drops the keys that waited too long; then the oldest waiting key takes a free slot. The
// caller holds pendingInputLock.
void refreshKeys(uint64_t nowMs) {
    if (loadClientByte(kKeyKindOffset) != 0 && placedKeyTimed && stale(placedKeyTypedMs, nowMs)) {
        zeroClientBytes(kKeyKindOffset, 1);
        zeroClientBytes(kKeyValueOffset, 2);
    }
    while (!waitingKeys.empty() && stale(waitingKeys.front().typedMs, nowMs))
        waitingKeys.pop_front();
    if (loadClientByte(kKeyKindOffset) == 0 && !waitingKeys.empty()) {
        placeKey(waitingKeys.front());
        waitingKeys.pop_front();
    }
}

void storeKey(uint8_t kind, uint8_t value) {
    const WaitingKey key{kind, value, platform::monotonicMs()};
    std::lock_guard lock(pendingInputLock);
    const bool slotFree = loadClientByte(kKeyKindOffset) == 0 && waitingKeys.empty();
    if (slotFree && showingFrame.load() == 0)
        placeKey(key);
    else if (waitingKeys.size() < kMaxWaitingKeys)
        waitingKeys.push_back(key);
}

bool isClickFlag(int flagPosition) {
    return flagPosition >= static_cast<int>(kLeftClickOffset) &&
           flagPosition <= static_cast<int>(kRightDoubleClickOffset);
}

// Every byte of the pending input goes through the client's shared-byte helpers: the
// pointer's first byte is also where the receive thread puts the login result.
void storePointerValue(size_t offset, float value) {
    uint8_t bytes[4];
    storeLittleEndian32(std::bit_cast<uint32_t>(value), bytes);
    storeClientBytes(offset, bytes, sizeof bytes);
}

}  // namespace

int capturePointer() {
    if (!clientViewShown())
        return 1;
    const ViewerArea area = currentViewerArea();
    const platform::ClientPoint point = mainWindowPointer();
    if (!insideViewerArea(area, point))
        return 1;
    // A point strictly inside leaves width and height at least 2: the scales are never 0.
    const float scaleX = static_cast<float>(area.width) / kPointerUnits;
    const float scaleY = static_cast<float>(area.height) / kPointerUnits;
    const float pointerX = static_cast<float>(point.x - kPointerReferenceX) / scaleX;
    const float pointerY = static_cast<float>(point.y - kPointerReferenceY) / scaleY;
    std::lock_guard lock(pendingInputLock);
    storePointerValue(kPointerOffset, pointerX);
    storePointerValue(kPointerOffset + 4, pointerY);
    return 1;
}

int captureCharacter(int eventNumber, int kind) {
    if (!keysWelcome())
        return 0;
    const uint8_t character = characterOf(eventNumber, kind);
    if (character == 0)
        return 0;
    storeKey(kKeyKindCharacter, character);
    return 1;
}

int captureVirtualKey(int eventNumber) {
    if (!keysWelcome())
        return 0;
    const uint8_t code = byteCode(eventNumber - kVirtualKeyEventBase);
    if (code == 0)
        return 0;
    storeKey(kKeyKindVirtualKey, code);
    return 1;
}

int captureClick(int flagPosition) {
    // Only the four click flags: the position must not reach any other byte of the area.
    if (!isClickFlag(flagPosition) || !clientRunning())
        return 0;
    std::lock_guard lock(pendingInputLock);
    storeClientByte(static_cast<size_t>(flagPosition), 1);
    storeClientByte(kMouseChangedOffset, 1);
    return 1;
}

int captureShortcutEvent(int eventNumber) {
    const ShortcutRun* run = shortcutRunOf(eventNumber);
    if (run == nullptr)
        return 0;
    switch (run->capture) {
        case KeyCapture::Character:
            return captureCharacter(eventNumber, kCharacterPlain);
        case KeyCapture::ShiftedLetter:
            return captureCharacter(eventNumber, kCharacterShiftedLetter);
        case KeyCapture::ControlCharacter:
            return captureCharacter(eventNumber, kCharacterControl);
        case KeyCapture::VirtualKey:
            return captureVirtualKey(eventNumber);
    }
    return 0;
}

InputEvent takePendingInput() {
    std::array<uint8_t, kInputAreaSize> pending{};
    const uint64_t nowMs = platform::monotonicMs();
    std::lock_guard lock(pendingInputLock);
    refreshKeys(nowMs);
    loadClientBytes(kPointerOffset, pending.data() + kPointerOffset, 8);
    loadClientBytes(kButtonsOffset, pending.data() + kButtonsOffset, kButtonBytes);
    pending[kKeyKindOffset] = loadClientByte(kKeyKindOffset);
    pending[kMouseChangedOffset] = loadClientByte(kMouseChangedOffset);
    loadClientBytes(kKeyValueOffset, pending.data() + kKeyValueOffset, 2);
    const InputEvent event = placedInputEvent(pending.data());
    clearOneShotInput();
    return event;
}

void forgetPendingInput() {
    std::lock_guard lock(pendingInputLock);
    waitingKeys.clear();
    clearOneShotInput();
}

}  // namespace korvo
