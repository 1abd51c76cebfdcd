#include "viewer/viewer_area.h"

#include "state/main_window_ids.h"

namespace korvo {

namespace {

// The area lies this far right of the tab panel and below the flat frame's top, and is
// the flat frame less its border.
constexpr int kLeftOfPanel = 6;
constexpr int kBelowFlatFrame = 54;
constexpr int kFlatFrameBorders = 4;

}  // namespace

ViewerArea viewerAreaFor(const platform::Rect& tabPanel, const platform::Rect& flatFrame) {
    return {tabPanel.x + kLeftOfPanel, flatFrame.y + kBelowFlatFrame,
            flatFrame.width - kFlatFrameBorders, flatFrame.height - kFlatFrameBorders};
}

bool insideViewerArea(const ViewerArea& area, platform::ClientPoint point) {
    if (point.x < 0 || point.y < 0)
        return false;
    return area.left < point.x && point.x < area.right() && area.top < point.y &&
           point.y < area.bottom();
}

bool clientViewShown() {
    using namespace mainControl;
    return platform::controlExists(kFlatFrame) && platform::controlExists(kTabPanel) &&
           platform::controlState(kTabPanel) == kClientTabIndex;
}

ViewerArea currentViewerArea() {
    return viewerAreaFor(platform::controlGeometry(mainControl::kTabPanel),
                         platform::controlGeometry(mainControl::kFlatFrame));
}

platform::ClientPoint mainWindowPointer() {
    return platform::pointerPosition(mainWindow);
}

}  // namespace korvo
