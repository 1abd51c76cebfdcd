// The frames in the view. The client thread places them there; the GUI thread shows the
// current one again when the main window is resized. shownImage (the current frame,
// scaled to the view) and heldCopy (a copy of the last changed memory-route frame) live
// here, behind one lock, for the whole process.
#pragma once

#include <cstdint>

#include "platform/image.h"
#include "platform/screen.h"
#include "platform/ui.h"
#include "viewer/client_run_state.h"

namespace korvo {

// Where the main window goes so that its view becomes frameWidth by frameHeight (first
// halved while it does not fit inside the local desktop): the window is moved by half
// and resized by all of the difference, since the view changes with the window's inner
// size one for one. `window` is the inner area with the menu bar.
platform::Rect fittedWindow(platform::Rect window, platform::Rect view, int frameWidth,
                            int frameHeight, platform::Size desktop);

// Takes a decoded frame into the view: fits the main window to the first frame of the
// run, makes shownImage the frame scaled with smoothing to the view, and shows it, except
// a memory-route frame whose CRC equals the one shown last. False when the calling thread
// was terminated meanwhile.
bool presentFrame(ClientRun& run, const platform::Image& candidate, bool fromFile,
                  uint32_t frameCrc);

bool heldCopyLive();
void showHeldCopy();
void freeHeldCopy();
void freeShownImage();
void clearView();

// After the main window's view was laid out again: the current frame scaled to the
// view's new size, shown again. Nothing when there is none.
void rescaleShownImage();

}  // namespace korvo
