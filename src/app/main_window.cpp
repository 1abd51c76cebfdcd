#include "app/main_window.h"

#include <string>

#include "app/pictures.h"
#include "app/shortcuts.h"
#include "platform/ui.h"
#include "state/main_window_ids.h"
#include "texts/texts.h"

namespace korvo {

BarHeights mainBars;

namespace {

constexpr int kNumberColumnWidth = 80;
constexpr int kClientIpColumnWidth = 200;
constexpr int kConnectedSinceColumnWidth = 200;
constexpr int kStatusImageWidth = 20;
constexpr int kStatusTextWidth = 300;

std::string text(std::string_view fixed) {
    return std::string(fixed);
}

void buildMenus() {
    using namespace command;
    platform::addMenu(kMainWindowId, menuId::kMainMenu, texts.menu);
    platform::addMenuItem(menuId::kMainMenu, kClient, text(fixedText::kClient),
                          pictureImage(Picture::Client));
    platform::addMenuItem(menuId::kMainMenu, kServer, text(fixedText::kServer),
                          pictureImage(Picture::Server));
    platform::addMenuSeparator(menuId::kMainMenu);
    platform::addMenuItem(menuId::kMainMenu, kExit, texts.exit, pictureImage(Picture::Exit));

    platform::addMenu(kMainWindowId, menuId::kHelpMenu, text(fixedText::kHelpMenu));
    platform::addMenuItem(menuId::kHelpMenu, kHelp, texts.help, pictureImage(Picture::Help));
    platform::addMenuItem(menuId::kHelpMenu, kSettings, texts.settings,
                          pictureImage(Picture::Settings));
    platform::addMenuSeparator(menuId::kHelpMenu);
    platform::addMenuItem(menuId::kHelpMenu, kHomepage, text(fixedText::kHomepage),
                          pictureImage(Picture::Homepage));
}

// Tooltips are read back from the menu, so toolbar and menu always say the same.
void addToolButtonLike(int menu, int commandId, Picture picture) {
    platform::addToolButton(kMainWindowId, commandId, pictureImage(picture),
                            platform::menuItemText(menu, commandId));
}

void buildToolbar() {
    using namespace command;
    platform::addToolSeparator(kMainWindowId);
    addToolButtonLike(menuId::kMainMenu, kClient, Picture::Client);
    addToolButtonLike(menuId::kMainMenu, kServer, Picture::Server);
    addToolButtonLike(menuId::kMainMenu, kExit, Picture::Exit);
    platform::addToolSeparator(kMainWindowId);
    addToolButtonLike(menuId::kHelpMenu, kHelp, Picture::Help);
    addToolButtonLike(menuId::kHelpMenu, kSettings, Picture::Settings);
    addToolButtonLike(menuId::kHelpMenu, kHomepage, Picture::Homepage);
    platform::addToolSeparator(kMainWindowId);
    platform::addToolButton(kMainWindowId, kHideInTray, pictureImage(Picture::HideInTray),
                            texts.hideInTray);
    platform::addToolSeparator(kMainWindowId);
}

void buildStatusBar() {
    platform::createStatusBar(
        kMainWindowId, {kStatusImageWidth, kStatusTextWidth, kStatusImageWidth, kStatusTextWidth});
}

void buildBody() {
    using namespace mainControl;
    const BodyLayout layout = creationLayout(kMainInnerWidth, kMainInnerHeight, mainBars);
    const int window = kMainWindowId;
    platform::createControl(window, kOuterFrame, platform::ControlKind::Frame, layout.outerFrame,
                            "", 0);
    platform::createControl(window, kTabPanel, platform::ControlKind::TabPanel, layout.tabPanel, "",
                            0);
    platform::createControl(window, kClientPage, platform::ControlKind::TabPage, {},
                            text(fixedText::kClient), kTabPanel);
    platform::createControl(window, kServerPage, platform::ControlKind::TabPage, {},
                            text(fixedText::kServer), kTabPanel);
    platform::createControl(window, kFlatFrame, platform::ControlKind::FlatFrame, layout.flatFrame,
                            "", kClientPage);
    platform::createControl(window, kView, platform::ControlKind::ImageView, layout.view, "",
                            kClientPage);
    platform::createControl(window, kClientsList, platform::ControlKind::ListView,
                            layout.clientsList, "", kServerPage);
    platform::addListColumn(kClientsList, text(fixedText::kNumberColumn), kNumberColumnWidth);
    platform::addListColumn(kClientsList, text(fixedText::kClientIpColumn), kClientIpColumnWidth);
    platform::addListColumn(kClientsList, texts.connectedSince, kConnectedSinceColumnWidth);
}

void setStartStatus() {
    using namespace statusField;
    platform::setStatusField(kMainWindowId, kClientImage, "", pictureImage(Picture::Client));
    platform::setStatusField(kMainWindowId, kClientStatus,
                             text(fixedText::kClientStatusPrefix) + texts.noConnection, nullptr);
    platform::setStatusField(kMainWindowId, kServerImage, "", pictureImage(Picture::Server));
    platform::setStatusField(kMainWindowId, kServerStatus, text(fixedText::kServerOffline),
                             nullptr);
}

void registerViewerShortcuts() {
    for (const ViewerShortcut& shortcut : viewerShortcuts()) {
        platform::addShortcut(kMainWindowId, shortcut.virtualKey,
                              shortcut.shift ? platform::kModShift : 0u, shortcut.eventNumber);
    }
}

void buildTrayPopup() {
    platform::addMenu(0, menuId::kTrayPopup, "");
    platform::addMenuItem(menuId::kTrayPopup, command::kOpen, texts.open, nullptr);
    platform::addMenuItem(menuId::kTrayPopup, command::kExit, texts.exit, nullptr);
}

}  // namespace

bool buildMainWindow() {
    const unsigned flags =
        platform::kWindowResizable | platform::kWindowCentred | platform::kWindowMinimumSize;
    if (!platform::openWindow(kMainWindowId, {0, 0, kMainInnerWidth, kMainInnerHeight},
                              text(fixedText::kProductTitle), flags, 0))
        return false;
    mainWindow = kMainWindowId;
    platform::setWindowIcon(kMainWindowId, applicationIcon.valid() ? &applicationIcon : nullptr);
    mainBars = {};
    buildMenus();
    mainBars.menuBar = platform::menuBarHeight(kMainWindowId);
    buildToolbar();
    mainBars.toolBar = platform::toolBarHeight(kMainWindowId);
    buildStatusBar();
    mainBars.statusBar = platform::statusBarHeight(kMainWindowId);
    buildBody();
    setStartStatus();
    buildTrayPopup();
    registerViewerShortcuts();
    return true;
}

BodyLayout currentBodyLayout() {
    using namespace mainControl;
    BodyLayout layout;
    layout.outerFrame = platform::controlGeometry(kOuterFrame);
    layout.tabPanel = platform::controlGeometry(kTabPanel);
    layout.flatFrame = platform::controlGeometry(kFlatFrame);
    layout.view = platform::controlGeometry(kView);
    layout.clientsList = platform::controlGeometry(kClientsList);
    return layout;
}

void layOutMainWindow(int width, int height) {
    using namespace mainControl;
    const BodyLayout layout = resizedLayout(currentBodyLayout(), width, height, mainBars);
    platform::setControlGeometry(kOuterFrame, layout.outerFrame);
    platform::setControlGeometry(kTabPanel, layout.tabPanel);
    platform::setControlGeometry(kFlatFrame, layout.flatFrame);
    platform::setControlGeometry(kClientsList, layout.clientsList);
    platform::setControlGeometry(kView, layout.view);
}

}  // namespace korvo
