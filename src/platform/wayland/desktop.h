// The Wayland desktop: the screen and input operations of platform/screen.h and
// platform/inject.h through the compositor's remote-desktop interface, with frames
// from PipeWire, under names of their own (platform/linux_desktop chooses at start).
#pragma once

#include "platform/inject.h"
#include "platform/screen.h"

namespace platform::wayland {

bool displayReachable();
void startSharingDisplay(const std::string& programFilesFolder);
bool primaryDisplaySize(Size& size);
bool captureDisplay(PixelView& view);
bool displayUnchangedSinceCapture();
bool cursorPosition(Point& point);
bool currentCursorImage(CursorImage& image);

void setCursorPosition(int x, int y);
void mouseButton(unsigned flag, int x, int y);
int16_t virtualKeyForCharacter(uint8_t character);
void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags);
void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags);

// Serve through the desktop portal instead of GNOME's interface; called before anything
// else of this desktop.
void usePortal();

// What the session bus offers now: GNOME's remote-desktop and screen-cast interfaces,
// or the desktop portal (running or startable on demand). False when there is no bus.
bool gnomeInterfacesOffered();
bool portalOffered();

}  // namespace platform::wayland
