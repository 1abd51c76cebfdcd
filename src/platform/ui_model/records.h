// What every UI backend knows of the program's windows, controls, menus, status fields
// and tray icon: the records that any thread may read and change under one short lock,
// apart from the widgets that show them. A backend derives its own struct from Records
// for what only it keeps, and keeps what only it knows of a window or a control in maps
// by id beside the records.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_model/event_queue.h"

namespace platform::ui_model {

// A picture in the backend's own form, made by the thread that set it so that the GUI
// thread only has to put it on screen; null when there is none. Never looked into here.
using ImageHandle = std::shared_ptr<const void>;

struct ListRow {
    uint64_t serial = 0;  // names the row for its whole life, whatever goes above it
    std::vector<std::string> cells;
    std::intptr_t data = 0;
};

struct ControlRecord {
    int window = 0;
    int parent = 0;
    ControlKind kind = ControlKind::Label;
    Rect geometry;     // relative to the parent
    std::string text;  // an address control's in the backend's own form
    int state = 0;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> comboItems;
    std::vector<std::pair<std::string, int>> columns;  // title, width
    std::vector<ListRow> rows;
    uint64_t nextRowSerial = 1;
    std::vector<int> selectedRows;  // ascending
    ImageHandle image;              // what an image view shows
    uint64_t imageSerial = 0;       // counts the images shown, so a widget can tell a new one

    // A combo box selects the first item with exactly this text and keeps its selection
    // when there is none; every other kind takes the text as it is.
    void setText(const std::string& newText);
    // Index of the first combo item equal to `wanted` ignoring the letter case of
    // ISO 8859-1; -1 when none is.
    int findComboItem(const std::string& wanted) const;
    void showImage(ImageHandle picture);

    // List view. A negative column width counts as 0.
    void addColumn(const std::string& title, int width);
    bool hasRow(int row) const;
    int addRow(const std::vector<std::string>& cells, std::intptr_t data);  // the new index
    // Later rows, and the selection among them, move up by one. False out of range.
    bool removeRow(int row);
    void clearRows();
    std::string cellText(int row, int column) const;  // "" out of range
    // Missing cells before the column are made empty; columns 0..255 only. False when
    // the row or column is out of range.
    bool setCellText(int row, int column, const std::string& cellText);
    std::intptr_t rowData(int row) const;  // 0 out of range
    // Rows out of range are dropped; the rest is kept ascending, each once.
    void selectRows(std::vector<int> chosen);
};

struct StatusField {
    std::string text;
    ImageHandle image;
};

struct WindowRecord {
    std::string title;
    unsigned flags = 0;
    int owner = 0;
    Rect inner;  // the inner area's position on the screen and its size
    bool shown = false;
    bool minimised = false;
    ClientPoint pointer;
    int menuBarHeight = 0;  // as the window is laid out; 0 for a bar it does not have
    int toolBarHeight = 0;
    int statusBarHeight = 0;
    std::vector<int> statusWidths;
    std::vector<StatusField> statusFields;
};

struct MenuItem {
    int command = 0;  // 0 for a separator
    std::string text;
    bool hasImage = false;
};

struct MenuRecord {
    int window = 0;  // 0 for a popup menu
    std::string title;
    std::vector<MenuItem> items;
};

// Everything below is guarded by `mutex`, and so is what a backend adds beside it: every
// call is made holding it.
struct Records {
    std::mutex mutex;
    std::map<int, WindowRecord> windows;
    std::map<int, ControlRecord> controls;
    std::map<int, MenuRecord> menus;
    bool trayAvailable = false;
    bool trayShown = false;
    EventQueue events;

    // nullptr when there is none.
    WindowRecord* window(int id);
    const WindowRecord* window(int id) const;
    ControlRecord* control(int id);
    const ControlRecord* control(int id) const;
    // The control only when it is of this kind.
    ControlRecord* control(int id, ControlKind kind);
    MenuRecord* menu(int id);
    const MenuRecord* menu(int id) const;

    WindowRecord& addWindow(int id, Rect inner, const std::string& title, unsigned flags,
                            int owner);
    // The windows that `owner` owns; they close before it.
    std::vector<int> ownedWindows(int owner) const;
    // Forgets the window with its controls and menus. The ids of the controls it had, so
    // the backend can drop what it keeps of them.
    std::vector<int> removeWindow(int id);

    // Whether a new control may take the id (positive and free) and its place: a tab page
    // only on a tab panel, any other kind in the client area (parent 0) or in a frame, flat
    // frame or tab page of the same window.
    bool mayCreateControl(int window, int id, ControlKind kind, int parent) const;
    // A combo box starts without text and with no item selected; an address control's text
    // comes in the backend's own form.
    ControlRecord& addControl(int window, int id, ControlKind kind, Rect geometry,
                              const std::string& text, int parent);
    std::vector<int> childControls(int parent) const;
    void removeControl(int id) { controls.erase(id); }
    // A check box takes 0, 1 or 2 (any other value counts as 1); a combo box selects the
    // item and takes its text (out of range: none, -1); a tab panel takes a page index it
    // has and ignores any other; other kinds keep 0. False when there is no such control.
    bool setState(int id, int state);

    // False when the id is taken or the window (other than 0) does not exist.
    bool addMenu(int window, int id, const std::string& title);
    void addMenuItem(int id, const MenuItem& item);
    // "" for a separator or when there is no such item.
    std::string menuItemText(int id, int command) const;

    // Gives the window a status bar of these fields, all empty.
    void addStatusBar(int window, const std::vector<int>& fieldWidths);
    // False when there is no such window or field.
    bool setStatusField(int window, int field, const std::string& text, ImageHandle image);
    std::string statusFieldText(int window, int field) const;  // "" when there is none

    // Forgets every window, control, menu and waiting event, and hides the tray icon.
    void clear();
};

}  // namespace platform::ui_model
