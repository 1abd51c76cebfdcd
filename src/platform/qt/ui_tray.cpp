// The tray icon. Where the desktop has no tray nothing is shown and nothing reported.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <memory>

#include "platform/qt/ui_state.h"
#include "platform/qt/ui_tray_internal.h"

namespace platform::qtui {
namespace {

QSystemTrayIcon* trayIcon = nullptr;  // ended by shutdownUi, never at process exit
bool shownByNotifierHost = false;     // the icon is shown by a StatusNotifierItem host

// Whether a StatusNotifierWatcher runs on the session bus and has a host registered, as
// Qt asks it when it looks for a tray.
bool askWatcherForHost() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (daemon == nullptr || !daemon->isServiceRegistered(watcher).value())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(ask, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

void reportActivation(QSystemTrayIcon::ActivationReason reason) {
    if (std::optional<TrayAction> action = trayActionOf(reason, shownByNotifierHost))
        pushEvent(Event{EventKind::Tray, 0, 0, static_cast<int>(*action), 0});
}

}  // namespace

bool statusNotifierTray(const QString& platformName, bool watcherHasHost) {
    return platformName != QLatin1String("xcb") || watcherHasHost;
}

std::optional<TrayAction> trayActionOf(QSystemTrayIcon::ActivationReason reason,
                                       bool statusNotifier) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return statusNotifier ? TrayAction::LeftDoubleClick : TrayAction::LeftClick;
        case QSystemTrayIcon::DoubleClick:
            return TrayAction::LeftDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayAction::RightClick;
        default:
            return std::nullopt;
    }
}

void initTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    // Asked at the moment Qt settles on its tray: its first look for one.
    shownByNotifierHost =
        available && statusNotifierTray(QGuiApplication::platformName(), askWatcherForHost());
    std::lock_guard lock(records().mutex);
    records().trayAvailable = available;
    records().trayShown = false;
}

void shutdownTray() {
    delete trayIcon;
    trayIcon = nullptr;
    std::lock_guard lock(records().mutex);
    records().trayShown = false;
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

bool trayAvailable() {
    std::lock_guard lock(records().mutex);
    return records().trayAvailable;
}

void showTrayIcon(const Image* icon, const std::string& tooltip) {
    if (!onGuiThreadNow() || !trayAvailable())
        return;
    if (!trayIcon) {
        trayIcon = new QSystemTrayIcon;
        QObject::connect(trayIcon, &QSystemTrayIcon::activated, reportActivation);
    }
    QPixmap picture;
    if (icon != nullptr && icon->valid()) {
        picture = QPixmap::fromImage(toQImage(*icon));
    } else {
        // The tray shows nothing for an empty icon, so a plain square stands in.
        picture = QPixmap(16, 16);
        picture.fill(Qt::darkBlue);
    }
    trayIcon->setIcon(QIcon(picture));
    trayIcon->setToolTip(toDisplay(tooltip));
    trayIcon->show();
    std::lock_guard lock(records().mutex);
    records().trayShown = true;
}

void hideTrayIcon() {
    if (!onGuiThreadNow())
        return;
    if (trayIcon)
        trayIcon->hide();
    std::lock_guard lock(records().mutex);
    records().trayShown = false;
}

bool trayIconShown() {
    std::lock_guard lock(records().mutex);
    return records().trayShown;
}

}  // namespace platform
