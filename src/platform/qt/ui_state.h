// What the Qt backend knows about the program's windows and controls, in two halves:
// the records (texts, states, geometry, list rows), which any thread may read and
// change under one short lock, and the widgets, which only the GUI thread touches. A
// change from another thread updates the record and asks the GUI thread to bring the
// widget in line with it, so the last change always wins whatever the order of
// delivery.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui.h"

class QMenu;
class QObject;
class QMenuBar;
class QToolBar;
class QWidget;
class QLabel;

namespace platform::qtui {

struct ListRow {
    uint64_t serial = 0;  // identifies the row's widget item across removals
    std::vector<std::string> cells;
    std::intptr_t data = 0;
};

struct ControlRecord {
    int window = 0;
    int parent = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;
    int state = 0;
    Rect geometry;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> comboItems;
    std::vector<std::pair<std::string, int>> columns;
    std::vector<ListRow> rows;
    uint64_t nextRowSerial = 1;
    std::vector<int> selectedRows;
    std::shared_ptr<const QImage> image;
    uint64_t imageSerial = 0;
};

struct StatusField {
    std::string text;
    std::shared_ptr<const QImage> image;
};

struct WindowRecord {
    std::string title;
    unsigned flags = 0;
    int owner = 0;
    Rect geometry;
    bool shown = false;
    bool minimised = false;
    ClientPoint pointer;
    int menuBarHeight = 0;
    int toolBarHeight = 0;
    int statusBarHeight = 0;
    std::vector<int> statusWidths;
    std::vector<StatusField> statusFields;
};

struct MenuItemRecord {
    int command = 0;
    std::string text;
};

// The shared half. Guarded by `mutex`.
struct Records {
    std::mutex mutex;
    bool running = false;
    std::map<int, WindowRecord> windows;
    std::map<int, ControlRecord> controls;
    std::map<int, std::vector<MenuItemRecord>> menuItems;
    std::deque<Event> events;
    bool trayShown = false;
    bool trayAvailable = false;
};
Records& records();

// The GUI thread's half.
struct WindowWidgets {
    QPointer<QWidget> top;
    QPointer<QWidget> client;  // below the menu bar; parent of controls, toolbar, status bar
    QPointer<QMenuBar> menuBar;
    QPointer<QToolBar> toolBar;
    QPointer<QWidget> statusBar;
    std::vector<QPointer<QLabel>> statusIcons;
    std::vector<QPointer<QLabel>> statusTexts;
    std::map<std::pair<int, unsigned>, int> shortcuts;  // (key, modifiers) -> event number
};
struct Widgets {
    std::map<int, WindowWidgets> windows;
    std::map<int, QPointer<QWidget>> controls;
    std::map<int, QPointer<QMenu>> menus;
    std::map<int, int> menuWindows;  // menu -> window (0 for popups)
};
Widgets& widgets();

// Runs `work` on the GUI thread: at once when called there, otherwise queued in call
// order. Dropped when the UI is not running.
void onGuiThread(std::function<void()> work);
bool onGuiThreadNow();

// Appends an event for waitEvent; merges a Resized event into a Resized event of the same
// window that is still waiting at the end of the queue. Any thread.
void pushEvent(const Event& event);

// Display conversions: the interface is ISO 8859-1; the program's LF CR line break
// becomes one line break.
QString toDisplay(const std::string& text);
std::string fromDisplay(const QString& text);

QImage toQImage(const Image& image);

// Widget synchronisation, GUI thread only.
void applyControl(int control);
void applyStatusField(int window, int field);
void layoutWindow(int window);

// Maps a Qt key event to a Windows virtual-key code and our modifier bits; false when the
// key has no virtual-key code.
bool virtualKeyOf(int qtKey, unsigned qtModifiers, int& key, unsigned& modifiers);

// True when the X display named by DISPLAY accepts a connection (kept apart: the X
// headers' macros clash with our names).
bool x11DisplayOpens();

// Parts with their own start and end.
std::unique_ptr<QObject> makeEventFilter();
void initTray();
void shutdownTray();
void answerWaitingMessageBoxes();  // with kAnswerNone, at shutdown

// Property names that tie widgets to ids.
inline constexpr const char* kWindowProperty = "korvoWindow";
inline constexpr const char* kControlProperty = "korvoControl";
// Set on image views only: true while the release that ends a right double click is due.
inline constexpr const char* kSkipRightRelease = "korvoSkipRightRelease";
// Set on frames, which are decoration: the mouse works what lies beneath them.
inline constexpr const char* kMouseThrough = "korvoMouseThrough";

}  // namespace platform::qtui
