// Where the view lies for the input capture, in the main window's client coordinates
// (origin at the top left of the client area, below the menu bar), taken afresh from the
// controls' current geometry at every use.
#pragma once

#include "platform/ui.h"

namespace korvo {

struct ViewerArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

// Pointer values are measured from these lines, left of and above the area, so they do
// not start at 0 at the area's edge; servers take them as they come.
inline constexpr int kPointerReferenceX = 6;
inline constexpr int kPointerReferenceY = 54;

// tabPanel relative to the client area, flatFrame relative to its tab page.
ViewerArea viewerAreaFor(const platform::Rect& tabPanel, const platform::Rect& flatFrame);

// Strictly inside; a pointer outside the client area (-1, -1) never is.
bool insideViewerArea(const ViewerArea& area, platform::ClientPoint point);

// The flat frame exists and the tab panel shows the Client tab.
bool clientViewShown();

// The area for the main window as it is now.
ViewerArea currentViewerArea();

// The pointer relative to the main window's client area; -1, -1 when outside it.
platform::ClientPoint mainWindowPointer();

}  // namespace korvo
