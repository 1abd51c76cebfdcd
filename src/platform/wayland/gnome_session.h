// The remote-desktop session on GNOME's interface, run by a thread of its own with its
// own GLib main context: it creates the session with its screen cast, hands the
// PipeWire node to pipewire_frames, and creates the session again when the compositor
// comes back after it went away.
#pragma once

#include <gio/gio.h>

namespace platform::wayland {

// Starts the session's thread at the first call; later calls cost nothing.
void startGnomeSession();
bool gnomeSessionStarted();

// Sends one call of the session's input methods without waiting for an answer. The
// parameters (a floating reference) are taken in any case; nothing is sent while no
// session is up.
void notifySession(const char* method, GVariant* parameters);

// Moves the pointer to a place on the shared monitor.
void notifyPointerAt(double x, double y);

}  // namespace platform::wayland
