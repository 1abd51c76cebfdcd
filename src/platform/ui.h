// Windows, controls, menus, the tray icon, message boxes and the one event queue of
// the GUI. The program builds every window itself: it chooses the integer ids of
// windows, controls, menus and commands, owns every pixel position and every text, and
// numbers its own shortcut events. The backend only offers the controls.
//
// Texts at this interface are single-byte ISO 8859-1. A two-line text may use the
// program's LF CR break; the backend shows it as one line break.
//
// Threads: initUi() runs on the process's main thread, which then is the GUI thread.
// Only the GUI thread creates and closes windows, controls, menus, the toolbar and the
// status bar, and calls waitEvent(). Every call that changes a control, a status field
// or a list (and moving or resizing a window) may come from any thread; the backend
// carries it out on the GUI thread, in the order of the calls. Every question (text,
// state, geometry, list rows, minimised, pointer position) may come from any thread and
// is answered from state the GUI thread keeps current, without waiting for it.
// Message boxes may be shown from any thread.
//
// Ids: window ids and control ids are positive and unique among all open windows and
// controls; command ids are positive and unique among menu items, toolbar buttons and
// controls that report commands (buttons and check boxes report their control id).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace platform {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A position in a window's client area; -1, -1 when there is none.
struct ClientPoint {
    int x = -1;
    int y = -1;
};

// ---- Start and end ----

// Creates the application on the calling thread, which must be the process's main
// thread. False when there is no display to show windows on (nothing else works then;
// every call below is harmless and message boxes answer 0).
bool initUi();

// True after a successful initUi() and before shutdownUi().
bool uiAvailable();

// Closes every window and ends the application; message boxes still waiting in other
// threads are answered with 0. GUI thread only.
void shutdownUi();

// ---- Windows ----

// Window flags for openWindow.
inline constexpr unsigned kWindowResizable = 1;    // sizing border, minimise and maximise boxes
inline constexpr unsigned kWindowToolWindow = 2;   // narrow caption with a close box, fixed
                                                   // size, the small font of dialogs
inline constexpr unsigned kWindowCentred = 4;      // centred over the owner, else the screen
inline constexpr unsigned kWindowMinimumSize = 8;  // cannot be made smaller than its creation size
inline constexpr unsigned kWindowModal = 16;       // its owner (without one: every other window)
                                                   // takes no input while it is shown

// Creates a top-level window, hidden. `inner` gives the position of the inner area on the
// screen (ignored with kWindowCentred) and its size; the inner area holds the menu bar, if
// the window gets one, and below it the client area that controls are placed in. `owner`
// is another window or 0. False when the id is taken or the window cannot be created.
bool openWindow(int window, Rect inner, const std::string& title, unsigned flags, int owner);

// Destroys the window with its controls, menu bar, toolbar, status bar and shortcuts.
void closeWindow(int window);

bool windowExists(int window);
void setWindowTitle(int window, const std::string& title);
std::string windowTitle(int window);
void setWindowIcon(int window, const Image* icon);  // nullptr: the default icon

// Shows or hides at once. A window shown again comes back in the state it had when it
// was hidden (normal, maximised or minimised).
void showWindow(int window, bool shown);

// Lets the window fade in (shown) or out over durationMs, then shows or hides it as
// showWindow does. Blocks the calling GUI thread for the duration while the GUI keeps
// working; events that arrive meanwhile wait in the queue. Where the system cannot
// change a window's opacity the wait still takes place.
void fadeWindow(int window, bool shown, int durationMs);

bool windowShown(int window);
bool windowMinimised(int window);

// Position of the inner area on the screen and its size (height counted with the menu
// bar). Setting it from any thread moves and resizes the window; the resize then arrives
// as a Resized event.
Rect windowGeometry(int window);
void setWindowGeometry(int window, Rect inner);

