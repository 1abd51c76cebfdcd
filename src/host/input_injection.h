// Playing a client's input on the server's own desktop, as far as the settings allow.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/screen.h"

namespace korvo {

// The screen position movePointerTo computed last; kept for the life of the process, so
// that a pointer that did not move is not pulled back after someone at the server moved
// the mouse.
extern platform::Point lastPointerTarget;

// Applies the event whose 20 body bytes stand at the start of serverWorkArea: first the
// key (when allowKeyboard is 1), then the pointer and the buttons (when allowMouse is 1).
// The one-shot fields are cleared afterwards whether or not anything was allowed.
void applyInputEvent();

// Moves the pointer to the position given in 1/10000 of the primary display's width and
// height. 1 when a target was computed, 0 when the position was not applied (a
// coordinate not above 0, or no display).
int movePointerTo(float pointerX, float pointerY);

// Types the first character of text as one key stroke, with Shift when the keyboard map
// needs it. A character no key types is not typed.
void typeCharacter(std::string_view text);

// Presses and releases one virtual key.
void pressVirtualKey(uint8_t code);

}  // namespace korvo
