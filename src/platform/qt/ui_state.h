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

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_model/records.h"

class QMenu;
class QObject;
class QMenuBar;
class QToolBar;
class QWidget;
class QLabel;

namespace platform::qtui {

using ui_model::ControlRecord;
using ui_model::ListRow;
using ui_model::StatusField;
using ui_model::WindowRecord;

// The shared half: the model's records, and whether the application runs. Guarded by
// `mutex`.
struct Records : ui_model::Records {
    bool running = false;
};
Records& records();

// Pictures in the records are QImages, converted in the thread that sets them so that the
// GUI thread only puts them on screen.
ui_model::ImageHandle pictureOf(const Image* image);  // null for none or an invalid one
inline const QImage* qImageOf(const ui_model::ImageHandle& picture) {
    return static_cast<const QImage*>(picture.get());
}

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

// Appends an event for waitEvent (resizes merge as ui_model::EventQueue merges them) and
// wakes the GUI thread. Dropped when the UI is not running. Any thread.
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
