// The user's pointer, clicks and keys over the view become the client's pending input
// (clientWorkArea, in the arrangement of protocol/input_event.h), which the client thread
// sends once per request cycle. The pointer fields are state and go out with every event;
// the click flags, mouseChanged and the key are one-shot: the clicks of one cycle go out
// together, and keys go out one an event in the order typed (a key typed while a frame is
// taken in, or while another still waits, waits its turn).
//
// Every access to the pending input goes through these procedures, which keep it under
// one lock: the GUI thread stores keys and clicks while the client thread samples the
// pointer and takes the event, and neither sees the other's work half done.
#pragma once

#include <cstdint>

#include "protocol/input_event.h"

namespace korvo {

inline constexpr uint64_t kKeyLifeMs = 2000;

// captureCharacter's kinds: the event number is the character's code (1), 300 + the
// lower-case letter's code, sent upper case (2), or 500 + a control character's code (3).
inline constexpr int kCharacterPlain = 1;
inline constexpr int kCharacterShiftedLetter = 2;
inline constexpr int kCharacterControl = 3;

// Client thread, once per frame step: samples the pointer when the Client tab shows the
// view and the pointer lies over it; otherwise the last values stay. Returns 1.
int capturePointer();

// GUI thread. Store a key when the client thread runs, the Client tab shows the view and
// the pointer lies over it; 1 when a key was stored, else 0.
int captureCharacter(int eventNumber, int kind);
int captureVirtualKey(int eventNumber);

// GUI thread: a click on the view, by the position of its flag in the pending input
// (kLeftClickOffset .. kRightDoubleClickOffset). Stored whenever the client thread runs:
// the click comes from the view itself. 1 when stored, else 0.
int captureClick(int flagPosition);

// GUI thread: a shortcut event number, captured as the shortcut table says; 1 when a key
// was stored, else 0 (also for a number that is in no run of the table).
int captureShortcutEvent(int eventNumber);

// Client thread: the pending input as the next event carries it, with the one-shot fields
// cleared in the same step, so that nothing captured meanwhile is lost.
InputEvent takePendingInput();

// Client thread, when a run starts: clicks and keys of an earlier run do not go out.
void forgetPendingInput();

}  // namespace korvo
