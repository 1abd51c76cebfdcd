#include "app/main_layout.h"

namespace korvo {

namespace {

// The flat frame and the clients list fill the tab page the same way.
platform::Rect pageFiller(const platform::Rect& panel) {
    return {2, 2, panel.width - 12, panel.height - 31};
}

platform::Rect insideFlatFrame(const platform::Rect& flat) {
    return {flat.x + 2, flat.y + 2, flat.width - 4, flat.height - 4};
}

}  // namespace

BodyLayout creationLayout(int width, int height, BarHeights bars) {
    BodyLayout layout;
    layout.outerFrame = {2, bars.toolBar - 10, width - 4,
                         height - bars.menuBar - bars.toolBar - bars.statusBar};
    const platform::Rect& outer = layout.outerFrame;
    layout.tabPanel = {outer.x + 4, outer.y + 11, outer.width - 8, outer.height - 7};
    layout.flatFrame = pageFiller(layout.tabPanel);
    layout.view = insideFlatFrame(layout.flatFrame);
    layout.clientsList = pageFiller(layout.tabPanel);
    return layout;
}

BodyLayout resizedLayout(const BodyLayout& current, int width, int height, BarHeights bars) {
    BodyLayout layout = current;
    layout.outerFrame.width = width - 4;
    layout.outerFrame.height = height - bars.menuBar - bars.toolBar - bars.statusBar + 8;
    const platform::Rect& outer = layout.outerFrame;
    layout.tabPanel = {outer.x + 4, outer.y + 11, outer.width - 8, outer.height - 15};
    layout.flatFrame.width = layout.tabPanel.width - 12;
    layout.flatFrame.height = layout.tabPanel.height - 31;
    layout.clientsList.width = layout.tabPanel.width - 12;
    layout.clientsList.height = layout.tabPanel.height - 31;
    layout.view = insideFlatFrame(layout.flatFrame);
    return layout;
}

}  // namespace korvo
