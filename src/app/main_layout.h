// Where the body of the main window lies: the outer frame, the tab panel, the flat
// frame with the view in it and the clients list, for the window's inner size.
#pragma once

#include "platform/ui.h"

namespace korvo {

inline constexpr int kMainInnerWidth = 700;
inline constexpr int kMainInnerHeight = 525;  // counted with the menu bar

// The heights the layout subtracts, remembered when the window was built (0 for a bar
// that could not be made).
struct BarHeights {
    int menuBar = 0;
    int toolBar = 0;
    int statusBar = 0;
};

struct BodyLayout {
    platform::Rect outerFrame;
    platform::Rect tabPanel;
    platform::Rect flatFrame;  // on the Client tab page
    platform::Rect view;       // in the flat frame's parent, like the flat frame
    platform::Rect clientsList;
};

// The layout at creation, for the inner size width by height.
BodyLayout creationLayout(int width, int height, BarHeights bars);

// The layout after a resize to width by height, from the current one. Gives the tab
// panel, the flat frame and the view the same sizes as creationLayout would.
BodyLayout resizedLayout(const BodyLayout& current, int width, int height, BarHeights bars);

}  // namespace korvo
