// The tray's decisions that need no tray to be made, for ui_tray.cpp.
#pragma once

#include <QString>
#include <QSystemTrayIcon>

#include <optional>

#include "platform/ui.h"

namespace platform::qtui {

// Qt shows the icon in one of two trays: the classic X11 tray, which reports each click as
// it comes, or a StatusNotifierItem host on the session bus, which reports every activation
// of the icon as one Trigger and never a double click. Qt takes the latter on every platform
// but X11, and on X11 while a StatusNotifierWatcher runs with a host registered.
bool statusNotifierTray(const QString& platformName, bool watcherHasHost);

// The program's action for an activation of the icon; none for those it has no use for.
// A StatusNotifierItem host's one activation is the double click that brings the program
// back.
std::optional<TrayAction> trayActionOf(QSystemTrayIcon::ActivationReason reason,
                                       bool statusNotifier);

}  // namespace platform::qtui
