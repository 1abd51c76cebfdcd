#include "platform/wayland/route.h"

#include <atomic>

#include "platform/wayland/desktop.h"

namespace platform::wayland {
namespace {

std::atomic<bool> portalChosen{false};

}  // namespace

void usePortal() {
    portalChosen = true;
}

bool onPortal() {
    return portalChosen;
}

}  // namespace platform::wayland
