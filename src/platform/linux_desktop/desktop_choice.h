// Which desktop backend serves the Linux program, decided once at start.
#pragma once

#include <string>

namespace platform::linux_desktop {

enum class Desktop { X11, Gnome, Portal };

// What the choice is made from.
struct DesktopFacts {
    std::string requested;  // KORVO_DESKTOP: "x11", "gnome", "portal" or empty
    bool waylandSession = false;
    bool gnomeOffered = false;
    bool portalOffered = false;
};

// The rule: a valid KORVO_DESKTOP wins; a Wayland session takes GNOME's interface when
// the bus offers it, else the portal; everything else is X11. `note` gets the line
// written to standard error.
Desktop chooseDesktop(const DesktopFacts& facts, std::string& note);

// The backend in use: chosen at the first call, from the environment and the session
// bus, and written to standard error then.
Desktop activeDesktop();

}  // namespace platform::linux_desktop
