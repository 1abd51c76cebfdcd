// Keyboard shortcuts: a key with exactly the registered modifiers, pressed while one of
// the program's windows is active, becomes a Shortcut event before any control sees it.
// The keys are Windows virtual-key codes already, so the table is the program's own.
#include <windows.h>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {

bool takeShortcut(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN &&
        message.message != WM_KEYUP && message.message != WM_SYSKEYUP)
        return false;
    HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const int window = root != nullptr ? windowIdOf(root) : 0;
    if (window == 0)
        return false;
    const WindowHandles& w = handles().windows[window];
    if (w.shortcuts.empty())
        return false;
    unsigned modifiers = 0;
    if (::GetKeyState(VK_SHIFT) < 0)
        modifiers |= kModShift;
    if (::GetKeyState(VK_CONTROL) < 0)
        modifiers |= kModControl;
    if (::GetKeyState(VK_MENU) < 0)
        modifiers |= kModAlt;
    auto found = w.shortcuts.find({static_cast<int>(message.wParam), modifiers});
    if (found == w.shortcuts.end())
        return false;
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)
        pushEvent(Event{EventKind::Shortcut, window, 0, found->second, 0});
    return true;  // the key reaches no control of the window
}

}  // namespace platform::win32ui

namespace platform {

void addShortcut(int window, int key, unsigned modifiers, int eventNumber) {
    win32ui::onGuiThread([=] {
        auto found = win32ui::handles().windows.find(window);
        if (found != win32ui::handles().windows.end())
            found->second.shortcuts[{key, modifiers}] = eventNumber;
    });
}

}  // namespace platform