// The pointer's position relative to the window's client area (below the menu bar);
// -1, -1 when the pointer is outside the client area or the window is hidden.
ClientPoint pointerPosition(int window);

// ---- Controls ----

enum class ControlKind {
    Frame,         // caption-less group box, decoration only
    FlatFrame,     // flat panel, decoration only
    TabPanel,      // tab control; its pages are TabPage controls with it as parent
    TabPage,       // a page of a TabPanel; text = tab title; geometry follows the panel
    ImageView,     // shows an image; reports the four click kinds
    ListView,      // report-style list: columns, whole-row and multiple selection
    Label,         // static text
    Edit,          // single-line edit
    PasswordEdit,  // single-line edit that masks what is typed
    DigitsEdit,    // single-line edit that accepts digits only
    Ipv4Address,   // four number fields 0..255; text "a.b.c.d", a blank field reads as 0
    CheckBox,      // text = label; state 0 unchecked, 1 checked; a click reports a command
    ComboBox,      // drop-down list, not editable; state = selected index, -1 none
    Button,        // push button; a click reports a command with the control's id
};

// Creates a control in the window. `parent` is 0 for the window's client area, or a
// control id (Frame, FlatFrame, TabPage, or the TabPanel for a TabPage); the geometry
// is relative to the parent. Created visible and enabled. False when the id is taken or
// the window or parent does not exist.
bool createControl(int window, int control, ControlKind kind, Rect geometry,
                   const std::string& text, int parent);
void destroyControl(int control);
bool controlExists(int control);

// Text: a label's or edit's text, a check box's or button's label, a tab page's title,
// the selected item's text of a combo box (setting selects the first item with exactly
// that text), the dotted address of an Ipv4Address ("" blanks it).
void setControlText(int control, const std::string& text);
std::string controlText(int control);

// State: check box 0 or 1; combo box selected index (-1 none); tab panel selected page
// index. Other kinds keep 0.
void setControlState(int control, int state);
int controlState(int control);

// Geometry relative to the parent. A tab page's geometry is set by its panel.
void setControlGeometry(int control, Rect geometry);
Rect controlGeometry(int control);

void setControlEnabled(int control, bool enabled);
bool controlEnabled(int control);
void setControlVisible(int control, bool visible);
void focusControl(int control);

// Shows a copy of the image in an ImageView, as it is (the caller scales it first);
// nullptr clears the view. The caller may free its image at once.
void showImage(int control, const Image* image);

// Combo box items.
void addComboItem(int control, const std::string& text);
int comboItemCount(int control);
// Index of the first item whose text equals `text` ignoring letter case; -1 when none.
int findComboItem(int control, const std::string& text);

// ---- List view ----

void addListColumn(int list, const std::string& title, int width);
// Appends a row and returns its index. Missing cells are empty; `data` is the caller's.
int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t data);
void removeListRow(int list, int row);  // later rows move up by one
void clearList(int list);
int listRowCount(int list);
std::string listCellText(int list, int row, int column);  // "" out of range
void setListCellText(int list, int row, int column, const std::string& text);
std::intptr_t listRowData(int list, int row);  // 0 out of range
std::vector<int> selectedListRows(int list);   // ascending

// ---- Menus ----

// A menu in the window's menu bar (the bar is made on the first call), or a popup menu
// that belongs to no window (window 0), such as the tray menu.
bool addMenu(int window, int menu, const std::string& title);
void addMenuItem(int menu, int command, const std::string& text, const Image* image);
void addMenuSeparator(int menu);
std::string menuItemText(int menu, int command);  // "" when there is no such item
int menuBarHeight(int window);                    // 0 without a menu bar

// Opens a popup menu at the pointer; a chosen item arrives as a Command event.
void showPopupMenu(int menu);

// ---- Toolbar ----

// The window's toolbar lies at the top of the client area, as wide as the window; it is
// made by the first call. Buttons show their image only.
void addToolButton(int window, int command, const Image* image, const std::string& tooltip);
void addToolSeparator(int window);
int toolBarHeight(int window);  // 0 without a toolbar

