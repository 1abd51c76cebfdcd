// The ids of the settings window, the connect dialog and their controls. They differ
// from the main window's (state/main_window_ids.h), so that both can be open at once.
#pragma once

namespace korvo {

inline constexpr int kSettingsWindowId = 2;
inline constexpr int kConnectDialogId = 3;

namespace settingsControl {
inline constexpr int kOk = 301;
inline constexpr int kReset = 302;
inline constexpr int kPages = 303;
// The pages in their order on the tab control, each with its two frames.
inline constexpr int kClientPage = 304;
inline constexpr int kServerPage = 305;
inline constexpr int kMiscPage = 306;
inline constexpr int kClientOuterFrame = 307;
inline constexpr int kClientInnerFrame = 308;
inline constexpr int kServerOuterFrame = 309;
inline constexpr int kServerInnerFrame = 310;
inline constexpr int kMiscOuterFrame = 311;
inline constexpr int kMiscInnerFrame = 312;
// Client page.
inline constexpr int kAddressLabel = 320;
inline constexpr int kAddress = 321;
inline constexpr int kClientPort = 322;
inline constexpr int kClientUserLabel = 323;
inline constexpr int kClientUser = 324;
inline constexpr int kClientPasswordLabel = 325;
inline constexpr int kClientPassword = 326;
// Server page.
inline constexpr int kServerUserLabel = 340;
inline constexpr int kServerUser = 341;
inline constexpr int kServerPasswordLabel = 342;
inline constexpr int kServerPassword = 343;
inline constexpr int kServerPortLabel = 344;
inline constexpr int kServerPort = 345;
inline constexpr int kClientLimit = 346;
inline constexpr int kClientCount = 347;
inline constexpr int kQualityLabel = 348;
inline constexpr int kQuality = 349;
inline constexpr int kKeyboard = 350;
inline constexpr int kMouse = 351;
// Miscellaneous page.
inline constexpr int kLanguageLabel = 360;
inline constexpr int kLanguage = 361;
inline constexpr int kStartLabel = 362;
inline constexpr int kStart = 363;
inline constexpr int kStartInTray = 364;
inline constexpr int kSuppress = 365;
}  // namespace settingsControl

inline constexpr int kClientSettingsPage = 0;
inline constexpr int kServerSettingsPage = 1;

namespace connectControl {
inline constexpr int kFrame = 401;
inline constexpr int kAddressLabel = 402;
inline constexpr int kAddress = 403;
inline constexpr int kPort = 404;
inline constexpr int kUserLabel = 405;
inline constexpr int kUser = 406;
inline constexpr int kPasswordLabel = 407;
inline constexpr int kPassword = 408;
inline constexpr int kOk = 409;
inline constexpr int kReset = 410;
inline constexpr int kSaveAsDefault = 411;
}  // namespace connectControl

// The two keys that act on a dialog whatever control has the focus, by their event
// numbers.
inline constexpr int kEnterEvent = 1;
inline constexpr int kEscapeEvent = 2;

}  // namespace korvo
