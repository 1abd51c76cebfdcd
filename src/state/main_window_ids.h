// The ids the main window's parts carry. Other threads use them to write into the
// window: the server sets status field 3 and fills the clients list, the client sets
// status field 1 and shows frames in the view.
#pragma once

#include <atomic>

namespace korvo {

inline constexpr int kMainWindowId = 1;

// The main window once it exists; 0 before (and when it could not be created), so
// that boxes raised before then have no owner.
extern std::atomic<int> mainWindow;

// Controls of the main window's body.
namespace mainControl {
inline constexpr int kOuterFrame = 101;
inline constexpr int kTabPanel = 102;
inline constexpr int kClientPage = 103;
inline constexpr int kServerPage = 104;
inline constexpr int kFlatFrame = 105;
inline constexpr int kView = 106;
inline constexpr int kClientsList = 107;
}  // namespace mainControl

inline constexpr int kClientTabIndex = 0;
inline constexpr int kServerTabIndex = 1;

// Status bar fields.
namespace statusField {
inline constexpr int kClientImage = 0;
inline constexpr int kClientStatus = 1;
inline constexpr int kServerImage = 2;
inline constexpr int kServerStatus = 3;
}  // namespace statusField

// Commands of the menus, the toolbar and the tray popup.
namespace command {
inline constexpr int kClient = 1001;
inline constexpr int kServer = 1002;
inline constexpr int kExit = 1003;
inline constexpr int kHelp = 1004;
inline constexpr int kSettings = 1005;
inline constexpr int kHomepage = 1006;
inline constexpr int kHideInTray = 1007;
inline constexpr int kOpen = 1008;
}  // namespace command

namespace menuId {
inline constexpr int kMainMenu = 201;
inline constexpr int kHelpMenu = 202;
inline constexpr int kTrayPopup = 203;
}  // namespace menuId

}  // namespace korvo
