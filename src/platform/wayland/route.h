// Which of the two routes to the compositor this desktop takes: GNOME's own interface
// (the default) or the desktop portal.
#pragma once

namespace platform::wayland {

bool onPortal();

}  // namespace platform::wayland
