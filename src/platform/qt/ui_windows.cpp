// Top-level windows: creation, the inner layout of menu bar, client area, toolbar and
// status bar, showing, fading and geometry.
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QToolBar>
#include <QWidget>

#include <algorithm>

#include "platform/qt/ui_state.h"

namespace platform::qtui {

namespace {

QWidget* topOf(int window) {
    auto found = widgets().windows.find(window);
    return found == widgets().windows.end() ? nullptr : found->second.top.data();
}

Qt::WindowFlags flagsFor(unsigned flags) {
    if ((flags & kWindowToolWindow) != 0)  // a utility window: the narrow caption, if any
        return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    Qt::WindowFlags shape = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((flags & kWindowResizable) != 0)
        shape |= Qt::WindowMinMaxButtonsHint;
    return shape;
}

QRect centred(QSize size, QWidget* owner) {
    QRect area;
    if (owner != nullptr && owner->isVisible())
        area = owner->geometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(area.center());
    return placed;
}

// A dialog's controls are placed in pixels for texts of about 11 pixels in a narrow
// face; the desktop's own font, often larger and wider, would cut their labels off.
void useDialogFont(QWidget* top) {
    constexpr int kDialogFontPixels = 11;
    constexpr int kDialogFontStretch = 80;  // per cent of the normal width
    QFont font = top->font();
    font.setPixelSize(kDialogFontPixels);
    font.setStretch(kDialogFontStretch);
    top->setFont(font);
}

void setShown(QWidget* top, bool shown) {
    if (shown)
        top->show();
    else
        top->hide();
}

}  // namespace

void layoutWindow(int window) {
    auto found = widgets().windows.find(window);
    if (found == widgets().windows.end() || found->second.top.isNull())
        return;
    WindowWidgets& w = found->second;
    const int width = w.top->width();
    const int height = w.top->height();
    int menuHeight = 0;
    if (w.menuBar) {
        menuHeight = w.menuBar->heightForWidth(width);
        if (menuHeight <= 0)
            menuHeight = w.menuBar->sizeHint().height();
        w.menuBar->setGeometry(0, 0, width, menuHeight);
    }
    const int clientHeight = std::max(0, height - menuHeight);
    w.client->setGeometry(0, menuHeight, width, clientHeight);
    int toolHeight = 0;
    if (w.toolBar) {
        toolHeight = w.toolBar->sizeHint().height();
        w.toolBar->setGeometry(0, 0, width, toolHeight);
    }
    int statusHeight = 0;
    if (w.statusBar) {
        statusHeight = w.statusBar->height();
        w.statusBar->setGeometry(0, clientHeight - statusHeight, width, statusHeight);
    }
    std::lock_guard lock(records().mutex);
    if (WindowRecord* record = records().window(window)) {
        record->menuBarHeight = menuHeight;
        record->toolBarHeight = toolHeight;
        record->statusBarHeight = statusHeight;
    }
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

bool openWindow(int window, Rect inner, const std::string& title, unsigned flags, int owner) {
    if (!onGuiThreadNow() || window <= 0 || widgets().windows.count(window) != 0)
        return false;
    if (inner.width < 0 || inner.height < 0)
        return false;
    QWidget* ownerTop = topOf(owner);
    auto* top = new QWidget(ownerTop, flagsFor(flags));
    top->setProperty(kWindowProperty, window);
    top->setWindowTitle(toDisplay(title));
    if ((flags & kWindowToolWindow) != 0)
        useDialogFont(top);
    if ((flags & kWindowModal) != 0)
        top->setWindowModality(ownerTop != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    QRect shape(inner.x, inner.y, inner.width, inner.height);
    if ((flags & kWindowCentred) != 0)
        shape = centred(shape.size(), ownerTop);
    if ((flags & kWindowToolWindow) != 0 || (flags & kWindowResizable) == 0)
        top->setFixedSize(shape.size());
    else if ((flags & kWindowMinimumSize) != 0)
        top->setMinimumSize(shape.size());
    auto* client = new QWidget(top);

    WindowWidgets parts;
    parts.top = top;
    parts.client = client;
    widgets().windows[window] = parts;
    {
        std::lock_guard lock(records().mutex);
        records().addWindow(window, Rect{shape.x(), shape.y(), shape.width(), shape.height()},
                            title, flags, owner);
    }
    top->setGeometry(shape);
    layoutWindow(window);
    return true;
}

void closeWindow(int window) {
    if (!onGuiThreadNow())
        return;
    // Windows it owns go first, as their widgets are children of this one.
    std::vector<int> owned;
    {
        std::lock_guard lock(records().mutex);
        owned = records().ownedWindows(window);
    }
    for (int id : owned)
        closeWindow(id);
    auto found = widgets().windows.find(window);
    if (found == widgets().windows.end())
        return;
    QWidget* top = found->second.top.data();
    for (auto it = widgets().menus.begin(); it != widgets().menus.end();) {
        auto menuWindow = widgets().menuWindows.find(it->first);
        if (menuWindow != widgets().menuWindows.end() && menuWindow->second == window) {
            widgets().menuWindows.erase(menuWindow);
            it = widgets().menus.erase(it);
        } else {
            ++it;
        }
    }
    {
        // The window's menus go with its record.
        std::lock_guard lock(records().mutex);
        for (int control : records().removeWindow(window))
            widgets().controls.erase(control);
    }
    widgets().windows.erase(found);
    delete top;
}

bool windowExists(int window) {
    std::lock_guard lock(records().mutex);
    return records().windows.count(window) != 0;
}

void setWindowTitle(int window, const std::string& title) {
    {
        std::lock_guard lock(records().mutex);
        auto record = records().windows.find(window);
        if (record == records().windows.end())
            return;
        record->second.title = title;
    }
    onGuiThread([window] {
        QWidget* top = topOf(window);
        if (top != nullptr)
            top->setWindowTitle(toDisplay(platform::windowTitle(window)));
    });
}

std::string windowTitle(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record == records().windows.end() ? std::string() : record->second.title;
}

void setWindowIcon(int window, const Image* icon) {
    QImage picture = icon != nullptr ? toQImage(*icon) : QImage();
    onGuiThread([window, picture] {
        QWidget* top = topOf(window);
        if (top != nullptr)
            top->setWindowIcon(picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture)));
    });
}

void showWindow(int window, bool shown) {
    onGuiThread([window, shown] {
        QWidget* top = topOf(window);
        if (top != nullptr)
            setShown(top, shown);
    });
}

void fadeWindow(int window, bool shown, int durationMs) {
    QWidget* top = onGuiThreadNow() ? topOf(window) : nullptr;
    if (top == nullptr || durationMs <= 0) {
        showWindow(window, shown);
        return;
    }
    if (shown) {
        top->setWindowOpacity(0.0);
        top->show();
    }
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < durationMs) {
        double done = static_cast<double>(elapsed.elapsed()) / durationMs;
        top->setWindowOpacity(shown ? done : 1.0 - done);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
        if (topOf(window) != top)  // closed while fading
            return;
    }
    if (!shown)
        top->hide();
    top->setWindowOpacity(1.0);
}

bool windowShown(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record != records().windows.end() && record->second.shown;
}

bool windowMinimised(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record != records().windows.end() && record->second.minimised;
}

Rect windowGeometry(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record == records().windows.end() ? Rect{} : record->second.inner;
}

void setWindowGeometry(int window, Rect inner) {
    if (inner.width < 0 || inner.height < 0)
        return;
    {
        std::lock_guard lock(records().mutex);
        auto record = records().windows.find(window);
        if (record == records().windows.end())
            return;
        record->second.inner = inner;
    }
    onGuiThread([window, inner] {
        QWidget* top = topOf(window);
        if (top != nullptr)
            top->setGeometry(inner.x, inner.y, inner.width, inner.height);
    });
}

ClientPoint pointerPosition(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    if (record == records().windows.end() || !record->second.shown)
        return ClientPoint{};
    return record->second.pointer;
}

}  // namespace platform
