// Menu bar and popup menus, the toolbar and the status bar of a window.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include <algorithm>

#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

constexpr int kIconSize = 16;

QIcon iconOf(const Image* image) {
    if (image == nullptr || !image->valid())
        return QIcon();
    return QIcon(QPixmap::fromImage(toQImage(*image)));
}

QMenu* menuOf(int menu) {
    auto found = widgets().menus.find(menu);
    return found == widgets().menus.end() ? nullptr : found->second.data();
}

WindowWidgets* windowOf(int window) {
    auto found = widgets().windows.find(window);
    return found == widgets().windows.end() || found->second.top.isNull() ? nullptr
                                                                          : &found->second;
}

int statusHeight(const QWidget* bar) {
    return std::max(20, bar->fontMetrics().height() + 6);
}

}  // namespace

void applyStatusField(int window, int field) {
    WindowWidgets* parts = windowOf(window);
    if (parts == nullptr || field < 0 || field >= static_cast<int>(parts->statusTexts.size()))
        return;
    StatusField content;
    {
        std::lock_guard lock(records().mutex);
        auto record = records().windows.find(window);
        if (record == records().windows.end() ||
            field >= static_cast<int>(record->second.statusFields.size()))
            return;
        content = record->second.statusFields[static_cast<size_t>(field)];
    }
    QLabel* icon = parts->statusIcons[static_cast<size_t>(field)];
    QLabel* text = parts->statusTexts[static_cast<size_t>(field)];
    if (icon == nullptr || text == nullptr)
        return;
    if (const QImage* picture = qImageOf(content.image))
        icon->setPixmap(QPixmap::fromImage(*picture));
    else
        icon->clear();
    icon->setVisible(static_cast<bool>(content.image));
    const QRect area = text->geometry();
    const int textLeft = content.image ? icon->geometry().right() + 3 : icon->geometry().left();
    const int right = area.right();
    text->setGeometry(textLeft, area.top(), std::max(0, right - textLeft + 1), area.height());
    text->setText(toDisplay(content.text));
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

bool addMenu(int window, int menu, const std::string& title) {
    if (!onGuiThreadNow() || menu <= 0 || widgets().menus.count(menu) != 0)
        return false;
    QMenu* created = nullptr;
    if (window == 0) {
        created = new QMenu;
    } else {
        WindowWidgets* parts = windowOf(window);
        if (parts == nullptr)
            return false;
        if (!parts->menuBar) {
            parts->menuBar = new QMenuBar(parts->top);
            parts->menuBar->setNativeMenuBar(false);
            parts->menuBar->show();
        }
        created = parts->menuBar->addMenu(toDisplay(title));
    }
    widgets().menus[menu] = created;
    widgets().menuWindows[menu] = window;
    {
        std::lock_guard lock(records().mutex);
        records().addMenu(window, menu, title);
    }
    if (window != 0)
        layoutWindow(window);
    return true;
}

void addMenuItem(int menu, int command, const std::string& text, const Image* image) {
    if (!onGuiThreadNow())
        return;
    QMenu* target = menuOf(menu);
    if (target == nullptr)
        return;
    const int window = widgets().menuWindows[menu];
    QAction* action = target->addAction(iconOf(image), toDisplay(text));
    QObject::connect(action, &QAction::triggered, [window, command] {
        pushEvent(Event{EventKind::Command, window, command, 0, 0});
    });
    std::lock_guard lock(records().mutex);
    records().addMenuItem(menu,
                          ui_model::MenuItem{command, text, image != nullptr && image->valid()});
}

void addMenuSeparator(int menu) {
    if (!onGuiThreadNow())
        return;
    QMenu* target = menuOf(menu);
    if (target == nullptr)
        return;
    target->addSeparator();
    std::lock_guard lock(records().mutex);
    records().addMenuItem(menu, ui_model::MenuItem{});
}

std::string menuItemText(int menu, int command) {
    std::lock_guard lock(records().mutex);
    return records().menuItemText(menu, command);
}

int menuBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record == records().windows.end() ? 0 : record->second.menuBarHeight;
}

void showPopupMenu(int menu) {
    onGuiThread([menu] {
        if (QMenu* target = menuOf(menu))
            target->popup(QCursor::pos());
    });
}

namespace {

// The window's toolbar, made on first use (it may well begin with a separator).
void ensureToolBar(WindowWidgets& parts) {
    if (parts.toolBar)
        return;
    parts.toolBar = new QToolBar(parts.client);
    parts.toolBar->setIconSize(QSize(kIconSize, kIconSize));
    parts.toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    parts.toolBar->setMovable(false);
    parts.toolBar->setFloatable(false);
    parts.toolBar->show();
}

}  // namespace

void addToolButton(int window, int command, const Image* image, const std::string& tooltip) {
    if (!onGuiThreadNow())
        return;
    WindowWidgets* parts = windowOf(window);
    if (parts == nullptr)
        return;
    ensureToolBar(*parts);
    QAction* action = parts->toolBar->addAction(iconOf(image), QString());
    action->setToolTip(toDisplay(tooltip));
    QObject::connect(action, &QAction::triggered, [window, command] {
        pushEvent(Event{EventKind::Command, window, command, 0, 0});
    });
    layoutWindow(window);
}

void addToolSeparator(int window) {
    if (!onGuiThreadNow())
        return;
    WindowWidgets* parts = windowOf(window);
    if (parts == nullptr)
        return;
    ensureToolBar(*parts);
    parts->toolBar->addSeparator();
    layoutWindow(window);
}

int toolBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record == records().windows.end() ? 0 : record->second.toolBarHeight;
}

bool createStatusBar(int window, const std::vector<int>& fieldWidths) {
    if (!onGuiThreadNow())
        return false;
    WindowWidgets* parts = windowOf(window);
    if (parts == nullptr || parts->statusBar)
        return false;
    auto* bar = new QWidget(parts->client);
    const int height = statusHeight(bar);
    bar->resize(parts->client->width(), height);
    int left = 0;
    for (int width : fieldWidths) {
        width = std::max(0, width);
        auto* icon = new QLabel(bar);
        icon->setGeometry(left + 2, (height - kIconSize) / 2, kIconSize, kIconSize);
        icon->hide();
        auto* text = new QLabel(bar);
        text->setGeometry(left + 2, 0, std::max(0, width - 2), height);
        parts->statusIcons.emplace_back(icon);
        parts->statusTexts.emplace_back(text);
        left += width;
    }
    parts->statusBar = bar;
    bar->show();
    {
        std::lock_guard lock(records().mutex);
        records().addStatusBar(window, fieldWidths);
    }
    layoutWindow(window);
    return true;
}

void setStatusField(int window, int field, const std::string& text, const Image* image) {
    ui_model::ImageHandle picture = pictureOf(image);
    {
        std::lock_guard lock(records().mutex);
        if (!records().setStatusField(window, field, text, std::move(picture)))
            return;
    }
    onGuiThread([window, field] { applyStatusField(window, field); });
}

std::string statusFieldText(int window, int field) {
    std::lock_guard lock(records().mutex);
    return records().statusFieldText(window, field);
}

int statusBarHeight(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    return record == records().windows.end() ? 0 : record->second.statusBarHeight;
}

void addShortcut(int window, int key, unsigned modifiers, int eventNumber) {
    if (!onGuiThreadNow())
        return;
    WindowWidgets* parts = windowOf(window);
    if (parts == nullptr)
        return;
    parts->shortcuts[{key, modifiers & (kModShift | kModControl | kModAlt)}] = eventNumber;
}

}  // namespace platform
