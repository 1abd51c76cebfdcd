// The pointer's position and the shape of the cursor that the window under it shows.
#include <windows.h>

#include <utility>

#include "platform/screen.h"
#include "platform/win32/desktop/icon_pixels.h"
#include "platform/win32/desktop/physical_pixels.h"

namespace platform {
namespace {

// Larger than any cursor the system hands out; a bigger answer is not trusted.
constexpr int kMaxCursorSide = 256;

// The cursor of the thread that owns the window under the point: GetCursor answers for
// the calling thread's input state, so the thread borrows the other one's for a moment.
HCURSOR cursorOfWindowAt(POINT point) {
    HWND window = ::WindowFromPoint(point);
    if (window == nullptr)
        return nullptr;
    const DWORD owner = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD self = ::GetCurrentThreadId();
    if (owner == self)
        return ::GetCursor();
    if (!::AttachThreadInput(self, owner, TRUE))
        return nullptr;
    HCURSOR cursor = ::GetCursor();
    ::AttachThreadInput(self, owner, FALSE);
    return cursor;
}

// The cursor the system shows now, for when the window's thread cannot be borrowed.
HCURSOR shownCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetCursorInfo(&info) || (info.flags & CURSOR_SHOWING) == 0)
        return nullptr;
    return info.hCursor;
}

}  // namespace

bool cursorPosition(Point& point) {
    win32::PhysicalPixels physical;
    win32::ScreenScale scale;
    POINT position{};
    if (!win32::screenScale(scale) || !::GetCursorPos(&position))
        return false;
    point = win32::toPhysical({position.x, position.y}, scale);
    return true;
}

bool currentCursorImage(CursorImage& image) {
    win32::PhysicalPixels physical;
    POINT position{};
    if (!::GetCursorPos(&position))
        return false;
    HCURSOR cursor = cursorOfWindowAt(position);
    if (cursor == nullptr)
        cursor = shownCursor();
    if (cursor == nullptr)
        return false;
    // A cursor's picture is drawn once, when its handle shows first; every later frame
    // with the same cursor takes the picture kept.
    thread_local HCURSOR keptCursor = nullptr;
    thread_local CursorImage kept;
    if (cursor != keptCursor) {
        keptCursor = nullptr;
        CursorImage drawn;
        if (!win32::iconFacts(cursor, drawn.width, drawn.height, drawn.hotspotX, drawn.hotspotY) ||
            drawn.width > kMaxCursorSide || drawn.height > kMaxCursorSide ||
            !win32::iconPixels(cursor, drawn.width, drawn.height, drawn.argb, &drawn.inverts))
            return false;
        kept = std::move(drawn);
        keptCursor = cursor;
    }
    image = kept;
    return true;
}

}  // namespace platform
