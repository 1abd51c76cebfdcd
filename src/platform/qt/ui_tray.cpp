// The tray icon. Where the desktop has no tray nothing is shown and nothing reported.
#include <QPixmap>
#include <QSystemTrayIcon>

#include <memory>

#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

QSystemTrayIcon* trayIcon = nullptr;  // ended by shutdownUi, never at process exit

void reportActivation(QSystemTrayIcon::ActivationReason reason) {
    TrayAction action;
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            action = TrayAction::LeftClick;
            break;
        case QSystemTrayIcon::DoubleClick:
            action = TrayAction::LeftDoubleClick;
            break;
        case QSystemTrayIcon::Context:
            action = TrayAction::RightClick;
            break;
        default:
            return;
    }
    pushEvent(Event{EventKind::Tray, 0, 0, static_cast<int>(action), 0});
}

}  // namespace

void initTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
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
