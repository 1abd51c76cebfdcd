// The main window's shortcut table: the keys the viewer captures, each turned into an
// event number that the event loop receives instead of a keystroke. The viewer's table
// (viewer/shortcut_table.h) says which keys they are; this is the list to register.
#pragma once

#include <vector>

namespace korvo {

struct ViewerShortcut {
    int virtualKey = 0;
    bool shift = false;
    int eventNumber = 0;
};

inline constexpr int kViewerShortcutCount = 128;

// Digits, letters with and without Shift, and the special keys.
std::vector<ViewerShortcut> viewerShortcuts();

}  // namespace korvo
