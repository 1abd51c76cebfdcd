// The X11 desktop: the screen and input operations of platform/screen.h and
// platform/inject.h on an X server, under names of their own, so that the Linux program
// can carry another desktop beside it and choose at start (platform/linux_desktop).
#pragma once

#include "platform/inject.h"
#include "platform/screen.h"

namespace platform::x11 {

bool displayReachable();
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

}  // namespace platform::x11
