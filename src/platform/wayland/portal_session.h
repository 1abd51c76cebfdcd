// The remote-desktop session through the desktop portal, on a thread of its own like the
// GNOME route: the desktop's own consent dialog on the shared screen, then frames from
// the PipeWire remote the portal opens for us. A refused dialog leaves frames black; the
// dialog is not asked again in a loop.
#pragma once

#include <cstdint>
#include <string>

namespace platform::wayland {

// Starts the session's thread at the first call; later calls cost nothing. The consent
// the portal lets us keep is kept in programFilesFolder.
void startPortalSession(const std::string& programFilesFolder);
bool portalSessionStarted();

// Input on the running session, without waiting; nothing while none is up.
void portalPointerAt(double x, double y);
void portalButton(int32_t button, bool pressed);
void portalKeysym(uint32_t keysym, bool pressed);

}  // namespace platform::wayland
