// The screen and input contracts, served by the desktop backend chosen at start.
#include <cstdlib>

#include "platform/inject.h"
#include "platform/linux_desktop/desktop_choice.h"
#include "platform/screen.h"
#include "platform/wayland/desktop.h"
#include "platform/x11/desktop.h"

namespace platform {
namespace {

bool onX11() {
    return linux_desktop::activeDesktop() == linux_desktop::Desktop::X11;
}

}  // namespace

bool displayReachable() {
    linux_desktop::activeDesktop();  // decided, and said, at start
    // The display the windows open on: X (possibly XWayland) when there is one.
    const char* x = std::getenv("DISPLAY");
    if (x != nullptr && *x != '\0')
        return x11::displayReachable();
    return wayland::displayReachable();
}

void startSharingDisplay(const std::string& programFilesFolder) {
    if (!onX11())
        wayland::startSharingDisplay(programFilesFolder);
}

bool primaryDisplaySize(Size& size) {
    return onX11() ? x11::primaryDisplaySize(size) : wayland::primaryDisplaySize(size);
}

bool captureDisplay(PixelView& view) {
    return onX11() ? x11::captureDisplay(view) : wayland::captureDisplay(view);
}

bool displayUnchangedSinceCapture() {
    return onX11() ? x11::displayUnchangedSinceCapture() : wayland::displayUnchangedSinceCapture();
}

bool cursorPosition(Point& point) {
    return onX11() ? x11::cursorPosition(point) : wayland::cursorPosition(point);
}

bool currentCursorImage(CursorImage& image) {
    return onX11() ? x11::currentCursorImage(image) : wayland::currentCursorImage(image);
}

void setCursorPosition(int x, int y) {
    onX11() ? x11::setCursorPosition(x, y) : wayland::setCursorPosition(x, y);
}

void mouseButton(unsigned flag, int x, int y) {
    onX11() ? x11::mouseButton(flag, x, y) : wayland::mouseButton(flag, x, y);
}

int16_t virtualKeyForCharacter(uint8_t character) {
    return onX11() ? x11::virtualKeyForCharacter(character)
                   : wayland::virtualKeyForCharacter(character);
}

void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags) {
    onX11() ? x11::keyboardEvent(virtualKey, scanCode, flags)
            : wayland::keyboardEvent(virtualKey, scanCode, flags);
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    onX11() ? x11::sendVirtualKeyInput(virtualKey, flags)
            : wayland::sendVirtualKeyInput(virtualKey, flags);
}

}  // namespace platform
