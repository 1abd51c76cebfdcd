#include "platform/linux_desktop/desktop_choice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/wayland/desktop.h"

namespace platform::linux_desktop {
namespace {

bool nonEmpty(const char* value) {
    return value != nullptr && *value != '\0';
}

// The interfaces are asked for only when the answer can matter.
DesktopFacts factsOfThisSession() {
    DesktopFacts facts;
    const char* requested = std::getenv("KORVO_DESKTOP");
    facts.requested = nonEmpty(requested) ? requested : "";
    const char* type = std::getenv("XDG_SESSION_TYPE");
    facts.waylandSession = (nonEmpty(type) && std::strcmp(type, "wayland") == 0) ||
                           nonEmpty(std::getenv("WAYLAND_DISPLAY"));
    bool askBus = facts.waylandSession && facts.requested != "x11";
    facts.gnomeOffered = askBus && wayland::gnomeInterfacesOffered();
    facts.portalOffered = askBus && !facts.gnomeOffered && wayland::portalOffered();
    return facts;
}

}  // namespace

Desktop chooseDesktop(const DesktopFacts& facts, std::string& note) {
    note.clear();
    if (!facts.requested.empty() && facts.requested != "x11" && facts.requested != "gnome" &&
        facts.requested != "portal")
        note = "KORVO_DESKTOP=" + facts.requested + " is not x11, gnome or portal; ignored. ";
    Desktop chosen = Desktop::X11;
    if (facts.requested == "gnome") {
        chosen = Desktop::Gnome;
    } else if (facts.requested == "portal") {
        chosen = Desktop::Portal;
    } else if (facts.requested != "x11" && facts.waylandSession) {
        if (facts.gnomeOffered) {
            chosen = Desktop::Gnome;
        } else if (facts.portalOffered) {
            chosen = Desktop::Portal;
        } else {
            note +=
                "Wayland session without GNOME's remote-desktop interface or the desktop "
                "portal on the session bus; falling back to X11 (XWayland). ";
        }
    }
    switch (chosen) {
        case Desktop::Gnome:
            note += "desktop: GNOME remote desktop (Wayland)";
            break;
        case Desktop::Portal:
            note += "desktop: the desktop portal (Wayland)";
            break;
        case Desktop::X11:
            note += "desktop: X11";
            break;
    }
    return chosen;
}

Desktop activeDesktop() {
    static std::once_flag decided;
    static Desktop chosen = Desktop::X11;
    std::call_once(decided, [] {
        std::string note;
        chosen = chooseDesktop(factsOfThisSession(), note);
        std::fprintf(stderr, "korvo: %s\n", note.c_str());
        if (chosen == Desktop::Portal)
            wayland::usePortal();
    });
    return chosen;
}

}  // namespace platform::linux_desktop
