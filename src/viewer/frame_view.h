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

// What the client thread knows of a frame it takes in.
struct ReceivedFrame {
    bool fromFile = false;
    bool unchanged = false;  // its bytes are those shownImage was made from: not decoded
    uint32_t crc = 0;        // of its bytes
    size_t length = 0;
    platform::Size announced;  // the full size its header gives
};

// The size a frame must be decoded to so that it still fills the view: the view's, or,
// before the first frame of the run has sized the window, the local desktop's, which
// the view then stays below.
platform::Size frameCover(const ClientRun& run);

// Whether shownImage was made from a frame with this CRC and length and still has the
// view's size: such a frame need not be decoded or scaled again.
bool frameOnShow(uint32_t crc, size_t length);

// Takes the frame into the view (the decoded picture is run.candidate, unless the frame
// is unchanged): fits the main window to the first frame of the run by the size its
// header announces, makes shownImage the picture scaled with smoothing to the view (a
// picture of the view's size as it is), and shows it, except a memory-route frame whose
// CRC equals the one shown last. False when the calling thread was terminated meanwhile.
bool presentFrame(ClientRun& run, const ReceivedFrame& frame);

bool heldCopyLive();
void showHeldCopy();
void freeHeldCopy();
void freeShownImage();
void clearView();

// After the main window's view was laid out again: the current frame scaled to the
// view's new size, shown again. Nothing when there is none.
void rescaleShownImage();

}  // namespace korvo