// ---- Status bar ----

// Creates the status bar at the bottom of the client area, as wide as the window, with
// fields of the given widths from the left, drawn without borders.
bool createStatusBar(int window, const std::vector<int>& fieldWidths);
void setStatusField(int window, int field, const std::string& text, const Image* image);
std::string statusFieldText(int window, int field);
int statusBarHeight(int window);  // 0 without a status bar

// ---- Keyboard shortcuts ----

inline constexpr unsigned kModShift = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModAlt = 4;

// While the window is active, the key (a Windows virtual-key code: 0x30..0x39 digits,
// 0x41..0x5A letters, 0x0D Enter, 0x1B Escape, 0x60..0x6F keypad, 0x70..0x87 F1..F24,
// ...) pressed with exactly these modifiers is taken from every control of the window and
// arrives as a Shortcut event with the event number. A second call for the same window,
// key and modifiers replaces the number.
void addShortcut(int window, int key, unsigned modifiers, int eventNumber);

// ---- Events ----

enum class EventKind {
    None,              // time-out or wake-up
    Command,           // id = command (menu item, toolbar button, button, check box)
    LeftClick,         // id = control (ImageView)
    RightClick,        // at the release, except the release that ends a right double click
    LeftDoubleClick,   // at the second press
    RightDoubleClick,  // at the second press
    Shortcut,          // data = event number
    Resized,           // the window's inner size changed; data = width, data2 = height
    CloseRequested,    // the window's close box; the window stays open
    Tray,              // data = a TrayAction
};

enum class TrayAction { LeftClick = 1, RightClick = 2, LeftDoubleClick = 3, RightDoubleClick = 4 };

struct Event {
    EventKind kind = EventKind::None;
    int window = 0;
    int id = 0;
    int data = 0;
    int data2 = 0;
};

// The next event, in the order they happened; GUI thread only. Pumps the GUI while it
// waits. timeoutMs < 0 waits for ever; on time-out the event has kind None. Consecutive
// Resized events of one window are merged into the last.
Event waitEvent(int timeoutMs = -1);

// Queues an event from any thread (it wakes waitEvent).
void postEvent(const Event& event);

// ---- Tray icon ----

// False when the desktop offers no tray; then the calls below show nothing and no tray
// event is ever reported.
bool trayAvailable();
void showTrayIcon(const Image* icon, const std::string& tooltip);
void hideTrayIcon();
bool trayIconShown();

// ---- Message boxes ----

enum class MessageIcon { None, Error, Information, Warning, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };

// Answers, numbered as the Windows message box numbers them.
inline constexpr int kAnswerNone = 0;  // nothing was shown
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// A modal box over `owner` (a window or 0). Any thread: the caller waits until the box
// is closed, while the GUI keeps running. Closing it by its close box answers Cancel
// (or OK for a box with only OK). kAnswerNone when there is no UI.
int showMessageBox(int owner, const std::string& title, const std::string& text, MessageIcon icon,
                   MessageButtons buttons);

// An OK box with a check box labelled `checkText` against showing it again. The choice
// is kept in the user's settings under `valueName`; once chosen, later calls show
// nothing and answer OK at once.
int showMessageBoxOnce(int owner, const std::string& title, const std::string& text,
                       MessageIcon icon, const std::string& valueName,
                       const std::string& checkText);

// ---- Desktop services ----

// Opens a web address in the desktop's browser. False when that cannot be started.
bool openUrl(const std::string& url);

// Opens a compiled help file at a page with the desktop's viewer and remembers that
// process; stopHelpViewer() ends the process last started. False, and nothing remembered,
// when no viewer starts or the one started ends at once. GUI thread only.
bool startHelpViewer(const std::string& file, const std::string& page);
void stopHelpViewer();

}  // namespace platform
